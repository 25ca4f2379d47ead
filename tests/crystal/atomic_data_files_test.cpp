// The atomic data files shipped beside the executables, checked as a user
// relies on them: the format the readers expect, and the physics the
// numbers must show. The files are read directly here, so that a fault in
// the data cannot hide behind a fault in the readers, or the other way round.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/Units.h"
#include "support/TestFiles.h"

namespace velto::crystal {
namespace {

// The element table of the program, Z = 1..92; the f1/f2 files are named after it.
constexpr std::array<const char*, 92> kSymbols = {
    "H",  "He", "Li", "Be", "B",  "C",  "N",  "O",  "F",  "Ne", "Na", "Mg", "Al", "Si", "P",  "S",
    "Cl", "Ar", "K",  "Ca", "Sc", "Ti", "V",  "Cr", "Mn", "Fe", "Co", "Ni", "Cu", "Zn", "Ga", "Ge",
    "As", "Se", "Br", "Kr", "Rb", "Sr", "Y",  "Zr", "Nb", "Mo", "Tc", "Ru", "Rh", "Pd", "Ag", "Cd",
    "In", "Sn", "Sb", "Te", "I",  "Xe", "Cs", "Ba", "La", "Ce", "Pr", "Nd", "Pm", "Sm", "Eu", "Gd",
    "Tb", "Dy", "Ho", "Er", "Tm", "Yb", "Lu", "Hf", "Ta", "W",  "Re", "Os", "Ir", "Pt", "Au", "Hg",
    "Tl", "Pb", "Bi", "Po", "At", "Rn", "Fr", "Ra", "Ac", "Th", "Pa", "U"};

std::filesystem::path AtomicDataPath(const std::string& name) {
  return testing::BuildDataDirectory() / "f0f1f2" / name;
}

// Every white-space separated field of a line as a number; false when a
// field is not a number as a whole (the readers' "%lf" would stop there).
bool ReadNumbers(const std::string& line, std::vector<double>& numbers) {
  numbers.clear();
  std::istringstream fields(line);
  std::string field;
  while (fields >> field) {
    char* end = nullptr;
    const double value = std::strtod(field.c_str(), &end);
    if (end != field.c_str() + field.size() || !std::isfinite(value)) return false;
    numbers.push_back(value);
  }
  return true;
}

struct F0Record {
  std::array<double, 5> a{};
  double c = 0.0;
  std::array<double, 5> b{};

  // Waasmaier–Kirfel: f0(s) = Σ a_i exp(−b_i s²) + c with s = sin θ / λ in Å⁻¹.
  double F0(double s) const {
    double f0 = c;
    for (int i = 0; i < 5; ++i) f0 += a[i] * std::exp(-b[i] * s * s);
    return f0;
  }
};

class F0ParameterFile : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::ifstream in(AtomicDataPath("f0_Params11.dat"), std::ios::binary);
    ASSERT_TRUE(in) << "f0_Params11.dat is missing from the data directory";
    std::string line;
    std::vector<double> numbers;
    while (std::getline(in, line)) {
      ++lineCount_;
      ASSERT_EQ(line.find('\r'), std::string::npos) << "line " << lineCount_ << " has a carriage return";
      ASSERT_TRUE(ReadNumbers(line, numbers)) << "line " << lineCount_ << ": " << line;
      ASSERT_EQ(numbers.size(), 11u) << "line " << lineCount_ << ": " << line;
      F0Record record;
      for (int i = 0; i < 5; ++i) {
        record.a[i] = numbers[i];
        record.b[i] = numbers[6 + i];
      }
      record.c = numbers[5];
      records_.push_back(record);
    }
  }
  static const F0Record& Of(int z) { return records_.at(static_cast<std::size_t>(z - 1)); }

  static inline std::vector<F0Record> records_;
  static inline int lineCount_ = 0;
};

TEST_F(F0ParameterFile, HoldsElevenNumbersForEachOfTheNinetyTwoElements) {
  EXPECT_EQ(lineCount_, 92);
  EXPECT_EQ(records_.size(), 92u);
}

TEST_F(F0ParameterFile, ForwardScatteringCountsTheElectronsOfTheNeutralAtom) {
  ASSERT_EQ(records_.size(), 92u);
  // The sum of the coefficients is f0 at s = 0, the number of electrons.
  // The Waasmaier–Kirfel fits reproduce it within 0.04 for every element
  // (Os is the worst), within 0.002 for silicon.
  EXPECT_NEAR(Of(14).F0(0.0), 14.0, 0.01);
  EXPECT_NEAR(Of(1).F0(0.0), 1.0, 0.01);
  for (int z = 1; z <= 92; ++z) EXPECT_NEAR(Of(z).F0(0.0), z, 0.05) << kSymbols[z - 1];
}

