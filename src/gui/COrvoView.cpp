#include "gui/COrvoView.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include "gui/GeometryPicture.h"
#include "gui/InputWidgets.h"
#include "gui/PlotWidget.h"

namespace velto::gui {

using F = programs::SingleCrystalField;
using programs::SingleCrystalForm;

namespace {

QLabel* Label(const char* text, QWidget* parent) { return new QLabel(QString::fromUtf8(text), parent); }

}  // namespace

COrvoView::COrvoView(programs::AppContext& app, bool laue, QWidget* parent)
    : ProgramView(parent), model_(app, laue) {
  setWindowTitle(ToQt(model_.Title()));
  auto* controls = new QGridLayout;
  int row = 0;

  auto* energyButton = new QPushButton(QStringLiteral("Photon Energy..."), this);
  controls->addWidget(energyButton, row, 0);
  controls->addWidget(AddEdit(F::Energy, true), row, 1);
  controls->addWidget(Label("keV", this), row, 2);
  auto* crystalButton = defineCrystal_ = new QPushButton(QStringLiteral("Define Crystal..."), this);
  crystalButton->setObjectName(QString::fromUtf8(programs::kDefineCrystalField.data()));
  controls->addWidget(crystalButton, ++row, 0);
  controls->addWidget(AddEdit(F::CrystalName, true), row, 1, 1, 2);

  controls->addWidget(Label("Thickness:", this), ++row, 0);
  controls->addWidget(AddEdit(F::Thickness, false), row, 1);
  edits_[F::Thickness]->setObjectName(QString::fromUtf8(programs::kThicknessField.data()));
  controls->addWidget(Label("µm", this), row, 2);
  sigma_ = new QRadioButton(QStringLiteral("Sigma "), this);
  pi_ = new QRadioButton(QStringLiteral("Pi "), this);
  sigma_->setChecked(true);
  auto* polarization = new QButtonGroup(this);
  polarization->addButton(sigma_);
  polarization->addButton(pi_);
  auto* polarizationRow = new QHBoxLayout;
  polarizationRow->addWidget(sigma_);
  polarizationRow->addWidget(pi_);
  controls->addLayout(polarizationRow, ++row, 0, 1, 3);

  controls->addWidget(Label("H K L:", this), ++row, 0);
  controls->addWidget(AddEdit(F::Hkl, true), row, 1);
  controls->addWidget(Label("θB (deg)", this), ++row, 0);
  controls->addWidget(AddEdit(F::BraggAngle, true), row, 1);
  question_ = new QPushButton(QStringLiteral("?"), this);
  question_->setMaximumWidth(30);
  controls->addWidget(question_, row, 2);
  controls->addWidget(Label("α (deg)", this), ++row, 0);
  controls->addWidget(AddEdit(F::Asymmetry, false), row, 1);
  edits_[F::Asymmetry]->setObjectName(QString::fromUtf8(programs::kAsymmetryField.data()));
  controls->addWidget(Label("b =", this), ++row, 0);
  controls->addWidget(AddEdit(F::AsymmetryFactor, true), row, 1, 1, 2);

  rocking_ = new QRadioButton(QStringLiteral("Rocking Curve"), this);
  energyScan_ = new QRadioButton(QStringLiteral("Energy Scan"), this);
  rocking_->setChecked(true);
  auto* kind = new QButtonGroup(this);
  kind->addButton(rocking_);
  kind->addButton(energyScan_);
  auto* kindRow = new QHBoxLayout;
  kindRow->addWidget(rocking_);
  kindRow->addWidget(energyScan_);
  controls->addLayout(kindRow, ++row, 0, 1, 3);
  offsetSymbol_ = new QLabel(this);
  controls->addWidget(offsetSymbol_, ++row, 0, Qt::AlignRight);
  controls->addWidget(AddEdit(F::Offset, false), row, 1);
  edits_[F::Offset]->setObjectName(QString::fromUtf8(programs::kOffsetField.data()));
  offsetUnit_ = new QLabel(this);
  controls->addWidget(offsetUnit_, row, 2);
  controls->addWidget(Label("from Bragg condition", this), ++row, 1, 1, 2);

  controls->addWidget(Label("from", this), ++row, 0);
  controls->addWidget(AddEdit(F::From, false), row, 1);
  edits_[F::From]->setObjectName(QString::fromUtf8(programs::kFromField.data()));
  auto* fromSteps = new QHBoxLayout;
  for (int i = 0; i < 2; ++i) fromSteps->addWidget(steps_[i] = new CBTNRightClk(this));
  controls->addLayout(fromSteps, row, 2);
  controls->addWidget(Label("to", this), ++row, 0);
  controls->addWidget(AddEdit(F::To, false), row, 1);
  edits_[F::To]->setObjectName(QString::fromUtf8(programs::kToField.data()));
  auto* toSteps = new QHBoxLayout;
  for (int i = 2; i < 4; ++i) toSteps->addWidget(steps_[i] = new CBTNRightClk(this));
  controls->addLayout(toSteps, row, 2);
  rangeSymbol_ = new QLabel(this);
  controls->addWidget(rangeSymbol_, ++row, 0, Qt::AlignRight);
  rangeUnit_ = new QLabel(this);
  controls->addWidget(rangeUnit_, row, 1);
  controls->addWidget(Label("points", this), ++row, 0);
  controls->addWidget(AddEdit(F::Points, false), row, 1);
  edits_[F::Points]->setObjectName(QString::fromUtf8(programs::kPointsField.data()));
  auto* minus100 = new QPushButton(QStringLiteral("-100"), this);
  auto* plus100 = new QPushButton(QStringLiteral("+100"), this);
  auto* pointSteps = new QHBoxLayout;
  pointSteps->addWidget(minus100);
  pointSteps->addWidget(plus100);
  controls->addLayout(pointSteps, row, 2);
  stepSize_ = new QLabel(this);
  controls->addWidget(stepSize_, ++row, 0, 1, 3);

  calculate_ = new QPushButton(QStringLiteral("Calculate RC\nUpdate"), this);
  calculate_->setMinimumHeight(44);
  controls->addWidget(calculate_, ++row, 0, 1, 2);
  rigorous_ = new QCheckBox(QStringLiteral(" Use the Rigorous\n Dynamical Theory\n for grazing geometry"), this);
  rigorous_->setToolTip(ToQt(SingleCrystalForm::ToolTip(F::Rigorous)));
  controls->addWidget(rigorous_, ++row, 0, 1, 3);
  controls->addWidget(new GeometryPicture(laue, this), ++row, 0, 1, 3);
  controls->setRowStretch(++row, 1);

  plot_ = new PlotWidget(this);
  plot_->PictureArea()->setMinimumSize(520, 336);
  plot_->Attach(model_.CurvePlot(), CommandUi());

  auto* results = new QGridLayout;
  results->addWidget(Label("Maximum Reflectivity:", this), 0, 0);
  results->addWidget(AddEdit(F::MaxReflectivity, true), 0, 1);
  results->addWidget(Label("at", this), 0, 2);
  results->addWidget(AddEdit(F::MaxPosition, true), 0, 3);
  results->addWidget(Label("Curve Center Reflectivity:", this), 1, 0);
  results->addWidget(AddEdit(F::CentreReflectivity, true), 1, 1);
  results->addWidget(Label("at", this), 1, 2);
  results->addWidget(AddEdit(F::CentrePosition, true), 1, 3);
  results->addWidget(Label("FWHM", this), 2, 0);
  results->addWidget(AddEdit(F::Fwhm, true), 2, 1, 1, 3);
  results->addWidget(AddEdit(F::FwhmMicroradian, true), 3, 1, 1, 3);
  showR_ = new QCheckBox(QStringLiteral("Reflectivity"), this);
  showT_ = new QCheckBox(QStringLiteral("Transmissivity"), this);
  results->addWidget(showR_, 0, 4);
  results->addWidget(showT_, 1, 4);
  auto* details = new QPushButton(QStringLiteral("Detail..."), this);
  auto* help = new QPushButton(QStringLiteral("Help"), this);
  results->addWidget(details, 2, 4);
  results->addWidget(help, 3, 4);
  auto* mouse = AddEdit(F::MouseCoordinates, true);
  results->addWidget(mouse, 0, 5, 2, 1);
  results->setColumnStretch(3, 1);
  // The positions carry the exit angle in brackets; they keep room for it
  // however narrow the window, the reflectivities need only a few digits.
  const QFontMetrics metrics = fontMetrics();
  const int margins = 16;
  for (F id : {F::MaxPosition, F::CentrePosition}) {
    edits_[id]->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("-99.999\" (-99.999\" Exit)")) + margins);
  }
  for (F id : {F::MaxReflectivity, F::CentreReflectivity}) {
    edits_[id]->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("0.000000")) + margins);
  }
  mouse->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("-99.9999 0.999999")) + margins);

  auto* right = new QVBoxLayout;
  right->addWidget(plot_, 1);
  right->addLayout(results);
  auto* layout = new QHBoxLayout(Form());
  layout->addLayout(controls);
  layout->addLayout(right, 1);

  for (auto& [id, edit] : edits_) {
    if (const char* tip = SingleCrystalForm::ToolTip(id)) edit->setToolTip(ToQt(tip));
  }
  steps_[SingleCrystalForm::FromMinus]->setToolTip(QStringLiteral("Right-click to change step"));
  steps_[SingleCrystalForm::ToPlus]->setToolTip(QStringLiteral("Right-click to change step"));

  connect(energyButton, &QPushButton::clicked, this, [this] { RunCommand(model_, &SingleCrystalForm::PhotonEnergy); });
  connect(crystalButton, &QPushButton::clicked, this, [this] { RunCommand(model_, &SingleCrystalForm::DefineCrystal); });
  connect(question_, &QPushButton::clicked, this, [this] { RunCommand(model_, &SingleCrystalForm::BraggQuestion); });
  connect(details, &QPushButton::clicked, this, [this] { RunCommand(model_, &SingleCrystalForm::Details); });
  connect(help, &QPushButton::clicked, this, [this] { model_.Help(); });
  connect(calculate_, &QPushButton::clicked, this, &COrvoView::calculate);
  connect(sigma_, &QRadioButton::toggled, this, [this](bool on) {
    model_.SetPolarization(on ? twobeam::Polarization::Sigma : twobeam::Polarization::Pi);
  });
  connect(energyScan_, &QRadioButton::toggled, this, [this](bool on) {
    ReadFields();
    model_.SetScanKind(on ? twobeam::ScanKind::EnergyScan : twobeam::ScanKind::RockingCurve);
    ShowModel();
  });
  for (int i = 0; i < 4; ++i) {
    connect(steps_[i], &QPushButton::clicked, this, [this, i] {
      ReadFields();
      model_.StepRange(static_cast<SingleCrystalForm::RangeButton>(i));
      ShowModel();
    });
    connect(steps_[i], &CBTNRightClk::stepChosen, this, [this](int index) {
      model_.ChooseStep(index);
      ShowModel();
    });
  }
  connect(minus100, &QPushButton::clicked, this, [this] {
    ReadFields();
    model_.SubtractHundredPoints();
    ShowModel();
  });
  connect(plus100, &QPushButton::clicked, this, [this] {
    ReadFields();
    model_.AddHundredPoints();
    ShowModel();
  });
  connect(showR_, &QCheckBox::clicked, this, [this] {
    model_.ClickReflectivity();
    ShowModel();
  });
  connect(showT_, &QCheckBox::clicked, this, [this] {
    model_.ClickTransmissivity();
    ShowModel();
  });
  connect(plot_, &PlotWidget::pointed, this, [this](programs::Rect frame, programs::Point p) {
    model_.MouseInPlot(frame, p);
    ShowField(edits_[F::MouseCoordinates], model_.Field(F::MouseCoordinates));
  });

  AddFileCommand(QString::fromLatin1(SingleCrystalForm::kExportCommand), [this] { exportData(); });
  SetMainCommand([this] { calculate(); });
  ShowModel();
}

