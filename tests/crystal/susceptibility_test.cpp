#include <gtest/gtest.h>

#include <cmath>
#include <complex>

#include "core/Units.h"
#include "crystal/AtomicData.h"
#include "crystal/ElementTable.h"
#include "crystal/Susceptibility.h"
#include "support/RecordingNotifier.h"
#include "SyntheticAtomicData.h"

namespace velto::crystal {
namespace {

using testing::kSiliconText;
using testing::RecordingNotifier;
using testing::SyntheticAtomicData;
using Complex = std::complex<double>;

constexpr double kSiliconA = 5.43102064;

class SusceptibilityTest : public ::testing::Test {
 protected:
  CrystalStructure LoadText(std::string_view text, double temperature = 293.15) {
    CrystalStructure structure;
    const auto path = data_.Write("crystal.struct", text);
    EXPECT_TRUE(LoadStructFile(structure, path, temperature, data_.path(), notifier_));
    return structure;
  }

  SyntheticAtomicData data_{{"Si 14", "O 8"}};
  SyntheticAtomicData transparent_{{"Si 14"}, /*absorbing=*/false};
  RecordingNotifier notifier_;
};

TEST(DebyeFunction, LimitsAndATabulatedValue) {
  EXPECT_EQ(DebyeFunction(1e-4), 1.0);
  EXPECT_EQ(DebyeFunction(0.0), 1.0);
  EXPECT_DOUBLE_EQ(DebyeFunction(7.0), 1.642 / 7.0);
  EXPECT_DOUBLE_EQ(DebyeFunction(20.0), 1.642 / 20.0);
  // First-order Debye function D1(1) = 0.777505 (Abramowitz & Stegun, 27.1).
  EXPECT_NEAR(DebyeFunction(1.0), 0.777505, 1e-6);
  // Small x: φ ≈ 1 − x/4 + x²/36.
  EXPECT_NEAR(DebyeFunction(0.01), 1 - 0.01 / 4 + 0.0001 / 36, 1e-9);
  // The integrated branch meets the asymptotic one closely at x = 7.
  EXPECT_NEAR(DebyeFunction(6.9999) * 7.0, 1.642, 0.01);
}

TEST(DebyeWallerB, FollowsTheClassicalAndZeroPointLimitsAndMeasuredSilicon) {
  const double mass = ElementTable::Mass(14);
  const double theta = 530.82;
  // 6h²/(M·u·kB·Θ) in Å².
  const double scale = 2.634287232734876e-66 / (mass * 1.66053873e-27 * 1.3806503e-23 * theta) * 1e20;
  // High temperature: B grows linearly with T (equipartition), B → scale·T/Θ.
  EXPECT_NEAR(DebyeWallerB(mass, theta, 100 * theta) / (scale * 100), 1.0, 1e-4);
  EXPECT_NEAR(DebyeWallerB(mass, theta, 200 * theta) / DebyeWallerB(mass, theta, 100 * theta), 2.0, 1e-4);
  // Near absolute zero only the zero-point motion remains: B → scale/4.
  EXPECT_NEAR(DebyeWallerB(mass, theta, 1.0) / scale, 0.25, 1e-4);
  // Silicon at room temperature: measured B is about 0.46 Å² (for example
  // Flensburg & Stewart, Phys. Rev. B 60, 284 (1999)).
  EXPECT_NEAR(DebyeWallerB(mass, theta, 293.15), 0.46, 0.46 * 0.03);
  // Heavier atoms vibrate less.
  EXPECT_LT(DebyeWallerB(2 * mass, theta, 293.15), DebyeWallerB(mass, theta, 293.15));
}

TEST_F(SusceptibilityTest, DiamondStructureFactorsHaveTheirKnownValues) {
  CrystalStructure si = LoadText(kSiliconText);
  const ElementGroup& g = si.groups[0];
  Complex f;
  double d = 0;
  ChiOf(si, 1500, 2, 0, 0, notifier_, &f);
  EXPECT_LT(std::abs(f), 1e-12) << "(2 0 0) is forbidden in the diamond structure";
  ChiOf(si, -1, 2, 2, 2, notifier_, &f);
  EXPECT_LT(std::abs(f), 1e-12) << "(2 2 2) is forbidden in the diamond structure";

  const auto atomFactor = [&](int h, int k, int l) {
    const double s2 = 1 / (4 * std::pow(si.DSpacing(h, k, l), 2));
    return Complex(F0At(g, s2) + g.fPrime, g.fDoublePrime) * std::exp(g.thermalExponent * s2);
  };
  ChiOf(si, -1, 4, 0, 0, notifier_, &f, &d);
  EXPECT_NEAR(d, kSiliconA / 4, 1e-14);
  EXPECT_NEAR(std::abs(f), 8 * std::abs(atomFactor(4, 0, 0)), 1e-12);
  // (1 1 1) with the origin on an atom: F = 4(1 − i)·f·T.
  ChiOf(si, -1, 1, 1, 1, notifier_, &f);
  const Complex expected = 4.0 * Complex(1, -1) * atomFactor(1, 1, 1);
  EXPECT_NEAR(f.real(), expected.real(), 1e-12);
  EXPECT_NEAR(f.imag(), expected.imag(), 1e-12);
  EXPECT_TRUE(notifier_.messages.empty());
}

TEST_F(SusceptibilityTest, ForwardScatteringCountsElectronsNotOccupancies) {
  std::string halfOccupied = kSiliconText;
  for (std::size_t at = halfOccupied.find(" 1\n"); at != std::string::npos; at = halfOccupied.find(" 1\n", at))
    halfOccupied.replace(at, 3, " 0.5\n");
  CrystalStructure si = LoadText(halfOccupied);
  ASSERT_DOUBLE_EQ(si.groups[0].atoms[0].occupancy, 0.5);
  Complex f;
  double d = -1;
  const Complex chi0 = ChiOf(si, 1500, 0, 0, 0, notifier_, &f, &d);
  EXPECT_EQ(d, 0.0);
  EXPECT_NEAR(f.real(), 8 * (14 + 0.3), 1e-12);
  EXPECT_NEAR(f.imag(), 8 * 1.5, 1e-12);
  // χ = −(r_e·λ²/(π·V))·F: an absorbing crystal has negative parts.
  const double lambda = core::kHcEvAngstrom / 1500;
  const double scale = -core::kElectronRadius * lambda * lambda / (core::kPi * si.volume);
  EXPECT_NEAR(chi0.real(), scale * f.real(), 1e-18);
  EXPECT_LT(chi0.real(), 0.0);
  EXPECT_LT(chi0.imag(), 0.0);
  EXPECT_DOUBLE_EQ(ChiPerStructureFactor(si, 1500), scale);
}

TEST_F(SusceptibilityTest, FriedelPairsAreConjugateOnlyWithoutAbsorption) {
  CrystalStructure si;
  const auto path = transparent_.Write("si.struct", kSiliconText);
  ASSERT_TRUE(LoadStructFile(si, path, 293.15, transparent_.path(), notifier_));
  const Complex h = ChiOf(si, 1500, 1, 1, 1, notifier_);
  const Complex minusH = ChiOf(si, -1, -1, -1, -1, notifier_);
  EXPECT_NEAR(minusH.real(), std::conj(h).real(), 1e-20);
  EXPECT_NEAR(minusH.imag(), std::conj(h).imag(), 1e-20);

  CrystalStructure absorbing = LoadText(kSiliconText);
  const Complex ha = ChiOf(absorbing, 1500, 1, 1, 1, notifier_);
  const Complex minusHa = ChiOf(absorbing, -1, -1, -1, -1, notifier_);
  EXPECT_GT(std::abs(minusHa - std::conj(ha)), 1e-8);
  EXPECT_NEAR(std::abs(minusHa), std::abs(ha), 1e-18) << "the diamond structure is centrosymmetric";
}

TEST_F(SusceptibilityTest, ThermalVibrationWeakensReflectionsAndDebyeZeroLeavesThemWhole) {
  CrystalStructure cold = LoadText(kSiliconText, 10);
  CrystalStructure hot = LoadText(kSiliconText, 900);
  std::string noVibration = kSiliconText;
  noVibration.replace(noVibration.find("530.82"), 6, "0");
  CrystalStructure still = LoadText(noVibration, 900);
  EXPECT_EQ(still.groups[0].thermalExponent, 0.0);
  Complex fCold, fHot, fStill;
  ChiOf(cold, 1500, 4, 0, 0, notifier_, &fCold);
  ChiOf(hot, 1500, 4, 0, 0, notifier_, &fHot);
  ChiOf(still, 1500, 4, 0, 0, notifier_, &fStill);
  EXPECT_LT(std::abs(fHot), std::abs(fCold));
  EXPECT_LT(std::abs(fCold), std::abs(fStill));
  const ElementGroup& g = still.groups[0];
  const double s2 = 1 / (4 * std::pow(kSiliconA / 4, 2));
  EXPECT_NEAR(std::abs(fStill), 8 * std::abs(Complex(F0At(g, s2) + g.fPrime, g.fDoublePrime)), 1e-12);

  // SetTemperature recomputes the exponents in place.
  SetTemperature(hot, 10);
  EXPECT_DOUBLE_EQ(hot.groups[0].thermalExponent, cold.groups[0].thermalExponent);
  SetTemperature(hot, 0);
  EXPECT_EQ(hot.groups[0].thermalExponent, 0.0);
}

TEST_F(SusceptibilityTest, ReusingFactorsNeedsAnEarlierEnergyAndFailuresGiveTheFailureValue) {
  CrystalStructure si = LoadText(kSiliconText);
  EXPECT_EQ(ChiOf(si, -1, 1, 1, 1, notifier_), kChiFailure);
  EXPECT_EQ(ChiOf(si, 0, 0, 0, 0, notifier_), kChiFailure);
  EXPECT_TRUE(notifier_.messages.empty()) << "no energy yet is a silent failure";

  EXPECT_EQ(ChiOf(si, 5000, 1, 1, 1, notifier_), kChiFailure);
  EXPECT_EQ(notifier_.Last(), "\nError! Energy exceeds the file range!!!\n\n");

  const Complex at1500 = ChiOf(si, 1500, 1, 1, 1, notifier_);
  ChiOf(si, 2500, 0, 0, 0, notifier_);
  EXPECT_NE(ChiOf(si, -1, 1, 1, 1, notifier_), at1500) << "reuse takes the last energy's factors";
  EXPECT_EQ(ChiOf(si, 1500, 1, 1, 1, notifier_), at1500);
  const CrystalStructure before = si;
  EXPECT_EQ(ChiAtLastEnergy(si, 3, 1, 1), ChiOf(si, -1, 3, 1, 1, notifier_));
  EXPECT_EQ(si.lastEnergy, before.lastEnergy);

  CrystalStructure empty = LoadText("Nothing\n4 4 4\n90 90 90\n0\n");
  Complex f(7, 7);
  EXPECT_EQ(ChiOf(empty, 1500, 1, 1, 1, notifier_, &f), Complex(0, 0));
  EXPECT_EQ(f, Complex(0, 0));
}

TEST_F(SusceptibilityTest, ReflectionChiHoldsTheFiveComponentsInTheirOrder) {
  CrystalStructure si = LoadText(kSiliconText);
  const ReflectionChi chi = ComputeReflectionChi(si, 1500, 1, 1, 1, notifier_);
  EXPECT_FALSE(chi.Failed());
  EXPECT_EQ(chi.chi0, ChiOf(si, 1500, 0, 0, 0, notifier_));
  EXPECT_EQ(chi.chih, ChiOf(si, 1500, 1, 1, 1, notifier_));
  EXPECT_EQ(chi.chimh, ChiOf(si, 1500, -1, -1, -1, notifier_));
  EXPECT_EQ(chi.chihPi, chi.chih);
  EXPECT_EQ(chi.chimhPi, chi.chimh);
  const auto values = chi.ToArray();
  EXPECT_EQ(values[2], chi.chih.real());
  EXPECT_EQ(values[5], chi.chimh.imag());
  EXPECT_EQ(ReflectionChi::FromArray(values), chi);
  EXPECT_EQ(chi[3], chi.chihPi);

  // Forbidden reflection: the rounding residue is cleared to an exact zero.
  const ReflectionChi forbidden = ComputeReflectionChi(si, 1500, 2, 0, 0, notifier_);
  EXPECT_EQ(forbidden.chih, Complex(0, 0));
  EXPECT_EQ(forbidden.chimhPi, Complex(0, 0));
  EXPECT_NE(forbidden.chi0, Complex(0, 0));

  // Outside the tables nothing is computed: every component fails.
  const ReflectionChi outside = ComputeReflectionChi(si, 999, 1, 1, 1, notifier_);
  EXPECT_TRUE(outside.Failed());
  for (std::size_t i = 0; i < ReflectionChi::kComponents; ++i) EXPECT_EQ(outside[i], kChiFailure);
  EXPECT_EQ(notifier_.Last(), "Error! Energy below the file range!!!");
}

TEST(Absorption, UnitsAgreeBetweenTheUnscaledAndTheDisplayedChi) {
  const double imChi0 = -0.351e-6;
  const double energy = 8047.987942062702;
  const double mu = AbsorptionOf(imChi0, energy);
  EXPECT_NEAR(mu, -(imChi0 * 1e6) * core::kTwoPi * energy / 12398.4244 * 0.01, 1e-15);
  EXPECT_EQ(AbsorptionOf(0.0, energy), 0.0);
  EXPECT_GT(mu, 0.0);
}

TEST(ComplexHelpers, ModulusPhaseAndZeroTiny) {
  const auto check = [](Complex z, double modulus, double phase) {
    const PolarForm polar = ModulusPhase(z);
    EXPECT_NEAR(polar.modulus, modulus, 1e-15) << z;
    EXPECT_NEAR(polar.phaseDegrees, phase, 1e-12) << z;
    EXPECT_GE(polar.phaseDegrees, 0.0);
    EXPECT_LT(polar.phaseDegrees, 360.0);
  };
  check({-1, 0}, 1, 180);
  check({0, -2}, 2, 270);
  check({1, -1}, std::sqrt(2.0), 315);
  check({0, 3}, 3, 90);
  check({0, 0}, 0, 0);
  check({1, 1}, std::sqrt(2.0), 45);
  check({-1, -1}, std::sqrt(2.0), 225);
  check({1, -1e-300}, 1, 0);

  Complex z(5e-11, -2e-10);
  ZeroTiny(z);
  EXPECT_EQ(z, Complex(0, -2e-10));
  z = {-1e-10, 9.9e-11};
  ZeroTiny(z);
  EXPECT_EQ(z, Complex(-1e-10, 0));
}

}  // namespace
}  // namespace velto::crystal
