#include "crystal/ElementTable.h"

#include <array>

namespace velto::crystal {
namespace {

struct Element {
  std::string_view symbol;
  double mass;  // u
};

// Standard atomic weights as single-precision values (hydrogen: the mass of
// 1H), kept so that Debye–Waller factors stay comparable between versions.
// Helium takes the IUPAC standard atomic weight, 4.002602 u.
constexpr std::array<Element, ElementTable::kCount + 1> kElements{{
    {"", 0.0},
    {"H", 1.00782503}, {"He", 4.002602}, {"Li", 6.94099998}, {"Be", 9.01218033}, {"B", 10.8100004}, {"C", 12.0109997},
    {"N", 14.0066996}, {"O", 15.9994001}, {"F", 18.9983997}, {"Ne", 20.1790009}, {"Na", 22.9897995}, {"Mg", 24.3050003},
    {"Al", 26.9815006}, {"Si", 28.0855007}, {"P", 30.9738007}, {"S", 32.0600014}, {"Cl", 35.4529991}, {"Ar", 39.9480019},
    {"K", 39.0983009}, {"Ca", 40.0800018}, {"Sc", 44.9558983}, {"Ti", 47.8800011}, {"V", 50.9415016}, {"Cr", 51.9959984},
    {"Mn", 54.9379997}, {"Fe", 55.8470001}, {"Co", 58.9332008}, {"Ni", 58.6899986}, {"Cu", 63.5460014}, {"Zn", 65.3799973},
    {"Ga", 69.7200012}, {"Ge", 72.5899963}, {"As", 74.9216003}, {"Se", 78.9599991}, {"Br", 79.9039993}, {"Kr", 83.8000031},
    {"Rb", 85.4677963}, {"Sr", 87.6200027}, {"Y", 88.905899}, {"Zr", 91.2200012}, {"Nb", 92.9064026}, {"Mo", 95.9400024},
    {"Tc", 98.0}, {"Ru", 101.07}, {"Rh", 102.905502}, {"Pd", 106.419998}, {"Ag", 107.868202}, {"Cd", 112.410004},
    {"In", 114.82}, {"Sn", 118.690002}, {"Sb", 121.75}, {"Te", 127.599998}, {"I", 126.904503}, {"Xe", 131.289993},
    {"Cs", 132.905396}, {"Ba", 137.330002}, {"La", 138.905502}, {"Ce", 140.119995}, {"Pr", 140.9077}, {"Nd", 144.240005},
    {"Pm", 145.0}, {"Sm", 150.360001}, {"Eu", 151.960007}, {"Gd", 157.25}, {"Tb", 158.9254}, {"Dy", 162.5},
    {"Ho", 164.930405}, {"Er", 167.259995}, {"Tm", 168.934204}, {"Yb", 173.039993}, {"Lu", 174.966995}, {"Hf", 178.490005},
    {"Ta", 180.947906}, {"W", 183.850006}, {"Re", 186.207001}, {"Os", 190.199997}, {"Ir", 192.220001}, {"Pt", 195.080002},
    {"Au", 196.966507}, {"Hg", 200.589996}, {"Tl", 204.382996}, {"Pb", 207.199997}, {"Bi", 208.980392}, {"Po", 209.0},
    {"At", 210.0}, {"Rn", 222.0}, {"Fr", 223.0}, {"Ra", 226.025406}, {"Ac", 227.027802}, {"Th", 232.038101},
    {"Pa", 231.035904}, {"U", 238.0289},
}};

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameSymbol(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

}  // namespace

std::string_view ElementTable::Symbol(int z) { return (z >= 1 && z <= kCount) ? kElements[z].symbol : std::string_view(); }

double ElementTable::Mass(int z) { return (z >= 1 && z <= kCount) ? kElements[z].mass : 0.0; }

int ElementTable::Find(std::string_view symbol) {
  if (symbol.empty()) return 0;
  for (int z = 1; z <= kCount; ++z)
    if (SameSymbol(symbol, kElements[z].symbol)) return z;
  return 0;
}

std::string ElementTable::Name(int z) { return std::string(Symbol(z)) + " (Z = " + std::to_string(z) + ")"; }

}  // namespace velto::crystal
