#pragma once
#include "multicrystal/CurveTrace.h"
#include "multicrystal/Reflection.h"
#include "programs/canvas/Canvas.h"
#include "programs/convoluted_curve/CurvePlotFrame.h"

// The curve area of the convoluted rocking curve program: the current curve
// (red) and, on request, the previous one (blue) on a common axis range, with
// their legend.
namespace velto::programs {

// u = frame height / 280, the box 16u from the left.
CurvePlotFrame LayoutConvolutedCurvePlot(Rect frame);

inline constexpr Pen kCurrentCurvePen{kRed, 1};
inline constexpr Pen kPreviousCurvePen{kBlue, 2};

// Where the full view puts the curves: the axis range of what is drawn, the
// peak at the top of the plotting height.
PlotArea ConvolutedCurvePlotArea(Rect frame, const multicrystal::CurveHistory& curves, bool withPrevious);

// Draws the frame and whatever the history holds to draw: the current curve,
// and with `withPrevious` the previous one too.
void DrawConvolutedCurvePlot(Canvas& canvas, Rect frame, const multicrystal::CurveHistory& curves, bool withPrevious);

// The sketch of the arrangement: the monochromator above left, the sample
// below, the beam between them, the positive asymmetries and the rocking
// direction.
void DrawConvolutionGeometry(Canvas& canvas, Rect frame, multicrystal::Arrangement arrangement);

}  // namespace velto::programs
