#include "cli/CrystalOption.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "core/DataDirectory.h"
#include "crystal/Susceptibility.h"
#include "shell/MainFrameState.h"

namespace velto::cli {
namespace {
constexpr int kLargestIndex = 999;
constexpr double kLowestTemperature = 1e-6;  // K
constexpr const char* kExampleStructFile = "Silicon.struct";
}  // namespace

std::filesystem::path StructOptionPath(const std::string& structFile) {
  return structFile.empty() ? core::DataDirectory() / kExampleStructFile : std::filesystem::path(structFile);
}

crystal::CrystalStructure LoadStructOption(const std::string& structFile, double temperature,
                                           StderrNotifier& notifier, const StructureMessages& messages) {
  const std::filesystem::path dataDirectory = core::DataDirectory();
  const std::filesystem::path path = StructOptionPath(structFile);
  crystal::CrystalStructure structure;
  crystal::StructFileFailure failure;
  if (!crystal::LoadStructFile(structure, path, temperature, dataDirectory, notifier, &failure)) {
    // The window's words first, then what was wrong, for the person to mend the file.
    const std::string message =
        messages.unreadable ? std::string(messages.unreadable) : "Failed to open file '" + path.string() + "' !";
    Refuse(message + "\n" + path.string() + ": " + failure.Describe());
  }
  if (!structure.IsLoaded() && messages.undefined) Refuse(messages.undefined);
  return structure;
}

double TemperatureOption(double kelvin) {
  return std::max(kelvin, kLowestTemperature);
}

void CheckHkl(std::span<const int> hkl, AllZeroHkl allZero) {
  for (int index : hkl)
    if (index < -kLargestIndex || index > kLargestIndex) Refuse("Enter an integer between -999 and 999.");
  if (allZero == AllZeroHkl::Refuse && std::all_of(hkl.begin(), hkl.end(), [](int index) { return index == 0; }))
    Refuse("HKL should not be ALL zero!   ");
}

multicrystal::CrystalReflection LoadCrystalOption(const std::string& structFile, const std::vector<int>& hkl,
                                                  double energyEv, StderrNotifier& notifier) {
  multicrystal::CrystalReflection reflection;
  if (structFile.empty()) return reflection;
  crystal::CrystalStructure structure = LoadStructOption(structFile, shell::kDefaultTemperatureK, notifier);
  CheckHkl(hkl);
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

}  // namespace velto::cli
