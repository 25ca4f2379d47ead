#include "cli/CrystalOption.h"

#include <filesystem>
#include <iostream>

#include "core/DataDirectory.h"
#include "crystal/CifImport.h"
#include "programs/ui/FormSession.h"

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
  if (!crystal::LoadStructureFile(structure, path, temperature, dataDirectory, notifier, &failure)) {
    Refuse(programs::UnreadableStructureMessage(path, failure, messages.unreadable));
  }
  if (!structure.IsLoaded() && messages.undefined) Refuse(messages.undefined);
  return structure;
}

void CheckHkl(std::span<const int> hkl, AllZeroHkl allZero) {
  if (auto refusal = programs::CheckMillerIndices(hkl, allZero)) Refuse(*refusal);
}

}  // namespace velto::cli
