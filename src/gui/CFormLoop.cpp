#include "gui/CFormLoop.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/InputWidgets.h"

namespace velto::gui {

using F = programs::FormLoopField;
using Form = programs::FormLoopForm;

CFormLoop::CFormLoop(QWidget* parent, Form& model, QtUserInterface&)
    : QDialog(parent), model_(model), ui_(this), commandUi_(&ui_) {
  setWindowTitle(ToQt(Form::kTitle));

  auto* element = new CInactvWbkEdit(this);
  edits_[F::Element] = element;
  energyMode_ = new QRadioButton(QStringLiteral("&Energy"), this);
  angleMode_ = new QRadioButton(QStringLiteral("&theta"), this);

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("Element:"), this), 0, 0, Qt::AlignRight);
  grid->addWidget(element, 0, 1);
  auto* modes = new QHBoxLayout;
  modes->addWidget(energyMode_);
  modes->addWidget(angleMode_);
  modes->addStretch();
  grid->addLayout(modes, 1, 0, 1, 3);
  const struct {
    F field, unit;
    const char* label;
    const char* name;
  } range[] = {{F::From, F::FromUnit, "From:", Form::kFromField},
               {F::To, F::ToUnit, "To:", Form::kToField},
               {F::Step, F::StepUnit, "Step:", Form::kStepField}};
  int row = 2;
  for (const auto& r : range) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(r.name);
    edit->setAlignment(Qt::AlignRight);
    edits_[r.field] = edit;
    units_[r.unit] = new QLabel(this);
    grid->addWidget(new QLabel(QString::fromLatin1(r.label), this), row, 0, Qt::AlignRight);
    grid->addWidget(edit, row, 1);
    grid->addWidget(units_[r.unit], row++, 2);
  }
  auto* energy = new CInactvWbkEdit(this);
  edits_[F::Energy] = energy;
  grid->addWidget(new QLabel(QStringLiteral("Photon Energy:"), this), row, 0, Qt::AlignRight);
  grid->addWidget(energy, row, 1);
  grid->addWidget(new QLabel(QString::fromLatin1(Form::kEnergyUnit), this), row, 2);
  grid->setColumnStretch(1, 1);

  auto* columns = new QHBoxLayout;
  columns->addWidget(new QLabel(QStringLiteral("Columns:"), this));
  const std::pair<F, const char*> shown[] = {
      {F::ShowsF0, "f0"}, {F::ShowsFPrime, "f′"}, {F::ShowsFDoublePrime, "f″"}, {F::ShowsCompton, "f_cmpt"}};
  for (const auto& [id, label] : shown) {
    columns_[id] = new QCheckBox(QString::fromUtf8(label), this);
    columns->addWidget(columns_[id]);
  }
  columns->addStretch();

  export_ = new QPushButton(QStringLiteral("Ex&port Data..."), this);
  export_->setDefault(true);
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  close->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(export_);
  buttons->addStretch();
  buttons->addWidget(close);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(columns);
  layout->addSpacing(8);
  layout->addLayout(buttons);

  connect(energyMode_, &QRadioButton::clicked, this, [this] {
    model_.SetMode(programs::FormLoopMode::Energy);
    Refresh();
  });
  connect(angleMode_, &QRadioButton::clicked, this, [this] {
    model_.SetMode(programs::FormLoopMode::Angle);
    Refresh();
  });
  connect(export_, &QPushButton::clicked, this, [this] {
    CopyFields();
    model_.Export(*commandUi_);
    Refresh();
  });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  Refresh();
  edits_[F::From]->setFocus();
}

void CFormLoop::CopyFields() {
  for (F id : {F::From, F::To, F::Step}) model_.Field(id).text = FromQt(edits_[id]->text());
}

void CFormLoop::Refresh() {
  for (const auto& [id, edit] : edits_) ShowField(edit, model_.Field(id));
  for (const auto& [id, label] : units_) label->setText(ToQt(model_.Field(id).text));
  for (const auto& [id, box] : columns_) {
    box->setChecked(model_.Field(id).checked);
    box->setEnabled(model_.Field(id).enabled);
  }
  (model_.Mode() == programs::FormLoopMode::Energy ? energyMode_ : angleMode_)->setChecked(true);
}

}  // namespace velto::gui
