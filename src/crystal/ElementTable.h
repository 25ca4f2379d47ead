#pragma once
#include <string>
#include <string_view>

namespace velto::crystal {

// The elements H (Z = 1) to U (Z = 92): symbols and the atomic masses (u)
// used for Debye–Waller factors. Index 0 is a blank entry.
class ElementTable {
 public:
  static constexpr int kCount = 92;

  // The symbol of element z, "" outside 1..92.
  static std::string_view Symbol(int z);
  // The atomic mass of element z in u, 0 outside 1..92.
  static double Mass(int z);
  // The atomic number of a symbol, compared without regard to letter case and
  // only with symbols of the same length ("si" is silicon, "Si4+" nothing);
  // 0 when there is none.
  static int Find(std::string_view symbol);
  // "Si (Z = 14)", for messages about the data of an element.
  static std::string Name(int z);
};

}  // namespace velto::crystal
