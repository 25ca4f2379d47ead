#pragma once

namespace velto::programs {

// What the MBD-line map keeps for the application run rather than for one
// window: the index limits and the ranges last used, so that the map opened
// again starts where the person left it.
struct MbdMapSession {
  int hLimit = 99, kLimit = 99, lLimit = 99;
  double energyMin = 7000, energyMax = 9000;  // eV
  int energyPoints = 51;
  double phiMin = -10, phiMax = 10;  // degrees
  int phiPoints = 201;
};

}  // namespace velto::programs
