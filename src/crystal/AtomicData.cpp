#include "crystal/AtomicData.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "core/InputFile.h"
#include "core/TextNumbers.h"
#include "crystal/ElementTable.h"
#include "crystal/FormFactorChecks.h"

namespace velto::crystal {
namespace {

constexpr int kF0RecordLength = 11;  // a1..a5, c, b1..b5 as the file holds them

// Reads whitespace-separated numbers from a text file the way the tables are
// written, without the process locale and without trusting the file: a word
// longer than any number is not a number, and infinities or NaNs are not
// accepted as data.
class NumberScanner {
 public:
  explicit NumberScanner(std::istream& in) : in_(in) {}

  std::optional<double> Next() {
    int c = in_.get();
    while (c != std::char_traits<char>::eof() && IsBlank(c)) c = in_.get();
    if (c == std::char_traits<char>::eof()) return std::nullopt;
    std::string word;
    bool tooLong = false;
    while (c != std::char_traits<char>::eof() && !IsBlank(c)) {
      if (word.size() < kLongestNumber) {
        word.push_back(static_cast<char>(c));
      } else {
        tooLong = true;
      }
      c = in_.get();
    }
    if (tooLong) return std::nullopt;
    return ParseWord(word);
  }

 private:
  static constexpr std::size_t kLongestNumber = 64;

