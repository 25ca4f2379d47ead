#include "programs/crystal_dialog/ReflectionChecks.h"

#include <algorithm>
#include <cmath>

#include "core/Refusal.h"

namespace velto::programs {

std::optional<std::string> CheckMillerIndices(std::span<const int> hkl, AllZeroHkl allZero) {
  for (int index : hkl)
    if (index < -kLargestMillerIndex || index > kLargestMillerIndex)
      return core::IntegerOutOfLimits(-kLargestMillerIndex, kLargestMillerIndex, {}).message;
  if (allZero == AllZeroHkl::Refuse && std::all_of(hkl.begin(), hkl.end(), [](int index) { return index == 0; }))
    return kAllZeroHklMessage;
  return std::nullopt;
}

std::optional<std::string> CheckPhotonEnergy(double energyEv) {
  if (energyEv > 0 && std::isfinite(energyEv)) return std::nullopt;
  return "The photon energy must be a positive number of keV.";
}

std::optional<std::string> CheckAtomicDataEnergy(double energyEv) {
  if (!(energyEv > kHighestAtomicDataEnergyEv)) return std::nullopt;
  return "Currently this program cannot calculate structure factors for photon energies > 99.9 keV. You must "
         "MANUALLY SET the structure factors!";
}

std::optional<std::string> CheckTemperature(double kelvin, std::string_view text) {
  if (kelvin > 0) return std::nullopt;
  return "a temperature must be above 0 K, not \"" + std::string(text) + "\"";
}

std::optional<std::string> CheckRigorousTheory(bool laue, bool rigorous) {
  if (!(laue && rigorous)) return std::nullopt;
  return "The rigorous theory for grazing geometry is for the Bragg case only.";
}

bool TooSmallForBragg(double sine) { return sine - 1 > 1e-7; }

}  // namespace velto::programs
