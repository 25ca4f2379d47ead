#pragma once
#include <string>

#include "crystal/CrystalParams.h"
#include "programs/crystal_dialog/CrystalParamsForm.h"
#include "programs/ui/AppContext.h"
#include "programs/ui/FormField.h"
#include "programs/ui/UserInterface.h"

// The two crystals of the multi-crystal programs: the monochromator and the
// sample of the convoluted curve, the 1st and 2nd crystal of the
// monochromator. Both programs define and show them alike; only a few texts
// differ between the first and the second.
namespace velto::programs {

enum class PairMember { First, Second };

// The fields that show a crystal of the pair.
struct PairCrystalFields {
  FormField& name;
  FormField& hkl;
  FormField& bragg;
};

// Defines the crystal through the crystal dialog (loading a structure
// first when it has none, as `onMissing` says) and, after OK, shows its
// name, "H K L:" and Bragg angle: θB in degrees with 8 decimals, or, when
// λ/(2d) ≥ 1, "No diffraction" (first) or "No diffraction!" (second) after
// the 180° message. The crystal is taken over in both cases.
void DefinePairCrystal(AppContext& app, UserInterface& ui, crystal::CrystalParams& crystal, double energyEv,
                       MissingStructure onMissing, PairMember member, const PairCrystalFields& fields);

// The Bragg-angle field after the photon energy changed: "No Diffraction!"
// when λ/(2d) > 1, else θB in degrees with 8 decimals.
std::string BraggAngleAfterEnergyChange(double energyEv, double d);

}  // namespace velto::programs
