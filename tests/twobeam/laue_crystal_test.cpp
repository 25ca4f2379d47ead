#include <gtest/gtest.h>

#include <cmath>

#include "TwoBeamExamples.h"

namespace velto::twobeam {
namespace {

using namespace testing;
constexpr double kArcsec = core::kArcsecond;

TEST(LaueCrystal, TransparentPlateConservesEnergy) {
  // Without absorption every photon leaves the plate in the forward or the
  // diffracted beam: R + T = 1 at every angle, for both polarizations and
  // for asymmetric cuts (R carries the flux factor b = γh/γ0).
  for (const double alphaDeg : {0.0, 20.0, -30.0}) {
    for (const double thickness : {3e4, 57e4}) {
      LaueCrystal plate = TransparentSiliconLaue(alphaDeg * core::kDegree, thickness);
      for (const Polarization p : {Polarization::Sigma, Polarization::Pi}) {
        for (int i = -300; i <= 300; ++i) {
          const double incidence = plate.IncidenceAtBragg() + i * 0.1 * kArcsec;
          const double r = plate.LaueEvaluate(incidence, -1, p);
          ASSERT_NEAR(r + plate.Transmissivity(), 1.0, 1e-12) << alphaDeg << " " << i;
        }
      }
    }
  }
}

TEST(LaueCrystal, PendellosungOscillationAtTheExactBraggAngle) {
  // Symmetric Laue case without absorption, at the exact Bragg condition:
  // R = sin²(π·t/Λ). Half a Pendellösung distance sends everything into the
  // diffracted beam, a whole one everything back into the forward beam.
  LaueCrystal probe = TransparentSiliconLaue(0, 1e4);
  const double pendellosung = probe.PendellosungDistance(Polarization::Sigma);
  // Λ = λ·cos θB/|χh| = 1.54059 Å · 0.96935 / 8.251e-6 = 18.10 µm.
  EXPECT_NEAR(pendellosung / 1e4, 18.10, 0.01);
  for (const double fraction : {0.5, 1.0, 0.25, 1.3}) {
    LaueCrystal plate = TransparentSiliconLaue(0, fraction * pendellosung);
    const double r = plate.LaueEvaluate(plate.BraggAngle(), -1, Polarization::Sigma);
    EXPECT_NEAR(r, std::pow(std::sin(core::kPi * fraction), 2), 1e-12) << fraction;
  }
}

TEST(LaueCrystal, ExitAngleAndCentreShift) {
  const double alpha = 10 * core::kDegree;
  LaueCrystal plate = SiliconLaue(alpha, 50e4);
  plate.LaueEvaluate(plate.IncidenceAtBragg(), -1, Polarization::Sigma);
  ASSERT_TRUE(plate.HasExitBeam());
  EXPECT_NEAR(plate.ExitAngle(), plate.ExitAtBragg(), 1e-12);
  EXPECT_NEAR(plate.AsymmetryFactor(), std::cos(plate.BraggAngle() + alpha) / std::cos(plate.BraggAngle() - alpha), 1e-15);
  // Symmetric Laue case: b = 1, no refraction shift.
  EXPECT_EQ(SiliconLaue(0, 50e4).CentreShift(), 0.0);
}

TEST(LaueCrystal, NoBraggAngleMeansNothingIsDiffracted) {
  // λ/2d ≥ 1 at construction: the object is unusable.
  LaueCrystal back(kCuKalpha1, 0.75, 0, 10e4, kSiChi0, kSiChih, kSiChimh, {}, {});
  EXPECT_FALSE(back.Usable());
  EXPECT_EQ(back.LaueEvaluate(0.3, -1, Polarization::Sigma), 0.0);
  // Below the cutoff energy of the reflection during an energy scan.
  LaueCrystal si = SiliconLaue(0, 50e4);
  const double cutoff = core::kHcEvAngstrom / (2 * kSiliconD111);
  EXPECT_EQ(si.LaueEvaluate(si.BraggAngle(), cutoff * 0.99, Polarization::Sigma), 0.0);
  EXPECT_GT(si.LaueEvaluate(si.BraggAngle(), -1, Polarization::Sigma), 0.0);
}

TEST(LaueCrystal, MissingPiComponentsAreTakenFromSigmaOneByOne) {
  LaueCrystal onlySigma(kCuKalpha1, kSiliconD111, 0, 20e4, kSiChi0, kSiChih, kSiChimh, {}, {});
  LaueCrystal explicitPi(kCuKalpha1, kSiliconD111, 0, 20e4, kSiChi0, kSiChih, kSiChimh, kSiChih, kSiChimh);
  for (int i = -50; i <= 50; ++i) {
    const double incidence = onlySigma.IncidenceAtBragg() + i * kArcsec;
    EXPECT_EQ(onlySigma.LaueEvaluate(incidence, -1, Polarization::Pi), explicitPi.LaueEvaluate(incidence, -1, Polarization::Pi));
  }
}

TEST(LaueCrystal, AbsorbingCrystalTransmitsLessThanItReceives) {
  // Borrmann effect: in a thick absorbing crystal the weakly absorbed wave
  // field still carries intensity through, far more than photoabsorption
  // alone would let through, but R + T stays below 1.
  const double thickness = 500e4;
  LaueCrystal plate = SiliconLaue(0, thickness);
  const double r = plate.LaueEvaluate(plate.BraggAngle(), -1, Polarization::Sigma);
  const double t = plate.Transmissivity();
  EXPECT_LT(r + t, 1.0);
  const double mu = 2 * core::kTwoPi * (-kSiChi0.imag()) / core::WavelengthOf(kCuKalpha1);  // 1/Å
  const double normal = std::exp(-mu * thickness / std::cos(plate.BraggAngle()));
  EXPECT_GT(t, 100 * normal);
}

}  // namespace
}  // namespace velto::twobeam
