#pragma once
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "crystal/CrystalStructure.h"

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

// Whether H K L = 0 0 0 is refused with the other index checks. sf reads it
// as "forward only"; mbd leaves it to its geometry, which words it itself.
enum class AllZeroHkl { Refuse, Accept };

// Ends the program when an index lies outside -999 ... 999 or, unless
// accepted, when all indices are zero.
void CheckHkl(std::span<const int> hkl, AllZeroHkl allZero = AllZeroHkl::Refuse);

}  // namespace velto::cli
