#include "programs/mbd_map/MbdMapPainter.h"

#include <cmath>
#include <string>

#include "core/TextNumbers.h"
#include "programs/plot/PlotLabels.h"

namespace velto::programs {
namespace {

bool InRange(double value, double min, double max) {
  const double slack = 1e-9 * (max - min);
  return value >= min - slack && value <= max + slack;
}

}  // namespace

Rect MapPlotRectangle(Rect frame) { return {frame.left + 60, frame.top + 15, frame.right - 17, frame.bottom - 28}; }

MapScale MapScale::Of(Rect frame, const mbd::MapSettings& ranges) {
  const Rect plot = MapPlotRectangle(frame);
  return {plot, ranges.phiMin, ranges.energyMin, plot.Width() / (ranges.phiMax - ranges.phiMin),
          plot.Height() / (ranges.energyMax - ranges.energyMin)};
}

AxisTicks TicksFor(double min, double max) {
  AxisTicks ticks;
  const double range = max - min;
  if (!(range > 0) || !std::isfinite(range)) return ticks;
  double step = 100;
  while (range / step <= 1) step /= 10;
  if (range / step <= 2) {
    step /= 5;
  } else if (range / step <= 5) {
    step /= 2;
  }
  ticks.step = step;
  const double first = std::trunc(min / step) * step;
  for (int i = 0; i < 20; ++i) {
    const double value = first + i * step;
    if (InRange(value, min, max)) ticks.major.push_back(value);
  }
  const double minorStep = step / 5;
  const double firstMinor = std::trunc(min / minorStep) * minorStep;
  for (int i = 0; i < 200; ++i) {
    const double value = firstMinor + i * minorStep;
    if (InRange(value, min, max)) ticks.minor.push_back(value);
  }
  return ticks;
}

PlotArea MapPlotArea(Rect frame, const mbd::MapSettings& ranges) {
  const MapScale scale = MapScale::Of(frame, ranges);
  PlotArea area;
  area.box = scale.plot;
  area.left = scale.plot.left;
  area.bottom = scale.plot.bottom;
  area.width = scale.plot.Width();
  area.height = scale.plot.Height();
  area.boxPen = {kBlue, 2};
  area.xGrid = TicksFor(ranges.phiMin, ranges.phiMax).major;
  area.yGrid = TicksFor(ranges.energyMin / 1000, ranges.energyMax / 1000).major;
  return area;
}

void PaintMbdMap(Canvas& canvas, Rect frame, const mbd::MbdMap& map, const mbd::MapSettings& ranges,
                 const MapAppearance& appearance) {
  const MapScale scale = MapScale::Of(frame, ranges);
  const Rect plot = scale.plot;
  canvas.Fill(frame, kWhite);
  canvas.SetPen({kBlue, 2});
  canvas.Outline(plot);

  canvas.SetPen({kBlack, 1});
  const AxisTicks phiTicks = TicksFor(ranges.phiMin, ranges.phiMax);
  for (double phi : phiTicks.minor) {
    const int x = scale.ToPixel(phi, ranges.energyMin).x;
    canvas.Line({x, plot.bottom}, {x, plot.bottom + 5});
    canvas.Line({x, plot.top}, {x, plot.top - 4});
  }
  for (double phi : phiTicks.major) {
    const int x = scale.ToPixel(phi, ranges.energyMin).x;
    canvas.Line({x, plot.bottom}, {x, plot.bottom + 10});
    canvas.Line({x, plot.top}, {x, plot.top - 8});
    const std::string label = core::FormatGeneral(phi + 0.0);
    canvas.Text({x - canvas.TextExtent(label).width / 2, plot.bottom + 10}, label);
  }
  const double keVMin = ranges.energyMin / 1000, keVMax = ranges.energyMax / 1000;
  const AxisTicks energyTicks = TicksFor(keVMin, keVMax);
  for (double kev : energyTicks.minor) {
    const int y = scale.ToPixel(ranges.phiMin, kev * 1000).y;
    canvas.Line({plot.left - 5, y}, {plot.left, y});
    canvas.Line({plot.right, y}, {plot.right + 4, y});
  }
  for (double kev : energyTicks.major) {
    const int y = scale.ToPixel(ranges.phiMin, kev * 1000).y;
    canvas.Line({plot.left - 10, y}, {plot.left, y});
    canvas.Line({plot.right, y}, {plot.right + 8, y});
    const std::string label = core::FormatGeneral(kev + 0.0);
    canvas.Text({plot.left - 12 - canvas.TextExtent(label).width, y - 8}, label);
  }

  const auto& entries = map.points.Entries();
  if (appearance.points) {
    for (const auto& e : entries) {
      if (e.value2 < 0) continue;
      const Point p = scale.ToPixel(e.value1, e.value2);
      if (p.x <= plot.right && p.y >= plot.top) canvas.Fill({p.x - 1, p.y + 1, p.x + 2, p.y + 4}, kRed);
    }
  } else if (!entries.empty()) {
    canvas.SetPen({kRed, 1});
    // A break marker makes the next drawn point start a new polyline; points
    // beyond the right or top edge are passed over without breaking it.
    std::vector<Point> polyline{scale.ToPixel(entries.front().value1, entries.front().value2)};
    for (const auto& e : entries) {
      if (e.value2 < 0) {
        if (polyline.size() > 1) canvas.Polyline(polyline);
        polyline.clear();
        continue;
      }
      const Point p = scale.ToPixel(e.value1, e.value2);
      if (p.x <= plot.right && p.y >= plot.top) polyline.push_back(p);
    }
    if (polyline.size() > 1) canvas.Polyline(polyline);
  }

  if (appearance.labels) {
    canvas.SetPen({kBlue, 1});
    for (const auto* list : {&map.lines, &map.steepLines}) {
      for (const auto& e : list->Entries()) {
        if (e.value1 == mbd::kNoAngle || e.value2 == mbd::kNoAngle) continue;
        DrawPointLabel(canvas, scale.ToPixel(e.value1, e.value2),
                       std::to_string(e.hkl.h) + " " + std::to_string(e.hkl.k) + " " + std::to_string(e.hkl.l), plot);
      }
    }
  }
}

}  // namespace velto::programs
