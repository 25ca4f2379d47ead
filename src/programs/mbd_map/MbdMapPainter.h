#pragma once
#include <vector>

#include "mbd/MbdLineMap.h"
#include "programs/canvas/Canvas.h"

namespace velto::programs {

// The rectangle of the map inside the frame reserved for the plot: room for
// the energy labels on the left and the azimuth labels below.
Rect MapPlotRectangle(Rect frame);

struct AxisTicks {
  std::vector<double> major;
  std::vector<double> minor;
  double step = 0;  // between major ticks
};

// Ticks of an axis from `min` to `max`: a step of 1, 2 or 5 times a power of
// ten (at most 100) with minor ticks at a fifth of it.
AxisTicks TicksFor(double min, double max);

struct MapAppearance {
  bool points = false;  // scatter instead of lines
  bool labels = false;  // h k l at the label positions of the reflection lists
};

// Paints the map as the map window does: white frame, blue plot outline,
// azimuth ticks (degrees) below and above, energy ticks (keV) left and right,
// the lines in red, and the labels in blue.
void PaintMbdMap(Canvas& canvas, Rect frame, const mbd::MbdMap& map, const mbd::MapSettings& ranges,
                 const MapAppearance& appearance);

}  // namespace velto::programs
