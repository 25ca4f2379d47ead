#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "programs/convoluted_curve/ConvolutedCurvePlot.h"
#include "programs/monochromator/MonochromatorPlot.h"

namespace velto::programs {
namespace {

// Records what a plot draws.
class DrawingLog final : public Canvas {
 public:
  struct Label {
    Point at;
    std::string text;
  };
  struct Curve {
    std::vector<Point> points;
    Pen pen;
  };
  void Fill(Rect, Color) override {}
  void SetPen(Pen p) override { pen_ = p; }
  void Line(Point from, Point to) override { lines.push_back({from, to}); }
  void Polyline(const std::vector<Point>& points) override { curves.push_back({points, pen_}); }
  void Outline(Rect rect) override { outlines.push_back(rect); }
  void Text(Point topLeft, std::string_view text) override { labels.push_back({topLeft, std::string(text)}); }
  TextSize TextExtent(std::string_view text) const override { return {6 * static_cast<int>(text.size()), 12}; }

  const Label* Find(const std::string& text) const {
    for (const Label& l : labels)
      if (l.text == text) return &l;
    return nullptr;
  }
  // Labels below `y`, left to right: the scan axis.
  std::vector<std::string> LabelsBelow(int y) const {
    std::vector<Label> below;
    for (const Label& l : labels)
      if (l.at.y > y) below.push_back(l);
    std::sort(below.begin(), below.end(), [](const Label& a, const Label& b) { return a.at.x < b.at.x; });
    std::vector<std::string> texts;
    for (const Label& l : below) texts.push_back(l.text);
    return texts;
  }

  std::vector<std::pair<Point, Point>> lines;
  std::vector<Curve> curves;
  std::vector<Rect> outlines;
  std::vector<Label> labels;

