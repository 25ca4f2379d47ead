#include "programs/convoluted_curve/CrystalPair.h"

#include <cmath>

#include "core/Units.h"
#include "shell/NumberText.h"

namespace velto::programs {

void DefinePairCrystal(AppContext& app, UserInterface& ui, crystal::CrystalParams& crystal, double energyEv,
                       MissingStructure onMissing, PairMember member, const PairCrystalFields& fields) {
  if (DefineCrystal(app, ui, crystal, energyEv, onMissing) != DialogResult::Ok) return;
  const double sine = core::WavelengthOf(energyEv) / (2 * crystal.d);
  const bool first = member == PairMember::First;
  if (sine >= 1 || !(crystal.d > 0)) {
    ui.ShowMessage(first ? "180^o Back diffraction invalid here!     " : "180^o BackDiffraction invalid here!     ");
    fields.bragg.text = first ? "No diffraction" : "No diffraction!";
  } else {
    fields.bragg.text = shell::FormatNumber(std::asin(sine) / core::kDegree, 8);
  }
  fields.name.text = crystal.structure.name;
  fields.hkl.text = HklText(crystal);
}

std::string BraggAngleAfterEnergyChange(double energyEv, double d) {
  const double sine = core::WavelengthOf(energyEv) / (2 * d);
  if (sine > 1 || !(d > 0)) return "No Diffraction!";
  return shell::FormatNumber(std::asin(sine) / core::kDegree, 8);
}

}  // namespace velto::programs
