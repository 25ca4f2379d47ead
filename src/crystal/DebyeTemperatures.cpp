#include "crystal/DebyeTemperatures.h"

#include <cmath>

#include "crystal/ElementTable.h"
#include "crystal/Susceptibility.h"

namespace velto::crystal {
namespace {

constexpr double kLowestDebye = 1.0;
constexpr double kHighestDebye = 10000.0;

struct TabulatedValue {
  int z;
  double kelvin;
};

// Low-temperature limits of the Debye temperature of elemental crystals:
// C. Kittel, Introduction to Solid State Physics, 8th ed. (Wiley 2005),
// Table 5.1 (from N. Pearlman). Carbon is diamond.
constexpr TabulatedValue kTable[] = {
    {3, 344},  {4, 1440}, {6, 2230}, {11, 158}, {12, 400}, {13, 428}, {14, 645}, {19, 91},  {22, 420}, {23, 380},
    {24, 630}, {27, 445}, {26, 470}, {28, 450}, {29, 343}, {30, 327}, {31, 320}, {32, 374}, {41, 275}, {42, 450},
    {46, 274}, {47, 225}, {48, 209}, {49, 108}, {51, 211}, {73, 240}, {74, 400}, {78, 240}, {79, 165}, {82, 105},
};

}  // namespace

std::optional<double> DebyeTemperatureFromB(int z, double bIso, double temperature) {
  const double mass = ElementTable::Mass(z);
  if (!(mass > 0) || !(bIso > 0) || !(temperature > 0) || !std::isfinite(bIso)) return std::nullopt;
  // B falls steadily as the Debye temperature rises; bisect on its logarithm.
  double low = kLowestDebye, high = kHighestDebye;
  if (bIso > DebyeWallerB(mass, low, temperature) || bIso < DebyeWallerB(mass, high, temperature)) return std::nullopt;
  for (int i = 0; i < 45; ++i) {
    const double middle = std::sqrt(low * high);
    (DebyeWallerB(mass, middle, temperature) > bIso ? low : high) = middle;
  }
  return std::sqrt(low * high);
}

std::optional<double> TabulatedDebyeTemperature(int z) {
  for (const TabulatedValue& value : kTable)
    if (value.z == z) return value.kelvin;
  return std::nullopt;
}

}  // namespace velto::crystal
