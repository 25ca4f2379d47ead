#include "programs/plot/Plot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "programs/plot/PlotDrawing.h"
#include "programs/plot/PlotTicks.h"
#include "shell/NumberText.h"
#include "support/FakeUserInterface.h"
#include "support/RecordingCanvas.h"
#include "support/TestFiles.h"

namespace velto::programs {
namespace {

using testing::FakeUserInterface;
using testing::RecordingCanvas;

constexpr Rect kScreen{0, 0, 640, 400};
constexpr int kLineHeight = 14;  // the recording canvas's

// A stand-in for a program's drawing rules: a box with margins, and a mark
// that tells when the program's own drawing ran.
PlotArea ProgramArea(Rect f) {
  PlotArea a;
  a.box = {f.left + 40, f.top + 5, f.right - 15, f.bottom - 25};
  a.unit = f.Height() / 336.0;
  a.left = a.box.left + 2;
  a.width = a.box.Width() - 2;
  a.bottom = a.box.bottom - 4;
  a.height = a.box.Height() - 9;
  return a;
}

// A Gaussian rocking curve R with σ = 2″ and T = 1 − R, from −20″ to 20″ in
// steps of 0.1″, on a program plot.
class PlotTest : public ::testing::Test {
 protected:
  PlotTest() : plot([this] { return Content(); }) {
    for (int i = 0; i <= 400; ++i) {
      const double x = -20 + 0.1 * i;
      r.push_back(std::exp(-x * x / 8));
      t.push_back(1 - r.back());
    }
    plot.SetScreen(kScreen, kLineHeight);
  }

  PlotContent Content() const {
    PlotContent c;
    c.x = {"Δθ", "arcsec"};
    c.y = {"Reflectivity", ""};
    c.yTitleFullView = "Reflectivity (program scale)";
    if (!empty) {
      c.series.push_back({"R", {kRed, 1}, PlotMarks::Line, -20, 0.1, {}, r});
      if (showT) c.series.push_back({"T", {kBlue, 2}, PlotMarks::Line, -20, 0.1, {}, t});
      if (!other.empty()) c.series.push_back({"previous", {kBlue, 2}, PlotMarks::Line, -20, 0.2, {}, other});
    }
    c.full.range = {-20, 20, 0, 1};
    c.full.layout = [this](Rect f) {
      PlotArea a = ProgramArea(f);
      a.xGrid = xGrid;
      return a;
    };
    c.full.paint = [this](Canvas& canvas, Rect f) {
      ++programDrawings;
      canvas.Text({f.left, f.top}, "program drawing");
    };
    c.logarithmicYOffered = logOffered;
    c.describe = describe;
    c.caption = "Si 1 1 1, 8.048 keV, σ polarization";
    return c;
  }

  PlotMapping Mapping() const { return plot.Geometry().mapping; }
  Point PixelOf(double x, double y) const {
    const PlotMapping m = Mapping();
    return {static_cast<int>(std::floor(m.PixelX(x))), static_cast<int>(std::floor(m.PixelY(y)))};
  }
  RecordingCanvas Drawn(bool caption = false) const {
    RecordingCanvas canvas;
    plot.Draw(canvas, kScreen, caption);
    return canvas;
  }

