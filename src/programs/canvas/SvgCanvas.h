#pragma once
#include <string>

#include "programs/canvas/Canvas.h"

namespace velto::programs {

// A canvas that collects SVG elements; Document() gives the whole file.
// Text extents are estimated from the font size (a monospace advance), which
// is what the layout needs to place labels.
class SvgCanvas final : public Canvas {
 public:
  SvgCanvas(int width, int height, int fontSize = 12);

  void Fill(Rect rect, Color color) override;
  void SetPen(Pen pen) override { pen_ = pen; }
  void Line(Point from, Point to) override;
  void Polyline(const std::vector<Point>& points) override;
  void Outline(Rect rect) override;
  void Text(Point topLeft, std::string_view text) override;
  void VerticalText(Point topLeft, std::string_view text) override;
  TextSize TextExtent(std::string_view text) const override;

  std::string Document() const;

 private:
  std::string Stroke() const;

  int width_, height_, fontSize_;
  Pen pen_;
  std::string body_;
};

}  // namespace velto::programs
