#include "programs/multiple_beam/MbdSaveForm.h"

#include "programs/ui/FieldReading.h"
#include "shell/NumberText.h"

namespace velto::programs {

const char* MbdSaveForm::Caption(Column column) {
  switch (column) {
    case Column::DeltaPhi:
      return "Delta Phi";
    case Column::DeltaTheta:
      return "Delta theta";
    case Column::Reflectivity:
      return "Reflectivity";
    case Column::Components:
      return "Reflectivity components";
    case Column::Amplitudes:
      return "Wave Amplitudes";
    case Column::WaveVector:
      return "Diffracted Wavevector";
    case Column::Count:
      break;
  }
  return "";
}

MbdSaveForm::MbdSaveForm(mbd::ResultOptions& remembered, double polarisationDeg, bool semiInfinite, int beamCount,
                         bool convolution)
    : remembered_(remembered),
      semiInfinite_(semiInfinite),
      beamCount_(beamCount),
      // A semi-infinite crystal has no exit surface, whatever was chosen before.
      exitSide_(remembered.exitSide && !semiInfinite),
      microradians_(remembered.microradians),
      options_(remembered) {
  const mbd::ResultOptions& r = remembered;
  const std::array<bool, 6> checked{r.deltaPhi, r.deltaTheta, r.reflectivity, r.components, r.amplitudes, r.waveVector};
  for (std::size_t i = 0; i < columns_.size(); ++i) columns_[i].checked = checked[i];
  ColumnBox(Column::Amplitudes).enabled = !convolution;
  ColumnBox(Column::WaveVector).enabled = !convolution;
  // A remembered beam beyond this beam set falls back to G, the beam chosen
  // when the application starts.
  beam_ = r.beam >= 0 && r.beam < beamCount ? r.beam : 1;
  rotation_.text = shell::FormatNumber(polarisationDeg, 8);
}

void MbdSaveForm::ChooseExitSide(bool exitSide) {
  if (exitSide && semiInfinite_) return;
  exitSide_ = exitSide;
}

void MbdSaveForm::SelectBeam(int beam) {
  if (beam >= 0 && beam < beamCount_) beam_ = beam;
}

void MbdSaveForm::Browse(UserInterface& ui) {
  FileDialogRequest request;
  request.title = kBrowseTitle;
  request.filter = kFilter;
  request.defaultExtension = "dat";
  request.fileName = fileName_.text;
  if (const std::optional<std::filesystem::path> path = ui.ChooseSaveFile(request)) fileName_.text = path->string();
}

bool MbdSaveForm::Ok(UserInterface& ui) {
  if (fileName_.text.empty()) {
    ui.ShowMessage(kNoFile);
    ui.Focus(kFileField);
    return false;
  }
  const std::optional<double> rotation = ReadNumberField(ui, rotation_.text, "Rotation", kRotationField);
  if (!rotation || !beam_) return false;
  remembered_.exitSide = exitSide_;
  remembered_.microradians = microradians_;
  remembered_.deltaPhi = ColumnBox(Column::DeltaPhi).checked;
  remembered_.deltaTheta = ColumnBox(Column::DeltaTheta).checked;
  remembered_.reflectivity = ColumnBox(Column::Reflectivity).checked;
  remembered_.components = ColumnBox(Column::Components).checked;
  remembered_.amplitudes = ColumnBox(Column::Amplitudes).checked;
  remembered_.waveVector = ColumnBox(Column::WaveVector).checked;
  remembered_.beam = *beam_;
  options_ = remembered_;
  options_.rotationDeg = *rotation;
  return true;
}

}  // namespace velto::programs