  static bool IsBlank(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

  static std::optional<double> ParseWord(std::string_view word) {
    if (!word.empty() && word.front() == '+') word.remove_prefix(1);
    double value = 0;
    const auto result = std::from_chars(word.data(), word.data() + word.size(), value);
    if (result.ec != std::errc() || result.ptr != word.data() + word.size() || !std::isfinite(value))
      return std::nullopt;
    return value;
  }

  std::istream& in_;
};

std::string Quoted(const std::filesystem::path& path) { return "\"" + path.string() + "\""; }

// The f0 records of Z = 1..maxZ, eleven numbers each; fewer when the file
// ends early or holds something that is not a number.
std::vector<double> ReadF0Records(std::istream& in, int maxZ) {
  std::vector<double> numbers;
  const std::size_t wanted = static_cast<std::size_t>(maxZ) * kF0RecordLength;
  numbers.reserve(wanted);
  NumberScanner scanner(in);
  while (numbers.size() < wanted) {
    const auto value = scanner.Next();
    if (!value) break;
    numbers.push_back(*value);
  }
  return numbers;
}

constexpr double kMostF0Deviation = 0.1;  // electrons
// The five-Gaussian fits hold from sin θ/λ = 0 to 6 Å⁻¹.
constexpr double kHighestFitS = 6.0;

// Interpolation needs energies that rise from row to row; f2 counts
// absorption and cannot be negative; neither factor can be far above the
// element's electron count.
std::optional<std::string> TableFault(const ScatteringTable& table, int z) {
  for (int i = 0; i < table.RowCount(); ++i) {
    if (i > 0 && !(table.energy[i] > table.energy[i - 1]))
      return "the energy " + core::FormatGeneral(table.energy[i]) + " eV of row " + std::to_string(i + 1) +
             " does not rise above the row before";
    if (table.f2[i] < 0)
      return "f2 = " + core::FormatGeneral(table.f2[i]) + " in row " + std::to_string(i + 1) + " is negative";
    if (const auto fault = AnomalousFactorFault(z, table.f1[i], table.f2[i]))
      return *fault + " in row " + std::to_string(i + 1);
  }
  return std::nullopt;
}

}  // namespace

std::filesystem::path F0ParameterPath(const std::filesystem::path& dataDirectory) {
  return dataDirectory / "f0f1f2" / "f0_Params11.dat";
}

std::filesystem::path ScatteringTablePath(const std::filesystem::path& dataDirectory, int z) {
  return dataDirectory / "f0f1f2" / ("f1f2_" + std::string(ElementTable::Symbol(z)) + ".dat");
}

std::optional<ScatteringTable> ReadScatteringTable(const std::filesystem::path& path) {
  std::ifstream in;
  if (core::OpenInputFile(path, in)) return std::nullopt;
  ScatteringTable table;
  NumberScanner scanner(in);
  for (;;) {
    const auto energy = scanner.Next();
    if (!energy || *energy <= 0) break;
    const auto f1 = scanner.Next();
    if (!f1) break;
    const auto f2 = scanner.Next();
    if (!f2) break;
    table.energy.push_back(*energy);
    table.f1.push_back(*f1);
    table.f2.push_back(*f2);
  }
  return table;
}

bool LoadAtomicData(CrystalStructure& structure, const std::filesystem::path& dataDirectory,
                    core::Notifier& notifier) {
  const std::filesystem::path f0Path = F0ParameterPath(dataDirectory);
  {
    std::ifstream in;
    if (core::OpenInputFile(f0Path, in)) {
      notifier.Console("\nError: Failed to open file " + Quoted(f0Path) + " !!!");
      return false;
    }
    int maxZ = 0;
    for (const ElementGroup& group : structure.groups) maxZ = std::max(maxZ, group.z);
    const std::vector<double> numbers = ReadF0Records(in, maxZ);
    for (ElementGroup& group : structure.groups) {
      const std::size_t first = static_cast<std::size_t>(group.z - 1) * kF0RecordLength;
      if (group.z < 1 || first + kF0RecordLength > numbers.size()) {
        notifier.Console("\nError: File " + Quoted(f0Path) + " holds no f0 parameters for Z = " +
                         std::to_string(group.z) + " !!!");
        return false;
      }
      const double* record = numbers.data() + first;
      for (int i = 0; i < 5; ++i) {
        group.f0Parameters[i] = record[i];           // a1..a5
        group.f0Parameters[5 + i] = -record[6 + i];  // -b1..-b5
      }
      group.f0Parameters[10] = record[5];  // c
      // A record of another element, or of garbage, gives numbers without
      // a word; f0 in the forward direction counts the electrons.
      const double forward = F0At(group, 0);
      if (!(std::fabs(forward - group.z) <= kMostF0Deviation)) {
        notifier.Notify("Error! File " + f0Path.string() + ": the f0 parameters of " + ElementTable::Name(group.z) +
                            " give f0(0) = " + core::FormatGeneral(forward) + ", not within 0.1 of Z !!!!",
                        core::MessageIcon::None);
        return false;
      }
      // f0(0) can be right while an exponent sends f0 to infinity at the
      // first reflection.
      if (const auto fault = GaussianF0Fault(std::span(record, 5), std::span(record + 6, 5), record[5], kHighestFitS)) {
        notifier.Notify("Error! File " + f0Path.string() + ": the f0 parameters of " + ElementTable::Name(group.z) +
                            ": " + *fault + " !!!!",
                        core::MessageIcon::None);
        return false;
      }
    }
  }

  for (ElementGroup& group : structure.groups) {
    const std::filesystem::path tablePath = ScatteringTablePath(dataDirectory, group.z);
    std::optional<ScatteringTable> table = ReadScatteringTable(tablePath);
    if (!table) {
      notifier.Notify("Error! Failed to open file " + tablePath.string() + " !!!!", core::MessageIcon::None);
      return false;
    }
    // Interpolation needs two rows; a shorter table could only ever refuse
    // every energy, so it is refused here, where the file can be named.
    if (table->RowCount() < 2) {
      notifier.Notify("Error! File " + tablePath.string() + " holds fewer than two rows of energy, f1, f2 !!!!",
                      core::MessageIcon::None);
      return false;
    }
    if (const auto fault = TableFault(*table, group.z)) {
      notifier.Notify("Error! File " + tablePath.string() + " (" + ElementTable::Name(group.z) + "): " + *fault + " !!!!",
                      core::MessageIcon::None);
      return false;
    }
    group.table = std::move(*table);
  }
  return true;
}

double F0At(const ElementGroup& group, double s2) {
  const auto& p = group.f0Parameters;
  double f0 = p[10];
  for (int i = 0; i < 5; ++i) f0 += p[i] * std::exp(p[5 + i] * s2);
  return f0;
}

bool UpdateAnomalousFactors(CrystalStructure& structure, double energyEv, core::Notifier& notifier) {
  structure.lastEnergy = energyEv;
  for (ElementGroup& group : structure.groups) {
    const ScatteringTable& table = group.table;
    const int rows = table.RowCount();
    int j = 0;
    while (j < rows && !(table.energy[j] > energyEv)) ++j;
    const char* failure = nullptr;
    if (j == 0) {
      failure = "Error! Energy below the file range!!!";
    } else if (j == rows) {
      failure = "\nError! Energy exceeds the file range!!!\n\n";
    }
    if (failure) {
      // The groups before this one already hold factors at the new energy and
      // the others at an older one: no energy describes them all any more.
      structure.lastEnergy = -1;
      notifier.Notify(failure, core::MessageIcon::None);
      return false;
    }
    const double w = (energyEv - table.energy[j - 1]) / (table.energy[j] - table.energy[j - 1]);
    const double f1 = table.f1[j - 1] + w * (table.f1[j] - table.f1[j - 1]);
    const double f2 = table.f2[j - 1] + w * (table.f2[j] - table.f2[j - 1]);
    group.fPrime = f1 - group.z;
    group.fDoublePrime = f2;
  }
  return true;
}

}  // namespace velto::crystal