 private:
  Pen pen_;
};

multicrystal::CurveTrace Trace(double from, double to, std::vector<double> values) {
  multicrystal::CurveTrace t;
  t.count = static_cast<int>(values.size());
  t.from = from;
  t.to = to;
  t.step = (to - from) / (t.count - 1);
  t.peak = *std::max_element(values.begin(), values.end());
  t.values = std::move(values);
  return t;
}

// 280 pixels high: one unit per pixel for the convoluted curve.
constexpr Rect kConvolutionFrame{0, 0, 500, 280};

TEST(ConvolutedCurvePlot, BoxAndTicksFollowTheUnit) {
  DrawingLog log;
  multicrystal::CurveHistory none;
  DrawConvolutedCurvePlot(log, kConvolutionFrame, none, true);
  const CurvePlotFrame l = LayoutConvolutedCurvePlot(kConvolutionFrame);
  EXPECT_EQ(l.box.left, 16);
  EXPECT_EQ(l.box.right, 485);
  EXPECT_EQ(l.box.bottom, 258);
  EXPECT_EQ(l.base, 254);
  ASSERT_EQ(log.outlines.size(), 1u);
  EXPECT_EQ(log.outlines[0].top, 4);  // one unit above Y0
  // 26 ticks a side, every fifth long; no curve, so no scan axis.
  EXPECT_EQ(log.lines.size(), 52u);
  const auto longTicks = std::count_if(log.lines.begin(), log.lines.end(),
                                       [](const auto& line) { return std::abs(line.first.x - line.second.x) == 7; });
  EXPECT_EQ(longTicks, 12);
  ASSERT_EQ(log.labels.size(), 1u);
  EXPECT_EQ(log.labels[0].text, "0");
  EXPECT_TRUE(log.curves.empty());
}

TEST(ConvolutedCurvePlot, OverlayDrawsBothCurvesOnTheCommonRangeWithLegends) {
  multicrystal::CurveHistory history;
  history.Accept(Trace(-50, 50, {0, 1, 4, 1, 0}));
  history.Accept(Trace(-30, 70, {0, 2, 8, 2, 0}));
  const CurvePlotFrame l = LayoutConvolutedCurvePlot(kConvolutionFrame);

  DrawingLog alone;
  DrawConvolutedCurvePlot(alone, kConvolutionFrame, history, false);
  ASSERT_EQ(alone.curves.size(), 1u);
  EXPECT_EQ(alone.curves[0].pen, (Pen{kRed, 1}));
  EXPECT_EQ(alone.Find("Current RC"), nullptr);
  EXPECT_EQ(alone.curves[0].points.front().x, l.originX);  // its own range
  // 100" of range: a major tick every 10".
  EXPECT_EQ(alone.LabelsBelow(l.box.bottom).size(), 11u);
  EXPECT_EQ(alone.LabelsBelow(l.box.bottom).front(), "-30");

  DrawingLog both;
  DrawConvolutedCurvePlot(both, kConvolutionFrame, history, true);
  ASSERT_EQ(both.curves.size(), 2u);
  EXPECT_EQ(both.curves[0].pen, (Pen{kBlue, 2}));
  EXPECT_EQ(both.curves[1].pen, (Pen{kRed, 1}));
  // x from −50 to 70, y up to the larger peak 8.
  const double scale = l.width / 120.0;
  EXPECT_EQ(both.curves[0].points.front().x, l.originX);
  EXPECT_EQ(both.curves[1].points.front().x, l.originX + static_cast<int>(20 * scale));
  const int height = l.box.bottom - 5 - 12;
  EXPECT_EQ(both.curves[1].points[2].y, l.base - height);
  EXPECT_EQ(both.curves[0].points[2].y, l.base - static_cast<int>(4 * height / 8.0));
  const DrawingLog::Label* previous = both.Find("Previous RC");
  const DrawingLog::Label* current = both.Find("Current RC");
  ASSERT_TRUE(previous && current);
  EXPECT_EQ(previous->at, (Point{l.originX + 60, l.box.top + 9}));
  EXPECT_EQ(current->at, (Point{l.originX + 60, l.box.top + 24}));
  EXPECT_EQ(both.LabelsBelow(l.box.bottom), (std::vector<std::string>{"-40", "-20", "0", "20", "40", "60"}));
}

// 283 pixels high: one unit per pixel for the monochromator.
constexpr Rect kMonochromatorFrame{0, 0, 600, 283};

multicrystal::MonochromatorCurve MonochromatorCurveOf(std::vector<double> values) {
  multicrystal::MonochromatorCurve c;
  c.trace = Trace(-2, 2, std::move(values));
  c.deviation.assign(c.trace.values.size(), 0.0);
  return c;
}

TEST(MonochromatorPlot, DecadeScaleBelowATenth) {
  EXPECT_EQ(ScaleForMaximum(0.5).exponent, 0);
  EXPECT_EQ(ScaleForMaximum(0.1).exponent, 0);
  EXPECT_EQ(ScaleForMaximum(0.09).exponent, 1);
  EXPECT_EQ(ScaleForMaximum(0.01).exponent, 1);
  EXPECT_EQ(ScaleForMaximum(0.0099).exponent, 2);
  EXPECT_EQ(ScaleForMaximum(0).exponent, 0);

  const CurvePlotFrame l = LayoutMonochromatorPlot(kMonochromatorFrame);
  EXPECT_EQ(l.box.left, 32);
  DrawingLog strong;
  DrawMonochromatorPlot(strong, kMonochromatorFrame, MonochromatorCurveOf({0, 0.25, 0.5, 0.25, 0}));
  ASSERT_NE(strong.Find("1.0"), nullptr);
  EXPECT_EQ(strong.Find("1.0")->at, (Point{l.box.left - 25, l.base - 256}));
  EXPECT_EQ(strong.Find("0.2")->at, (Point{l.box.left - 25, l.base - 56}));
  ASSERT_EQ(strong.curves.size(), 1u);
  EXPECT_EQ(strong.curves[0].points[2], (Point{l.originX + l.width / 2, l.base - 125}));
  EXPECT_EQ(strong.curves[0].points[4].x, l.originX + l.width);
  // Labels 9 units below the box: 4 eV of range, a major tick every 0.5 eV.
  EXPECT_EQ(strong.LabelsBelow(l.box.bottom),
            (std::vector<std::string>{"-2", "-1.5", "-1", "-0.5", "0", "0.5", "1", "1.5", "2"}));
  EXPECT_EQ(strong.Find("-1")->at.y, l.box.bottom + 9);

  DrawingLog weak;
  DrawMonochromatorPlot(weak, kMonochromatorFrame, MonochromatorCurveOf({0, 0.01, 0.05, 0.01, 0}));
  EXPECT_EQ(weak.Find("1.0"), nullptr);
  ASSERT_NE(weak.Find("1e-1"), nullptr);
  EXPECT_EQ(weak.Find("1e-1")->at.x, l.box.left - 30);
  // The full scale is framed, so that it does not read as a tick value.
  const Point decade = weak.Find("1e-1")->at;
  const Rect frameOfDecade{decade.x - 2, decade.y - 1, decade.x + 24 + 2, decade.y + 12};
  EXPECT_EQ(std::count_if(weak.outlines.begin(), weak.outlines.end(),
                          [&](const Rect& r) {
                            return r.left == frameOfDecade.left && r.top == frameOfDecade.top &&
                                   r.right == frameOfDecade.right && r.bottom == frameOfDecade.bottom;
                          }),
            1);
  EXPECT_EQ(weak.outlines.size(), strong.outlines.size() + 1) << "a plain 1.0 has no frame";
  EXPECT_EQ(weak.curves[0].points[2].y, l.base - 125);  // 0.05 of a full scale of 0.1

  DrawingLog empty;
  DrawMonochromatorPlot(empty, kMonochromatorFrame, std::nullopt);
  EXPECT_EQ(empty.Find("0.2"), nullptr);
  EXPECT_TRUE(empty.curves.empty());
}

// The plot component zooms and reads out through the area a full view
// declares; it must put every point where the full view draws it.
void ExpectAreaMatchesDrawing(const PlotArea& area, const PlotRange& range, const DrawingLog::Curve& drawn,
                              const multicrystal::CurveTrace& trace) {
  const PlotMapping mapping{area.left, area.bottom, area.width, area.height, range, false};
  ASSERT_EQ(drawn.points.size(), trace.values.size());
  for (std::size_t i = 0; i < trace.values.size(); ++i) {
    const double x = trace.Coordinate(static_cast<int>(i));
    EXPECT_NEAR(mapping.PixelX(x), drawn.points[i].x, 1.0) << i;
    EXPECT_NEAR(mapping.PixelY(trace.values[i]), drawn.points[i].y, 1.0) << i;
  }
}

TEST(MultiCrystalPlots, FullViewAreasPutThePointsWhereTheyAreDrawn) {
  multicrystal::CurveHistory history;
  history.Accept(Trace(-50, 50, {0, 1, 4, 1, 0}));
  history.Accept(Trace(-30, 70, {0, 2, 8, 3, 0}));
  const Rect frame{0, 0, 700, 430};
  DrawingLog both;
  DrawConvolutedCurvePlot(both, frame, history, true);
  const PlotArea area = ConvolutedCurvePlotArea(frame, history, true);
  const PlotRange range{-50, 70, 0, 8};
  ASSERT_EQ(both.curves.size(), 2u);
  ExpectAreaMatchesDrawing(area, range, both.curves[0], *history.Previous());
  ExpectAreaMatchesDrawing(area, range, both.curves[1], *history.Current());
  EXPECT_EQ(area.xGrid, (std::vector<double>{-40, -20, 0, 20, 40, 60}));

  const multicrystal::MonochromatorCurve weak = MonochromatorCurveOf({0, 0.01, 0.05, 0.02, 0});
  DrawingLog drawn;
  DrawMonochromatorPlot(drawn, frame, weak);
  const PlotArea dcm = MonochromatorPlotArea(frame, weak);
  ASSERT_EQ(drawn.curves.size(), 1u);
  ExpectAreaMatchesDrawing(dcm, {-2, 2, 0, 0.1}, drawn.curves[0], weak.trace);
  ASSERT_EQ(dcm.yGrid.size(), 5u);
  EXPECT_NEAR(dcm.yGrid.back(), 0.1, 1e-15);
}

}  // namespace
}  // namespace velto::programs
