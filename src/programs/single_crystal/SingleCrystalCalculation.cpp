#include "programs/single_crystal/SingleCrystalCalculation.h"

#include <cmath>
#include <optional>

#include "core/TextNumbers.h"
#include "core/Units.h"
#include "shell/NumberText.h"

namespace velto::programs {
namespace {

using shell::FormatNumber;
using twobeam::ScanKind;

constexpr double kMinBraggThickness = 1e-6;  // µm
constexpr double kMinLaueThickness = 1e-5;   // µm

// Bound fields: one leading number within the field's limits, never
// infinite or not-a-number; `label` names the field as the window shows it.
std::variant<double, Refusal> ReadNumber(std::string_view text, std::string_view field, std::string_view label,
                                         double minimum = -HUGE_VAL, double maximum = HUGE_VAL) {
  return core::ReadBoundNumber(text, minimum, maximum, field, label);
}

std::variant<int, Refusal> ReadInteger(std::string_view text, std::string_view field, int minimum, int maximum) {
  return core::ReadBoundInteger(text, minimum, maximum, field);
}

}  // namespace

std::string StepLabel(ScanKind kind, double from, double to, int points) {
  const double step = points > 1 ? (to - from) / (points - 1) : 0.0;
  return "Stepsize = " + FormatNumber(step, 8) + (kind == ScanKind::EnergyScan ? " eV" : " \"");
}

ScanRangeTexts DefaultScanRange(twobeam::ScanKind kind) {
  if (kind == twobeam::ScanKind::EnergyScan) return {"-2", "3"};  // eV
  return {"-50", "50"};                                           // arcseconds
}

const char* DefaultThicknessText(bool laue) { return laue ? "50" : "-1"; }  // µm; -1: semi-infinite

std::variant<PreparedCalculation, Refusal> PrepareSingleCrystal(const SingleCrystalInputs& in) {
  if (!in.crystalDefined) return Refusal{kDefineCrystalFirstMessage, core::MessageIcon::None, std::string(kDefineCrystalField)};

  PreparedCalculation p;
  // The offset is an energy beside a rocking curve and an angle beside an
  // energy scan.
  const bool rocking = in.scanKind == ScanKind::RockingCurve;
  auto offset = ReadNumber(in.offsetText, kOffsetField, rocking ? "ΔE" : "Δθ");
  if (auto* refusal = std::get_if<Refusal>(&offset)) return *refusal;
  auto from = ReadNumber(in.fromText, kFromField, "from");
  if (auto* refusal = std::get_if<Refusal>(&from)) return *refusal;
  auto to = ReadNumber(in.toText, kToField, "to");
  if (auto* refusal = std::get_if<Refusal>(&to)) return *refusal;
  auto points = ReadInteger(in.pointsText, kPointsField, kMinPoints, kMaxPoints);
  if (auto* refusal = std::get_if<Refusal>(&points)) return *refusal;
  auto asymmetry = ReadNumber(in.asymmetryText, kAsymmetryField, "α", -kMaxAsymmetryDegrees, kMaxAsymmetryDegrees);
  if (auto* refusal = std::get_if<Refusal>(&asymmetry)) return *refusal;
  auto thicknessRead = core::ReadFreeNumber(in.thicknessText, "Thickness", kThicknessField);
  if (auto* refusal = std::get_if<Refusal>(&thicknessRead)) return *refusal;
  p.offset = std::get<double>(offset);
  p.from = std::get<double>(from);
  p.to = std::get<double>(to);
  const int n = std::get<int>(points);
  p.asymmetryDegrees = std::get<double>(asymmetry);

  if (p.to < p.from) return Refusal{kScanRangeMessage, core::MessageIcon::None, std::string(kFromField)};
  // No crystal diffracts without photons: the wavelength would be infinite or negative.
  if (in.scanKind == ScanKind::EnergyScan && twobeam::ReachesNoPhotons(in.energy, p.from))
    return Refusal{kNoPhotonEnergyMessage, core::MessageIcon::None, std::string(kFromField)};
  if (in.scanKind == ScanKind::RockingCurve && twobeam::ReachesNoPhotons(in.energy, p.offset))
    return Refusal{kNoPhotonEnergyMessage, core::MessageIcon::None, std::string(kOffsetField)};

  p.laue = in.laue;
  p.energy = in.energy;
  p.dSpacing = in.dSpacing;
  p.chi = in.chi;
  p.asymmetry = p.asymmetryDegrees * core::kDegree;
  const double sine = core::WavelengthOf(in.energy) / (2.0 * in.dSpacing);
  double thickness = std::get<double>(thicknessRead);
  if (in.laue) {
    if (!(sine < 1.0)) return Refusal{kLaueNinetyMessage, core::MessageIcon::None, ""};
    p.braggAngle = std::asin(sine);
    if (std::fabs(p.braggAngle - p.asymmetry) >= core::kPi / 2 || std::fabs(p.braggAngle + p.asymmetry) >= core::kPi / 2) {
      return Refusal{kOffcutLaueMessage, core::MessageIcon::None, std::string(kAsymmetryField)};
    }
    if (!(thickness >= kMinLaueThickness)) thickness = kMinLaueThickness;
    p.thicknessText = FormatNumber(thickness, 8);
  } else {
    p.braggAngle = sine > 1.0 ? core::kPi / 2 : std::asin(sine);
    if (!(std::fabs(p.asymmetry) < p.braggAngle)) {
      return Refusal{kOffcutBraggMessage, core::MessageIcon::None, std::string(kAsymmetryField)};
    }
    if (thickness < 0) {
      thickness = -1;
      p.thicknessText = "-1";
    } else {
      if (!(thickness >= kMinBraggThickness)) thickness = kMinBraggThickness;
      p.thicknessText = FormatNumber(thickness, 8);
    }
  }
  p.thicknessMicrometres = thickness;

  twobeam::ScanSetting& s = p.scan;
  s.kind = in.scanKind;
  s.points = n;
  s.displayStart = p.from;
  s.displayStep = (p.to - p.from) / (n - 1);
  const double toInternal = in.scanKind == ScanKind::EnergyScan ? 1.0 : core::kArcsecond;
  s.start = p.from * toInternal;
  s.step = s.displayStep * toInternal;
  s.polarization = in.polarization;
  s.thickness = thickness > 0 ? thickness * core::kAngstromPerMicrometre : -1.0;
  s.rigorous = !in.laue && in.rigorous;
  if (in.scanKind == ScanKind::RockingCurve) {
    s.fixedEnergy = in.energy + p.offset;
    s.fixedIncidence = p.braggAngle - p.asymmetry;
  } else {
    s.fixedEnergy = in.energy;
    s.fixedIncidence = p.braggAngle - p.asymmetry + p.offset * core::kArcsecond;
  }
  p.stepLabel = StepLabel(in.scanKind, p.from, p.to, n);
  return p;
}

SingleCrystalOutcome RunSingleCrystal(const PreparedCalculation& p, core::Notifier& notifier,
                                      core::Progress& progress) {
  SingleCrystalOutcome outcome;
  const double thickness = p.scan.thickness;  // Å, −1 for semi-infinite
  if (p.laue) {
    twobeam::LaueCrystal crystal(p.energy, p.dSpacing, p.asymmetry, thickness, p.chi);
    outcome.asymmetryFactorText = FormatNumber(crystal.AsymmetryFactor(), 8);
    outcome.status = twobeam::ComputeLaueCurve(crystal, p.scan, outcome.curve, progress);
    if (outcome.status == twobeam::ScanStatus::Completed) {
      outcome.analysis = twobeam::AnalyseCurve(outcome.curve, crystal, p.scan);
    }
  } else {
    twobeam::BraggCrystal crystal(p.energy, p.dSpacing, p.asymmetry, thickness, p.chi);
    const double b = crystal.AsymmetryRatio();
    outcome.asymmetryFactorText = FormatNumber(-b, 4) + "  (" + FormatNumber(-1.0 / b, 4) + ")";
    outcome.status = twobeam::ComputeBraggCurve(crystal, p.scan, outcome.curve, notifier, progress);
    if (outcome.status == twobeam::ScanStatus::Completed) {
      outcome.analysis = twobeam::AnalyseCurve(outcome.curve, crystal, p.scan);
    }
  }
  return outcome;
}

CurveCheckBoxes CheckBoxesAfterCalculation(bool hasCurve, double thicknessMicrometres, bool transmissivityChecked) {
  CurveCheckBoxes boxes;
  if (hasCurve && thicknessMicrometres > 0) {
    boxes.enabled = true;
    boxes.transmissivityChecked = transmissivityChecked;
    boxes.drawTransmissivity = transmissivityChecked;
  }
  return boxes;
}

}  // namespace velto::programs