  std::vector<double> r, t, other;
  std::vector<double> xGrid;
  bool showT = true, empty = false, logOffered = true;
  std::function<std::string(double, double)> describe;
  mutable int programDrawings = 0;
  Plot plot;
};

TEST_F(PlotTest, TheFullViewIsTheProgramsDrawingWithTitlesAndLegend) {
  const RecordingCanvas canvas = Drawn();
  EXPECT_EQ(programDrawings, 1);
  const PlotGeometry g = plot.Geometry();
  ASSERT_NE(canvas.Find("program drawing"), nullptr);
  // The program's drawing gets the frame inside the bands of the titles.
  EXPECT_EQ(canvas.Find("program drawing")->at, (Point{g.frame.left, g.frame.top}));

  const auto* xTitle = canvas.Find("Δθ (arcsec)");
  ASSERT_NE(xTitle, nullptr);
  EXPECT_GT(xTitle->at.y, g.area.box.bottom);
  const auto* yTitle = canvas.Find("Reflectivity (program scale)");
  ASSERT_NE(yTitle, nullptr);
  EXPECT_TRUE(yTitle->vertical);
  EXPECT_LT(yTitle->at.x, g.frame.left);

  // The legend above the box names each curve beside a sample of its pen.
  for (const char* name : {"R", "T"}) {
    const auto* entry = canvas.Find(name);
    ASSERT_NE(entry, nullptr) << name;
    EXPECT_LT(entry->at.y + kLineHeight, g.area.box.top);
  }
  int samples = 0;
  for (const auto& line : canvas.lines) {
    if (line.from.y == line.to.y && line.to.y < g.frame.top && line.to.x - line.from.x > 10) {
      EXPECT_TRUE(line.pen == (Pen{kRed, 1}) || line.pen == (Pen{kBlue, 2}));
      ++samples;
    }
  }
  EXPECT_EQ(samples, 2);
  // On screen there is no caption; the saved picture has it on its own line.
  EXPECT_FALSE(canvas.HasText("Si 1 1 1, 8.048 keV, σ polarization"));
  const RecordingCanvas saved = Drawn(true);
  ASSERT_NE(saved.Find("Si 1 1 1, 8.048 keV, σ polarization"), nullptr);
  EXPECT_LT(saved.Find("Si 1 1 1, 8.048 keV, σ polarization")->at.y, saved.Find("R")->at.y);
}

TEST_F(PlotTest, DragZoomsIntoTheRectangleAndFullViewRestoresTheProgramsView) {
  const PlotRange full = plot.ViewRange(Content());
  const Point a = PixelOf(-1, 0.9), b = PixelOf(3, 0.3);
  ASSERT_TRUE(plot.ZoomToRectangle(a, b));
  EXPECT_TRUE(plot.Zoomed());
  const PlotRange view = plot.ViewRange(Content());
  const double pixel = 40.0 / Mapping().width;
  EXPECT_NEAR(view.xMin, -1, pixel);
  EXPECT_NEAR(view.xMax, 3, 2 * pixel);
  EXPECT_NEAR(view.yMin, 0.3, 0.01);
  EXPECT_NEAR(view.yMax, 0.9, 0.01);

  // The zoomed view is drawn here, its curves kept inside the box.
  const RecordingCanvas zoomed = Drawn();
  EXPECT_EQ(programDrawings, 0);
  const Rect box = plot.Geometry().area.box;
  ASSERT_FALSE(zoomed.polylines.empty());
  for (const auto& piece : zoomed.polylines) {
    for (const Point& p : piece.points) {
      EXPECT_TRUE(p.x >= box.left && p.x <= box.right && p.y >= box.top && p.y <= box.bottom) << p.x << "," << p.y;
    }
  }
  // The y axis labels the values of the zoomed range.
  EXPECT_TRUE(zoomed.HasText("0.5"));
  EXPECT_TRUE(zoomed.HasText("Reflectivity"));

  plot.FullView();
  EXPECT_FALSE(plot.Zoomed());
  const PlotRange back = plot.ViewRange(Content());
  EXPECT_EQ(back.xMin, full.xMin);
  EXPECT_EQ(back.xMax, full.xMax);
  EXPECT_EQ(back.yMax, full.yMax);
  Drawn();
  EXPECT_EQ(programDrawings, 1);
}

TEST_F(PlotTest, ThinDragsZoomOneAxisAndClicksNone) {
  EXPECT_FALSE(plot.ZoomToRectangle({300, 200}, {302, 201}));
  EXPECT_FALSE(plot.Zoomed());
  // A horizontal drag zooms x alone.
  ASSERT_TRUE(plot.ZoomToRectangle(PixelOf(0, 0.5), PixelOf(5, 0.5)));
  PlotRange view = plot.ViewRange(Content());
  EXPECT_NEAR(view.xMax - view.xMin, 5, 0.2);
  EXPECT_EQ(view.yMin, 0);
  EXPECT_EQ(view.yMax, 1);
  // A drag reaching beyond the box zooms only as far as the view goes.
  plot.FullView();
  ASSERT_TRUE(plot.ZoomToRectangle({0, 200}, PixelOf(0, 0.5)));
  view = plot.ViewRange(Content());
  EXPECT_EQ(view.xMin, -20);
  EXPECT_NEAR(view.xMax, 0, 0.1);
}

TEST_F(PlotTest, TheWheelZoomsAboutThePointer) {
  const Point at{300, 150};
  const double x = Mapping().DataX(at.x), y = Mapping().DataY(at.y);
  plot.ZoomAbout(at, 1.25);
  EXPECT_NEAR(Mapping().DataX(at.x), x, 1e-9);
  EXPECT_NEAR(Mapping().DataY(at.y), y, 1e-9);
  EXPECT_NEAR(plot.ViewRange(Content()).xMax - plot.ViewRange(Content()).xMin, 40 / 1.25, 1e-9);
  plot.ZoomAbout(at, 1.25);
  EXPECT_NEAR(Mapping().DataX(at.x), x, 1e-9);

  // Out again as far as the full view, and no further.
  for (int i = 0; i < 5; ++i) plot.ZoomAbout(at, 1 / 1.25);
  EXPECT_FALSE(plot.Zoomed());

  // Far in, the view stops narrowing before its numbers run out of digits.
  for (int i = 0; i < 400; ++i) plot.ZoomAbout(at, 1.25);
  const PlotRange deep = plot.ViewRange(Content());
  EXPECT_GE(deep.xMax - deep.xMin, 40 * 1e-9 * 0.99);
  const RecordingCanvas canvas = Drawn();
  std::set<std::string> labels;
  for (const auto& text : canvas.TextsBelow(plot.Geometry().area.box.bottom)) labels.insert(text.text);
  EXPECT_GE(labels.size(), 3u);  // tick labels and the title, all different
}

TEST_F(PlotTest, PanningMovesAZoomedViewAndStopsAtTheEnds) {
  plot.Pan({300, 200}, {400, 200});
  EXPECT_FALSE(plot.Zoomed());  // nothing to move in the full view
  ASSERT_TRUE(plot.ZoomToRectangle(PixelOf(0, 0.9), PixelOf(10, 0.2)));
  const PlotRange before = plot.ViewRange(Content());
  const double perPixel = (before.xMax - before.xMin) / Mapping().width;
  plot.Pan({300, 200}, {350, 200});  // the curve follows the mouse to the right
  const PlotRange after = plot.ViewRange(Content());
  EXPECT_NEAR(after.xMin, before.xMin - 50 * perPixel, 1e-9);
  EXPECT_NEAR(after.xMax - after.xMin, before.xMax - before.xMin, 1e-9);
  for (int i = 0; i < 3; ++i) plot.Pan({0, 200}, {640, 200});
  const PlotRange end = plot.ViewRange(Content());
  EXPECT_EQ(end.xMin, -20);
  EXPECT_NEAR(end.xMax - end.xMin, before.xMax - before.xMin, 1e-9);
}

TEST_F(PlotTest, ANewCalculationShowsTheFullViewUnlessTheZoomIsKept) {
  ASSERT_TRUE(plot.ZoomToRectangle(PixelOf(0, 0.9), PixelOf(10, 0.2)));
  plot.NewData();
  EXPECT_FALSE(plot.Zoomed());
  plot.SetKeepZoom(true);
  ASSERT_TRUE(plot.ZoomToRectangle(PixelOf(0, 0.9), PixelOf(10, 0.2)));
  const PlotRange kept = plot.ViewRange(Content());
  plot.NewData();
  EXPECT_TRUE(plot.Zoomed());
  EXPECT_EQ(plot.ViewRange(Content()).xMin, kept.xMin);
}

TEST_F(PlotTest, TheLogarithmicScaleShowsTheDecadesOfTheCurves) {
  plot.SetLogarithmicY(true);
  ASSERT_TRUE(plot.LogarithmicY());
  EXPECT_FALSE(plot.FullViewShown());
  // R falls to e^-50 ≈ 2e-22 at the ends: twelve decades below the top.
  const PlotRange view = plot.ViewRange(Content());
  EXPECT_DOUBLE_EQ(view.yMax, 1);
  EXPECT_DOUBLE_EQ(view.yMin, 1e-12);
  const RecordingCanvas canvas = Drawn();
  EXPECT_EQ(programDrawings, 0);
  for (const char* label : {"1e-12", "1e-08", "0.0001", "1"}) EXPECT_TRUE(canvas.HasText(label)) << label;
  // One decade up the axis is a twelfth of the data window's height.
  const PlotMapping m = Mapping();
  EXPECT_NEAR(m.PixelY(1e-6) - m.PixelY(1e-5), m.height / 12, 1e-9);
  EXPECT_TRUE(std::isnan(m.PixelY(0)));

  plot.SetLogarithmicY(false);
  EXPECT_TRUE(plot.FullViewShown());
  logOffered = false;
  plot.SetLogarithmicY(true);
  EXPECT_FALSE(plot.LogarithmicY());
}

TEST_F(PlotTest, ReadoutGivesThePositionAndEachCurvesValueAtItsNearestPoint) {
  // At x = σ = 2″ the Gaussian is e^-1/2.
  const Point at = PixelOf(2, 0.5);
  const std::string text = plot.Readout(at);
  EXPECT_EQ(text.rfind("Δθ = 2 arcsec   Reflectivity = 0.5", 0), 0u) << text;
  EXPECT_NE(text.find("R = " + shell::FormatNumber(std::exp(-0.5), 6) + " at 2"), std::string::npos) << text;
  EXPECT_NE(text.find("T = " + shell::FormatNumber(1 - std::exp(-0.5), 6) + " at 2"), std::string::npos) << text;
  EXPECT_NE(plot.Readout({PixelOf(0, 0.5).x, at.y}).find("R = 1 at 0   "), std::string::npos);

  EXPECT_EQ(plot.Readout({5, 5}), "");  // outside the box
  describe = [](double x, double) { return x > 0 ? "right of the peak" : "left of the peak"; };
  const std::string described = plot.Readout(at);
  EXPECT_NE(described.find("right of the peak"), std::string::npos);
  EXPECT_EQ(described.find("R ="), std::string::npos);

  // The markers sit on the curves at the nearest points.
  describe = nullptr;
  plot.SetHover(at);
  const RecordingCanvas canvas = Drawn();
  const Point onR = PixelOf(2, std::exp(-0.5));
  bool marked = false;
  for (const auto& outline : canvas.outlines) {
    if (outline.pen.color == kRed && outline.rect.left < onR.x && outline.rect.right > onR.x &&
        outline.rect.top < onR.y && outline.rect.bottom > onR.y)
      marked = true;
  }
  EXPECT_TRUE(marked);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST_F(PlotTest, TheShownCurvesAreThePointsOfTheZoomedRange) {
  ASSERT_TRUE(plot.ZoomToRectangle(PixelOf(-1, 1), PixelOf(1, 0)));
  const PlotRange view = plot.ViewRange(Content());
  const std::vector<std::string> lines = Lines(plot.ShownCurvesText());
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Δθ (arcsec)\tR\tT");
  int inside = 0;
  for (int i = 0; i <= 400; ++i) {
    const double x = -20 + 0.1 * i;
    if (x >= view.xMin - 1e-9 && x <= view.xMax + 1e-9) ++inside;
  }
  EXPECT_EQ(static_cast<int>(lines.size()) - 1, inside);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "0\t1\t0"), lines.end());
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const double x = shell::ParseNumber(lines[i]);
    EXPECT_GE(x, view.xMin - 1e-9);
    EXPECT_LE(x, view.xMax + 1e-9);
    const double rValue = shell::ParseNumber(lines[i].substr(lines[i].find('\t') + 1));
    EXPECT_NEAR(rValue, std::exp(-x * x / 8), 1e-8) << lines[i];
  }