COrvoView::~COrvoView() = default;

QLineEdit* COrvoView::AddEdit(F id, bool display) {
  QLineEdit* edit = display ? static_cast<QLineEdit*>(new CInactvWbkEdit(this)) : new QLineEdit(this);
  if (display) edit->setReadOnly(true);
  edit->setObjectName(QStringLiteral("field%1").arg(static_cast<int>(id)));
  edits_[id] = edit;
  return edit;
}

void COrvoView::ReadFields() {
  for (const auto& [id, edit] : edits_) {
    if (!model_.Field(id).readOnly) model_.Field(id).text = FromQt(edit->text());
  }
  model_.Field(F::Rigorous).checked = rigorous_->isChecked();
}

void COrvoView::ShowModel() {
  for (const auto& [id, edit] : edits_) ShowField(edit, model_.Field(id));
  ShowButton(question_, model_.Field(F::BraggQuestion));
  calculate_->setEnabled(model_.Field(F::Calculate).enabled && !Busy());
  rigorous_->setEnabled(model_.Field(F::Rigorous).enabled);
  // The fixed coordinate is the energy for a rocking curve and the angle
  // for an energy scan; the range is the other one.
  const bool rocking = model_.GetScanKind() == twobeam::ScanKind::RockingCurve;
  offsetSymbol_->setText(rocking ? QStringLiteral("ΔE =") : QStringLiteral("Δθ ="));
  rangeSymbol_->setText(rocking ? QStringLiteral("Δθ") : QStringLiteral("ΔE"));
  offsetUnit_->setText(ToQt(model_.Field(F::OffsetUnit).text));
  rangeUnit_->setText(ToQt(model_.Field(F::RangeUnit).text));
  stepSize_->setText(ToQt(model_.Field(F::StepSize).text));
  for (int i = 0; i < 4; ++i) steps_[i]->setText(ToQt(model_.StepCaption(static_cast<SingleCrystalForm::RangeButton>(i))));
  showR_->setChecked(model_.Field(F::ReflectivityCheck).checked);
  showR_->setEnabled(model_.Field(F::ReflectivityCheck).enabled);
  showT_->setChecked(model_.Field(F::TransmissivityCheck).checked);
  showT_->setEnabled(model_.Field(F::TransmissivityCheck).enabled);
  plot_->Refresh();
}

void COrvoView::calculate() { RunCommand(model_, &SingleCrystalForm::Calculate); }

void COrvoView::exportData() { RunCommand(model_, &SingleCrystalForm::ExportCurve); }

}  // namespace velto::gui
