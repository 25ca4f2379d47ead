#pragma once
#include <array>
#include <filesystem>
#include <istream>
#include <string>
#include <vector>

#include "core/Notifier.h"

namespace velto::crystal {

// One atom of the unit cell, in fractional coordinates.
struct AtomSite {
  double x = 0;
  double y = 0;
  double z = 0;
  double occupancy = 1;
};

// The tabulated anomalous scattering of one element: rows of photon energy
// (eV, ascending), f1 (= Z + f') and f2, in electrons.
struct ScatteringTable {
  std::vector<double> energy;
  std::vector<double> f1;
  std::vector<double> f2;

  int RowCount() const { return static_cast<int>(energy.size()); }
};

// The atoms of one element in the cell, with the element's thermal and
// scattering data.
struct ElementGroup {
  int z = 0;                     // atomic number, 1..92
  double debyeTemperature = 0;   // K; 0 or below: no thermal vibration
  double thermalExponent = 0;    // -B in Å² at the current temperature
  std::vector<AtomSite> atoms;   // in file order
  double fPrime = 0;             // f' at the structure's last energy
  double fDoublePrime = 0;       // f'' at the structure's last energy
  // a1..a5, then the exponents stored negated (-b1..-b5), then c.
  std::array<double, 11> f0Parameters{};
  ScatteringTable table;

  int AtomCount() const { return static_cast<int>(atoms.size()); }
};

// A crystal: cell, lattice and the atoms grouped by element. A plain value:
// copying it copies everything (groups, atoms and tables).
struct CrystalStructure {
  int manual = 0;  // 1 when the chi components were set by hand
  std::string name;
  double a = 0, b = 0, c = 0;               // Å
  double alpha = 0, beta = 0, gamma = 0;    // radians
  // Direct basis a1 = (a1x, 0, 0), a2 = (a2x, a2y, 0), a3 = (a3x, a3y, a3z), in Å.
  double a1x = 0, a2x = 0, a2y = 0, a3x = 0, a3y = 0, a3z = 0;
  double volume = 0;  // Å³
  // Reciprocal basis without 2π (b_i · a_j = δ_ij): b1 = (b1x, b1y, b1z),
  // b2 = (0, b2y, b2z), b3 = (0, 0, b3z), in Å⁻¹.
  double b1x = 0, b1y = 0, b1z = 0, b2y = 0, b2z = 0, b3z = 0;
  std::vector<ElementGroup> groups;  // ascending atomic number
  double lastEnergy = -1;            // eV of the last f'/f'' interpolation; -1 when none

  int GroupCount() const { return static_cast<int>(groups.size()); }
  bool IsLoaded() const { return !groups.empty(); }

  // Drops the groups and the last energy; name, cell and lattice stay.
  void Clear();
  // Deep copy of every field (the value semantics make it an assignment).
  void CopyFrom(const CrystalStructure& other) { *this = other; }

  // d-spacing of (h, k, l) in Å; 0 for (0, 0, 0).
  double DSpacing(int h, int k, int l) const;
  // H1 · H2 in Å⁻² (no 2π) for real-valued indices.
  double ReciprocalDot(double h1, double k1, double l1, double h2, double k2, double l2) const;
};

// The density of the crystal in g/cm³: the masses of the atoms of the cell,
// each times its occupancy, over the cell volume; 0 without a lattice.
double Density(const CrystalStructure& structure);

// Computes the direct and reciprocal basis and the volume from the cell.
// False when the cell describes no lattice (edges that are not positive,
// c² − a3x² − a3y² not positive, a volume below 1e-6 of a·b·c, or numbers
// that are not finite); the lattice fields are then left as computed and
// must not be used.
bool ComputeLattice(CrystalStructure& structure);

// Why a structure file could not be loaded: the line of the file it concerns
// (0 for the file as a whole: it is no regular file, its cell, its atomic
// data) and what was wrong, in words for the person.
struct StructFileFailure {
  int line = 0;
  std::string what;

  // "line 7: unknown element symbol "Qq"", or `what` alone for line 0.
  std::string Describe() const { return line > 0 ? "line " + std::to_string(line) + ": " + what : what; }
};

// Reads a structure file and completes the structure: atomic data from
// `dataDirectory` (f0f1f2/), thermal exponents at `temperature` (K), lattice.
// False when the file cannot be read as a structure, with the reason in
// `failure` when one is given; the structure is then in a partial state and
// the caller clears it. Only a regular file is opened (core/InputFile.h).
bool LoadStructFile(CrystalStructure& structure, const std::filesystem::path& path, double temperature,
                    const std::filesystem::path& dataDirectory, core::Notifier& notifier,
                    StructFileFailure* failure = nullptr);

// The same, reading the text of a structure file from `in`: what the
// structure editor and the CIF import produce goes through the very checks a
// file on disk does.
bool ReadStructFile(CrystalStructure& structure, std::istream& in, double temperature,
                    const std::filesystem::path& dataDirectory, core::Notifier& notifier,
                    StructFileFailure* failure = nullptr);

// Builds a cubic diamond-structure crystal of element `z` with lattice
// constant `latticeConstant` (Å) and completes it like LoadStructFile. The
// name is left to the caller.
bool MakeDiamondCrystal(CrystalStructure& structure, int z, double latticeConstant, double debyeTemperature,
                        double temperature, const std::filesystem::path& dataDirectory, core::Notifier& notifier);

}  // namespace velto::crystal
