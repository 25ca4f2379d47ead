#pragma once
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "crystal/CrystalStructure.h"
#include "programs/crystal_dialog/ReflectionChecks.h"

namespace velto::cli {

// What a command says about a structure file that lets it down. The texts
// are those of the window the command stands for.
struct StructureMessages {
  // The file cannot be read; null: "Failed to open file '<path>' !    ".
  const char* unreadable = nullptr;
  // The file reads but holds no atoms; null: the crystal stays undefined and
  // the command's own checks say what is missing, as its window does.
  const char* undefined = programs::kNoStructureMessage;
};

// The file of --struct: the file given, or the silicon example of the data
// directory when none is.
std::filesystem::path StructOptionPath(const std::string& structFile);

// The crystal of --struct read at `temperature` (K): the file given (a
// structure file, or a CIF by its extension .cif), or the
// silicon example of the data directory when none is. A file the command
// cannot use ends the program with `messages`.
crystal::CrystalStructure LoadStructOption(const std::string& structFile, double temperature,
                                           StderrNotifier& notifier, const StructureMessages& messages = {});

using programs::AllZeroHkl;

// Ends the program with the crystal dialog's refusal of the indices.
void CheckHkl(std::span<const int> hkl, AllZeroHkl allZero = AllZeroHkl::Refuse);

}  // namespace velto::cli
