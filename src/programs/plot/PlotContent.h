#pragma once
#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "programs/canvas/Canvas.h"

// What a program window hands its plot: the axes with their units, the
// curves, and the full view as the program's own drawing rules have it. The
// plot (programs/plot/Plot.h) adds the titles, the legend, zoom and pan, a
// logarithmic scale, the read-out and the picture and data export.
//
// A program builds the content on request from what it holds; the curves
// are views of its arrays, so nothing is copied:
//
//   PlotContent MyForm::PlotContentNow() const {
//     PlotContent c;
//     c.x = {"Δω", "arcsec"};
//     c.y = {"Intensity", "a.u."};
//     c.series.push_back({.name = "current", .pen = {kRed, 1}, .xStart = from_, .xStep = step_,
//                         .y = current_});
//     c.full.range = {from_, to_, 0, peak_};
//     c.full.layout = [](Rect frame) { return MyLayout(frame); };    // where the box and data lie
//     c.full.paint = [this](Canvas& canvas, Rect frame) { MyPaint(canvas, frame); };
//     c.caption = "Si 1 1 1, 8.048 keV, σ";
//     return c;
//   }
//
// Without `full.paint` the plot draws every view itself; without
// `full.layout` it also chooses the box.
namespace velto::programs {

struct PlotAxis {
  std::string name;  // "Δθ", "Reflectivity"
  std::string unit;  // "arcsec", "eV"; empty for a pure number
  // "Δθ (arcsec)", or the name alone.
  std::string Title() const { return unit.empty() ? name : name + " (" + unit + ")"; }
};

// Data coordinates at the edges of the data window.
struct PlotRange {
  double xMin = 0, xMax = 1, yMin = 0, yMax = 1;
};

enum class PlotMarks {
  Line,    // a polyline through the points
  Points,  // a 3 × 3 square at each point
};

struct PlotSeries {
  std::string name;  // in the legend and the read-out; empty: neither
  Pen pen;
  PlotMarks marks = PlotMarks::Line;
  // Point i lies at x = xStart + i·xStep, or at x[i] when `x` is given.
  double xStart = 0, xStep = 0;
  std::span<const double> x;
  // A NaN value is a gap: the line stops there and starts again after it.
  std::span<const double> y;

  std::size_t Size() const { return y.size(); }
  double X(std::size_t i) const { return x.empty() ? xStart + static_cast<double>(i) * xStep : x[i]; }
};

// A text tied to a data point (the indices of a map line), drawn with a
// short leader line below and to the right of the point, or turned back
// into the box near its right or bottom edge.
struct PlotLabel {
  double x = 0, y = 0;
  std::string text;
  Pen pen;
};

// Where a drawing puts its box and its data in a frame: pixel `left` is
// xMin and left + width is xMax, pixel `bottom` is yMin and bottom − height
// is yMax. Widths and heights stay unrounded so that positions read back
// from pixels agree with the drawing's own arithmetic.
struct PlotArea {
  Rect box;         // outlined; curves of zoomed views stay inside it
  double unit = 1;  // the drawing's length unit: tick lengths are multiples of it
  double left = 0, bottom = 0, width = 0, height = 0;
  Pen boxPen;
  // The major ticks of the full view, where the grid lies in it; empty: the
  // plot's own ticks of the range.
  std::vector<double> xGrid, yGrid;
};

struct PlotFullView {
  PlotRange range;
  std::function<PlotArea(Rect frame)> layout;
  std::function<void(Canvas& canvas, Rect frame)> paint;
  // `paint` names the curves itself, inside its box: the plot adds no
  // legend of its own to the full view (zoomed views still get one).
  bool paintsLegend = false;
};

struct PlotContent {
  PlotAxis x, y;
  // The y title under the full view's own labels when they read
  // differently from plain values ("Reflectivity (full scale 1e-2)").
  std::string yTitleFullView;
  std::vector<PlotSeries> series;
  std::vector<PlotLabel> labels;
  PlotFullView full;
  bool logarithmicYOffered = false;  // reflectivity-like curves
  // One line for saved pictures: crystal, reflection, energy, polarization.
  std::string caption;
  // What the read-out says about the point under the cursor after its
  // coordinates; by default the value of each curve at its nearest point.
  std::function<std::string(double x, double y)> describe;
};

// Data ↔ pixel of one view on one area (y in decades on a logarithmic axis).
struct PlotMapping {
  double left = 0, bottom = 0, width = 0, height = 0;
  PlotRange range;
  bool logarithmicY = false;

  double PixelX(double x) const;
  double PixelY(double y) const;  // NaN for y ≤ 0 on a logarithmic axis
  double DataX(double px) const;
  double DataY(double py) const;
};

}  // namespace velto::programs
