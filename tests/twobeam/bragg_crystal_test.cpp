#include <gtest/gtest.h>

#include <cmath>

#include "TwoBeamExamples.h"
#include "crystal/Susceptibility.h"
#include "support/TestFiles.h"

namespace velto::twobeam {
namespace {

using namespace testing;
constexpr double kArcsec = core::kArcsecond;

TEST(BraggCrystal, GeometryAndClosedFormValuesOfSilicon111) {
  BraggCrystal si = SiliconBragg();
  // sin θB = λ/2d = 1.5405929 Å / 6.2712 Å.
  EXPECT_NEAR(si.BraggAngle() / core::kDegree, 14.2214, 1e-3);
  EXPECT_DOUBLE_EQ(si.AsymmetryRatio(), 1.0);
  EXPECT_NEAR(si.PolarizationFactor(), std::cos(2 * si.BraggAngle()), 1e-15);
  // Darwin width 2|χh|/sin 2θB = 7.15″ and refraction shift |χ0|/sin 2θB = 6.57″.
  EXPECT_NEAR(si.DarwinWidth(Polarization::Sigma) / kArcsec, 7.146, 0.005);
  EXPECT_NEAR(si.DarwinWidth(Polarization::Pi) / si.DarwinWidth(Polarization::Sigma),
              std::fabs(si.PolarizationFactor()), 1e-12);
  EXPECT_NEAR(si.CentreShift() / kArcsec, 6.569, 0.005);
  // Extinction length λ·sinθB/(2π|χh|) = 1.5 µm.
  EXPECT_NEAR(si.ExtinctionLength(Polarization::Sigma) / 1e4, 0.7297, 0.001);
}

TEST(BraggCrystal, WithoutAbsorptionReflectsTotallyOnThePlateauAndNeverMore) {
  // Energy conservation in a semi-infinite crystal without absorption: all
  // that enters the crystal comes back, so R = 1 inside the total-reflection
  // range and R < 1 outside; the decaying branch must be taken on both sides.
  for (const double alpha : {0.0, 5 * core::kDegree, -5 * core::kDegree}) {
    BraggCrystal crystal = TransparentSiliconBragg(alpha);
    const double centre = crystal.CentreShift();
    const double halfWidth = crystal.DarwinWidth(Polarization::Sigma) / 2;
    for (const Polarization p : {Polarization::Sigma, Polarization::Pi}) {
      const double plateau = p == Polarization::Sigma ? halfWidth : halfWidth * std::fabs(crystal.PolarizationFactor());
      for (int i = -400; i <= 400; ++i) {
        const double deviation = centre + i * 0.1 * kArcsec;
        const double r = crystal.ReflectSemiInfinite(p, crystal.IncidenceAtBragg() + deviation, -1);
        ASSERT_LE(r, 1.0) << i;
        if (std::fabs(deviation - centre) < 0.97 * plateau) {
          ASSERT_EQ(r, 1.0) << i;
        } else if (std::fabs(deviation - centre) > 1.03 * plateau) {
          ASSERT_LT(r, 0.99) << i;
        }
      }
    }
  }
}

TEST(BraggCrystal, DarwinCurveWidthMatchesTheAnalyticWidth) {
  // Without absorption the curve is Darwin's: R = 1 for |η| ≤ 1 and
  // (|η| − √(η²−1))² outside, which falls to 1/2 at |η| = 3/(2√2). Its FWHM
  // is therefore 3/(2√2) times the total-reflection (Darwin) width.
  BraggCrystal crystal = TransparentSiliconBragg();
  CurveSet curve;
  const CurveAnalysis a = ComputeAndAnalyse(crystal, RockingScan(-20, 30, 5001, kCuKalpha1), curve);
  ASSERT_TRUE(a.HasWidth());
  const double expected = 3 / (2 * std::sqrt(2.0)) * crystal.DarwinWidth(Polarization::Sigma);
  EXPECT_NEAR(a.fwhm / expected, 1.0, 0.005);
  EXPECT_NEAR(a.xCentre / crystal.CentreShift(), 1.0, 0.005);
  EXPECT_NEAR(a.maxR, 1.0, 1e-13);
}

TEST(BraggCrystal, Silicon111MatchesTheReferenceCurve) {
  // Reference: xrt 1.4 with the Chantler tables, Si 111 at Cu Kα1, σ,
  // symmetric Bragg, semi-infinite: FWHM 7.59″, peak reflectivity 0.9416.
  // The crystal is the shipped example file with its atomic data. xrt
  // leaves thermal vibration out (its Debye–Waller factor is 1), so the
  // atoms are taken at rest here; at room temperature the curve is about
  // 1 % narrower.
  crystal::CrystalStructure silicon;
  core::SilentNotifier quiet;
  ASSERT_TRUE(crystal::LoadStructFile(silicon, velto::testing::BuildDataDirectory() / "Silicon.struct", 293.15,
                                      velto::testing::BuildDataDirectory(), quiet));
  crystal::SetTemperature(silicon, 0);
  const crystal::ReflectionChi chi = crystal::ComputeReflectionChi(silicon, kCuKalpha1, 1, 1, 1, quiet);
  ASSERT_FALSE(chi.Failed());
  BraggCrystal si(kCuKalpha1, silicon.DSpacing(1, 1, 1), 0, -1, chi);
  CurveSet curve;
  const CurveAnalysis a = ComputeAndAnalyse(si, RockingScan(-50, 50, 2001, kCuKalpha1), curve);
  ASSERT_TRUE(a.HasWidth());
  EXPECT_NEAR(a.fwhm / kArcsec, 7.59, 0.03 * 7.59);
  EXPECT_NEAR(a.maxR, 0.9416, 0.01);

  // The same with the reference's own susceptibilities.
  BraggCrystal reference = SiliconBragg();
  const CurveAnalysis r = ComputeAndAnalyse(reference, RockingScan(-50, 50, 2001, kCuKalpha1), curve);
  EXPECT_NEAR(r.fwhm / kArcsec, 7.59, 0.01 * 7.59);
  EXPECT_NEAR(r.maxR, 0.9416, 0.002);
}

TEST(BraggCrystal, ThickPlateGivesTheSemiInfiniteCurve) {
  // 2 mm: even in the tails, where the wave field is attenuated only by
  // photoabsorption (1/e in amplitude per 34 µm along the
  // normal here), the wave returned by the back surface is below 1e-20.
  // (At 200 µm it still shows as fringes of 1e-5 relative amplitude.)
  BraggCrystal si = SiliconBragg(0, 2000e4);
  double worst = 0;
  for (int i = -500; i <= 500; ++i) {
    const double incidence = si.IncidenceAtBragg() + i * 0.1 * kArcsec;
    for (const Polarization p : {Polarization::Sigma, Polarization::Pi}) {
      const double semi = si.ReflectSemiInfinite(p, incidence, -1);
      worst = std::max(worst, std::fabs(si.ReflectFinite(p, incidence, -1) - semi));
    }
  }
  EXPECT_LT(worst, 1e-12);
  // A plate thinner than the extinction length reflects much less.
  EXPECT_LT(si.ReflectFinite(Polarization::Sigma, si.IncidenceAtBragg() + si.CentreShift(), -1, 0.2e4), 0.5);
}

TEST(BraggCrystal, TransparentPlateConservesEnergy) {
  for (const double alpha : {0.0, 8 * core::kDegree}) {
    for (const double thickness : {0.3e4, 2.0e4, 37.0e4}) {
      BraggCrystal plate = TransparentSiliconBragg(alpha, thickness);
      for (const Polarization p : {Polarization::Sigma, Polarization::Pi}) {
        for (int i = -300; i <= 300; ++i) {
          const double incidence = plate.IncidenceAtBragg() + i * 0.1 * kArcsec;
          const double r = plate.ReflectFinite(p, incidence, -1);
          ASSERT_NEAR(r + plate.Transmissivity(), 1.0, 1e-12) << i;
          ASSERT_NEAR(std::norm(plate.TransmittedAmplitude()), plate.Transmissivity(), 1e-12) << i;
          ASSERT_NEAR(std::norm(plate.DiffractedAmplitude()) * plate.AsymmetryRatio(), r, 1e-12) << i;
        }
      }
    }
  }
}

TEST(BraggCrystal, PenetrationDepthAtTheCentreIsTheExtinctionLength) {
  // Without absorption the wave field decays only by extinction, fastest at
  // the centre of the reflection, where the 1/e intensity depth equals the
  // extinction length λ√(γ0γh)/(2π|χh|).
  for (const double alpha : {0.0, 6 * core::kDegree}) {
    BraggCrystal crystal = TransparentSiliconBragg(alpha);
    CurveSet curve;
    ComputeAndAnalyse(crystal, RockingScan(-20, 60, 8001, kCuKalpha1), curve);
    ASSERT_GT(curve.minDepth, 0);
    EXPECT_NEAR(curve.minDepth / crystal.ExtinctionLength(Polarization::Sigma), 1.0, 1e-4);
    EXPECT_EQ(curve.extinction, crystal.ExtinctionLength(Polarization::Sigma));
  }
}

TEST(BraggCrystal, AsymmetricWidthsScaleWithTheSquareRootOfB) {
  // Incidence-angle acceptance grows as √B, the exit-angle width shrinks as
  // 1/√B (B = γh/γ0), the product being conserved (Liouville).
  BraggCrystal symmetric = TransparentSiliconBragg();
  CurveSet curve;
  const CurveAnalysis s = ComputeAndAnalyse(symmetric, RockingScan(-20, 30, 5001, kCuKalpha1), curve);
  for (const double alphaDeg : {8.0, -8.0}) {
    BraggCrystal asymmetric = TransparentSiliconBragg(alphaDeg * core::kDegree);
    const double b = asymmetric.AsymmetryRatio();
    const CurveAnalysis a = ComputeAndAnalyse(asymmetric, RockingScan(-30, 70, 10001, kCuKalpha1), curve);
    ASSERT_TRUE(a.HasWidth());
    EXPECT_NEAR(a.fwhm / s.fwhm, std::sqrt(b), 0.005 * std::sqrt(b)) << alphaDeg;
    EXPECT_NEAR(a.fwhmExit / s.fwhmExit, 1 / std::sqrt(b), 0.005 / std::sqrt(b)) << alphaDeg;
  }
}

TEST(BraggCrystal, ImpossibleGeometryGivesZero) {
  BraggCrystal si = SiliconBragg(-13 * core::kDegree);
  EXPECT_EQ(si.ReflectSemiInfinite(Polarization::Sigma, 0.0, -1), 0.0);
  EXPECT_EQ(si.ReflectSemiInfinite(Polarization::Sigma, core::kPi, -1), 0.0);
  // Exit glancing angle θB + α = 1.2°: below 0.4° incidence... the exit beam
  // would need |cos θe| > 1 when cos θi − (λ/d)·sin α exceeds 1.
  const double q = core::WavelengthOf(kCuKalpha1) / kSiliconD111;
  const double noExit = std::acos(1 + q * std::sin(-13 * core::kDegree)) - 1e-4;
  EXPECT_EQ(si.ReflectSemiInfinite(Polarization::Sigma, noExit, -1), 0.0);
  EXPECT_FALSE(si.HasExitBeam());
  EXPECT_EQ(si.PenetrationDepth(Polarization::Sigma, noExit, -1), 0.0);
  EXPECT_GT(si.ReflectSemiInfinite(Polarization::Sigma, noExit + 2e-4, -1), 0.0);
  EXPECT_TRUE(si.HasExitBeam());
}

TEST(BraggCrystal, BackReflectionHasNoClosedFormWidths) {
  // λ/2d > 1: θB is taken as 90°; the closed forms would divide by sin 2θB.
  BraggCrystal back(kCuKalpha1, 0.75, 0, -1, kSiChi0, kSiChih, kSiChimh, {}, {});
  EXPECT_DOUBLE_EQ(back.BraggAngle(), core::kPi / 2);
  EXPECT_EQ(back.CentreShift(), 0);
  EXPECT_EQ(back.DarwinWidth(Polarization::Sigma), 0);
  EXPECT_EQ(back.DarwinWidth(Polarization::Pi), 0);
  EXPECT_GT(back.ExtinctionLength(Polarization::Sigma), 0);
  EXPECT_DOUBLE_EQ(back.ExtinctionLength(Polarization::Pi), back.ExtinctionLength(Polarization::Sigma));
}

TEST(BraggCrystal, MissingComponentsTakeTheirDefaults) {
  // No χ−h: taken equal to χh. No π pair: the σ pair, weighted by |cos 2θB|.
  BraggCrystal defaulted(kCuKalpha1, kSiliconD111, 0, -1, kSiChi0, kSiChih, {}, {}, {});
  BraggCrystal explicitPair(kCuKalpha1, kSiliconD111, 0, -1, kSiChi0, kSiChih, kSiChih, kSiChih, kSiChih);
  EXPECT_EQ(defaulted.ChiMinusH(Polarization::Sigma), kSiChih);
  EXPECT_EQ(defaulted.ChiH(Polarization::Pi), kSiChih);
  for (int i = -100; i <= 100; ++i) {
    const double incidence = defaulted.IncidenceAtBragg() + i * 0.3 * kArcsec;
    EXPECT_EQ(defaulted.ReflectSemiInfinite(Polarization::Pi, incidence, -1),
              explicitPair.ReflectSemiInfinite(Polarization::Pi, incidence, -1));
  }
}

TEST(BraggCrystal, PiPolarizationVanishesAtFortyFiveDegrees) {
  // At 2θB = 90° the π-polarized wave has no component along the diffracted
  // direction: nothing is reflected, the forward beam is only absorbed.
  const double d = core::WavelengthOf(kCuKalpha1) / std::sqrt(2.0);
  BraggCrystal crystal(kCuKalpha1, d, 0, 10e4, kSiChi0, kSiChih, kSiChimh, {}, {});
  ASSERT_NEAR(crystal.BraggAngle(), core::kPi / 4, 1e-15);
  EXPECT_FALSE(crystal.PiReflects());
  EXPECT_EQ(crystal.DarwinWidth(Polarization::Pi), 0);
  EXPECT_EQ(crystal.ExtinctionLength(Polarization::Pi), 0);
  const double absorbed = std::exp(-2 * core::kTwoPi * (-kSiChi0.imag()) / (2 * crystal.Gamma0()) * 10e4 /
                                   core::WavelengthOf(kCuKalpha1));
  for (int i = -50; i <= 50; ++i) {
    const double incidence = crystal.IncidenceAtBragg() + crystal.CentreShift() + i * kArcsec;
    EXPECT_EQ(crystal.ReflectSemiInfinite(Polarization::Pi, incidence, -1), 0.0);
    EXPECT_EQ(crystal.ReflectFinite(Polarization::Pi, incidence, -1), 0.0);
    EXPECT_NEAR(crystal.Transmissivity(), absorbed, 1e-12);
    EXPECT_TRUE(std::isfinite(crystal.PenetrationDepth(Polarization::Pi, incidence, -1)));
  }
  EXPECT_GT(crystal.ReflectSemiInfinite(Polarization::Sigma, crystal.IncidenceAtBragg() + crystal.CentreShift(), -1),
            0.5);
}

TEST(BraggCrystal, NegligibleTransmissionIsExactlyZero) {
  BraggCrystal slab = SiliconBragg(0, 1e8);  // 1 cm
  slab.ReflectFinite(Polarization::Sigma, slab.IncidenceAtBragg() + 100 * kArcsec, -1);
  EXPECT_EQ(slab.Transmissivity(), 0.0);
}

TEST(BraggCrystal, EnergyScanAgreesWithRockingCurveThroughDuMond) {
  // The deviation from Bragg's law is exact in angle and energy, so an
  // energy scan is the rocking curve seen along the DuMond line: its width
  // in eV is the angular width times |dE/dθ| = E·cot θB.
  BraggCrystal si = SiliconBragg();
  CurveSet rocking, energy;
  const CurveAnalysis angular = ComputeAndAnalyse(si, RockingScan(-50, 50, 4001, kCuKalpha1), rocking);
  const CurveAnalysis spectral =
      ComputeAndAnalyse(si, EnergyScanAt(-3, 3, 4001, kCuKalpha1, si.IncidenceAtBragg()), energy);
  ASSERT_TRUE(angular.HasWidth());
  ASSERT_TRUE(spectral.HasWidth());
  EXPECT_NEAR(spectral.fwhm / (angular.fwhm / kArcsec * std::fabs(spectral.duMondSlope)), 1.0, 0.01);
  EXPECT_NEAR(spectral.maxR, angular.maxR, 0.005);
  EXPECT_NEAR(spectral.duMondSlope, -kCuKalpha1 / std::tan(si.BraggAngle()) * kArcsec, 1e-9);
}

}  // namespace
}  // namespace velto::twobeam
