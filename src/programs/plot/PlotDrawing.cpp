#include "programs/plot/PlotDrawing.h"

#include <algorithm>
#include <cmath>

#include "programs/plot/PlotLabels.h"
#include "programs/plot/PlotTicks.h"

namespace velto::programs {
namespace {

bool Inside(Rect r, double x, double y) { return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom; }

Point ToPixel(double x, double y) { return {static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y))}; }

// Cuts the segment a–b to the rectangle (Liang–Barsky); false when nothing
// of it lies inside.
bool ClipSegment(double& ax, double& ay, double& bx, double& by, Rect r) {
  const double dx = bx - ax, dy = by - ay;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {ax - r.left, r.right - ax, ay - r.top, r.bottom - ay};
  double t0 = 0, t1 = 1;
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0) {
      if (t > t1) return false;
      t0 = std::max(t0, t);
    } else {
      if (t < t0) return false;
      t1 = std::min(t1, t);
    }
  }
  const double x0 = ax + t0 * dx, y0 = ay + t0 * dy;
  bx = ax + t1 * dx;
  by = ay + t1 * dy;
  ax = x0;
  ay = y0;
  return true;
}

AxisTickMarks YTicks(const PlotMapping& m) {
  return m.logarithmicY ? LogarithmicTicks(m.range.yMin, m.range.yMax) : LinearTicks(m.range.yMin, m.range.yMax);
}

void DrawSeries(Canvas& canvas, const PlotSeries& s, const PlotMapping& m, Rect clip) {
  canvas.SetPen(s.pen);
  if (s.marks == PlotMarks::Line) {
    for (const std::vector<Point>& piece : ClippedPolylines(s, m, clip)) canvas.Polyline(piece);
    return;
  }
  for (std::size_t i = 0; i < s.Size(); ++i) {
    const double x = m.PixelX(s.X(i)), y = m.PixelY(s.y[i]);
    if (!Inside(clip, x, y)) continue;
    const Point p = ToPixel(x, y);
    canvas.Fill({p.x - 1, p.y - 1, p.x + 2, p.y + 2}, s.pen.color);
  }
}

void DrawAxes(Canvas& canvas, const PlotGeometry& g) {
  const Rect& box = g.area.box;
  const PlotMapping& m = g.mapping;
  auto scaled = [&g](double n) { return static_cast<int>(n * g.area.unit); };
  canvas.SetPen(Pen{});
  const AxisTickMarks xs = LinearTicks(m.range.xMin, m.range.xMax);
  for (double v : xs.minor) {
    const double x = m.PixelX(v);
    if (x >= box.left && x <= box.right)
      canvas.Line({ToPixel(x, 0).x, box.bottom}, {ToPixel(x, 0).x, box.bottom + scaled(5)});
  }
  for (std::size_t i = 0; i < xs.major.size(); ++i) {
    const double px = m.PixelX(xs.major[i]);
    if (!(px >= box.left && px <= box.right)) continue;
    const int x = ToPixel(px, 0).x;
    canvas.Line({x, box.bottom}, {x, box.bottom + scaled(8)});
    canvas.Text({x - canvas.TextExtent(xs.labels[i]).width / 2, box.bottom + scaled(8)}, xs.labels[i]);
  }
  const AxisTickMarks ys = YTicks(m);
  auto tick = [&](double v, int length) -> std::optional<int> {
    const double py = m.PixelY(v);
    if (!(py >= box.top && py <= box.bottom)) return std::nullopt;
    const int y = ToPixel(0, py).y;
    canvas.Line({box.left, y}, {box.left - length, y});
    canvas.Line({box.right, y}, {box.right + length, y});
    return y;
  };
  for (double v : ys.minor) tick(v, scaled(4));
  for (std::size_t i = 0; i < ys.major.size(); ++i) {
    const std::optional<int> y = tick(ys.major[i], scaled(7));
    if (!y) continue;
    const TextSize size = canvas.TextExtent(ys.labels[i]);
    canvas.Text({box.left - scaled(7) - 2 - size.width, *y - size.height / 2}, ys.labels[i]);
  }
}

