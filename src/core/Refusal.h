#pragma once
#include <string>
#include <string_view>
#include <variant>

#include "core/Notifier.h"

namespace velto::core {

// A command that refuses its inputs: the message the person sees, its icon,
// and the field that gets the keyboard focus (empty for none). Checks return
// it as a value; the form or the command-line tool shows it.
struct Refusal {
  std::string message;
  MessageIcon icon = MessageIcon::None;
  std::string field;

  bool operator==(const Refusal&) const = default;
};

// The input framework's standard messages for a bound field out of its
// limits, written as that framework writes them.
Refusal IntegerOutOfLimits(int minimum, int maximum, std::string field);
Refusal NumberOutOfLimits(double minimum, double maximum, std::string field);

// Bound fields are read when a command runs: one leading number within the
// field's limits, else the framework's refusal ("Enter a number." when the
// text holds no number) with the focus on the field.
std::variant<double, Refusal> ReadBoundNumber(std::string_view text, double minimum, double maximum,
                                              std::string_view field);
std::variant<int, Refusal> ReadBoundInteger(std::string_view text, int minimum, int maximum,
                                            std::string_view field);

}  // namespace velto::core
