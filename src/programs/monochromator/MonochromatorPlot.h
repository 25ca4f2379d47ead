#pragma once
#include <optional>

#include "multicrystal/Monochromator.h"
#include "programs/canvas/Canvas.h"
#include "programs/convoluted_curve/CurvePlotFrame.h"

// The curve area of the multiple-crystal monochromator: the reflectivity of
// the pair on a linear scale whose full scale is 1, or a decade below the
// maximum when the maximum stays under 0.1.
namespace velto::programs {

// u = frame height / 283, the box 32u from the left.
CurvePlotFrame LayoutMonochromatorPlot(Rect frame);

// The full scale 10^-exponent of a curve with this maximum: 1 from 0.1 up,
// else the smallest power of ten below which the maximum is at least 0.1 of it.
struct ReflectivityScale {
  double fullScale = 1;
  int exponent = 0;
};
ReflectivityScale ScaleForMaximum(double maximum);

// Where the full view puts the curve: the scan range across, 0 to the full
// scale over 250u, the grid at the major ticks and every 0.2 of the scale.
PlotArea MonochromatorPlotArea(Rect frame, const std::optional<multicrystal::MonochromatorCurve>& curve);

void DrawMonochromatorPlot(Canvas& canvas, Rect frame, const std::optional<multicrystal::MonochromatorCurve>& curve);

// The sketch of the two crystals with φ1, φ2, the Bragg angles and Φ marked.
void DrawMonochromatorGeometry(Canvas& canvas, Rect frame, multicrystal::Arrangement arrangement);

}  // namespace velto::programs
