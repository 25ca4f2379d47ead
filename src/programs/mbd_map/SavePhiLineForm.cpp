#include "programs/mbd_map/SavePhiLineForm.h"

#include "programs/curve_export/CurveExport.h"
#include "programs/ui/FieldReading.h"
#include "shell/NumberText.h"

namespace velto::programs {

SavePhiLineForm::SavePhiLineForm(double phiMin, double phiMax, std::string phiText, std::string fileText)
    : phiMin_(phiMin), phiMax_(phiMax) {
  phi_.text = std::move(phiText);
  file_.text = std::move(fileText);
}

void SavePhiLineForm::Browse(UserInterface& ui) {
  FileDialogRequest request;
  request.title = kBrowseTitle;
  request.filter = kExportFilter;
  request.defaultExtension = kExportExtension;
  request.fileName = file_.text;
  if (const auto chosen = ui.ChooseSaveFile(request)) file_.text = chosen->string();
}

bool SavePhiLineForm::Ok(UserInterface& ui) {
  const std::optional<double> read = ReadNumberField(ui, phi_.text, kPhiField, kPhiField);
  if (!read) return false;
  const double phi = *read;
  if (phi < phiMin_ || phi > phiMax_) {
    ui.ShowMessage(kPhiOutOfRangeMessage);
    ui.Focus(kPhiField);
    return false;
  }
  phiValue_ = phi;
  phi_.text = shell::FormatNumber(phi, 8);
  if (file_.text.empty()) {
    ui.ShowMessage(kNoFileMessage);
    ui.Focus(kFileField);
    return false;
  }
  return true;
}

}  // namespace velto::programs
