#pragma once
#include <functional>
#include <optional>

#include "mbd/MbdLineMap.h"

// What the MBD-line map window asks of a computed map: where to put the
// index labels, and which line a click is closest to.
namespace velto::programs {

// Pseudo-random integers from 0 to kLargestRandom, as the label placement
// draws them; injected so that tests can fix the positions.
inline constexpr int kLargestRandom = 32767;
using RandomSource = std::function<int()>;
RandomSource DefaultRandomSource();

// Chooses a label position for every segment of the point list (a run of
// points ended by a break marker): the point at start + trunc(r / 32767 ·
// (length − 1)). It becomes the label of the segment's reflection in the
// line reflections, else in the steep-line reflections; a later segment of
// the same reflection overrides an earlier one.
void PlaceLabels(mbd::MbdMap& map, const RandomSource& random);
// Forgets the label positions.
void ClearLabels(mbd::MbdMap& map);

// The point closest to (φ, E) with both distances measured in units of the
// map's ranges; the first of equal ones. Break markers are not points.
std::optional<mbd::ReflectionAzimuthList::Entry> NearestPoint(const mbd::MbdMap& map, const mbd::MapSettings& ranges,
                                                              double phi, double energy);

}  // namespace velto::programs