TEST_F(F0ParameterFile, SiliconMatchesTheInternationalTables) {
  ASSERT_EQ(records_.size(), 92u);
  // International Tables for Crystallography Vol. C (1992), Table 6.1.1.1,
  // neutral Si: f0 = 6.24 at sin θ/λ = 0.5 Å⁻¹ and 9.67 at 0.2 Å⁻¹.
  EXPECT_NEAR(Of(14).F0(0.5), 6.24, 0.03);
  EXPECT_NEAR(Of(14).F0(0.2), 9.67, 0.05);
  // The Si 1 1 1 reflection at s = √3 / (2a) with a = 5.43102064 Å lies between.
  const double s111 = std::sqrt(3.0) / (2.0 * 5.43102064);
  EXPECT_GT(Of(14).F0(s111), 9.67);
  EXPECT_LT(Of(14).F0(s111), 14.0);
}

TEST_F(F0ParameterFile, FallsMonotonicallyWithScatteringAngleForEveryElement) {
  ASSERT_EQ(records_.size(), 92u);
  // A spherical neutral atom scatters less and less as sin θ/λ grows; a
  // record in the wrong order of a and b columns breaks this at once.
  for (int z = 1; z <= 92; ++z) {
    double previous = Of(z).F0(0.0);
    for (int step = 1; step <= 200; ++step) {
      const double f0 = Of(z).F0(0.01 * step);
      ASSERT_LT(f0, previous) << kSymbols[z - 1] << " at s = " << 0.01 * step;
      previous = f0;
    }
    EXPECT_LT(Of(z).F0(2.0), 0.35 * z) << kSymbols[z - 1];
    EXPECT_GT(Of(z).F0(2.0), 0.0) << kSymbols[z - 1];
  }
}

struct F1F2Table {
  std::vector<double> energy, f1, f2;
  std::string problem;  // empty when every row read as the readers expect

  // The readers' rule: linear between the row below and the first row strictly above.
  std::array<double, 2> At(double e) const {
    std::size_t j = 0;
    while (j < energy.size() && energy[j] <= e) ++j;
    if (j == 0 || j == energy.size()) return {NAN, NAN};
    const double w = (e - energy[j - 1]) / (energy[j] - energy[j - 1]);
    return {f1[j - 1] + w * (f1[j] - f1[j - 1]), f2[j - 1] + w * (f2[j] - f2[j - 1])};
  }
};

F1F2Table ReadF1F2(const std::string& symbol) {
  F1F2Table table;
  std::ifstream in(AtomicDataPath("f1f2_" + symbol + ".dat"), std::ios::binary);
  if (!in) {
    table.problem = "file missing";
    return table;
  }
  std::string line;
  std::vector<double> numbers;
  int row = 0;
  while (std::getline(in, line)) {
    ++row;
    if (line.find('\r') != std::string::npos || !ReadNumbers(line, numbers) || numbers.size() != 3) {
      table.problem = "row " + std::to_string(row) + " is not three numbers: " + line;
      return table;
    }
    table.energy.push_back(numbers[0]);
    table.f1.push_back(numbers[1]);
    table.f2.push_back(numbers[2]);
  }
  return table;
}

TEST(F1F2Files, EveryElementHasAnAscendingTableCoveringOneToOneHundredKev) {
  for (int z = 1; z <= 92; ++z) {
    const std::string symbol = kSymbols[z - 1];
    const F1F2Table table = ReadF1F2(symbol);
    ASSERT_TRUE(table.problem.empty()) << symbol << ": " << table.problem;
    ASSERT_GE(table.energy.size(), 2u) << symbol;
    // A non-positive energy would end the table early; equal energies would
    // make the interpolation divide by zero.
    EXPECT_GT(table.energy.front(), 0.0) << symbol;
    for (std::size_t i = 1; i < table.energy.size(); ++i) {
      ASSERT_GT(table.energy[i], table.energy[i - 1]) << symbol << " row " << i + 1;
    }
    // Both ends of the suite's energy range must interpolate inside the table.
    EXPECT_LT(table.energy.front(), 1000.0) << symbol;
    EXPECT_GT(table.energy.back(), 100000.0) << symbol;
    // f2 is proportional to the photoabsorption cross-section.
    for (std::size_t i = 0; i < table.f2.size(); ++i) ASSERT_GE(table.f2[i], 0.0) << symbol << " row " << i + 1;
  }
}

