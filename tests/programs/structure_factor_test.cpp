#include <gtest/gtest.h>

#include <cmath>

#include "core/Units.h"
#include "crystal/StructFactor.h"
#include "crystal/Susceptibility.h"
#include "programs/structure_factor/StructureFactorCalculation.h"
#include "support/RecordingNotifier.h"
#include "support/TestFiles.h"

namespace velto::programs {
namespace {

using testing::RecordingNotifier;

constexpr double kCuEnergy = 8047.987942062702;

class StructureFactorProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_ = crystal::CreateStructFactor(testing::BuildDataDirectory(), notifier_);
    ASSERT_NE(engine_, nullptr);
    ASSERT_TRUE(crystal::LoadStructFile(silicon_, testing::BuildDataDirectory() / "Silicon.struct", 293.15,
                                        testing::BuildDataDirectory(), notifier_));
  }

  StructureFactorResults Calculate(double energy, int h, int k, int l) {
    return CalculateStructureFactors(*engine_, silicon_, energy, 293.15, h, k, l, notifier_);
  }

  RecordingNotifier notifier_;
  std::unique_ptr<crystal::StructFactor> engine_;
  crystal::CrystalStructure silicon_;
};

TEST_F(StructureFactorProgram, ForwardDirectionGivesChi0AbsorptionAndDepthOnly) {
  const auto r = Calculate(kCuEnergy, 0, 0, 0);
  EXPECT_FALSE(r.reflectionRequested);
  EXPECT_FALSE(r.reflection.has_value());
  EXPECT_FALSE(r.braggAngle.has_value());
  EXPECT_EQ(r.chi0, -r.f0 * r.chiPerF);
  EXPECT_NEAR(r.absorption, crystal::AbsorptionOf(r.chi0.imag(), kCuEnergy), 1e-12);
  // Silicon at Cu Kα1: photoabsorption 60.6 cm²/g (Chantler, NIST FFAST) at
  // 2.329 g/cm³ gives µ = 141 cm⁻¹, a 1/e depth of about 71 µm.
  EXPECT_NEAR(r.absorption, 0.0141, 0.0141 * 0.05);
  ASSERT_TRUE(r.penetrationDepth.has_value());
  EXPECT_NEAR(*r.penetrationDepth, 1 / r.absorption, 1e-9);
  // 8 atoms of 14 electrons in 160.2 Å³: Re χ0 = −r_e·λ²·n_e/π, about −15.1e-6.
  EXPECT_NEAR(r.chi0.real() * 1e6, -15.1, 0.2);
  EXPECT_TRUE(notifier_.messages.empty());
}

TEST_F(StructureFactorProgram, Silicon111AgreesWithTheTabulatedChi) {
  const auto r = Calculate(kCuEnergy, 1, 1, 1);
  ASSERT_TRUE(r.reflection.has_value());
  EXPECT_NEAR(r.dSpacing, 5.43102064 / std::sqrt(3.0), 1e-9);
  // Si(111) at Cu Kα1: θB = 14.221° (e.g. X-ray Data Booklet).
  EXPECT_NEAR(*r.braggAngle / core::kDegree, 14.221, 0.002);
  // The same reflection from the other atomic data of the suite (five-Gaussian
  // f0 and Chantler's f', f''): the two sources agree to about 1 %.
  crystal::CrystalStructure copy = silicon_;
  const std::complex<double> chiH = crystal::ChiOf(copy, kCuEnergy, 1, 1, 1, notifier_);
  EXPECT_NEAR(std::abs(r.reflection->chi[0]), std::abs(chiH), 0.015 * std::abs(chiH));
  EXPECT_NEAR(std::abs(r.chi0), std::abs(crystal::ChiOf(copy, kCuEnergy, 0, 0, 0, notifier_)), 0.01 * std::abs(r.chi0));
  // π polarisation scales the whole amplitude by |cos 2θB| = 0.88 at
  // 2θB = 28.4°, for F and χ alike.
  const auto& f = r.reflection->structureFactor;
  const double p = std::abs(std::cos(2 * *r.braggAngle));
  EXPECT_NEAR(std::abs(f[2] - p * f[0]), 0, 1e-9);
  EXPECT_NEAR(std::abs(f[3] - p * f[1]), 0, 1e-9);
  EXPECT_NEAR(std::abs(r.reflection->chi[2] - p * r.reflection->chi[0]), 0, 1e-18);
  // Friedel pair: |F_−h| equals |F_h| for this centrosymmetric arrangement
  // about (1/8, 1/8, 1/8).
  EXPECT_NEAR(std::abs(f[1]), std::abs(f[0]), 1e-9);
}

