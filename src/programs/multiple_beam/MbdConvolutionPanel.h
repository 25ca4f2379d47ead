#pragma once
#include <array>
#include <optional>
#include <string>

#include "mbd/MbdScan.h"
#include "programs/ui/FormField.h"
#include "programs/ui/UserInterface.h"

namespace velto::programs {

enum class MbdConvolutionField {
  Fwhm,             // eV
  EnergyRange,      // eV
  EnergyPoints,
  ThetaDivergence,  // µrad
  ThetaPoints,
  PhiDivergence,    // µrad
  PhiPoints,
  Count
};

const char* MbdConvolutionFieldName(MbdConvolutionField id);

// The panel "Divergent/polychromatic Incieence Beam" of the multiple-beam
// window: inactive (fields empty and disabled) until activated; its settings
// are remembered for the application run, shared by the MBD windows.
class MbdConvolutionPanel {
 public:
  static constexpr const char* kTitle = "Divergent/polychromatic Incieence Beam";
  static constexpr const char* kActivate = "Activate Convolution Panel";
  static constexpr const char* kCalculate = "Calculate Convoluted Intensities";
  static constexpr const char* kDeactivate = "Deactivate";
  static constexpr const char* kQuestion =
      "This procedure could be extremely slow. The computing may take hours to days. Please make the loops as few "
      "as possible by setting the corresponding Range to 0 or Points to 1 before proceeding. Are you sure you want "
      "to continue?";
  static constexpr const char* kButtonToolTip =
      "Calculate convoluted intensities, but still as a function of above Delta theta and/or Delta Phi";
  static constexpr const char* kDeactivateToolTip =
      "Disable this panel, I don't need this complicated and ultra-slow function";

  explicit MbdConvolutionPanel(mbd::ConvolutionSetup& remembered);

  bool Active() const { return active_; }
  const std::string& ButtonCaption() const { return caption_; }
  bool DeactivateEnabled() const { return active_; }
  FormField& Field(MbdConvolutionField id) { return fields_[static_cast<std::size_t>(id)]; }
  const FormField& Field(MbdConvolutionField id) const { return fields_[static_cast<std::size_t>(id)]; }
  static const char* ToolTip(MbdConvolutionField id);

  // Enables the fields with the remembered settings; the button then
  // starts a convolution run.
  void Activate();
  // Disables and empties the fields.
  void Deactivate();
  // Reads the seven settings with their clamps, writes them back and
  // remembers them; none after a refusal (shown, focus on the field).
  std::optional<mbd::ConvolutionSetup> Read(UserInterface& ui);

 private:
  void Show(const mbd::ConvolutionSetup& setup);

  mbd::ConvolutionSetup& remembered_;
  bool active_ = false;
  std::string caption_ = kActivate;
  std::array<FormField, static_cast<std::size_t>(MbdConvolutionField::Count)> fields_;
};

}  // namespace velto::programs
