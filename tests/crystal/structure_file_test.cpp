#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/Units.h"
#include "crystal/CrystalStructure.h"
#include "crystal/ElementTable.h"
#include "support/RecordingNotifier.h"
#include "support/TestFiles.h"
#include "SyntheticAtomicData.h"

namespace velto::crystal {
namespace {

using testing::kSiliconText;
using testing::RecordingNotifier;
using testing::SyntheticAtomicData;

constexpr double kSiliconA = 5.43102064;

class StructureFileTest : public ::testing::Test {
 protected:
  bool Load(std::string_view text, double temperature = 293.15) {
    const auto path = data_.Write("crystal.struct", text);
    return LoadStructFile(structure_, path, temperature, data_.path(), notifier_);
  }

  SyntheticAtomicData data_{{"H 1", "Si 14", "Ga 31", "As 33", "O 8"}};
  RecordingNotifier notifier_;
  CrystalStructure structure_;
};

TEST(ElementTable, FindsSymbolsWithoutRegardToCaseButOnlyOfEqualLength) {
  EXPECT_EQ(ElementTable::Find("Si"), 14);
  EXPECT_EQ(ElementTable::Find("si"), 14);
  EXPECT_EQ(ElementTable::Find("SI"), 14);
  EXPECT_EQ(ElementTable::Find("H"), 1);
  EXPECT_EQ(ElementTable::Find("u"), 92);
  EXPECT_EQ(ElementTable::Find("Si4+"), 0);
  EXPECT_EQ(ElementTable::Find("S "), 0);
  EXPECT_EQ(ElementTable::Find(""), 0);
  EXPECT_EQ(ElementTable::Find("Xx"), 0);
  for (int z = 1; z <= ElementTable::kCount; ++z) {
    EXPECT_EQ(ElementTable::Find(ElementTable::Symbol(z)), z) << z;
    EXPECT_GT(ElementTable::Mass(z), ElementTable::Mass(z - 1) - 4.0) << "masses roughly grow with Z at " << z;
  }
  EXPECT_EQ(ElementTable::Symbol(0), "");
  EXPECT_EQ(ElementTable::Symbol(93), "");
  EXPECT_DOUBLE_EQ(ElementTable::Mass(2), 4.002602);  // IUPAC standard atomic weight of helium
  EXPECT_DOUBLE_EQ(ElementTable::Mass(14), 28.0855007);
}

TEST_F(StructureFileTest, ReadsTheSiliconExampleWithItsLatticeAndThermalData) {
  ASSERT_TRUE(Load(kSiliconText));
  EXPECT_EQ(structure_.name, "Silicon");
  ASSERT_EQ(structure_.GroupCount(), 1);
  const ElementGroup& si = structure_.groups[0];
  EXPECT_EQ(si.z, 14);
  EXPECT_EQ(si.AtomCount(), 8);
  EXPECT_DOUBLE_EQ(si.debyeTemperature, 530.82);
  EXPECT_LT(si.thermalExponent, 0.0);
  EXPECT_EQ(si.table.RowCount(), 3);
  EXPECT_NEAR(structure_.volume, kSiliconA * kSiliconA * kSiliconA, 1e-12);
  EXPECT_DOUBLE_EQ(structure_.alpha, core::kPi / 2);
  EXPECT_EQ(structure_.lastEnergy, -1);
}

TEST_F(StructureFileTest, LineEndsBlankLinesAndCommentsDoNotMatter) {
  ASSERT_TRUE(Load(kSiliconText));
  const CrystalStructure reference = structure_;

  std::string crlf, cr, commented;
  for (char c : std::string(kSiliconText)) {
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    cr += c == '\n' ? '\r' : c;
    commented += c == '\n' ? std::string("   ! remark\n\n! a comment line\n  \t \n") : std::string(1, c);
  }
  for (const std::string& text : {crlf, cr, "\n\n! heading comment\n" + commented}) {
    CrystalStructure copy;
    const auto path = data_.Write("variant.struct", text);
    ASSERT_TRUE(LoadStructFile(copy, path, 293.15, data_.path(), notifier_));
    EXPECT_EQ(copy.name, reference.name);
    ASSERT_EQ(copy.GroupCount(), 1);
    EXPECT_EQ(copy.groups[0].AtomCount(), 8);
    EXPECT_DOUBLE_EQ(copy.groups[0].atoms[4].z, 0.25);
    EXPECT_DOUBLE_EQ(copy.groups[0].debyeTemperature, 530.82);
    EXPECT_DOUBLE_EQ(copy.volume, reference.volume);
  }
}

TEST_F(StructureFileTest, AtomFieldsMaySeparateByCommasTabsAndEndInAComment) {
  ASSERT_TRUE(Load("Odd separators\n4,4,4\n90\t90\t90\n1\nSi,  0.1,\t0.2 ,0.3 ! occupancy omitted\n300\n"));
  const AtomSite& atom = structure_.groups[0].atoms[0];
  EXPECT_DOUBLE_EQ(atom.x, 0.1);
  EXPECT_DOUBLE_EQ(atom.y, 0.2);
  EXPECT_DOUBLE_EQ(atom.z, 0.3);
  EXPECT_DOUBLE_EQ(atom.occupancy, 1.0);
  EXPECT_EQ(structure_.name, "Odd separators");
  EXPECT_DOUBLE_EQ(structure_.c, 4.0);
}

TEST_F(StructureFileTest, OccupancyOutsideZeroToOneMeansFullAndNonNumbersReadAsZero) {
  ASSERT_TRUE(Load("Occupancies\n4 4 4\n90 90 90\n4\nSi 0 0 0 0\nSi 0 0 0 1.5\nSi 0 0 0 0.5\nSi abc 0.5x 0 -2\n0\n"));
  const auto& atoms = structure_.groups[0].atoms;
  EXPECT_DOUBLE_EQ(atoms[0].occupancy, 1.0);
  EXPECT_DOUBLE_EQ(atoms[1].occupancy, 1.0);
  EXPECT_DOUBLE_EQ(atoms[2].occupancy, 0.5);
  EXPECT_DOUBLE_EQ(atoms[3].occupancy, 1.0);
  EXPECT_DOUBLE_EQ(atoms[3].x, 0.0);
  EXPECT_DOUBLE_EQ(atoms[3].y, 0.5);
  EXPECT_EQ(structure_.groups[0].thermalExponent, 0.0) << "Debye temperature 0: no thermal vibration";
}

TEST_F(StructureFileTest, GroupsFollowAtomicNumberWhateverTheOrderOfTheAtomLines) {
  const std::string cell = "GaAs\n5.65 5.65 5.65\n90 90 90\n4\n";
  ASSERT_TRUE(Load(cell + "Ga 0 0 0 1\nAs 0.25 0.25 0.25 1\nGa 0.5 0.5 0 1\nAs 0.75 0.75 0.25 1\n360\n370\n"));
  const CrystalStructure gaFirst = structure_;
  ASSERT_TRUE(Load(cell + "AS 0.25 0.25 0.25 1\nga 0 0 0 1\nAs 0.75 0.75 0.25 1\nGa 0.5 0.5 0 1\n360\n370\n"));
  for (const CrystalStructure* s : {&gaFirst, static_cast<const CrystalStructure*>(&structure_)}) {
    ASSERT_EQ(s->GroupCount(), 2);
    EXPECT_EQ(s->groups[0].z, 31);
    EXPECT_EQ(s->groups[1].z, 33);
    EXPECT_DOUBLE_EQ(s->groups[0].debyeTemperature, 360);  // Debye lines in ascending Z
    EXPECT_DOUBLE_EQ(s->groups[1].debyeTemperature, 370);
    EXPECT_EQ(s->groups[0].AtomCount(), 2);
  }
  // Atoms keep their file order within their element.
  EXPECT_DOUBLE_EQ(gaFirst.groups[0].atoms[1].x, 0.5);
  EXPECT_DOUBLE_EQ(structure_.groups[1].atoms[0].x, 0.25);
  EXPECT_DOUBLE_EQ(structure_.groups[1].atoms[1].x, 0.75);
}

TEST_F(StructureFileTest, ZeroAtomsLoadsAnEmptyStructureAndMissingDebyeLinesReadAsZero) {
  ASSERT_TRUE(Load("Empty\n3 3 3\n90 90 90\n0\n"));
  EXPECT_FALSE(structure_.IsLoaded());
  ASSERT_TRUE(Load("No Debye lines\n3 3 3\n90 90 90\n2\nO 0 0 0\nH 0.1 0 0\n"));
  ASSERT_EQ(structure_.GroupCount(), 2);
  for (const ElementGroup& group : structure_.groups) {
    EXPECT_EQ(group.debyeTemperature, 0.0);
    EXPECT_EQ(group.thermalExponent, 0.0);
  }
}

TEST_F(StructureFileTest, RefusesUnknownElementsMissingFilesAndDirectories) {
  EXPECT_FALSE(Load("Ion\n4 4 4\n90 90 90\n1\nSi4+ 0 0 0 1\n300\n"));
  EXPECT_FALSE(Load("Unknown\n4 4 4\n90 90 90\n1\nXx 0 0 0 1\n300\n"));
  EXPECT_FALSE(LoadStructFile(structure_, data_.path() / "absent.struct", 293.15, data_.path(), notifier_));
  EXPECT_FALSE(LoadStructFile(structure_, data_.path(), 293.15, data_.path(), notifier_));
  EXPECT_TRUE(notifier_.messages.empty());
}

TEST_F(StructureFileTest, RefusesCellsThatDescribeNoLattice) {
  // alpha + beta < gamma: no parallelepiped has these angles (c² − a3x² − a3y² < 0).
  EXPECT_FALSE(Load("Impossible\n4 4 4\n30 30 120\n1\nSi 0 0 0 1\n300\n"));
  EXPECT_FALSE(Load("Flat\n4 4 4\n90 90 0\n1\nSi 0 0 0 1\n300\n"));
  EXPECT_FALSE(Load("No length\n4 0 4\n90 90 90\n1\nSi 0 0 0 1\n300\n"));
  EXPECT_FALSE(Load("Negative\n-4 4 4\n90 90 90\n1\nSi 0 0 0 1\n300\n"));
  EXPECT_FALSE(Load("Infinite\n1e999 4 4\n90 90 90\n1\nSi 0 0 0 1\n300\n"));
  EXPECT_FALSE(Load("Infinite coordinate\n4 4 4\n90 90 90\n1\nSi 1e999 0 0 1\n300\n"));
  EXPECT_TRUE(notifier_.messages.empty()) << "no data-file messages for a refused cell";
}

TEST_F(StructureFileTest, AtomicDataFailuresRefuseTheLoad) {
  // Ge has no table in this data directory.
  EXPECT_FALSE(Load("Germanium\n5.65 5.65 5.65\n90 90 90\n1\nGe 0 0 0 1\n290\n"));
  const std::string expected =
      "Error! Failed to open file " + (data_.path() / "f0f1f2" / "f1f2_Ge.dat").string() + " !!!!";
  EXPECT_EQ(notifier_.Last(), expected);

  SyntheticAtomicData noF0({"Si 14"});
  std::filesystem::remove(noF0.path() / "f0f1f2" / "f0_Params11.dat");
  const auto path = noF0.Write("si.struct", kSiliconText);
  RecordingNotifier quiet;
  EXPECT_FALSE(LoadStructFile(structure_, path, 293.15, noF0.path(), quiet));
  EXPECT_TRUE(quiet.messages.empty());
  ASSERT_EQ(quiet.console.size(), 1u);
  EXPECT_EQ(quiet.console[0],
            "\nError: Failed to open file \"" + (noF0.path() / "f0f1f2" / "f0_Params11.dat").string() + "\" !!!");
}

TEST_F(StructureFileTest, CubicAndOrthogonalCellsHaveDiagonalBases) {
  ASSERT_TRUE(Load(kSiliconText));
  EXPECT_NEAR(structure_.DSpacing(4, 0, 0), kSiliconA / 4, 1e-14);
  EXPECT_NEAR(structure_.DSpacing(1, 1, 1), kSiliconA / std::sqrt(3.0), 1e-14);
  EXPECT_EQ(structure_.DSpacing(0, 0, 0), 0.0);
  EXPECT_NEAR(structure_.b1x, 1 / kSiliconA, 1e-15);
  EXPECT_NEAR(structure_.b2y, 1 / kSiliconA, 1e-15);
  EXPECT_NEAR(structure_.b3z, 1 / kSiliconA, 1e-15);
  EXPECT_NEAR(structure_.b1y, 0, 1e-15);
  EXPECT_NEAR(structure_.b2z, 0, 1e-15);
  EXPECT_NEAR(structure_.a2x, 0, 1e-15);

  ASSERT_TRUE(Load("Orthorhombic\n3 4 5\n90 90 90\n1\nO 0 0 0 1\n0\n"));
  EXPECT_NEAR(structure_.volume, 60.0, 1e-12);
  EXPECT_NEAR(structure_.DSpacing(0, 1, 0), 4.0, 1e-14);
  EXPECT_NEAR(structure_.DSpacing(1, 1, 1), 1 / std::sqrt(1 / 9.0 + 1 / 16.0 + 1 / 25.0), 1e-14);
}

TEST_F(StructureFileTest, HexagonalCellHasItsKnownBasisAndVolume) {
  ASSERT_TRUE(Load("Hexagonal\n3 3 5\n90 90 120\n1\nO 0 0 0 1\n0\n"));
  EXPECT_NEAR(structure_.a2x, -1.5, 1e-14);
  EXPECT_NEAR(structure_.a2y, 3 * std::sqrt(3.0) / 2, 1e-14);
  EXPECT_NEAR(structure_.volume, 9 * 5 * std::sqrt(3.0) / 2, 1e-12);
  // Hexagonal (1 0 0): d = a·√3/2.
  EXPECT_NEAR(structure_.DSpacing(1, 0, 0), 3 * std::sqrt(3.0) / 2, 1e-13);
  EXPECT_NEAR(structure_.DSpacing(0, 0, 2), 2.5, 1e-13);
}

TEST_F(StructureFileTest, ReciprocalBasisIsDualToTheDirectBasisOfATriclinicCell) {
  ASSERT_TRUE(Load("Triclinic\n4.1 5.3 6.7\n81 95.5 103\n1\nO 0 0 0 1\n0\n"));
  const CrystalStructure& s = structure_;
  const double direct[3][3] = {{s.a1x, 0, 0}, {s.a2x, s.a2y, 0}, {s.a3x, s.a3y, s.a3z}};
  const double reciprocal[3][3] = {{s.b1x, s.b1y, s.b1z}, {0, s.b2y, s.b2z}, {0, 0, s.b3z}};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      double dot = 0;
      for (int n = 0; n < 3; ++n) dot += reciprocal[i][n] * direct[j][n];
      EXPECT_NEAR(dot, i == j ? 1.0 : 0.0, 1e-14) << i << j;
    }
  }
  // The basis keeps the cell's lengths and angles.
  EXPECT_NEAR(std::hypot(s.a3x, s.a3y, s.a3z), 6.7, 1e-13);
  const double cosAlpha = (s.a2x * s.a3x + s.a2y * s.a3y) / (5.3 * 6.7);
  EXPECT_NEAR(cosAlpha, std::cos(81 * core::kDegree), 1e-14);
  // |H|² = 1/d², and the scalar product is symmetric and bilinear.
  EXPECT_NEAR(s.ReciprocalDot(1, -2, 3, 1, -2, 3), 1 / std::pow(s.DSpacing(1, -2, 3), 2), 1e-13);
  EXPECT_DOUBLE_EQ(s.ReciprocalDot(1, 0, 2, 0, 1, 1), s.ReciprocalDot(0, 1, 1, 1, 0, 2));
  EXPECT_NEAR(s.ReciprocalDot(0.5, 0, 1, 0, 2, 0), 0.5 * s.ReciprocalDot(1, 0, 0, 0, 2, 0) + s.ReciprocalDot(0, 0, 1, 0, 2, 0),
              1e-15);
}

