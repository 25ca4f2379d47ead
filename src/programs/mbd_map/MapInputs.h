#pragma once
#include <optional>
#include <string>

#include "programs/Refusal.h"

// Reading the threshold and range fields of the MBD-line map, as the window
// does before a calculation, a slow map or a shift, and the shifts of the
// ranges. Energies in eV (the fields show keV), azimuths in degrees.
namespace velto::programs {

inline constexpr const char* kEnergyRangeMessage = "The energy range is invalid!";
inline constexpr const char* kPhiRangeMessage = "The Azimuthal angle range is invalid!";
inline constexpr const char* kHighEnergyQuestion =
    "Calculation for high energies could be very slow. Make the energy and phi ranges as small as possible. Do you "
    "still want to proceed? ";

// Field names, also the labels a refusal of a non-finite text names.
inline constexpr const char* kThresholdField = "Ignore weak Reflecntions with |chi| <";
inline constexpr const char* kEnergyFromField = "Energy from";
inline constexpr const char* kEnergyToField = "Energy to";
inline constexpr const char* kEnergyPointsField = "Energy points";
inline constexpr const char* kPhiFromField = "Phi from";
inline constexpr const char* kPhiToField = "Phi to";
inline constexpr const char* kPhiPointsField = "Phi points";

inline constexpr double kHighestMapEnergy = 999999;      // eV
inline constexpr double kHighestMapEnergyStart = 999998.999;

// The texts of the seven fields.
struct MapRangeTexts {
  std::string threshold, energyFrom, energyTo, energyPoints, phiFrom, phiTo, phiPoints;
  bool operator==(const MapRangeTexts&) const = default;
};

struct MapRanges {
  double threshold = 1e-8;
  double energyMin = 7000, energyMax = 9000;
  int energyPoints = 51;
  double phiMin = -10, phiMax = 10;
  int phiPoints = 201;
};

// The lowest energy a range may start at: 100 eV below E0, where G begins to
// diffract, and never at or below zero (a cell larger than 62 Å has E0 below
// 100 eV).
double LowestRangeStart(double lowestEnergy);

struct RangeReading {
  MapRanges ranges;
  // What the fields show afterwards: the values read, clamped and written
  // back, up to a refusal (the field refused keeps its text).
  MapRangeTexts written;
  std::optional<Refusal> refusal;
  // Energies above 50 keV over more than 1 keV: the person is asked first.
  bool askHighEnergy = false;
};

// `lowestEnergy` is E0 of the primary reflection (eV).
RangeReading ReadMapRanges(const MapRangeTexts& typed, double lowestEnergy);

// The fields showing `ranges` (keV and degrees with 8 decimals).
MapRangeTexts RangeTexts(const MapRanges& ranges);

// The four shift buttons. Each moves the whole range and stops at the edge
// of the allowed interval, keeping the width where it can.
enum class RangeShift { PhiDown, PhiUp, EnergyDown, EnergyUp };
MapRanges Shifted(MapRanges ranges, RangeShift shift, double lowestEnergy);

}  // namespace velto::programs
