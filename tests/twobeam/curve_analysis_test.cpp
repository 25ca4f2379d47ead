#include <gtest/gtest.h>
#include <omp.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "TwoBeamExamples.h"

namespace velto::twobeam {
namespace {

using namespace testing;
constexpr double kArcsec = core::kArcsecond;

TEST(AnalyseCurve, EvaluatesTheCentreBetweenSamplesInsteadOfAveraging) {
  // A Darwin curve sampled symmetrically about its centre with an even
  // number of points: the centre falls halfway between two samples, and
  // its reflectivity is computed there.
  BraggCrystal transparent = TransparentSiliconBragg();
  const double centre = transparent.CentreShift() / kArcsec;
  CurveSet curve;
  const CurveAnalysis flat = ComputeAndAnalyse(transparent, RockingScan(centre - 15, centre + 15, 2000, kCuKalpha1), curve);
  ASSERT_TRUE(flat.HasWidth());
  EXPECT_NEAR(flat.iCentre, 999.5, 0.02);
  // The plateau is flat to the last bit, so the maximum is its first sample.
  EXPECT_EQ(curve.reflectivity[flat.iMax], 1.0);
  EXPECT_LT(curve.reflectivity[flat.iMax - 1], 1.0);

  BraggCrystal si = SiliconBragg();
  const ScanSetting setting = RockingScan(-40, 50, 2000, kCuKalpha1);
  const CurveAnalysis a = ComputeAndAnalyse(si, setting, curve);
  ASSERT_TRUE(a.HasWidth());
  const double expected = si.ReflectSemiInfinite(Polarization::Sigma, si.IncidenceAtBragg() + a.xCentre, -1);
  EXPECT_EQ(a.rCentre, expected);
  EXPECT_NEAR(a.dCentre, si.ExitAngle() - si.ExitAtBragg(), 1e-15);
  EXPECT_NEAR(a.xLeft, curve.start + a.iLeft * curve.step, 1e-18);
  EXPECT_DOUBLE_EQ(a.fwhm, curve.step * (a.iRight - a.iLeft));
  // Symmetric case: the exit angle follows the incidence angle one to one.
  EXPECT_NEAR(a.fwhmExit / a.fwhm, 1.0, 1e-6);
  EXPECT_NEAR(a.absMax, (a.xMax + si.BraggAngle()) / core::kDegree, 1e-12);
  EXPECT_EQ(a.analyticShift, si.CentreShift());
  EXPECT_EQ(a.analyticFwhm, si.DarwinWidth(Polarization::Sigma));
  EXPECT_EQ(a.extinction, si.ExtinctionLength(Polarization::Sigma));
  EXPECT_GT(a.minDepth, 0);
}

TEST(AnalyseCurve, NeedsAPeakInsideAndBothHalfMaximumPoints) {
  BraggCrystal transparent = TransparentSiliconBragg();
  const double centre = transparent.CentreShift() / kArcsec;
  CurveSet curve;
  // The scan starts on the plateau: the first of the equal maxima is sample 0.
  const CurveAnalysis atStart = ComputeAndAnalyse(transparent, RockingScan(centre, centre + 30, 301, kCuKalpha1), curve);
  EXPECT_TRUE(atStart.hasCurve);
  EXPECT_EQ(atStart.iMax, 0);
  EXPECT_FALSE(atStart.HasWidth());
  EXPECT_EQ(atStart.iCentre, -1);
  EXPECT_TRUE(curve.HasData());  // still drawn

  // Falls below half only on the right: the left crossing must come first.
  // (Si 111 peaks at +4.05″ and is at half maximum at +2.74″ and +10.34″.)
  BraggCrystal si = SiliconBragg();
  const CurveAnalysis oneSided = ComputeAndAnalyse(si, RockingScan(3.2, 40, 369, kCuKalpha1), curve);
  EXPECT_TRUE(oneSided.hasCurve);
  EXPECT_GT(oneSided.iMax, 0);
  EXPECT_EQ(oneSided.iLeft, -1);
  EXPECT_EQ(oneSided.iRight, -1);
  EXPECT_FALSE(oneSided.HasWidth());
}

TEST(AnalyseCurve, DropsACurveWithoutReflection) {
  // Every point of this energy scan lies at or below 1 eV and is skipped.
  BraggCrystal si = SiliconBragg();
  ScanSetting setting = EnergyScanAt(-0.5, 0.4, 11, 0.5, si.IncidenceAtBragg());
  CurveSet curve;
  const CurveAnalysis a = ComputeAndAnalyse(si, setting, curve);
  EXPECT_FALSE(a.hasCurve);
  EXPECT_FALSE(curve.HasData());
  EXPECT_EQ(curve.minDepth, -1);
}

TEST(AnalyseCurve, EnergyScanOfAnAsymmetricCrystalHasANegativeExitWidth) {
  // cos θe = cos θi − (hc/(E·d))·sin α: with α > 0 the exit angle falls as
  // the energy rises, at the rate dθe/dE = −hc·sin α/(E²·d·sin θe).
  const double alpha = 5 * core::kDegree;
  BraggCrystal si = SiliconBragg(alpha);
  CurveSet curve;
  const CurveAnalysis a = ComputeAndAnalyse(si, EnergyScanAt(-3, 4, 3001, kCuKalpha1, si.IncidenceAtBragg()), curve);
  ASSERT_TRUE(a.HasWidth());
  EXPECT_GT(a.fwhm, 0);
  EXPECT_LT(a.fwhmExit, 0);
  const double rate = -core::kHcEvAngstrom * std::sin(alpha) /
                      (kCuKalpha1 * kCuKalpha1 * kSiliconD111 * std::sin(si.ExitAtBragg()));
  EXPECT_NEAR(a.fwhmExit / (a.fwhm * rate), 1.0, 0.01);
  EXPECT_NEAR(a.absCentre, (kCuKalpha1 + a.xCentre) / 1000, 1e-12);
  EXPECT_EQ(a.analyticShift, 0);  // closed forms belong to rocking curves
  EXPECT_EQ(a.analyticFwhm, 0);
}

TEST(AnalyseCurve, NoClosedFormsNearBackReflection) {
  const double lambda = core::WavelengthOf(kCuKalpha1);
  BraggCrystal back(kCuKalpha1, lambda / (2 * std::sin(89.6 * core::kDegree)), 0, -1, kSiChi0, kSiChih, kSiChimh, {}, {});
  ASSERT_GT(back.DarwinWidth(Polarization::Sigma), 0);
  CurveSet curve;
  const CurveAnalysis a = ComputeAndAnalyse(back, RockingScan(-4000, 4000, 4001, kCuKalpha1), curve);
  ASSERT_TRUE(a.HasWidth());
  EXPECT_EQ(a.analyticShift, 0);
  EXPECT_EQ(a.analyticFwhm, 0);
}

TEST(AnalyseCurve, LaueCurveCarriesThePendellosungDistance) {
  LaueCrystal plate = SiliconLaue(0, 50e4);
  CurveSet curve;
  const CurveAnalysis a = ComputeAndAnalyse(plate, RockingScan(-30, 30, 601, kCuKalpha1, Polarization::Sigma, 50e4), curve);
  ASSERT_TRUE(a.HasWidth());
  EXPECT_EQ(a.minDepth, -1);
  EXPECT_EQ(a.extinction, plate.PendellosungDistance(Polarization::Sigma));
  EXPECT_EQ(a.analyticFwhm, 0);
  EXPECT_GT(a.maxT, 0);
}

class RecordingProgress final : public core::Progress {
 public:
  explicit RecordingProgress(int cancelAt = 1000) : cancelAt_(cancelAt) {}
  void Report(int percent) override { reported.push_back(percent); }
  bool Cancelled() const override { return !reported.empty() && reported.back() >= cancelAt_; }
  std::vector<int> reported;

