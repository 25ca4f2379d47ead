#pragma once
#include <array>
#include <optional>
#include <string>

#include "programs/form_factor/FormLoopExport.h"
#include "programs/ui/AppContext.h"
#include "programs/ui/FormField.h"
#include "programs/ui/UserInterface.h"

// The model of `CFormLoop`, "Looping Form Factor": a table of f′, f″ and
// f_cmpt of one element against energy, or of f0 against angle, written to
// a data file. A long table is computed in the background with progress and
// Cancel.
namespace velto::programs {

enum class FormLoopField {
  Element,  // read-only
  From,
  To,
  Step,
  FromUnit,
  ToUnit,
  StepUnit,
  Energy,  // read-only: the energy whose wavelength the angle mode uses
  // The four check boxes only show which columns the mode writes.
  ShowsF0,
  ShowsFPrime,
  ShowsFDoublePrime,
  ShowsCompton,
  Count
};

class FormLoopForm : public DialogModel {
 public:
  static constexpr const char* kTitle = "Looping Form Factor";
  static constexpr const char* kSaveTitle = "Export Data";
  static constexpr const char* kFilter = "Data File (*.dat)|*.dat|All Files (*.*)|*.*||";
  static constexpr const char* kEnergyUnit = "KeV";
  static constexpr const char* kAngleUnit = "Degree";
  // Field names for focus moves.
  static constexpr const char* kFromField = "from";
  static constexpr const char* kToField = "to";
  static constexpr const char* kStepField = "step";

  // `element` is the symbol shown, `wavelength` (Å) and `energyText` (keV)
  // the photon energy of the form-factor dialog.
  FormLoopForm(AppContext& app, std::string element, int z, double wavelength, std::string energyText);

  FormField& Field(FormLoopField id) { return fields_[static_cast<std::size_t>(id)]; }
  const FormField& Field(FormLoopField id) const { return fields_[static_cast<std::size_t>(id)]; }
  FormLoopMode Mode() const { return mode_; }
  int Element() const { return z_; }
  double Wavelength() const { return wavelength_; }

  // The radios "&Energy" and "&theta".
  void SetMode(FormLoopMode mode);
  // "Ex&port Data...": the checks, the file dialog, then the table as a
  // background task; "Done !" when it is written.
  void Export(UserInterface& ui);
  // How the last export that ran to its end fared.
  const std::optional<FormLoopOutcome>& LastExport() const { return lastExport_; }

 private:
  void ShowMode();

  AppContext& app_;
  std::array<FormField, static_cast<std::size_t>(FormLoopField::Count)> fields_;
  int z_;
  double wavelength_;
  std::string energyText_;
  FormLoopMode mode_ = FormLoopMode::Energy;
  std::optional<FormLoopOutcome> lastExport_;
};

}  // namespace velto::programs
