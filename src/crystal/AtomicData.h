#pragma once
#include <filesystem>
#include <optional>

#include "core/Notifier.h"
#include "crystal/CrystalStructure.h"

namespace velto::crystal {

// The atomic data files in <data directory>/f0f1f2/: the five-Gaussian f0
// parameters of all elements and one f1/f2 table per element.
std::filesystem::path F0ParameterPath(const std::filesystem::path& dataDirectory);
std::filesystem::path ScatteringTablePath(const std::filesystem::path& dataDirectory, int z);

// Reads an f1/f2 table: rows of energy (eV), f1, f2. The table ends at the
// first row whose energy is 0 or below, at the first row that does not read
// as three finite numbers, or at the end of the file. No value when the file
// cannot be opened.
std::optional<ScatteringTable> ReadScatteringTable(const std::filesystem::path& path);

// Loads the f0 parameters and the f1/f2 table of every group of the
// structure, replacing earlier ones. False (with a message) when a file is
// missing or unusable.
bool LoadAtomicData(CrystalStructure& structure, const std::filesystem::path& dataDirectory,
                    core::Notifier& notifier);

// The normal scattering factor f0 of the group's element at s² = (sin θ/λ)² in Å⁻².
double F0At(const ElementGroup& group, double s2);

// Interpolates f' and f'' of every group at `energyEv` and records the
// energy as the structure's last energy. False (with a message) when the
// energy lies outside a group's table.
bool UpdateAnomalousFactors(CrystalStructure& structure, double energyEv, core::Notifier& notifier);

}  // namespace velto::crystal