TEST_F(StructureFileTest, ClearKeepsTheCellAndCopiesAreIndependent) {
  ASSERT_TRUE(Load(kSiliconText));
  structure_.manual = 1;
  structure_.lastEnergy = 1500;
  CrystalStructure copy;
  copy.CopyFrom(structure_);
  structure_.groups[0].atoms[0].x = 0.9;
  structure_.groups[0].table.f1[0] = -5;
  structure_.Clear();
  EXPECT_FALSE(structure_.IsLoaded());
  EXPECT_EQ(structure_.lastEnergy, -1);
  EXPECT_EQ(structure_.name, "Silicon");
  EXPECT_DOUBLE_EQ(structure_.b3z, 1 / kSiliconA);
  EXPECT_EQ(structure_.manual, 1);

  EXPECT_EQ(copy.manual, 1);
  EXPECT_EQ(copy.lastEnergy, 1500);
  ASSERT_EQ(copy.GroupCount(), 1);
  EXPECT_EQ(copy.groups[0].atoms[0].x, 0.0);
  EXPECT_DOUBLE_EQ(copy.groups[0].table.f1[0], 14.2);

  // Reloading a loaded structure replaces its groups instead of adding to them.
  ASSERT_TRUE(Load("Oxygen\n3 3 3\n90 90 90\n1\nO 0 0 0 1\n0\n"));
  ASSERT_TRUE(Load("Oxygen\n3 3 3\n90 90 90\n1\nO 0 0 0 1\n0\n"));
  ASSERT_EQ(structure_.GroupCount(), 1);
  EXPECT_EQ(structure_.groups[0].AtomCount(), 1);
}

