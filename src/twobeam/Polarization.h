#pragma once

namespace velto::twobeam {

// Polarization of the incident wave with respect to the scattering plane.
enum class Polarization { Sigma, Pi };

}  // namespace velto::twobeam
