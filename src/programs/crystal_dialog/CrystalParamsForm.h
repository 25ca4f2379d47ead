#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "crystal/CrystalParams.h"
#include "programs/ui/AppContext.h"
#include "programs/ui/FormField.h"
#include "programs/ui/UserInterface.h"

namespace velto::programs {

// The model of `CDlgCrystParams`, " Define or Modify Crystal and its
// Parameters": the structure, temperature and reflection of one crystal of a
// program, with its d-spacing, Bragg angle and five chi components, computed
// from the structure or typed by hand.
//
// The structure is worked on in place (loading a file inside the dialog
// cannot be undone, so Cancel is refused afterwards); temperature, indices,
// d and chi go back to the crystal only through Apply after an accepted OK.
class CrystalParamsForm : public DialogModel {
 public:
  static constexpr const char* kTitle = " Define or Modify Crystal and its Parameters";
  // Field names for focus moves.
  static constexpr const char* kStructureButton = "structure";
  static constexpr const char* kTemperatureField = "temperature";
  static constexpr std::array<const char*, 3> kIndexFields{"h", "k", "l"};
  static constexpr const char* kDField = "d";

  // The help texts of the dialog.
  static const char* const kManualHelp;
  static const char* const kBrennanHelp;
  static const char* const kNotepadHelp;

  // `freshLoad`: the program has just loaded the structure for this dialog.
  CrystalParamsForm(AppContext& app, crystal::CrystalParams& crystal, double energyEv, bool freshLoad = false);

  // --- what the view shows ---
  FormField& Name() { return name_; }
  FormField& Temperature() { return temperature_; }
  FormField& Index(int i) { return index_[static_cast<std::size_t>(i)]; }
  FormField& D() { return d_; }
  const FormField& ThetaB() const { return thetaB_; }
  // Box i of the chi group: real and imaginary parts ×10⁶ of χ0, χh, χ−h,
  // χh^π, χ−h^π in that order.
  FormField& Chi(int i) { return chi_[static_cast<std::size_t>(i)]; }
  const FormField& ManualCheck() const { return manualCheck_; }
  const FormField& CalculateButton() const { return calculateButton_; }
  const FormField& CopyFromBrennanButton() const { return copyButton_; }
  const FormField& CancelButton() const { return cancelButton_; }
  bool FreshLoad() const { return freshLoad_; }
  double EnergyEv() const { return energyEv_; }

  // --- commands ---
  // "Crystal Structure...": choose and load a structure file.
  void LoadStructure(UserInterface& ui);
  // "Manually set Structure Factors".
  void ToggleManual();
  // "Calculate Structure Factors\n and Parameters"; false after a refusal.
  bool Calculate(UserInterface& ui);
  // The person typed in the d box (manual mode).
  void DEdited(std::string_view text);
  // "Copy from Brennan".
  void CopyFromBrennan(UserInterface& ui);
  // "Structure Factors && LA...".
  void ShowStructureFactors(UserInterface& ui);
  // "See \"Silicon.struct\" for format".
  void ShowExampleStructure(UserInterface& ui);
  // OK: true when the dialog may close with its values accepted.
  bool Ok(UserInterface& ui);
  // Cancel, Esc or the close box: true when the dialog may close.
  bool Cancel();

  // Writes the accepted values into the crystal (after an accepted OK only).
  void Apply();

 private:
  bool Manual() const { return crystal_.structure.manual != 0; }
  double Wavelength() const;
  bool ReadTemperatureAndIndices(UserInterface& ui);
  void ShowChi();
  void ShowTheta(double sine);

  AppContext& app_;
  crystal::CrystalParams& crystal_;
  double energyEv_;
  bool freshLoad_;
  double openingTemperature_;

  // The dialog's copies of the crystal's values.
  double temperatureValue_;
  std::array<int, 3> hkl_{};
  double dValue_;
  crystal::ReflectionChi chiValue_;
  bool accepted_ = false;

  FormField name_, temperature_, d_, thetaB_;
  std::array<FormField, 3> index_;
  std::array<FormField, 10> chi_;
  FormField manualCheck_, calculateButton_, copyButton_, cancelButton_;
};

// What a program does when the person asks to define a crystal and the
// structure could not be loaded first.
enum class MissingStructure { DoNotOpen, OpenDialog };

// The protocol by which every program defines a crystal: load a structure
// first when there is none, run the dialog, take the values back on OK.
// Returns Ok when the crystal was (re)defined. `structureLoaded`, when
// given, tells whether a structure file was loaded on the way (before the
// dialog or inside it), whatever the outcome.
DialogResult DefineCrystal(AppContext& app, UserInterface& ui, crystal::CrystalParams& crystal, double energyEv,
                           MissingStructure onMissing, bool* structureLoaded = nullptr);

}  // namespace velto::programs
