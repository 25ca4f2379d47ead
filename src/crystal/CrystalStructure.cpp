#include "crystal/CrystalStructure.h"

#include <array>
#include <cmath>
#include <fstream>

#include "core/InputFile.h"
#include "core/NormalisedLines.h"
#include "core/TextNumbers.h"
#include "core/Units.h"
#include "crystal/AtomicData.h"
#include "crystal/ElementTable.h"
#include "crystal/Susceptibility.h"

namespace velto::crystal {
namespace {

// More atom lines than any unit cell a person would type; a count above it
// is taken for a corrupt file rather than a reason to read forever.
constexpr int kMostAtoms = 100000;
// A cell whose volume is below this fraction of a·b·c is flat.
constexpr double kLeastVolumeFraction = 1e-6;

double NumberOf(const std::string& field) { return core::LeadingNumber(field).value_or(0.0); }

double Occupancy(double value) { return (value < 1e-10 || value > 1.0) ? 1.0 : value; }

bool AllFinite(std::initializer_list<double> values) {
  for (double v : values)
    if (!std::isfinite(v)) return false;
  return true;
}

// Why the cell describes no lattice, or null when it does; the lattice
// fields are computed as far as they can be.
const char* LatticeFault(CrystalStructure& s) {
  if (!AllFinite({s.a, s.b, s.c, s.alpha, s.beta, s.gamma})) return "the cell holds numbers that are not finite";
  if (!(s.a > 0 && s.b > 0 && s.c > 0)) return "the cell edges a, b, c must be positive";
  s.a1x = s.a;
  s.a2x = s.b * std::cos(s.gamma);
  s.a2y = s.b * std::sin(s.gamma);
  s.a3x = s.c * std::cos(s.beta);
  s.a3y = s.c * (std::cos(s.alpha) - std::cos(s.beta) * std::cos(s.gamma)) / std::sin(s.gamma);
  const double a3zSquared = s.c * s.c - s.a3x * s.a3x - s.a3y * s.a3y;
  // Angles that no parallelepiped has leave nothing to take the root of.
  if (!(a3zSquared > 0)) return "the cell angles alpha, beta, gamma describe no cell";
  s.a3z = std::sqrt(a3zSquared);
  s.volume = s.a1x * s.a2y * s.a3z;
  // Angles that only rounding keeps from a flat cell (alpha = beta = gamma =
  // 120 degrees) leave a volume of rounding errors, and every chi with it.
  if (!(s.volume >= kLeastVolumeFraction * s.a * s.b * s.c) || !std::isfinite(s.volume))
    return "the cell angles alpha, beta, gamma leave the cell without volume";
  const double v = s.volume;
  s.b1x = s.a2y * s.a3z / v;
  s.b1y = -s.a2x * s.a3z / v;
  s.b1z = (s.a2x * s.a3y - s.a3x * s.a2y) / v;
  s.b2y = s.a1x * s.a3z / v;
  s.b2z = -s.a1x * s.a3y / v;
  s.b3z = s.a1x * s.a2y / v;
  if (!AllFinite({s.a2x, s.a2y, s.a3x, s.a3y, s.b1x, s.b1y, s.b1z, s.b2y, s.b2z, s.b3z}))
    return "the cell gives a lattice that is not finite";
  return nullptr;
}

bool Fail(StructFileFailure* failure, int line, std::string what) {
  if (failure) *failure = {line, std::move(what)};
  return false;
}

// Steps shared by the file reader and the diamond builder once the cell and
// the groups are known.
bool Complete(CrystalStructure& structure, double temperature, const std::filesystem::path& dataDirectory,
              core::Notifier& notifier, StructFileFailure* failure) {
  // The cell is checked before the atomic data so that a file describing no
  // lattice is refused without messages about data files.
  if (const char* fault = LatticeFault(structure)) return Fail(failure, 0, fault);
  if (!LoadAtomicData(structure, dataDirectory, notifier))
    return Fail(failure, 0, "the atomic data of its elements cannot be loaded");
  SetTemperature(structure, temperature);
  return true;
}

}  // namespace

void CrystalStructure::Clear() {
  groups.clear();
  lastEnergy = -1;
}

double CrystalStructure::DSpacing(int h, int k, int l) const {
  if (h == 0 && k == 0 && l == 0) return 0.0;
  const double hx = h * b1x;
  const double hy = h * b1y + k * b2y;
  const double hz = h * b1z + k * b2z + l * b3z;
  return 1.0 / std::sqrt(hx * hx + hy * hy + hz * hz);
}

double CrystalStructure::ReciprocalDot(double h1, double k1, double l1, double h2, double k2, double l2) const {
  const double x1 = h1 * b1x;
  const double y1 = h1 * b1y + k1 * b2y;
  const double z1 = h1 * b1z + k1 * b2z + l1 * b3z;
  const double x2 = h2 * b1x;
  const double y2 = h2 * b1y + k2 * b2y;
  const double z2 = h2 * b1z + k2 * b2z + l2 * b3z;
  return x1 * x2 + y1 * y2 + z1 * z2;
}

double Density(const CrystalStructure& structure) {
  if (!(structure.volume > 0)) return 0.0;
  double mass = 0;  // u
  for (const ElementGroup& group : structure.groups)
    for (const AtomSite& atom : group.atoms) mass += atom.occupancy * ElementTable::Mass(group.z);
  // 1 u/Å³ = 1.66053906660 g/cm³ (the atomic mass constant in grams, times 1e24).
  return mass * 1.66053906660 / structure.volume;
}

bool ComputeLattice(CrystalStructure& structure) { return LatticeFault(structure) == nullptr; }

bool LoadStructFile(CrystalStructure& structure, const std::filesystem::path& path, double temperature,
                    const std::filesystem::path& dataDirectory, core::Notifier& notifier, StructFileFailure* failure) {
  structure.Clear();
  std::ifstream in;
  if (auto reason = core::OpenInputFile(path, in)) return Fail(failure, 0, *reason);
  return ReadStructFile(structure, in, temperature, dataDirectory, notifier, failure);
}

bool ReadStructFile(CrystalStructure& structure, std::istream& in, double temperature,
                    const std::filesystem::path& dataDirectory, core::Notifier& notifier, StructFileFailure* failure) {
  structure.Clear();
  core::NormalisedLineReader reader(in);

  structure.name = reader.Next();
  const auto lengths = core::SplitFields(reader.Next(), 3);
  structure.a = NumberOf(lengths[0]);
  structure.b = NumberOf(lengths[1]);
  structure.c = NumberOf(lengths[2]);
  const auto angles = core::SplitFields(reader.Next(), 3);
  structure.alpha = NumberOf(angles[0]) * core::kDegree;
  structure.beta = NumberOf(angles[1]) * core::kDegree;
  structure.gamma = NumberOf(angles[2]) * core::kDegree;

  const std::string countLine = reader.Next();
  const int atomCount = core::LeadingInteger(countLine).value_or(0);
  if (atomCount < 0 || atomCount > kMostAtoms)
    return Fail(failure, reader.LineNumber(),
                "the number of atoms \"" + countLine + "\" is not between 0 and " + std::to_string(kMostAtoms));

  // Atoms by element, each element's atoms in file order. A file that ends
  // before its N atom lines gives empty lines, whose blank symbol matches no
  // element.
  std::array<std::vector<AtomSite>, ElementTable::kCount + 1> byElement;
  for (int i = 0; i < atomCount; ++i) {
    const auto fields = core::SplitFields(reader.Next(), 5);
    if (reader.AtEnd() && fields[0].empty())
      return Fail(failure, reader.LineNumber(),
                  "the file ends after " + std::to_string(i) + " of its " + std::to_string(atomCount) + " atoms");
    const int z = ElementTable::Find(fields[0]);
    if (z == 0) return Fail(failure, reader.LineNumber(), "unknown element symbol \"" + fields[0] + "\"");
    AtomSite atom{NumberOf(fields[1]), NumberOf(fields[2]), NumberOf(fields[3]), Occupancy(NumberOf(fields[4]))};
    if (!AllFinite({atom.x, atom.y, atom.z}))
      return Fail(failure, reader.LineNumber(), "the coordinates of the atom are not finite");
    byElement[z].push_back(atom);
  }
  for (int z = 1; z <= ElementTable::kCount; ++z) {
    if (byElement[z].empty()) continue;
    ElementGroup group;
    group.z = z;
    group.atoms = std::move(byElement[z]);
    structure.groups.push_back(std::move(group));
  }
  // One Debye temperature per element in ascending Z; missing lines read as
  // 0 (no thermal vibration).
  for (ElementGroup& group : structure.groups) group.debyeTemperature = NumberOf(reader.Next());

  return Complete(structure, temperature, dataDirectory, notifier, failure);
}

bool MakeDiamondCrystal(CrystalStructure& structure, int z, double latticeConstant, double debyeTemperature,
                        double temperature, const std::filesystem::path& dataDirectory, core::Notifier& notifier) {
  structure.Clear();
  if (z < 1 || z > ElementTable::kCount) return false;
  structure.a = structure.b = structure.c = latticeConstant;
  structure.alpha = structure.beta = structure.gamma = 90.0 * core::kDegree;
  ElementGroup group;
  group.z = z;
  group.debyeTemperature = debyeTemperature;
  group.atoms = {{0, 0, 0, 1},          {0.5, 0.5, 0, 1},      {0.5, 0, 0.5, 1},      {0, 0.5, 0.5, 1},
                 {0.25, 0.25, 0.25, 1}, {0.75, 0.75, 0.25, 1}, {0.75, 0.25, 0.75, 1}, {0.25, 0.75, 0.75, 1}};
  structure.groups.push_back(std::move(group));
  return Complete(structure, temperature, dataDirectory, notifier, nullptr);
}

}  // namespace velto::crystal
