#pragma once
#include <string>
#include <vector>

#include "support/TestFiles.h"

namespace velto::testing {

// A small data directory with the layout of the real one: f0 records whose
// f0(0) equals Z exactly (so expected values are known in closed form), and
// f1/f2 tables at 1000, 2000 and 3000 eV for the chosen elements with
// f1 = Z + 0.2, Z + 0.4, Z + 0.8 and f2 = 1, 2, 3 (or 0 when `absorbing` is
// false).
class SyntheticAtomicData {
 public:
  explicit SyntheticAtomicData(const std::vector<std::string>& symbolsWithZ, bool absorbing = true) {
    std::string f0;
    for (int z = 1; z <= 92; ++z) {
      // a1..a5 c b1..b5
      f0 += std::to_string(0.4 * z) + " " + std::to_string(0.3 * z) + " " + std::to_string(0.2 * z) + " " +
            std::to_string(0.1 * z) + " 0 0 10 5 2 1 0.5\n";
    }
    directory_.Write("f0f1f2/f0_Params11.dat", f0);
    for (const std::string& entry : symbolsWithZ) {
      const auto space = entry.find(' ');
      const std::string symbol = entry.substr(0, space);
      const int z = std::stoi(entry.substr(space + 1));
      const double f2 = absorbing ? 1.0 : 0.0;
      std::string table;
      table += "1000 " + std::to_string(z + 0.2) + " " + std::to_string(f2) + "\n";
      table += "2000 " + std::to_string(z + 0.4) + " " + std::to_string(2 * f2) + "\n";
      table += "3000 " + std::to_string(z + 0.8) + " " + std::to_string(3 * f2) + "\n";
      directory_.Write("f0f1f2/f1f2_" + symbol + ".dat", table);
    }
  }

  const std::filesystem::path& path() const { return directory_.path(); }
  std::filesystem::path Write(std::string_view name, std::string_view content) const {
    return directory_.Write(name, content);
  }

 private:
  TemporaryDirectory directory_;
};

// The silicon example file: eight atoms of the diamond structure.
inline constexpr const char* kSiliconText =
    "Silicon\n5.43102064 5.43102064 5.43102064\n90 90 90\n8\n"
    "Si 0 0 0 1\nSi 0.5 0.5 0 1\nSi 0.5 0 0.5 1\nSi 0 0.5 0.5 1\n"
    "Si 0.25 0.25 0.25 1\nSi 0.75 0.75 0.25 1\nSi 0.75 0.25 0.75 1\nSi 0.25 0.75 0.75 1\n"
    "530.82\n";

}  // namespace velto::testing
