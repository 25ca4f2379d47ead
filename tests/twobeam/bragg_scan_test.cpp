// The scan loops (vector kernel, sine and cosine sweep) against the
// single-point evaluations they stand for.
#include <gtest/gtest.h>
#include <omp.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <vector>

#include "core/Notifier.h"
#include "core/Progress.h"
#include "twobeam/BraggScan.h"
#include "twobeam/CurveScan.h"
#include "twobeam/TwoBeamExamples.h"

namespace velto::twobeam {
namespace {

using testing::kCuKalpha1;
using testing::SiliconBragg;
using testing::SiliconLaue;

ScanSetting RockingCurve(const BraggCrystal& crystal, int points, double halfRangeArcsec) {
  ScanSetting s;
  s.kind = ScanKind::RockingCurve;
  s.points = points;
  s.start = -halfRangeArcsec * core::kArcsecond;
  s.step = 2 * halfRangeArcsec * core::kArcsecond / (points - 1);
  s.fixedEnergy = crystal.Energy();
  return s;
}

ScanSetting EnergyScan(const BraggCrystal& crystal, int points, double halfRangeEv) {
  ScanSetting s;
  s.kind = ScanKind::EnergyScan;
  s.points = points;
  s.start = -halfRangeEv;
  s.step = 2 * halfRangeEv / (points - 1);
  s.fixedEnergy = crystal.Energy();
  s.fixedIncidence = crystal.IncidenceAtBragg() + 3 * core::kArcsecond;
  return s;
}

CurveSet Scan(const BraggCrystal& crystal, const ScanSetting& setting) {
  CurveSet curve;
  core::SilentNotifier quiet;
  core::NoProgress progress;
  EXPECT_EQ(ComputeBraggCurve(crystal, setting, curve, quiet, progress), ScanStatus::Completed);
  return curve;
}

double RelativeDifference(double a, double b) {
  if (a == b) return 0;
  return std::fabs(a - b) / std::max(std::fabs(a), std::fabs(b));
}

// Every point of a standard-theory scan is the single-point evaluation at
// the same incidence sine and cosine: to the last bit for a semi-infinite
// crystal (the same arithmetic), within 1e-14 for a plate (the vector
// exponential, sine and cosine differ from the library's by a few ulps).
// The exit angle comes from the vector arc cosine. Against the plain
// single-point call with the angle in radians, the sweep's sines and
// cosines (a few 1e-17 from the library's) show through the deviation from
// the Bragg angle, a difference of nearly equal numbers; still far below
// any printed digit.
TEST(BraggScan, GivesTheSinglePointValuesForEveryGeometryAndTheory) {
  for (const double asymmetryDegrees : {0.0, 7.0, -7.0, 13.5}) {
    for (const double thickness : {-1.0, 5e4}) {
      for (const Polarization p : {Polarization::Sigma, Polarization::Pi}) {
        for (const bool energyScan : {false, true}) {
          SCOPED_TRACE(::testing::Message()
                       << "asymmetry " << asymmetryDegrees << "°, thickness " << thickness << " Å, "
                       << (p == Polarization::Sigma ? "σ" : "π") << (energyScan ? ", energy scan" : ", rocking curve"));
          const BraggCrystal crystal = SiliconBragg(asymmetryDegrees * core::kDegree, thickness);
          ScanSetting setting = energyScan ? EnergyScan(crystal, 1001, 4) : RockingCurve(crystal, 1001, 60);
          setting.polarization = p;
          setting.thickness = thickness;
          const CurveSet curve = Scan(crystal, setting);
          const AngleSweep sweep(crystal.IncidenceAtBragg(), setting.start, setting.step);
          std::vector<double> radians(setting.points), sine(setting.points), cosine(setting.points);
          sweep.Fill(0, setting.points, radians.data(), sine.data(), cosine.data());

          BraggCrystal single = crystal;
          double worstSame = 0, worstPlain = 0, worstExit = 0;
          for (int i = 0; i < setting.points; ++i) {
            const double x = setting.start + i * setting.step;
            const double energy = energyScan ? setting.fixedEnergy + x : setting.fixedEnergy;
            const double incidence = energyScan ? setting.fixedIncidence : crystal.IncidenceAtBragg() + x;
            const BraggCrystal::GlancingAngle angle = energyScan
                                                          ? BraggCrystal::GlancingAngle::Of(incidence)
                                                          : BraggCrystal::GlancingAngle{radians[i], sine[i], cosine[i]};
            const double r = thickness > 0 ? single.ReflectFinite(p, angle, energy, thickness)
                                           : single.ReflectSemiInfinite(p, angle, energy);
            if (thickness > 0) {
              worstSame = std::max(worstSame, RelativeDifference(curve.reflectivity[i], r));
              EXPECT_LE(RelativeDifference(curve.transmissivity[i], single.Transmissivity()), 1e-14) << i;
            } else {
              EXPECT_EQ(curve.reflectivity[i], r) << i;
            }
            EXPECT_EQ(curve.depth[i], single.LastPenetrationDepth()) << i;
            ASSERT_TRUE(single.HasExitBeam());
            worstExit =
                std::max(worstExit, std::fabs(curve.exitDeviation[i] + crystal.ExitAtBragg() - single.ExitAngle()));
            const double plain = thickness > 0 ? single.ReflectFinite(p, incidence, energy, thickness)
                                               : single.ReflectSemiInfinite(p, incidence, energy);
            worstPlain = std::max(worstPlain, std::fabs(curve.reflectivity[i] - plain));
          }
          EXPECT_LE(worstSame, 1e-14);
          EXPECT_LE(worstExit, 1e-15);  // radians: a few ulps of an angle below π/2
          EXPECT_LE(worstPlain, 1e-9);
        }
      }
    }
  }
}

// Rigorous theory and Laue case run point by point; the scan must still be
// exactly the single-point calls, σ and π, plate and semi-infinite.
TEST(BraggScan, RigorousAndLaueScansAreTheSinglePointCalls) {
  for (const double asymmetryDegrees : {13.5, 14.0}) {
    for (const double thickness : {-1.0, 2e4}) {
      for (const Polarization p : {Polarization::Sigma, Polarization::Pi}) {
        const BraggCrystal crystal = SiliconBragg(asymmetryDegrees * core::kDegree, thickness);
        ScanSetting setting = RockingCurve(crystal, 301, 80);
        setting.polarization = p;
        setting.thickness = thickness;
        setting.rigorous = true;
        const CurveSet curve = Scan(crystal, setting);
        BraggCrystal single = crystal;
        core::SilentNotifier quiet;
        for (int i = 0; i < setting.points; ++i) {
          const double incidence = crystal.IncidenceAtBragg() + (setting.start + i * setting.step);
          PointResult point;
          EvaluateBraggPoint(single, setting, incidence, setting.fixedEnergy, quiet, point);
          const double direct = thickness > 0              ? single.ReflectRigorousFinite(p, incidence, -1, thickness)
                                : p == Polarization::Sigma ? single.ReflectRigorousSemiInfinite(p, incidence, -1)
                                                           : single.ReflectEigenSemiInfinite(p, incidence, -1, quiet);
          EXPECT_EQ(curve.reflectivity[i], direct) << i;
          EXPECT_EQ(curve.reflectivity[i], point.reflectivity) << i;
          EXPECT_EQ(curve.specular[i], point.specular) << i;
        }
      }
    }
  }
  for (const double asymmetryDegrees : {0.0, 20.0, -20.0}) {
    for (const Polarization p : {Polarization::Sigma, Polarization::Pi}) {
      const LaueCrystal crystal = SiliconLaue(asymmetryDegrees * core::kDegree, 3e4);
      ScanSetting setting;
      setting.points = 401;
      setting.start = -40 * core::kArcsecond;
      setting.step = 80 * core::kArcsecond / 400;
      setting.fixedEnergy = kCuKalpha1;
      setting.polarization = p;
      CurveSet curve;
      core::NoProgress progress;
      ASSERT_EQ(ComputeLaueCurve(crystal, setting, curve, progress), ScanStatus::Completed);
      LaueCrystal single = crystal;
      for (int i = 0; i < setting.points; ++i) {
        const double incidence = crystal.IncidenceAtBragg() + (setting.start + i * setting.step);
        EXPECT_EQ(curve.reflectivity[i], single.LaueEvaluate(incidence, kCuKalpha1, p)) << i;
        EXPECT_EQ(curve.transmissivity[i], single.Transmissivity()) << i;
      }
    }
  }
}

// Each point is computed by one thread as the serial loop computes it, and
// the blocks of points and the anchors of the sweep lie at the same indices
// whatever the number of threads.
TEST(BraggScan, ParallelScanIsTheSerialScanBitForBit) {
  const int threads = omp_get_max_threads();
  for (const double thickness : {-1.0, 5e4}) {
    const BraggCrystal crystal = SiliconBragg(5 * core::kDegree, thickness);
    ScanSetting setting = RockingCurve(crystal, 20011, 100);
    setting.thickness = thickness;
    omp_set_num_threads(1);
    const CurveSet serial = Scan(crystal, setting);
    omp_set_num_threads(3);
    const CurveSet parallel = Scan(crystal, setting);
    omp_set_num_threads(threads);
    EXPECT_EQ(serial.reflectivity, parallel.reflectivity);
    EXPECT_EQ(serial.transmissivity, parallel.transmissivity);
    EXPECT_EQ(serial.exitDeviation, parallel.exitDeviation);
    EXPECT_EQ(serial.depth, parallel.depth);
    EXPECT_EQ(serial.minDepth, parallel.minDepth);
  }
}

// Physics through the vector kernel: a non-absorbing crystal reflects
// totally (R = 1 exactly, the flat top) over the Darwin width, and a plate
// many extinction lengths thick reflects as the semi-infinite crystal.
TEST(BraggScan, KeepsTheDarwinPlateauAndTheThickPlateLimit) {
  const BraggCrystal transparent = testing::TransparentSiliconBragg();
  const ScanSetting setting = RockingCurve(transparent, 4001, 40);
  const CurveSet curve = Scan(transparent, setting);
  const long onTop = std::count(curve.reflectivity.begin(), curve.reflectivity.end(), 1.0);
  const double plateau = onTop * setting.step;
  EXPECT_NEAR(plateau, transparent.DarwinWidth(Polarization::Sigma), 2 * setting.step);
  EXPECT_LE(*std::max_element(curve.reflectivity.begin(), curve.reflectivity.end()), 1.0);

  // 2 mm: the beam is absorbed (1/μ ≈ 70 µm) before it reaches the back.
  const BraggCrystal thick = SiliconBragg(0, 2e7);
  const BraggCrystal semi = SiliconBragg();
  ScanSetting plate = RockingCurve(thick, 2001, 40);
  plate.thickness = 2e7;
  const CurveSet thickCurve = Scan(thick, plate);
  const CurveSet semiCurve = Scan(semi, RockingCurve(semi, 2001, 40));
  for (int i = 0; i < plate.points; ++i) EXPECT_NEAR(thickCurve.reflectivity[i], semiCurve.reflectivity[i], 1e-12) << i;
}

// Far from the reflection |η| is large and the weak wave's η − s is a
// difference of nearly equal numbers (it was computed so, losing about
// 2·log10|η| digits: 1e-10 of R a degree away). The standard theory worked
// out in long double (the same formulas, 11 more bits, from the same sine
// and cosine and λ/d) holds R to 1e-13 there, and at the peak; with π and an
// asymmetric cut as well.
TEST(BraggScan, FarTailsKeepTheirDigits) {
  using LongComplex = std::complex<long double>;
  for (const double asymmetryDegrees : {0.0, 9.0}) {
    for (const Polarization p : {Polarization::Sigma, Polarization::Pi}) {
      BraggCrystal crystal = SiliconBragg(asymmetryDegrees * core::kDegree);
      const auto& k = crystal.ConstantsOf(p);
      for (const double offsetDegrees : {-3.0, -1.0, -0.3, 0.0, 0.001, 0.3, 1.0, 3.0}) {
        const double incidence = crystal.IncidenceAtBragg() + offsetDegrees * core::kDegree;
        const double r = crystal.ReflectSemiInfinite(p, incidence, -1);
        const double lambda = core::kHcEvAngstrom / crystal.Energy();
        const long double q = lambda / crystal.DSpacing();
        // From the same double sine and cosine: near the peak their last
        // bits show through the deviation w (see the test above).
        const long double sine = std::sin(incidence), cosine = std::cos(incidence);
        const long double w = q * (sine * crystal.CosAlpha() + cosine * crystal.SinAlpha() - q / 2);
        const LongComplex eta = w * LongComplex(k.p) + LongComplex(k.q0);
        const LongComplex root = std::sqrt(eta * eta - 1.0L);
        const LongComplex d0(crystal.D0());
        // The weak wave's factor from the identity (η + s)(η − s) = 1 as
        // well: long double has no digits to spare at |η|² ≈ 1e7.
        const LongComplex sum = eta + root, difference = eta - root;
        const bool sumLarger = std::norm(sum) >= std::norm(difference);
        const LongComplex small = 1.0L / (sumLarger ? sum : difference);
        const LongComplex plusFactor = sumLarger ? sum : small, minusFactor = sumLarger ? small : difference;
        const long double plus = (LongComplex(k.g) * plusFactor + d0).imag();
        const long double minus = (LongComplex(k.g) * minusFactor + d0).imag();
        const LongComplex x = LongComplex(k.a) * (minus > plus ? minusFactor : plusFactor);
        const long double reference = crystal.AsymmetryRatio() * std::norm(x);
        // Near the peak w is itself a difference of nearly equal numbers
        // (rounding of 1e-17 on a deviation of 1e-5), in double as in any
        // evaluation from a double angle.
        const long double tolerance = std::fabs(offsetDegrees) >= 0.3 ? 1e-13L : 1e-11L;
        EXPECT_LE(std::fabs(r - reference) / reference, tolerance)
            << asymmetryDegrees << "° " << offsetDegrees << "° R = " << r;
      }
    }
  }
}

// The sweep's sines and cosines against the library's over a million
// points spanning almost half a turn (about 8 ulps of 1 is 1.8e-15); the
// anchors are the library's values themselves, and a sweep too coarse for
// the series takes every value from the library.
TEST(AngleSweep, StaysWithin1e15OfTheLibraryOverAMillionPoints) {
  const int n = 1000000;
  const AngleSweep sweep(0.02, 0.0, 3.1e-6);
  std::vector<double> radians(n), sine(n), cosine(n);
  sweep.Fill(0, n, radians.data(), sine.data(), cosine.data());
  double worst = 0;
  for (int i = 0; i < n; ++i) {
    ASSERT_EQ(radians[i], sweep.Angle(i));
    worst = std::max({worst, std::fabs(sine[i] - std::sin(radians[i])), std::fabs(cosine[i] - std::cos(radians[i]))});
    if (i % AngleSweep::kAnchorSpacing == 0) {
      EXPECT_EQ(sine[i], std::sin(radians[i]));
      EXPECT_EQ(cosine[i], std::cos(radians[i]));
    }
  }
  EXPECT_LE(worst, 1e-15);
  char text[32];
  std::snprintf(text, sizeof text, "%.3g", worst);
  RecordProperty("worst_error", text);

  // A block asked for on its own gives the same values.
  std::vector<double> r(100), s(100), c(100);
  sweep.Fill(123457, 100, r.data(), s.data(), c.data());
  for (int i = 0; i < 100; ++i) EXPECT_EQ(s[i], sine[123457 + i]);

  const AngleSweep coarse(0.1, 0.0, 0.01);
  coarse.Fill(0, 100, r.data(), s.data(), c.data());
  for (int i = 0; i < 100; ++i) EXPECT_EQ(s[i], std::sin(coarse.Angle(i)));
}

}  // namespace
}  // namespace velto::twobeam
