#pragma once
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "programs/canvas/Canvas.h"
#include "programs/curve_export/CurveExport.h"
#include "programs/plot/PlotContent.h"
#include "programs/ui/UserInterface.h"

// The plot of a program window without its widget: what is shown (the full
// view of the program's drawing rules, or a zoomed or logarithmic view drawn
// here), how the person explores it, what the read-out says and how the
// picture and the shown curves are taken away. The widget (gui/PlotWidget)
// only turns mouse and button events into these calls and paints Draw().
//
// The picture is laid out in bands around the program's frame: a top line
// for the legend (and, in saved pictures, a caption line above it), the
// y title on the left, the x title below. The frame inside is what the
// program's own drawing receives, so its rules hold unchanged in the full
// view.
//
//   Plot plot([&form] { return form.PlotContentNow(); });
//   plot.SetScreen({0, 0, 640, 400}, 15);
//   plot.ZoomToRectangle({200, 100}, {320, 250});   // dragged by the person
//   std::string text = plot.Readout({260, 180});    // "Δθ = 3.1 arcsec …"
//   plot.FullView();                                 // the program's own view again
namespace velto::programs {

struct PlotGeometry {
  Rect picture;  // the whole picture
  Rect frame;    // what the program's drawing receives
  int lineHeight = 0;
  bool caption = false;
  PlotArea area;
  PlotMapping mapping;  // of the view shown
};

// Turns a picture into the bytes of a PNG file: the GUI paints `draw` on an
// image of the given size. None when it cannot.
using PngEncoder =
    std::function<std::optional<std::string>(int width, int height, const std::function<void(Canvas&)>& draw)>;

class Plot {
 public:
  static constexpr const char* kSavePictureTitle = "Save Picture";
  static constexpr const char* kPictureFilter = "PNG Image (*.png)|*.png|SVG Drawing (*.svg)|*.svg||";
  // Saving or copying before there is a curve; the suite's export message.
  static constexpr const char* kNothingShownMessage = kNoDataToExportMessage;

  explicit Plot(std::function<PlotContent()> source) : source_(std::move(source)) {}
  // The source usually refers to the window that owns the plot.
  Plot(const Plot&) = delete;
  Plot& operator=(const Plot&) = delete;

  PlotContent Content() const { return source_(); }
  // Whether a curve has points: before that there is nothing to explore or take away.
  bool HasCurves() const;

  // --- the picture on screen ---
  // The widget's area and the height of a line of its font.
  void SetScreen(Rect picture, int lineHeight);
  PlotGeometry Geometry() const { return GeometryOf(Content(), screen_, lineHeight_, false); }
  PlotGeometry GeometryOf(const PlotContent& content, Rect picture, int lineHeight, bool caption) const;
  // The mapping of the view shown when the program's drawing gets `frame`.
  PlotMapping MappingFor(Rect frame) const;
  // Draws the whole picture; the read-out markers appear on screen only.
  void Draw(Canvas& canvas, Rect picture, bool caption) const;

  // --- exploring ---
  // The full view is the program's own: full ranges, linear scale.
  bool FullViewShown() const { return !x_ && !y_ && !logarithmicY_; }
  bool Zoomed() const { return x_ || y_; }
  void FullView();
  // A new calculation: the full view, unless the person keeps the zoom.
  void NewData();
  bool KeepZoom() const { return keepZoom_; }
  void SetKeepZoom(bool keep) { keepZoom_ = keep; }
  bool Grid() const { return grid_; }
  void SetGrid(bool grid) { grid_ = grid; }
  bool LogarithmicY() const { return logarithmicY_; }
  // Switching the scale shows the full y range of the new scale and keeps
  // the x zoom; ignored where the content offers no logarithmic scale.
  void SetLogarithmicY(bool logarithmic);
  // Zooms into the rectangle dragged between two points of the screen. A
  // drag narrower than a few pixels in one direction zooms the other
  // direction alone; false for a click.
  bool ZoomToRectangle(Point from, Point to);
  // Zooms by `factor` (> 1 in, < 1 out) keeping the data under `at` there.
  void ZoomAbout(Point at, double factor);
  // Moves the view with the mouse from one point to another.
  void Pan(Point from, Point to);
  // The range shown (clamped to the content's full range).
  PlotRange ViewRange(const PlotContent& content) const;

  // --- read-out ---
  // The position under `at` in the axes' units and each curve's value at
  // its point nearest in x; empty outside the box.
  std::string Readout(Point at) const;
  // Where the read-out markers are drawn; none hides them.
  void SetHover(std::optional<Point> at) { hover_ = at; }

  // --- taking away ---
  // The shown curves (points inside the x range shown) as tab-separated
  // text with a title line.
  std::string ShownCurvesText() const;
  void CopyShownCurves(UserInterface& ui) const;
  std::string SvgPicture(int width, int height) const;
  // Asks for a file and writes the picture with its caption as PNG or SVG,
  // by the file's extension.
  void SavePicture(UserInterface& ui, const PngEncoder& png) const;
  // The size of saved pictures: that of the screen.
  int PictureWidth() const;
  int PictureHeight() const;

 private:
  using Interval = std::pair<double, double>;
  PlotRange FullRange(const PlotContent& content) const;
  bool ZoomableX(const PlotRange& full) const { return full.xMax > full.xMin; }

  std::function<PlotContent()> source_;
  Rect screen_{0, 0, 640, 400};
  int lineHeight_ = 15;
  std::optional<Interval> x_, y_;  // zoomed ranges; none: full
  bool logarithmicY_ = false;
  bool keepZoom_ = false;
  bool grid_ = false;
  std::optional<Point> hover_;
};

}  // namespace velto::programs
