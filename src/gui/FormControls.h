#pragma once
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <map>
#include <set>

#include "gui/InputWidgets.h"
#include "gui/QtUserInterface.h"
#include "programs/canvas/Canvas.h"

// What the program views of the multi-crystal windows share: their edit
// fields and check boxes bound to the fields of a form model, and a picture
// drawn by the model.
namespace velto::gui {

// The edits and check boxes of a view, each bound to the model's field of
// the same id: Read copies what the person typed or ticked into the model,
// Show shows the model's texts and states. Refusals move the focus by the
// object name, which is the model's focus name of the field.
template <typename Model, typename Field>
class FormControls {
 public:
  explicit FormControls(QWidget* owner) : owner_(owner) {}

  // A field the person types in, or a read-only display.
  QLineEdit* AddEdit(Field id, bool display) {
    QLineEdit* edit = display ? static_cast<QLineEdit*>(new CInactvWbkEdit(owner_)) : new QLineEdit(owner_);
    if (display) edit->setReadOnly(true);
    const char* focus = Model::FocusName(id);
    edit->setObjectName(focus ? QString::fromUtf8(focus) : QStringLiteral("field%1").arg(static_cast<int>(id)));
    edits_[id] = edit;
    return edit;
  }
  // A check box whose state the model reads when a command runs; with
  // `byModel` one whose click is a command of the model (it toggles the
  // state itself), so its state is only shown.
  QCheckBox* AddCheck(Field id, const char* caption, bool byModel = false) {
    auto* box = new QCheckBox(QString::fromUtf8(caption), owner_);
    checks_[id] = box;
    if (byModel) toggledByModel_.insert(id);
    return box;
  }
  // A field as wide as `sample` shows, a fifth wider when the layout has
  // room to spare.
  QLineEdit* AddEdit(Field id, bool display, const char* sample) {
    QLineEdit* edit = AddEdit(id, display);
    const int width = edit->fontMetrics().horizontalAdvance(QString::fromUtf8(sample)) + 14;
    edit->setMinimumWidth(width);
    edit->setMaximumWidth(width * 6 / 5);
    return edit;
  }
  QLineEdit* Edit(Field id) const { return edits_.at(id); }
  QCheckBox* Check(Field id) const { return checks_.at(id); }

  void Read(Model& model) const {
    for (const auto& [id, edit] : edits_)
      if (!model.Field(id).readOnly && model.Field(id).enabled) model.Field(id).text = FromQt(edit->text());
    for (const auto& [id, box] : checks_)
      if (!toggledByModel_.count(id)) model.Field(id).checked = box->isChecked();
  }
  void Show(const Model& model) const {
    for (const auto& [id, edit] : edits_) ShowField(edit, model.Field(id));
    for (const auto& [id, box] : checks_) {
      box->setChecked(model.Field(id).checked);
      box->setEnabled(model.Field(id).enabled);
    }
  }
  template <typename ToolTip>
  void SetToolTips(ToolTip tip) const {
    for (const auto& [id, edit] : edits_)
      if (const char* text = tip(id)) edit->setToolTip(QString::fromUtf8(text));
    for (const auto& [id, box] : checks_)
      if (const char* text = tip(id)) box->setToolTip(QString::fromUtf8(text));
  }

 private:
  QWidget* owner_;
  std::map<Field, QLineEdit*> edits_;
  std::map<Field, QCheckBox*> checks_;
  std::set<Field> toggledByModel_;
};

// A button as wide as the widest caption it will show, and no wider.
inline void FitButton(QPushButton* button, const char* widestCaption) {
  button->setFixedWidth(button->fontMetrics().horizontalAdvance(QString::fromUtf8(widestCaption)) + 16);
}

// Runs a change of the model between reading the fields and showing the
// model again; views hand it out as a function.
using ModelChange = std::function<void(const std::function<void()>& change)>;

// The "-" and "+" buttons beside "from" and "to" of a scan range: one step
// group led by the "-" of "from", its step chosen from any button's menu.
template <typename Model>
void BindRangeSteps(CBTNRightClk* const (&buttons)[4], Model& model, const ModelChange& run) {
  for (int i = 0; i < 4; ++i) {
    FitButton(buttons[i], "+1000");
    QObject::connect(buttons[i], &QPushButton::clicked, buttons[i], [&model, run, i] {
      run([&model, i] { model.StepRange(static_cast<typename Model::RangeButton>(i)); });
    });
    QObject::connect(buttons[i], &CBTNRightClk::stepChosen, buttons[i],
                     [&model, run](int index) { run([&model, index] { model.ChooseStep(index); }); });
  }
  buttons[Model::FromMinus]->setToolTip(QStringLiteral("Right-click to change step"));
  buttons[Model::ToPlus]->setToolTip(QStringLiteral("Right-click to change step"));
}

template <typename Model>
void ShowRangeSteps(CBTNRightClk* const (&buttons)[4], const Model& model) {
  for (int i = 0; i < 4; ++i) buttons[i]->setText(ToQt(model.StepCaption(static_cast<typename Model::RangeButton>(i))));
}

// A drawing of the programs layer, repainted with its owner: the geometry
// sketches beside the controls.
class CanvasPicture : public QWidget {
  Q_OBJECT
 public:
  using Drawing = std::function<void(programs::Canvas& canvas, programs::Rect frame)>;
  CanvasPicture(Drawing draw, QSize size, QWidget* parent);
  QSize sizeHint() const override { return size_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Drawing draw_;
  QSize size_;
};

}  // namespace velto::gui
