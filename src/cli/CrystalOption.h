#pragma once
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "crystal/CrystalStructure.h"
#include "multicrystal/Reflection.h"
#include "multicrystal/Refusal.h"

namespace velto::cli {

// What a command says about a structure file that lets it down. The texts
// are those of the window the command stands for.
struct StructureMessages {
  // The file cannot be read; null: "Failed to open file '<path>' !    ".
  const char* unreadable = nullptr;
  // The file reads but holds no atoms; null: the crystal stays undefined and
  // the command's own checks say what is missing, as its window does.
  const char* undefined = "You have to import a Crystal Structure !   ";
};

// The file of --struct: the file given, or the silicon example of the data
// directory when none is.
std::filesystem::path StructOptionPath(const std::string& structFile);

// The crystal of --struct read at `temperature` (K): the file given, or the
// silicon example of the data directory when none is. A file the command
// cannot use ends the program with `messages`.
crystal::CrystalStructure LoadStructOption(const std::string& structFile, double temperature,
                                           StderrNotifier& notifier, const StructureMessages& messages = {});

// The crystal temperature of --temp: a number of K (a value that is not
// finite never gets here: every numeric option refuses one), 0 K and below
// taken as the lowest temperature the Debye–Waller factor accepts.
double TemperatureOption(double kelvin);

// Whether H K L = 0 0 0 is refused with the other index checks. sf reads it
// as "forward only"; mbd leaves it to its geometry, which words it itself.
enum class AllZeroHkl { Refuse, Accept };

// Ends the program when an index lies outside -999 ... 999 or, unless
// accepted, when all indices are zero.
void CheckHkl(std::span<const int> hkl, AllZeroHkl allZero = AllZeroHkl::Refuse);

// A crystal of the multi-crystal commands: the structure file read at the
// suite's default temperature and the reflection's d-spacing and chi at
// `energyEv`, as "Define ..." of the program window gives them. An empty
// path leaves the crystal undefined (the command then refuses as the window
// does); a file that cannot be read or bad indices end the program.
multicrystal::CrystalReflection LoadCrystalOption(const std::string& structFile, const std::vector<int>& hkl,
                                                  double energyEv, StderrNotifier& notifier);

// Prints a refusal of the program (its own message text; for the limits of
// a field, the field on a line of its own) and ends with status 1.
[[noreturn]] void Refuse(const multicrystal::Refusal& refusal);

}  // namespace velto::cli
