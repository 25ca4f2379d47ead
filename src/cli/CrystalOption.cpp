#include "cli/CrystalOption.h"

#include <cmath>
#include <filesystem>
#include <iostream>

#include "core/DataDirectory.h"
#include "crystal/CrystalStructure.h"
#include "crystal/Susceptibility.h"
#include "shell/MainFrameState.h"

namespace velto::cli {
namespace {
constexpr int kLargestIndex = 999;
}

multicrystal::CrystalReflection LoadCrystalOption(const std::string& structFile, const std::vector<int>& hkl,
                                                  double energyEv, StderrNotifier& notifier) {
  multicrystal::CrystalReflection reflection;
  if (structFile.empty()) return reflection;
  const std::filesystem::path dataDirectory = core::DataDirectory();
  crystal::CrystalStructure structure;
  if (!crystal::LoadStructFile(structure, structFile, shell::kDefaultTemperatureK, dataDirectory, notifier))
    Refuse("Failed to open file '" + structFile + "' !    ");
  if (!structure.IsLoaded()) Refuse("You have to import a Crystal Structure !   ");
  for (int index : hkl)
    if (index < -kLargestIndex || index > kLargestIndex) Refuse("Enter an integer between -999 and 999.");
  if (hkl[0] == 0 && hkl[1] == 0 && hkl[2] == 0) Refuse("HKL should not be ALL zero!   ");
  reflection.defined = true;
  reflection.d = structure.DSpacing(hkl[0], hkl[1], hkl[2]);
  reflection.chi = crystal::ComputeReflectionChi(structure, energyEv, hkl[0], hkl[1], hkl[2], notifier);
  // The atomic data have already said why (an energy outside their tables).
  if (reflection.chi.Failed()) throw ExitStatus{1};
  return reflection;
}

void Refuse(const multicrystal::Refusal& refusal) {
  if (refusal.icon == core::MessageIcon::Warning && !refusal.field.empty()) {
    std::cerr << refusal.message << "\n(field: " << refusal.field << ")\n";
    throw ExitStatus{1};
  }
  Refuse(refusal.message);
}

void RequireFinite(double value, const char* option) {
  if (!std::isfinite(value)) Refuse(std::string(option) + " must be a finite number.");
}

}  // namespace velto::cli
