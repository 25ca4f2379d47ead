#include "programs/plot/Plot.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

#include "programs/plot/PlotDrawing.h"

namespace velto::programs {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// A drag shorter than this (pixels) in one direction does not zoom it.
constexpr int kMinimumDrag = 4;
// Zooming stops where a pixel would be a billionth of the full range: the
// numbers of the axis and the read-out must still tell pixels apart.
constexpr double kDeepestZoom = 1e-9;

double Scaled(double value, bool logarithmic) { return logarithmic ? std::log10(value) : value; }
double Unscaled(double value, bool logarithmic) { return logarithmic ? std::pow(10.0, value) : value; }

// Keeps a view inside the full range by moving it; none when it covers the
// whole range (the view is then not zoomed) or has no width left.
std::optional<std::pair<double, double>> Confined(double low, double high, double fullLow, double fullHigh) {
  if (!(high > low) || !std::isfinite(low) || !std::isfinite(high)) return std::nullopt;
  const double span = high - low, fullSpan = fullHigh - fullLow;
  if (span >= fullSpan * (1 - 1e-12)) return std::nullopt;
  if (low < fullLow) {
    high += fullLow - low;
    low = fullLow;
  }
  if (high > fullHigh) {
    low -= high - fullHigh;
    high = fullHigh;
  }
  return std::make_pair(low, high);
}

// The y range of the logarithmic full view: from the decade below the
// smallest positive value (at most twelve decades down) to the decade above
// the largest.
std::pair<double, double> LogarithmicFullRange(const PlotContent& content) {
  double smallest = std::numeric_limits<double>::infinity(), largest = 0;
  for (const PlotSeries& s : content.series) {
    for (double v : s.y) {
      if (v > 0 && std::isfinite(v)) {
        smallest = std::min(smallest, v);
        largest = std::max(largest, v);
      }
    }
  }
  if (!(largest > 0)) return {1e-6, 1};
  const double top = std::pow(10.0, std::ceil(std::log10(largest) - 1e-9));
  double bottom = std::max(std::pow(10.0, std::floor(std::log10(smallest) + 1e-9)), top * 1e-12);
  if (!(bottom < top)) bottom = top / 10;
  return {bottom, top};
}

// The range of the data, for content without a full view of its own.
PlotRange DataRange(const PlotContent& content) {
  PlotRange r{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(), 0, 0};
  for (const PlotSeries& s : content.series) {
    for (std::size_t i = 0; i < s.Size(); ++i) {
      const double x = s.X(i), y = s.y[i];
      if (!std::isfinite(x) || !std::isfinite(y)) continue;
      r.xMin = std::min(r.xMin, x);
      r.xMax = std::max(r.xMax, x);
      r.yMin = std::min(r.yMin, y);
      r.yMax = std::max(r.yMax, y);
    }
  }
  if (!(r.xMax >= r.xMin)) r.xMin = 0, r.xMax = 1;
  if (!(r.yMax > r.yMin)) r.yMax = r.yMin + 1;
  return r;
}

// The area of content that brings no layout: room for labels left of and
// below the box, in units of the frame's height as the program plots have.
PlotArea OwnArea(Rect frame, int lineHeight) {
  PlotArea a;
  a.unit = frame.Height() / 336.0;
  a.box = {frame.left + 3 * lineHeight, frame.top + 5, frame.right - 15, frame.bottom - lineHeight - 10};
  a.left = a.box.left + 2;
  a.width = a.box.Width() - 4;
  a.bottom = a.box.bottom - 4;
  a.height = a.box.Height() - 8;
  return a;
}

}  // namespace

double PlotMapping::PixelX(double x) const {
  const double span = range.xMax - range.xMin;
  return span > 0 ? left + (x - range.xMin) * width / span : left;
}

double PlotMapping::PixelY(double y) const {
  if (logarithmicY && !(y > 0)) return kNaN;
  const double low = Scaled(range.yMin, logarithmicY), span = Scaled(range.yMax, logarithmicY) - low;
  return span > 0 ? bottom - (Scaled(y, logarithmicY) - low) * height / span : bottom;
}

