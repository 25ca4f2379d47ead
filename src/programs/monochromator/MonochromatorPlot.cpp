#include "programs/monochromator/MonochromatorPlot.h"

#include <cmath>
#include <string>
#include <vector>

#include "programs/convoluted_curve/ConvolutedCurvePlot.h"
#include "programs/convoluted_curve/GeometrySketch.h"
#include "programs/plot/PlotLabels.h"

namespace velto::programs {

CurvePlotFrame LayoutMonochromatorPlot(Rect frame) { return LayoutCurvePlot(frame, 283, 32); }

ReflectivityScale ScaleForMaximum(double maximum) {
  ReflectivityScale scale;
  // A maximum of 0 (or one too small to print) keeps a scale that can be
  // labelled instead of shrinking without end.
  if (!(maximum > 0)) return scale;
  // maximum/F ≥ 0.1 compared as maximum ≥ 10^-(k+1), so that a maximum of
  // exactly 0.01 gets 1e-1 and not the next decade through rounding.
  while (maximum < std::pow(10.0, -(scale.exponent + 1)) && scale.exponent < 300) ++scale.exponent;
  scale.fullScale = std::pow(10.0, -scale.exponent);
  return scale;
}

PlotArea MonochromatorPlotArea(Rect frame, const std::optional<multicrystal::MonochromatorCurve>& curve) {
  const CurvePlotFrame l = LayoutMonochromatorPlot(frame);
  if (!curve) return CurvePlotArea(l, l.Scaled(250), 0, 0);
  PlotArea area = CurvePlotArea(l, l.Scaled(250), curve->trace.from, curve->trace.to);
  const double fullScale = ScaleForMaximum(curve->trace.peak).fullScale;
  for (int k = 1; k <= 5; ++k) area.yGrid.push_back(0.2 * k * fullScale);
  return area;
}

void DrawMonochromatorPlot(Canvas& canvas, Rect frame, const std::optional<multicrystal::MonochromatorCurve>& curve) {
  const CurvePlotFrame l = LayoutMonochromatorPlot(frame);
  DrawCurvePlotFrame(canvas, frame, l);
  if (!curve || curve->trace.count < 2) return;
  const multicrystal::CurveTrace& trace = curve->trace;
  const ReflectivityScale scale = ScaleForMaximum(trace.peak);

  const char* fractions[] = {"0.2", "0.4", "0.6", "0.8"};
  for (int i = 0; i < 4; ++i) canvas.Text({l.box.left - l.Scaled(25), l.base - l.Scaled(56 + 50 * i)}, fractions[i]);
  if (scale.exponent == 0)
    canvas.Text({l.box.left - l.Scaled(25), l.base - l.Scaled(256)}, "1.0");
  else
    DrawFullScaleDecade(canvas, {l.box.left - l.Scaled(30), l.base - l.Scaled(256)}, scale.exponent);

  const double range = trace.to - trace.from;
  const double scaleX = l.width / range;
  const double height = l.Scaled(250);  // the full scale
  std::vector<Point> points;
  points.reserve(trace.values.size());
  for (std::size_t i = 0; i < trace.values.size(); ++i) {
    points.push_back({l.originX + static_cast<int>(static_cast<double>(i) * trace.step * scaleX),
                      l.base - static_cast<int>(height * trace.values[i] / scale.fullScale)});
  }
  canvas.SetPen(kCurrentCurvePen);
  canvas.Polyline(points);
  canvas.SetPen(Pen{});
  DrawScanTicks(canvas, l, trace.from, trace.to, scaleX);
}

void DrawMonochromatorGeometry(Canvas& canvas, Rect frame, multicrystal::Arrangement arrangement) {
  DrawPairSketch(canvas, frame, arrangement, {"1st", "2nd", "φ1", "φ2", "", "Φ", "θB¹", "θB²"});
}

}  // namespace velto::programs
