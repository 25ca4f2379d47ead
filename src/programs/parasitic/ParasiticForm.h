#pragma once
#include <array>

#include "programs/parasitic/ParasiticReflections.h"
#include "programs/ui/FormField.h"
#include "programs/ui/UserInterface.h"

// The model of `CDlgParasitic`, the modeless tool that lists the parasitic
// reflections of a back reflection from a cubic crystal. The application
// keeps one for the whole run, so the primary reflection and the
// diamond-structure flag it was last given are remembered until it ends.
namespace velto::programs {

enum class ParasiticField {
  H,
  K,
  L,
  DiamondStructure,  // check box "Si//Ge/C structure"
  Output,            // multi-line, read-only
  Note,              // read-only
  Count
};

class ParasiticForm {
 public:
  static constexpr const char* kTitle = "Parasitic reflections and CMBDPs of back reflection from cubic structures";
  static constexpr const char* kIntroduction =
      "Parasitic Reflections of a Back Reflection (Bragg angle close to 90 deg.) from cubic structures (only) and the "
      "Continuous Mulitple-Beam Diffraction Planes (CMBDPs)";
  static constexpr const char* kPrimaryLabel = "Primary Reflection (HKL):";
  static constexpr const char* kDiamondLabel = "Si//Ge/C structure";
  static constexpr const char* kOutputLabel =
      "Parasitic Reflections hkl satisfying h^2 + k^2 + l^2 = Hh + Kk +Ll, the CMBDPs (Continous MBD planes), and the "
      "HDRs (Horizontal Reference Directions):";
  static constexpr const char* kSelectAllHint = "( You can use Ctrl+A to select all and copy paste to Notepad )";
  static const char* const kNote;
  static constexpr std::array<const char*, 3> kIndexFields{"h", "k", "l"};

  ParasiticForm();

  FormField& Field(ParasiticField id) { return fields_[static_cast<std::size_t>(id)]; }
  const FormField& Field(ParasiticField id) const { return fields_[static_cast<std::size_t>(id)]; }
  // The remembered primary reflection and flag.
  const std::array<int, 3>& Primary() const { return primary_; }
  bool DiamondStructure() const { return diamond_; }

  // "Calculate". After a refusal the output keeps its text.
  void Calculate(UserInterface& ui);

 private:
  std::array<FormField, static_cast<std::size_t>(ParasiticField::Count)> fields_;
  std::array<int, 3> primary_{4, 4, 0};
  bool diamond_ = true;
};

}  // namespace velto::programs
