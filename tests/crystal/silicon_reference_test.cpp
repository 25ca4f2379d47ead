#include <gtest/gtest.h>

#include <cmath>
#include <complex>

#include "core/Units.h"
#include "crystal/Bragg.h"
#include "crystal/Susceptibility.h"
#include "support/RecordingNotifier.h"
#include "support/TestFiles.h"

// Silicon from the shipped example file and atomic data, against published
// values.
namespace velto::crystal {
namespace {

using testing::BuildDataDirectory;
using testing::RecordingNotifier;

constexpr double kSiliconA = 5.43102064;
constexpr double kCuKalpha1Ev = core::kCuKalpha1Kev * core::kEvPerKev;

class SiliconReference : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(LoadStructFile(silicon_, BuildDataDirectory() / "Silicon.struct", 293.15, BuildDataDirectory(),
                               notifier_));
  }
  CrystalStructure silicon_;
  RecordingNotifier notifier_;
};

TEST_F(SiliconReference, Reflection111AtCopperKAlpha1MatchesXrt) {
  const double d = silicon_.DSpacing(1, 1, 1);
  EXPECT_NEAR(d, kSiliconA / std::sqrt(3.0), 1e-13);
  const auto theta = BraggAngle(kCuKalpha1Ev, d);
  ASSERT_TRUE(theta.has_value());
  EXPECT_NEAR(*theta / core::kDegree, 14.2212, 1e-3);

  const ReflectionChi chi = ComputeReflectionChi(silicon_, kCuKalpha1Ev, 1, 1, 1, notifier_);
  ASSERT_FALSE(chi.Failed());
  // Reference: the open-source ray-tracing package xrt 1.4 (CrystalSi with
  // the Chantler tables) gives χ0 = −15.170e-6 − 0.351e-6 i and
  // |χh| = 8.251e-6 for Si 111 at this energy.
  EXPECT_NEAR(chi.chi0.real(), -15.170e-6, 15.170e-6 * 0.01);
  EXPECT_NEAR(chi.chi0.imag(), -0.351e-6, 0.351e-6 * 0.03);
  EXPECT_TRUE(notifier_.messages.empty());

  // xrt's |χh| is that of atoms at rest (its Debye–Waller factor factDW is 1
  // unless set), so it is compared with the structure without thermal
  // vibration; at 293.15 K the Debye–Waller factor exp(−B·s²) lowers it by
  // about 1.2 %.
  CrystalStructure atRest = silicon_;
  SetTemperature(atRest, 0);
  const ReflectionChi staticChi = ComputeReflectionChi(atRest, kCuKalpha1Ev, 1, 1, 1, notifier_);
  EXPECT_NEAR(std::abs(staticChi.chih), 8.251e-6, 8.251e-6 * 0.02);
  EXPECT_NEAR(std::abs(staticChi.chimh), 8.251e-6, 8.251e-6 * 0.02);
  const double s2 = 1 / (4 * d * d);
  const double b = DebyeWallerB(28.0855007, 530.82, 293.15);
  EXPECT_NEAR(std::abs(chi.chih) / std::abs(staticChi.chih), std::exp(-b * s2), 1e-12);
  EXPECT_NEAR(std::exp(-b * s2), 0.988, 0.001);
}

TEST_F(SiliconReference, AbsorptionLengthAtCopperKAlphaMatchesTabulatedAttenuation) {
  const ReflectionChi chi = ComputeReflectionChi(silicon_, kCuKalpha1Ev, 1, 1, 1, notifier_);
  const double mu = AbsorptionOf(chi.chi0.imag(), kCuKalpha1Ev);  // µm⁻¹
  // Photoabsorption of silicon at 8.05 keV: about 60 cm²/g (Hubbell &
  // Seltzer, NIST mass attenuation tables; the total, 63.5 cm²/g at 8 keV,
  // adds a few per cent of scattering), times 2.329 g/cm³: about
  // 140 cm⁻¹ = 0.014 µm⁻¹, an absorption length near 70 µm.
  EXPECT_NEAR(mu, 0.0140, 0.0140 * 0.05);
  EXPECT_NEAR(1 / mu, 71.0, 71.0 * 0.05);
}

TEST_F(SiliconReference, Reflection400AndTheLimitsOfTheTables) {
  const double d = silicon_.DSpacing(4, 0, 0);
  EXPECT_NEAR(d, kSiliconA / 4, 1e-14);
  const auto theta = BraggAngle(kCuKalpha1Ev, d);
  ASSERT_TRUE(theta.has_value());
  EXPECT_NEAR(*theta / core::kDegree, 34.6, 0.05);
  // At 2 keV the wavelength exceeds 2d: no Bragg angle, but chi is computed.
  EXPECT_FALSE(BraggAngle(2000, d).has_value());
  const ReflectionChi lowEnergy = ComputeReflectionChi(silicon_, 2000, 4, 0, 0, notifier_);
  EXPECT_FALSE(lowEnergy.Failed());
  EXPECT_TRUE(notifier_.messages.empty());
  // The shipped tables reach 99.9 keV, the highest energy the suite computes.
  EXPECT_FALSE(ComputeReflectionChi(silicon_, 99900, 4, 0, 0, notifier_).Failed());
  EXPECT_TRUE(notifier_.messages.empty());
}

}  // namespace
}  // namespace velto::crystal