  FakeUserInterface ui;
  plot.CopyShownCurves(ui);
  EXPECT_EQ(ui.clipboard, plot.ShownCurvesText());
  empty = true;
  plot.CopyShownCurves(ui);
  EXPECT_EQ(ui.LastMessage(), "No data to export yet !    ");
}

TEST_F(PlotTest, CurvesOnDifferentGridsAreCopiedAsPairsOfColumns) {
  showT = false;
  for (int i = 0; i <= 200; ++i) other.push_back(0.5);
  const std::vector<std::string> lines = Lines(plot.ShownCurvesText());
  ASSERT_EQ(lines.size(), 402u);
  EXPECT_EQ(lines[0], "Δθ (arcsec)\tR\tΔθ (arcsec)\tprevious");
  EXPECT_EQ(lines[1], "-20\t" + shell::FormatNumber(std::exp(-50), 8) + "\t-20\t0.5");
  EXPECT_EQ(lines.back(), "20\t" + shell::FormatNumber(std::exp(-50), 8) + "\t\t");
}

TEST_F(PlotTest, ZoomedCurvesAreCutAtTheBoxAndAtGaps) {
  std::vector<double> y{0.1, 0.5, std::numeric_limits<double>::quiet_NaN(), 0.5, 0.9, 0.2};
  const PlotSeries s{"gaps", {kRed, 1}, PlotMarks::Line, 0, 1, {}, y};
  const PlotMapping m{10, 110, 100, 100, {0, 5, 0, 1}, false};
  const Rect clip{10, 10, 110, 110};
  const auto pieces = ClippedPolylines(s, m, clip);
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0], (std::vector<Point>{{10, 100}, {30, 60}}));
  EXPECT_EQ(pieces[1].size(), 3u);
  // Zoomed into x from 1 to 3: the pieces begin and end on the box's edges.
  const PlotMapping zoomed{10, 110, 100, 100, {3.5, 4.5, 0, 1}, false};
  const auto cut = ClippedPolylines(s, zoomed, clip);
  ASSERT_EQ(cut.size(), 1u);
  EXPECT_EQ(cut[0].front().x, 10);
  EXPECT_EQ(cut[0].back().x, 110);
  EXPECT_EQ(cut[0].front().y, 110 - 70);  // half way from 0.5 to 0.9
  EXPECT_EQ(cut[0].back().y, 110 - 55);   // half way from 0.9 to 0.2

  EXPECT_EQ(NearestPoint(s, 2.2), std::optional<std::size_t>(3));  // the gap is passed over
  EXPECT_EQ(NearestPoint(s, 7), std::optional<std::size_t>(5));
}

