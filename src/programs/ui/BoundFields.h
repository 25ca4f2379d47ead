#pragma once
#include <optional>
#include <string_view>

#include "core/Refusal.h"
#include "programs/ui/UserInterface.h"

// Fields are read when a command runs. Bound fields: one leading number,
// within the field's limits. A refusal shows its message, moves the focus to
// the field and leaves the value unread.
namespace velto::programs {

// Shows a refusal of a command: its message, then the focus to its field.
void ShowRefusal(UserInterface& ui, const core::Refusal& refusal);

std::optional<int> ReadBoundInteger(UserInterface& ui, std::string_view text, int minimum, int maximum,
                                    std::string_view field);
std::optional<double> ReadBoundNumber(UserInterface& ui, std::string_view text, double minimum, double maximum,
                                      std::string_view field, std::string_view label = {});
// A free field: its leading number (0 when there is none); a text that reads
// as infinity or not-a-number is refused as above, `label` naming the field.
std::optional<double> ReadFreeNumber(UserInterface& ui, std::string_view text, std::string_view label,
                                     std::string_view field);

// How a bound field is written when its form is first shown.
std::string BoundIntegerText(int value);
std::string BoundNumberText(double value);

}  // namespace velto::programs
