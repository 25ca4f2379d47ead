#include "gui/COrvoViewStruct.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "gui/InputWidgets.h"

namespace velto::gui {

using F = programs::StructureFactorField;
using programs::StructureFactorForm;

namespace {

QLabel* Label(const char* text, QWidget* parent) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setTextFormat(Qt::RichText);
  return label;
}

// The five components in the order of the result boxes.
constexpr const char* kFactorSymbols[] = {"F<sub>0</sub>", "F<sub>h</sub>", "F<sub>-h</sub>",
                                          "F<sub>h</sub><sup>π</sup>", "F<sub>-h</sub><sup>π</sup>"};
constexpr const char* kChiSymbols[] = {"χ<sub>0</sub>", "χ<sub>h</sub>", "χ<sub>-h</sub>", "χ<sub>h</sub><sup>π</sup>",
                                       "χ<sub>-h</sub><sup>π</sup>"};

}  // namespace

COrvoViewStruct::COrvoViewStruct(programs::AppContext& app, QWidget* parent) : ProgramView(parent), model_(app) {
  setWindowTitle(ToQt(model_.Title()));
  QWidget* form = Form();

  // Crystal, reflection, energy and temperature.
  import_ = new QPushButton(QStringLiteral("Import Crystal Structure..."), form);
  import_->setObjectName(StructureFactorForm::kImportButton);
  status_ = new QLabel(form);
  status_->setMinimumWidth(220);
  auto* reflection = new QGroupBox(QStringLiteral("Reflection"), form);
  auto* hkl = new QHBoxLayout(reflection);
  hkl->addWidget(new QLabel(QStringLiteral("HKL:"), reflection));
  for (std::size_t i = 0; i < 3; ++i) {
    index_[i] = new QSpinBox(reflection);
    index_[i]->setRange(-999, 999);
    index_[i]->setObjectName(StructureFactorForm::kIndexFields[i]);
    index_[i]->setMinimumWidth(70);
    hkl->addWidget(index_[i]);
    connect(index_[i], &QSpinBox::textChanged, this, [this] {
      if (showing_) return;
      ReadFields();
      model_.IndexEdited();
      ShowModel();
    });
  }
  hkl->addStretch();
  energy_ = new QPushButton(QStringLiteral("Photon Energy..."), form);
  auto* energyBox = AddResult(F::Energy, 12);
  temperature_ = new CTempCombo(form);
  temperature_->setObjectName(StructureFactorForm::kTemperatureField);
  for (const std::string& entry : model_.TemperatureList()) temperature_->addItem(ToQt(entry));
  temperature_->setMinimumWidth(160);
  calculate_ = new QPushButton(QStringLiteral("Calculate !!!"), form);
  calculate_->setMinimumHeight(36);

  auto* inputs = new QGridLayout;
  inputs->addWidget(import_, 0, 0);
  inputs->addWidget(status_, 0, 1, 1, 2);
  inputs->addWidget(reflection, 1, 0, 1, 3);
  inputs->addWidget(energy_, 2, 0);
  inputs->addWidget(energyBox, 2, 1);
  inputs->addWidget(new QLabel(QStringLiteral("KeV"), form), 2, 2);
  inputs->addWidget(new QLabel(QStringLiteral("Temperature:"), form), 3, 0, Qt::AlignRight);
  inputs->addWidget(temperature_, 3, 1);
  inputs->addWidget(new QLabel(QStringLiteral("K"), form), 3, 2);
  inputs->addWidget(calculate_, 4, 0, 1, 3);
  inputs->setColumnStretch(1, 1);

  // d and θB.
  auto* bragg = new QGridLayout;
  bragg->addWidget(Label("d =", form), 0, 0, Qt::AlignRight);
  bragg->addWidget(AddResult(F::DSpacing, 14), 0, 1);
  bragg->addWidget(Label("Å", form), 0, 2);
  bragg->addWidget(Label("θ<sub>B</sub> =", form), 1, 0, Qt::AlignRight);
  bragg->addWidget(AddResult(F::BraggAngle, 14), 1, 1);
  bragg->addWidget(Label("°", form), 1, 2);
  bragg->setColumnStretch(3, 1);

  // The structure factors, modulus and phase.
  auto* factors = new QGroupBox(QStringLiteral("Structure Factors "), form);
  auto* factorGrid = new QGridLayout(factors);
  factorGrid->addWidget(Label("|F|", factors), 0, 1, Qt::AlignCenter);
  factorGrid->addWidget(Label("phase (°)", factors), 0, 2, Qt::AlignCenter);
  for (int i = 0; i < 5; ++i) {
    factorGrid->addWidget(Label(kFactorSymbols[i], factors), i + 1, 0, Qt::AlignRight);
    factorGrid->addWidget(AddResult(StructureFactorForm::ModulusField(i), 12), i + 1, 1);
    factorGrid->addWidget(AddResult(StructureFactorForm::PhaseField(i), 12), i + 1, 2);
  }

  // The susceptibility, ×10⁻⁶.
  auto* chi = new QGroupBox(QStringLiteral("Fourier Components of Susceptibility  "), form);
  auto* chiGrid = new QGridLayout(chi);
  chiGrid->addWidget(Label("×10<sup>-6</sup>", chi), 0, 1, 1, 3, Qt::AlignCenter);
  for (int i = 0; i < 5; ++i) {
    chiGrid->addWidget(Label(kChiSymbols[i], chi), i + 1, 0, Qt::AlignRight);
    chiGrid->addWidget(AddResult(StructureFactorForm::ChiField(2 * i), 12), i + 1, 1);
    chiGrid->addWidget(Label("+ i", chi), i + 1, 2);
    chiGrid->addWidget(AddResult(StructureFactorForm::ChiField(2 * i + 1), 12), i + 1, 3);
  }

  auto* absorption = new QGridLayout;
  absorption->addWidget(Label("Linear Absorption:", form), 0, 0);
  absorption->addWidget(Label("µ =", form), 0, 1, Qt::AlignRight);
  absorption->addWidget(AddResult(F::Absorption, 12), 0, 2);
  absorption->addWidget(Label("µm<sup>-1</sup>", form), 0, 3);
  absorption->addWidget(Label("Penetration depth:", form), 1, 0);
  absorption->addWidget(AddResult(F::PenetrationDepth, 12), 1, 2);
  absorption->addWidget(Label("µm", form), 1, 3);
  absorption->setColumnStretch(4, 1);

  copyChi_ = new QPushButton(QStringLiteral("Copy Chi to Clipboard"), form);
  formFactor_ = new QPushButton(QStringLiteral("Form Factor..."), form);
  debyeWaller_ = new QPushButton(QStringLiteral("Debye-Waller\ntemperatures..."), form);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* button : {copyChi_, formFactor_, debyeWaller_}) {
    button->setMinimumHeight(40);
    buttons->addWidget(button);
  }
  buttons->addStretch();

  auto* note = new QLabel(ToQt(StructureFactorForm::kNote), form);
  note->setWordWrap(true);

  auto* left = new QVBoxLayout;
  left->addLayout(inputs);
  left->addSpacing(8);
  left->addLayout(bragg);
  left->addLayout(absorption);
  left->addStretch();
  auto* right = new QVBoxLayout;
  right->addWidget(factors);
  right->addWidget(chi);
  right->addLayout(buttons);
  right->addWidget(note);
  right->addStretch();
  auto* columns = new QHBoxLayout(form);
  columns->addLayout(left);
  columns->addSpacing(16);
  columns->addLayout(right);
  columns->addStretch();

  connect(import_, &QPushButton::clicked, this, [this] { RunCommand(model_, &StructureFactorForm::ImportStructure); });
  connect(energy_, &QPushButton::clicked, this, [this] { RunCommand(model_, &StructureFactorForm::PhotonEnergy); });
  connect(calculate_, &QPushButton::clicked, this, [this] { RunCommand(model_, &StructureFactorForm::Calculate); });
  connect(copyChi_, &QPushButton::clicked, this, [this] { RunCommand(model_, &StructureFactorForm::CopyChi); });
  connect(formFactor_, &QPushButton::clicked, this, [this] { RunCommand(model_, &StructureFactorForm::FormFactor); });
  connect(debyeWaller_, &QPushButton::clicked, this,
          [this] { RunCommand(model_, &StructureFactorForm::DebyeWallerTemperatures); });
  connect(temperature_, &CTempCombo::grayResults, this, [this] {
    ReadFields();
    model_.TemperatureEdited();
    ShowModel();
  });
  SetMainCommand([this] { RunCommand(model_, &StructureFactorForm::Calculate); });
  ShowModel();
}

