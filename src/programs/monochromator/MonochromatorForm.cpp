#include "programs/monochromator/MonochromatorForm.h"

#include <utility>
#include <variant>

#include "programs/convoluted_curve/ConvolutedCurvePlot.h"
#include "programs/convoluted_curve/CrystalPair.h"
#include "programs/crystal_dialog/CrystalParamsForm.h"
#include "programs/curve_export/CurveExport.h"
#include "programs/energy_dialogs/ChangeWavelengthForm.h"
#include "programs/monochromator/MonochromatorPlot.h"
#include "programs/ui/BoundFields.h"
#include "programs/ui/FieldReading.h"
#include "shell/NumberText.h"

namespace velto::programs {
namespace {

using F = MonochromatorField;
using multicrystal::Arrangement;
using multicrystal::ScanMode;
using shell::FormatInteger;
using shell::ParseInteger;
using shell::ParseNumber;
namespace field = multicrystal::monochromator_field;

constexpr int kInitialAngularStep = 2;  // a step of 10"
constexpr int kInitialEnergyStep = 3;   // a step of 1 eV

double StepOf(const std::string& from, const std::string& to, const std::string& points) {
  const int n = ParseInteger(points);
  return n > 1 ? (ParseNumber(to) - ParseNumber(from)) / (n - 1) : 0.0;
}

}  // namespace

const char* const MonochromatorForm::kAutoSetHelp =
    "For calculating the small Peak Center shift from Bragg angle for the 1st crystal. You can also temporarily set "
    "2nd crystal parameters at the first crystal to calculate the 2nd shift. You can also reverse the 1st crystal to "
    "find the shift of the 1st exit beam. Then manually calculate the Delta Phi and delta omega. Or, you can use the "
    "Single-Crystal Diffraction program to calculate all the shifts.";
const char* const MonochromatorForm::kProgramHelp =
    "This program is different from the Double-Crystal Rocking Curve (DCRC) program. Here it is for rocking the two "
    "crystal together for an incident plane wave, while DCRC is rocking only the second crystal and the incident "
    "beam is divergent and polychromatic.\n\nThe ultimate goal is to calculate the rocking curve (angular "
    "acceptance) or bandwidth of arbitrarily arranged multi-crystal monochromators in the future.";

MonochromatorForm::MonochromatorForm(AppContext& app)
    : app_(app), energy_(app.DefaultEnergy()), range_(100, kInitialAngularStep) {
  first_.temperature = second_.temperature = app.DefaultTemperature();
  for (F id : {F::Energy, F::FirstName, F::FirstHkl, F::FirstBragg, F::SecondName, F::SecondHkl, F::SecondBragg, F::Phi,
               F::Fwhm, F::MaxReflectivity, F::CentreReflectivity, F::CentrePosition, F::HalfMaxima})
    Field(id).readOnly = true;
  Field(F::Energy).text = shell::FormatNumber(energy_ / 1000, 8);
  // Built once as a string: assigning the one-character literal to each
  // field draws a false -Wrestrict from GCC 12 in optimised builds.
  const std::string zero("0");
  Field(F::FirstAsymmetry).text = Field(F::SecondAsymmetry).text = Field(F::Phi).text = zero;
  Field(F::DeltaPhi).text = Field(F::DeltaOmega).text = storedDeltaOmega_ = zero;
  Field(F::DeltaOmega).enabled = false;
  Field(F::From).text = "-50";
  Field(F::To).text = "50";
  Field(F::Points).text = "2001";
  other_ = {"-2", "2", "2001", kInitialEnergyStep};
  Field(F::StepSize).text = ScanStepText(StepOf("-50", "50", "2001"), mode_);
  ShowScanUnit();
}

const char* MonochromatorForm::FocusName(MonochromatorField id) {
  switch (id) {
    case F::FirstBragg:
      return field::kFirstBragg;
    case F::FirstAsymmetry:
      return field::kFirstAsymmetry;
    case F::SecondBragg:
      return field::kSecondBragg;
    case F::SecondAsymmetry:
      return field::kSecondAsymmetry;
    case F::DeltaPhi:
      return field::kDeltaPhi;
    case F::DeltaOmega:
      return field::kDeltaOmega;
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

void MonochromatorForm::ShowScanUnit() {
  Field(F::ScanUnit).text = mode_ == ScanMode::Angular ? "arcsec ( \" )" : "eV";
}

void MonochromatorForm::SetScanMode(ScanMode mode) {
  if (mode == mode_) return;
  const StoredScan incoming = other_;
  other_ = {Field(F::From).text, Field(F::To).text, Field(F::Points).text, range_.StepIndex()};
  mode_ = mode;
  FormField& deltaOmega = Field(F::DeltaOmega);
  if (mode == ScanMode::Energy) {
    deltaOmega.text = storedDeltaOmega_;
    deltaOmega.enabled = true;
  } else {
    storedDeltaOmega_ = deltaOmega.text;
    deltaOmega.text.assign(1, '0');
    deltaOmega.enabled = false;
  }
  Field(F::From).text = incoming.from;
  Field(F::To).text = incoming.to;
  Field(F::Points).text = incoming.points;
  range_.ChooseStep(incoming.stepIndex);
  Field(F::StepSize).text = ScanStepText(StepOf(incoming.from, incoming.to, incoming.points), mode);
  ShowScanUnit();
}

void MonochromatorForm::DefineFirst(UserInterface& ui) {
  // The 1st crystal needs its structure before the dialog opens; the 2nd
  // one may get it inside the dialog.
  DefinePairCrystal(app_, ui, first_, energy_, MissingStructure::DoNotOpen, PairMember::First,
                    {Field(F::FirstName), Field(F::FirstHkl), Field(F::FirstBragg)});
}

void MonochromatorForm::DefineSecond(UserInterface& ui) {
  DefinePairCrystal(app_, ui, second_, energy_, MissingStructure::OpenDialog, PairMember::Second,
                    {Field(F::SecondName), Field(F::SecondHkl), Field(F::SecondBragg)});
}

void MonochromatorForm::PhotonEnergy(UserInterface& ui) {
  ChangeWavelengthForm dialog(energy_, app_.Presets());
  if (ui.RunDialog(dialog) != DialogResult::Ok) return;
  energy_ = dialog.EnergyEv();
  Field(F::Energy).text = shell::FormatNumber(energy_ / 1000, 8);
  if (FirstDefined() || SecondDefined()) ui.ShowMessage(kEnergyChangedMessage);
}

void MonochromatorForm::AutoSetHelp(UserInterface& ui) { ui.ShowMessage(kAutoSetHelp, MessageIcon::Information); }

void MonochromatorForm::ProgramHelp(UserInterface& ui) { ui.ShowMessage(kProgramHelp, MessageIcon::Information); }

std::optional<multicrystal::MonochromatorInput> MonochromatorForm::CheckGeometry(UserInterface& ui) {
  using multicrystal::kMaxAsymmetryDegrees;
  const auto phi1 = ReadBoundNumber(ui, Field(F::FirstAsymmetry).text, -kMaxAsymmetryDegrees, kMaxAsymmetryDegrees,
                                    field::kFirstAsymmetry);
  if (!phi1) return std::nullopt;
  const auto phi2 = ReadBoundNumber(ui, Field(F::SecondAsymmetry).text, -kMaxAsymmetryDegrees, kMaxAsymmetryDegrees,
                                    field::kSecondAsymmetry);
  if (!phi2) return std::nullopt;
  const auto points = ReadBoundInteger(ui, Field(F::Points).text, multicrystal::kMinScanPoints,
                                       multicrystal::kMaxScanPoints, field::kPoints);
  if (!points) return std::nullopt;
  const auto from = ReadAnyNumber(ui, Field(F::From).text, "from", field::kFrom);
  if (!from) return std::nullopt;
  const auto to = ReadAnyNumber(ui, Field(F::To).text, "to", field::kTo);
  if (!to) return std::nullopt;
  const auto deltaOmega = ReadAnyNumber(ui, Field(F::DeltaOmega).text, "delta omega", field::kDeltaOmega);
  if (!deltaOmega) return std::nullopt;

  multicrystal::MonochromatorInput in;
  in.energy = energy_;
  in.polarization = polarization_;
  in.first = multicrystal::ReflectionOf(first_);
  in.firstAsymmetry = *phi1;
  in.firstChannelCut = Field(F::FirstChannelCut).checked;
  in.second = multicrystal::ReflectionOf(second_);
  in.secondAsymmetry = *phi2;
  in.secondChannelCut = Field(F::SecondChannelCut).checked;
  in.arrangement = arrangement_;
  in.mode = mode_;
  in.deltaOmega = *deltaOmega;
  in.from = *from;
  in.to = *to;
  in.points = *points;
  in.onlyFirst = Field(F::OnlyFirst).checked;
  in.rigorous = Field(F::Rigorous).checked;

  const auto geometry = multicrystal::CheckMonochromatorGeometry(in);
  if (const Refusal* refusal = std::get_if<Refusal>(&geometry)) {
    ShowRefusal(ui, *refusal);
    return std::nullopt;
  }
  Field(F::Phi).text = PhiText(std::get<multicrystal::MonochromatorGeometry>(geometry).phi);
  return in;
}

void MonochromatorForm::Calculate(UserInterface& ui) {
  std::optional<multicrystal::MonochromatorInput> in = CheckGeometry(ui);
  if (!in) return;
  const auto deltaPhi = ReadNumberField(ui, Field(F::DeltaPhi).text, "Delta Phi", field::kDeltaPhi);
  if (!deltaPhi) return;
  in->deltaPhi = *deltaPhi;

  std::variant<multicrystal::MonochromatorResult, Refusal> computed;
  {
    // At most 100000 points of two reflectivities: a moment, not a task.
    WaitCursor wait(ui);
    computed = multicrystal::ComputeMonochromatorScan(*in);
  }
  if (const Refusal* refusal = std::get_if<Refusal>(&computed)) {
    ShowRefusal(ui, *refusal);
    return;
  }
  multicrystal::MonochromatorResult& result = std::get<multicrystal::MonochromatorResult>(computed);
  curve_ = std::move(result.curve);
  analysis_ = result.analysis;
  Field(F::StepSize).text = ScanStepText((in->to - in->from) / (in->points - 1), in->mode);
  ShowResults();
  caption_ = "1st " + first_.structure.name + " " + HklText(first_) + (in->firstChannelCut ? " (channel-cut)" : "") +
             ", 2nd " + second_.structure.name + " " + HklText(second_) +
             (in->secondChannelCut ? " (channel-cut)" : "") + ", " + shell::FormatNumber(energy_ / 1000, 8) + " keV, " +
             (polarization_ == twobeam::Polarization::Sigma ? "σ" : "π") + ", " +
             (arrangement_ == Arrangement::Dispersive ? "dispersive" : "non-dispersive");
  plot_.NewData();
}

void MonochromatorForm::ShowResults() {
  const MonochromatorResultTexts texts = curve_ ? ResultTextsOf(analysis_, curve_->mode) : MonochromatorResultTexts{};
  Field(F::Fwhm).text = texts.fwhm;
  Field(F::MaxReflectivity).text = texts.maximum;
  Field(F::CentreReflectivity).text = texts.centreReflectivity;
  Field(F::CentrePosition).text = texts.centre;
  Field(F::HalfMaxima).text = texts.halfMaxima;
}

void MonochromatorForm::AutoSet(UserInterface& ui) {
  const std::optional<multicrystal::MonochromatorInput> in = CheckGeometry(ui);
  if (!in) return;
  const auto proposed = multicrystal::ProposeAutoSet(*in);
  if (const Refusal* refusal = std::get_if<Refusal>(&proposed)) {
    ShowRefusal(ui, *refusal);
    return;
  }
  DcmPhiDialog dialog;
  dialog.proposal = std::get<multicrystal::AutoSetProposal>(proposed);
  dialog.texts = AutoSetTextsOf(dialog.proposal);
  if (ui.RunDialog(dialog) != DialogResult::Ok) return;
  Field(F::DeltaPhi).text = dialog.texts.deltaPhiField;
  Field(F::DeltaOmega).text = dialog.texts.deltaOmegaField;
  // The angular scan does not use Δω; keep the proposal for the energy scan
  // instead of losing it at the next switch of the scan mode.
  if (mode_ == ScanMode::Angular) storedDeltaOmega_ = dialog.texts.deltaOmegaField;
}

void MonochromatorForm::ExportCurve(UserInterface& ui) {
  if (!curve_) {
    ui.ShowMessage(kNoDataToExportMessage);
    return;
  }
  ExportAvailability availability;
  availability.laue = true;  // the flag that takes the penetration depth away
  availability.kind =
      curve_->mode == ScanMode::Energy ? twobeam::ScanKind::EnergyScan : twobeam::ScanKind::RockingCurve;
  CurveExportDialog dialog(availability);
  if (ui.RunDialog(dialog) != DialogResult::Ok) return;
  const std::optional<std::filesystem::path> path =
      ui.ChooseSaveFile({kExportSaveTitle, kExportFilter, kExportExtension, {}, {}});
  if (!path) return;
  if (const std::optional<Refusal> failure = ExportMonochromatorCurve(curve_, dialog.Choice(), *path))
    ui.ShowMessage(failure->message, failure->icon);
}

PlotContent MonochromatorForm::PlotContentNow() const {
  PlotContent content;
  const bool energy = curve_ && curve_->mode == ScanMode::Energy;
  content.x = energy ? PlotAxis{"ΔE", "eV"} : PlotAxis{"Δω", "arcsec"};
  content.y = {"Reflectivity", ""};
  content.logarithmicYOffered = true;
  content.full.layout = [this](Rect frame) { return MonochromatorPlotArea(frame, curve_); };
  content.full.paint = [this](Canvas& canvas, Rect frame) { DrawMonochromatorPlot(canvas, frame, curve_); };
  if (!curve_) {
    content.full.range = {0, 0, 0, 1};
    return content;
  }
  const multicrystal::CurveTrace& trace = curve_->trace;
  const ReflectivityScale scale = ScaleForMaximum(trace.peak);
  content.full.range = {trace.from, trace.to, 0, scale.fullScale};
  if (scale.exponent > 0)
    content.yTitleFullView = "Reflectivity (full scale 1e-" + std::to_string(scale.exponent) + ")";
  content.series.push_back({"R", kCurrentCurvePen, PlotMarks::Line, trace.from, trace.step, {}, trace.values});
  content.caption = caption_;
  return content;
}

void MonochromatorForm::DrawPlot(Canvas& canvas, Rect frame) const { DrawMonochromatorPlot(canvas, frame, curve_); }

void MonochromatorForm::DrawGeometry(Canvas& canvas, Rect frame) const {
  DrawMonochromatorGeometry(canvas, frame, arrangement_);
}

}  // namespace velto::programs
