#pragma once
#include <optional>
#include <span>
#include <string>
#include <string_view>

// What the crystal dialog checks before it computes the chi of a reflection,
// for the faces that compute it from given numbers rather than through the
// dialog (velto-cli chi and rc, the Python module): each check gives the
// dialog's own refusal text, or nothing when the value passes.
namespace velto::programs {

inline constexpr int kLargestMillerIndex = 999;
// Photon energies above this have no atomic data in the suite.
inline constexpr double kHighestAtomicDataEnergyEv = 99900.0;

inline constexpr const char* kAllZeroHklMessage = "HKL should not be ALL zero!   ";
inline constexpr const char* kNoStructureMessage = "You have to import a Crystal Structure !   ";
inline constexpr const char* kTooSmallForBraggMessage =
    "d-spacing seems to be too small to satisfy Bragg condition! \nSet thetaB = 90 deg.";

// An index outside -999 ... 999 or, unless accepted, all indices zero. The
// structure-factor table reads 0 0 0 as "forward only"; the multiple-beam
// program leaves it to its geometry, which words it itself.
enum class AllZeroHkl { Refuse, Accept };
std::optional<std::string> CheckMillerIndices(std::span<const int> hkl, AllZeroHkl allZero = AllZeroHkl::Refuse);

// A photon energy (eV) that is not a positive, finite number.
std::optional<std::string> CheckPhotonEnergy(double energyEv);

// An energy above the atomic data: the structure factors must be set by hand.
std::optional<std::string> CheckAtomicDataEnergy(double energyEv);

// A crystal temperature (K) at or below 0 K, as given in `text`: the
// Debye–Waller factor needs a positive one. velto-cli and the Python module
// refuse it; the window's crystal dialog takes it as 10⁻⁶ K. The text reads
// after the name of what gave it ("--temp: a temperature must be ...").
std::optional<std::string> CheckTemperature(double kelvin, std::string_view text);

// The rigorous theory for grazing geometry is written for the Bragg case.
std::optional<std::string> CheckRigorousTheory(bool laue, bool rigorous);

// sin θB = λ / 2d beyond 1 by more than rounding: the dialog warns with
// kTooSmallForBraggMessage and shows θB = 90°.
bool TooSmallForBragg(double sine);

}  // namespace velto::programs