TEST_F(StructureFileTest, DiamondBuilderMatchesTheSiliconFile) {
  ASSERT_TRUE(Load(kSiliconText));
  CrystalStructure diamond;
  diamond.name = "kept";
  ASSERT_TRUE(MakeDiamondCrystal(diamond, 14, kSiliconA, 530.82, 293.15, data_.path(), notifier_));
  EXPECT_EQ(diamond.name, "kept");
  ASSERT_EQ(diamond.GroupCount(), 1);
  const ElementGroup& built = diamond.groups[0];
  const ElementGroup& read = structure_.groups[0];
  ASSERT_EQ(built.AtomCount(), 8);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(built.atoms[i].x, read.atoms[i].x);
    EXPECT_EQ(built.atoms[i].y, read.atoms[i].y);
    EXPECT_EQ(built.atoms[i].z, read.atoms[i].z);
  }
  EXPECT_DOUBLE_EQ(built.thermalExponent, read.thermalExponent);
  EXPECT_DOUBLE_EQ(diamond.volume, structure_.volume);

  EXPECT_FALSE(MakeDiamondCrystal(diamond, 0, kSiliconA, 530.82, 293.15, data_.path(), notifier_));
  EXPECT_FALSE(MakeDiamondCrystal(diamond, 93, kSiliconA, 530.82, 293.15, data_.path(), notifier_));
  EXPECT_FALSE(MakeDiamondCrystal(diamond, 14, 0.0, 530.82, 293.15, data_.path(), notifier_));
}

}  // namespace
}  // namespace velto::crystal
