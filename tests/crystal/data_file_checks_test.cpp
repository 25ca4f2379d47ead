// Atomic data files that read without error but hold numbers no atom has:
// each is refused when loaded, naming the file, the element and the check,
// and nothing is computed from it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "StructFactorTestData.h"
#include "SyntheticAtomicData.h"
#include "core/TextNumbers.h"
#include "crystal/AtomicData.h"
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
