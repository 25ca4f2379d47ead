#pragma once
#include <string_view>

#include "core/Notifier.h"
#include "crystal/CrystalStructure.h"
#include "mbd/Vec3.h"

namespace velto::mbd {

// The reflection rule of the diamond structure (Si, Ge, C): 1 when h, k, l
// are all odd, or all even with h + k + l divisible by 4; 0 otherwise.
// (0 0 0) is allowed. Returned as an int because callers add the rules of
// several reflections into a score.
int DiamondAllowed(int h, int k, int l);
inline int DiamondAllowed(Miller m) { return DiamondAllowed(m.h, m.k, m.l); }

// Whether a crystal of this name is treated with the diamond rule (the
// "Si//Ge/C structure" mode): "Silicon", "Si", "Ge", "Germanium", "C" or
// "Diamond", ignoring letter case.
bool IsDiamondStructureName(std::string_view crystalName);

// 1 when |χ| of reflection hkl at `energyEv` reaches `threshold` (compared
// as squares), else 0. A negative energy means 12398.4244/d eV, the energy at
// which λ equals the reflection's own d-spacing. (0 0 0) counts as allowed.
// Interpolates the crystal's f′ and f″ at that energy.
int ChiAllowed(crystal::CrystalStructure& crystal, double energyEv, Miller hkl, double threshold,
               core::Notifier& notifier);

}  // namespace velto::mbd
