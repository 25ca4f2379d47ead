#pragma once
#include <pybind11/pybind11.h>

#include <optional>
#include <string>
#include <utility>

#include "python/Crystal.h"

namespace velto::python {

// A single-crystal curve as numpy arrays (display units: arcseconds or eV
// for x, arcseconds for the exit deviation, µm for the depth) and the
// analysis in the units of velto-cli rc --json; a number the command
// prints as null is None.
struct RockingCurveResult {
  pybind11::object x, r, t, exit, depth, specular;
  std::string scan;
  bool laue = false;
  int points = 0;
  int failedPoints = 0;
  double thetaBDeg = 0;
  double b = 0;
  std::optional<double> maxR, xMax, xMaxExit, rCentre, xCentre, xCentreExit, fwhm, fwhmExit, xLeft, xRight, absMax,
      absCentre, analyticShift, analyticFwhm, duMondSlope, minDepthUm, extinctionUm;
};

RockingCurveResult RockingCurve(const Crystal& crystal, const Hkl& hkl, double energyKev, bool laue,
                                const std::string& polarization, const std::string& scan, double offset,
                                const std::optional<std::pair<double, double>>& range, int points, double asymmetryDeg,
                                const std::optional<double>& thicknessUm, bool rigorous);

void BindRockingCurve(pybind11::module_& module);

}  // namespace velto::python
