#pragma once
#include <cmath>
#include <optional>

#include "core/Units.h"

namespace velto::crystal {

// The Bragg angle θB (radians) of planes with spacing `d` (Å) at the photon
// energy `energyEv`: sin θB = λ/(2d). No angle when λ/(2d) exceeds 1, or when
// the energy or the spacing is not positive.
inline std::optional<double> BraggAngle(double energyEv, double d) {
  if (!(energyEv > 0) || !(d > 0)) return std::nullopt;
  const double sine = core::WavelengthOf(energyEv) / (2.0 * d);
  if (!(sine <= 1.0)) return std::nullopt;
  return std::asin(sine);
}

}  // namespace velto::crystal
