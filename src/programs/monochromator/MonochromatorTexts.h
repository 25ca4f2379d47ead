#pragma once
#include <filesystem>
#include <optional>
#include <string>

#include "multicrystal/Monochromator.h"
#include "programs/Refusal.h"
#include "programs/curve_export/CurveExport.h"

// The texts of the multiple-crystal monochromator program (COrvoViewDCM)
// made from its results, and its export.
namespace velto::programs {

// The five result fields; all empty when the curve has no width.
struct MonochromatorResultTexts {
  std::string fwhm, maximum, centre, halfMaxima, centreReflectivity;
};
MonochromatorResultTexts ResultTextsOf(const std::optional<multicrystal::MonochromatorAnalysis>& analysis,
                                       multicrystal::ScanMode mode);

// "Stepsize = " + the step with 8 decimals + " \"" or " eV".
std::string ScanStepText(double step, multicrystal::ScanMode mode);

// The Φ field: 8 decimals.
std::string PhiText(double phiDegrees);

// What the orientation dialog shows (8 decimals each) and what its OK
// writes into the ΔΦ (4 decimals) and Δω (8 decimals) fields.
struct AutoSetTexts {
  std::string phi, deltaPhi, deltaOmega;
  std::string deltaPhiField, deltaOmegaField;
};
AutoSetTexts AutoSetTextsOf(const multicrystal::AutoSetProposal& proposal);

// The file of "Export Curve data...": the chosen columns in the order
// incident, exit, reflectivity, tab-separated, 8 decimals each (the dialog
// has no other columns for this program).
std::optional<Refusal> ExportMonochromatorCurve(const std::optional<multicrystal::MonochromatorCurve>& curve,
                                                const ExportColumns& columns,
                                                const std::filesystem::path& file);

}  // namespace velto::programs
