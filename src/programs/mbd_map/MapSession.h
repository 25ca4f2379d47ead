#pragma once
#include "programs/mbd_map/MapInputs.h"

namespace velto::programs {

// What the MBD-line map keeps for the application run rather than for one
// window: the index limits and the ranges last used, so that the map opened
// again starts where the person left it. (The χ threshold belongs to the
// window: each window starts with its default.)
struct MbdMapSession {
  int hLimit = 99, kLimit = 99, lLimit = 99;
  MapRanges ranges;
};

}  // namespace velto::programs
