#pragma once
#include <string_view>

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

}  // namespace velto::mbd
