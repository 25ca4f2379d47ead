#pragma once
#include <array>
#include <optional>

#include "crystal/CrystalStructure.h"
#include "programs/mbd_map/MapSettingsForm.h"
#include "programs/mbd_map/MbdMapForm.h"
#include "programs/ui/UserInterface.h"

// The MBD-line map filled in by a script (velto-cli map, the Python module)
// as a person would fill the window: what is not given keeps the text the
// window shows.
namespace velto::programs {

struct MapSettingsEntries {
  // Taken as "Define Crystal ..." takes a loaded structure; none keeps the
  // dialog's crystal.
  const crystal::CrystalStructure* crystal = nullptr;
  // The "Si//Ge/C structure" box; none leaves it as the crystal's name set it.
  std::optional<bool> diamondMode;
  std::optional<std::array<int, 3>> primary;
  std::optional<std::array<double, 3>> reference;
  std::optional<std::array<int, 3>> limits;
};

// Fills the settings dialog in the order of the person: the crystal first
// (it resets the box), the box, G, H and the limits; then OK with its checks.
DialogResult FillMapSettings(MapSettingsForm& dialog, UserInterface& ui, const MapSettingsEntries& entries);

struct MapRangeEntries {
  std::optional<double> threshold;
  std::optional<double> energyFromKev, energyToKev;
  std::optional<int> energyPoints;
  std::optional<double> phiFromDeg, phiToDeg;
  std::optional<int> phiPoints;
};

// Types the threshold and the ranges into the window's fields.
void TypeMapRanges(MbdMapForm& form, const MapRangeEntries& entries);

}  // namespace velto::programs