TEST(F1F2Files, RealPartApproachesTheAtomicNumberFarAboveTheEdges) {
  for (int z = 1; z <= 92; ++z) {
    const F1F2Table table = ReadF1F2(kSymbols[z - 1]);
    ASSERT_TRUE(table.problem.empty()) << kSymbols[z - 1] << ": " << table.problem;
    const double fPrime = table.At(100000.0)[0] - z;
    // Above its last edge f′ is small and negative. Up to Nd (K edge 43.6 keV)
    // 100 keV is far above the K edge; the heaviest elements have their K edge
    // near 100 keV (Fr 101 keV, U 115.6 keV) and a relativistic term of about
    // −1.5 electrons, so for them only a bound in proportion to Z holds.
    EXPECT_LT(fPrime, 0.0) << kSymbols[z - 1];
    if (z <= 60) {
      EXPECT_NEAR(fPrime, 0.0, 0.5) << kSymbols[z - 1];
    } else {
      EXPECT_GT(fPrime, -0.05 * z) << kSymbols[z - 1];
    }
  }
}

TEST(F1F2Files, SiliconAtCopperKAlphaMatchesChantler) {
  const F1F2Table silicon = ReadF1F2("Si");
  ASSERT_TRUE(silicon.problem.empty()) << silicon.problem;
  // Chantler, J. Phys. Chem. Ref. Data 29, 597 (2000) (FFAST): silicon at
  // 8.048 keV has f′ = +0.25 and f″ = 0.33 electrons. The file holds f1 = Z + f′.
  const auto [f1, f2] = silicon.At(core::kCuKalpha1Kev * core::kEvPerKev);
  EXPECT_NEAR(f1 - 14.0, 0.25, 0.05);
  EXPECT_NEAR(f2, 0.33, 0.03);
}

TEST(F1F2Files, ImaginaryPartGivesTheMeasuredAttenuationOfSilicon) {
  const F1F2Table silicon = ReadF1F2("Si");
  ASSERT_TRUE(silicon.problem.empty()) << silicon.problem;
  // Optical theorem: photoabsorption per atom σ = 2 r_e λ f″. Hubbell &
  // Seltzer (NIST X-ray mass attenuation coefficients) give for silicon
  // µ/ρ = 62.4 cm²/g at 8.048 keV (log-log between 63.47 at 8 keV and 33.89
  // at 10 keV), of which scattering is about 3 %.
  const double energy = core::kCuKalpha1Kev * core::kEvPerKev;
  const double f2 = silicon.At(energy)[1];
  const double sigmaSquareAngstrom = 2.0 * core::kElectronRadius * core::WavelengthOf(energy) * f2;
  const double avogadro = 6.02214076e23;
  const double siliconMolarMass = 28.0855;  // g/mol
  const double massAttenuation = sigmaSquareAngstrom * 1e-16 * avogadro / siliconMolarMass;  // cm²/g
  EXPECT_NEAR(massAttenuation, 62.4, 0.05 * 62.4);
  EXPECT_LT(massAttenuation, 62.4);
}

TEST(F1F2Files, KeepTheJumpOfTheKAbsorptionEdge) {
  // K-edge energies from Bearden & Burr, Rev. Mod. Phys. 39, 125 (1967).
  // Above the K edge the K shell adds its absorption: f″ grows several fold
  // within a few eV, and f′ has its resonant dip at the edge.
  struct Edge {
    const char* symbol;
    int z;
    double kEdgeEv;
  };
  for (const Edge& edge : {Edge{"Si", 14, 1838.9}, Edge{"Cu", 29, 8979.0}, Edge{"Ge", 32, 11103.1}}) {
    const F1F2Table table = ReadF1F2(edge.symbol);
    ASSERT_TRUE(table.problem.empty()) << edge.symbol << ": " << table.problem;
    const auto below = table.At(edge.kEdgeEv - 10.0);
    const auto above = table.At(edge.kEdgeEv + 10.0);
    EXPECT_GT(above[1], 5.0 * below[1]) << edge.symbol;
    const auto wellBelow = table.At(0.8 * edge.kEdgeEv);
    EXPECT_LT(below[0], wellBelow[0] - 1.0) << edge.symbol;
    EXPECT_LT(below[0], edge.z) << edge.symbol;
  }
}

TEST(SiliconExample, IsTheReferenceStructureFile) {
  const std::string expected =
      "Silicon\n"
      "5.43102064 5.43102064 5.43102064\n"
      "90 90 90\n"
      "8\n"
      "Si 0 0 0 1\n"
      "Si 0.5 0.5 0 1\n"
      "Si 0.5 0 0.5 1\n"
      "Si 0 0.5 0.5 1\n"
      "Si 0.25 0.25 0.25 1\n"
      "Si 0.75 0.75 0.25 1\n"
      "Si 0.75 0.25 0.75 1\n"
      "Si 0.25 0.75 0.75 1\n"
      "530.82\n";
  EXPECT_EQ(testing::ReadWholeFile(testing::BuildDataDirectory() / "Silicon.struct"), expected);
}

}  // namespace
}  // namespace velto::crystal
