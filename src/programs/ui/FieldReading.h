#pragma once
#include <optional>
#include <string_view>

#include "core/Refusal.h"
#include "programs/ui/UserInterface.h"

namespace velto::programs {

// Shows a refusal and moves the focus to its field.
void ShowRefusal(UserInterface& ui, const core::Refusal& refusal);

// A free number field of a form: its leading number (0
// without one), or none after the refusal of a text that reads as infinity
// or not-a-number. `label` names the field as the window shows it.
std::optional<double> ReadNumberField(UserInterface& ui, std::string_view text, std::string_view label,
                                      std::string_view field);

}  // namespace velto::programs
