#pragma once
#include <filesystem>
#include <optional>
#include <string>

#include "multicrystal/Monochromator.h"
#include "programs/Refusal.h"

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

// The columns chosen in the export dialog.
struct MonochromatorColumns {
  bool incident = true;
  multicrystal::AngleUnit incidentUnit = multicrystal::AngleUnit::Arcsecond;
  bool incidentAbsolute = false;
  bool exit = false;
  multicrystal::AngleUnit exitUnit = multicrystal::AngleUnit::Arcsecond;
  bool exitAbsolute = false;
  bool reflectivity = true;
};

// The dialog's refusals: neither the scanned variable nor the exit angle, or
// no value column.
std::optional<Refusal> CheckMonochromatorColumns(const MonochromatorColumns& columns, multicrystal::ScanMode mode);

// The file of "Export Curve data...": the chosen columns in the order
// incident, exit, reflectivity, tab-separated, 8 decimals each.
std::optional<Refusal> ExportMonochromatorCurve(const std::optional<multicrystal::MonochromatorCurve>& curve,
                                                const MonochromatorColumns& columns,
                                                const std::filesystem::path& file);

}  // namespace velto::programs
