#include "gui/CDlgCrystParams.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace velto::gui {

using Form = programs::CrystalParamsForm;

namespace {

QLabel* HelpText(const char* text, QWidget* parent) {
  auto* label = new QLabel(ToQt(text), parent);
  label->setWordWrap(true);
  return label;
}

CColorEdit* Edit(QWidget* parent, const QString& name, int width) {
  auto* edit = new CColorEdit(parent);
  edit->setObjectName(name);
  edit->setMinimumWidth(width);
  return edit;
}

}  // namespace

CDlgCrystParams::CDlgCrystParams(QWidget* parent, Form& model, QtUserInterface&)
    : QDialog(parent), model_(model), ui_(this), commandUi_(&ui_) {
  setWindowTitle(ToQt(Form::kTitle));

  // Structure, temperature, reflection.
  structureButton_ = new QPushButton(QStringLiteral("Crystal Structure..."), this);
  structureButton_->setObjectName(Form::kStructureButton);
  structureButton_->setAutoDefault(false);
  name_ = Edit(this, "name", 200);
  temperature_ = Edit(this, Form::kTemperatureField, 120);
  auto* top = new QGridLayout;
  top->addWidget(structureButton_, 0, 0);
  top->addWidget(name_, 0, 1, 1, 4);
  top->addWidget(new QLabel(QStringLiteral("Temperature:"), this), 1, 0, Qt::AlignRight);
  top->addWidget(temperature_, 1, 1, 1, 2);
  top->addWidget(new QLabel(QStringLiteral("K"), this), 1, 3);
  top->addWidget(new QLabel(QStringLiteral("H K L:"), this), 2, 0, Qt::AlignRight);
  for (std::size_t i = 0; i < 3; ++i) {
    index_[i] = new QSpinBox(this);
    index_[i]->setRange(-999, 999);
    index_[i]->setObjectName(Form::kIndexFields[i]);
    index_[i]->setMinimumWidth(70);
    top->addWidget(index_[i], 2, 1 + static_cast<int>(i));
  }
  d_ = Edit(this, Form::kDField, 120);
  theta_ = Edit(this, "thetaB", 120);
  top->addWidget(new QLabel(QStringLiteral("d ="), this), 3, 0, Qt::AlignRight);
  top->addWidget(d_, 3, 1, 1, 2);
  top->addWidget(new QLabel(QString::fromUtf8("Å"), this), 3, 3);
  top->addWidget(new QLabel(QString::fromUtf8("θ<sub>B</sub> ="), this), 4, 0, Qt::AlignRight);
  top->addWidget(theta_, 4, 1, 1, 2);
  top->addWidget(new QLabel(QString::fromUtf8("°"), this), 4, 3);
  top->setColumnStretch(4, 1);

  calculateButton_ = new QPushButton(QStringLiteral("Calculate Structure Factors\n and Parameters"), this);
  calculateButton_->setAutoDefault(false);
  manual_ = new QCheckBox(QStringLiteral("Manually set Structure Factors"), this);

  // The five chi components, ×10⁶.
  auto* chiGroup = new QGroupBox(QStringLiteral("Chi components:  "), this);
  auto* chiGrid = new QGridLayout(chiGroup);
  const char* symbols[] = {"χ<sub>0</sub>", "χ<sub>h</sub>", "χ<sub>-h</sub>", "χ<sub>h</sub><sup>π</sup>",
                           "χ<sub>-h</sub><sup>π</sup>"};
  chiGrid->addWidget(new QLabel(QString::fromUtf8("×10<sup>-6</sup>"), chiGroup), 0, 1, 1, 3, Qt::AlignCenter);
  for (int row = 0; row < 5; ++row) {
    chiGrid->addWidget(new QLabel(QString::fromUtf8(symbols[row]) + " =", chiGroup), row + 1, 0, Qt::AlignRight);
    for (int part = 0; part < 2; ++part) {
      auto* box = Edit(chiGroup, ToQt(Form::ChiField(2 * row + part)), 110);
      box->setAlignment(Qt::AlignRight);
      chi_[static_cast<std::size_t>(2 * row + part)] = box;
      chiGrid->addWidget(box, row + 1, part == 0 ? 1 : 3);
    }
    chiGrid->addWidget(new QLabel(QStringLiteral("+ i"), chiGroup), row + 1, 2);
  }

  copyButton_ = new QPushButton(QStringLiteral("Copy from Brennan"), this);
  auto* factorsButton = new QPushButton(QStringLiteral("Structure Factors && LA..."), this);
  auto* exampleButton = new QPushButton(QStringLiteral("See \"Silicon.struct\" for format"), this);
  for (QPushButton* button : {copyButton_, factorsButton, exampleButton}) button->setAutoDefault(false);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setAutoDefault(false);

  // Left: the crystal; right: chi and the help texts.
  auto* left = new QVBoxLayout;
  left->addLayout(top);
  left->addWidget(calculateButton_);
  left->addWidget(HelpText(Form::kManualHelp, this));
  left->addWidget(manual_);
  left->addStretch();
  left->addWidget(exampleButton);
  left->addWidget(HelpText(Form::kNotepadHelp, this));

  auto* right = new QVBoxLayout;
  right->addWidget(chiGroup);
  auto* chiButtons = new QHBoxLayout;
  chiButtons->addWidget(copyButton_);
  chiButtons->addWidget(factorsButton);
  right->addLayout(chiButtons);
  right->addWidget(HelpText(Form::kBrennanHelp, this));
  right->addStretch();

  auto* columns = new QHBoxLayout;
  columns->addLayout(left, 1);
  columns->addSpacing(12);
  columns->addLayout(right, 1);

  auto* okRow = new QHBoxLayout;
  okRow->addStretch();
  okRow->addWidget(ok);
  okRow->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns);
  layout->addLayout(okRow);

  connect(structureButton_, &QPushButton::clicked, this, [this] {
    CopyIntoModel();
    model_.LoadStructure(Ui());
    Refresh();
  });
  connect(calculateButton_, &QPushButton::clicked, this, [this] {
    CopyIntoModel();
    model_.Calculate(Ui());
    Refresh();
  });
  connect(manual_, &QCheckBox::clicked, this, [this] {
    CopyIntoModel();
    model_.ToggleManual();
    Refresh();
  });
  connect(d_, &QLineEdit::textEdited, this, [this](const QString& text) {
    model_.DEdited(FromQt(text));
    Refresh();
  });
  connect(copyButton_, &QPushButton::clicked, this, [this] {
    CopyIntoModel();
    model_.CopyFromBrennan(Ui());
    Refresh();
  });
  connect(factorsButton, &QPushButton::clicked, this, [this] {
    CopyIntoModel();
    model_.ShowStructureFactors(Ui());
  });
  connect(exampleButton, &QPushButton::clicked, this, [this] { model_.ShowExampleStructure(Ui()); });
  connect(ok, &QPushButton::clicked, this, &CDlgCrystParams::accept);
  connect(cancel, &QPushButton::clicked, this, &CDlgCrystParams::reject);

  Refresh();
}

