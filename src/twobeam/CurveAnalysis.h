#pragma once
#include "twobeam/BraggCrystal.h"
#include "twobeam/CurveSet.h"
#include "twobeam/LaueCrystal.h"

namespace velto::twobeam {

// The characteristic numbers of a computed curve. Positions x are in the
// internal scan coordinate (radians or eV of deviation), exit deviations in
// radians, absolute positions in degrees (rocking curve) or keV (energy
// scan), the DuMond slope in eV per arcsecond, depths in Å.
struct CurveAnalysis {
  bool hasCurve = false;  // the maximum exceeded 1e-50 and the curve was kept
  double maxR = -1;
  int iMax = 0;
  double maxT = -1;
  double iLeft = -1, iRight = -1, widthIndex = 0, iCentre = -1;  // fractional sample indices
  double xMax = 0, xCentre = 0, xLeft = 0, xRight = 0;
  double fwhm = 0;
  double dMax = 0, dCentre = 0, dLeft = 0, dRight = 0, fwhmExit = 0;
  double rCentre = 0;
  double absMax = 0, absCentre = 0;
  double analyticShift = 0, analyticFwhm = 0;
  double duMondSlope = 0;
  double minDepth = -1, extinction = 0;

  // True when both half-maximum points were found: only then are the
  // positions, widths and evaluated values meaningful.
  bool HasWidth() const { return widthIndex > 0; }
};

// Locates the sampled maximum, interpolates the half-maximum crossings
// linearly and evaluates the theory again at the maximum, the centre and
// the two half-maximum points. A curve whose maximum does not exceed 1e-50
// is released (it has nothing to draw or export). `crystal` and `setting`
// are the ones that computed the curve.
CurveAnalysis AnalyseCurve(CurveSet& curve, BraggCrystal& crystal, const ScanSetting& setting);
CurveAnalysis AnalyseCurve(CurveSet& curve, LaueCrystal& crystal, const ScanSetting& setting);

}  // namespace velto::twobeam
