#pragma once
#include "core/Notifier.h"
#include "crystal/CrystalStructure.h"
#include "mbd/MbdGeometry.h"
#include "mbd/ReflectionAzimuthList.h"

namespace velto::mbd {

struct SearchResult {
  double tolerance = 2;      // degrees, after clamping to [1e-5, 180]
  double threshold = 1e-8;   // after clamping to ≥ 0
  // One entry per hit in search order: h k l, the azimuth closer to φ0,
  // the other one (kNoAngle with a single root).
  ReflectionAzimuthList hits;
  // The deviation of the closer azimuth from φ0, in degrees, per hit.
  std::vector<double> deviations;
};

// Lists the reflections whose three-beam azimuth with G lies within
// `tolerance` degrees of the principal azimuth. The frame must be built and
// φ0 set (the caller checks with FrameMessage). Forbidden reflections are
// skipped: by the diamond rule in `diamondMode`, else by the χ threshold.
SearchResult SearchReflectionsNearAzimuth(const MbdGeometry& geometry, crystal::CrystalStructure& crystal,
                                          bool diamondMode, double tolerance, double threshold,
                                          core::Notifier& notifier);

}  // namespace velto::mbd