void CDlgCrystParams::CopyIntoModel() {
  model_.Name().text = FromQt(name_->text());
  model_.Temperature().text = FromQt(temperature_->text());
  for (std::size_t i = 0; i < 3; ++i) model_.Index(static_cast<int>(i)).text = FromQt(index_[i]->cleanText());
  model_.D().text = FromQt(d_->text());
  for (std::size_t i = 0; i < chi_.size(); ++i) model_.Chi(static_cast<int>(i)).text = FromQt(chi_[i]->text());
}

void CDlgCrystParams::Refresh() {
  ShowField(name_, model_.Name());
  ShowField(temperature_, model_.Temperature());
  for (std::size_t i = 0; i < 3; ++i) {
    const QString text = ToQt(model_.Index(static_cast<int>(i)).text);
    if (index_[i]->cleanText() != text) index_[i]->setValue(text.toInt());
  }
  ShowField(d_, model_.D());
  ShowField(theta_, model_.ThetaB());
  theta_->setReadOnlyColoured(true);
  for (std::size_t i = 0; i < chi_.size(); ++i) ShowField(chi_[i], model_.Chi(static_cast<int>(i)));
  manual_->setChecked(model_.ManualCheck().checked);
  ShowButton(calculateButton_, programs::FormField{{}, model_.CalculateButton().enabled});
  ShowButton(copyButton_, programs::FormField{{}, model_.CopyFromBrennanButton().enabled});
}

void CDlgCrystParams::accept() {
  CopyIntoModel();
  const bool accepted = model_.Ok(Ui());
  Refresh();
  if (accepted) QDialog::accept();
}

void CDlgCrystParams::reject() {
  if (model_.Cancel()) QDialog::reject();
}

}  // namespace velto::gui
