#include "programs/convoluted_curve/ConvolutedCurvePlot.h"

#include <vector>

#include "programs/convoluted_curve/GeometrySketch.h"

namespace velto::programs {
namespace {

void DrawTrace(Canvas& canvas, const CurvePlotFrame& l, const multicrystal::CurveTrace& trace, double xmin,
               double scale, double yscale) {
  std::vector<Point> points;
  points.reserve(trace.values.size());
  for (std::size_t i = 0; i < trace.values.size(); ++i) {
    const double x = trace.from - xmin + static_cast<double>(i) * trace.step;
    points.push_back({l.originX + static_cast<int>(x * scale), l.base - static_cast<int>(trace.values[i] * yscale)});
  }
  canvas.Polyline(points);
}

void DrawLegend(Canvas& canvas, const CurvePlotFrame& l, int lineHeight, int textHeight, const char* text) {
  const int y = l.box.top + l.Scaled(lineHeight);
  canvas.Line({l.originX + l.Scaled(10), y}, {l.originX + l.Scaled(55), y});
  canvas.Text({l.originX + l.Scaled(60), l.box.top + l.Scaled(textHeight)}, text);
}

// The plotting height: from the base up to 5u + 12u below the frame's top.
int PlottingHeight(Rect frame, const CurvePlotFrame& l) {
  return l.box.bottom - frame.top - l.Scaled(5) - l.Scaled(12);
}

}  // namespace

CurvePlotFrame LayoutConvolutedCurvePlot(Rect frame) { return LayoutCurvePlot(frame, 280, 16); }

PlotArea ConvolutedCurvePlotArea(Rect frame, const multicrystal::CurveHistory& curves, bool withPrevious) {
  const CurvePlotFrame l = LayoutConvolutedCurvePlot(frame);
  const auto range = curves.PlotRange(withPrevious);
  return range ? CurvePlotArea(l, PlottingHeight(frame, l), range->xmin, range->xmax)
               : CurvePlotArea(l, PlottingHeight(frame, l), 0, 0);
}

void DrawConvolutedCurvePlot(Canvas& canvas, Rect frame, const multicrystal::CurveHistory& curves, bool withPrevious) {
  const CurvePlotFrame l = LayoutConvolutedCurvePlot(frame);
  DrawCurvePlotFrame(canvas, frame, l);
  const auto range = curves.PlotRange(withPrevious);
  if (!range || !(range->xmax > range->xmin)) return;
  const double scale = l.width / (range->xmax - range->xmin);
  const int height = PlottingHeight(frame, l);
  const double yscale = range->peak > 0 ? height / range->peak : 0.0;

  const bool previous = withPrevious && curves.Previous();
  if (previous) {
    canvas.SetPen(kPreviousCurvePen);
    DrawTrace(canvas, l, *curves.Previous(), range->xmin, scale, yscale);
    DrawLegend(canvas, l, 15, 9, "Previous RC");
  }
  if (curves.Current()) {
    canvas.SetPen(kCurrentCurvePen);
    DrawTrace(canvas, l, *curves.Current(), range->xmin, scale, yscale);
    if (previous) DrawLegend(canvas, l, 30, 24, "Current RC");
  }
  canvas.SetPen(Pen{});
  DrawScanTicks(canvas, l, range->xmin, range->xmax, scale);
}

void DrawConvolutionGeometry(Canvas& canvas, Rect frame, multicrystal::Arrangement arrangement) {
  DrawPairSketch(canvas, frame, arrangement, {"Mono", "Sample", "+φM", "+φ", "Δω", ""});
}

}  // namespace velto::programs