TEST(PlotOfPoints, ScatteredPointsAndLabelsStayInsideTheZoomedBox) {
  // A map: points at given (x, y), labelled reflections, no drawing of its own.
  const std::vector<double> phi{-8, -2, 0, 3, 9}, energy{7.1, 7.5, 8.0, 8.4, 8.9};
  Plot plot([&] {
    PlotContent c;
    c.x = {"φ", "deg"};
    c.y = {"E", "keV"};
    c.series.push_back({"lines", {kRed, 1}, PlotMarks::Points, 0, 0, phi, energy});
    c.labels.push_back({-2, 7.5, "1 1 1", {kBlue, 1}});
    c.labels.push_back({9, 8.9, "2 2 0", {kBlue, 1}});
    return c;
  });
  plot.SetScreen(kScreen, kLineHeight);
  const PlotMapping full = plot.Geometry().mapping;
  ASSERT_TRUE(plot.ZoomToRectangle({static_cast<int>(full.PixelX(-5)), static_cast<int>(full.PixelY(8.2))},
                                   {static_cast<int>(full.PixelX(5)), static_cast<int>(full.PixelY(7.3))}));
  RecordingCanvas canvas;
  plot.Draw(canvas, kScreen, false);
  const Rect box = plot.Geometry().area.box;
  int squares = 0;
  for (const auto& fill : canvas.fills) {
    if (!(fill.color == kRed) || fill.rect.Width() != 3 || fill.rect.top < box.top - 1) continue;  // not the legend
    EXPECT_TRUE(fill.rect.left >= box.left - 1 && fill.rect.right <= box.right + 2);
    ++squares;
  }
  EXPECT_EQ(squares, 2);  // (−2, 7.5) and (0, 8.0)
  EXPECT_TRUE(canvas.HasText("1 1 1"));
  EXPECT_FALSE(canvas.HasText("2 2 0"));  // outside the zoomed range
  EXPECT_NE(plot.Readout({static_cast<int>(plot.Geometry().mapping.PixelX(0)), 200}).find("lines = 8 at 0"),
            std::string::npos);
}

