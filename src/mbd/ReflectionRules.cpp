#include "mbd/ReflectionRules.h"

#include <array>
#include <cctype>
#include <complex>

#include "core/Units.h"
#include "crystal/Susceptibility.h"

namespace velto::mbd {

int DiamondAllowed(int h, int k, int l) {
  const bool allOdd = (h % 2 != 0) && (k % 2 != 0) && (l % 2 != 0);
  if (allOdd) return 1;
  const bool allEven = (h % 2 == 0) && (k % 2 == 0) && (l % 2 == 0);
  // C++ takes the remainder with the sign of the dividend, so -4 % 4 == 0
  // and negative sums are judged like positive ones.
  return allEven && (h + k + l) % 4 == 0 ? 1 : 0;
}

bool IsDiamondStructureName(std::string_view crystalName) {
  static constexpr std::array<std::string_view, 6> kNames = {"silicon", "si", "ge", "germanium", "c", "diamond"};
  for (std::string_view name : kNames) {
    if (name.size() != crystalName.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < name.size() && same; ++i)
      same = std::tolower(static_cast<unsigned char>(crystalName[i])) == name[i];
    if (same) return true;
  }
  return false;
}

int ChiAllowed(crystal::CrystalStructure& crystal, double energyEv, Miller hkl, double threshold,
               core::Notifier& notifier) {
  if (IsOrigin(hkl)) return 1;
  if (energyEv < 0) energyEv = core::kHcEvAngstrom / crystal.DSpacing(hkl.h, hkl.k, hkl.l);
  const std::complex<double> chi = crystal::ChiOf(crystal, energyEv, hkl.h, hkl.k, hkl.l, notifier);
  return std::norm(chi) >= threshold * threshold ? 1 : 0;
}

}  // namespace velto::mbd
