#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "core/Refusal.h"
#include "programs/ui/UserInterface.h"

// Bound fields are read when a command runs: one leading number, within the
// field's limits, never infinity or not-a-number (`label` names the field
// then). A refusal shows its message, moves the focus to the field and leaves
// the value unread.
namespace velto::programs {

std::optional<int> ReadBoundInteger(UserInterface& ui, std::string_view text, int minimum, int maximum,
                                    std::string_view field);
std::optional<double> ReadBoundNumber(UserInterface& ui, std::string_view text, double minimum, double maximum,
                                      std::string_view field, std::string_view label = {});

// A bound field without limits: any finite number. A text without a number
// gets the standard message, one that reads as infinity or not-a-number is
// refused naming `label`.
std::optional<double> ReadAnyNumber(UserInterface& ui, std::string_view text, std::string_view label,
                                    std::string_view field);

// How a bound field is written when its form is first shown.
std::string BoundIntegerText(int value);
std::string BoundNumberText(double value);

// A number given by a script (velto-cli's options, the Python module's
// arguments) as the text of a field, exact to the last digit, so that the
// form reads the very number given.
std::string FieldText(double value);

}  // namespace velto::programs
