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
// The structure is worked on in place (a file loaded inside the dialog
// replaces it at once), temperature, indices, d and chi go back to the
// crystal only through Apply after an accepted OK, and Cancel puts back the
// crystal the dialog opened with, structure included: a person who loaded
// the wrong file is never trapped in the dialog.
class CrystalParamsForm : public DialogModel {
 public:
  static constexpr const char* kTitle = " Define or Modify Crystal and its Parameters";
  // Field names for focus moves.
  static constexpr const char* kStructureButton = "structure";
  static constexpr const char* kTemperatureField = "temperature";
  static constexpr std::array<const char*, 3> kIndexFields{"h", "k", "l"};
  static constexpr const char* kDField = "d";
  // The focus name of chi box i (see Chi).
  static std::string ChiField(int i) { return "chi" + std::to_string(i); }

  // The help texts of the dialog.
  static const char* const kManualHelp;
  static const char* const kBrennanHelp;
  static const char* const kNotepadHelp;

  CrystalParamsForm(AppContext& app, crystal::CrystalParams& crystal, double energyEv);

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
  // "Crystal Structure..." loaded a file into the crystal.
  bool StructureLoaded() const { return structureLoaded_; }
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
  // Cancel, Esc or the close box: puts the crystal back as it was when the
  // dialog opened. Always true: the dialog may close.
  bool Cancel();

  // Writes the accepted values into the crystal (after an accepted OK only).
  void Apply();

 private:
  bool Manual() const { return crystal_.structure.manual != 0; }
  double Wavelength() const;
  bool ReadTemperatureAndIndices(UserInterface& ui);
  // The ten chi boxes (×10⁻⁶); none after a refusal.
  std::optional<crystal::ReflectionChi> ReadChiBoxes(UserInterface& ui) const;
  void ShowChi();
  void ShowTheta(double sine);

  AppContext& app_;
  crystal::CrystalParams& crystal_;
  double energyEv_;
  const crystal::CrystalParams opening_;

  // The dialog's copies of the crystal's values.
  double temperatureValue_;
  std::array<int, 3> hkl_{};
  double dValue_;
  crystal::ReflectionChi chiValue_;
  bool accepted_ = false;
  bool structureLoaded_ = false;

  FormField name_, temperature_, d_, thetaB_;
  std::array<FormField, 3> index_;
  std::array<FormField, 10> chi_;
  FormField manualCheck_, calculateButton_, copyButton_;
};

// What the "H K L:" field of a program shows for a defined crystal.
std::string HklText(const crystal::CrystalParams& crystal);

// What a program does when the person asks to define a crystal and the
// structure could not be loaded first.
enum class MissingStructure { DoNotOpen, OpenDialog };

// The protocol by which every program defines a crystal: load a structure
// first when there is none, run the dialog, take the values back on OK.
// Returns Ok when the crystal was (re)defined; otherwise the crystal is as it
// was before, even when a structure was loaded for the dialog.
// `structureLoaded`, when given, tells whether the crystal now holds a
// structure loaded from a file on the way (before the dialog or inside it).
DialogResult DefineCrystal(AppContext& app, UserInterface& ui, crystal::CrystalParams& crystal, double energyEv,
                           MissingStructure onMissing, bool* structureLoaded = nullptr);

}  // namespace velto::programs
