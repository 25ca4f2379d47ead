#include "programs/ui/BoundFields.h"

#include "core/TextNumbers.h"

namespace velto::programs {
namespace {

std::string Between(const char* pattern, const std::string& low, const std::string& high) {
  std::string text = pattern;
  text.replace(text.find("%1"), 2, low);
  text.replace(text.find("%2"), 2, high);
  return text;
}

}  // namespace

std::optional<int> ReadBoundInteger(UserInterface& ui, std::string_view text, int minimum, int maximum,
                                    std::string_view field) {
  const auto value = core::LeadingInteger(text);
  if (!value) {
    ui.ShowMessage("Enter an integer.", MessageIcon::Warning);
    ui.Focus(field);
    return std::nullopt;
  }
  if (*value < minimum || *value > maximum) {
    ui.ShowMessage(Between("Enter an integer between %1 and %2.", std::to_string(minimum), std::to_string(maximum)),
                   MessageIcon::Warning);
    ui.Focus(field);
    return std::nullopt;
  }
  return value;
}

std::optional<double> ReadBoundNumber(UserInterface& ui, std::string_view text, double minimum, double maximum,
                                      std::string_view field) {
  const auto value = core::LeadingNumber(text);
  if (!value) {
    ui.ShowMessage("Enter a number.", MessageIcon::Warning);
    ui.Focus(field);
    return std::nullopt;
  }
  if (!(*value >= minimum && *value <= maximum)) {
    ui.ShowMessage(Between("Enter a number between %1 and %2.", core::FormatGeneral(minimum, 15),
                           core::FormatGeneral(maximum, 15)),
                   MessageIcon::Warning);
    ui.Focus(field);
    return std::nullopt;
  }
  return value;
}

std::string BoundIntegerText(int value) { return std::to_string(value); }

std::string BoundNumberText(double value) { return core::FormatGeneral(value, 15); }

}  // namespace velto::programs
