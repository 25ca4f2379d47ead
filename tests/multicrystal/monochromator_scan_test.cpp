// The double-crystal scan on the vector path against the two crystals
// evaluated point by point with the single-point operations.
#include <gtest/gtest.h>

#include <cmath>
#include <variant>

#include "core/Units.h"
#include "multicrystal/Monochromator.h"
#include "SiliconReflections.h"
#include "twobeam/BraggCrystal.h"

namespace velto::multicrystal {
namespace {

using testing::kEnergy;
using twobeam::BraggCrystal;
using twobeam::Polarization;

// The scan as the program describes it, one point at a time.
struct Expected {
  std::vector<double> values, deviation;
};
Expected PointByPoint(const MonochromatorInput& in, const MonochromatorGeometry& g) {
  BraggCrystal first(in.energy, in.first.d, in.firstAsymmetry * core::kDegree, -1, in.first.chi);
  BraggCrystal second(in.energy, in.second.d, in.secondAsymmetry * core::kDegree, -1, in.second.chi);
  const double step = (in.to - in.from) / (in.points - 1);
  Expected e{std::vector<double>(in.points, 0.0), std::vector<double>(in.points, 0.0)};
  for (int i = 0; i < in.points; ++i) {
    const bool angular = in.mode == ScanMode::Angular;
    const double energy = angular ? in.energy : in.energy + in.from + i * step;
    const double theta1 = g.incidence0 + (angular ? (in.from + i * step) : in.deltaOmega) * core::kArcsecond;
    double r1 = first.ReflectSemiInfinite(in.polarization, theta1, energy);
    if (!first.HasExitBeam()) continue;
    if (in.firstChannelCut) r1 *= r1;
    const double theta2 = in.arrangement == Arrangement::NonDispersive
                              ? first.ExitAngle() - g.totalOrientation
                              : core::kPi - g.totalOrientation - first.ExitAngle();
    if (!(theta2 > 0 && theta2 < core::kPi)) continue;
    double r2 = second.ReflectSemiInfinite(in.polarization, theta2, energy);
    if (in.secondChannelCut) r2 *= r2;
    e.values[i] = in.onlyFirst ? r1 : r1 * r2;
    if (second.HasExitBeam()) e.deviation[i] = second.ExitAngle() - g.exit0;
  }
  return e;
}

// Angular and energy scans, both arrangements, channel-cuts, the first
// crystal alone, σ and π, asymmetric crystals and a 4 0 0 second crystal:
// the block path gives the point-by-point numbers. Its angles differ from
// the library's in the last place (sweep, vector arc cosine), which the
// steep flanks of the curves magnify to about 1e-11.
TEST(MonochromatorScan, BlocksGiveThePointByPointScan) {
  struct Case {
    ScanMode mode;
    Arrangement arrangement;
    bool firstChannelCut, secondChannelCut, onlyFirst;
    Polarization polarization;
    double firstAsymmetry, secondAsymmetry;
    bool secondIs400;
  };
  const Case cases[] = {
      {ScanMode::Angular, Arrangement::NonDispersive, false, false, false, Polarization::Sigma, 0, 0, false},
      {ScanMode::Angular, Arrangement::Dispersive, true, false, false, Polarization::Pi, 5, -3, true},
      {ScanMode::Angular, Arrangement::NonDispersive, false, true, true, Polarization::Sigma, 8, 8, false},
      {ScanMode::Energy, Arrangement::NonDispersive, false, false, false, Polarization::Sigma, 0, 0, false},
      {ScanMode::Energy, Arrangement::Dispersive, true, true, false, Polarization::Pi, -4, 6, true},
  };
  for (const Case& c : cases) {
    MonochromatorInput in;
    in.energy = kEnergy;
    in.first = testing::Si111();
    in.second = c.secondIs400 ? testing::Si400() : testing::Si111();
    in.mode = c.mode;
    in.arrangement = c.arrangement;
    in.firstChannelCut = c.firstChannelCut;
    in.secondChannelCut = c.secondChannelCut;
    in.onlyFirst = c.onlyFirst;
    in.polarization = c.polarization;
    in.firstAsymmetry = c.firstAsymmetry;
    in.secondAsymmetry = c.secondAsymmetry;
    in.points = 1201;  // more than four blocks, the last one partial
    if (c.mode == ScanMode::Energy) {
      in.from = -3;
      in.to = 3;
    } else {
      in.from = -300;
      in.to = 300;
    }
    auto computed = ComputeMonochromatorScan(in);
    ASSERT_TRUE(std::holds_alternative<MonochromatorResult>(computed));
    const MonochromatorResult& result = std::get<MonochromatorResult>(computed);
    ASSERT_TRUE(result.curve.has_value());
    const Expected e = PointByPoint(in, result.geometry);
    for (int i = 0; i < in.points; ++i) {
      EXPECT_NEAR(result.curve->trace.values[i], e.values[i], 1e-11) << i;
      EXPECT_NEAR(result.curve->deviation[i], e.deviation[i], 1e-14) << i;
      if (e.values[i] == 0) {
        EXPECT_EQ(result.curve->trace.values[i], 0.0) << i;
      }
    }
  }
}

}  // namespace
}  // namespace velto::multicrystal
