#pragma once
#include <optional>
#include <span>
#include <string>

// Plausibility checks of the scattering-factor tables a data file holds,
// shared by the readers of the f0/f1/f2 files and of StructFactor.Data. A
// table can pass the reader and the f0(0) = Z check and still give -inf or
// 1e305 electrons (a negative exponent, a corrupted magnitude); these
// checks keep such numbers from reaching a structure factor.
namespace velto::crystal {

// f0(s) = Σ aᵢ exp(−bᵢ s²) + c, with s = sin θ/λ in Å⁻¹. The first fault, in
// words ("f0 rises from 13.9 to 4e+21 between sin θ/λ = 0 and 0.05 Å⁻¹"), or
// none: every coefficient of a plausible size, no exponent below the
// slightly negative ones of the published fits, and f0 finite and not rising
// from 0 to `highestS`.
std::optional<std::string> GaussianF0Fault(std::span<const double> a, std::span<const double> b, double c,
                                           double highestS);

// The first fault of an anomalous-scattering table of the element `z`
// (f1 = Z + f', f2 = f'' in electrons), or none: |f1| and f2 within a few
// times Z + 100 electrons. The largest magnitudes of the shipped tables
// (caesium near 10 eV: |f1| = 546, f2 = 355) stay well inside.
std::optional<std::string> AnomalousFactorFault(int z, double f1, double f2);

}  // namespace velto::crystal