 private:
  int cancelAt_;
};

TEST(CurveScan, ParallelResultIsBitIdenticalToSerial) {
  BraggCrystal si = SiliconBragg(3 * core::kDegree, 5e4);
  core::SilentNotifier quiet;
  struct Case {
    double thickness;
    bool rigorous;
  };
  // Standard finite plate, rigorous finite plate, and the eigenvalue form
  // (rigorous, π, semi-infinite), whose LAPACK calls run in every thread.
  for (const Case c : {Case{5e4, false}, Case{5e4, true}, Case{-1, true}}) {
    const int points = c.thickness < 0 ? 2001 : 20001;
    const ScanSetting setting = RockingScan(-60, 80, points, kCuKalpha1, Polarization::Pi, c.thickness, c.rigorous);
    CurveSet serial, parallel;
    core::NoProgress progress;
    const int threads = omp_get_max_threads();
    omp_set_num_threads(1);
    ComputeBraggCurve(si, setting, serial, quiet, progress);
    omp_set_num_threads(std::max(threads, 3));
    ComputeBraggCurve(si, setting, parallel, quiet, progress);
    omp_set_num_threads(threads);
    for (auto member : {&CurveSet::reflectivity, &CurveSet::transmissivity, &CurveSet::exitDeviation,
                        &CurveSet::depth, &CurveSet::specular}) {
      const std::vector<double>& a = serial.*member;
      const std::vector<double>& b = parallel.*member;
      ASSERT_EQ(a.size(), b.size());
      EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(double)), 0);
    }
    EXPECT_EQ(serial.minDepth, parallel.minDepth);
  }
}

