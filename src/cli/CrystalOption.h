#pragma once
#include <string>
#include <vector>

#include "cli/Command.h"
#include "multicrystal/Reflection.h"
#include "multicrystal/Refusal.h"

namespace velto::cli {

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

// Ends the program with the message when `value` is not a finite number.
void RequireFinite(double value, const char* option);

}  // namespace velto::cli
