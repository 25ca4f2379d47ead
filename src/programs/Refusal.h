#pragma once
#include <string>

#include "core/Notifier.h"

namespace velto::programs {

// A command that refuses its inputs: the message the person sees, its icon,
// and the field that gets the keyboard focus (empty for none). Checks return
// it as a value; the form or the command-line tool shows it.
struct Refusal {
  std::string message;
  core::MessageIcon icon = core::MessageIcon::None;
  std::string field;

  bool operator==(const Refusal&) const = default;
};

}  // namespace velto::programs
