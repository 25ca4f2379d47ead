#include "programs/single_crystal/SingleCrystalResults.h"

#include "core/Units.h"
#include "shell/NumberText.h"

namespace velto::programs {
namespace {

using shell::FormatNumber;
using twobeam::ScanKind;

constexpr double kA = core::kArcsecond;
const std::string kQuote = "\"";        // the arcsecond sign
const std::string kSpaceQuote = " \"";  // the same after a space

std::string Arcsec(double radians, int decimals = 8) { return FormatNumber(radians / kA, decimals); }

}  // namespace

ResultFieldTexts FormatResultFields(const twobeam::CurveAnalysis& a, ScanKind kind) {
  ResultFieldTexts t;
  if (!a.HasWidth()) return t;
  const std::string exitWidth = " (" + Arcsec(a.fwhmExit, 3) + "\" of Exit angle)";
  if (kind == ScanKind::RockingCurve) {
    t.fwhm = Arcsec(a.fwhm, 3) + kQuote + exitWidth;
    t.fwhmMicroradian = FormatNumber(a.fwhm * 1e6, 2) + " urad (" + FormatNumber(a.fwhmExit * 1e6, 2) + " Exit)";
    t.maxPosition = Arcsec(a.xMax, 3) + kQuote;
    t.centrePosition = Arcsec(a.xCentre, 3) + kQuote;
  } else {
    t.fwhm = FormatNumber(a.fwhm, 5) + " eV" + exitWidth;
    t.maxPosition = FormatNumber(a.xMax, 5) + " eV";
    t.centrePosition = FormatNumber(a.xCentre, 5) + " eV";
  }
  t.maxPosition += " (" + Arcsec(a.dMax, 3) + "\" Exit)";
  t.centrePosition += " (" + Arcsec(a.dCentre, 3) + "\" Exit)";
  t.maxReflectivity = FormatNumber(a.maxR, 5);
  t.centreReflectivity = FormatNumber(a.rCentre, 5);
  return t;
}

bool DetailsAvailable(const twobeam::CurveSet& curve, const twobeam::CurveAnalysis& analysis) {
  return curve.HasData() && analysis.HasWidth();
}

DetailTexts FormatDetails(const twobeam::CurveAnalysis& a, ScanKind kind, bool laue, double offset) {
  DetailTexts t;
  const bool rocking = kind == ScanKind::RockingCurve;
  t.maxReflectivity = FormatNumber(a.maxR, 8);
  t.centreReflectivity = FormatNumber(a.rCentre, 8);
  t.maxExit = Arcsec(a.dMax) + kSpaceQuote;
  t.centreExit = Arcsec(a.dCentre) + kSpaceQuote;
  t.fwhmExit = Arcsec(a.fwhmExit) + kSpaceQuote;
  const std::string offsetText = FormatNumber(offset, 8);
  if (rocking) {
    t.maxPosition = Arcsec(a.xMax) + kSpaceQuote;
    t.centrePosition = Arcsec(a.xCentre) + kSpaceQuote;
    t.maxAbsolute = FormatNumber(a.absMax, 8) + " deg";
    t.centreAbsolute = FormatNumber(a.absCentre, 8);
    t.analyticShift = FormatNumber(a.analyticShift / kA, 3) + kSpaceQuote;
    t.fwhm = Arcsec(a.fwhm) + kSpaceQuote;
    if (a.analyticFwhm > 0) t.analyticFwhm = Arcsec(a.analyticFwhm) + kSpaceQuote;
    t.halfMaximum = Arcsec(a.xLeft) + ",   " + Arcsec(a.xRight) + kSpaceQuote + ",     for dE = " + offsetText + " eV";
    t.halfMaximumExit =
        Arcsec(a.dLeft) + ",   " + Arcsec(a.dRight) + kSpaceQuote + ",     for dE = " + offsetText + " eV, Exit";
  } else {
    t.maxPosition = FormatNumber(a.xMax, 8) + " eV";
    t.centrePosition = FormatNumber(a.xCentre, 8) + " eV";
    t.maxAbsolute = FormatNumber(a.absMax, 8) + " KeV";
    t.centreAbsolute = FormatNumber(a.absCentre, 8) + " KeV";
    t.fwhm = FormatNumber(a.fwhm, 8) + " eV";
    t.halfMaximum = FormatNumber(a.xLeft, 8) + ", " + FormatNumber(a.xRight, 8) + " eV" + ", for dOmega = " +
                    offsetText + kSpaceQuote;
    t.halfMaximumExit = Arcsec(a.dLeft) + ", " + Arcsec(a.dRight) + kSpaceQuote + ", for dOmega = " + offsetText +
                        " \", Exit";
  }
  t.duMondSlope = FormatNumber(a.duMondSlope, 4) + "  eV/arcsec\"\r\n" + FormatNumber(a.duMondSlope / (kA * 1e6), 4) +
                  " eV/urad";
  if (laue) {
    t.analyticFwhmVisible = false;
    t.analyticFwhm.clear();
    t.depthLabel = "Pendellosung distance:";
    t.extinctionLabel = "Analytical Pendellosung:";
    if (a.extinction > 0) {
      t.extinction = FormatNumber(a.extinction / 1e4, 5) + "  (Half: " + FormatNumber(a.extinction / 2e4, 5) + ")";
    }
  } else {
    t.depthLabel = "Minimum Penetration depth:";
    t.extinctionLabel = "Analytical Extinction depth:";
    // −1 means no point had a defined depth; showing it as −0.0001 µm
    // would be a wrong number.
    if (a.minDepth > 0) t.depth = FormatNumber(a.minDepth / 1e4, 5);
    if (a.extinction > 0) t.extinction = FormatNumber(a.extinction / 1e4, 5);
  }
  return t;
}

}  // namespace velto::programs