double PlotMapping::DataX(double px) const {
  return width > 0 ? range.xMin + (px - left) * (range.xMax - range.xMin) / width : range.xMin;
}

double PlotMapping::DataY(double py) const {
  const double low = Scaled(range.yMin, logarithmicY), span = Scaled(range.yMax, logarithmicY) - low;
  return height > 0 ? Unscaled(low + (bottom - py) * span / height, logarithmicY) : range.yMin;
}

bool Plot::HasCurves() const { return HasPoints(Content()); }

void Plot::SetScreen(Rect picture, int lineHeight) {
  screen_ = picture;
  lineHeight_ = std::max(lineHeight, 1);
}

PlotRange Plot::FullRange(const PlotContent& content) const {
  const bool own = content.full.range.xMax >= content.full.range.xMin &&
                   content.full.range.yMax > content.full.range.yMin && (content.full.layout || content.full.paint);
  PlotRange full = own ? content.full.range : DataRange(content);
  if (logarithmicY_) std::tie(full.yMin, full.yMax) = LogarithmicFullRange(content);
  return full;
}

PlotRange Plot::ViewRange(const PlotContent& content) const {
  PlotRange view = FullRange(content);
  if (x_) {
    if (auto x = Confined(x_->first, x_->second, view.xMin, view.xMax)) std::tie(view.xMin, view.xMax) = *x;
  }
  if (y_) {
    const bool log = logarithmicY_;
    if (auto y =
            Confined(Scaled(y_->first, log), Scaled(y_->second, log), Scaled(view.yMin, log), Scaled(view.yMax, log))) {
      view.yMin = Unscaled(y->first, log);
      view.yMax = Unscaled(y->second, log);
    }
  }
  return view;
}

PlotGeometry Plot::GeometryOf(const PlotContent& content, Rect picture, int lineHeight, bool caption) const {
  PlotGeometry g;
  g.picture = picture;
  g.lineHeight = lineHeight;
  g.caption = caption;
  const int line = lineHeight + 4;
  // The y title is turned; beside it there is room for the longer labels of
  // zoomed views, which the program's own margin was not made for.
  const int left = 2 * lineHeight + 4;
  g.frame = {picture.left + left, picture.top + (caption ? 2 : 1) * line, picture.right, picture.bottom - line};
  g.frame.right = std::max(g.frame.right, g.frame.left + 1);
  g.frame.bottom = std::max(g.frame.bottom, g.frame.top + 1);
  g.area = content.full.layout ? content.full.layout(g.frame) : OwnArea(g.frame, lineHeight);
  g.mapping = {g.area.left, g.area.bottom, g.area.width, g.area.height, ViewRange(content), logarithmicY_};
  return g;
}

PlotMapping Plot::MappingFor(Rect frame) const {
  const PlotContent content = Content();
  const PlotArea area = content.full.layout ? content.full.layout(frame) : OwnArea(frame, lineHeight_);
  return {area.left, area.bottom, area.width, area.height, ViewRange(content), logarithmicY_};
}

void Plot::Draw(Canvas& canvas, Rect picture, bool caption) const {
  const PlotContent content = Content();
  const PlotGeometry g = GeometryOf(content, picture, canvas.TextExtent("Ag").height, caption);
  canvas.Fill(picture, kWhite);
  const bool programView = FullViewShown() && content.full.paint;
  if (programView) {
    content.full.paint(canvas, g.frame);
    if (grid_) DrawGrid(canvas, g, g.area.xGrid, g.area.yGrid);
  } else {
    DrawOwnView(canvas, content, g, grid_);
  }
  DrawTitles(canvas, content, g, programView);
  if (!(programView && content.full.paintsLegend)) DrawLegend(canvas, content, g);
  if (caption) DrawCaption(canvas, content, g);
  if (hover_ && !caption) DrawReadoutMarkers(canvas, content, g, *hover_);
}

void Plot::FullView() {
  x_.reset();
  y_.reset();
}

void Plot::NewData() {
  if (!keepZoom_) FullView();
}

void Plot::SetLogarithmicY(bool logarithmic) {
  if (logarithmic && !Content().logarithmicYOffered) return;
  if (logarithmic == logarithmicY_) return;
  logarithmicY_ = logarithmic;
  y_.reset();
}

