#include "programs/single_crystal/SingleCrystalForm.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "core/Units.h"
#include "programs/crystal_dialog/CrystalParamsForm.h"
#include "programs/curve_export/CurveExport.h"
#include "programs/energy_dialogs/ChangeWavelengthForm.h"
#include "programs/ui/FieldReading.h"
#include "shell/NumberText.h"

namespace velto::programs {
namespace {

using shell::FormatNumber;
using shell::ParseNumber;
using twobeam::ScanKind;
using F = SingleCrystalField;

constexpr int kInitialRockingStep = 2;  // a step of 10
constexpr int kInitialEnergyStep = 3;   // a step of 1

// Crystal, reflection, photon energy and polarization of a calculation.
std::string Caption(const crystal::CrystalParams& c, const PreparedCalculation& p) {
  const bool sigma = p.scan.polarization == twobeam::Polarization::Sigma;
  return c.structure.name + " " + HklText(c) + (p.laue ? " Laue case" : " Bragg case") + ", " +
         FormatNumber(p.energy / 1000, 8) + " keV, " + (sigma ? "σ" : "π") + " polarization";
}

}  // namespace

SingleCrystalForm::SingleCrystalForm(AppContext& app, bool laue)
    : app_(app), laue_(laue), energy_(app.DefaultEnergy()), steps_({false, true, false, true}) {
  crystal_.temperature = app.DefaultTemperature();
  other_ = {-2, 3, 0, 2001, kInitialEnergyStep};

  for (F id : {F::Energy, F::CrystalName, F::Hkl, F::BraggAngle, F::AsymmetryFactor, F::Fwhm, F::FwhmMicroradian,
               F::MaxReflectivity, F::MaxPosition, F::CentreReflectivity, F::CentrePosition, F::MouseCoordinates}) {
    Field(id).readOnly = true;
  }
  Field(F::Energy).text = FormatNumber(energy_ / 1000, 8);
  Field(F::Thickness).text = DefaultThicknessText(laue_);
  // Built once as a string: assigning the one-character literal to each
  // field draws a false -Wrestrict from GCC 12 in optimised builds.
  Field(F::Asymmetry).text = Field(F::Offset).text = std::string("0");
  Field(F::From).text = DefaultScanRange(ScanKind::RockingCurve).from;
  Field(F::To).text = DefaultScanRange(ScanKind::RockingCurve).to;
  Field(F::Points).text = "2001";
  Field(F::StepSize).text = StepLabel(ScanKind::RockingCurve, -50, 50, 2001);
  Field(F::BraggQuestion).visible = false;
  Field(F::ReflectivityCheck).checked = true;
  Field(F::TransmissivityCheck).checked = false;
  Field(F::Rigorous).enabled = !laue_;
  steps_.SetStep(kInitialRockingStep);
  ShowUnits();
}

const char* SingleCrystalForm::ToolTip(SingleCrystalField id) {
  switch (id) {
    case F::Energy:
      return "Click the left button to change it";
    case F::CrystalName:
      return "Crystal name";
    case F::AsymmetryFactor:
      return "Asymmetric Factor. Note in brackets is 1/b that is conventional definition of AF";
    case F::Asymmetry:
      return "Asymmetric angle, >0 if h on opposite side of exit beam";
    case F::BraggAngle:
      return "Bragg angle";
    case F::Hkl:
      return "Index of Bragg diffraction";
    case F::Thickness:
      return "Crystal thickness. -1 = Semi-infinite";
    case F::Offset:
      return "Deviation of incident angle/energy from Bragg";
    case F::MouseCoordinates:
      return "Coordinates of mouse clicked on RC";
    case F::Fwhm:
      return "FWHM of incident (exit) angle/energy";
    case F::FwhmMicroradian:
      return "in urad for angular FWHM";
    case F::CentreReflectivity:
      return "Mid-point reflectivity";
    case F::CentrePosition:
      return "Mid-point between the two Half-Maximum points";
    case F::Rigorous:
      return "You may check it if the incidence/exit angle is less than 3 deg.";
    default:
      return nullptr;
  }
}

void SingleCrystalForm::ShowUnits() {
  const bool rocking = scanKind_ == ScanKind::RockingCurve;
  Field(F::RangeUnit).text = rocking ? "arcsec ( \" )" : "eV";
  Field(F::OffsetUnit).text = rocking ? "eV" : "\"";
}

void SingleCrystalForm::SetScanKind(ScanKind kind) {
  if (kind == scanKind_) return;
  const StoredScan incoming = other_;
  other_ = {ParseNumber(Field(F::From).text), ParseNumber(Field(F::To).text), ParseNumber(Field(F::Offset).text),
            shell::ParseInteger(Field(F::Points).text), steps_.StepIndex()};
  scanKind_ = kind;
  ShowUnits();
  Field(F::StepSize).text = StepLabel(kind, incoming.from, incoming.to, incoming.points);
  Field(F::Offset).text = FormatNumber(incoming.offset, 8);
  Field(F::From).text = FormatNumber(incoming.from, 8);
  Field(F::To).text = FormatNumber(incoming.to, 8);
  Field(F::Points).text = std::to_string(incoming.points);
  steps_.SetStep(incoming.stepIndex);
}

double SingleCrystalForm::SineOfBragg() const { return core::WavelengthOf(energy_) / (2.0 * crystal_.d); }

void SingleCrystalForm::ShowBraggAngle() {
  const double s = SineOfBragg();
  FormField& angle = Field(F::BraggAngle);
  if (s - 1 > 1e-7) {
    angle.text = "90 (O+)";
  } else if (s - 1 > 0) {
    angle.text = "90 (O)";
  } else {
    angle.text = FormatNumber(std::asin(s) * 180 / core::kPi, 8);
  }
  Field(F::BraggQuestion).visible = s > 1;
}

void SingleCrystalForm::ShowCrystal() {
  Field(F::CrystalName).text = crystal_.structure.name;
  Field(F::Hkl).text = HklText(crystal_);
  ShowBraggAngle();
}

void SingleCrystalForm::DefineCrystal(UserInterface& ui) {
  if (programs::DefineCrystal(app_, ui, crystal_, energy_, MissingStructure::DoNotOpen) != DialogResult::Ok) return;
  ShowCrystal();
  Field(F::Calculate).enabled = true;
}

void SingleCrystalForm::PhotonEnergy(UserInterface& ui) {
  const bool withReflection = !laue_ && CrystalDefined();
  ChangeWavelengthForm dialog(energy_, app_.Presets(), withReflection ? crystal_.d : -1,
                              withReflection ? Field(F::Hkl).text : std::string());
  if (ui.RunDialog(dialog) != DialogResult::Ok) return;
  energy_ = dialog.EnergyEv();
  Field(F::Energy).text = FormatNumber(energy_ / 1000, 8);
  Field(F::Calculate).enabled = false;
  if (!CrystalDefined()) return;
  ui.ShowMessage(kEnergyChangedMessage);
  ShowBraggAngle();
  DefineCrystal(ui);
}

void SingleCrystalForm::BraggQuestion(UserInterface& ui) {
  if (!CrystalDefined()) return;
  const double excess = SineOfBragg() - 1;
  if (!(excess > 0)) return;
  char text[64];
  std::snprintf(text, sizeof text, "lambda/(2d) - 1 = %g   ", excess);
  ui.ShowMessage(text, excess < 1e-7 ? MessageIcon::Information : MessageIcon::None);
}

void SingleCrystalForm::StepRange(RangeButton button) {
  FormField& field = Field(button == FromMinus || button == FromPlus ? F::From : F::To);
  field.text = steps_.Stepped(field.text, button);
}

void SingleCrystalForm::ChooseStep(int index) { steps_.SetStep(index); }

void SingleCrystalForm::AddHundredPoints() {
  Field(F::Points).text = std::to_string(shell::ParseInteger(Field(F::Points).text) + 100);
}

void SingleCrystalForm::SubtractHundredPoints() {
  const int points = shell::ParseInteger(Field(F::Points).text);
  if (points > 105) Field(F::Points).text = std::to_string(points - 100);
}

void SingleCrystalForm::ClickReflectivity() {
  // Without the transmissivity something must be drawn: R stays.
  if (drawT_) drawR_ = !drawR_;
  else drawR_ = true;
  Field(F::ReflectivityCheck).checked = drawR_;
}

void SingleCrystalForm::ClickTransmissivity() {
  drawT_ = !drawT_;
  Field(F::TransmissivityCheck).checked = drawT_;
  if (!drawT_) {
    drawR_ = true;
    Field(F::ReflectivityCheck).checked = true;
  }
}

SingleCrystalInputs SingleCrystalForm::Inputs() const {
  SingleCrystalInputs in;
  in.laue = laue_;
  in.crystalDefined = CrystalDefined();
  in.energy = energy_;
  in.dSpacing = crystal_.d;
  in.chi = crystal_.chi;
  in.polarization = polarization_;
  in.scanKind = scanKind_;
  in.rigorous = !laue_ && Field(F::Rigorous).checked;
  in.asymmetryText = Field(F::Asymmetry).text;
  in.offsetText = Field(F::Offset).text;
  in.fromText = Field(F::From).text;
  in.toText = Field(F::To).text;
  in.pointsText = Field(F::Points).text;
  in.thicknessText = Field(F::Thickness).text;
  return in;
}

std::optional<PreparedCalculation> SingleCrystalForm::BeginCalculation(UserInterface& ui) {
  if (!Field(F::Calculate).enabled) return std::nullopt;
  auto result = PrepareSingleCrystal(Inputs());
  if (const Refusal* refusal = std::get_if<Refusal>(&result)) {
    ShowRefusal(ui, *refusal);
    return std::nullopt;
  }
  PreparedCalculation& prepared = std::get<PreparedCalculation>(result);
  Field(F::Thickness).text = prepared.thicknessText;
  Field(F::StepSize).text = prepared.stepLabel;
  return std::move(prepared);
}

void SingleCrystalForm::FinishCalculation(UserInterface& ui, const PreparedCalculation& prepared,
                                          SingleCrystalOutcome outcome) {
  if (outcome.status == twobeam::ScanStatus::Cancelled) return;
  if (outcome.status == twobeam::ScanStatus::OutOfMemory) {
    curve_.Release();
    analysis_ = {};
    ui.ShowMessage(kNoMemoryMessage);
    ShowResults();
    return;
  }
  curve_ = std::move(outcome.curve);
  analysis_ = outcome.analysis;
  last_ = prepared;
  caption_ = Caption(crystal_, prepared);
  plot_.NewData();
  Field(F::AsymmetryFactor).text = outcome.asymmetryFactorText;

  const CurveCheckBoxes boxes = CheckBoxesAfterCalculation(curve_.HasData(), prepared.thicknessMicrometres,
                                                           Field(F::TransmissivityCheck).checked);
  Field(F::ReflectivityCheck).enabled = boxes.enabled;
  Field(F::TransmissivityCheck).enabled = boxes.enabled;
  Field(F::TransmissivityCheck).checked = boxes.transmissivityChecked;
  drawT_ = boxes.drawTransmissivity;
  if (!drawT_) {
    drawR_ = true;
    Field(F::ReflectivityCheck).checked = true;
  }
  ShowResults();
}

void SingleCrystalForm::ShowResults() {
  const ResultFieldTexts t =
      curve_.HasData() ? FormatResultFields(analysis_, last_.scan.kind) : ResultFieldTexts{};
  Field(F::Fwhm).text = t.fwhm;
  Field(F::FwhmMicroradian).text = t.fwhmMicroradian;
  Field(F::MaxReflectivity).text = t.maxReflectivity;
  Field(F::MaxPosition).text = t.maxPosition;
  Field(F::CentreReflectivity).text = t.centreReflectivity;
  Field(F::CentrePosition).text = t.centrePosition;
  Field(F::MouseCoordinates).text.clear();
}

void SingleCrystalForm::Calculate(UserInterface& ui) {
  std::optional<PreparedCalculation> prepared = BeginCalculation(ui);
  if (!prepared) return;
  auto inputs = std::make_shared<const PreparedCalculation>(std::move(*prepared));
  auto outcome = std::make_shared<SingleCrystalOutcome>();
  ui.RunInBackground({"Calculating the curve...",
                      [inputs, outcome](core::Notifier& notices, core::Progress& progress) {
                        *outcome = RunSingleCrystal(*inputs, notices, progress);
                      },
                      [this, inputs, outcome](UserInterface& ui, bool) {
                        FinishCalculation(ui, *inputs, std::move(*outcome));
                      }});
}

void SingleCrystalForm::Details(UserInterface& ui) {
  if (!DetailsAvailable(curve_, analysis_)) return;
  SingleCrystalDetailsDialog dialog;
  dialog.texts = FormatDetails(analysis_, last_.scan.kind, laue_, last_.offset);
  dialog.laue = laue_;
  dialog.kind = last_.scan.kind;
  ui.RunDialog(dialog);
}

void SingleCrystalForm::ExportCurve(UserInterface& ui) {
  if (const std::optional<Refusal> refusal = CheckExportable(curve_)) {
    ui.ShowMessage(refusal->message, refusal->icon);
    return;
  }
  CurveExportDialog dialog(ExportAvailability{laue_, last_.thicknessMicrometres > 0, last_.scan.rigorous, false,
                                              last_.scan.kind});
  if (ui.RunDialog(dialog) != DialogResult::Ok) return;
  FileDialogRequest request;
  request.title = kExportSaveTitle;
  request.filter = kExportFilter;
  request.defaultExtension = kExportExtension;
  const std::optional<std::filesystem::path> path = ui.ChooseSaveFile(request);
  if (!path) return;
  const ExportGeometry geometry{last_.braggAngle, last_.asymmetry, last_.energy};
  if (const std::optional<Refusal> failure = WriteCurveFile(*path, curve_, geometry, dialog.Choice())) {
    ui.ShowMessage(failure->message, failure->icon);
  }
}

void SingleCrystalForm::Help() {
  if (ShellCommands* commands = app_.Commands()) commands->ShowHelp();
}

std::optional<PlotCurve> SingleCrystalForm::CurveToDraw() const {
  if (!curve_.HasData()) return std::nullopt;
  PlotCurve c;
  c.curve = &curve_;
  c.maxR = analysis_.maxR;
  c.maxT = analysis_.maxT;
  c.drawR = drawR_;
  c.drawT = drawT_;
  return c;
}

PlotContent SingleCrystalForm::PlotContentNow() const {
  PlotContent content;
  const std::optional<PlotCurve> drawn = CurveToDraw();
  const bool rocking = !drawn || curve_.kind == ScanKind::RockingCurve;
  content.x = rocking ? PlotAxis{"Δθ", "arcsec"} : PlotAxis{"ΔE", "eV"};
  content.y.name = drawR_ && drawT_ ? "Reflectivity, Transmissivity" : drawT_ ? "Transmissivity" : "Reflectivity";
  content.logarithmicYOffered = true;
  content.full.layout = [drawn](Rect frame) { return SingleCrystalPlotArea(frame, drawn); };
  content.full.paint = [drawn](Canvas& canvas, Rect frame) { DrawSingleCrystalPlot(canvas, frame, drawn); };
  if (!drawn) {
    content.full.range = {0, 0, 0, 1};
    return content;
  }
  const PlotScale scale = ScaleOf(*drawn);
  content.full.range = {drawn->From(), drawn->To(), 0, scale.fullScale};
  if (scale.exponent > 0) content.yTitleFullView = content.y.name + " (full scale 1e-" + std::to_string(scale.exponent) + ")";
  auto series = [this](const char* name, Pen pen, const std::vector<double>& values) {
    return PlotSeries{name, pen, PlotMarks::Line, curve_.displayStart, curve_.displayStep, {}, values};
  };
  if (drawR_) content.series.push_back(series("R", {kRed, 1}, curve_.reflectivity));
  if (drawT_ && curve_.transmissivity.size() == curve_.reflectivity.size()) {
    content.series.push_back(series("T", {kBlue, 2}, curve_.transmissivity));
  }
  content.caption = caption_;
  return content;
}

void SingleCrystalForm::MouseInPlot(Rect frame, Point point) {
  if (!CurveToDraw()) return;
  if (std::optional<std::string> text = MouseReadout(frame, plot_.MappingFor(frame), point)) {
    Field(F::MouseCoordinates).text = *text;
  }
}

}  // namespace velto::programs
