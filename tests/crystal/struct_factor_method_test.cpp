// The Cromer–Liberman machinery and the data-file reader on small tables
// whose answers are known in closed form.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "StructFactorTestData.h"
#include "crystal/StructFactor.h"
#include "support/RecordingNotifier.h"
#include "support/TestFiles.h"

namespace velto::crystal {
namespace {

using testing::PlainStructFactorData;
using testing::PowerLawOrbital;
using testing::RecordingNotifier;

TEST(AitkenInterpolate, IsExactForAParabolaAndTakesThePointsAroundX) {
  RecordingNotifier notifier;
  const std::vector<double> xs = {0, 1, 2, 3, 4, 5};
  std::vector<double> parabola, cubic;
  for (double x : xs) {
    parabola.push_back(2 * x * x - 3 * x + 1);
    cubic.push_back(x * x * x);
  }
  for (double x : {-0.5, 0.3, 2.7, 4.9, 6.0}) {
    EXPECT_NEAR(AitkenInterpolate(x, xs, parabola, notifier), 2 * x * x - 3 * x + 1, 1e-12) << x;
  }
  // X = 2.5 lies between points 3 and 4 (1-based): the points 2, 3, 4 are
  // used, i.e. x = 1, 2, 3, whose parabola through x³ is 6x² − 11x + 6.
  EXPECT_NEAR(AitkenInterpolate(2.5, xs, cubic, notifier), 6 * 6.25 - 11 * 2.5 + 6, 1e-12);
  // Descending abscissae: three lie above X = 2.5, so x = 4, 3, 2 are used,
  // whose parabola through x³ gives 15.25 there.
  const std::vector<double> down(xs.rbegin(), xs.rend());
  const std::vector<double> downCubic(cubic.rbegin(), cubic.rend());
  EXPECT_NEAR(AitkenInterpolate(2.5, down, downCubic, notifier), 15.25, 1e-12);
  EXPECT_TRUE(notifier.messages.empty());
}

TEST(AitkenInterpolate, FewPoints) {
  RecordingNotifier notifier;
  const std::vector<double> one = {2.0}, oneY = {7.0};
  EXPECT_EQ(AitkenInterpolate(5.0, one, oneY, notifier), 7.0);
  EXPECT_EQ(notifier.Last(), "Too few points, funct=y(1)");
  // Two points: the straight line through them (there is no third point).
  const std::vector<double> two = {1.0, 3.0}, twoY = {10.0, 20.0};
  EXPECT_DOUBLE_EQ(AitkenInterpolate(2.0, two, twoY, notifier), 15.0);
  EXPECT_DOUBLE_EQ(AitkenInterpolate(4.0, two, twoY, notifier), 25.0);
  EXPECT_EQ(notifier.messages.size(), 1u);
}

TEST(GaussIntegral, TypeTwoReportsItsDegenerateCases) {
  RecordingNotifier notifier;
  OrbitalIntegrand orbital;
  orbital.energy = 0;
  orbital.binding = 10;
  orbital.gaussSigma = {1, 1, 1, 1, 1};
  EXPECT_EQ(GaussIntegral(orbital, 2, notifier), 0.0);
  EXPECT_EQ(notifier.messages.size(), 5u);
  EXPECT_EQ(notifier.Last(), "e simeq 0");
  orbital.energy = 20;
  orbital.sigmaAtEnergy = 1;
  notifier.messages.clear();
  const double cancelled = GaussIntegral(orbital, 2, notifier);
  EXPECT_EQ(notifier.Last(), "Factor cancels");
  EXPECT_TRUE(std::isfinite(cancelled));
  EXPECT_EQ(GaussIntegral(orbital, 7, notifier), 0.0);
}

// One orbital with σ = σ_b·(E_b/E')³. Its dispersion integral has the
// closed form f' = (c/2π²)·σ_b·E_b³/(2E²)·ln|1 − E²/E_b²| (atomic units),
// below and above the edge, and f'' = σ(E)·c·E/(4π) above it.
class PowerLawOrbitalTest : public ::testing::Test {
 protected:
  static constexpr double kBinding = 2.0;       // keV
  static constexpr double kSigmaEdge = 5.0e4;   // barns
  static constexpr double kHartree = 0.02721;   // keV
  static constexpr double kAtomicUnit = 2.80022e7;