TEST_F(StructureFactorProgram, NoBraggAngleStillShowsTheForwardResults) {
  const auto r = Calculate(1000, 1, 1, 1);
  EXPECT_TRUE(r.reflectionRequested);
  EXPECT_FALSE(r.braggAngle.has_value());
  EXPECT_FALSE(r.reflection.has_value());
  EXPECT_EQ(r.notice, std::optional<std::string>("OOps! d-spacing too small to satisfy Bragg condition!    "));
  EXPECT_NE(r.chi0, std::complex<double>(0, 0));
}

TEST_F(StructureFactorProgram, CopiedChiKeepsTheShownValuesAndTheCrystalsPiConvention) {
  const std::array<double, 10> shown = {-15.12346, 0.34567, -8.1, 0.2, -8.2, 0.3, -7.0, 0.15, -7.1, 0.16};
  const auto copied = CopiedChi(shown);
  // σ and forward components as shown; the π slots take the σ values.
  EXPECT_EQ((std::array<double, 10>{-15.12346, 0.34567, -8.1, 0.2, -8.2, 0.3, -8.1, 0.2, -8.2, 0.3}), copied);
  // %g keeps six significant digits; the store keeps the shown value.
  EXPECT_EQ(ChiClipboardText(copied),
            "(-15.1235, 0.34567)*1E-6;\r\n(-8.1, 0.2)*1E-6;\r\n(-8.2, 0.3)*1E-6;\r\n(-8.1, 0.2)*1E-6;\r\n"
            "(-8.2, 0.3)*1E-6;\r\n");
  EXPECT_DOUBLE_EQ(ChiStoreValues(copied)[0], -15.12346e-6);

  const auto r = Calculate(kCuEnergy, 1, 1, 1);
  const auto values = ShownChi(r);
  EXPECT_NEAR(values[0], r.chi0.real() * 1e6, 5e-6);
  EXPECT_NEAR(values[3], r.reflection->chi[0].imag() * 1e6, 5e-6);
  EXPECT_EQ(ShownChi(Calculate(kCuEnergy, 0, 0, 0))[2], 0.0);
}

TEST_F(StructureFactorProgram, AboveTheWavevectorLimitTheReflectionIsNotShown) {
  // Si 12 12 12 at 50 keV: d = 0.261 Å diffracts (λ/2d = 0.47) but
  // 2π/d = 24 Å⁻¹ lies beyond the f0 fits; the engine says so once.
  const auto r = Calculate(50000, 12, 12, 12);
  ASSERT_TRUE(r.braggAngle.has_value());
  EXPECT_FALSE(r.reflection.has_value());
  ASSERT_EQ(notifier_.messages.size(), 1u);
  EXPECT_NE(notifier_.Last().find("should not be greater than 18.5"), std::string::npos);
  EXPECT_NE(r.chi0, std::complex<double>(0, 0));
}

TEST_F(StructureFactorProgram, TemperatureAndDebyeWallerTexts) {
  EXPECT_TRUE(TemperatureChanged(293.15, 300));
  EXPECT_FALSE(TemperatureChanged(293.15, 293.1505));
  EXPECT_TRUE(TemperatureChanged(293.15, 293.152));
  EXPECT_EQ(DebyeWallerMessage(silicon_),
            "Debye-Waller temperatures:\n\tSi:  530.82 K\n\nYou can edit the *.struct file to change the "
            "temperatures.");
  EXPECT_EQ(DebyeWallerMessage(crystal::CrystalStructure{}), "Crystal not available yet!");
}

}  // namespace
}  // namespace velto::programs
