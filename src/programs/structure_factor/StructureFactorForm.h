#pragma once
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "crystal/CrystalStructure.h"
#include "programs/structure_factor/StructureFactorCalculation.h"
#include "programs/ui/AppContext.h"
#include "programs/ui/FormField.h"
#include "programs/ui/UserInterface.h"

// The model of `COrvoViewStruct`, the structure-factor program: a crystal
// imported from a structure file, the photon energy, the temperature and a
// reflection, and what the Brennan–Cowan engine makes of them: F0 and the
// four structure factors of the reflection, their χ, the linear absorption
// and the penetration depth. Its χ go to the shared chi store, from where
// the crystal dialog of every program takes them.
namespace velto::programs {

enum class StructureFactorField {
  Status,  // beside "Import Crystal Structure..."
  H,
  K,
  L,
  Energy,       // keV, read-only
  Temperature,  // the combo box's text
  DSpacing,
  BraggAngle,
  // Modulus and phase (degrees) of F0, F_h, F_−h, F_h^π, F_−h^π.
  F0Modulus,
  F0Phase,
  FhModulus,
  FhPhase,
  FmhModulus,
  FmhPhase,
  FhPiModulus,
  FhPiPhase,
  FmhPiModulus,
  FmhPiPhase,
  // Real and imaginary parts ×10⁶ of χ0, χ_h, χ_−h, χ_h^π, χ_−h^π.
  Chi0Real,
  Chi0Imaginary,
  ChihReal,
  ChihImaginary,
  ChimhReal,
  ChimhImaginary,
  ChihPiReal,
  ChihPiImaginary,
  ChimhPiReal,
  ChimhPiImaginary,
  Absorption,        // µm⁻¹
  PenetrationDepth,  // µm
  Count
};

class StructureFactorForm {
 public:
  static constexpr const char* kTitle = "Calculate Structure Factors of Crystals using Brennan's Method";
  static constexpr const char* kNoStructureStatus = " No structure imported yet";
  static constexpr const char* kNote =
      "This StructFactor program might not work very accurately for crystals like In_xGa_{1-x}As with fractional "
      "occupation!";
  static constexpr const char* kNothingToCopyMessage =
      "There are no chi components of a reflection to copy yet.\nCalculate a reflection (h k l not 0 0 0) first.   ";
  // Field names for focus moves.
  static constexpr const char* kImportButton = "import";
  static constexpr const char* kTemperatureField = "temperature";
  static constexpr std::array<const char*, 3> kIndexFields{"h", "k", "l"};

  explicit StructureFactorForm(AppContext& app);

  const char* Title() const { return kTitle; }
  FormField& Field(StructureFactorField id) { return fields_[static_cast<std::size_t>(id)]; }
  const FormField& Field(StructureFactorField id) const { return fields_[static_cast<std::size_t>(id)]; }
  // The entries of the temperature combo box.
  const std::vector<std::string>& TemperatureList() const;

  static StructureFactorField ModulusField(int component) { return Offset(StructureFactorField::F0Modulus, 2 * component); }
  static StructureFactorField PhaseField(int component) { return Offset(StructureFactorField::F0Phase, 2 * component); }
  // Box i of the χ group (0..9): real and imaginary parts in component order.
  static StructureFactorField ChiField(int i) { return Offset(StructureFactorField::Chi0Real, i); }
  // Result boxes that belong to the reflection (not to the forward direction).
  static bool IsReflectionResult(StructureFactorField id);
  static bool IsResult(StructureFactorField id) { return id >= StructureFactorField::DSpacing; }

  double EnergyEv() const { return energy_; }
  double Temperature() const { return temperature_; }
  const crystal::CrystalStructure& Structure() const { return structure_; }
  // True while the shown results do not belong to the inputs.
  bool Stale() const { return stale_; }
  // The last calculation, or none before the first.
  const std::optional<StructureFactorResults>& Results() const { return results_; }

  // --- commands ---
  // "Import Crystal Structure...". Cancelling the file dialog keeps the
  // structure and the results as they were.
  void ImportStructure(UserInterface& ui);
  // "Photon Energy...".
  void PhotonEnergy(UserInterface& ui);
  // The temperature combo box was edited or an entry picked; its text is in
  // the Temperature field.
  void TemperatureEdited();
  // The temperature combo box lost the focus.
  void TemperatureLeft();
  // An index box was edited; its text is in the field.
  void IndexEdited();
  // "Calculate !!!".
  void Calculate(UserInterface& ui);
  // "Copy Chi to Clipboard".
  void CopyChi(UserInterface& ui);
  // "Form Factor...".
  void FormFactor(UserInterface& ui);
  // "Debye-Waller\ntemperatures...".
  void DebyeWallerTemperatures(UserInterface& ui);

 private:
  static StructureFactorField Offset(StructureFactorField first, int by) {
    return static_cast<StructureFactorField>(static_cast<int>(first) + by);
  }
  void MarkStale(bool reflectionOnly);
  void ShowResults();

  AppContext& app_;
  std::array<FormField, static_cast<std::size_t>(StructureFactorField::Count)> fields_;
  crystal::CrystalStructure structure_;
  double energy_;
  double temperature_;
  bool stale_ = true;
  std::array<int, 3> hkl_{};  // of the last calculation
  std::optional<StructureFactorResults> results_;
};

}  // namespace velto::programs
