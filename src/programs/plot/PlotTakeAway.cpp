// The read-out and what the person takes away from a plot: the shown curves
// as text, the picture as SVG or PNG.
#include <algorithm>
#include <cctype>
#include <cmath>

#include "core/OutputFile.h"
#include "programs/canvas/SvgCanvas.h"
#include "programs/line_file/LineFile.h"
#include "programs/plot/Plot.h"
#include "programs/plot/PlotDrawing.h"
#include "programs/plot/PlotTicks.h"
#include "shell/NumberText.h"

namespace velto::programs {
namespace {

using shell::FormatNumber;

std::string Quantity(const PlotAxis& axis, const std::string& value) {
  std::string text = axis.name.empty() ? value : axis.name + " = " + value;
  if (!axis.unit.empty()) text += " " + axis.unit;
  return text;
}

std::string Cell(double value) { return std::isfinite(value) ? FormatNumber(value, 8) : std::string(); }

// The x of a point of a scan, without the rounding residue that start + i·step
// leaves where the scan crosses zero.
std::string ScanCell(const PlotSeries& s, std::size_t i) {
  const double x = s.X(i);
  const double resolution = s.x.empty() ? std::fabs(s.xStep) : 0.0;
  return Cell(std::fabs(x) < resolution * 1e-9 ? 0.0 : x);
}

bool SameGrid(const PlotSeries& a, const PlotSeries& b) {
  return a.x.empty() && b.x.empty() && a.xStart == b.xStart && a.xStep == b.xStep && a.Size() == b.Size();
}

// The indices of a curve's points inside [low, high] (with a hair of slack
// for the last point of a scan, whose x carries rounding).
std::vector<std::size_t> PointsWithin(const PlotSeries& s, double low, double high) {
  const double slack = (high - low) * 1e-9;
  std::vector<std::size_t> inside;
  for (std::size_t i = 0; i < s.Size(); ++i) {
    const double x = s.X(i);
    if (x >= low - slack && x <= high + slack) inside.push_back(i);
  }
  return inside;
}

}  // namespace

std::string Plot::Readout(Point at) const {
  const PlotContent content = Content();
  const PlotGeometry g = GeometryOf(content, screen_, lineHeight_, false);
  const Rect& box = g.area.box;
  if (at.x < box.left || at.x > box.right || at.y < box.top || at.y > box.bottom) return {};
  const PlotMapping& m = g.mapping;
  const double x = m.DataX(at.x), y = m.DataY(at.y);
  // The pointer's position as finely as a pixel tells it.
  std::string text = Quantity(content.x, FormatResolved(x, m.DataX(at.x + 1) - x));
  text += "   " + Quantity(content.y, FormatResolved(y, m.DataY(at.y - 1) - y));
  if (content.describe) {
    const std::string more = content.describe(x, y);
    if (!more.empty()) text += "   " + more;
    return text;
  }
  for (const PlotSeries& s : content.series) {
    if (s.name.empty()) continue;
    const std::optional<std::size_t> i = NearestPoint(s, x);
    if (!i) continue;
    text += "   " + s.name + " = " + FormatNumber(s.y[*i], 6) + " at " + ScanCell(s, *i);
  }
  return text;
}

std::string Plot::ShownCurvesText() const {
  const PlotContent content = Content();
  std::vector<const PlotSeries*> shown;
  for (const PlotSeries& s : content.series)
    if (s.Size() > 0) shown.push_back(&s);
  if (shown.empty()) return {};
  const PlotRange view = ViewRange(content);
  auto name = [](const PlotSeries* s) { return s->name.empty() ? std::string("y") : s->name; };
  std::string text;
  const bool shared =
      std::all_of(shown.begin(), shown.end(), [&](const PlotSeries* s) { return SameGrid(*s, *shown[0]); });
  if (shared) {
    text = content.x.Title();
    for (const PlotSeries* s : shown) text += "\t" + name(s);
    text += "\n";
    for (std::size_t i : PointsWithin(*shown[0], view.xMin, view.xMax)) {
      text += ScanCell(*shown[0], i);
      for (const PlotSeries* s : shown) text += "\t" + Cell(s->y[i]);
      text += "\n";
    }
    return text;
  }
  // Curves on grids of their own: a pair of columns for each.
  std::vector<std::vector<std::size_t>> points;
  std::size_t rows = 0;
  for (const PlotSeries* s : shown) {
    points.push_back(PointsWithin(*s, view.xMin, view.xMax));
    rows = std::max(rows, points.back().size());
    text += (text.empty() ? "" : "\t") + content.x.Title() + "\t" + name(s);
  }
  text += "\n";
  for (std::size_t row = 0; row < rows; ++row) {
    for (std::size_t k = 0; k < shown.size(); ++k) {
      if (k > 0) text += "\t";
      if (row < points[k].size())
        text += ScanCell(*shown[k], points[k][row]) + "\t" + Cell(shown[k]->y[points[k][row]]);
      else
        text += "\t";
    }
    text += "\n";
  }
  return text;
}

void Plot::CopyShownCurves(UserInterface& ui) const {
  const std::string text = ShownCurvesText();
  if (text.empty()) {
    ui.ShowMessage(kNothingShownMessage);
    return;
  }
  ui.SetClipboardText(text);
}

std::string Plot::SvgPicture(int width, int height) const {
  SvgCanvas canvas(width, height);
  Draw(canvas, {0, 0, width, height}, true);
  return canvas.Document();
}

void Plot::SavePicture(UserInterface& ui, const PngEncoder& png) const {
  if (!HasCurves()) {
    ui.ShowMessage(kNothingShownMessage);
    return;
  }
  FileDialogRequest request;
  request.title = kSavePictureTitle;
  request.filter = kPictureFilter;
  request.defaultExtension = "png";
  std::optional<std::filesystem::path> path = ui.ChooseSaveFile(request);
  if (!path) return;
  std::string extension = path->extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const int width = PictureWidth(), height = PictureHeight();
  std::optional<std::string> bytes;
  if (extension == ".svg") {
    bytes = SvgPicture(width, height);
  } else {
    // Whatever else was typed becomes a PNG file, and says so by its name.
    if (extension != ".png") *path += ".png";
    if (png)
      bytes = png(width, height, [this, width, height](Canvas& canvas) { Draw(canvas, {0, 0, width, height}, true); });
  }
  if (!bytes || !core::WriteOutputFile(*path, *bytes).Ok()) {
    const Refusal failure = CannotCreateFile(*path);
    ui.ShowMessage(failure.message, failure.icon);
  }
}

}  // namespace velto::programs
