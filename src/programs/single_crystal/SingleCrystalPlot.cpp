#include "programs/single_crystal/SingleCrystalPlot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "programs/plot/PlotLabels.h"

namespace velto::programs {
namespace {

std::string General(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// The ticks of the reflectivity axis on both sides of the box.
void DrawReflectivityTicks(Canvas& canvas, const PlotLayout& l) {
  const Rect& box = l.box;
  for (int k = 0; k <= 300; k += 12) {
    const bool major = k % 60 == 0;
    const int length = l.Scaled(major ? 7 : 4);
    const int y = l.y0 - l.Scaled(k);
    canvas.Line({box.left, y}, {box.left - length, y});
    canvas.Line({box.right, y}, {box.right + length, y});
  }
}

void DrawScanAxis(Canvas& canvas, const PlotLayout& l, double from, double to, double sx) {
  const double range = to - from;
  // An empty range has no axis to divide (and would never end the search
  // for a tick spacing).
  if (!(range > 0)) return;
  const int bottom = l.box.bottom;
  auto xOf = [&](double v) { return l.x0 + static_cast<int>((v - from) * sx); };
  for (double v : ScanAxisTicks(from, to)) {
    const int x = xOf(v);
    canvas.Line({x, bottom}, {x, bottom + l.Scaled(8)});
    const std::string label = General(v);
    canvas.Text({x - canvas.TextExtent(label).width / 2, bottom + l.Scaled(8)}, label);
  }
  const double minor = MajorTickSpacing(range) / 5;
  for (int j = 0; j < 200; ++j) {
    const double v = (j + std::trunc(from / minor)) * minor;
    if (v < from) continue;
    if (v > to) break;
    const int x = xOf(v);
    canvas.Line({x, bottom}, {x, bottom + l.Scaled(5)});
  }
}

std::vector<Point> CurvePoints(const PlotLayout& l, const twobeam::CurveSet& curve, const std::vector<double>& y,
                               double sx, double sy) {
  std::vector<Point> points;
  points.reserve(y.size());
  for (std::size_t i = 0; i < y.size(); ++i) {
    points.push_back({l.x0 + static_cast<int>(static_cast<double>(i) * curve.displayStep * sx),
                      l.y0 - static_cast<int>(y[i] * sy)});
  }
  return points;
}

}  // namespace

PlotLayout LayoutPlot(Rect frame) {
  PlotLayout l;
  l.unit = (frame.bottom - frame.top) / 336.0;
  l.box = {frame.left + l.Scaled(36), frame.top + l.Scaled(5), frame.right - l.Scaled(15),
           frame.bottom - l.Scaled(22)};
  l.width = l.box.right - l.box.left - l.Scaled(2);
  l.x0 = l.box.left + l.Scaled(2);
  l.y0 = l.box.bottom - l.Scaled(4);
  return l;
}

PlotScale ScaleOf(const PlotCurve& c) {
  double top = c.maxR;
  if (c.drawT) top = c.drawR ? std::max(c.maxT, c.maxR) : c.maxT;
  PlotScale scale;
  // A curve of zeros (a transmissivity that never left 0) keeps the full
  // scale instead of shrinking it without end.
  if (!(top > 0)) return scale;
  while (top / scale.fullScale < 0.1 && scale.exponent < 300) {
    scale.fullScale /= 10;
    ++scale.exponent;
  }
  return scale;
}

double PixelsPerScanUnit(const PlotLayout& l, const PlotCurve& c) {
  const double range = c.To() - c.From();
  return range > 0 ? l.width / range : 0.0;
}


std::vector<double> ScanAxisTicks(double from, double to) {
  std::vector<double> ticks;
  if (!(to - from > 0)) return ticks;
  const double major = MajorTickSpacing(to - from);
  for (int j = 0; j < 20; ++j) {
    const double v = (j + std::trunc(from / major)) * major;
    if (v < from) continue;
    if (v > to) break;
    ticks.push_back(v);
  }
  return ticks;
}

PlotArea SingleCrystalPlotArea(Rect frame, const std::optional<PlotCurve>& curve) {
  const PlotLayout l = LayoutPlot(frame);
  PlotArea a;
  a.box = l.box;
  a.unit = l.unit;
  a.left = l.x0;
  a.bottom = l.y0;
  a.width = l.width;
  a.height = l.unit * 300;
  const double fullScale = curve ? ScaleOf(*curve).fullScale : 1.0;
  for (int k = 1; k <= 5; ++k) a.yGrid.push_back(0.2 * k * fullScale);
  if (curve && curve->curve && curve->curve->HasData()) a.xGrid = ScanAxisTicks(curve->From(), curve->To());
  return a;
}

double MajorTickSpacing(double range) {
  double k = 100000;
  if (range / k <= 1) {
    while (range / k <= 1) k /= 10;
  }
  if (range / k <= 2) return k / 5;
  if (range / k <= 5) return k / 2;
  return k;
}

void DrawSingleCrystalPlot(Canvas& canvas, Rect frame, const std::optional<PlotCurve>& curve) {
  const PlotLayout l = LayoutPlot(frame);
  canvas.Fill(frame, kWhite);
  canvas.SetPen(Pen{});
  canvas.Outline(l.box);
  DrawReflectivityTicks(canvas, l);
  canvas.Text({l.box.left - l.Scaled(16), l.box.bottom - l.Scaled(10)}, "0");

  PlotScale scale;
  if (curve && curve->curve && curve->curve->HasData()) {
    const twobeam::CurveSet& set = *curve->curve;
    scale = ScaleOf(*curve);
    const double sx = PixelsPerScanUnit(l, *curve);
    const double sy = l.unit * 300 / scale.fullScale;
    if (curve->drawR) {
      canvas.SetPen(Pen{kRed, 1});
      canvas.Polyline(CurvePoints(l, set, set.reflectivity, sx, sy));
    }
    if (curve->drawT && set.transmissivity.size() == set.reflectivity.size()) {
      canvas.SetPen(Pen{kBlue, 2});
      canvas.Polyline(CurvePoints(l, set, set.transmissivity, sx, sy));
    }
    canvas.SetPen(Pen{});
    DrawScanAxis(canvas, l, curve->From(), curve->To(), sx);
  }

  canvas.SetPen(Pen{});
  const int labelX = l.box.left - l.Scaled(26);
  const char* fractions[] = {"0.2", "0.4", "0.6", "0.8"};
  for (int i = 0; i < 4; ++i) canvas.Text({labelX, l.y0 - l.Scaled(67 + 60 * i)}, fractions[i]);
  if (scale.exponent == 0) {
    canvas.Text({l.box.left - l.Scaled(25), l.y0 - l.Scaled(307)}, "1.0");
  } else {
    DrawFullScaleDecade(canvas, {l.box.left - l.Scaled(31), l.y0 - l.Scaled(307)}, scale.exponent);
  }
}

std::optional<std::string> MouseReadout(Rect frame, const PlotMapping& view, Point p) {
  const PlotLayout l = LayoutPlot(frame);
  if (!(p.x > frame.left && p.x < frame.right)) return std::nullopt;
  if (p.y < frame.top || p.y > l.box.bottom + 10) return std::nullopt;
  char text[128];
  std::snprintf(text, sizeof text, "%g\r\n%g", view.DataX(p.x), view.DataY(p.y));
  return std::string(text);
}

}  // namespace velto::programs
