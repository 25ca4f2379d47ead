#include "mbd/ReflectionSearch.h"

#include <algorithm>
#include <cmath>

#include "core/Units.h"
#include "mbd/ReflectionRules.h"

namespace velto::mbd {
namespace {
double ReduceDeviation(double delta) {
  while (delta <= -180) delta += 360;
  while (delta > 180) delta -= 360;
  return delta;
}
}  // namespace

SearchResult SearchReflectionsNearAzimuth(const MbdGeometry& geometry, crystal::CrystalStructure& crystal,
                                          bool diamondMode, double tolerance, double threshold,
                                          core::Notifier& notifier) {
  SearchResult result;
  result.tolerance = std::isnan(tolerance) ? 2.0 : std::clamp(tolerance, 1e-5, 180.0);
  result.threshold = std::isnan(threshold) ? 1e-8 : std::max(threshold, 0.0);
  const Miller g = geometry.PrimaryReflection();
  const int gAllowed = ChiAllowed(crystal, -1, g, result.threshold, notifier);
  const double energy = geometry.Energy();
  const double phi0 = geometry.PrincipalAzimuthDeg().value_or(0.0);
  const double halfLambda = core::kHcEvAngstrom / energy / 2;
  const double twoOverLambda = 2 * energy / core::kHcEvAngstrom;
  const LatticeBasis& lattice = geometry.Lattice();
  const int hMax = static_cast<int>(twoOverLambda / Norm(lattice.b1));
  const int kMax = static_cast<int>(twoOverLambda / Norm(lattice.b2));
  const int lMax = static_cast<int>(twoOverLambda / Norm(lattice.b3));
  const Vec3 gVector = lattice.Reciprocal(g);

  for (int h = -hMax; h <= hMax; ++h) {
    for (int k = -kMax; k <= kMax; ++k) {
      for (int l = -lMax; l <= lMax; ++l) {
        const Miller m{h, k, l};
        if (IsOrigin(m) || m == g) continue;
        const Miller coupling = m - g;
        const int score = diamondMode ? DiamondAllowed(coupling) + DiamondAllowed(m) + gAllowed
                                      : ChiAllowed(crystal, energy, m, result.threshold, notifier) +
                                            ChiAllowed(crystal, energy, coupling, result.threshold, notifier) +
                                            gAllowed;
        if (score < 2) continue;
        const Vec3 vector = lattice.Reciprocal(m);
        const double sine = Norm(vector) * halfLambda;
        if (sine > 1) continue;
        const Vec3 difference = gVector - vector;
        if (Dot(difference, difference) * halfLambda * halfLambda > 1) continue;
        const AzimuthRoots roots = geometry.ReflectionAzimuths(m, std::asin(sine));
        if (roots.count == 0) continue;
        const double delta1 = ReduceDeviation(roots.root1 - phi0);
        bool hit = false;
        double closer = roots.root1, other = roots.root2, deviation = delta1;
        if (roots.count == 1) {
          hit = std::fabs(delta1) < result.tolerance;
          other = kNoAngle;
        } else {
          const double delta2 = ReduceDeviation(roots.root2 - phi0);
          hit = std::fabs(delta1) <= result.tolerance || std::fabs(delta2) <= result.tolerance;
          if (std::fabs(delta2) <= std::fabs(delta1)) {
            closer = roots.root2;
            other = roots.root1;
            deviation = delta2;
          }
        }
        if (!hit) continue;
        if (!result.hits.AppendWithValues(m, closer, other, notifier)) return result;
        result.deviations.push_back(deviation);
      }
    }
  }
  return result;
}

}  // namespace velto::mbd
