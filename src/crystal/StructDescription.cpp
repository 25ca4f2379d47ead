#include "crystal/StructDescription.h"

#include <cstdio>
#include <cstdlib>
#include <set>

#include "crystal/ElementTable.h"

namespace velto::crystal {
namespace {

// The shortest of 15 or 17 significant digits that reads back as the same
// double: 0.1 stays 0.1, 1/3 keeps every bit.
std::string Number(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.15g", value);
  if (std::strtod(text, nullptr) != value) std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

// A name holding a line break would shift every line after it, and a "!"
// would cut it short: both would make another file than the one meant.
std::string OneLineName(const std::string& name) {
  std::string line;
  for (char c : name) line += (c == '\n' || c == '\r' || c == '!') ? ' ' : c;
  const auto first = line.find_first_not_of(" \t,");
  return first == std::string::npos ? std::string("Crystal") : line.substr(first);
}

}  // namespace

std::vector<int> ElementsOf(const StructDescription& description) {
  std::set<int> elements;
  for (const AtomLine& atom : description.atoms)
    if (int z = ElementTable::Find(atom.symbol)) elements.insert(z);
  return {elements.begin(), elements.end()};
}

std::string FormatStructFile(const StructDescription& d) {
  std::string text = OneLineName(d.name) + "\n";
  text += Number(d.a) + " " + Number(d.b) + " " + Number(d.c) + "\n";
  text += Number(d.alpha) + " " + Number(d.beta) + " " + Number(d.gamma) + "\n";
  text += std::to_string(d.atoms.size()) + "\n";
  for (const AtomLine& atom : d.atoms)
    text += (atom.symbol.empty() ? std::string("?") : atom.symbol) + " " + Number(atom.x) + " " + Number(atom.y) + " " +
            Number(atom.z) + " " + Number(atom.occupancy) + "\n";
  for (int z : ElementsOf(d)) {
    const auto found = d.debyeTemperatures.find(z);
    text += Number(found == d.debyeTemperatures.end() ? 0.0 : found->second) + "  ! " +
            std::string(ElementTable::Symbol(z)) + "\n";
  }
  return text;
}

}  // namespace velto::crystal
