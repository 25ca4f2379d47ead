#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "programs/form_factor/FormFactorCalculation.h"
#include "programs/ui/AppContext.h"
#include "programs/ui/FormField.h"
#include "programs/ui/UserInterface.h"

// The model of `CFormFactor`, " Atomic Scattering Factor (Form Factor)":
// f0, f′, f″ and f_cmpt of one element at a photon energy and an angle, from
// the Brennan–Cowan engine; and the door to its looping export.
namespace velto::programs {

enum class FormFactorField {
  Element,             // drop-down list, no typing
  Energy,              // keV, combo box with the energy presets
  Theta,               // degrees
  SinThetaOverLambda,  // Å⁻¹, read-only
  F0,
  FPrime,
  FDoublePrime,
  Compton,
  RealPart,       // f0 + f′
  ImaginaryPart,  // f″ + f_cmpt
  Count
};

class FormFactorForm : public DialogModel {
 public:
  static constexpr const char* kTitle = " Atomic Scattering Factor (Form Factor)";
  static constexpr const char* kEnergyLabel = " &Photon Energy";
  static constexpr const char* kEnergyUnit = "KeV";
  static constexpr const char* kFormulaLabel = "f = (f0 + f′) + i(f″ + f_cmpt)";
  // Field names for focus moves.
  static constexpr const char* kElementField = "element";
  static constexpr const char* kEnergyField = "energy";
  static constexpr const char* kThetaField = "theta";

  // `structureElements`: the element symbols of the program's crystal in
  // group order (may be empty).
  FormFactorForm(AppContext& app, const FormFactorStart& start, std::vector<std::string> structureElements);

  FormField& Field(FormFactorField id) { return fields_[static_cast<std::size_t>(id)]; }
  const FormField& Field(FormFactorField id) const { return fields_[static_cast<std::size_t>(id)]; }
  const std::vector<std::string>& ElementRows() const { return rows_; }
  int SelectedRow() const { return row_; }
  const std::vector<std::string>& EnergyList() const;
  double EnergyEv() const { return energyEv_; }
  double Wavelength() const { return wavelength_; }  // Å
  double ThetaDegrees() const { return theta_; }
  // The numbers of the last "Calculate !" while the dialog shows them.
  const std::optional<FormFactorValues>& Values() const { return values_; }

  // --- what the person does ---
  void SelectElement(int row);
  // Typing in the energy box or picking an entry of its list.
  void EnergyEdited(std::string_view text);
  // Leaving the energy box; false when its value was refused (the box then
  // shows the energy still in use and has the focus again).
  bool EnergyLeft(UserInterface& ui);
  void ThetaEdited(std::string_view text);
  // Leaving the θ box keeps θ within 0..90; false when it was refused.
  bool ThetaLeft(UserInterface& ui);
  // "Calculate !", the default button.
  void Calculate(UserInterface& ui);
  // "&Loop...".
  void Loop(UserInterface& ui);

 private:
  // The atomic number of the chosen row; 0 after a refusal.
  int ChosenElement(UserInterface& ui);
  void ShowTheta();
  void ClearResults();

  AppContext& app_;
  std::array<FormField, static_cast<std::size_t>(FormFactorField::Count)> fields_;
  std::vector<std::string> structureElements_;
  std::vector<std::string> rows_;
  int row_ = 0;
  double energyEv_;
  double wavelength_;
  double theta_;
  std::optional<FormFactorValues> values_;
};

}  // namespace velto::programs