TEST_F(PlotTest, TheGridLiesOnTheFullViewsTicksOrOnTheZoomedOnes) {
  xGrid = {-10, 0, 10};
  plot.SetGrid(true);
  auto gridColumns = [this] {
    std::set<int> columns;
    for (const auto& line : Drawn().lines)
      if (line.pen.color == kGridColor && line.from.x == line.to.x) columns.insert(line.from.x);
    return columns;
  };
  EXPECT_EQ(gridColumns(), (std::set<int>{PixelOf(-10, 0).x, PixelOf(0, 0).x, PixelOf(10, 0).x}));
  ASSERT_TRUE(plot.ZoomToRectangle(PixelOf(1, 1), PixelOf(4, 0)));
  const std::set<int> zoomed = gridColumns();
  const PlotRange view = plot.ViewRange(Content());
  EXPECT_EQ(zoomed.size(), LinearTicks(view.xMin, view.xMax).major.size());
}

TEST_F(PlotTest, SavedPicturesCarryTheTitlesTheLegendAndTheCaption) {
  const std::string svg = plot.SvgPicture(640, 400);
  for (const char* part : {">Δθ (arcsec)<", ">Reflectivity (program scale)<", ">R<", ">T<",
                           ">Si 1 1 1, 8.048 keV, σ polarization<", "rotate(-90)"}) {
    EXPECT_NE(svg.find(part), std::string::npos) << part;
  }

  testing::TemporaryDirectory dir;
  FakeUserInterface ui;
  ui.QueueSaveFile(dir.path() / "curve.svg");
  plot.SavePicture(ui, nullptr);
  EXPECT_EQ(ui.saveRequests.back().filter, "PNG Image (*.png)|*.png|SVG Drawing (*.svg)|*.svg||");
  std::ifstream in(dir.path() / "curve.svg");
  const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(written, svg);

  // PNG: the encoder paints the same picture; a name without the extension gets it.
  RecordingCanvas painted;
  int width = 0, height = 0;
  const PngEncoder encoder = [&](int w, int h, const std::function<void(Canvas&)>& draw) -> std::optional<std::string> {
    width = w;
    height = h;
    draw(painted);
    return std::string("\x89PNG picture");
  };
  ui.QueueSaveFile(dir.path() / "curve");
  plot.SavePicture(ui, encoder);
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 400);
  EXPECT_TRUE(painted.HasText("Si 1 1 1, 8.048 keV, σ polarization"));
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "curve.png"));
  EXPECT_TRUE(ui.messages.empty()) << ui.LastMessage();

  ui.QueueSaveFile(dir.path() / "broken.png");
  plot.SavePicture(ui, [](int, int, const std::function<void(Canvas&)>&) { return std::optional<std::string>(); });
  EXPECT_EQ(ui.LastMessage(), "Cannot create the file \"" + (dir.path() / "broken.png").string() + "\" !");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "broken.png"));

  // Before a calculation there is nothing to save: no file dialog.
  empty = true;
  const std::size_t requests = ui.saveRequests.size();
  plot.SavePicture(ui, encoder);
  EXPECT_EQ(ui.saveRequests.size(), requests);
  EXPECT_EQ(ui.LastMessage(), "No data to export yet !    ");
}

}  // namespace
}  // namespace velto::programs