bool Plot::ZoomToRectangle(Point from, Point to) {
  const PlotContent content = Content();
  if (!HasPoints(content)) return false;
  const PlotGeometry g = GeometryOf(content, screen_, lineHeight_, false);
  const PlotRange full = FullRange(content), view = g.mapping.range;
  const bool zoomX = std::abs(from.x - to.x) >= kMinimumDrag && ZoomableX(full);
  const bool zoomY = std::abs(from.y - to.y) >= kMinimumDrag;
  if (!zoomX && !zoomY) return false;
  const bool log = logarithmicY_;
  if (zoomX) {
    const double a = std::max(g.mapping.DataX(std::min(from.x, to.x)), view.xMin);
    const double b = std::min(g.mapping.DataX(std::max(from.x, to.x)), view.xMax);
    if (b - a > (full.xMax - full.xMin) * kDeepestZoom) x_ = Confined(a, b, full.xMin, full.xMax);
  }
  if (zoomY) {
    const double a = std::max(g.mapping.DataY(std::max(from.y, to.y)), view.yMin);
    const double b = std::min(g.mapping.DataY(std::min(from.y, to.y)), view.yMax);
    if (Scaled(b, log) - Scaled(a, log) > (Scaled(full.yMax, log) - Scaled(full.yMin, log)) * kDeepestZoom) {
      y_ = Confined(a, b, full.yMin, full.yMax);
    }
  }
  return true;
}

void Plot::ZoomAbout(Point at, double factor) {
  if (!(factor > 0) || !std::isfinite(factor)) return;
  const PlotContent content = Content();
  if (!HasPoints(content)) return;
  const PlotGeometry g = GeometryOf(content, screen_, lineHeight_, false);
  const PlotRange full = FullRange(content), view = g.mapping.range;
  // The pointer's data stay where they are: each end moves towards it.
  auto zoom = [factor](double low, double high, double centre, double fullLow,
                       double fullHigh) -> std::optional<std::pair<double, double>> {
    const double newLow = centre - (centre - low) / factor, newHigh = centre + (high - centre) / factor;
    if (newHigh - newLow < (fullHigh - fullLow) * kDeepestZoom) return Confined(low, high, fullLow, fullHigh);
    return Confined(newLow, newHigh, fullLow, fullHigh);
  };
  if (ZoomableX(full)) x_ = zoom(view.xMin, view.xMax, g.mapping.DataX(at.x), full.xMin, full.xMax);
  const bool log = logarithmicY_;
  if (auto y = zoom(Scaled(view.yMin, log), Scaled(view.yMax, log), Scaled(g.mapping.DataY(at.y), log),
                    Scaled(full.yMin, log), Scaled(full.yMax, log))) {
    y_ = std::make_pair(Unscaled(y->first, log), Unscaled(y->second, log));
  } else {
    y_.reset();
  }
}

void Plot::Pan(Point from, Point to) {
  const PlotContent content = Content();
  if (!HasPoints(content)) return;
  const PlotGeometry g = GeometryOf(content, screen_, lineHeight_, false);
  const PlotRange full = FullRange(content), view = g.mapping.range;
  if (x_) {
    const double shift = g.mapping.DataX(from.x) - g.mapping.DataX(to.x);
    x_ = Confined(view.xMin + shift, view.xMax + shift, full.xMin, full.xMax);
  }
  if (y_) {
    const bool log = logarithmicY_;
    const double shift = Scaled(g.mapping.DataY(from.y), log) - Scaled(g.mapping.DataY(to.y), log);
    if (auto y = Confined(Scaled(view.yMin, log) + shift, Scaled(view.yMax, log) + shift, Scaled(full.yMin, log),
                          Scaled(full.yMax, log))) {
      y_ = std::make_pair(Unscaled(y->first, log), Unscaled(y->second, log));
    }
  }
}

int Plot::PictureWidth() const { return std::max(screen_.Width(), 200); }
int Plot::PictureHeight() const { return std::max(screen_.Height(), 150); }

}  // namespace velto::programs
