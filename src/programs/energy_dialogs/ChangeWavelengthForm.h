#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "programs/ui/FormField.h"
#include "programs/ui/UserInterface.h"
#include "shell/StartupFiles.h"

namespace velto::programs {

// The model of `CChangWavLen`, " Set X-ray Wavelength or Photon Energy": the
// photon energy typed in keV or as a wavelength in Å, picked from the preset
// lists, set to the back-diffraction energy of the current reflection or from
// a Bragg angle of it.
class ChangeWavelengthForm : public DialogModel {
 public:
  enum class Mode { Energy = 0, Wavelength = 1 };

  static constexpr const char* kTitle = " Set X-ray Wavelength or Photon Energy";
  static constexpr const char* kEnergyField = "energy";
  static constexpr const char* kWavelengthField = "wavelength";

  // `energyEv` is the program's photon energy; `d` (Å) and `hklText` name the
  // program's reflection, d = -1 when there is none.
  ChangeWavelengthForm(double energyEv, const shell::PresetLists& presets, double d = -1,
                       std::string hklText = {});

  Mode CurrentMode() const { return mode_; }
  void SetMode(Mode mode);

  const FormField& EnergyBox() const { return energy_; }
  const FormField& WavelengthBox() const { return wavelength_; }
  const std::vector<std::string>& EnergyList() const { return energyList_; }
  const std::vector<std::string>& WavelengthList() const { return wavelengthList_; }
  // "Set (h k l) Back Diffraction Bragg Energy", shown only with a reflection.
  const FormField& BackDiffractionButton() const { return backButton_; }
  const FormField& SetBraggButton() const { return braggButton_; }

  // Typing in a box, or picking an entry of its list (the entry's text is
  // then the box's text), converts into the other box.
  void EnergyEdited(std::string_view text);
  void WavelengthEdited(std::string_view text);
  // Leaving a box rewrites its own number with 8 decimals.
  void EnergyLeft();
  void WavelengthLeft();

  // The energy just above the back-diffraction limit of the reflection.
  void SetBackDiffractionEnergy();
  // Opens `CDlgSetBragg` and, on OK, sets the energy of that Bragg angle.
  void SetBraggAngle(UserInterface& ui);

  // Reads the energy box; refuses an energy that is not positive.
  bool Ok(UserInterface& ui);
  double EnergyEv() const { return energyEv_; }
  double WavelengthAngstrom() const { return wavelengthAngstrom_; }

 private:
  void ShowEnergyKev(double energyKev);

  Mode mode_ = Mode::Energy;
  double energyEv_;
  double wavelengthAngstrom_;
  double d_;
  FormField energy_;
  FormField wavelength_;
  std::vector<std::string> energyList_;
  std::vector<std::string> wavelengthList_;
  FormField backButton_;
  FormField braggButton_;
};

}  // namespace velto::programs
