#include "programs/convoluted_curve/CurvePlotFrame.h"

#include <cmath>
#include <string>

#include "core/TextNumbers.h"
#include "programs/single_crystal/SingleCrystalPlot.h"

namespace velto::programs {

CurvePlotFrame LayoutCurvePlot(Rect frame, double heightInUnits, double leftUnits) {
  CurvePlotFrame l;
  l.unit = frame.Height() / heightInUnits;
  l.box = {frame.left + l.Scaled(leftUnits), frame.top + l.Scaled(5), frame.right - l.Scaled(15),
           frame.bottom - l.Scaled(22)};
  l.originX = l.box.left + l.Scaled(2);
  l.width = l.box.right - l.box.left - l.Scaled(3);
  l.base = l.box.bottom - l.Scaled(4);
  return l;
}

void DrawCurvePlotFrame(Canvas& canvas, Rect frame, const CurvePlotFrame& l) {
  canvas.Fill(frame, kWhite);
  canvas.SetPen(Pen{});
  canvas.Outline({l.box.left, l.box.top - l.Scaled(1), l.box.right, l.box.bottom});
  for (int n = 0; n <= 250; n += 10) {
    const int length = l.Scaled(n % 50 == 0 ? 7 : 4);
    const int y = l.base - l.Scaled(n);
    canvas.Line({l.box.left, y}, {l.box.left - length, y});
    canvas.Line({l.box.right, y}, {l.box.right + length, y});
  }
  canvas.Text({l.box.left - l.Scaled(14), l.box.bottom - l.Scaled(10)}, "0");
}

void DrawScanTicks(Canvas& canvas, const CurvePlotFrame& l, double xmin, double xmax, double scale) {
  // An empty range has nothing to divide, and its spacing search would not end.
  if (!(xmax > xmin) || !std::isfinite(xmax - xmin)) return;
  const int bottom = l.box.bottom;
  auto xOf = [&](double v) { return l.originX + static_cast<int>((v - xmin) * scale); };
  for (double v : ScanAxisTicks(xmin, xmax)) {
    const int x = xOf(v);
    canvas.Line({x, bottom}, {x, bottom + l.Scaled(8)});
    const std::string label = core::FormatGeneral(v);  // "%g"
    canvas.Text({x - canvas.TextExtent(label).width / 2, bottom + l.Scaled(9)}, label);
  }
  // Candidates start at the multiple obtained by truncating towards zero.
  const double minor = MajorTickSpacing(xmax - xmin) / 5;
  const double first = std::trunc(xmin / minor);
  for (int j = 0; j < 200; ++j) {
    const double v = (first + j) * minor;
    if (v < xmin) continue;
    if (v > xmax) break;
    const int x = xOf(v);
    canvas.Line({x, bottom}, {x, bottom + l.Scaled(5)});
  }
}

PlotArea CurvePlotArea(const CurvePlotFrame& l, double height, double xmin, double xmax) {
  PlotArea a;
  a.box = l.box;
  a.unit = l.unit;
  a.left = l.originX;
  a.bottom = l.base;
  a.width = l.width;
  a.height = height;
  if (xmax > xmin && std::isfinite(xmax - xmin)) a.xGrid = ScanAxisTicks(xmin, xmax);
  return a;
}

}  // namespace velto::programs
