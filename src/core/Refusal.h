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

// The refusal of a field whose text reads as infinity or not-a-number
// (1e999, "nan"): `label` names the field as the window shows it.
Refusal NotFinite(std::string_view label, std::string_view text, std::string field);

// A free field read when a command runs: its leading number, 0 when the text
// has none (each command decides what 0 means), refused with NotFinite when
// the text reads as infinity or not-a-number.
std::variant<double, Refusal> ReadFreeNumber(std::string_view text, std::string_view label, std::string_view field);

// Bound fields are read when a command runs: one leading number within the
// field's limits, else the framework's refusal ("Enter a number." when the
// text holds no number) with the focus on the field. A text that reads as
// infinity or not-a-number is refused with NotFinite whatever the limits;
// `label` names the field there (the focus name when empty).
std::variant<double, Refusal> ReadBoundNumber(std::string_view text, double minimum, double maximum,
                                              std::string_view field, std::string_view label = {});
std::variant<int, Refusal> ReadBoundInteger(std::string_view text, int minimum, int maximum,
                                            std::string_view field);

}  // namespace velto::core
