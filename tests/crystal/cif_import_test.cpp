#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <map>
#include <sstream>
#include <vector>

#include "core/Units.h"
#include "crystal/AtomicData.h"
#include "crystal/CifImport.h"
#include "crystal/DebyeTemperatures.h"
#include "crystal/ElementTable.h"
#include "crystal/Susceptibility.h"
#include "support/RecordingNotifier.h"
#include "support/TestFiles.h"

// CIFs of published structures (tests/data/cif, sources in each file),
// expanded by their space groups, against the program's silicon example and
// against structure factors summed here over the equivalent positions that
// International Tables Vol. A lists for each space group.
namespace velto::crystal {
namespace {

using testing::BuildDataDirectory;
using testing::RecordingNotifier;
using testing::TemporaryDirectory;
using testing::TestDataPath;

constexpr double kEnergy = core::kCuKalpha1Kev * core::kEvPerKev;

struct Position {
  double x, y, z;
};

int AtomCount(const CrystalStructure& s) {
  int count = 0;
  for (const ElementGroup& group : s.groups) count += group.AtomCount();
  return count;
}

const ElementGroup& GroupOf(const CrystalStructure& s, int z) {
  for (const ElementGroup& group : s.groups)
    if (group.z == z) return group;
  throw std::runtime_error("no such element");
}

// Atoms at rest (Debye temperature 0): the comparison is of the positions,
// not of the Debye–Waller factors.
CrystalStructure LoadAtRest(const std::string& file, std::map<int, double> given, RecordingNotifier& notifier) {
  CrystalStructure s;
  StructFileFailure failure;
  EXPECT_TRUE(LoadCifFile(s, TestDataPath("cif/" + file), 293.15, BuildDataDirectory(), notifier, &failure, given))
      << failure.Describe();
  return s;
}

// |χh| from F = Σ f e^{2πi H·r} over positions written out by hand, with the
// atomic factors f0 + f' + i f'' of the program's tables at kEnergy.
double IndependentChi(CrystalStructure& s, int h, int k, int l, const std::map<int, std::vector<Position>>& atoms,
                      RecordingNotifier& notifier) {
  ChiOf(s, kEnergy, h, k, l, notifier);  // brings f' and f'' to kEnergy
  const double d = s.DSpacing(h, k, l);
  const double s2 = 1.0 / (4 * d * d);
  std::complex<double> f(0, 0);
  for (const auto& [z, positions] : atoms) {
    const ElementGroup& group = GroupOf(s, z);
    const std::complex<double> atom(F0At(group, s2) + group.fPrime, group.fDoublePrime);
    for (const Position& p : positions)
      f += atom * std::exp(std::complex<double>(0, 2 * core::kPi * (h * p.x + k * p.y + l * p.z)));
  }
  const double lambda = core::kHcEvAngstrom / kEnergy;
  return core::kElectronRadius * lambda * lambda / (core::kPi * s.volume) * std::abs(f);
}

std::vector<Position> WithCentring(std::vector<Position> positions, const std::vector<Position>& centring) {
  const std::size_t n = positions.size();
  for (const Position& t : centring)
    for (std::size_t i = 0; i < n; ++i)
      positions.push_back({positions[i].x + t.x, positions[i].y + t.y, positions[i].z + t.z});
  return positions;
}

TEST(CifImport, SiliconExpandsToEightAtomsAndGivesTheChiOfTheExampleFile) {
  RecordingNotifier notifier;
  CrystalStructure fromCif;
  StructFileFailure failure;
  ASSERT_TRUE(LoadCifFile(fromCif, TestDataPath("cif/silicon.cif"), 293.15, BuildDataDirectory(), notifier, &failure,
                          {{14, 530.82}}))
      << failure.Describe();
  CrystalStructure example;
  ASSERT_TRUE(LoadStructFile(example, BuildDataDirectory() / "Silicon.struct", 293.15, BuildDataDirectory(), notifier));
  ASSERT_EQ(fromCif.GroupCount(), 1);
  EXPECT_EQ(AtomCount(fromCif), 8);
  EXPECT_EQ(fromCif.name, "Silicon");
  for (auto [h, k, l] : {std::array{0, 0, 0}, {1, 1, 1}, {2, 2, 0}, {4, 0, 0}, {3, 3, 3}, {2, 0, 0}}) {
    const auto a = ChiOf(fromCif, kEnergy, h, k, l, notifier);
    const auto b = ChiOf(example, kEnergy, h, k, l, notifier);
    EXPECT_NEAR(a.real(), b.real(), 1e-12) << h << k << l;
    EXPECT_NEAR(a.imag(), b.imag(), 1e-12) << h << k << l;
  }
  EXPECT_TRUE(notifier.messages.empty());
  EXPECT_NEAR(Density(fromCif), 2.329, 0.001);  // the density of silicon, g/cm³
}

TEST(CifImport, QuartzFromItsHermannMauguinSymbol) {
  RecordingNotifier notifier;
  CrystalStructure s = LoadAtRest("quartz.cif", {{8, 0}, {14, 0}}, notifier);
  EXPECT_EQ(s.name, "alpha-Quartz");
  ASSERT_EQ(s.GroupCount(), 2);
  ASSERT_EQ(GroupOf(s, 14).AtomCount(), 3);
  EXPECT_EQ(GroupOf(s, 8).AtomCount(), 6);
  EXPECT_EQ(GroupOf(s, 14).atoms[0].z, 2.0 / 3);
  EXPECT_EQ(GroupOf(s, 14).atoms[2].z, 0.0);
  // The density of quartz, 2.648 g/cm³, is that of the slightly smaller cell
  // a = 4.9134 Å, c = 5.4052 Å most often cited; this one gives 2.6458.
  EXPECT_NEAR(Density(s), 2.648, 0.003);
  // P3(2)21: Si on 3a (x, 0, 2/3), O on 6c (x, y, z).
  const double x = 0.4697, ox = 0.4135, oy = 0.2669, oz = 0.7858;
  const std::map<int, std::vector<Position>> atoms{{14, {{x, 0, 2.0 / 3}, {0, x, 1.0 / 3}, {-x, -x, 0}}},
                                                   {8,
                                                    {{ox, oy, oz},
                                                     {-oy, ox - oy, oz + 2.0 / 3},
                                                     {-ox + oy, -ox, oz + 1.0 / 3},
                                                     {oy, ox, -oz},
                                                     {ox - oy, -oy, -oz + 1.0 / 3},
                                                     {-ox, -ox + oy, -oz + 2.0 / 3}}}};
  for (auto [h, k, l] : {std::array{1, 0, 1}, {1, 1, 2}}) {
    const double chi = std::abs(ChiOf(s, kEnergy, h, k, l, notifier));
    // The CIF writes 2/3 as 0.666667, which is read as 2/3.
    EXPECT_NEAR(chi, IndependentChi(s, h, k, l, atoms, notifier), 1e-9 * chi) << h << k << l;
    EXPECT_GT(chi, 1e-6);
  }
}

TEST(CifImport, SapphireInItsHexagonalSettingWithChargesDropped) {
  RecordingNotifier notifier;
  auto read = ReadCifFile(TestDataPath("cif/sapphire.cif"));
  ASSERT_TRUE(std::holds_alternative<CifCrystal>(read));
  const CifCrystal& crystal = std::get<CifCrystal>(read);
  bool noted = false;
  for (const std::string& note : crystal.notes)
    noted |= note.find("charges of Al3+, O2- are dropped") != std::string::npos;
  EXPECT_TRUE(noted);

  CrystalStructure s = LoadAtRest("sapphire.cif", {{8, 0}, {13, 0}}, notifier);
  EXPECT_EQ(GroupOf(s, 13).AtomCount(), 12);
  EXPECT_EQ(GroupOf(s, 8).AtomCount(), 18);
  // The X-ray density of corundum, 3.987 g/cm³ (this cell gives 3.984).
  EXPECT_NEAR(Density(s), 3.987, 0.004);
  // R-3c, hexagonal axes: Al on 12c (0, 0, z), O on 18e (x, 0, 1/4), each
  // with the centring translations (2/3, 1/3, 1/3) and (1/3, 2/3, 2/3).
  const double z = 0.35216, x = 0.30624;
  const std::vector<Position> centring{{2.0 / 3, 1.0 / 3, 1.0 / 3}, {1.0 / 3, 2.0 / 3, 2.0 / 3}};
  const std::map<int, std::vector<Position>> atoms{
      {13, WithCentring({{0, 0, z}, {0, 0, -z + 0.5}, {0, 0, -z}, {0, 0, z + 0.5}}, centring)},
      {8, WithCentring({{x, 0, 0.25}, {0, x, 0.25}, {-x, -x, 0.25}, {-x, 0, 0.75}, {0, -x, 0.75}, {x, x, 0.75}},
                       centring)}};
  for (auto [h, k, l] : {std::array{1, 0, 4}, {0, 0, 6}}) {
    const double chi = std::abs(ChiOf(s, kEnergy, h, k, l, notifier));
    EXPECT_NEAR(chi, IndependentChi(s, h, k, l, atoms, notifier), 1e-9 * chi) << h << k << l;
    EXPECT_GT(chi, 5e-7);
  }
  // Absent: 0 0 3 by the c glide (0 0 l needs l = 6n), 1 0 0 by the
  // centring (−h + k + l = 3n).
  EXPECT_LT(std::abs(ChiOf(s, kEnergy, 0, 0, 3, notifier)), 1e-15);
  EXPECT_LT(std::abs(ChiOf(s, kEnergy, 1, 0, 0, notifier)), 1e-15);
}

TEST(CifImport, GalliumArsenideFromItsHallSymbol) {
  RecordingNotifier notifier;
  CrystalStructure s = LoadAtRest("gaas.cif", {{31, 0}, {33, 0}}, notifier);
  EXPECT_EQ(GroupOf(s, 31).AtomCount(), 4);
  EXPECT_EQ(GroupOf(s, 33).AtomCount(), 4);
  EXPECT_NEAR(Density(s), 5.317, 0.002);  // the density of GaAs, g/cm³
  // Zinc blende: F = 4 (f_Ga + f_As e^{iπ(h+k+l)/2}) for unmixed h, k, l.
  for (auto [h, k, l] : {std::array{1, 1, 1}, {4, 0, 0}}) {
    const double chi = std::abs(ChiOf(s, kEnergy, h, k, l, notifier));
    const std::map<int, std::vector<Position>> pair{{31, {{0, 0, 0}}}, {33, {{0.25, 0.25, 0.25}}}};
    EXPECT_NEAR(chi, 4 * IndependentChi(s, h, k, l, pair, notifier), 1e-9 * chi) << h << k << l;
  }
  // 200 is weak (f_Ga − f_As), 220 strong (f_Ga + f_As).
  EXPECT_LT(std::abs(ChiOf(s, kEnergy, 2, 0, 0, notifier)), 0.1 * std::abs(ChiOf(s, kEnergy, 2, 2, 0, notifier)));
}

// |χh| of the expanded cells against a calculation that shares nothing with
// ours: xraylib 4.0.0 (Debian python3-xraylib 4.0.0+dfsg1-3), the structure
// factor Crystal_F_H_StructureFactor of its own crystal database
// (AlphaQuartz, Sapphire, GaAs: its cells, positions, f0, f' and f'') with
// no Debye–Waller factor, at 8.047988 keV, turned into χ = r_e λ² |F| / (πV).
// Its cells differ from the CIFs' by up to 0.1 %, hence the 1 % tolerance.
TEST(CifImport, ChiOfExpandedCellsAgreesWithXraylib) {
  struct Case {
    const char* file;
    std::map<int, double> atRest;
    std::array<int, 3> hkl;
    double xraylib;
  };
  const Case cases[] = {
      {"quartz.cif", {{8, 0}, {14, 0}}, {1, 0, 1}, 4.9644e-06},
      {"quartz.cif", {{8, 0}, {14, 0}}, {1, 1, 2}, 4.7832e-06},
      {"sapphire.cif", {{8, 0}, {13, 0}}, {1, 0, 4}, 7.0688e-06},
      {"sapphire.cif", {{8, 0}, {13, 0}}, {0, 0, 6}, 9.8818e-07},
      {"gaas.cif", {{31, 0}, {33, 0}}, {1, 1, 1}, 1.7588e-05},
      {"gaas.cif", {{31, 0}, {33, 0}}, {4, 0, 0}, 1.8186e-05},
  };
  for (const Case& c : cases) {
    RecordingNotifier notifier;
    CrystalStructure s = LoadAtRest(c.file, c.atRest, notifier);
    const auto [h, k, l] = c.hkl;
    EXPECT_NEAR(std::abs(ChiOf(s, kEnergy, h, k, l, notifier)), c.xraylib, 0.01 * c.xraylib)
        << c.file << ' ' << h << k << l;
  }
}

TEST(CifImport, ListedOperationsAndSpecialPositions) {
  TemporaryDirectory folder;
  const std::string cif =
      "data_test\n_cell_length_a 5\n_cell_length_b 6\n_cell_length_c 7\n"  // angles default to 90
      "loop_\n_space_group_symop_operation_xyz\n'x, y, z'\n'-x, -y, -z'\n"
      "loop_\n_atom_site_label\n_atom_site_fract_x\n_atom_site_fract_y\n_atom_site_fract_z\n"
      "_atom_site_U_iso_or_equiv\n"
      "Cu1 0.1 0.2 0.3 0.0075\nCu2 0 0.5 0 .\nCu3 0.99999999999 0 0 ?\n";
  auto read = ReadCif(cif);
  ASSERT_TRUE(std::holds_alternative<CifCrystal>(read)) << std::get<std::string>(read);
  CifCrystal crystal = std::get<CifCrystal>(read);
  EXPECT_EQ(crystal.description.atoms.size(), 4u);  // 2 + 1 + 1 (the origin written with rounding)
  EXPECT_DOUBLE_EQ(crystal.description.gamma, 90);
  EXPECT_DOUBLE_EQ(crystal.description.atoms[3].x, 0.0);
  ASSERT_EQ(crystal.bIso.count(29), 1u);
  // Only Cu1 (both of its images) has a displacement parameter.
  EXPECT_NEAR(crystal.bIso[29], 8 * core::kPi * core::kPi * 0.0075, 1e-12);
  EXPECT_EQ(crystal.temperature, kCifDefaultTemperature);
  // The B of Cu1 is the one of a Debye temperature: the table's value for
  // copper is not taken.
  EXPECT_TRUE(ResolveDebyeTemperatures(crystal).empty());
  const double theta = crystal.description.debyeTemperatures.at(29);
  EXPECT_NEAR(DebyeWallerB(ElementTable::Mass(29), theta, kCifDefaultTemperature), crystal.bIso[29], 1e-9);
  EXPECT_NE(theta, *TabulatedDebyeTemperature(29));
}

TEST(CifImport, DebyeTemperaturesFromDisplacementParametersTheTableOrNowhere) {
  // The inversion gives back the Debye temperature of silicon's example
  // file from its B at room temperature, and a B of about 0.46 Å² (the
  // room-temperature B of silicon) from it.
  const double b = DebyeWallerB(ElementTable::Mass(14), 530.82, 293.15);
  EXPECT_NEAR(b, 0.46, 0.02);
  ASSERT_TRUE(DebyeTemperatureFromB(14, b, 293.15).has_value());
  EXPECT_NEAR(*DebyeTemperatureFromB(14, b, 293.15), 530.82, 1e-6);
  // Heavier atoms vibrate less at the same Debye temperature: the same B
  // needs a lower one.
  EXPECT_LT(*DebyeTemperatureFromB(82, b, 293.15), 530.82);
  EXPECT_FALSE(DebyeTemperatureFromB(14, 0, 293.15).has_value());
  EXPECT_FALSE(DebyeTemperatureFromB(14, 1e6, 293.15).has_value());

  auto read = ReadCifFile(TestDataPath("cif/quartz.cif"));
  ASSERT_TRUE(std::holds_alternative<CifCrystal>(read));
  CifCrystal quartz = std::get<CifCrystal>(read);
  EXPECT_EQ(quartz.temperature, 295);
  // Silicon is in the table (its own crystal), oxygen nowhere.
  EXPECT_EQ(ResolveDebyeTemperatures(quartz), std::vector<int>{8});
  EXPECT_EQ(quartz.description.debyeTemperatures.at(14), 645);
  EXPECT_EQ(MissingDebyeMessage({8}).rfind("no Debye temperature for O:", 0), 0u);

  RecordingNotifier notifier;
  CrystalStructure s;
  StructFileFailure failure;
  EXPECT_FALSE(LoadCifFile(s, TestDataPath("cif/quartz.cif"), 293.15, BuildDataDirectory(), notifier, &failure));
  EXPECT_EQ(failure.what, MissingDebyeMessage({8}));
  // The one that is given is taken: the same structure as the table and O = 0 gives.
  EXPECT_TRUE(
      LoadCifFile(s, TestDataPath("cif/quartz.cif"), 293.15, BuildDataDirectory(), notifier, &failure, {{8, 400}}));
  EXPECT_EQ(GroupOf(s, 8).debyeTemperature, 400);
  EXPECT_EQ(GroupOf(s, 14).debyeTemperature, 645);
}

TEST(CifImport, RefusalsSayWhy) {
  const std::string cell = "_cell_length_a 5\n_cell_length_b 5\n_cell_length_c 5\n";
  const std::string sites =
      "loop_\n_atom_site_label\n_atom_site_fract_x\n_atom_site_fract_y\n_atom_site_fract_z\n"
      "Si1 0 0 0\n";
  const std::string group = "_symmetry_space_group_name_H-M 'P m -3 m'\n";
  auto reason = [](const std::string& text) {
    auto read = ReadCif(text);
    return std::holds_alternative<std::string>(read) ? std::get<std::string>(read) : std::string("accepted");
  };
  EXPECT_EQ(reason("data_x\n" + cell + group + sites), "accepted");
  EXPECT_EQ(reason("data_x\n_cell_length_a 5\n_cell_length_b 5\n" + group + sites),
            "the CIF gives no cell: _cell_length_a, _cell_length_b and _cell_length_c are needed");
  EXPECT_EQ(reason("data_x\n_cell_length_a ?\n_cell_length_b 5\n_cell_length_c 5\n" + group + sites),
            "the CIF gives no cell: _cell_length_a, _cell_length_b and _cell_length_c are needed");
  EXPECT_EQ(reason("data_x\n" + cell + "_symmetry_space_group_name_H-M 'P 7 q'\n" + sites),
            "unknown space group \"P 7 q\"");
  // Hall symbols of the table of settings, in any letter case and spacing.
  EXPECT_EQ(reason("data_x\n" + cell + "_space_group_name_Hall ' -p 4  2 3'\n" + sites), "accepted");
  EXPECT_EQ(reason("data_x\n" + cell + "_space_group_name_Hall 'Q 9'\n" + sites),
            "unknown space group: Hall symbol \"Q 9\"");
  EXPECT_EQ(reason("data_x\n" + cell + sites), "the CIF names no space group and lists no symmetry operations");
  std::string tooMany = "data_x\n" + cell + "loop_\n_symmetry_equiv_pos_as_xyz\n";
  for (int i = 0; i < 193; ++i) tooMany += "x,y,z\n";
  EXPECT_EQ(reason(tooMany + sites), "the CIF lists 193 symmetry operations; a space group has at most 192");
  EXPECT_EQ(reason("data_x\n" + cell + "loop_\n_symmetry_equiv_pos_as_xyz\n'x,y'\n" + sites),
            "the symmetry operation \"x,y\" cannot be read");
  EXPECT_EQ(reason("data_x\n" + cell + group),
            "the CIF has no atom sites with fractional coordinates "
            "(_atom_site_fract_x, y, z)");
  EXPECT_EQ(reason("data_x\n" + cell + group +
                   "loop_\n_atom_site_label\n_atom_site_fract_x\n_atom_site_fract_y\n_atom_site_fract_z\n"),
            "the CIF lists no atom sites");
  EXPECT_EQ(reason("data_x\n" + cell + group +
                   "loop_\n_atom_site_label\n_atom_site_fract_x\n_atom_site_fract_y\n_atom_site_fract_z\nXx1 0 0 0\n"),
            "site Xx1: no element of the table (H to U) in \"Xx1\"");
  EXPECT_EQ(reason("data_x\n" + cell + group +
                   "loop_\n_atom_site_label\n_atom_site_fract_x\n_atom_site_fract_y\n_atom_site_fract_z\nSi1 0 ? 0\n"),
            "site Si1 has no fractional coordinates");
  // Faults of the CIF syntax, as gemmi's parser reports them: source, line
  // and column, and what is wrong.
  EXPECT_EQ(reason("data_x\n" + cell + group + "loop_\n_atom_site_label\n_atom_site_fract_x\nSi1 0 0\n"),
            "the file cannot be read as a CIF: CIF:6:1: Wrong number of values in the loop");
  EXPECT_EQ(reason("data_x\nloop_\n_a\n_b\n1 2\n3 \"4\n"),
            "the file cannot be read as a CIF: CIF:6:5: unterminated \"string\"");
  EXPECT_EQ(reason("data_x\n_a\n;\nnever closed\n"),
            "the file cannot be read as a CIF: CIF:5:1: unterminated text field");
  EXPECT_EQ(reason("data_x\n_cell_length_a 'five\n"),
            "the file cannot be read as a CIF: CIF:2:21: unterminated 'string'");
  EXPECT_EQ(reason("_cell_length_a 5\n"), "the file cannot be read as a CIF: CIF:1:1: expected block header (data_)");
  EXPECT_EQ(reason("data_x\n_cell_length_a\n_cell_length_b 5\n"),
            "the file cannot be read as a CIF: CIF:2 in data_x: _cell_length_a has no value");
  EXPECT_EQ(reason("data_x\n" + cell + "_cell_length_a 6\n" + group + sites),
            "the file cannot be read as a CIF: CIF:5 in data_x: duplicate tag _cell_length_a");
  EXPECT_EQ(reason(""), "the CIF holds no data block");

  // A missing file, and a CIF through the loader of every program.
  RecordingNotifier notifier;
  CrystalStructure s;
  StructFileFailure failure;
  TemporaryDirectory folder;
  EXPECT_FALSE(LoadStructureFile(s, folder.path() / "none.CIF", 293.15, BuildDataDirectory(), notifier, &failure));
  EXPECT_FALSE(failure.what.empty());
  // A fault of the syntax in a file is told with the file's path.
  const auto broken = folder.Write("broken.cif", "data_x\n" + cell + "_symmetry_space_group_name_H-M 'P m -3 m\n");
  EXPECT_FALSE(LoadStructureFile(s, broken, 293.15, BuildDataDirectory(), notifier, &failure));
  EXPECT_EQ(failure.what, "the file cannot be read as a CIF: " + broken.string() + ":5:41: unterminated 'string'");
  const auto path = folder.Write("cell.Cif", "data_x\n" + cell + group + sites);
  ASSERT_TRUE(LoadStructureFile(s, path, 293.15, BuildDataDirectory(), notifier, &failure)) << failure.Describe();
  EXPECT_EQ(AtomCount(s), 1);
  EXPECT_EQ(GroupOf(s, 14).debyeTemperature, 645);
}

TEST(CifImport, TextFieldsQuotesAndCommentsAreCifSyntax) {
  const std::string cif =
      "# a comment\ndata_first\n_cell_length_a 1\n"
      "data_second\n_chemical_name_mineral\n;\nLong name\n;\n"
      "_cell_length_a 4.0 _cell_length_b 4.0 _cell_length_c 4.0  # the cell\n"
      "_symmetry_space_group_name_H-M \"F m -3 m\"\n"
      "loop_ _atom_site_label _atom_site_type_symbol _atom_site_fract_x _atom_site_fract_y _atom_site_fract_z\n"
      "'Na 1' Na 0 0 0  Cl1 Cl- 0.5 0.5 0.5\r\n";
  auto read = ReadCif(cif);
  ASSERT_TRUE(std::holds_alternative<CifCrystal>(read)) << std::get<std::string>(read);
  const CifCrystal& crystal = std::get<CifCrystal>(read);
  // The block with atom sites is read, whatever comes before it.
  EXPECT_EQ(crystal.description.name, "Long name");
  EXPECT_EQ(crystal.description.atoms.size(), 8u);
  EXPECT_EQ(crystal.description.atoms.front().symbol, "Na");
  EXPECT_EQ(crystal.description.atoms.back().symbol, "Cl");
}

TEST(CifImport, ShippedExampleStructuresHaveTheDensitiesOfTheirCrystals) {
  // Densities in g/cm³ at room temperature: Madelung, Semiconductors: Data
  // Handbook (Ge 5.323, diamond 3.515, GaAs 5.317, InSb 5.775); LiF 2.640,
  // CRC Handbook of Chemistry and Physics; quartz and corundum as above, for
  // the cells of their sources.
  struct Example {
    const char* file;
    int atoms;
    double density;
  };
  for (const Example& e : {Example{"Germanium.struct", 8, 5.323},
                           {"Diamond.struct", 8, 3.515},
                           {"GaAs.struct", 8, 5.317},
                           {"InSb.struct", 8, 5.775},
                           {"LiF.struct", 8, 2.640},
                           {"Quartz.struct", 9, 2.6458},
                           {"Sapphire.struct", 30, 3.9841}}) {
    RecordingNotifier notifier;
    CrystalStructure s;
    StructFileFailure failure;
    ASSERT_TRUE(LoadStructFile(s, BuildDataDirectory() / e.file, 293.15, BuildDataDirectory(), notifier, &failure))
        << e.file << ": " << failure.Describe();
    EXPECT_EQ(AtomCount(s), e.atoms) << e.file;
    EXPECT_NEAR(Density(s), e.density, 0.002) << e.file;
  }
}

TEST(StructDescription, WrittenTextReadsBackThroughTheReader) {
  StructDescription d;
  d.name = "Two\nlines ! not a comment";
  d.a = 4.1;
  d.b = 4.2;
  d.c = 1.0 / 3;
  d.gamma = 120;
  d.atoms = {{"As", 0.25, 0.25, 0.25, 1}, {"Ga", 0, 0, 0, 0.5}, {"Ga", 0.1, 0.2, 0.3, 1}};
  d.debyeTemperatures = {{31, 320}, {33, 282.5}};
  std::istringstream text(FormatStructFile(d));
  CrystalStructure s;
  RecordingNotifier notifier;
  ASSERT_TRUE(ReadStructFile(s, text, 293.15, BuildDataDirectory(), notifier));
  EXPECT_EQ(s.name, "Two lines not a comment");
  EXPECT_EQ(s.c, 1.0 / 3);
  EXPECT_NEAR(s.gamma, 120 * core::kDegree, 1e-15);
  ASSERT_EQ(s.GroupCount(), 2);
  EXPECT_EQ(s.groups[0].z, 31);
  EXPECT_EQ(s.groups[0].debyeTemperature, 320);
  EXPECT_EQ(s.groups[0].atoms[0].occupancy, 0.5);
  EXPECT_EQ(s.groups[1].debyeTemperature, 282.5);
}

}  // namespace
}  // namespace velto::crystal
