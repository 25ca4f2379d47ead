#include "gui/CDlgMBD_Save.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/InputWidgets.h"

namespace velto::gui {

using programs::MbdSaveForm;
using Column = MbdSaveForm::Column;

CDlgMBD_Save::CDlgMBD_Save(QWidget* parent, MbdSaveForm& model, QtUserInterface&)
    : QDialog(parent), model_(model), ui_(this) {
  setWindowTitle(ToQt(MbdSaveForm::kTitle));
  auto* layout = new QVBoxLayout(this);
  auto* note = new QLabel(ToQt(MbdSaveForm::kNote), this);
  note->setWordWrap(true);
  layout->addWidget(note);

  auto* beamRow = new QHBoxLayout;
  beamRow->addWidget(new QLabel(QStringLiteral("Beam (0-based Reflection # index):"), this));
  beam_ = new QComboBox(this);
  for (int i = 0; i < model_.BeamCount(); ++i) beam_->addItem(QString::number(i));
  beam_->setCurrentIndex(model_.SelectedBeam().value_or(-1));
  beamRow->addWidget(beam_);
  beamRow->addStretch(1);
  layout->addLayout(beamRow);

  auto* side = new QGroupBox(this);
  auto* sideLayout = new QVBoxLayout(side);
  entrance_ = new QRadioButton(ToQt(MbdSaveForm::kReflectionSide), side);
  exit_ = new QRadioButton(ToQt(MbdSaveForm::kTransmissionSide), side);
  exit_->setEnabled(model_.TransmissionEnabled());
  (model_.ExitSide() ? exit_ : entrance_)->setChecked(true);
  sideLayout->addWidget(entrance_);
  sideLayout->addWidget(exit_);
  layout->addWidget(side);

  auto* columns = new QGroupBox(this);
  auto* grid = new QGridLayout(columns);
  for (int i = 0; i < static_cast<int>(Column::Count); ++i) {
    const auto column = static_cast<Column>(i);
    QCheckBox* box = columns_[static_cast<std::size_t>(i)] = new QCheckBox(ToQt(MbdSaveForm::Caption(column)), columns);
    box->setChecked(model_.ColumnBox(column).checked);
    box->setEnabled(model_.ColumnBox(column).enabled);
    grid->addWidget(box, i, 0);
  }
  grid->addWidget(new QLabel(QStringLiteral("or Intensity (a.u.)"), columns), static_cast<int>(Column::Reflectivity), 1);
  auto* unit = new QGroupBox(columns);
  auto* unitLayout = new QHBoxLayout(unit);
  arcsec_ = new QRadioButton(ToQt(MbdSaveForm::kArcsec), unit);
  microradian_ = new QRadioButton(ToQt(MbdSaveForm::kMicroradian), unit);
  (model_.Microradians() ? microradian_ : arcsec_)->setChecked(true);
  unitLayout->addWidget(arcsec_);
  unitLayout->addWidget(microradian_);
  grid->addWidget(unit, 0, 1, 2, 1);
  layout->addWidget(columns);

  auto* rotationRow = new QHBoxLayout;
  rotation_ = new QLineEdit(this);
  rotation_->setObjectName(MbdSaveForm::kRotationField);
  ShowField(rotation_, model_.Rotation());
  rotationRow->addWidget(rotation_);
  rotationRow->addWidget(new QLabel(ToQt(MbdSaveForm::kRotationLabel), this));
  rotationRow->addStretch(1);
  layout->addLayout(rotationRow);

  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(new QLabel(ToQt(MbdSaveForm::kFileLabel), this));
  file_ = new QLineEdit(this);
  file_->setObjectName(MbdSaveForm::kFileField);
  file_->setMinimumWidth(360);
  fileRow->addWidget(file_, 1);
  auto* browse = new QPushButton(QStringLiteral("..."), this);
  browse->setAutoDefault(false);
  fileRow->addWidget(browse);
  layout->addLayout(fileRow);
  auto* warning = new QLabel(ToQt(MbdSaveForm::kWarning), this);
  warning->setWordWrap(true);
  layout->addWidget(warning);

  auto* buttons = new QHBoxLayout;
  auto* go = new QPushButton(ToQt(MbdSaveForm::kOk), this);
  go->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  buttons->addStretch(1);
  buttons->addWidget(go);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);

  connect(browse, &QPushButton::clicked, this, [this] {
    ReadFields();
    model_.Browse(ui_);
    ShowField(file_, model_.FileName());
  });
  connect(go, &QPushButton::clicked, this, &CDlgMBD_Save::accept);
  connect(cancel, &QPushButton::clicked, this, &CDlgMBD_Save::reject);
}

void CDlgMBD_Save::ReadFields() {
  model_.ChooseExitSide(exit_->isChecked());
  model_.ChooseMicroradians(microradian_->isChecked());
  for (int i = 0; i < static_cast<int>(Column::Count); ++i)
    model_.ColumnBox(static_cast<Column>(i)).checked = columns_[static_cast<std::size_t>(i)]->isChecked();
  if (beam_->currentIndex() >= 0) model_.SelectBeam(beam_->currentIndex());
  model_.Rotation().text = FromQt(rotation_->text());
  model_.FileName().text = FromQt(file_->text());
}

void CDlgMBD_Save::accept() {
  ReadFields();
  if (model_.Ok(ui_)) QDialog::accept();
}

}  // namespace velto::gui
