#include "programs/mbd_map/MapInputs.h"

#include <algorithm>

#include "core/Units.h"
#include "shell/NumberText.h"

namespace velto::programs {
namespace {

using shell::FormatNumber;

constexpr double kSmallestEnergyRange = 0.001;  // eV
constexpr double kSmallestPhiRange = 0.001;     // degrees
constexpr double kHighEnergy = 50000;
constexpr double kHighEnergyWidth = 1000;
constexpr double kPhiShift = 10;
constexpr double kEnergyShift = 1000;

// Clamps without std::clamp's requirement that low <= high: for a primary
// reflection that starts diffracting above the highest energy the high end
// wins, and the map is empty rather than undefined.
double Between(double value, double low, double high) { return std::min(std::max(value, low), high); }

int AtLeastTwo(const std::string& text) { return std::max(shell::ParseInteger(text), 2); }

}  // namespace

double LowestRangeStart(double lowestEnergy) { return std::max(lowestEnergy - 100, 1.0); }

RangeReading ReadMapRanges(const MapRangeTexts& typed, double lowestEnergy) {
  RangeReading r;
  r.written = typed;
  MapRanges& v = r.ranges;
  auto read = [&r](const std::string& text, const char* field) -> std::optional<double> {
    auto value = core::ReadFreeNumber(text, field, field);
    if (auto* refusal = std::get_if<Refusal>(&value)) {
      r.refusal = *refusal;
      return std::nullopt;
    }
    return std::get<double>(value);
  };

  const std::optional<double> threshold = read(typed.threshold, kThresholdField);
  if (!threshold) return r;
  v.threshold = std::max(*threshold, 0.0);
  r.written.threshold = FormatNumber(v.threshold, 8);

  const std::optional<double> from = read(typed.energyFrom, kEnergyFromField);
  if (!from) return r;
  v.energyMin = Between(*from * core::kEvPerKev, LowestRangeStart(lowestEnergy), kHighestMapEnergyStart);
  r.written.energyFrom = FormatNumber(v.energyMin / core::kEvPerKev, 8);

  const std::optional<double> to = read(typed.energyTo, kEnergyToField);
  if (!to) return r;
  v.energyMax = std::min(*to * core::kEvPerKev, kHighestMapEnergy);
  if (v.energyMax < v.energyMin + kSmallestEnergyRange) {
    v.energyMax = v.energyMin + kSmallestEnergyRange;
    r.refusal = Refusal{kEnergyRangeMessage, core::MessageIcon::None, kEnergyToField};
    return r;
  }
  r.written.energyTo = FormatNumber(v.energyMax / core::kEvPerKev, 8);

  v.energyPoints = AtLeastTwo(typed.energyPoints);
  r.written.energyPoints = shell::FormatInteger(v.energyPoints);
  v.phiPoints = AtLeastTwo(typed.phiPoints);
  r.written.phiPoints = shell::FormatInteger(v.phiPoints);

  const std::optional<double> phiFrom = read(typed.phiFrom, kPhiFromField);
  if (!phiFrom) return r;
  v.phiMin = Between(*phiFrom, -180, 179.999);
  r.written.phiFrom = FormatNumber(v.phiMin, 8);
  const std::optional<double> phiTo = read(typed.phiTo, kPhiToField);
  if (!phiTo) return r;
  if (*phiTo < v.phiMin + kSmallestPhiRange) {
    v.phiMax = v.phiMin + kSmallestPhiRange;
    r.refusal = Refusal{kPhiRangeMessage, core::MessageIcon::None, kPhiToField};
    return r;
  }
  v.phiMax = std::min(*phiTo, 180.0);
  r.written.phiTo = FormatNumber(v.phiMax, 8);

  r.askHighEnergy = v.energyMin > kHighEnergy && v.energyMax - v.energyMin > kHighEnergyWidth;
  return r;
}

MapRangeTexts RangeTexts(const MapRanges& v) {
  return {FormatNumber(v.threshold, 8),          FormatNumber(v.energyMin / core::kEvPerKev, 8),
          FormatNumber(v.energyMax / core::kEvPerKev, 8), shell::FormatInteger(v.energyPoints),
          FormatNumber(v.phiMin, 8),             FormatNumber(v.phiMax, 8),
          shell::FormatInteger(v.phiPoints)};
}

MapRanges Shifted(MapRanges v, RangeShift shift, double lowestEnergy) {
  switch (shift) {
    case RangeShift::PhiDown: {
      const double phiMin = std::max(-180.0, v.phiMin - kPhiShift);
      v.phiMax -= v.phiMin - phiMin;
      v.phiMin = phiMin;
      break;
    }
    case RangeShift::PhiUp: {
      const double phiMax = std::min(180.0, v.phiMax + kPhiShift);
      v.phiMin += phiMax - v.phiMax;
      v.phiMax = phiMax;
      break;
    }
    case RangeShift::EnergyDown: {
      const double energyMin = std::max(LowestRangeStart(lowestEnergy), v.energyMin - kEnergyShift);
      v.energyMax -= v.energyMin - energyMin;
      v.energyMin = energyMin;
      break;
    }
    case RangeShift::EnergyUp: {
      const double energyMax = std::min(kHighestMapEnergy, v.energyMax + kEnergyShift);
      v.energyMin += energyMax - v.energyMax;
      v.energyMax = energyMax;
      break;
    }
  }
  return v;
}

}  // namespace velto::programs
