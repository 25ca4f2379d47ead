#include "shell/ComboRules.h"

#include <algorithm>
#include <cmath>

#include "core/TextNumbers.h"
#include "core/Units.h"
#include "shell/NumberText.h"

namespace velto::shell {

std::string ConvertedPartnerText(std::string_view ownText) {
  const double x = ParseNumber(ownText);
  if (!(x > 0) || core::ReadsAsNonFinite(ownText)) return {};
  const double converted = core::kHcKevAngstrom / x;
  // A wavelength below the smallest double's reach has no energy to show.
  if (!std::isfinite(converted)) return {};
  return FormatNumber(converted, 8);
}

// A text that reads as infinity or not-a-number stays as typed when a list
// is left, so that the command that reads it can refuse it in those words.

std::string WavelengthTextOnLeave(std::string_view ownText) {
  if (core::ReadsAsNonFinite(ownText)) return std::string(ownText);
  const double x = ParseNumber(ownText);
  if (!(x > 0)) return {};
  return FormatNumber(x, 8);
}

std::string TemperatureTextOnLeave(std::string_view ownText) {
  if (core::ReadsAsNonFinite(ownText)) return std::string(ownText);
  return FormatNumber(std::max(ParseNumber(ownText), 0.000001), 8);
}

}  // namespace velto::shell
