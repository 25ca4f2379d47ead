#include "crystal/CrystalStructure.h"

#include <array>
#include <cmath>
#include <fstream>

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

double NumberOf(const std::string& field) { return core::LeadingNumber(field).value_or(0.0); }

double Occupancy(double value) { return (value < 1e-10 || value > 1.0) ? 1.0 : value; }

bool AllFinite(std::initializer_list<double> values) {
  for (double v : values)
    if (!std::isfinite(v)) return false;
  return true;
}

// The one way the reader refuses a file: false, with the reason when the
// caller asked for one.
bool Refuse(LoadFailure* failure, int line, std::string what) {
  if (failure) *failure = {line, std::move(what)};
  return false;
}

// Lines of the file the cell came from, for the reasons of a refused cell.
struct CellLines {
  int lengths = 0;
  int angles = 0;
};

// Steps shared by the file reader and the diamond builder once the cell and
// the groups are known.
bool Complete(CrystalStructure& structure, double temperature, const std::filesystem::path& dataDirectory,
              core::Notifier& notifier, CellLines lines = {}, LoadFailure* failure = nullptr) {
  // The cell is checked before the atomic data so that a file describing no
  // lattice is refused without messages about data files.
  if (!ComputeLattice(structure)) {
    const bool lengthsUsable = AllFinite({structure.a, structure.b, structure.c}) && structure.a > 0 &&
                               structure.b > 0 && structure.c > 0;
    if (!lengthsUsable) return Refuse(failure, lines.lengths, "the cell lengths a, b, c must be positive numbers");
    return Refuse(failure, lines.angles, "the cell angles alpha, beta, gamma describe no cell");
  }
  if (!LoadAtomicData(structure, dataDirectory, notifier)) {
    return Refuse(failure, 0,
                  "the atomic data of its elements cannot be read from " + (dataDirectory / "f0f1f2").string());
  }
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

bool ComputeLattice(CrystalStructure& s) {
  if (!AllFinite({s.a, s.b, s.c, s.alpha, s.beta, s.gamma})) return false;
  s.a1x = s.a;
  s.a2x = s.b * std::cos(s.gamma);
  s.a2y = s.b * std::sin(s.gamma);
  s.a3x = s.c * std::cos(s.beta);
  s.a3y = s.c * (std::cos(s.alpha) - std::cos(s.beta) * std::cos(s.gamma)) / std::sin(s.gamma);
  const double a3zSquared = s.c * s.c - s.a3x * s.a3x - s.a3y * s.a3y;
  // Angles that no parallelepiped has (and zero or negative lengths) leave
  // nothing to take the root of, or a cell without volume.
  if (!(a3zSquared > 0)) return false;
  s.a3z = std::sqrt(a3zSquared);
  s.volume = s.a1x * s.a2y * s.a3z;
  if (!(s.volume > 0) || !std::isfinite(s.volume)) return false;
  const double v = s.volume;
  s.b1x = s.a2y * s.a3z / v;
  s.b1y = -s.a2x * s.a3z / v;
  s.b1z = (s.a2x * s.a3y - s.a3x * s.a2y) / v;
  s.b2y = s.a1x * s.a3z / v;
  s.b2z = -s.a1x * s.a3y / v;
  s.b3z = s.a1x * s.a2y / v;
  return AllFinite({s.a2x, s.a2y, s.a3x, s.a3y, s.b1x, s.b1y, s.b1z, s.b2y, s.b2z, s.b3z});
}

std::string DescribeLoadFailure(const std::filesystem::path& path, const LoadFailure& failure) {
  std::string text = path.filename().string();
  if (failure.line > 0) text += ", line " + std::to_string(failure.line);
  return text + ": " + failure.what + ".";
}

bool LoadStructFile(CrystalStructure& structure, const std::filesystem::path& path, double temperature,
                    const std::filesystem::path& dataDirectory, core::Notifier& notifier, LoadFailure* failure) {
  structure.Clear();
  std::error_code error;
  // A directory opens as a stream on some systems and then reads as empty.
  if (std::filesystem::is_directory(path, error)) return Refuse(failure, 0, "it is a directory, not a file");
  std::ifstream in(path, std::ios::binary);
  if (!in) return Refuse(failure, 0, "the file cannot be opened");
  core::NormalisedLineReader reader(in);

  structure.name = reader.Next();
  CellLines cellLines;
  const auto lengths = core::SplitFields(reader.Next(), 3);
  cellLines.lengths = reader.LineNumber();
  structure.a = NumberOf(lengths[0]);
  structure.b = NumberOf(lengths[1]);
  structure.c = NumberOf(lengths[2]);
  const auto angles = core::SplitFields(reader.Next(), 3);
  cellLines.angles = reader.LineNumber();
  structure.alpha = NumberOf(angles[0]) * core::kDegree;
  structure.beta = NumberOf(angles[1]) * core::kDegree;
  structure.gamma = NumberOf(angles[2]) * core::kDegree;

  const std::string countLine = reader.Next();
  const int atomCount = core::LeadingInteger(countLine).value_or(0);
  if (atomCount < 0 || atomCount > kMostAtoms) {
    return Refuse(failure, reader.LineNumber(),
                  "the number of atoms must lie between 0 and " + std::to_string(kMostAtoms) + ", not \"" +
                      countLine.substr(0, 40) + "\"");
  }

  // Atoms by element, each element's atoms in file order.
  std::array<std::vector<AtomSite>, ElementTable::kCount + 1> byElement;
  for (int i = 0; i < atomCount; ++i) {
    const std::string line = reader.Next();
    if (line.empty()) {
      return Refuse(failure, reader.LineNumber(),
                    "the file ends after " + std::to_string(i) + " of its " + std::to_string(atomCount) +
                        " atom lines");
    }
    const auto fields = core::SplitFields(line, 5);
    const int z = ElementTable::Find(fields[0]);
    if (z == 0) {
      return Refuse(failure, reader.LineNumber(), "unknown element symbol \"" + fields[0].substr(0, 40) + "\"");
    }
    AtomSite atom{NumberOf(fields[1]), NumberOf(fields[2]), NumberOf(fields[3]), Occupancy(NumberOf(fields[4]))};
    if (!AllFinite({atom.x, atom.y, atom.z})) {
      return Refuse(failure, reader.LineNumber(), "the coordinates of the atom are not finite numbers");
    }
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

  return Complete(structure, temperature, dataDirectory, notifier, cellLines, failure);
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
  return Complete(structure, temperature, dataDirectory, notifier);
}

}  // namespace velto::crystal
