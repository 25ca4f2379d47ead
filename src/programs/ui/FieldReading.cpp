#include "programs/ui/FieldReading.h"

#include <variant>

namespace velto::programs {

void ShowRefusal(UserInterface& ui, const core::Refusal& refusal) {
  ui.ShowMessage(refusal.message, refusal.icon);
  if (!refusal.field.empty()) ui.Focus(refusal.field);
}

std::optional<double> ReadNumberField(UserInterface& ui, std::string_view text, std::string_view label,
                                      std::string_view field) {
  auto read = core::ReadFreeNumber(text, label, field);
  if (const core::Refusal* refusal = std::get_if<core::Refusal>(&read)) {
    ShowRefusal(ui, *refusal);
    return std::nullopt;
  }
  return std::get<double>(read);
}

}  // namespace velto::programs
