#pragma once
// Physical constants and unit factors. Inside the computations energies are
// in eV, lengths in Å and angles in radians; conversions to keV, µm, degrees
// and arcseconds happen at the edges with these names.

namespace velto::core {

inline constexpr double kPi = 3.14159265358979323846;  // equals acos(-1) in double
inline constexpr double kTwoPi = 2.0 * kPi;
inline constexpr double kDegree = kPi / 180.0;             // radians per degree
inline constexpr double kArcsecond = kPi / (180.0 * 3600.0);  // radians per arcsecond
inline constexpr double kMicroradian = 1e-6;

inline constexpr double kHcEvAngstrom = 12398.4244;   // hc in eV·Å: λ[Å] = hc / E[eV]
inline constexpr double kHcKevAngstrom = 12.3984244;  // the same in keV·Å
inline constexpr double kHalfHcEvAngstrom = 6199.2122;
inline constexpr double kElectronRadius = 2.8179403267e-5;  // classical electron radius r_e in Å

inline constexpr double kEvPerKev = 1000.0;
inline constexpr double kAngstromPerMicrometre = 1e4;

// Cu Kα1, the default photon energy of the suite, in keV.
inline constexpr double kCuKalpha1Kev = 8.047987942062702;

inline constexpr double WavelengthOf(double energyEv) { return kHcEvAngstrom / energyEv; }

}  // namespace velto::core
