#include "shell/NumberText.h"

#include <algorithm>
#include <cmath>

#include "core/TextNumbers.h"

namespace velto::shell {

std::string FormatNumber(double x, int decimals) {
  const double magnitude = std::fabs(x);
  if (!(magnitude <= 10000000.0) || magnitude < 0.0001) return core::FormatGeneral(x, 6);
  std::string text = core::FormatFixed(x, std::clamp(decimals, 1, 16));
  while (!text.empty() && text.back() == '0') text.pop_back();
  while (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

std::string FormatInteger(int n) { return std::to_string(n); }

double ParseNumber(std::string_view text) { return core::LeadingNumber(text).value_or(0.0); }

int ParseInteger(std::string_view text) { return core::LeadingInteger(text).value_or(0); }

}  // namespace velto::shell
