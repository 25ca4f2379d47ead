#pragma once
#include <optional>

namespace velto::crystal {

// The Debye temperature (K) that gives an atom of element `z` the
// Debye–Waller B (Å²) `bIso` at `temperature` (K), in the Debye model the
// program itself uses for its Debye–Waller factors (DebyeWallerB). Nothing
// when no Debye temperature between 1 K and 10000 K gives that B.
std::optional<double> DebyeTemperatureFromB(int z, double bIso, double temperature);

// The Debye temperature (K) of the element's own crystal from the table of
// common elements (sources in data/README.md); nothing for elements not in it.
std::optional<double> TabulatedDebyeTemperature(int z);

}  // namespace velto::crystal
