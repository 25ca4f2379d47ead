#include "gui/CChangWavLen.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace velto::gui {

using Mode = programs::ChangeWavelengthForm::Mode;

namespace {

void ShowCombo(QComboBox* combo, const programs::FormField& field) {
  const QString text = ToQt(field.text);
  if (combo->currentText() != text) combo->setEditText(text);
  combo->setEnabled(field.enabled);
}

}  // namespace

CChangWavLen::CChangWavLen(QWidget* parent, programs::ChangeWavelengthForm& model, QtUserInterface&)
    : QDialog(parent), model_(model), ui_(this) {
  setWindowTitle(ToQt(programs::ChangeWavelengthForm::kTitle));

  energyMode_ = new QRadioButton(QStringLiteral("&Photon Energy:"), this);
  wavelengthMode_ = new QRadioButton(QStringLiteral("&Wavelength:"), this);
  energy_ = new CWLCombo(this);
  wavelength_ = new CWLCombo(this);
  energy_->lineEdit()->setObjectName(programs::ChangeWavelengthForm::kEnergyField);
  wavelength_->lineEdit()->setObjectName(programs::ChangeWavelengthForm::kWavelengthField);
  for (const std::string& entry : model_.EnergyList()) energy_->addItem(ToQt(entry));
  for (const std::string& entry : model_.WavelengthList()) wavelength_->addItem(ToQt(entry));
  energy_->setMinimumWidth(220);
  wavelength_->setMinimumWidth(220);

  braggButton_ = new QPushButton(QStringLiteral("Set Bragg Angle..."), this);
  backButton_ = new QPushButton(this);
  braggButton_->setAutoDefault(false);
  backButton_->setAutoDefault(false);

  auto* grid = new QGridLayout;
  grid->addWidget(energyMode_, 0, 0);
  grid->addWidget(energy_, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("KeV"), this), 0, 2);
  grid->addWidget(wavelengthMode_, 1, 0);
  grid->addWidget(wavelength_, 1, 1);
  grid->addWidget(new QLabel(QString::fromUtf8("Å"), this), 1, 2);
  grid->setColumnStretch(1, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CChangWavLen::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CChangWavLen::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addSpacing(6);
  layout->addWidget(braggButton_);
  layout->addWidget(backButton_);
  layout->addSpacing(6);
  layout->addWidget(buttons);

  connect(energyMode_, &QRadioButton::toggled, this, [this](bool on) {
    if (on && model_.CurrentMode() != Mode::Energy) model_.SetMode(Mode::Energy);
    Refresh();
  });
  connect(wavelengthMode_, &QRadioButton::toggled, this, [this](bool on) {
    if (on && model_.CurrentMode() != Mode::Wavelength) model_.SetMode(Mode::Wavelength);
    Refresh();
  });
  connect(energy_, &CWLCombo::userEdited, this, [this](const QString& text) {
    model_.EnergyEdited(FromQt(text));
    Refresh();
  });
  connect(wavelength_, &CWLCombo::userEdited, this, [this](const QString& text) {
    model_.WavelengthEdited(FromQt(text));
    Refresh();
  });
  connect(energy_, &CWLCombo::left, this, [this] {
    model_.EnergyLeft();
    Refresh();
  });
  connect(wavelength_, &CWLCombo::left, this, [this] {
    model_.WavelengthLeft();
    Refresh();
  });
  connect(backButton_, &QPushButton::clicked, this, [this] {
    model_.SetBackDiffractionEnergy();
    Refresh();
  });
  connect(braggButton_, &QPushButton::clicked, this, [this] {
    model_.SetBraggAngle(ui_);
    Refresh();
  });

  (model_.CurrentMode() == Mode::Energy ? energyMode_ : wavelengthMode_)->setChecked(true);
  Refresh();
}

void CChangWavLen::Refresh() {
  ShowCombo(energy_, model_.EnergyBox());
  ShowCombo(wavelength_, model_.WavelengthBox());
  ShowButton(braggButton_, model_.SetBraggButton());
  ShowButton(backButton_, model_.BackDiffractionButton());
}

void CChangWavLen::accept() {
  // What the boxes show is what counts, even if the last keystroke came
  // without an edit notification (a paste through the context menu).
  if (model_.CurrentMode() == Mode::Energy) {
    model_.EnergyEdited(FromQt(energy_->currentText()));
  } else {
    model_.WavelengthEdited(FromQt(wavelength_->currentText()));
  }
  Refresh();
  if (model_.Ok(ui_)) QDialog::accept();
}

}  // namespace velto::gui