std::vector<const PlotSeries*> Named(const PlotContent& content) {
  std::vector<const PlotSeries*> named;
  for (const PlotSeries& s : content.series)
    if (!s.name.empty() && s.Size() > 0) named.push_back(&s);
  return named;
}

}  // namespace

bool HasPoints(const PlotContent& content) {
  return std::any_of(content.series.begin(), content.series.end(), [](const PlotSeries& s) { return s.Size() > 0; });
}

std::optional<std::size_t> NearestPoint(const PlotSeries& s, double x) {
  const std::size_t n = s.Size();
  if (n == 0 || !std::isfinite(x)) return std::nullopt;
  if (s.x.empty() && s.xStep != 0) {
    const double k = std::round((x - s.xStart) / s.xStep);
    const std::size_t i = k <= 0 ? 0 : std::min(static_cast<std::size_t>(k), n - 1);
    if (std::isfinite(s.y[i])) return i;
  }
  std::optional<std::size_t> best;
  double distance = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (!std::isfinite(s.y[i])) continue;
    const double d = std::fabs(s.X(i) - x);
    if (!best || d < distance) {
      best = i;
      distance = d;
    }
  }
  return best;
}

std::vector<std::vector<Point>> ClippedPolylines(const PlotSeries& s, const PlotMapping& m, Rect clip) {
  std::vector<std::vector<Point>> pieces;
  std::vector<Point> current;
  auto finish = [&] {
    if (current.size() >= 2) pieces.push_back(std::move(current));
    current.clear();
  };
  bool havePrevious = false;
  double previousX = 0, previousY = 0;
  for (std::size_t i = 0; i < s.Size(); ++i) {
    const double x = m.PixelX(s.X(i)), y = m.PixelY(s.y[i]);
    if (!std::isfinite(x) || !std::isfinite(y)) {
      finish();
      havePrevious = false;
      continue;
    }
    if (havePrevious) {
      double ax = previousX, ay = previousY, bx = x, by = y;
      if (ClipSegment(ax, ay, bx, by, clip)) {
        const Point a = ToPixel(ax, ay);
        // A segment that re-enters the box starts a new piece.
        if (current.empty() || !(current.back() == a)) {
          finish();
          current.push_back(a);
        }
        current.push_back(ToPixel(bx, by));
      } else {
        finish();
      }
    }
    previousX = x;
    previousY = y;
    havePrevious = true;
  }
  finish();
  return pieces;
}

void DrawOwnView(Canvas& canvas, const PlotContent& content, const PlotGeometry& g, bool grid) {
  canvas.Fill(g.frame, kWhite);
  if (grid) DrawGrid(canvas, g, {}, {});
  const Rect& box = g.area.box;
  for (const PlotSeries& s : content.series) DrawSeries(canvas, s, g.mapping, box);
  for (const PlotLabel& label : content.labels) {
    const double x = g.mapping.PixelX(label.x), y = g.mapping.PixelY(label.y);
    if (!Inside(box, x, y)) continue;
    canvas.SetPen(label.pen);
    DrawPointLabel(canvas, ToPixel(x, y), label.text, box);
  }
  canvas.SetPen(g.area.boxPen);
  canvas.Outline(box);
  DrawAxes(canvas, g);
}

