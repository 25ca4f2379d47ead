#pragma once
#include <optional>
#include <variant>
#include <vector>

#include "multicrystal/CurveTrace.h"
#include "multicrystal/Reflection.h"
#include "multicrystal/Refusal.h"
#include "twobeam/Polarization.h"

// Two crystals rocked together as one rigid assembly under a plane wave, or
// held fixed while the photon energy is scanned: the double-crystal
// monochromator.
namespace velto::multicrystal {

enum class ScanMode { Angular, Energy };

struct MonochromatorInput {
  double energy = 0;  // eV
  twobeam::Polarization polarization = twobeam::Polarization::Sigma;
  CrystalReflection first;
  double firstAsymmetry = 0;  // φ1, degrees
  bool firstChannelCut = false;
  CrystalReflection second;
  double secondAsymmetry = 0;  // φ2, degrees
  bool secondChannelCut = false;
  Arrangement arrangement = Arrangement::NonDispersive;
  double deltaPhi = 0;  // ΔΦ, arcsec
  ScanMode mode = ScanMode::Angular;
  double deltaOmega = 0;       // Δω, arcsec: the fixed incidence offset of an energy scan
  double from = -50, to = 50;  // arcsec, or eV relative to the energy
  int points = 2001;
  bool onlyFirst = false;
  bool rigorous = false;
};

// Fields that a refusal of this program focuses.
namespace monochromator_field {
inline constexpr const char* kDefineFirst = "Define 1st Crystal...";
inline constexpr const char* kDefineSecond = "Define 2nd Crystal...";
inline constexpr const char* kFirstBragg = "1st Bragg angle";
inline constexpr const char* kSecondBragg = "2nd Bragg angle";
inline constexpr const char* kFirstAsymmetry = "phi1";
inline constexpr const char* kSecondAsymmetry = "phi2";
inline constexpr const char* kPoints = "points";
inline constexpr const char* kFrom = "from";
inline constexpr const char* kTo = "to";
inline constexpr const char* kDeltaPhi = "Delta Phi";
inline constexpr const char* kDeltaOmega = "delta omega";
}  // namespace monochromator_field

inline constexpr const char* kNoFirstCrystalMessage = "You have to define 1st Crystal !  ";
inline constexpr const char* kNoSecondCrystalMessage = "You have to define 2nd Crystal !  ";

// The arrangement at the photon energy. Angles in radians except Φ.
struct MonochromatorGeometry {
  double firstBragg = 0, secondBragg = 0;  // θB1, θB2
  double phi = 0;                          // Φ in degrees, 0 when below 1e-12 in magnitude
  double totalOrientation = 0;             // Φt = Φ·π/180 + ΔΦ·″
  double incidence0 = 0;                   // θin0 = θB1 − φ1
  double exit0 = 0;                        // θout0 = θB2 + φ2
};

// The geometry check that starts "Calculate !!!" and "Auto Set...": the
// bound limits, both crystals defined, diffracting, and with an offcut below
// the Bragg angle; then Φ.
std::variant<MonochromatorGeometry, Refusal> CheckMonochromatorGeometry(const MonochromatorInput& input);

// One computed scan: the product of the reflectivities (or the first
// crystal's alone), the exit-angle deviation θe2 − θout0 of the beam leaving
// the second crystal (radians, 0 where none was computed) and the scan it
// belongs to. The trace's reference is θin0 (angular scan) or E (energy scan).
struct MonochromatorCurve {
  ScanMode mode = ScanMode::Angular;
  CurveTrace trace;
  std::vector<double> deviation;
  double exit0 = 0;
};

// The numbers of the result fields, in scan units (arcsec or eV relative to
// E). Without a width (maximum at either end, or no half-maximum crossing)
// only the maximum and its position are meaningful.
struct MonochromatorAnalysis {
  double maximum = 0;
  double maxPosition = 0;
  bool hasWidth = false;
  double left = 0, right = 0;  // half-maximum positions
  double fwhm = 0;
  double centre = 0;
  double centreReflectivity = 0;
};

struct MonochromatorResult {
  MonochromatorGeometry geometry;
  std::optional<MonochromatorCurve> curve;  // none when the maximum does not exceed 1e-50
  std::optional<MonochromatorAnalysis> analysis;
};

// "Calculate !!!": the geometry check, the scan range, the scan and its
// analysis. A refusal leaves nothing computed.
std::variant<MonochromatorResult, Refusal> ComputeMonochromatorScan(const MonochromatorInput& input);

MonochromatorAnalysis AnalyseMonochromatorCurve(const CurveTrace& trace);

// "Auto Set...": the ΔΦ that puts the second crystal's peak onto the beam
// leaving the first crystal at its peak, from the analytical refraction
// shifts, and the first crystal's peak shift as Δω.
struct AutoSetProposal {
  double phi = 0;         // Φ, degrees
  double deltaPhi = 0;    // arcsec, 0 when below 1e-9 in magnitude
  double deltaOmega = 0;  // arcsec
};
std::variant<AutoSetProposal, Refusal> ProposeAutoSet(const MonochromatorInput& input);

// Export columns of point i: the incident coordinate (angle in `unit`, or eV
// for an energy scan, relative or absolute) and the exit angle.
double MonochromatorExportIncidence(const MonochromatorCurve& curve, int i, AngleUnit unit, bool absolute);
double MonochromatorExportExit(const MonochromatorCurve& curve, int i, AngleUnit unit, bool absolute);

}  // namespace velto::multicrystal
