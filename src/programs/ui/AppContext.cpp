#include "programs/ui/AppContext.h"

namespace velto::programs {

bool AppContext::ChooseAndLoadStructure(UserInterface& ui, crystal::CrystalStructure& structure,
                                        double temperature) {
  FileDialogRequest request;
  request.title = "Open Crystal Structure File";
  request.filter = "Crystal Structure Files (*.struct)|*.struct|All Files (*.*)|*.*||";
  request.defaultExtension = "struct";
  request.startDirectory = state_.structPath;
  const auto chosen = ui.ChooseOpenFile(request);
  if (!chosen) return false;

  state_.structPath = chosen->parent_path();
  if (temperature < 0) temperature = state_.defaultTemperature;

  if (crystal::LoadStructFile(structure, *chosen, temperature, state_.exeDirectory, ui)) return true;
  ui.ShowMessage("Failed to open file '" + chosen->string() + "' !    ", MessageIcon::Error);
  structure.Clear();
  return false;
}

}  // namespace velto::programs
