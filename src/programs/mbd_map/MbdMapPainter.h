#pragma once
#include <vector>

#include "mbd/MbdLineMap.h"
#include "programs/canvas/Canvas.h"
#include "programs/plot/PlotContent.h"

namespace velto::programs {

// The rectangle of the map inside the frame reserved for the plot: room for
// the energy labels on the left and the azimuth labels below.
Rect MapPlotRectangle(Rect frame);

// The scale of the map in its plot rectangle: how the painter places a
// point, and how a click is read back. Pixels are truncated towards the
// left and the bottom edge.
struct MapScale {
  Rect plot;
  double phiMin = 0, energyMin = 0;
  double pxPerDegree = 0, pxPerEv = 0;

  static MapScale Of(Rect frame, const mbd::MapSettings& ranges);
  Point ToPixel(double phi, double energy) const {
    return {plot.left + static_cast<int>((phi - phiMin) * pxPerDegree),
            plot.bottom - static_cast<int>((energy - energyMin) * pxPerEv)};
  }
  double PhiAt(int x) const { return phiMin + (x - plot.left) / pxPerDegree; }
  double EnergyAt(int y) const { return energyMin + (plot.bottom - y) / pxPerEv; }
  bool StrictlyInside(Point p) const {
    return p.x > plot.left && p.x < plot.right && p.y > plot.top && p.y < plot.bottom;
  }
};

// The plot rectangle and scale of the full view as the plot component takes
// them: zoomed views, the grid and the read-out of the plot use the map's
// own scale. Energies in keV, as the axis shows them.
PlotArea MapPlotArea(Rect frame, const mbd::MapSettings& ranges);

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
