#pragma once
#include <optional>
#include <string>

#include <vector>

#include "programs/canvas/Canvas.h"
#include "programs/plot/PlotContent.h"
#include "twobeam/CurveSet.h"

// The curve area of the single-crystal program: a box with reflectivity
// ticks on both sides, the scan axis below, and the reflectivity (red) and
// transmissivity (blue) curves of the last calculation. Every length is a
// fraction of the frame's height, so the picture scales with the window.
namespace velto::programs {

// Where the plot lies in its frame.
struct PlotLayout {
  double unit = 0;  // frame height / 336
  Rect box;
  int width = 0;     // of the drawing area inside the box
  int x0 = 0, y0 = 0;  // pixel of (from, 0)

  // trunc(n · unit)
  int Scaled(double n) const { return static_cast<int>(n * unit); }
};
PlotLayout LayoutPlot(Rect frame);

// The curve as drawn: its scan range in display units, its maxima and which
// curves are shown.
struct PlotCurve {
  const twobeam::CurveSet* curve = nullptr;
  double maxR = 0, maxT = 0;
  bool drawR = true, drawT = false;

  double From() const { return curve->displayStart; }
  double To() const { return curve->displayStart + (curve->points - 1) * curve->displayStep; }
};

// The vertical scale: full scale 10^-exponent.
struct PlotScale {
  double fullScale = 1;
  int exponent = 0;
};
PlotScale ScaleOf(const PlotCurve& curve);

// Pixels per display unit of the scan (0 for an empty range).
double PixelsPerScanUnit(const PlotLayout& layout, const PlotCurve& curve);

// The major spacing of the scan axis ticks for a range r > 0.
double MajorTickSpacing(double range);
// The values of the major ticks of the scan axis over [from, to].
std::vector<double> ScanAxisTicks(double from, double to);

// Where the drawing puts the data in `frame`: x from `from` at the origin to
// `to` at the right end, y from 0 at the origin to the full scale 300 units
// above it; the grid lies on the labelled ticks.
PlotArea SingleCrystalPlotArea(Rect frame, const std::optional<PlotCurve>& curve);

// Draws the whole plot; `curve` is none before the first calculation.
void DrawSingleCrystalPlot(Canvas& canvas, Rect frame, const std::optional<PlotCurve>& curve);

// The read-out of a click at `point`: "x\r\ny" in display units and
// reflectivity of the view shown (in the full view x = (x − x0)/sx + from,
// y = (y0 − y)/sy), or none outside the sensitive area.
std::optional<std::string> MouseReadout(Rect frame, const PlotMapping& view, Point point);

}  // namespace velto::programs
