#pragma once
#include <map>
#include <string>
#include <vector>

namespace velto::crystal {

// One atom line of a structure file, as written: the element symbol, the
// fractional coordinates and the occupancy.
struct AtomLine {
  std::string symbol;
  double x = 0;
  double y = 0;
  double z = 0;
  double occupancy = 1;
};

// The content of a structure file before it is read: what the structure
// editor and the CIF import put together. It becomes a CrystalStructure only
// through the file's text and the reader (ReadStructFile), so that whatever
// is made here loads in every program exactly as the saved file will.
struct StructDescription {
  std::string name;
  double a = 0, b = 0, c = 0;                // Å
  double alpha = 90, beta = 90, gamma = 90;  // degrees
  std::vector<AtomLine> atoms;
  // Debye temperature (K) by atomic number; an element of the atoms that has
  // none here is written with 0, no thermal vibration.
  std::map<int, double> debyeTemperatures;
};

// The atomic numbers of the elements of the atom lines, ascending: the order
// of the file's Debye-temperature lines. Symbols that name no element are
// left out.
std::vector<int> ElementsOf(const StructDescription& description);

// The text of the structure file. Numbers are written with enough digits to
// read back the same doubles; the name is kept to one line without the
// characters the reader would take for a comment or a separator at its start.
std::string FormatStructFile(const StructDescription& description);

}  // namespace velto::crystal
