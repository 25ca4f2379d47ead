#pragma once
#include <string>

#include "core/Notifier.h"

namespace velto::multicrystal {

// A command that refuses its inputs: the message the person sees, its icon,
// and the field that gets the keyboard focus (empty for none). The checks of
// this layer return it as a value; the form or the command-line tool shows
// it. (The programs layer has the same shape in programs::Refusal.)
struct Refusal {
  std::string message;
  core::MessageIcon icon = core::MessageIcon::None;
  std::string field;

  bool operator==(const Refusal&) const = default;
};

// The input framework's standard messages for a bound field out of its
// limits, written as that framework writes them.
Refusal IntegerOutOfLimits(int minimum, int maximum, std::string field);
Refusal NumberOutOfLimits(double minimum, double maximum, std::string field);

// Messages shared by both programs.
inline constexpr const char* kNoDiffractionMessage = "No diffraction!";
inline constexpr const char* kOffcutMessage =
    "The absolte value of Offcut Angle should be less than the Bragg angle !  ";
inline constexpr const char* kRockingRangeMessage = "The rocking range must between 0.001 and 360,000 arcsec !  ";
inline constexpr const char* kNoMemoryMessage = "Your computer has no enough memory !!!   ";

}  // namespace velto::multicrystal
