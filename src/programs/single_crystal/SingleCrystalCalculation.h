#pragma once
#include <string>
#include <string_view>
#include <variant>

#include "core/Notifier.h"
#include "core/Progress.h"
#include "crystal/CrystalParams.h"
#include "programs/Refusal.h"
#include "twobeam/CurveAnalysis.h"
#include "twobeam/CurveScan.h"

// The calculation of the single-crystal program (Bragg and Laue variants)
// without its window: the checks of "Calculate RC\nUpdate", the thickness
// rules, the scan, the evaluation of every point and the analysis. The form
// copies its field texts in, shows a refusal or applies the outcome.
namespace velto::programs {

// Fields that a refusal may send the keyboard focus to.
inline constexpr std::string_view kDefineCrystalField = "Define Crystal...";
inline constexpr std::string_view kAsymmetryField = "Asymmetry";
inline constexpr std::string_view kOffsetField = "Offset";
inline constexpr std::string_view kFromField = "From";
inline constexpr std::string_view kToField = "To";
inline constexpr std::string_view kPointsField = "Points";
inline constexpr std::string_view kThicknessField = "Thickness";

inline constexpr const char* kDefineCrystalFirstMessage = "You need to Define Crystal !   ";
inline constexpr const char* kScanRangeMessage = "The scan range is not correct !   ";
// An energy scan or an offset that reaches a photon energy at or below 0 eV.
using twobeam::kNoPhotonEnergyMessage;
inline constexpr const char* kOffcutBraggMessage =
    "The absolte value of Offcut Angle should be less than the Bragg angle !  ";
inline constexpr const char* kLaueNinetyMessage = "Laue case does not allow thetaB = 90 deg.!   ";
inline constexpr const char* kOffcutLaueMessage = "The Offcut Angle (phi) is out of range!  ";
inline constexpr const char* kNoMemoryMessage = "Your computer has no enough memory !!!   ";

inline constexpr int kMinPoints = 3;
inline constexpr int kMaxPoints = 100000;
inline constexpr double kMaxAsymmetryDegrees = 89.9999;

// The texts the form's fields hold before anything is typed, which the
// faces that drive the calculation from given numbers take for a value
// left out: the scan range of each kind of scan, the thickness of each case.
struct ScanRangeTexts {
  const char* from;
  const char* to;
};
ScanRangeTexts DefaultScanRange(twobeam::ScanKind kind);
const char* DefaultThicknessText(bool laue);

// What the form holds when "Calculate RC\nUpdate" is pressed: the crystal,
// the photon energy, the radio buttons and check box, and the texts of the
// edit fields exactly as typed.
struct SingleCrystalInputs {
  bool laue = false;
  bool crystalDefined = false;
  double energy = 0;     // E0, eV
  double dSpacing = 0;   // Å
  crystal::ReflectionChi chi;
  twobeam::Polarization polarization = twobeam::Polarization::Sigma;
  twobeam::ScanKind scanKind = twobeam::ScanKind::RockingCurve;
  bool rigorous = false;  // ignored in the Laue case
  std::string asymmetryText = "0";  // degrees
  std::string offsetText = "0";     // eV (rocking curve) or arcseconds (energy scan)
  std::string fromText = "-50";     // arcseconds or eV
  std::string toText = "50";
  std::string pointsText = "2001";
  std::string thicknessText = "-1";  // µm; "50" in the Laue form
};

// A calculation that passed every check, ready to run.
struct PreparedCalculation {
  bool laue = false;
  double energy = 0;
  double dSpacing = 0;
  crystal::ReflectionChi chi;
  double braggAngle = 0;  // rad (π/2 in the Bragg case when λ/2d > 1)
  double asymmetry = 0;   // rad
  double asymmetryDegrees = 0;
  double thicknessMicrometres = -1;  // −1: semi-infinite (Bragg only)
  double offset = 0;                 // display units of the fixed coordinate
  double from = 0, to = 0;           // display units of the scan
  twobeam::ScanSetting scan;
  // Texts the form writes back before computing.
  std::string thicknessText;
  std::string stepLabel;  // "Stepsize = ..."
};

// Runs the checks in the program's order and builds the scan. The first
// failing check is returned as a refusal (message, icon, focus field).
std::variant<PreparedCalculation, Refusal> PrepareSingleCrystal(const SingleCrystalInputs& inputs);

struct SingleCrystalOutcome {
  twobeam::ScanStatus status = twobeam::ScanStatus::Cancelled;
  twobeam::CurveSet curve;       // valid when status is Completed; no data when
  twobeam::CurveAnalysis analysis;  // the maximum did not exceed 1e-50
  std::string asymmetryFactorText;  // the "b =" field
};

// Constructs the crystal, computes every point (in parallel, cancellable),
// and analyses the curve. Eigenvalue-count failures reach `notifier` once.
SingleCrystalOutcome RunSingleCrystal(const PreparedCalculation& prepared, core::Notifier& notifier,
                                      core::Progress& progress);

// The states of the "Reflectivity" and "Transmissivity" check boxes after a
// calculation: usable only for a finite plate that reflected something.
struct CurveCheckBoxes {
  bool enabled = false;
  bool transmissivityChecked = false;
  bool drawTransmissivity = false;
};
CurveCheckBoxes CheckBoxesAfterCalculation(bool hasCurve, double thicknessMicrometres, bool transmissivityChecked);

// The "Stepsize = " label for a scan of the given kind.
std::string StepLabel(twobeam::ScanKind kind, double from, double to, int points);

}  // namespace velto::programs
