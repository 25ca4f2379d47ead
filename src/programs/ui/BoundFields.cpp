#include "programs/ui/BoundFields.h"

#include <cmath>

#include "core/TextNumbers.h"
#include "programs/ui/FieldReading.h"

namespace velto::programs {

namespace {

// Shows a refusal and moves the focus to its field; the value when there is none.
template <typename Value>
std::optional<Value> ShowUnlessRefused(UserInterface& ui, std::variant<Value, core::Refusal> read) {
  if (const auto* refusal = std::get_if<core::Refusal>(&read)) {
    ShowRefusal(ui, *refusal);
    return std::nullopt;
  }
  return std::get<Value>(read);
}

}  // namespace

std::optional<int> ReadBoundInteger(UserInterface& ui, std::string_view text, int minimum, int maximum,
                                    std::string_view field) {
  return ShowUnlessRefused(ui, core::ReadBoundInteger(text, minimum, maximum, field));
}

std::optional<double> ReadBoundNumber(UserInterface& ui, std::string_view text, double minimum, double maximum,
                                      std::string_view field, std::string_view label) {
  return ShowUnlessRefused(ui, core::ReadBoundNumber(text, minimum, maximum, field, label));
}

std::optional<double> ReadAnyNumber(UserInterface& ui, std::string_view text, std::string_view label,
                                    std::string_view field) {
  return ReadBoundNumber(ui, text, -HUGE_VAL, HUGE_VAL, field, label);
}

std::string BoundIntegerText(int value) { return std::to_string(value); }

std::string BoundNumberText(double value) { return core::FormatGeneral(value, 15); }

std::string FieldText(double value) { return core::FormatGeneral(value, 17); }

}  // namespace velto::programs
