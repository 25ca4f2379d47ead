#include "mbd/AzimuthEquation.h"

#include <cmath>
#include <utility>

#include "core/Units.h"

namespace velto::mbd {

AzimuthRoots SolveAzimuthEquation(double p, double q, double r) {
  double roots[2] = {kNoAngle, kNoAngle};
  int count = 0;
  const double s = p * p + q * q;
  // With p = q = 0 the equation is r = 0: no azimuth, or every azimuth;
  // neither is a crossing that can be listed.
  if (s > 0) {
    const bool cosineForm = std::fabs(q) > 1e-4;
    // The quadratic in x = cos φ (or y = sin φ): s x² + 2 a r x + (r² − b²) = 0.
    const double a = cosineForm ? p : q;
    const double b = cosineForm ? q : p;
    const double discriminant = 4 * a * a * r * r - 4 * s * (r * r - b * b);
    if (discriminant >= 0) {
      const double root = std::sqrt(discriminant);
      const double candidates[2] = {(root - 2 * a * r) / (2 * s), (-2 * a * r - root) / (2 * s)};
      for (int i = 0; i < 2; ++i) {
        const double value = candidates[i];
        if (!(std::fabs(value) <= 1)) continue;
        const double u = a * value + r;
        if (cosineForm) {
          const double phi = std::acos(value);
          const double t = q * std::sin(phi);
          roots[i] = std::fabs(u - t) >= std::fabs(u + t) ? phi : -phi;
        } else {
          const double phi = std::asin(value);
          double mirror = core::kPi - phi;
          if (core::kPi <= mirror) mirror -= core::kTwoPi;
          const double t = p * std::cos(phi);
          roots[i] = std::fabs(u - t) >= std::fabs(u + t) ? phi : mirror;
        }
        ++count;
      }
    }
  }
  AzimuthRoots result;
  result.count = count;
  if (count == 0) return result;
  if (std::fabs(roots[0]) > std::fabs(roots[1])) std::swap(roots[0], roots[1]);
  result.root1 = roots[0] == kNoAngle ? kNoAngle : roots[0] / core::kDegree;
  result.root2 = roots[1] == kNoAngle ? kNoAngle : roots[1] / core::kDegree;
  return result;
}

}  // namespace velto::mbd
