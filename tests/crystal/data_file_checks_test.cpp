// Atomic data files that read without error but hold numbers no atom has:
// each is refused when loaded, naming the file, the element and the check,
// and nothing is computed from it.
#include <gtest/gtest.h>

#include <filesystem>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>

#include "StructFactorTestData.h"
#include "SyntheticAtomicData.h"
#include "core/TextNumbers.h"
#include "crystal/AtomicData.h"
#include "crystal/FormFactorChecks.h"
#include "crystal/StructFactor.h"
#include "crystal/Susceptibility.h"
#include "support/RecordingNotifier.h"
#include "support/TestFiles.h"

namespace velto::crystal {
namespace {

using testing::RecordingNotifier;
using testing::SyntheticAtomicData;

CrystalStructure SiliconOf(const std::filesystem::path& dataDirectory, RecordingNotifier& notifier, bool& loaded) {
  CrystalStructure si;
  loaded = MakeDiamondCrystal(si, 14, 5.43102064, 530.82, 293.15, dataDirectory, notifier);
  return si;
}

TEST(AtomicDataChecks, AnF0RecordThatDoesNotCountTheElectronsIsRefused) {
  SyntheticAtomicData data({"Si 14"});
  // The records of the synthetic file give f0(0) = Z; silicon's now gives 14 + 1e9.
  std::string f0;
  for (int z = 1; z <= 14; ++z)
    f0 += std::to_string(0.4 * z) + (z == 14 ? " 1e9" : " 0") + " 0 0 0 " + std::to_string(0.6 * z) + " 1 1 1 1 1\n";
  const auto path = data.Write("f0f1f2/f0_Params11.dat", f0);
  RecordingNotifier notifier;
  bool loaded = true;
  SiliconOf(data.path(), notifier, loaded);
  EXPECT_FALSE(loaded);
  EXPECT_EQ(notifier.Last(), "Error! File " + path.string() +
                                 ": the f0 parameters of Si (Z = 14) give f0(0) = 1e+09, not within 0.1 of Z !!!!");
}

TEST(AtomicDataChecks, TablesWhoseEnergiesDoNotRiseOrWhoseF2IsNegativeAreRefused) {
  const struct {
    const char* table;
    const char* fault;
  } cases[] = {
      {"1000 14.2 1\n3000 14.4 2\n2000 14.8 3\n", "the energy 2000 eV of row 3 does not rise above the row before"},
      {"1000 14.2 1\n1000 14.4 2\n3000 14.8 3\n", "the energy 1000 eV of row 2 does not rise above the row before"},
      {"1000 14.2 1\n2000 14.4 -2\n3000 14.8 3\n", "f2 = -2 in row 2 is negative"},
  };
  for (const auto& c : cases) {
    SyntheticAtomicData data({"Si 14"});
    const auto path = data.Write("f0f1f2/f1f2_Si.dat", c.table);
    RecordingNotifier notifier;
    bool loaded = true;
    SiliconOf(data.path(), notifier, loaded);
    EXPECT_FALSE(loaded) << c.fault;
    EXPECT_EQ(notifier.Last(), "Error! File " + path.string() + " (Si (Z = 14)): " + c.fault + " !!!!");
  }
}

// f0(0) can count the electrons while an exponent sends f0 to infinity at
// the first reflection (χh = −inf) or a cancelling pair of huge
// coefficients hides garbage.
TEST(AtomicDataChecks, F0FitsThatRiseOrHoldAbsurdCoefficientsAreRefused) {
  // Silicon as published; C pairs a tiny negative exponent with a large constant.
  const double siA[] = {5.275329, 3.191038, 1.511514, 1.356849, 2.519114};
  const double siB[] = {2.631338, 33.730728, 0.081119, 86.288643, 1.170087};
  EXPECT_EQ(GaussianF0Fault(siA, siB, 0.145073, 6.0), std::nullopt);
  const double cA[] = {2.657506, 1.078079, 1.490909, -4.241070, 0.713791};
  const double cB[] = {14.780758, 0.776775, 42.086842, -0.000294, 0.239535};
  EXPECT_EQ(GaussianF0Fault(cA, cB, 4.297983, 6.0), std::nullopt);

  double b[5];
  std::copy(std::begin(siB), std::end(siB), b);
  b[0] = -100000;
  EXPECT_EQ(GaussianF0Fault(siA, b, 0.145073, 6.0), "the exponent b1 = -100000 is not plausible");
  b[0] = 1e300;
  EXPECT_EQ(GaussianF0Fault(siA, b, 0.145073, 6.0), "the exponent b1 = 1e+300 is not plausible");
  // Slightly negative, so within the bound, but f0 grows at large angles.
  b[0] = -0.009;
  b[1] = -0.009;
  const auto rising = GaussianF0Fault(siA, b, 0.145073, 6.0);
  ASSERT_TRUE(rising.has_value());
  EXPECT_EQ(rising->rfind("f0 rises from ", 0), 0u) << *rising;

  const double cancelling[] = {1e300, -1e300, 7, 7, 0};
  EXPECT_EQ(GaussianF0Fault(cancelling, siB, 0, 6.0), "the coefficient a1 = 1e+300 is not plausible");
  EXPECT_EQ(GaussianF0Fault(siA, siB, -5000, 6.0), "the constant c = -5000 is not plausible");
}

TEST(AtomicDataChecks, AnF0RecordWithANegativeExponentIsRefusedWhenLoaded) {
  SyntheticAtomicData data({"Si 14"});
  std::string f0;
  // a1..a4 c b1..b5 of the synthetic file, with silicon's b2 made negative.
  for (int z = 1; z <= 14; ++z)
    f0 += std::to_string(0.4 * z) + " " + std::to_string(0.3 * z) + " " + std::to_string(0.2 * z) + " " +
          std::to_string(0.1 * z) + " 0 0 10 " + (z == 14 ? "-3" : "5") + " 2 1 0.5\n";
  const auto path = data.Write("f0f1f2/f0_Params11.dat", f0);
  RecordingNotifier notifier;
  bool loaded = true;
  SiliconOf(data.path(), notifier, loaded);
  EXPECT_FALSE(loaded);
  EXPECT_EQ(notifier.Last(), "Error! File " + path.string() +
                                 ": the f0 parameters of Si (Z = 14): the exponent b2 = -3 is not plausible !!!!");
}

TEST(AtomicDataChecks, AnomalousFactorsOfAbsurdMagnitudeAreRefused) {
  EXPECT_EQ(AnomalousFactorFault(55, -546, 355), std::nullopt);  // caesium near 10 eV, as tabulated
  EXPECT_EQ(AnomalousFactorFault(14, 1e305, 1), "|f1| = 1e+305 exceeds 570 electrons");
  EXPECT_EQ(AnomalousFactorFault(14, -1e305, 1), "|f1| = 1e+305 exceeds 570 electrons");
  EXPECT_EQ(AnomalousFactorFault(92, 80, 1e200), "f2 = 1e+200 exceeds 960 electrons");

  SyntheticAtomicData data({"Si 14"});
  const auto path = data.Write("f0f1f2/f1f2_Si.dat", "1000 14.2 1\n2000 14.4 2e200\n3000 14.8 3\n");
  RecordingNotifier notifier;
  bool loaded = true;
  SiliconOf(data.path(), notifier, loaded);
  EXPECT_FALSE(loaded);
  EXPECT_EQ(notifier.Last(),
            "Error! File " + path.string() + " (Si (Z = 14)): f2 = 2e+200 exceeds 570 electrons in row 2 !!!!");
}

// The bounds are only useful if the data the suite ships passes them, for
// every element and over the whole of its tables.
TEST(AtomicDataChecks, EveryElementOfTheShippedFilesPasses) {
  CrystalStructure all;
  all.groups.resize(92);
  for (int z = 1; z <= 92; ++z) all.groups[z - 1].z = z;
  RecordingNotifier notifier;
  EXPECT_TRUE(LoadAtomicData(all, testing::BuildDataDirectory(), notifier)) << notifier.Last();
  StructFactor engine;
  EXPECT_TRUE(engine.Load(testing::BuildDataDirectory())) << engine.ErrorMessage();
}

TEST(StructFactorDataChecks, ImplausibleTablesLeaveTheEngineUnusableWithTheElementAndTheCheck) {
  testing::TemporaryDirectory directory;
  const auto file = directory.path() / kStructFactorFileName;
  const auto load = [&](const StructFactorData& data) {
    std::ofstream(file, std::ios::binary) << testing::StructFactorFileImage(data);
    StructFactor engine;
    engine.Load(directory.path());
    return engine;
  };
  const StructFactorData plain = testing::PlainStructFactorData();
  ASSERT_TRUE(load(plain).IsUsable()) << load(plain).ErrorMessage();

  const std::string prefix = std::string(kStructFactorReadMessage) + "\n" + file.string() + ": ";
  // A file of zeros of the right length reads without a read error.
  StructFactorData zeros = plain;
  for (int z = 1; z <= kStructFactorElements; ++z) zeros.elements[z] = ElementRecord{};
  EXPECT_EQ(load(zeros).ErrorMessage(),
            prefix + "H (Z = 1): the Cromer-Mann coefficients give f0(0) = 0, not within 0.1 of Z");

  StructFactorData weightless = plain;
  weightless.elements[14].atomicWeight = -28.0855;
  EXPECT_EQ(load(weightless).ErrorMessage(), prefix + "Si (Z = 14): the atomic weight -28.0855 is not positive");

  StructFactorData unbound = plain;
  unbound.elements[26].bindingEnergy = {7.112, 0.0};
  unbound.elements[26].orbitals = {testing::PowerLawOrbital(7.112, 1e4), testing::PowerLawOrbital(0.7, 1e4)};
  EXPECT_EQ(load(unbound).ErrorMessage(), prefix + "Fe (Z = 26): the binding energy 0 keV is not plausible");

  StructFactorData negative = plain;
  negative.elements[29].bindingEnergy = {8.979};
  negative.elements[29].orbitals = {testing::PowerLawOrbital(8.979, 1e4)};
  ASSERT_TRUE(load(negative).IsUsable()) << load(negative).ErrorMessage();
  negative.elements[29].orbitals[0].crossSection[3] = -1;
  EXPECT_EQ(load(negative).ErrorMessage(), prefix + "Cu (Z = 29): the cross-section -1 barns at " +
                                               core::FormatGeneral(8.979 * 160) + " keV is not plausible");
  negative.elements[29].orbitals[0].crossSection[3] = 1e30;
  EXPECT_FALSE(load(negative).IsUsable());

  StructFactorData rising = plain;
  rising.elements[8].cromerMann[1] = -50;  // O's b1
  EXPECT_EQ(load(rising).ErrorMessage(),
            prefix + "O (Z = 8): Cromer-Mann coefficients: the exponent b1 = -50 is not plausible");
}

// A number that is not finite stops the reading; the message says which
// element's record holds it and what it is.
TEST(StructFactorDataChecks, ANonFiniteNumberIsReportedWithTheElementAndTheField) {
  testing::TemporaryDirectory directory;
  const auto file = directory.path() / kStructFactorFileName;
  StructFactorData data = testing::PlainStructFactorData();
  data.elements[20].cromerMann[4] = std::numeric_limits<double>::infinity();
  std::ofstream(file, std::ios::binary) << testing::StructFactorFileImage(data);
  StructFactor engine;
  EXPECT_FALSE(engine.Load(directory.path()));
  EXPECT_EQ(engine.ErrorMessage(), std::string(kStructFactorReadMessage) + "\n" + file.string() +
                                       ": Ca (Z = 20): a Cromer-Mann coefficient is not a finite number");

  const std::string image = testing::StructFactorFileImage(testing::PlainStructFactorData());
  std::istringstream shortened(image.substr(0, image.size() - 3));
  StructFactorData read;
  std::string fault;
  EXPECT_EQ(ReadStructFactorData(shortened, read, &fault), StructFactorReadStatus::ReadError);
  EXPECT_EQ(fault, "U (Z = 92): the file ends inside the Kissel-Pratt correction");
}

TEST(StructFactorDataChecks, EnergiesBeyondTheTabulatedCrossSectionsAreRefused) {
  StructFactor engine;
  ASSERT_TRUE(engine.Load(testing::BuildDataDirectory())) << engine.ErrorMessage();
  // Every orbital of the suite's tables reaches at least 500 keV.
  EXPECT_GE(engine.HighestEnergyEv(), 500e3);
  RecordingNotifier notifier;
  EXPECT_TRUE(engine.CromerLibermanF1F2(14, engine.HighestEnergyEv(), notifier).has_value());
  for (double energy : {engine.HighestEnergyEv() * 1.01, 1e303}) {
    EXPECT_FALSE(engine.CromerLibermanF1F2(14, energy, notifier).has_value()) << energy;
    EXPECT_FALSE(engine.CromerLibermanF1F2(1, energy, notifier).has_value()) << energy;
  }
  EXPECT_EQ(notifier.Last(), "Error! Energy exceeds the range of StructFactor.Data (" +
                                 core::FormatGeneral(engine.HighestEnergyEv() / 1000) + " keV)!!!");
}

}  // namespace
}  // namespace velto::crystal