TEST(CurveScan, ReportsGrowingPercentagesAndCancelsWithoutTouchingTheOldCurve) {
  BraggCrystal si = SiliconBragg();
  core::SilentNotifier quiet;
  const ScanSetting setting = RockingScan(-50, 50, 2001, kCuKalpha1);
  CurveSet curve;
  RecordingProgress progress;
  ASSERT_EQ(ComputeBraggCurve(si, setting, curve, quiet, progress), ScanStatus::Completed);
  ASSERT_FALSE(progress.reported.empty());
  EXPECT_EQ(progress.reported.back(), 100);
  for (std::size_t i = 1; i < progress.reported.size(); ++i) EXPECT_GT(progress.reported[i], progress.reported[i - 1]);

  const std::vector<double> before = curve.reflectivity;
  RecordingProgress cancelling(30);
  EXPECT_EQ(ComputeBraggCurve(si, RockingScan(-10, 10, 5001, kCuKalpha1), curve, quiet, cancelling),
            ScanStatus::Cancelled);
  EXPECT_EQ(curve.reflectivity, before);
  EXPECT_EQ(curve.points, 2001);
}

TEST(CurveScan, SkipsPointsOutsideTheAcceptedRange) {
  // Energy scan reaching 1 eV and below: those points keep their zeros;
  // the next ones are computed (a depth is defined for every computed point).
  BraggCrystal si = SiliconBragg();
  CurveSet curve;
  core::SilentNotifier quiet;
  core::NoProgress progress;
  const double lowest = -std::floor(kCuKalpha1);  // point 2 lies just below 1 eV
  ComputeBraggCurve(si, EnergyScanAt(lowest - 1, lowest + 1, 5, kCuKalpha1, si.IncidenceAtBragg()), curve, quiet,
                    progress);
  ASSERT_EQ(curve.points, 5);
  for (int i = 0; i < 5; ++i) {
    const bool computed = kCuKalpha1 + curve.Coordinate(i) > 1.0;
    EXPECT_EQ(curve.depth[i] > 0, computed) << i;
    if (!computed) {
      EXPECT_EQ(curve.reflectivity[i], 0.0);
    }
  }
  EXPECT_GT(curve.depth[4], 0);
  EXPECT_EQ(curve.depth[0], 0);
  // Rocking curve of a Laue plate wider than ±90° from the normal.
  LaueCrystal plate = SiliconLaue(0, 10e4);
  ComputeLaueCurve(plate, RockingScan(-400000, 400000, 5, kCuKalpha1, Polarization::Sigma, 10e4), curve, progress);
  EXPECT_EQ(curve.reflectivity[0], 0.0);
  EXPECT_EQ(curve.transmissivity[0], 0.0);
  EXPECT_EQ(curve.exitDeviation[4], 0.0);
}

}  // namespace
}  // namespace velto::twobeam
