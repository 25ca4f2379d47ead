#pragma once
#include <array>
#include <filesystem>
#include <optional>

#include "mbd/MbdResults.h"
#include "programs/ui/FormField.h"
#include "programs/ui/UserInterface.h"

namespace velto::programs {

// The model of `CDlgMBD_Save`, "Save MBD results to a text file", shown
// before every multiple-beam run: the beam written, the columns, the angle
// unit, the side of the crystal, the rotation of the polarisation axes and
// the file. The choices (all but the file and the rotation) are remembered
// for the application run and shared by the MBD windows.
class MbdSaveForm : public DialogModel {
 public:
  static constexpr const char* kTitle = "Save MBD results to a text file";
  static constexpr const char* kReflectionSide = "Reflection (Entrance Crystal Surface side)";
  static constexpr const char* kTransmissionSide = "Transmission (Exit Crystal Surface Side)";
  static constexpr const char* kArcsec = "Arcsec";
  static constexpr const char* kMicroradian = "urad";
  static constexpr const char* kRotationLabel = "deg.  -  Rotation from s and p axes";
  static constexpr const char* kFileLabel = "Save Results as:";
  static constexpr const char* kBrowseTitle = "Choose a file to Save the computation results";
  static constexpr const char* kFilter = "Data File (*.dat)|*.dat|All Files (*.*)|*.*||";
  static constexpr const char* kOk = "Let's GO !!!";
  static constexpr const char* kNoFile = "Please select a file";
  static constexpr const char* kNote =
      "The results are written to a text file, one line per incidence point, with the columns chosen here. "
      "Plot them with other software (Origin, gnuplot, Python, ...).";
  static constexpr const char* kWarning =
      "The computation may take long. Do not close the program while it runs; Cancel keeps any earlier file.";
  static constexpr const char* kFileField = "file name";
  static constexpr const char* kRotationField = "rotation";

  enum class Column { DeltaPhi, DeltaTheta, Reflectivity, Components, Amplitudes, WaveVector, Count };
  static const char* Caption(Column column);

  MbdSaveForm(mbd::ResultOptions& remembered, double polarisationDeg, bool semiInfinite, int beamCount,
              bool convolution);

  bool ExitSide() const { return exitSide_; }
  bool TransmissionEnabled() const { return !semiInfinite_; }
  // Choosing a disabled side does nothing.
  void ChooseExitSide(bool exitSide);
  bool Microradians() const { return microradians_; }
  void ChooseMicroradians(bool microradians) { microradians_ = microradians; }
  FormField& ColumnBox(Column column) { return columns_[static_cast<std::size_t>(column)]; }
  const FormField& ColumnBox(Column column) const { return columns_[static_cast<std::size_t>(column)]; }
  int BeamCount() const { return beamCount_; }
  std::optional<int> SelectedBeam() const { return beam_; }
  void SelectBeam(int beam);
  FormField& Rotation() { return rotation_; }
  FormField& FileName() { return fileName_; }

  // "...": the file-save dialog puts its choice into "Save Results as:".
  void Browse(UserInterface& ui);
  // "Let's GO !!!": true when the run may go on; the choices are then
  // remembered and Options()/File() hold the run's settings.
  bool Ok(UserInterface& ui);
  const mbd::ResultOptions& Options() const { return options_; }
  std::filesystem::path File() const { return fileName_.text; }

 private:
  mbd::ResultOptions& remembered_;
  bool semiInfinite_;
  int beamCount_;
  bool exitSide_;
  bool microradians_;
  std::optional<int> beam_;
  std::array<FormField, static_cast<std::size_t>(Column::Count)> columns_;
  FormField rotation_, fileName_;
  mbd::ResultOptions options_;
};

}  // namespace velto::programs
