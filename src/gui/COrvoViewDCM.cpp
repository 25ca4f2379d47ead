#include "gui/COrvoViewDCM.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/PlotWidget.h"

namespace velto::gui {

using F = programs::MonochromatorField;
using multicrystal::ScanMode;
using programs::MonochromatorForm;
namespace field = multicrystal::monochromator_field;

namespace {

QLabel* Label(const char* text, QWidget* parent) { return new QLabel(QString::fromUtf8(text), parent); }

// Two radio buttons in one group, the first checked; returns the second.
QRadioButton* RadioPair(const char* first, const char* second, QBoxLayout* row, QWidget* parent) {
  auto* a = new QRadioButton(QString::fromUtf8(first), parent);
  auto* b = new QRadioButton(QString::fromUtf8(second), parent);
  a->setChecked(true);
  auto* group = new QButtonGroup(parent);
  group->addButton(a);
  group->addButton(b);
  row->addWidget(a);
  row->addWidget(b);
  return b;
}

}  // namespace

COrvoViewDCM::COrvoViewDCM(programs::AppContext& app, QWidget* parent) : ProgramView(parent), model_(app) {
  setWindowTitle(ToQt(MonochromatorForm::kTitle));

  auto* programHelp = new QPushButton(QStringLiteral("?"), this);
  programHelp->setMaximumWidth(30);
  auto* energyButton = new QPushButton(QStringLiteral("Photon Energy..."), this);
  auto* energyRow = new QHBoxLayout;
  energyRow->addWidget(energyButton);
  energyRow->addWidget(controls_.AddEdit(F::Energy, true, "000.00000000"));
  energyRow->addWidget(Label("keV", this));
  energyRow->addSpacing(12);
  energyRow->addWidget(Label("Polarization:", this));
  pi_ = RadioPair("Sigma ", "Pi ", energyRow, this);
  energyRow->addStretch(1);
  energyRow->addWidget(programHelp);

  calculate_ = new QPushButton(QStringLiteral("Calculate !!!"), this);
  calculate_->setMinimumHeight(40);
  auto* calculateRow = new QHBoxLayout;
  calculateRow->addWidget(controls_.AddCheck(F::OnlyFirst, "Only 1st"));
  calculateRow->addWidget(controls_.AddCheck(F::Rigorous, "Use The Rigorous\nDynamical Theory"));
  calculateRow->addWidget(calculate_, 1);
  auto* left = new QVBoxLayout;
  left->addLayout(energyRow);
  left->addWidget(CrystalGroup(true));
  left->addWidget(CrystalGroup(false));
  left->addWidget(OrientationGroup());
  left->addWidget(ScanGroup());
  left->addLayout(calculateRow);
  left->addStretch(1);

  geometry_ = new CanvasPicture([this](programs::Canvas& c, programs::Rect r) { model_.DrawGeometry(c, r); },
                                QSize(260, 150), this);
  auto* geometryFrame = new QGroupBox(this);
  auto* geometryLayout = new QVBoxLayout(geometryFrame);
  geometryLayout->setContentsMargins(1, 6, 1, 1);
  geometryLayout->addWidget(geometry_);
  plot_ = new PlotWidget(this);
  plot_->PictureArea()->setMinimumSize(520, 300);
  plot_->Attach(model_.CurvePlot(), CommandUi());

  auto* top = new QHBoxLayout;
  top->addWidget(ResultsGroup(), 1);
  top->addWidget(geometryFrame, 0, Qt::AlignTop);
  auto* right = new QVBoxLayout;
  right->addLayout(top);
  right->addWidget(plot_, 1);
  auto* layout = new QHBoxLayout(Form());
  layout->addLayout(left);
  layout->addLayout(right, 1);

  connect(programHelp, &QPushButton::clicked, this, [this] { RunCommand(model_, &MonochromatorForm::ProgramHelp); });
  connect(energyButton, &QPushButton::clicked, this, [this] { RunCommand(model_, &MonochromatorForm::PhotonEnergy); });
  connect(defineFirst_, &QPushButton::clicked, this, [this] { RunCommand(model_, &MonochromatorForm::DefineFirst); });
  connect(defineSecond_, &QPushButton::clicked, this, [this] { RunCommand(model_, &MonochromatorForm::DefineSecond); });
  connect(autoSet_, &QPushButton::clicked, this, [this] { RunCommand(model_, &MonochromatorForm::AutoSet); });
  connect(calculate_, &QPushButton::clicked, this, &COrvoViewDCM::calculate);
  connect(pi_, &QRadioButton::toggled, this,
          [this](bool on) { model_.SetPolarization(on ? twobeam::Polarization::Pi : twobeam::Polarization::Sigma); });
  connect(dispersive_, &QRadioButton::toggled, this, [this](bool on) {
    model_.SetArrangement(on ? multicrystal::Arrangement::Dispersive : multicrystal::Arrangement::NonDispersive);
    geometry_->update();
  });
  connect(energyScan_, &QRadioButton::toggled, this,
          [this](bool on) { Change([this, on] { model_.SetScanMode(on ? ScanMode::Energy : ScanMode::Angular); }); });
  BindRangeSteps(steps_, model_, [this](const std::function<void()>& f) { Change(f); });

  AddFileCommand(QString::fromLatin1(MonochromatorForm::kExportCommand), [this] { exportData(); });
  SetMainCommand([this] { calculate(); });
  ShowModel();
}

QWidget* COrvoViewDCM::CrystalGroup(bool first) {
  auto* group = new QGroupBox(first ? QStringLiteral("1st Crystal") : QStringLiteral("2nd Crystal"), this);
  auto* grid = new QGridLayout(group);
  auto* define =
      new QPushButton(first ? QStringLiteral("Define 1st Crystal...") : QStringLiteral("Define 2nd Crystal..."), this);
  define->setObjectName(QString::fromUtf8(first ? field::kDefineFirst : field::kDefineSecond));
  (first ? defineFirst_ : defineSecond_) = define;
  grid->addWidget(define, 0, 0);
  grid->addWidget(controls_.AddEdit(first ? F::FirstName : F::SecondName, true), 0, 1, 1, 4);
  grid->addWidget(controls_.AddCheck(first ? F::FirstChannelCut : F::SecondChannelCut, "Channel-Cut"), 0, 5, 1, 3);
  grid->addWidget(Label("H K L:", this), 1, 0, Qt::AlignRight);
  grid->addWidget(controls_.AddEdit(first ? F::FirstHkl : F::SecondHkl, true, "-99 -99 -99"), 1, 1);
  grid->addWidget(Label(first ? "θB<sup>1</sup> =" : "θB<sup>2</sup> =", this), 1, 2, Qt::AlignRight);
  grid->addWidget(controls_.AddEdit(first ? F::FirstBragg : F::SecondBragg, true, "No diffraction!"), 1, 3);
  grid->addWidget(Label("°", this), 1, 4);
  grid->addWidget(Label(first ? "φ<sub>1</sub> =" : "φ<sub>2</sub> =", this), 1, 5, Qt::AlignRight);
  grid->addWidget(controls_.AddEdit(first ? F::FirstAsymmetry : F::SecondAsymmetry, false, "-00.0000"), 1, 6);
  grid->addWidget(Label("°", this), 1, 7);
  grid->setColumnStretch(3, 1);
  return group;
}

QWidget* COrvoViewDCM::OrientationGroup() {
  auto* group = new QGroupBox(QStringLiteral("Relative Orientation"), this);
  auto* grid = new QGridLayout(group);
  auto* arrangement = new QHBoxLayout;
  dispersive_ = RadioPair("Non-dispersive", "Dispersive", arrangement, this);
  grid->addLayout(arrangement, 0, 0, 1, 3);
  autoSet_ = new QPushButton(QStringLiteral("Auto Set..."), this);
  auto* autoSetHelp = new QPushButton(QStringLiteral("?"), this);
  autoSetHelp->setMaximumWidth(30);
  auto* autoSetRow = new QHBoxLayout;
  autoSetRow->addWidget(autoSet_);
  autoSetRow->addWidget(autoSetHelp);
  grid->addLayout(autoSetRow, 0, 3, 1, 3);
  grid->addWidget(Label("Φ =", this), 1, 0, Qt::AlignRight);
  grid->addWidget(controls_.AddEdit(F::Phi, true, "-000.00000000"), 1, 1);
  grid->addWidget(Label("°", this), 1, 2);
  grid->addWidget(Label("ΔΦ =", this), 1, 3, Qt::AlignRight);
  grid->addWidget(controls_.AddEdit(F::DeltaPhi, false, "-000.0000"), 1, 4);
  grid->addWidget(Label("arcsec", this), 1, 5);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(4, 1);
  connect(autoSetHelp, &QPushButton::clicked, this, [this] { RunCommand(model_, &MonochromatorForm::AutoSetHelp); });
  return group;
}

QWidget* COrvoViewDCM::ScanGroup() {
  auto* group = new QGroupBox(QStringLiteral("Scan"), this);
  auto* grid = new QGridLayout(group);
  auto* mode = new QHBoxLayout;
  energyScan_ = RadioPair("Angular Scan", "Energy Scan", mode, this);
  mode->addSpacing(12);
  mode->addWidget(Label("Δω", this));
  mode->addWidget(controls_.AddEdit(F::DeltaOmega, false, "-000.00000000"));
  mode->addWidget(Label("\"  from Bragg", this));
  mode->addStretch(1);
  grid->addLayout(mode, 0, 0, 1, 9);
  scanSymbol_ = new QLabel(this);
  grid->addWidget(scanSymbol_, 1, 0);
  grid->addWidget(Label("from", this), 1, 1);
  grid->addWidget(controls_.AddEdit(F::From, false, "-000000"), 1, 2);
  grid->addWidget(steps_[0] = new CBTNRightClk(this), 1, 3);
  grid->addWidget(steps_[1] = new CBTNRightClk(this), 1, 4);
  grid->addWidget(Label("to", this), 1, 5);
  grid->addWidget(controls_.AddEdit(F::To, false, "-000000"), 1, 6);
  grid->addWidget(steps_[2] = new CBTNRightClk(this), 1, 7);
  grid->addWidget(steps_[3] = new CBTNRightClk(this), 1, 8);
  scanUnit_ = new QLabel(this);
  grid->addWidget(scanUnit_, 1, 9);
  grid->addWidget(Label("points", this), 2, 1);
  grid->addWidget(controls_.AddEdit(F::Points, false, "000000"), 2, 2);
  auto* minus100 = new QPushButton(QStringLiteral("-100"), this);
  auto* plus100 = new QPushButton(QStringLiteral("+100"), this);
  FitButton(minus100, "+100");
  FitButton(plus100, "+100");
  grid->addWidget(minus100, 2, 3);
  grid->addWidget(plus100, 2, 4);
  stepSize_ = new QLabel(this);
  grid->addWidget(stepSize_, 2, 5, 1, 5);
  connect(minus100, &QPushButton::clicked, this, [this] { Change([this] { model_.SubtractHundredPoints(); }); });
  connect(plus100, &QPushButton::clicked, this, [this] { Change([this] { model_.AddHundredPoints(); }); });
  return group;
}

QWidget* COrvoViewDCM::ResultsGroup() {
  auto* group = new QGroupBox(QStringLiteral("Results"), this);
  auto* grid = new QGridLayout(group);
  grid->addWidget(Label("FWHM:", this), 0, 0);
  grid->addWidget(controls_.AddEdit(F::Fwhm, true, "00.00000 eV"), 0, 1);
  grid->addWidget(Label("Max Reflectivity:", this), 1, 0);
  grid->addWidget(controls_.AddEdit(F::MaxReflectivity, true, "0.00000   at  -00.00000 eV"), 1, 1, 1, 3);
  grid->addWidget(Label("Center Reflectivity:", this), 2, 0);
  grid->addWidget(controls_.AddEdit(F::CentreReflectivity, true, "0.00000"), 2, 1);
  grid->addWidget(Label("at", this), 2, 2);
  grid->addWidget(controls_.AddEdit(F::CentrePosition, true, "-00.00000 eV"), 2, 3);
  grid->addWidget(Label("Half Maxima at", this), 3, 0);
  grid->addWidget(controls_.AddEdit(F::HalfMaxima, true, "-00.00000, -00.00000 eV"), 3, 1, 1, 3);
  grid->setColumnStretch(4, 1);  // room to spare goes to the right, not between the fields
  return group;
}

void COrvoViewDCM::Change(const std::function<void()>& change) {
  ReadFields();
  change();
  ShowModel();
}

void COrvoViewDCM::ReadFields() { controls_.Read(model_); }

void COrvoViewDCM::ShowModel() {
  controls_.Show(model_);
  calculate_->setEnabled(!Busy());
  const bool energy = model_.GetScanMode() == ScanMode::Energy;
  scanSymbol_->setText(energy ? QStringLiteral("ΔE") : QStringLiteral("Δω"));
  scanUnit_->setText(ToQt(model_.Field(F::ScanUnit).text));
  stepSize_->setText(ToQt(model_.Field(F::StepSize).text));
  ShowRangeSteps(steps_, model_);
  geometry_->update();
  plot_->Refresh();
}

void COrvoViewDCM::calculate() { RunCommand(model_, &MonochromatorForm::Calculate); }

void COrvoViewDCM::exportData() { RunCommand(model_, &MonochromatorForm::ExportCurve); }

}  // namespace velto::gui
