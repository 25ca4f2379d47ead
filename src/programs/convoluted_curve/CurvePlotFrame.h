#pragma once
#include "programs/canvas/Canvas.h"
#include "programs/plot/PlotContent.h"

// The plot frame shared by the multi-crystal programs: a box with intensity
// ticks on both sides and the scan axis below. Lengths are whole multiples of
// a unit u, a fixed fraction of the frame's height, so the picture scales
// with the window; "n u" is always truncated to whole pixels.
namespace velto::programs {

struct CurvePlotFrame {
  double unit = 0;  // u
  Rect box;         // X0, Y0, X1, Y1; the top edge is drawn at Y0 − 1u
  int originX = 0;  // x of the scan start, X0 + 2u
  int width = 0;    // plotting width, X1 − X0 − 3u
  int base = 0;     // y of zero intensity, Y1 − 4u

  int Scaled(double n) const { return static_cast<int>(n * unit); }
};

// u = frame height / `heightInUnits`; the box starts `leftUnits` right of
// the frame's left edge and ends 15u before its right edge.
CurvePlotFrame LayoutCurvePlot(Rect frame, double heightInUnits, double leftUnits);

// Fills the frame white and draws the box, the ticks 0, 10u, ..., 250u above
// the base on both sides (long every 50u) and the label "0".
void DrawCurvePlotFrame(Canvas& canvas, Rect frame, const CurvePlotFrame& layout);

// The scan axis under the box for [xmin, xmax] at `scale` pixels per unit:
// major ticks (8u) labelled "%g" 9u below the box, minor ticks (5u) at a
// fifth of their spacing.
void DrawScanTicks(Canvas& canvas, const CurvePlotFrame& layout, double xmin, double xmax, double scale);

// Where the full view puts its data for the plot component: x from xmin at
// the origin to xmax at the end of the plotting width, y from 0 at the base
// to the full scale `height` pixels above it; the grid at the major ticks.
PlotArea CurvePlotArea(const CurvePlotFrame& layout, double height, double xmin, double xmax);

}  // namespace velto::programs
