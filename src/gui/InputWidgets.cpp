#include "gui/InputWidgets.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include "gui/QtUserInterface.h"
#include "shell/ComboRules.h"

namespace velto::gui {

CBTNRightClk::CBTNRightClk(QWidget* parent) : QPushButton(parent) {}

void CBTNRightClk::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::RightButton) {
    QPushButton::mousePressEvent(event);
    return;
  }
  QMenu menu(ToQt(shell::kStepMenuTitle), this);
  for (std::size_t i = 0; i < shell::kStepTable.size(); ++i) {
    menu.addAction(ToQt(shell::kStepTable[i].text))->setData(static_cast<int>(i));
  }
  if (QAction* chosen = menu.exec(event->globalPosition().toPoint())) emit stepChosen(chosen->data().toInt());
}

StepButtonGroupBinding::StepButtonGroupBinding(std::vector<CBTNRightClk*> buttons, std::vector<bool> isPlus,
                                               int initialIndex, QLineEdit* field, QObject* parent)
    : QObject(parent), group_(std::move(isPlus)), buttons_(std::move(buttons)), field_(field) {
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    const int index = static_cast<int>(i);
    connect(buttons_[i], &CBTNRightClk::stepChosen, this, &StepButtonGroupBinding::ChooseStep);
    connect(buttons_[i], &QPushButton::clicked, this, [this, index] {
      field_->setText(ToQt(group_.Stepped(FromQt(field_->text()), index)));
      emit stepped();
    });
    buttons_[i]->setToolTip(QStringLiteral("Right-click to change step"));
  }
  group_.SetStep(initialIndex);
  ShowCaptions();
}

void StepButtonGroupBinding::ChooseStep(int index) {
  if (group_.SetStep(index)) ShowCaptions();
}

void StepButtonGroupBinding::ShowCaptions() {
  for (std::size_t i = 0; i < buttons_.size() && static_cast<int>(i) < group_.ButtonCount(); ++i) {
    buttons_[i]->setText(ToQt(group_.Caption(static_cast<int>(i))));
  }
}

CWLCombo::CWLCombo(QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  // Completion from the list would turn a typed "8" into the preset
  // "8.04798794 (Cu-Ka1)": the value shown and applied must be the one typed.
  setCompleter(nullptr);
  lineEdit()->installEventFilter(this);
  connect(lineEdit(), &QLineEdit::textEdited, this, &CWLCombo::Changed);
  connect(this, &QComboBox::textActivated, this, &CWLCombo::Changed);
}

void CWLCombo::Changed(const QString& text) {
  if (partner_) partner_(ToQt(shell::ConvertedPartnerText(FromQt(text))));
  emit userEdited(text);
}

bool CWLCombo::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lineEdit() && event->type() == QEvent::FocusOut) {
    setEditText(ToQt(shell::WavelengthTextOnLeave(FromQt(currentText()))));
    emit left();
  }
  return QComboBox::eventFilter(watched, event);
}

CTempCombo::CTempCombo(QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  setCompleter(nullptr);  // as for CWLCombo
  lineEdit()->installEventFilter(this);
  connect(lineEdit(), &QLineEdit::textEdited, this, &CTempCombo::grayResults);
  connect(this, &QComboBox::textActivated, this, &CTempCombo::grayResults);
}

bool CTempCombo::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lineEdit() && event->type() == QEvent::FocusOut) {
    setEditText(ToQt(shell::TemperatureTextOnLeave(FromQt(currentText()))));
  }
  return QComboBox::eventFilter(watched, event);
}

void SetReadOnlyFocus(QLineEdit* edit, bool readOnly) {
  // Tab passes over what cannot be typed in; a click still selects the text
  // to copy it.
  edit->setFocusPolicy(readOnly ? Qt::ClickFocus : Qt::StrongFocus);
}

CInactvWbkEdit::CInactvWbkEdit(QWidget* parent) : QLineEdit(parent) {
  QPalette colours = palette();
  colours.setColor(QPalette::Active, QPalette::Base, kResultBackground);
  colours.setColor(QPalette::Inactive, QPalette::Base, kResultBackground);
  colours.setColor(QPalette::Disabled, QPalette::Base, kDisabledBackground);
  setPalette(colours);
  setReadOnly(true);
  SetReadOnlyFocus(this, true);
}

CColorEdit::CColorEdit(QWidget* parent) : QLineEdit(parent) {}

void CColorEdit::setReadOnlyColoured(bool readOnly) {
  setReadOnly(readOnly);
  SetReadOnlyFocus(this, readOnly);
  QPalette colours = QApplication::palette(this);
  if (readOnly) {
    colours.setColor(QPalette::Active, QPalette::Base, kResultBackground);
    colours.setColor(QPalette::Inactive, QPalette::Base, kResultBackground);
  }
  setPalette(colours);
}

CWBkStatic::CWBkStatic(QWidget* parent) : QLabel(parent) {
  setAutoFillBackground(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, kResultBackground);
  setPalette(colours);
}

CStaticFig::CStaticFig(QWidget* parent) : QWidget(parent) {
  setCursor(Qt::CrossCursor);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CStaticFig::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (paint_) paint_(painter, rect());
}

void ShowField(QLineEdit* edit, const programs::FormField& field) {
  const QString text = ToQt(field.text);
  if (edit->text() != text) edit->setText(text);
  edit->setEnabled(field.enabled);
  if (auto* coloured = qobject_cast<CColorEdit*>(edit)) {
    coloured->setReadOnlyColoured(field.readOnly);
  } else if (!qobject_cast<CInactvWbkEdit*>(edit)) {
    edit->setReadOnly(field.readOnly);
    SetReadOnlyFocus(edit, field.readOnly);
  }
  edit->setVisible(field.visible);
}

void ShowButton(QPushButton* button, const programs::FormField& field) {
  if (!field.text.empty()) button->setText(ToQt(field.text));
  button->setEnabled(field.enabled);
  button->setVisible(field.visible);
}

QHBoxLayout* OkCancelRow(QDialog* dialog) {
  auto* ok = new QPushButton(QStringLiteral("OK"), dialog);
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
  cancel->setAutoDefault(false);
  QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(cancel);
  return row;
}

}  // namespace velto::gui
