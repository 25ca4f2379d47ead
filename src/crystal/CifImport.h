#pragma once
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/Notifier.h"
#include "crystal/CrystalStructure.h"
#include "crystal/StructDescription.h"

namespace velto::crystal {

// The temperature (K) a CIF's displacement parameters are taken at when it
// names none.
constexpr double kCifDefaultTemperature = 293.15;

// A crystal read from a CIF: every atom of the cell, with what is known of
// the thermal vibration of each element.
struct CifCrystal {
  // Name, cell and the atoms of the whole cell; Debye temperatures are filled
  // in by ResolveDebyeTemperatures.
  StructDescription description;
  // Mean isotropic B (Å²) of each element that has displacement parameters.
  std::map<int, double> bIso;
  // The temperature (K) of the displacement parameters.
  double temperature = kCifDefaultTemperature;
  // What the person should know about the reading (charges dropped, the
  // space group used, sites merged), one sentence each.
  std::vector<std::string> notes;
};

// Reads the first data block of a CIF that holds a cell and atom sites. The
// space group comes from the listed symmetry operations, else the Hall
// symbol, else the Hermann–Mauguin symbol, else the space-group number; the
// sites are expanded by it into every atom of the cell, an atom that a
// symmetry operation maps onto itself (a special position) counted once.
// On failure, the reason in words; a fault of the CIF syntax, found by
// gemmi's parser, is told with `source` (the file's path) and its line.
std::variant<CifCrystal, std::string> ReadCif(std::string_view text, const std::string& source = "CIF");
std::variant<CifCrystal, std::string> ReadCifFile(const std::filesystem::path& path);

// Gives every element of the crystal a Debye temperature: the one in `given`,
// else the one that reproduces its B at the CIF's temperature, else the
// table's (TabulatedDebyeTemperature). Adds a note for each, and returns the
// elements that are left without one.
std::vector<int> ResolveDebyeTemperatures(CifCrystal& crystal, const std::map<int, double>& given = {});

// "no Debye temperature for O, Al: ..." for the elements left without one.
std::string MissingDebyeMessage(const std::vector<int>& elements);

// Reads a CIF into a structure through the text of the structure file it
// converts to (ReadStructFile), at `temperature` (K). `given` Debye
// temperatures come first; an element left without one is a failure.
bool LoadCifFile(CrystalStructure& structure, const std::filesystem::path& path, double temperature,
                 const std::filesystem::path& dataDirectory, core::Notifier& notifier,
                 StructFileFailure* failure = nullptr, const std::map<int, double>& given = {});

// True when the path names a CIF (extension ".cif", any letter case).
bool IsCifPath(const std::filesystem::path& path);

// Reads a structure file or a CIF, as its extension says.
bool LoadStructureFile(CrystalStructure& structure, const std::filesystem::path& path, double temperature,
                       const std::filesystem::path& dataDirectory, core::Notifier& notifier,
                       StructFileFailure* failure = nullptr);

}  // namespace velto::crystal