  PowerLawOrbitalTest() {
    auto data = PlainStructFactorData();
    data.elements[20].bindingEnergy = {kBinding};
    data.elements[20].orbitals = {PowerLawOrbital(kBinding, kSigmaEdge)};
    engine_ = StructFactor(std::move(data));
  }

  static double ExpectedFPrime(double energyKev) {
    const double e = energyKev / kHartree, eb = kBinding / kHartree, sigma = kSigmaEdge / kAtomicUnit;
    return 6.942325 * sigma * eb * eb * eb / (2 * e * e) * std::log(std::abs(1 - e * e / (eb * eb)));
  }
  static double ExpectedFDoublePrime(double energyKev) {
    const double e = energyKev / kHartree;
    return kSigmaEdge * std::pow(kBinding / energyKev, 3) / kAtomicUnit * 137.036 * e / (4 * M_PI);
  }

  StructFactor engine_;
  RecordingNotifier notifier_;
};

TEST_F(PowerLawOrbitalTest, FPrimeAndFDoublePrimeFollowTheClosedForm) {
  for (double energy : {0.3, 1.0, 1.9, 2.1, 3.0, 6.0, 15.0, 60.0}) {
    const auto factors = engine_.CromerLibermanF1F2(20, energy * 1000, notifier_);
    ASSERT_TRUE(factors);
    // Far above the edge (60 keV = 30 E_b) all Gauss points lie below E and
    // the five-point rule keeps only a few per cent of a contribution that
    // has itself fallen to 1e-3 electrons.
    const double tolerance = energy < 20 * kBinding ? 2e-3 * std::abs(ExpectedFPrime(energy)) : 2e-4;
    EXPECT_NEAR(factors->fPrime, ExpectedFPrime(energy), tolerance) << energy;
    const double fpp = energy >= kBinding ? ExpectedFDoublePrime(energy) : 0.0;
    EXPECT_NEAR(factors->fDoublePrime, fpp, 1e-9 * fpp + 1e-15) << energy;
  }
  // Far below the edge the orbital takes away its oscillator strength:
  // f' → −(c/2π²)·∫σ dE' = −(c/2π²)·σ_b·E_b/2.
  const auto low = engine_.CromerLibermanF1F2(20, 1.0, notifier_);
  EXPECT_NEAR(low->fPrime, -6.942325 * kSigmaEdge / kAtomicUnit * kBinding / kHartree / 2, 1e-6);
  EXPECT_TRUE(notifier_.messages.empty());
}

TEST_F(PowerLawOrbitalTest, AnEnergyAtTheEdgeCountsAsAboveIt) {
  const auto at = engine_.CromerLibermanF1F2(20, kBinding * 1000, notifier_);
  ASSERT_TRUE(at);
  EXPECT_NEAR(at->fDoublePrime, ExpectedFDoublePrime(kBinding), 1e-9);
  EXPECT_TRUE(std::isfinite(at->fPrime));
  const auto below = engine_.CromerLibermanF1F2(20, kBinding * 1000 - 1e-6, notifier_);
  EXPECT_EQ(below->fDoublePrime, 0.0);
}

TEST_F(PowerLawOrbitalTest, RelativisticTermsShiftFPrime) {
  auto data = engine_.Data();
  data.elements[20].relativisticCorrection = 0.25;
  data.elements[20].kisselPrattCorrection = 0.1;
  const StructFactor shifted(std::move(data));
  const auto plain = engine_.CromerLibermanF1F2(20, 8000, notifier_);
  const auto moved = shifted.CromerLibermanF1F2(20, 8000, notifier_);
  EXPECT_NEAR(moved->fPrime - plain->fPrime, -0.15, 1e-12);
  EXPECT_FALSE(engine_.CromerLibermanF1F2(20, 0.0, notifier_));
  EXPECT_FALSE(engine_.CromerLibermanF1F2(93, 8000, notifier_));
}

TEST(StructFactorFile, ReadsWhatItsLayoutHolds) {
  auto data = PlainStructFactorData();
  data.elements[14].bindingEnergy = {1.8};
  data.elements[14].orbitals = {PowerLawOrbital(1.8, 1e4)};
  data.elements[14].relativisticCorrection = 0.03;
  data.elements[2].bindingEnergy = {0.0246};
  std::istringstream in(testing::StructFactorFileImage(data));
  StructFactorData read;
  ASSERT_EQ(ReadStructFactorData(in, read), StructFactorReadStatus::Ok);
  EXPECT_EQ(read.elements[14].orbitals[0].crossSection, data.elements[14].orbitals[0].crossSection);
  EXPECT_EQ(read.elements[14].relativisticCorrection, 0.03);
  EXPECT_EQ(read.elements[2].bindingEnergy, data.elements[2].bindingEnergy);
  EXPECT_EQ(read.elements[92].cromerMann, data.elements[92].cromerMann);
}

TEST(StructFactorFile, RefusesCountsTheTablesCannotHold) {
  auto tooManyOrbitals = PlainStructFactorData();
  tooManyOrbitals.elements[50].bindingEnergy.assign(25, 1.0);
  tooManyOrbitals.elements[50].orbitals.assign(25, PowerLawOrbital(1.0, 1.0));
  auto tooManyPoints = PlainStructFactorData();
  auto orbital = PowerLawOrbital(1.0, 1.0);
  orbital.energy.push_back(1000.0);
  orbital.crossSection.push_back(1e-9);
  tooManyPoints.elements[50].bindingEnergy = {1.0};
  tooManyPoints.elements[50].orbitals = {orbital};
  for (const auto* data : {&tooManyOrbitals, &tooManyPoints}) {
    std::istringstream in(testing::StructFactorFileImage(*data));
    StructFactorData read;
    EXPECT_EQ(ReadStructFactorData(in, read), StructFactorReadStatus::ReadError);
  }
}

TEST(StructFactorFile, MissingOrShortFileGivesItsMessageAndALaterRequestTriesAgain) {
  testing::TemporaryDirectory directory;
  StructFactorEngineHolder holder;
  RecordingNotifier notifier;
  EXPECT_EQ(holder.GetStructFactorEngine(directory.path(), notifier), nullptr);
  ASSERT_EQ(notifier.messages.size(), 1u);
  EXPECT_EQ(notifier.messages[0].text, "Failed to open file \"StructFactor.Data\"\nPlease verify that this file is "
                                       "in the directory      \n     " +
                                           directory.path().string() + "\\.\n\n");
  EXPECT_EQ(notifier.messages[0].icon, core::MessageIcon::Error);

  const std::string image = testing::StructFactorFileImage(PlainStructFactorData());
  directory.Write("StructFactor.Data", image.substr(0, image.size() - 3));
  EXPECT_EQ(holder.GetStructFactorEngine(directory.path(), notifier), nullptr);
  EXPECT_EQ(notifier.Last(), "Failed to read StructFactor.Data.\n" + (directory.path() / "StructFactor.Data").string() +
                                 ": U (Z = 92): the file ends inside the Kissel-Pratt correction");
  EXPECT_EQ(notifier.messages.back().icon, core::MessageIcon::Error);

  directory.Write("StructFactor.Data", image + "trailing bytes are ignored");
  const auto engine = holder.GetStructFactorEngine(directory.path(), notifier);
  ASSERT_NE(engine, nullptr);
  EXPECT_TRUE(engine->IsUsable());
  EXPECT_EQ(holder.GetStructFactorEngine(directory.path(), notifier), engine);
  EXPECT_EQ(notifier.messages.size(), 2u);

  // Released when the main window closes: a computation that still holds
  // the engine keeps its tables, and a later request reads the file anew.
  holder.Release();
  EXPECT_TRUE(engine->IsUsable());
  const auto again = holder.GetStructFactorEngine(directory.path(), notifier);
  ASSERT_NE(again, nullptr);
  EXPECT_NE(again, engine);
}

}  // namespace
}  // namespace velto::crystal
