#pragma once
#include "core/Refusal.h"

namespace velto::multicrystal {

using core::IntegerOutOfLimits;
using core::NumberOutOfLimits;
using core::Refusal;

// Messages shared by both programs.
inline constexpr const char* kNoDiffractionMessage = "No diffraction!";
inline constexpr const char* kOffcutMessage =
    "The absolte value of Offcut Angle should be less than the Bragg angle !  ";
inline constexpr const char* kRockingRangeMessage = "The rocking range must between 0.001 and 360,000 arcsec !  ";
inline constexpr const char* kNoMemoryMessage = "Your computer has no enough memory !!!   ";

}  // namespace velto::multicrystal
