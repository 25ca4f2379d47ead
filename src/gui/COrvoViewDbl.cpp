#include "gui/COrvoViewDbl.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/PlotWidget.h"

namespace velto::gui {

using F = programs::ConvolutedCurveField;
using programs::ConvolutedCurveForm;
namespace field = multicrystal::convolution_field;

namespace {

QLabel* Label(const char* text, QWidget* parent) { return new QLabel(QString::fromUtf8(text), parent); }

}  // namespace

COrvoViewDbl::COrvoViewDbl(programs::AppContext& app, QWidget* parent) : ProgramView(parent), model_(app) {
  setWindowTitle(ToQt(ConvolutedCurveForm::kTitle));
  const ModelChange change = [this](const std::function<void()>& f) { Change(f); };

  auto* energyButton = new QPushButton(QStringLiteral("Photon Energy..."), this);
  auto* energyRow = new QHBoxLayout;
  energyRow->addWidget(energyButton);
  energyRow->addWidget(controls_.AddEdit(F::Energy, true, "000.00000000"));
  energyRow->addWidget(Label("keV", this));
  energyRow->addStretch(1);

  calculate_ = new QPushButton(ToQt(ConvolutedCurveForm::kCalculateCaption), this);
  calculate_->setMinimumHeight(44);
  auto* help = new QPushButton(QStringLiteral("Help"), this);
  auto* checks = new QVBoxLayout;
  checks->addWidget(controls_.AddCheck(F::Rigorous, "Use The Rigorous\nDynamical Theory"));
  checks->addWidget(controls_.AddCheck(F::ShowPrevious, "Show Previous RC", true));
  auto* calculateRow = new QHBoxLayout;
  calculateRow->addWidget(calculate_, 1);
  calculateRow->addLayout(checks);
  calculateRow->addWidget(help);

  auto* left = new QVBoxLayout;
  left->addLayout(energyRow);
  left->addWidget(BeamGroup());
  left->addWidget(CrystalGroup(true));
  left->addWidget(CrystalGroup(false));
  left->addWidget(ArrangementGroup());
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

  auto* results = new QGroupBox(QStringLiteral("Result"), this);
  auto* fwhm = new QGridLayout(results);
  fwhm->addWidget(Label("FWHM:", this), 0, 0);
  fwhm->addWidget(controls_.AddEdit(F::FwhmArcseconds, true, "0000.00 \""), 0, 1);
  fwhm->addWidget(controls_.AddEdit(F::FwhmDegrees, true, "0.00000000"), 1, 1);
  fwhm->addWidget(Label("°", this), 1, 2);
  fwhm->addWidget(controls_.AddEdit(F::FwhmMicroradians, true, "00000.0 urad"), 2, 1);
  fwhm->setRowStretch(3, 1);

  auto* top = new QHBoxLayout;
  top->addWidget(results);
  top->addStretch(1);
  top->addWidget(geometryFrame);
  auto* right = new QVBoxLayout;
  right->addLayout(top);
  right->addWidget(plot_, 1);
  right->addLayout(RangeRow());

  auto* layout = new QHBoxLayout(Form());
  layout->addLayout(left);
  layout->addLayout(right, 1);
  controls_.SetToolTips(&ConvolutedCurveForm::ToolTip);

  connect(energyButton, &QPushButton::clicked, this,
          [this] { RunCommand(model_, &ConvolutedCurveForm::PhotonEnergy); });
  connect(defineMonochromator_, &QPushButton::clicked, this,
          [this] { RunCommand(model_, &ConvolutedCurveForm::DefineMonochromator); });
  connect(defineSample_, &QPushButton::clicked, this,
          [this] { RunCommand(model_, &ConvolutedCurveForm::DefineSample); });
  connect(help, &QPushButton::clicked, this, [this] { RunCommand(model_, &ConvolutedCurveForm::Help); });
  connect(calculate_, &QPushButton::clicked, this, &COrvoViewDbl::calculate);
  connect(controls_.Check(F::ChannelCut), &QCheckBox::clicked, this,
          [this] { Change([this] { model_.ClickChannelCut(); }); });
  connect(controls_.Check(F::ShowPrevious), &QCheckBox::clicked, this,
          [this] { Change([this] { model_.ClickShowPrevious(); }); });
  connect(dispersive_, &QRadioButton::toggled, this, [this](bool on) {
    model_.SetArrangement(on ? multicrystal::Arrangement::Dispersive : multicrystal::Arrangement::NonDispersive);
    geometry_->update();
  });
  for (int i = 0; i < 3; ++i) {
    connect(polarization_[i], &QRadioButton::toggled, this, [this, i](bool on) {
      if (on) model_.SetPolarization(static_cast<multicrystal::PolarizationChoice>(i));
    });
  }
  BindRangeSteps(steps_, model_, change);

  AddFileCommand(QString::fromLatin1(ConvolutedCurveForm::kExportCommand), [this] { exportData(); });
  SetMainCommand([this] { calculate(); });
  ShowModel();
}

QWidget* COrvoViewDbl::BeamGroup() {
  auto* group = new QGroupBox(QStringLiteral("Incident Beam"), this);
  auto* grid = new QGridLayout(group);
  const char* number = "0000000";
  grid->addWidget(Label("FWHM:", this), 0, 0);
  grid->addWidget(controls_.AddEdit(F::SpectrumFwhm, false, "-1 (flat)"), 0, 1);
  grid->addWidget(Label("eV", this), 0, 2);
  grid->addWidget(Label("Angular Center:", this), 0, 3, Qt::AlignRight);
  grid->addWidget(controls_.AddEdit(F::AngularCentre, false, number), 0, 4);
  grid->addWidget(Label("arcsec", this), 0, 5);
  grid->addWidget(Label("Spectrum Range:", this), 1, 0);
  grid->addWidget(controls_.AddEdit(F::SpectrumRange, false, number), 1, 1);
  grid->addWidget(Label("eV", this), 1, 2);
  grid->addWidget(controls_.AddEdit(F::SpectralPoints, false, number), 1, 4);
  grid->addWidget(Label("points", this), 1, 5);
  grid->addWidget(Label("Beam Divergence:", this), 2, 0);
  grid->addWidget(controls_.AddEdit(F::Divergence, false, number), 2, 1);
  grid->addWidget(Label("µrad", this), 2, 2);
  grid->addWidget(controls_.AddEdit(F::DivergencePoints, false, number), 2, 4);
  grid->addWidget(Label("points", this), 2, 5);
  return group;
}

QWidget* COrvoViewDbl::CrystalGroup(bool monochromator) {
  auto* group = new QGroupBox(monochromator ? QStringLiteral("Monochromator") : QStringLiteral("Sample"), this);
  auto* grid = new QGridLayout(group);
  auto* define =
      new QPushButton(monochromator ? QStringLiteral("Define ...") : QStringLiteral("Define Sample ..."), this);
  define->setObjectName(QString::fromUtf8(monochromator ? field::kDefineMonochromator : field::kDefineSample));
  (monochromator ? defineMonochromator_ : defineSample_) = define;
  grid->addWidget(define, 0, 0);
  grid->addWidget(controls_.AddEdit(monochromator ? F::MonochromatorName : F::SampleName, true), 0, 1, 1, 4);
  grid->addWidget(
      monochromator ? controls_.AddCheck(F::Dcm, "DCM") : controls_.AddCheck(F::ChannelCut, "Channel Cut", true), 0, 5,
      1, 3);
  grid->addWidget(Label("H K L:", this), 1, 0, Qt::AlignRight);
  grid->addWidget(controls_.AddEdit(monochromator ? F::MonochromatorHkl : F::SampleHkl, true, "-99 -99 -99"), 1, 1);
  grid->addWidget(Label(monochromator ? "θB<sup>M</sup> =" : "θB =", this), 1, 2, Qt::AlignRight);
  grid->addWidget(controls_.AddEdit(monochromator ? F::MonochromatorBragg : F::SampleBragg, true, "No diffraction!"), 1,
                  3);
  grid->addWidget(Label("°", this), 1, 4);
  grid->addWidget(Label(monochromator ? "φM =" : "φ =", this), 1, 5, Qt::AlignRight);
  grid->addWidget(controls_.AddEdit(monochromator ? F::MonochromatorAsymmetry : F::SampleAsymmetry, false, "-00.0000"),
                  1, 6);
  grid->addWidget(Label("°", this), 1, 7);
  if (!monochromator) {
    grid->addWidget(Label("Sample Thickness:", this), 2, 0, 1, 2, Qt::AlignRight);
    grid->addWidget(controls_.AddEdit(F::SampleThickness, false, "0000000"), 2, 3);
    grid->addWidget(Label("µm", this), 2, 4);
  }
  grid->setColumnStretch(3, 1);
  return group;
}

QWidget* COrvoViewDbl::ArrangementGroup() {
  auto* box = new QWidget(this);
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  auto* nonDispersive = new QRadioButton(QStringLiteral("Non-dispersive"), this);
  dispersive_ = new QRadioButton(QStringLiteral("Dispersive"), this);
  nonDispersive->setChecked(true);
  auto* arrangement = new QButtonGroup(this);
  arrangement->addButton(nonDispersive);
  arrangement->addButton(dispersive_);
  auto* geometry = new QVBoxLayout;
  geometry->addWidget(nonDispersive);
  geometry->addWidget(dispersive_);
  row->addLayout(geometry);

  auto* group = new QGroupBox(QStringLiteral("Polarization"), this);
  auto* radios = new QHBoxLayout(group);
  auto* buttons = new QButtonGroup(this);
  const char* captions[] = {"Random ", "Sigma ", "Pi "};
  for (int i = 0; i < 3; ++i) {
    polarization_[i] = new QRadioButton(QString::fromLatin1(captions[i]), this);
    buttons->addButton(polarization_[i]);
    radios->addWidget(polarization_[i]);
  }
  polarization_[static_cast<int>(model_.GetPolarization())]->setChecked(true);
  row->addWidget(group, 1);
  return box;
}

QLayout* COrvoViewDbl::RangeRow() {
  auto* range = new QHBoxLayout;
  range->addWidget(Label("Δω", this));
  range->addWidget(Label("from", this));
  range->addWidget(controls_.AddEdit(F::From, false, "-000000"));
  for (int i = 0; i < 2; ++i) range->addWidget(steps_[i] = new CBTNRightClk(this));
  range->addSpacing(8);
  range->addWidget(Label("to", this));
  range->addWidget(controls_.AddEdit(F::To, false, "-000000"));
  for (int i = 2; i < 4; ++i) range->addWidget(steps_[i] = new CBTNRightClk(this));
  range->addWidget(Label("arcsec", this));
  range->addStretch(1);
  auto* points = new QHBoxLayout;
  points->addWidget(Label("points", this));
  points->addWidget(controls_.AddEdit(F::Points, false, "000000"));
  auto* minus50 = new QPushButton(QStringLiteral("-50"), this);
  auto* plus50 = new QPushButton(QStringLiteral("+50"), this);
  for (QPushButton* button : {minus50, plus50}) {
    FitButton(button, "+50");
    points->addWidget(button);
  }
  stepSize_ = new QLabel(this);
  points->addSpacing(8);
  points->addWidget(stepSize_);
  points->addStretch(1);
  connect(minus50, &QPushButton::clicked, this, [this] { Change([this] { model_.SubtractFiftyPoints(); }); });
  connect(plus50, &QPushButton::clicked, this, [this] { Change([this] { model_.AddFiftyPoints(); }); });
  auto* rows = new QVBoxLayout;
  rows->addLayout(range);
  rows->addLayout(points);
  return rows;
}

void COrvoViewDbl::Change(const std::function<void()>& change) {
  ReadFields();
  change();
  ShowModel();
}

void COrvoViewDbl::ReadFields() { controls_.Read(model_); }

void COrvoViewDbl::ShowModel() {
  controls_.Show(model_);
  calculate_->setEnabled(!Busy());
  stepSize_->setText(ToQt(model_.Field(F::StepSize).text));
  ShowRangeSteps(steps_, model_);
  geometry_->update();
  plot_->Refresh();
}

void COrvoViewDbl::calculate() { RunCommand(model_, &ConvolutedCurveForm::Calculate); }

void COrvoViewDbl::exportData() { RunCommand(model_, &ConvolutedCurveForm::ExportCurve); }

}  // namespace velto::gui
