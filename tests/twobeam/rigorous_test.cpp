#include <gtest/gtest.h>

#include <cmath>

#include "TwoBeamExamples.h"
#include "support/RecordingNotifier.h"

namespace velto::twobeam {
namespace {

using namespace testing;
constexpr double kArcsec = core::kArcsecond;
const double kCriticalAngle = std::sqrt(15.170e-6);  // √|Re χ0| of silicon at Cu Kα1

double BraggAngleOfSilicon111() { return std::asin(core::WavelengthOf(kCuKalpha1) / (2 * kSiliconD111)); }

TEST(RigorousTheory, AgreesWithTheStandardTheoryAwayFromGrazingIncidence) {
  // With incidence and exit angles of several degrees the specular wave is
  // negligible and the linearised dispersion surface is exact enough.
  for (const double alphaDeg : {0.0, 8.0, -8.0}) {
    BraggCrystal si = SiliconBragg(alphaDeg * core::kDegree);
    for (const Polarization p : {Polarization::Sigma, Polarization::Pi}) {
      double peak = 0, worst = 0, specular = 0;
      for (int i = -600; i <= 900; ++i) {
        const double incidence = si.IncidenceAtBragg() + i * 0.1 * kArcsec;
        const double standard = si.ReflectSemiInfinite(p, incidence, -1);
        const double rigorous = si.ReflectRigorousSemiInfinite(p, incidence, -1);
        peak = std::max(peak, standard);
        worst = std::max(worst, std::fabs(rigorous - standard));
        specular = std::max(specular, si.SpecularReflectivity());
      }
      EXPECT_LT(worst, 0.01 * peak) << alphaDeg;
      EXPECT_LT(specular, 1e-5) << alphaDeg;
    }
  }
}

TEST(RigorousTheory, ShowsSpecularReflectionAndAShiftedPeakAtGrazingIncidence) {
  // Incidence at the Bragg angle of twice the critical angle (B ≈ 60): the
  // surface reflects specularly as a plain mirror would (Fresnel), and the
  // standard theory, whose refraction correction grows as 1/γ0, places the
  // peak too far out.
  const double alpha = BraggAngleOfSilicon111() - 2 * kCriticalAngle;
  BraggCrystal si = SiliconBragg(alpha);
  CurveSet standardCurve, rigorousCurve;
  const CurveAnalysis standard = ComputeAndAnalyse(si, RockingScan(-300, 600, 9001, kCuKalpha1), standardCurve);
  const CurveAnalysis rigorous =
      ComputeAndAnalyse(si, RockingScan(-300, 600, 9001, kCuKalpha1, Polarization::Sigma, -1, true), rigorousCurve);
  ASSERT_TRUE(standard.HasWidth());
  ASSERT_TRUE(rigorous.HasWidth());
  EXPECT_GT(rigorous.maxR, 0.5);
  EXPECT_LT(rigorous.xCentre, standard.xCentre - 0.1 * standard.fwhm);

  // Far below the reflection the specular reflectivity is Fresnel's
  // |(sin θ − n sin θt)/(sin θ + n sin θt)|² with n² sin²θt = sin²θ + χ0.
  const double incidence = si.IncidenceAtBragg() + rigorousCurve.Coordinate(0);
  const double sine = std::sin(incidence);
  const Complex transmitted = std::sqrt(Complex(sine * sine) + kSiChi0);
  const double fresnel = std::norm((sine - transmitted) / (sine + transmitted));
  EXPECT_GT(rigorousCurve.specular[0], 1e-3);
  EXPECT_NEAR(rigorousCurve.specular[0] / fresnel, 1.0, 0.01);
  EXPECT_EQ(standardCurve.specular[0], 0.0);  // the standard theory has no specular wave
}

TEST(RigorousTheory, TransparentPlateConservesEnergy) {
  // R + Rs + T + Th = 1 for a crystal without absorption, at grazing and at
  // ordinary incidence, across and beside the reflection.
  const Complex chih{-8.251e-6, 0};
  for (const double alpha : {0.0, BraggAngleOfSilicon111() - 3 * kCriticalAngle, -0.2}) {
    for (const double thickness : {0.5e4, 3e4}) {
      BraggCrystal plate(kCuKalpha1, kSiliconD111, alpha, thickness, {-15.170e-6, 0}, chih, chih, {}, {});
      for (int i = -400; i <= 600; i += 2) {
        const double incidence = plate.IncidenceAtBragg() + i * 0.5 * kArcsec;
        const double r = plate.ReflectRigorousFinite(Polarization::Sigma, incidence, -1);
        const double sum = r + plate.SpecularReflectivity() + plate.Transmissivity() + plate.BackDiffracted();
        ASSERT_NEAR(sum, 1.0, 1e-9) << alpha << " " << thickness << " " << i;
      }
    }
  }
}

TEST(RigorousTheory, ThickPlateGivesTheSemiInfiniteCurve) {
  for (const double alpha : {0.0, BraggAngleOfSilicon111() - 3 * kCriticalAngle}) {
    BraggCrystal si = SiliconBragg(alpha, 2000e4);
    for (const Polarization p : {Polarization::Sigma, Polarization::Pi}) {
      for (int i = -300; i <= 600; i += 3) {
        const double incidence = si.IncidenceAtBragg() + i * kArcsec;
        const double semi = si.ReflectRigorousSemiInfinite(p, incidence, -1);
        const double semiSpecular = si.SpecularReflectivity();
        ASSERT_NEAR(si.ReflectRigorousFinite(p, incidence, -1), semi, 1e-12) << i;
        ASSERT_NEAR(si.SpecularReflectivity(), semiSpecular, 1e-12) << i;
        ASSERT_LT(si.Transmissivity(), 1e-30);  // rounding of the 4×4 solution
      }
    }
  }
}

TEST(RigorousTheory, EigenvalueFormEqualsTheQuarticForm) {
  // The same boundary-value problem solved two ways: exactly the same
  // physics for σ; for π the eigenvalue form inverts (I − Χ) only to first
  // order in χ, which moves R by terms of order χ.
  core::SilentNotifier quiet;
  for (const double alpha : {0.0, BraggAngleOfSilicon111() - 2 * kCriticalAngle, -0.2}) {
    BraggCrystal si = SiliconBragg(alpha);
    double worstSigma = 0, worstPi = 0;
    for (int i = -300; i <= 600; ++i) {
      const double incidence = si.IncidenceAtBragg() + i * 0.5 * kArcsec;
      const double quartic = si.ReflectRigorousSemiInfinite(Polarization::Sigma, incidence, -1);
      const double quarticSpecular = si.SpecularReflectivity();
      const double eigen = si.ReflectEigenSemiInfinite(Polarization::Sigma, incidence, -1, quiet);
      ASSERT_EQ(si.DecayingWaveCount(), 2);
      worstSigma = std::max({worstSigma, std::fabs(eigen - quartic), std::fabs(si.SpecularReflectivity() - quarticSpecular)});
      const double quarticPi = si.ReflectRigorousSemiInfinite(Polarization::Pi, incidence, -1);
      worstPi = std::max(worstPi, std::fabs(si.ReflectEigenSemiInfinite(Polarization::Pi, incidence, -1, quiet) - quarticPi));
    }
    EXPECT_LT(worstSigma, 1e-8) << alpha;
    EXPECT_LT(worstPi, 3e-5) << alpha;  // |χ0| = 1.5e-5
  }
}

TEST(RigorousTheory, EigenvalueFormReportsAWrongNumberOfDecayingWaves) {
  // Without absorption, away from the reflection, all four waves propagate
  // (real q): none decays, and the form cannot choose.
  const Complex chih{-8.251e-6, 0};
  BraggCrystal transparent(kCuKalpha1, kSiliconD111, 0, -1, {-15.170e-6, 0}, chih, chih, {}, {});
  velto::testing::RecordingNotifier notifier;
  const double incidence = transparent.IncidenceAtBragg() + 200 * kArcsec;
  EXPECT_EQ(transparent.ReflectEigenSemiInfinite(Polarization::Sigma, incidence, -1, notifier), 0.0);
  EXPECT_NE(transparent.DecayingWaveCount(), 2);
  ASSERT_EQ(notifier.messages.size(), 1u);
  EXPECT_EQ(notifier.Last(),
            "Error! ZGEEV: " + std::to_string(transparent.DecayingWaveCount()) + " negative-imaginary q's!!!");

  // In a scan the failure is reported once, with the number of points.
  velto::testing::RecordingNotifier scanNotifier;
  core::NoProgress progress;
  CurveSet curve;
  const ScanSetting setting = RockingScan(100, 200, 11, kCuKalpha1, Polarization::Pi, -1, true);
  ASSERT_EQ(ComputeBraggCurve(transparent, setting, curve, scanNotifier, progress), ScanStatus::Completed);
  ASSERT_EQ(scanNotifier.messages.size(), 1u);
  EXPECT_EQ(scanNotifier.Last().rfind("Error! ZGEEV: ", 0), 0u);
  EXPECT_NE(scanNotifier.Last().find("11 of 11 scan points"), std::string::npos);
  for (const double r : curve.reflectivity) EXPECT_EQ(r, 0.0);
}

TEST(RigorousTheory, EvanescentExitBeamReflectsNothing) {
  // Grazing exit: θB + α = 0.2°. Where cos θe would exceed 1 the diffracted
  // wave cannot leave the crystal.
  const double alpha = 0.2 * core::kDegree - BraggAngleOfSilicon111();
  BraggCrystal si = SiliconBragg(alpha);
  int evanescent = 0;
  for (int i = -3000; i <= 0; i += 10) {
    const double incidence = si.IncidenceAtBragg() + i * kArcsec;
    const double r = si.ReflectRigorousSemiInfinite(Polarization::Sigma, incidence, -1);
    if (!si.HasExitBeam()) {
      ++evanescent;
      EXPECT_EQ(r, 0.0);
      EXPECT_EQ(si.ReflectRigorousFinite(Polarization::Sigma, incidence, -1, 1e4), 0.0);
      EXPECT_EQ(si.PenetrationDepthRigorous(Polarization::Sigma, incidence, -1), 0.0);
    }
  }
  EXPECT_GT(evanescent, 10);
}

TEST(RigorousTheory, PenetrationDepthMatchesTheStandardTheoryAwayFromGrazing) {
  BraggCrystal si = SiliconBragg();
  for (int i = -40; i <= 60; i += 5) {
    const double incidence = si.IncidenceAtBragg() + i * kArcsec;
    const double standard = si.PenetrationDepth(Polarization::Sigma, incidence, -1);
    const double rigorous = si.PenetrationDepthRigorous(Polarization::Sigma, incidence, -1);
    EXPECT_NEAR(rigorous / standard, 1.0, 0.01) << i;
  }
}

}  // namespace
}  // namespace velto::twobeam
