#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/Notifier.h"
#include "programs/canvas/SvgCanvas.h"
#include "programs/mbd_map/MbdMapPainter.h"
#include "support/RecordingCanvas.h"

namespace velto::programs {
namespace {

using testing::RecordingCanvas;

TEST(MapTicks, StepIsOneTwoOrFiveTimesAPowerOfTen) {
  const AxisTicks phi = TicksFor(-10, 10);
  // 20/100 ≤ 1 → f = 10; 20/10 = 2 ≤ 2 → f = 2.
  EXPECT_EQ(phi.step, 2);
  ASSERT_EQ(phi.major.size(), 11u);
  EXPECT_EQ(phi.major.front(), -10);
  EXPECT_EQ(phi.major.back(), 10);
  EXPECT_EQ(phi.minor.size(), 51u);
  const AxisTicks energy = TicksFor(7, 9);  // 2/1 = 2 → f = 0.2
  EXPECT_NEAR(energy.step, 0.2, 1e-15);
  EXPECT_EQ(energy.major.size(), 11u);
  const AxisTicks wide = TicksFor(0, 450);  // 450/100 = 4.5 ≤ 5 → f = 50
  EXPECT_EQ(wide.step, 50);
  EXPECT_EQ(wide.major.size(), 10u);
  EXPECT_TRUE(TicksFor(3, 3).major.empty());
}

mbd::MapSettings Ranges() {
  mbd::MapSettings s;
  s.phiMin = -10;
  s.phiMax = 10;
  s.energyMin = 7000;
  s.energyMax = 9000;
  return s;
}

TEST(MapPainter, DrawsFrameAxesAndBrokenPolylines) {
  core::SilentNotifier notifier;
  mbd::MbdMap map;
  map.points.AppendWithValues({1, 1, -1}, -10, 7000, notifier);
  map.points.AppendWithValues({1, 1, -1}, 0, 8000, notifier);
  map.points.AppendWithValues({1, 1, -1}, 0, -1, notifier);  // break
  map.points.AppendWithValues({-3, 1, 1}, 5, 8500, notifier);
  map.points.AppendWithValues({-3, 1, 1}, 10, 9000, notifier);
  map.points.AppendWithValues({-3, 1, 1}, 10, -1, notifier);
  RecordingCanvas canvas;
  const Rect frame{0, 0, 477, 343};
  PaintMbdMap(canvas, frame, map, Ranges(), {});
  const Rect plot = MapPlotRectangle(frame);
  EXPECT_EQ(plot.left, 60);
  EXPECT_EQ(plot.top, 15);
  EXPECT_EQ(plot.right, 460);
  EXPECT_EQ(plot.bottom, 315);
  ASSERT_FALSE(canvas.fills.empty());
  EXPECT_EQ(canvas.fills[0].color, kWhite);
  ASSERT_EQ(canvas.outlines.size(), 1u);
  EXPECT_EQ(canvas.outlines[0].pen, (Pen{kBlue, 2}));
  // 400 px for 20° and 300 px for 2000 eV.
  ASSERT_EQ(canvas.polylines.size(), 2u);
  EXPECT_EQ(canvas.polylines[0].pen, (Pen{kRed, 1}));
  EXPECT_EQ(canvas.polylines[0].points.back(), (Point{260, 165}));
  EXPECT_EQ(canvas.polylines[1].points.front(), (Point{360, 90}));
  EXPECT_EQ(canvas.polylines[1].points.back(), (Point{460, 15}));
  // Azimuth labels every 2°, energy labels every 0.2 keV.
  int azimuthLabels = 0, energyLabels = 0;
  for (const auto& t : canvas.texts) {
    if (t.at.y == plot.bottom + 10) ++azimuthLabels;
    if (t.at.x + 6 * static_cast<int>(t.text.size()) == plot.left - 12) ++energyLabels;
  }
  EXPECT_EQ(azimuthLabels, 11);
  EXPECT_EQ(energyLabels, 11);
}

TEST(MapPainter, PointsModeDrawsSmallRedSquaresAndLabelsAreBlue) {
  core::SilentNotifier notifier;
  mbd::MbdMap map;
  map.points.AppendWithValues({1, 1, -1}, 0, 8000, notifier);
  map.points.AppendWithValues({1, 1, -1}, 0, -1, notifier);
  map.lines.AppendWithValues({1, 1, -1}, 0, 8000, notifier);
  RecordingCanvas canvas;
  PaintMbdMap(canvas, {0, 0, 477, 343}, map, Ranges(), {true, true});
  EXPECT_TRUE(canvas.polylines.empty());
  ASSERT_EQ(canvas.fills.size(), 2u);
  EXPECT_EQ(canvas.fills[1].color, kRed);
  EXPECT_EQ(canvas.fills[1].rect.left, 259);
  EXPECT_EQ(canvas.fills[1].rect.top, 166);
  EXPECT_EQ(canvas.fills[1].rect.Width(), 3);
  ASSERT_FALSE(canvas.texts.empty());
  EXPECT_EQ(canvas.texts.back().text, "1 1 -1");
  EXPECT_EQ(canvas.texts.back().pen.color, kBlue);
  EXPECT_EQ(canvas.texts.back().at, (Point{260, 177}));
}

TEST(MapPainter, LabelsNearTheRightAndBottomEdgesTurnBackIntoThePlot) {
  core::SilentNotifier notifier;
  mbd::MbdMap map;
  map.lines.AppendWithValues({-6, 2, 0}, 9.9, 8000, notifier);    // at the right edge
  map.lines.AppendWithValues({-5, 5, 1}, 0, 7010, notifier);      // at the bottom
  map.lines.AppendWithValues({-4, 0, 2}, 9.95, 7005, notifier);   // in the corner
  map.lines.AppendWithValues({1, 1, -1}, -5, 8500, notifier);     // with room: below and right
  const Rect frame{0, 0, 477, 343};
  const Rect plot = MapPlotRectangle(frame);
  const MapScale scale = MapScale::Of(frame, Ranges());
  RecordingCanvas canvas;
  PaintMbdMap(canvas, frame, map, Ranges(), {false, true});
  int labels = 0;
  for (const auto& t : canvas.texts) {
    if (!(t.pen.color == kBlue)) continue;
    ++labels;
    const TextSize size = canvas.TextExtent(t.text);
    EXPECT_GE(t.at.x, plot.left) << t.text;
    EXPECT_LE(t.at.x + size.width, plot.right) << t.text;
    EXPECT_GE(t.at.y, plot.top) << t.text;
    EXPECT_LE(t.at.y + size.height, plot.bottom) << t.text;
  }
  EXPECT_EQ(labels, 4);
  const Point free = scale.ToPixel(-5, 8500);
  ASSERT_NE(canvas.Find("1 1 -1"), nullptr);
  EXPECT_EQ(canvas.Find("1 1 -1")->at, (Point{free.x, free.y + 12}));
  // Each leader still starts at its line.
  const Point corner = scale.ToPixel(9.95, 7005);
  EXPECT_EQ(std::count_if(canvas.lines.begin(), canvas.lines.end(),
                          [&](const auto& l) { return l.from == corner && l.to == Point{corner.x - 5, corner.y - 12}; }),
            1);
}

TEST(SvgCanvas, WritesAWellFormedDocument) {
  SvgCanvas canvas(100, 50);
  canvas.Fill({0, 0, 100, 50}, kWhite);
  canvas.SetPen({kRed, 2});
  canvas.Polyline({{1, 2}, {3, 4}});
  canvas.Text({5, 5}, "a<b & c");
  const std::string svg = canvas.Document();
  EXPECT_NE(svg.find("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"50\""), std::string::npos);
  EXPECT_NE(svg.find("points=\"1,2 3,4\""), std::string::npos);
  EXPECT_NE(svg.find("stroke=\"#ff0000\" stroke-width=\"2\""), std::string::npos);
  EXPECT_NE(svg.find(">a&lt;b &amp; c</text>"), std::string::npos);
  EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
}

}  // namespace
}  // namespace velto::programs
