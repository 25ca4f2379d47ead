#include "shell/ComboRules.h"

#include <algorithm>

#include "core/Units.h"
#include "shell/NumberText.h"

namespace velto::shell {

std::string ConvertedPartnerText(std::string_view ownText) {
  const double x = ParseNumber(ownText);
  if (!(x > 0)) return {};
  return FormatNumber(core::kHcKevAngstrom / x, 8);
}

std::string WavelengthTextOnLeave(std::string_view ownText) {
  const double x = ParseNumber(ownText);
  if (!(x > 0)) return {};
  return FormatNumber(x, 8);
}

std::string TemperatureTextOnLeave(std::string_view ownText) {
  return FormatNumber(std::max(ParseNumber(ownText), 0.000001), 8);
}

}  // namespace velto::shell
