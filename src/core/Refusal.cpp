#include "core/Refusal.h"

#include "core/TextNumbers.h"

namespace velto::core {

Refusal IntegerOutOfLimits(int minimum, int maximum, std::string field) {
  return {"Enter an integer between " + std::to_string(minimum) + " and " + std::to_string(maximum) + ".",
          MessageIcon::Warning, std::move(field)};
}

Refusal NumberOutOfLimits(double minimum, double maximum, std::string field) {
  return {"Enter a number between " + FormatGeneral(minimum, 15) + " and " + FormatGeneral(maximum, 15) + ".",
          MessageIcon::Warning, std::move(field)};
}

Refusal NotFinite(std::string_view label, std::string_view text, std::string field) {
  const auto first = text.find_first_not_of(" \t\r\n");
  const auto last = text.find_last_not_of(" \t\r\n");
  const std::string_view shown = first == std::string_view::npos ? text.substr(0, 0) : text.substr(first, last - first + 1);
  return {"\"" + std::string(label) + "\" must be a finite number, not \"" + std::string(shown) + "\".   ",
          MessageIcon::Warning, std::move(field)};
}

std::variant<double, Refusal> ReadFreeNumber(std::string_view text, std::string_view label, std::string_view field) {
  if (ReadsAsNonFinite(text)) return NotFinite(label, text, std::string(field));
  return LeadingNumber(text).value_or(0.0);
}

std::variant<double, Refusal> ReadBoundNumber(std::string_view text, double minimum, double maximum,
                                              std::string_view field, std::string_view label) {
  if (ReadsAsNonFinite(text)) return NotFinite(label.empty() ? field : label, text, std::string(field));
  const std::optional<double> value = LeadingNumber(text);
  if (!value) return Refusal{"Enter a number.", MessageIcon::Warning, std::string(field)};
  if (!(*value >= minimum && *value <= maximum)) return NumberOutOfLimits(minimum, maximum, std::string(field));
  return *value;
}

std::variant<int, Refusal> ReadBoundInteger(std::string_view text, int minimum, int maximum,
                                            std::string_view field) {
  const std::optional<int> value = LeadingInteger(text);
  if (!value) return Refusal{"Enter an integer.", MessageIcon::Warning, std::string(field)};
  if (*value < minimum || *value > maximum) return IntegerOutOfLimits(minimum, maximum, std::string(field));
  return *value;
}

}  // namespace velto::core