QLineEdit* COrvoViewStruct::AddResult(F id, int characters) {
  auto* edit = new CInactvWbkEdit(Form());
  edit->setObjectName(QStringLiteral("field%1").arg(static_cast<int>(id)));
  edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QString(characters, '0')) + 12);
  edit->setAlignment(Qt::AlignRight);
  edits_[id] = edit;
  return edit;
}

void COrvoViewStruct::ReadFields() {
  for (std::size_t i = 0; i < 3; ++i) {
    model_.Field(static_cast<F>(static_cast<int>(F::H) + static_cast<int>(i))).text = FromQt(index_[i]->cleanText());
  }
  model_.Field(F::Temperature).text = FromQt(temperature_->currentText());
}

void COrvoViewStruct::ShowModel() {
  showing_ = true;
  status_->setText(ToQt(model_.Field(F::Status).text));
  for (std::size_t i = 0; i < 3; ++i) {
    const QString text = ToQt(model_.Field(static_cast<F>(static_cast<int>(F::H) + static_cast<int>(i))).text);
    if (index_[i]->cleanText() != text) index_[i]->setValue(text.toInt());
  }
  const QString temperature = ToQt(model_.Field(F::Temperature).text);
  if (temperature_->currentText() != temperature) temperature_->setEditText(temperature);
  for (const auto& [id, edit] : edits_) ShowField(edit, model_.Field(id));
  showing_ = false;
}

}  // namespace velto::gui
