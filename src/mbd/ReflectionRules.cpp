#include "mbd/ReflectionRules.h"

#include <array>
#include <cctype>

namespace velto::mbd {

int DiamondAllowed(int h, int k, int l) {
  const bool allOdd = (h % 2 != 0) && (k % 2 != 0) && (l % 2 != 0);
  if (allOdd) return 1;
  const bool allEven = (h % 2 == 0) && (k % 2 == 0) && (l % 2 == 0);
  // C++ takes the remainder with the sign of the dividend, so -4 % 4 == 0
  // and negative sums are judged like positive ones.
  return allEven && (h + k + l) % 4 == 0 ? 1 : 0;
}

bool IsDiamondStructureName(std::string_view crystalName) {
  static constexpr std::array<std::string_view, 6> kNames = {"silicon", "si", "ge", "germanium", "c", "diamond"};
  for (std::string_view name : kNames) {
    if (name.size() != crystalName.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < name.size() && same; ++i)
      same = std::tolower(static_cast<unsigned char>(crystalName[i])) == name[i];
    if (same) return true;
  }
  return false;
}

}  // namespace velto::mbd
