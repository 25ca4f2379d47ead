#include "programs/convoluted_curve/ConvolutedCurveForm.h"

#include <memory>
#include <utility>
#include <vector>

#include "programs/convoluted_curve/ConvolutedCurvePlot.h"
#include "programs/convoluted_curve/ConvolutedCurveTexts.h"
#include "programs/convoluted_curve/CrystalPair.h"
#include "programs/crystal_dialog/CrystalParamsForm.h"
#include "programs/curve_export/CurveExport.h"
#include "programs/energy_dialogs/ChangeWavelengthForm.h"
#include "programs/ui/BoundFields.h"
#include "programs/ui/FieldReading.h"
#include "shell/NumberText.h"

namespace velto::programs {
namespace {

using F = ConvolutedCurveField;
using shell::FormatInteger;
using shell::FormatNumber;
namespace field = multicrystal::convolution_field;

constexpr int kInitialRockingStep = 2;  // a step of 10"

const char* PolarizationName(multicrystal::PolarizationChoice p) {
  switch (p) {
    case multicrystal::PolarizationChoice::Random:
      return "random";
    case multicrystal::PolarizationChoice::Pi:
      return "π";
    case multicrystal::PolarizationChoice::Sigma:
      break;
  }
  return "σ";
}

PlotSeries SeriesOf(const char* name, Pen pen, const multicrystal::CurveTrace& trace) {
  return {name, pen, PlotMarks::Line, trace.from, trace.step, {}, trace.values};
}

}  // namespace

const char* const ConvolutedCurveForm::kHelpMessage =
    "The default parameters suggested here are for calculating the rocking curve of a crystal using a typical "
    "synchrotron beam after a Double-Crystal Monochromator (with \"DCM\" checked).\n\nIf DCM is checked, Dispersive "
    "or Non-dispersive refers to the relationship between the 2nd crystal of the DCM and the sample.\n\nFor a Lab "
    "Cu source, the suggested parameters are:  FWHM = 2.6 eV; Spectrum range = 15 eV, 401 points;  Beam divergence "
    "= 1350 urad 101 points. You may also uncheck \"Channel Cut\" (single monochromator) and selected \"Random "
    "polarizaton\".";

ConvolutedCurveForm::ConvolutedCurveForm(AppContext& app)
    : app_(app), energy_(app.DefaultEnergy()), range_(50, kInitialRockingStep) {
  monochromator_.temperature = sample_.temperature = app.DefaultTemperature();
  for (F id : {F::Energy, F::MonochromatorName, F::MonochromatorHkl, F::MonochromatorBragg, F::SampleName, F::SampleHkl,
               F::SampleBragg, F::FwhmArcseconds, F::FwhmDegrees, F::FwhmMicroradians})
    Field(id).readOnly = true;
  Field(F::Energy).text = FormatNumber(energy_ / 1000, 8);
  Field(F::SpectrumFwhm).text = "20";
  Field(F::SpectrumRange).text = "60";
  Field(F::SpectralPoints).text = "501";
  Field(F::Divergence).text = "30";
  Field(F::DivergencePoints).text = "101";
  // Built once as a string: assigning the one-character literal to each
  // field draws a false -Wrestrict from GCC 12 in optimised builds.
  Field(F::AngularCentre).text = Field(F::MonochromatorAsymmetry).text = Field(F::SampleAsymmetry).text =
      std::string("0");
  Field(F::SampleThickness).text = "-1";
  Field(F::From).text = "-50";
  Field(F::To).text = "50";
  Field(F::Points).text = "201";
  Field(F::StepSize).text = RockingStepText(0.5);
  Field(F::Dcm).checked = true;
}

const char* ConvolutedCurveForm::ToolTip(ConvolutedCurveField id) {
  switch (id) {
    case F::Energy:
      return "Click the left button to change it";
    case F::SpectrumFwhm:
      return "Full width of Gaussian spectrum. -1 for flat spectrum. 2.6 eV for Cu-Ka1 spectrum";
    case F::SpectrumRange:
      return "Spectral integration range. Outside ignored";
    case F::SpectralPoints:
      return "Points of spectral integration within the range";
    case F::Divergence:
      return "With flat intensity distribution. Outside ignored";
    case F::DivergencePoints:
      return "Points of angular integration within the range";
    case F::Dcm:
      return "Check it if mono is a channel cut, or a double-crystal mono (DCM)";
    case F::ChannelCut:
      return "Check it if sample is a channel cut";
    case F::MonochromatorAsymmetry:
    case F::SampleAsymmetry:
      return "Positive if along the arrow. Negative otherwise";
    case F::AngularCentre:
      return "0, or use Single-Crystal Diffraction to calculate the rocking curve center of 1st crystal. Relative to "
             "1st Bragg angle";
    case F::ShowPrevious:
      return "To see if the calculation converges. If not, increase integration points";
    case F::SampleThickness:
      return "-1 means semi-infinite";
    default:
      return nullptr;
  }
}

const char* ConvolutedCurveForm::FocusName(ConvolutedCurveField id) {
  switch (id) {
    case F::SpectrumFwhm:
      return field::kSpectrumFwhm;
    case F::SpectrumRange:
      return field::kSpectrumRange;
    case F::SpectralPoints:
      return field::kSpectralPoints;
    case F::Divergence:
      return field::kDivergence;
    case F::DivergencePoints:
      return field::kDivergencePoints;
    case F::AngularCentre:
      return field::kAngularCentre;
    case F::MonochromatorBragg:
      return field::kMonochromatorBragg;
    case F::MonochromatorAsymmetry:
      return field::kMonochromatorAsymmetry;
    case F::SampleBragg:
      return field::kSampleBragg;
    case F::SampleAsymmetry:
      return field::kSampleAsymmetry;
    case F::SampleThickness:
      return field::kSampleThickness;
    case F::From:
      return field::kFrom;
    case F::To:
      return field::kTo;
    case F::Points:
      return field::kPoints;
    default:
      return nullptr;
  }
}

void ConvolutedCurveForm::DefineMonochromator(UserInterface& ui) {
  // Without a structure the dialog still opens, so that one can be loaded there.
  DefinePairCrystal(app_, ui, monochromator_, energy_, MissingStructure::OpenDialog, PairMember::First,
                    {Field(F::MonochromatorName), Field(F::MonochromatorHkl), Field(F::MonochromatorBragg)});
}

void ConvolutedCurveForm::DefineSample(UserInterface& ui) {
  DefinePairCrystal(app_, ui, sample_, energy_, MissingStructure::OpenDialog, PairMember::Second,
                    {Field(F::SampleName), Field(F::SampleHkl), Field(F::SampleBragg)});
}

void ConvolutedCurveForm::ShowBraggAngles() {
  if (MonochromatorDefined())
    Field(F::MonochromatorBragg).text = BraggAngleAfterEnergyChange(energy_, monochromator_.d);
  if (SampleDefined()) Field(F::SampleBragg).text = BraggAngleAfterEnergyChange(energy_, sample_.d);
}

void ConvolutedCurveForm::PhotonEnergy(UserInterface& ui) {
  ChangeWavelengthForm dialog(energy_, app_.Presets());
  if (ui.RunDialog(dialog) != DialogResult::Ok) return;
  energy_ = dialog.EnergyEv();
  Field(F::Energy).text = FormatNumber(energy_ / 1000, 8);
  // The chi values belong to the old energy until the crystals are defined again.
  if (MonochromatorDefined() || SampleDefined()) ui.ShowMessage(kEnergyChangedMessage);
  ShowBraggAngles();
}

void ConvolutedCurveForm::ClickChannelCut() {
  FormField& cut = Field(F::ChannelCut);
  cut.checked = !cut.checked;
  FormField& thickness = Field(F::SampleThickness);
  thickness.enabled = !cut.checked;
  if (cut.checked) thickness.text = "-1";
}

void ConvolutedCurveForm::ClickShowPrevious() { Field(F::ShowPrevious).checked = !Field(F::ShowPrevious).checked; }

void ConvolutedCurveForm::Help(UserInterface& ui) { ui.ShowMessage(kHelpMessage, MessageIcon::Information); }

std::optional<multicrystal::ConvolutionPlan> ConvolutedCurveForm::BeginCalculation(UserInterface& ui) {
  using namespace multicrystal;
  if (!MonochromatorDefined()) {
    ShowRefusal(ui, {kNoMonochromatorMessage, MessageIcon::None, field::kDefineMonochromator});
    return std::nullopt;
  }
  if (!SampleDefined()) {
    ShowRefusal(ui, {kNoSampleMessage, MessageIcon::None, field::kDefineSample});
    return std::nullopt;
  }

  ConvolutionInput in;
  in.energy = energy_;
  const auto fwhm = ReadNumberField(ui, Field(F::SpectrumFwhm).text, "FWHM", field::kSpectrumFwhm);
  if (!fwhm) return std::nullopt;
  const auto range = ReadNumberField(ui, Field(F::SpectrumRange).text, "Spectrum Range", field::kSpectrumRange);
  if (!range) return std::nullopt;
  in.spectrumFwhm = *fwhm;
  in.spectrumRange = *range;
  NormaliseSpectrum(in);
  if (in.spectrumFwhm == -1) Field(F::SpectrumFwhm).text = kFlatSpectrumText;
  // One-character texts are assigned so for the reason the constructor gives.
  if (in.spectrumRange != *range) {
    Field(F::SpectrumRange).text.assign(1, '0');
    Field(F::SpectralPoints).text.assign(1, '1');
  }

  const auto spectralPoints =
      ReadBoundInteger(ui, Field(F::SpectralPoints).text, 0, kMaxIntegrationPoints, field::kSpectralPoints);
  if (!spectralPoints) return std::nullopt;
  const auto divergencePoints =
      ReadBoundInteger(ui, Field(F::DivergencePoints).text, 0, kMaxIntegrationPoints, field::kDivergencePoints);
  if (!divergencePoints) return std::nullopt;
  const auto points = ReadBoundInteger(ui, Field(F::Points).text, kMinScanPoints, kMaxScanPoints, field::kPoints);
  if (!points) return std::nullopt;
  const auto divergence =
      ReadBoundNumber(ui, Field(F::Divergence).text, 0, kMaxDivergenceMicroradians, field::kDivergence);
  if (!divergence) return std::nullopt;
  const auto from = ReadAnyNumber(ui, Field(F::From).text, "from", field::kFrom);
  if (!from) return std::nullopt;
  const auto to = ReadAnyNumber(ui, Field(F::To).text, "to", field::kTo);
  if (!to) return std::nullopt;
  const auto monoAsymmetry = ReadBoundNumber(ui, Field(F::MonochromatorAsymmetry).text, -kMaxAsymmetryDegrees,
                                             kMaxAsymmetryDegrees, field::kMonochromatorAsymmetry);
  if (!monoAsymmetry) return std::nullopt;
  const auto sampleAsymmetry = ReadBoundNumber(ui, Field(F::SampleAsymmetry).text, -kMaxAsymmetryDegrees,
                                               kMaxAsymmetryDegrees, field::kSampleAsymmetry);
  if (!sampleAsymmetry) return std::nullopt;
  const auto thickness =
      ReadNumberField(ui, Field(F::SampleThickness).text, "Sample Thickness", field::kSampleThickness);
  if (!thickness) return std::nullopt;
  const auto centre = ReadNumberField(ui, Field(F::AngularCentre).text, "Angular Center", field::kAngularCentre);
  if (!centre) return std::nullopt;

  in.spectralPoints = *spectralPoints;
  in.divergence = *divergence;
  in.divergencePoints = *divergencePoints;
  in.angularCentre = *centre;
  in.monochromator = ReflectionOf(monochromator_);
  in.doubleMonochromator = Field(F::Dcm).checked;
  in.monochromatorAsymmetry = *monoAsymmetry;
  in.sample = ReflectionOf(sample_);
  in.sampleChannelCut = Field(F::ChannelCut).checked;
  in.sampleAsymmetry = *sampleAsymmetry;
  in.sampleThickness = *thickness;
  in.arrangement = arrangement_;
  in.polarization = polarization_;
  in.from = *from;
  in.to = *to;
  in.points = *points;
  in.rigorous = Field(F::Rigorous).checked;

  auto prepared = PrepareConvolution(in);
  // A beam of no divergence is one direction, whatever comes after.
  if (in.divergence == 0) Field(F::DivergencePoints).text.assign(1, '1');
  if (const Refusal* refusal = std::get_if<Refusal>(&prepared)) {
    ShowRefusal(ui, *refusal);
    return std::nullopt;
  }
  if (in.sampleThickness == -1) Field(F::SampleThickness).text = "-1";
  return std::get<ConvolutionPlan>(std::move(prepared));
}

void ConvolutedCurveForm::Calculate(UserInterface& ui) {
  std::optional<multicrystal::ConvolutionPlan> plan = BeginCalculation(ui);
  if (!plan) return;
  struct Outcome {
    multicrystal::ConvolutionStatus status = multicrystal::ConvolutionStatus::Cancelled;
    std::vector<double> intensity;
  };
  auto inputs = std::make_shared<const multicrystal::ConvolutionPlan>(std::move(*plan));
  auto outcome = std::make_shared<Outcome>();
  core::PointRunner* runner = runner_;
  ui.RunInBackground({"Calculating the convoluted rocking curve...",
                      [inputs, outcome, runner](core::Notifier&, core::Progress& progress) {
                        outcome->status = multicrystal::ComputeConvolution(*inputs, outcome->intensity, progress,
                                                                           multicrystal::kDefaultTableEntries, *runner);
                      },
                      [this, inputs, outcome](UserInterface& ui, bool cancelled) {
                        FinishCalculation(ui, *inputs,
                                          cancelled ? multicrystal::ConvolutionStatus::Cancelled : outcome->status,
                                          std::move(outcome->intensity));
                      }});
}

void ConvolutedCurveForm::FinishCalculation(UserInterface& ui, const multicrystal::ConvolutionPlan& plan,
                                            multicrystal::ConvolutionStatus status, std::vector<double> intensity) {
  if (status == multicrystal::ConvolutionStatus::Cancelled) return;
  if (status == multicrystal::ConvolutionStatus::OutOfMemory) {
    ui.ShowMessage(multicrystal::kNoMemoryMessage);
    return;
  }
  std::optional<multicrystal::CurveTrace> trace = multicrystal::ConvolutedTrace(plan, std::move(intensity));
  analysis_.reset();
  if (trace) analysis_ = multicrystal::AnalyseConvolutedCurve(*trace);
  curves_.Accept(std::move(trace));
  ShowFwhm();
  Field(F::StepSize).text = RockingStepText(plan.step);
  caption_ = "Monochromator " + monochromator_.structure.name + " " + HklText(monochromator_) +
             (plan.doubleMonochromator ? " (DCM)" : "") + ", sample " + sample_.structure.name + " " +
             HklText(sample_) + (plan.sampleChannelCut ? " (channel-cut)" : "") + ", " +
             FormatNumber(plan.energy / 1000, 8) + " keV, " + PolarizationName(plan.polarization) + ", " +
             (plan.arrangement == multicrystal::Arrangement::Dispersive ? "dispersive" : "non-dispersive");
  plot_.NewData();
}

void ConvolutedCurveForm::ShowFwhm() {
  const ConvolutionFwhmTexts texts = FwhmTextsOf(analysis_ ? analysis_->fwhm : std::nullopt);
  Field(F::FwhmArcseconds).text = texts.arcseconds;
  Field(F::FwhmDegrees).text = texts.degrees;
  Field(F::FwhmMicroradians).text = texts.microradians;
}

void ConvolutedCurveForm::ExportCurve(UserInterface& ui) {
  const std::optional<multicrystal::CurveTrace>& curve = curves_.Current();
  if (!curve) {
    ui.ShowMessage(kNoDataToExportMessage);
    return;
  }
  // The angle and the intensity are always written; nothing else exists.
  ExportAvailability availability;
  availability.laue = true;  // the flag that takes the penetration depth away
  availability.fixedColumns = true;
  CurveExportDialog dialog(availability);
  if (ui.RunDialog(dialog) != DialogResult::Ok) return;
  const std::optional<std::filesystem::path> path =
      ui.ChooseSaveFile({kExportSaveTitle, kExportFilter, kExportExtension, {}, {}});
  if (!path) return;
  const ExportColumns& choice = dialog.Choice();
  if (const std::optional<Refusal> failure = ExportConvolutedCurve(
          curve, AngleUnitOf(choice.scanUnit), choice.scanReference == ExportReference::Absolute, *path))
    ui.ShowMessage(failure->message, failure->icon);
}

PlotContent ConvolutedCurveForm::PlotContentNow() const {
  PlotContent content;
  content.x = {"Δω", "arcsec"};
  content.y = {"Intensity", "a.u."};
  content.logarithmicYOffered = true;
  const bool withPrevious = ShowingPrevious();
  content.full.layout = [this, withPrevious](Rect frame) {
    return ConvolutedCurvePlotArea(frame, curves_, withPrevious);
  };
  content.full.paint = [this, withPrevious](Canvas& canvas, Rect frame) {
    DrawConvolutedCurvePlot(canvas, frame, curves_, withPrevious);
  };
  const auto range = curves_.PlotRange(withPrevious);
  if (!range) {
    content.full.range = {0, 0, 0, 1};
    return content;
  }
  content.full.range = {range->xmin, range->xmax, 0, range->peak};
  if (withPrevious && curves_.Previous()) {
    content.series.push_back(SeriesOf("Previous RC", kPreviousCurvePen, *curves_.Previous()));
    content.full.paintsLegend = true;
  }
  if (curves_.Current()) content.series.push_back(SeriesOf("Current RC", kCurrentCurvePen, *curves_.Current()));
  content.caption = caption_;
  return content;
}

void ConvolutedCurveForm::DrawPlot(Canvas& canvas, Rect frame) const {
  DrawConvolutedCurvePlot(canvas, frame, curves_, ShowingPrevious());
}

void ConvolutedCurveForm::DrawGeometry(Canvas& canvas, Rect frame) const {
  DrawConvolutionGeometry(canvas, frame, arrangement_);
}

}  // namespace velto::programs
