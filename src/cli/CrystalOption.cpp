#include "cli/CrystalOption.h"

#include <filesystem>
#include <iostream>

#include "core/DataDirectory.h"

namespace velto::cli {
namespace {
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

void CheckHkl(std::span<const int> hkl, AllZeroHkl allZero) {
  if (auto refusal = programs::CheckMillerIndices(hkl, allZero)) Refuse(*refusal);
}

}  // namespace velto::cli
