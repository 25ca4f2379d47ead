#pragma once
#include "core/Refusal.h"

namespace velto::programs {
using core::IntegerOutOfLimits;
using core::NumberOutOfLimits;
using core::Refusal;
}  // namespace velto::programs