void DrawGrid(Canvas& canvas, const PlotGeometry& g, const std::vector<double>& xs, const std::vector<double>& ys) {
  const Rect& box = g.area.box;
  const PlotMapping& m = g.mapping;
  const std::vector<double> xValues = xs.empty() ? LinearTicks(m.range.xMin, m.range.xMax).major : xs;
  const std::vector<double> yValues = ys.empty() ? YTicks(m).major : ys;
  canvas.SetPen({kGridColor, 1});
  // Dots two pixels long every five.
  for (double v : xValues) {
    const double px = m.PixelX(v);
    if (!(px > box.left && px < box.right)) continue;
    const int x = ToPixel(px, 0).x;
    for (int y = box.top + 1; y + 1 < box.bottom; y += 5) canvas.Line({x, y}, {x, std::min(y + 2, box.bottom - 1)});
  }
  for (double v : yValues) {
    const double py = m.PixelY(v);
    if (!(py > box.top && py < box.bottom)) continue;
    const int y = ToPixel(0, py).y;
    for (int x = box.left + 1; x + 1 < box.right; x += 5) canvas.Line({x, y}, {std::min(x + 2, box.right - 1), y});
  }
}

void DrawTitles(Canvas& canvas, const PlotContent& content, const PlotGeometry& g, bool programView) {
  canvas.SetPen(Pen{});
  const Rect& box = g.area.box;
  const std::string xTitle = content.x.Title();
  if (!xTitle.empty()) {
    const TextSize size = canvas.TextExtent(xTitle);
    canvas.Text({(box.left + box.right) / 2 - size.width / 2, g.picture.bottom - g.lineHeight - 2}, xTitle);
  }
  const std::string yTitle =
      programView && !content.yTitleFullView.empty() ? content.yTitleFullView : content.y.Title();
  if (!yTitle.empty()) {
    const TextSize size = canvas.TextExtent(yTitle);
    const int top = std::max(g.frame.top, (box.top + box.bottom) / 2 - size.width / 2);
    canvas.VerticalText({g.picture.left + 2, top}, yTitle);
  }
}

void DrawLegend(Canvas& canvas, const PlotContent& content, const PlotGeometry& g) {
  const std::vector<const PlotSeries*> named = Named(content);
  if (named.empty()) return;
  constexpr int kSample = 22, kSampleGap = 5, kEntryGap = 16;
  int width = 0;
  for (const PlotSeries* s : named) width += kSample + kSampleGap + canvas.TextExtent(s->name).width + kEntryGap;
  width -= kEntryGap;
  int x = std::max(g.frame.left, g.picture.right - 8 - width);
  const int top = g.picture.top + (g.caption ? g.lineHeight + 4 : 0) + 2;
  const int middle = top + g.lineHeight / 2;
  for (const PlotSeries* s : named) {
    canvas.SetPen(s->pen);
    if (s->marks == PlotMarks::Line) {
      canvas.Line({x, middle}, {x + kSample, middle});
    } else {
      canvas.Fill({x + kSample / 2 - 1, middle - 1, x + kSample / 2 + 2, middle + 2}, s->pen.color);
    }
    canvas.SetPen(Pen{});
    canvas.Text({x + kSample + kSampleGap, top}, s->name);
    x += kSample + kSampleGap + canvas.TextExtent(s->name).width + kEntryGap;
  }
}

void DrawCaption(Canvas& canvas, const PlotContent& content, const PlotGeometry& g) {
  if (content.caption.empty()) return;
  canvas.SetPen(Pen{});
  canvas.Text({g.picture.left + 4, g.picture.top + 2}, content.caption);
}

void DrawReadoutMarkers(Canvas& canvas, const PlotContent& content, const PlotGeometry& g, Point pointer) {
  const Rect& box = g.area.box;
  if (!Inside(box, pointer.x, pointer.y)) return;
  const double x = g.mapping.DataX(pointer.x);
  for (const PlotSeries* s : Named(content)) {
    const std::optional<std::size_t> i = NearestPoint(*s, x);
    if (!i) continue;
    const double px = g.mapping.PixelX(s->X(*i)), py = g.mapping.PixelY(s->y[*i]);
    if (!Inside(box, px, py)) continue;
    const Point p = ToPixel(px, py);
    canvas.SetPen({s->pen.color, 1});
    canvas.Outline({p.x - 3, p.y - 3, p.x + 4, p.y + 4});
  }
}

}  // namespace velto::programs
