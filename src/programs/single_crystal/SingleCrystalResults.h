#pragma once
#include <string>

#include "twobeam/CurveAnalysis.h"

// The numbers of a single-crystal calculation as the program shows them:
// the six result fields of the form and the "More details " dialog.
namespace velto::programs {

// All empty when the curve has no width.
struct ResultFieldTexts {
  std::string fwhm;             // "FWHM of incident (exit) angle/energy"
  std::string fwhmMicroradian;  // rocking curves only
  std::string maxReflectivity;
  std::string maxPosition;
  std::string centreReflectivity;
  std::string centrePosition;

  bool operator==(const ResultFieldTexts&) const = default;
};
ResultFieldTexts FormatResultFields(const twobeam::CurveAnalysis& analysis, twobeam::ScanKind kind);

// "Detail..." opens the dialog only for a curve with a width.
bool DetailsAvailable(const twobeam::CurveSet& curve, const twobeam::CurveAnalysis& analysis);

struct DetailTexts {
  std::string maxReflectivity, maxPosition, maxExit, maxAbsolute;
  std::string centreReflectivity, centrePosition, centreExit, centreAbsolute;
  std::string analyticShift;
  std::string fwhm, fwhmExit;
  std::string analyticFwhm;
  bool analyticFwhmVisible = true;  // hidden in the Laue case
  std::string halfMaximum, halfMaximumExit;
  std::string duMondSlope;
  std::string depthLabel, depth;
  std::string extinctionLabel, extinction;
};
// `offset` is the value of the offset field (eV for a rocking curve,
// arcseconds for an energy scan).
DetailTexts FormatDetails(const twobeam::CurveAnalysis& analysis, twobeam::ScanKind kind, bool laue, double offset);

}  // namespace velto::programs
