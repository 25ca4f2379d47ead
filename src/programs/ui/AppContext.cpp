#include "programs/ui/AppContext.h"

#include "crystal/CifImport.h"

namespace velto::programs {
namespace {

// The program's text, then why, for the person to mend the file.
std::string LoadFailedMessage(const std::filesystem::path& path, const crystal::StructFileFailure& failure) {
  return "Failed to open file '" + path.string() + "' !    \n" + path.filename().string() + ": " + failure.Describe();
}

}  // namespace

bool AppContext::ChooseAndLoadStructure(UserInterface& ui, crystal::CrystalStructure& structure,
                                        double temperature) {
  FileDialogRequest request;
  request.title = "Open Crystal Structure File";
  // A CIF is read as the structure file it converts to.
  request.filter = "Crystal structure (*.struct *.cif)|*.struct;*.cif|All Files (*.*)|*.*||";
  request.defaultExtension = "struct";
  request.startDirectory = state_.structPath;
  const auto chosen = ui.ChooseOpenFile(request);
  if (!chosen) return false;

  state_.structPath = chosen->parent_path();
  if (temperature < 0) temperature = state_.defaultTemperature;

  crystal::CrystalStructure loaded;
  loaded.manual = structure.manual;  // the mode of the crystal belongs to the program, not to the file
  crystal::StructFileFailure failure;
  if (crystal::LoadStructureFile(loaded, *chosen, temperature, state_.exeDirectory, ui, &failure)) {
    if (loaded.IsLoaded()) {
      structure = std::move(loaded);
      return true;
    }
    failure = {0, "the file lists no atoms"};
  }
  ui.ShowMessage(LoadFailedMessage(*chosen, failure), MessageIcon::Error);
  return false;
}

}  // namespace velto::programs
