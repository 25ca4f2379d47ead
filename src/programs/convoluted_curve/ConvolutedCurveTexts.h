#pragma once
#include <filesystem>
#include <optional>
#include <string>

#include "multicrystal/Convolution.h"
#include "multicrystal/CurveTrace.h"
#include "programs/Refusal.h"
#include "programs/curve_export/CurveExport.h"

// The texts of the convoluted rocking curve program (COrvoViewDbl) that are
// made from its results, and its export.
namespace velto::programs {

// What "FWHM:" shows when the spectrum is flat.
inline constexpr const char* kFlatSpectrumText = "-1 (flat)";

// The three FWHM fields: "%g \"" (arcsec), "%g" (degrees) and "%g urad";
// all empty without a width.
struct ConvolutionFwhmTexts {
  std::string arcseconds, degrees, microradians;
};
ConvolutionFwhmTexts FwhmTextsOf(const std::optional<double>& fwhmArcseconds);

// "Stepsize = " + the step with 8 decimals + " \"".
std::string RockingStepText(double stepArcseconds);

// The two crystals of the multi-crystal programs: the monochromator or 1st
// crystal, and the sample or 2nd crystal. Their texts differ slightly.
enum class PairMember { First, Second };

// What the Bragg-angle field of a crystal just defined shows: θB in degrees
// with 8 decimals, or, when λ/(2d) ≥ 1, "No diffraction" (first) or
// "No diffraction!" (second) with the 180° message to show.
struct DefinedBraggAngle {
  std::string text;
  const char* message = nullptr;
};
DefinedBraggAngle BraggAngleAfterDefinition(double energyEv, double d, PairMember member);

// The Bragg-angle field after the photon energy changed: "No Diffraction!"
// when λ/(2d) > 1, else θB in degrees with 8 decimals.
std::string BraggAngleAfterEnergyChange(double energyEv, double d);

// The unit of a column of the export dialog as the multi-crystal exports
// take it.
multicrystal::AngleUnit AngleUnitOf(ExportUnit unit);

// The file of "Export RC data...": one line per point, the angle (in
// `unit`, relative or absolute) and the intensity, tab-separated, 8
// decimals each.
std::optional<Refusal> ExportConvolutedCurve(const std::optional<multicrystal::CurveTrace>& curve,
                                             multicrystal::AngleUnit unit, bool absolute,
                                             const std::filesystem::path& file);

}  // namespace velto::programs
