#include "gui/CMapSettings.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/InputWidgets.h"

namespace velto::gui {

using Form = programs::MapSettingsForm;
using F = programs::MapSettingsField;

CMapSettings::CMapSettings(QWidget* parent, Form& model, QtUserInterface&)
    : QDialog(parent), model_(model), ui_(this), commandUi_(&ui_) {
  setWindowTitle(ToQt(Form::kTitle));
  auto edit = [this](F id, bool display) {
    QLineEdit* e = display ? static_cast<QLineEdit*>(new CInactvWbkEdit(this)) : new QLineEdit(this);
    e->setReadOnly(display);
    e->setObjectName(ToQt(Form::FieldName(id)));
    edits_[id] = e;
    return e;
  };

  defineCrystal_ = new QPushButton(QStringLiteral("Define Crystal ..."), this);
  defineCrystal_->setAutoDefault(false);
  diamond_ = new QCheckBox(QStringLiteral("Si//Ge/C structure"), this);
  diamond_->setObjectName(ToQt(Form::FieldName(F::DiamondMode)));
  auto* crystalRow = new QHBoxLayout;
  crystalRow->addWidget(defineCrystal_);
  crystalRow->addWidget(edit(F::CrystalName, true), 1);
  crystalRow->addWidget(diamond_);

  // Three fields in a row, each with "-" and "+" under it.
  auto* grid = new QGridLayout;
  auto addRow = [&](int row, const char* caption, std::initializer_list<F> ids) {
    grid->addWidget(new QLabel(QString::fromUtf8(caption), this), row, 0);
    int column = 1;
    for (F id : ids) {
      grid->addWidget(edit(id, false), row, column, 1, 2);
      for (int delta : {-1, +1}) {
        auto* step = new QPushButton(delta < 0 ? QStringLiteral("-") : QStringLiteral("+"), this);
        step->setAutoDefault(false);
        step->setFixedWidth(34);
        grid->addWidget(step, row + 1, column + (delta > 0 ? 1 : 0), Qt::AlignHCenter);
        connect(step, &QPushButton::clicked, this, [this, id, delta] {
          CopyIntoModel();
          model_.Step(*commandUi_, id, delta);
          ShowModel();
        });
      }
      column += 2;
    }
  };
  addRow(0, "Primary Reflection (G):", {F::GH, F::GK, F::GL});
  addRow(2, "Horizontal Reference Direction:", {F::HH, F::HK, F::HL});

  auto* limits = new QHBoxLayout;
  for (F id : {F::HLimit, F::KLimit, F::LLimit}) {
    limits->addWidget(new QLabel(ToQt(Form::FieldName(id)), this));
    limits->addWidget(edit(id, false));
  }
  limits->addStretch();


  auto* layout = new QVBoxLayout(this);
  layout->addLayout(crystalRow);
  layout->addSpacing(8);
  layout->addLayout(grid);
  layout->addSpacing(8);
  layout->addLayout(limits);
  layout->addLayout(OkCancelRow(this));

  connect(defineCrystal_, &QPushButton::clicked, this, [this] {
    CopyIntoModel();
    model_.DefineCrystal(*commandUi_);
    ShowModel();
  });
  ShowModel();
}

void CMapSettings::CopyIntoModel() {
  for (const auto& [id, e] : edits_) {
    if (!model_.Field(id).readOnly) model_.Field(id).text = FromQt(e->text());
  }
  model_.Field(F::DiamondMode).checked = diamond_->isChecked();
}

void CMapSettings::ShowModel() {
  for (const auto& [id, e] : edits_) ShowField(e, model_.Field(id));
  diamond_->setChecked(model_.Field(F::DiamondMode).checked);
}

void CMapSettings::accept() {
  CopyIntoModel();
  const bool accepted = model_.Ok(*commandUi_);
  ShowModel();
  if (accepted) QDialog::accept();
}

}  // namespace velto::gui
