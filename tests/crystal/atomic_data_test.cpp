#include <gtest/gtest.h>

#include <cmath>

#include "crystal/AtomicData.h"
#include "crystal/Susceptibility.h"
#include "support/RecordingNotifier.h"
#include "support/TestFiles.h"
#include "SyntheticAtomicData.h"

namespace velto::crystal {
namespace {

using testing::RecordingNotifier;
using testing::SyntheticAtomicData;

const char* const kBelow = "Error! Energy below the file range!!!";
const char* const kExceeds = "\nError! Energy exceeds the file range!!!\n\n";

CrystalStructure StructureOf(std::initializer_list<int> elements) {
  CrystalStructure structure;
  for (int z : elements) {
    ElementGroup group;
    group.z = z;
    group.atoms.resize(1);
    structure.groups.push_back(group);
  }
  return structure;
}

TEST(AtomicData, InterpolatesLinearlyInsideTheTableAndRefusesOutside) {
  SyntheticAtomicData data({"Si 14"});
  CrystalStructure si = StructureOf({14});
  RecordingNotifier notifier;
  ASSERT_TRUE(LoadAtomicData(si, data.path(), notifier));
  ElementGroup& group = si.groups[0];

  ASSERT_TRUE(UpdateAnomalousFactors(si, 1000, notifier));
  EXPECT_EQ(group.fPrime, 14.2 - 14);  // f' is f1 minus Z
  EXPECT_EQ(group.fDoublePrime, 1.0);
  EXPECT_EQ(si.lastEnergy, 1000);

  ASSERT_TRUE(UpdateAnomalousFactors(si, 2000, notifier));
  EXPECT_EQ(group.fPrime, 14.4 - 14) << "a tabulated energy gives the row exactly";

  ASSERT_TRUE(UpdateAnomalousFactors(si, 1500, notifier));
  EXPECT_NEAR(group.fPrime, 0.3, 1e-12);
  EXPECT_NEAR(group.fDoublePrime, 1.5, 1e-12);

  ASSERT_TRUE(UpdateAnomalousFactors(si, 2999.999, notifier));
  EXPECT_NEAR(group.fPrime, 0.8 - 0.4e-6, 1e-9);
  EXPECT_NEAR(group.fDoublePrime, 2.999999, 1e-9);
  EXPECT_TRUE(notifier.messages.empty());

  EXPECT_FALSE(UpdateAnomalousFactors(si, 3000, notifier));
  ASSERT_EQ(notifier.messages.size(), 1u);
  EXPECT_EQ(notifier.Last(), kExceeds);
  EXPECT_FALSE(UpdateAnomalousFactors(si, 999, notifier));
  EXPECT_EQ(notifier.Last(), kBelow);
  EXPECT_FALSE(UpdateAnomalousFactors(si, std::nan(""), notifier));
  EXPECT_EQ(notifier.messages.size(), 3u);
}

TEST(AtomicData, AFailedInterpolationLeavesNoEnergyToReuse) {
  SyntheticAtomicData data({"Si 14", "O 8"});
  CrystalStructure sio = StructureOf({8, 14});
  RecordingNotifier notifier;
  ASSERT_TRUE(LoadAtomicData(sio, data.path(), notifier));
  ASSERT_TRUE(UpdateAnomalousFactors(sio, 1500, notifier));
  // Make the second group's table end earlier, so that the first group is
  // updated and the second is not.
  sio.groups[1].table.energy = {1000, 2000};
  sio.groups[1].table.f1 = {14.2, 14.4};
  sio.groups[1].table.f2 = {1, 2};
  EXPECT_FALSE(UpdateAnomalousFactors(sio, 2500, notifier));
  EXPECT_EQ(sio.lastEnergy, -1);
  EXPECT_EQ(ChiOf(sio, -1, 1, 1, 1, notifier), kChiFailure);
}

TEST(AtomicData, TableEndsAtAZeroEnergyOrARowThatIsNotThreeNumbers) {
  SyntheticAtomicData data({});
  const auto zero = data.Write("zero.dat", "1000 14.2 1\n2000 14.4 2\n0 0 0\n3000 14.8 3\n4000 15 4\n");
  const auto negative = data.Write("negative.dat", "1000 14.2 1\n2000 14.4 2\n-5 1 1\n3000 14.8 3\n");
  const auto text = data.Write("text.dat", "1000 14.2 1\n2000 14.4 2\n3000 abc 3\n4000 14.8 3\n");
  const auto shortRow = data.Write("short.dat", "1000 14.2 1\n2000 14.4 2\n3000 14.8");
  const auto glued = data.Write("glued.dat", "1000 14.2 1\n2000 14.4 2x\n3000 14.8 3\n");
  const auto infinite = data.Write("infinite.dat", "1000 14.2 1\n2000 14.4 2\n3000 inf 3\n");
  const auto crlf = data.Write("crlf.dat", "1000\t14.2\t1\r\n2000 14.4 2\r\n+3e3 1.48E1 3\r\n");
  for (const auto& path : {zero, negative, text, shortRow, glued, infinite}) {
    const auto table = ReadScatteringTable(path);
    ASSERT_TRUE(table.has_value()) << path;
    EXPECT_EQ(table->RowCount(), path == glued ? 1 : 2) << path;
  }
  const auto table = ReadScatteringTable(crlf);
  ASSERT_EQ(table->RowCount(), 3);
  EXPECT_EQ(table->energy[2], 3000.0);
  EXPECT_EQ(table->f1[2], 14.8);
  EXPECT_FALSE(ReadScatteringTable(data.path() / "absent.dat").has_value());
}

TEST(AtomicData, ATableTooShortToInterpolateRefusesTheLoad) {
  SyntheticAtomicData data({"Si 14"});
  const auto path = data.Write("f0f1f2/f1f2_Si.dat", "1000 14.2 1\n0 0 0\n");
  CrystalStructure si = StructureOf({14});
  RecordingNotifier notifier;
  EXPECT_FALSE(LoadAtomicData(si, data.path(), notifier));
  EXPECT_EQ(notifier.Last(), "Error! File " + path.string() + " holds fewer than two rows of energy, f1, f2 !!!!");
}

TEST(AtomicData, EachElementTakesItsOwnRecordOfTheF0File) {
  SyntheticAtomicData data({"H 1", "Si 14"});
  // Distinct records: record Z holds a1 = Z, b1 = Z/10, c = 0.05 and zeros
  // (f0(0) = Z + 0.05, within the 0.1 of Z that a record must keep).
  std::string f0;
  for (int z = 1; z <= 20; ++z) f0 += std::to_string(z) + " 0 0 0 0 0.05 " + std::to_string(z / 10.0) + " 0 0 0 0\n";
  data.Write("f0f1f2/f0_Params11.dat", f0);
  CrystalStructure structure = StructureOf({1, 14});
  RecordingNotifier notifier;
  ASSERT_TRUE(LoadAtomicData(structure, data.path(), notifier));
  const ElementGroup& h = structure.groups[0];
  const ElementGroup& si = structure.groups[1];
  EXPECT_EQ(h.f0Parameters[0], 1.0);
  EXPECT_EQ(si.f0Parameters[0], 14.0);
  EXPECT_DOUBLE_EQ(si.f0Parameters[5], -1.4) << "exponents are kept negated";
  EXPECT_EQ(si.f0Parameters[10], 0.05);
  EXPECT_DOUBLE_EQ(F0At(si, 0.0), 14.05);
  EXPECT_DOUBLE_EQ(F0At(si, 0.25), 14 * std::exp(-1.4 * 0.25) + 0.05);
  EXPECT_DOUBLE_EQ(F0At(h, 0.25), std::exp(-0.1 * 0.25) + 0.05);
}

TEST(AtomicData, AMissingOrUnreadableF0RecordRefusesTheLoad) {
  SyntheticAtomicData data({"Si 14"});
  const auto f0Path = data.Write("f0f1f2/f0_Params11.dat", "1 0 0 0 0 0 1 0 0 0 0\n2 0 0 0 0 0 1 0 0 0 0\n");
  CrystalStructure si = StructureOf({14});
  RecordingNotifier notifier;
  EXPECT_FALSE(LoadAtomicData(si, data.path(), notifier));
  ASSERT_EQ(notifier.console.size(), 1u);
  EXPECT_EQ(notifier.console[0],
            "\nError: File \"" + f0Path.string() + "\" holds no f0 parameters for Z = 14 !!!");
  EXPECT_TRUE(notifier.messages.empty());

  std::string f0;
  for (int z = 1; z <= 14; ++z) f0 += z == 9 ? "1 2 3 x 5 6 7 8 9 10 11\n" : "1 0 0 0 0 0 1 0 0 0 0\n";
  data.Write("f0f1f2/f0_Params11.dat", f0);
  EXPECT_FALSE(LoadAtomicData(si, data.path(), notifier));
}

TEST(AtomicData, LoadingAgainReplacesTheTables) {
  SyntheticAtomicData data({"Si 14"});
  CrystalStructure si = StructureOf({14});
  RecordingNotifier notifier;
  ASSERT_TRUE(LoadAtomicData(si, data.path(), notifier));
  data.Write("f0f1f2/f1f2_Si.dat", "500 14 0\n1500 15 1\n");
  ASSERT_TRUE(LoadAtomicData(si, data.path(), notifier));
  EXPECT_EQ(si.groups[0].table.RowCount(), 2);
  ASSERT_TRUE(UpdateAnomalousFactors(si, 1000, notifier));
  EXPECT_DOUBLE_EQ(si.groups[0].fPrime, 0.5);
}

}  // namespace
}  // namespace velto::crystal
