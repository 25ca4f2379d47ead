#pragma once
#include <filesystem>
#include <string>

#include "programs/ui/FormField.h"
#include "programs/ui/UserInterface.h"

namespace velto::programs {

inline constexpr const char* kPhiOutOfRangeMessage = "The Phi angle is out of the Map Range.";
inline constexpr const char* kNoFileMessage = "Please select a file to save data.";

// The model of `CDlg_SavePhiLine`, "Save points on a vertical line": the
// azimuth of the line and the file the points go to.
class SavePhiLineForm : public DialogModel {
 public:
  static constexpr const char* kTitle = "Save points on a vertical line";
  static constexpr const char* kPhiField = "Phi = ";
  static constexpr const char* kFileField = "Save as:";
  static constexpr const char* kPhiToolTip = "Must be within the Phi range of the map";
  static constexpr const char* kBrowseTitle = "Choose a file to Save the points on the vertical line";

  // The azimuth range of the map (degrees) and the texts the fields start with.
  SavePhiLineForm(double phiMin, double phiMax, std::string phiText, std::string fileText);

  FormField& Phi() { return phi_; }
  FormField& File() { return file_; }
  double PhiMin() const { return phiMin_; }
  double PhiMax() const { return phiMax_; }

  // "...": the file-save dialog; the chosen name goes into "Save as:".
  void Browse(UserInterface& ui);
  // OK: true when the dialog may close; φ is then written back.
  bool Ok(UserInterface& ui);

  // --- the outcome, after an accepted OK ---
  double PhiDegrees() const { return phiValue_; }
  std::filesystem::path Path() const { return std::filesystem::path(file_.text); }

 private:
  double phiMin_, phiMax_;
  FormField phi_, file_;
  double phiValue_ = 0;
};

}  // namespace velto::programs
