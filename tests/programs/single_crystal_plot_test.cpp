#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "programs/single_crystal/SingleCrystalPlot.h"
#include "support/RecordingCanvas.h"

namespace velto::programs {
namespace {

using PlotRecorder = testing::RecordingCanvas;

// A frame 336 pixels high: one pixel per layout unit.
constexpr Rect kFrame{0, 0, 400, 336};

twobeam::CurveSet Curve(double from, double step, std::vector<double> r, std::vector<double> t = {}) {
  twobeam::CurveSet c;
  c.points = static_cast<int>(r.size());
  c.displayStart = from;
  c.displayStep = step;
  c.reflectivity = std::move(r);
  c.transmissivity = t.empty() ? std::vector<double>(c.reflectivity.size(), 0.0) : std::move(t);
  return c;
}

PlotCurve Drawn(const twobeam::CurveSet& c, double maxR, double maxT = 0, bool drawR = true, bool drawT = false) {
  return PlotCurve{&c, maxR, maxT, drawR, drawT};
}

TEST(SingleCrystalPlot, LayoutScalesWithTheFrameHeight) {
  const PlotLayout l = LayoutPlot(kFrame);
  EXPECT_EQ(l.box.left, 36);
  EXPECT_EQ(l.box.right, 385);
  EXPECT_EQ(l.box.top, 5);
  EXPECT_EQ(l.box.bottom, 314);
  EXPECT_EQ(l.width, 347);
  EXPECT_EQ(l.x0, 38);
  EXPECT_EQ(l.y0, 310);

  const PlotLayout twice = LayoutPlot({10, 20, 810, 692});  // 672 high: two pixels per unit
  EXPECT_EQ(twice.box.left, 10 + 72);
  EXPECT_EQ(twice.box.bottom, 692 - 44);
}

TEST(SingleCrystalPlot, MajorTickSpacingForSeveralRanges) {
  EXPECT_DOUBLE_EQ(MajorTickSpacing(100), 10);
  EXPECT_DOUBLE_EQ(MajorTickSpacing(5), 0.5);
  EXPECT_DOUBLE_EQ(MajorTickSpacing(2), 0.2);
  EXPECT_DOUBLE_EQ(MajorTickSpacing(300), 50);
  EXPECT_DOUBLE_EQ(MajorTickSpacing(1.5), 0.2);
  EXPECT_DOUBLE_EQ(MajorTickSpacing(250000), 50000);
}

TEST(SingleCrystalPlot, ScanAxisLabelsAreCentredUnderTheirTicks) {
  const auto c = Curve(-50, 0.05, std::vector<double>(2001, 0.5));
  PlotRecorder canvas;
  DrawSingleCrystalPlot(canvas, kFrame, Drawn(c, 0.5));
  const auto labels = canvas.TextsBelow(314);
  ASSERT_EQ(labels.size(), 11u);
  EXPECT_EQ(labels.front().text, "-50");
  EXPECT_EQ(labels[5].text, "0");
  EXPECT_EQ(labels.back().text, "50");
  // sx = 347/100: the label "0" is centred at 38 + trunc(50·3.47) = 211.
  EXPECT_EQ(labels[5].at.x, 211 - 3);
  EXPECT_EQ(labels[5].at.y, 314 + 8);

  const auto small = Curve(0, 0.01, std::vector<double>(201, 0.5));  // 0 … 2
  PlotRecorder fine;
  DrawSingleCrystalPlot(fine, kFrame, Drawn(small, 0.5));
  const auto fineLabels = fine.TextsBelow(314);
  ASSERT_EQ(fineLabels.size(), 11u);
  EXPECT_EQ(fineLabels[1].text, "0.2");
  EXPECT_EQ(fineLabels.back().text, "2");
}

TEST(SingleCrystalPlot, PolylineOfASmallKnownCurve) {
  const auto c = Curve(-1, 1, {0.25, 1.0, 0.5}, {0.5, 0.0, 0.25});
  PlotRecorder canvas;
  DrawSingleCrystalPlot(canvas, kFrame, Drawn(c, 1.0, 0.5, true, true));
  ASSERT_EQ(canvas.polylines.size(), 2u);
  // sx = 347/2 = 173.5 pixels per unit, sy = 300 pixels for the full scale.
  const std::vector<Point> red{{38, 235}, {211, 10}, {385, 160}};
  EXPECT_EQ(canvas.polylines[0].points, red);
  EXPECT_EQ(canvas.polylines[0].pen, (Pen{kRed, 1}));
  const std::vector<Point> blue{{38, 160}, {211, 310}, {385, 235}};
  EXPECT_EQ(canvas.polylines[1].points, blue);
  EXPECT_EQ(canvas.polylines[1].pen, (Pen{kBlue, 2}));
  EXPECT_TRUE(canvas.HasText("1.0"));
}

TEST(SingleCrystalPlot, CurvesBelowATenthGetTheScaleLabel) {
  const auto c = Curve(-1, 1, {0.001, 0.005, 0.002});
  PlotRecorder canvas;
  DrawSingleCrystalPlot(canvas, kFrame, Drawn(c, 0.005));
  EXPECT_TRUE(canvas.HasText("1e-2"));
  EXPECT_FALSE(canvas.HasText("1.0"));
  // Full scale 0.01: the peak 0.005 lies half way up (150 pixels).
  ASSERT_EQ(canvas.polylines.size(), 1u);
  EXPECT_EQ(canvas.polylines[0].points[1].y, 310 - 150);

  EXPECT_EQ(ScaleOf(Drawn(c, 0.05)).exponent, 1);
  EXPECT_EQ(ScaleOf(Drawn(c, 0.1)).exponent, 0);
  // The transmissivity alone decides when R is hidden; the larger when both.
  EXPECT_EQ(ScaleOf(Drawn(c, 0.9, 0.003, false, true)).exponent, 2);
  EXPECT_EQ(ScaleOf(Drawn(c, 0.003, 0.9, true, true)).exponent, 0);
}

TEST(SingleCrystalPlot, TheFullScaleLabelIsFramedApartFromTheTicks) {
  const auto c = Curve(-1, 1, {0.001, 0.005, 0.002});
  PlotRecorder canvas;
  DrawSingleCrystalPlot(canvas, kFrame, Drawn(c, 0.005));
  const auto* label = canvas.Find("1e-2");
  ASSERT_NE(label, nullptr);
  const auto encloses = [](const Rect& r, const PlotRecorder::TextCall& t, int width) {
    return r.left < t.at.x && r.right > t.at.x + width && r.top < t.at.y && r.bottom >= t.at.y + 14;
  };
  int frames = 0;
  for (const auto& outline : canvas.outlines)
    if (encloses(outline.rect, *label, 24)) ++frames;
  EXPECT_EQ(frames, 1);
  // The fractions stay plain tick labels.
  for (const auto& outline : canvas.outlines) EXPECT_FALSE(encloses(outline.rect, *canvas.Find("0.8"), 18));
}

TEST(SingleCrystalPlot, ItsAreaReadsBackThePixelsOfTheDrawing) {
  const auto c = Curve(-1, 1, {0.25, 1.0, 0.5});
  const PlotArea a = SingleCrystalPlotArea(kFrame, Drawn(c, 1.0));
  const PlotMapping m{a.left, a.bottom, a.width, a.height, {-1, 1, 0, 1}, false};
  PlotRecorder canvas;
  DrawSingleCrystalPlot(canvas, kFrame, Drawn(c, 1.0));
  ASSERT_EQ(canvas.polylines.size(), 1u);
  const std::vector<double> x{-1, 0, 1};
  for (std::size_t i = 0; i < 3; ++i) {
    const Point p = canvas.polylines[0].points[i];
    EXPECT_NEAR(m.DataX(p.x), x[i], 1.0 / m.width * 2) << i;
    EXPECT_NEAR(m.DataY(p.y), c.reflectivity[i], 1.0 / 300) << i;
  }
  EXPECT_EQ(a.box.left, 36);
  EXPECT_EQ(a.xGrid, ScanAxisTicks(-1, 1));
  ASSERT_EQ(a.yGrid.size(), 5u);  // the labelled fractions 0.2 … 1.0
  EXPECT_DOUBLE_EQ(a.yGrid.back(), 1.0);
  EXPECT_DOUBLE_EQ(SingleCrystalPlotArea(kFrame, Drawn(c, 0.005)).yGrid.back(), 0.01);
}

TEST(SingleCrystalPlot, DegenerateCurvesDrawWithoutHanging) {
  // Only a transmissivity of zeros drawn: full scale kept.
  const auto zeros = Curve(-1, 1, {0, 0, 0});
  EXPECT_EQ(ScaleOf(Drawn(zeros, 0, 0, false, true)).exponent, 0);
  // An empty range: the curve is drawn at the origin, no scan ticks.
  const auto point = Curve(5, 0, {0.5, 0.5, 0.5});
  PlotRecorder canvas;
  DrawSingleCrystalPlot(canvas, kFrame, Drawn(point, 0.5));
  EXPECT_TRUE(canvas.TextsBelow(314).empty());
  ASSERT_EQ(canvas.polylines.size(), 1u);
  EXPECT_EQ(canvas.polylines[0].points.front().x, 38);

  // No curve: box, ticks and the reflectivity labels only.
  PlotRecorder empty;
  DrawSingleCrystalPlot(empty, kFrame, std::nullopt);
  EXPECT_TRUE(empty.polylines.empty());
  EXPECT_TRUE(empty.HasText("0.8"));
  EXPECT_TRUE(empty.HasText("1.0"));
  ASSERT_EQ(empty.outlines.size(), 1u);
}

TEST(SingleCrystalPlot, ReflectivityTicksOnBothSides) {
  PlotRecorder canvas;
  DrawSingleCrystalPlot(canvas, kFrame, std::nullopt);
  int major = 0, minor = 0;
  for (const auto& line : canvas.lines) {
    const int length = std::abs(line.to.x - line.from.x);
    if (length == 7) ++major;
    if (length == 4) ++minor;
  }
  EXPECT_EQ(major, 2 * 6);   // 0, 60, …, 300 on each side
  EXPECT_EQ(minor, 2 * 20);  // the other multiples of 12
}

}  // namespace
}  // namespace velto::programs
