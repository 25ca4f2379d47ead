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
