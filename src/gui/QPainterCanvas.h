#pragma once
#include "programs/canvas/Canvas.h"

class QPainter;

namespace velto::gui {

// Draws a plot of the programs layer with a QPainter, in the painter's font.
class QPainterCanvas final : public programs::Canvas {
 public:
  explicit QPainterCanvas(QPainter& painter) : painter_(painter) {}
  void Fill(programs::Rect rect, programs::Color color) override;
  void SetPen(programs::Pen pen) override;
  void Line(programs::Point from, programs::Point to) override;
  void Polyline(const std::vector<programs::Point>& points) override;
  void Outline(programs::Rect rect) override;
  void Text(programs::Point topLeft, std::string_view text) override;
  void VerticalText(programs::Point topLeft, std::string_view text) override;
  programs::TextSize TextExtent(std::string_view text) const override;

 private:
  QPainter& painter_;
};

}  // namespace velto::gui
