#pragma once
#include <optional>
#include <vector>

#include "programs/plot/Plot.h"

// The pieces of a plot picture that the plot draws itself: the zoomed and
// logarithmic views, and what it adds to every view (grid, titles, legend,
// caption, read-out markers).
namespace velto::programs {

inline constexpr Color kGridColor{185, 185, 185};

// A whole view on the program's area: frame, box, clipped curves and labels,
// ticks with labels for the range shown.
void DrawOwnView(Canvas& canvas, const PlotContent& content, const PlotGeometry& g, bool grid);

// Dotted lines across the box at the given values (the ticks of the range
// shown when none are given); over a drawing they hide nothing.
void DrawGrid(Canvas& canvas, const PlotGeometry& g, const std::vector<double>& xs, const std::vector<double>& ys);

// The x title below the box, the y title turned beside it.
void DrawTitles(Canvas& canvas, const PlotContent& content, const PlotGeometry& g, bool programView);
// A sample of each named curve's pen with its name, right-aligned above the box.
void DrawLegend(Canvas& canvas, const PlotContent& content, const PlotGeometry& g);
void DrawCaption(Canvas& canvas, const PlotContent& content, const PlotGeometry& g);
// A small square on each named curve at its point nearest to the pointer.
void DrawReadoutMarkers(Canvas& canvas, const PlotContent& content, const PlotGeometry& g, Point pointer);

// Whether any curve has a point: before that there is nothing to explore.
bool HasPoints(const PlotContent& content);

// The index of the point nearest to x (gaps skipped); none for an empty curve.
std::optional<std::size_t> NearestPoint(const PlotSeries& series, double x);

// The curve through `series` on the mapping, cut at gaps and at the edges
// of `clip`: the pieces to draw as polylines.
std::vector<std::vector<Point>> ClippedPolylines(const PlotSeries& series, const PlotMapping& mapping, Rect clip);

}  // namespace velto::programs
