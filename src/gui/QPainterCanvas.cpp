#include "gui/QPainterCanvas.h"

#include <QPainter>
#include <QPolygon>

#include "gui/QtUserInterface.h"

namespace velto::gui {

namespace {
QColor ToColor(programs::Color c) { return QColor(c.red, c.green, c.blue); }
}  // namespace

void QPainterCanvas::Fill(programs::Rect r, programs::Color color) {
  painter_.fillRect(QRect(r.left, r.top, r.Width(), r.Height()), ToColor(color));
}

void QPainterCanvas::SetPen(programs::Pen pen) { painter_.setPen(QPen(ToColor(pen.color), pen.width)); }

void QPainterCanvas::Line(programs::Point from, programs::Point to) { painter_.drawLine(from.x, from.y, to.x, to.y); }

void QPainterCanvas::Polyline(const std::vector<programs::Point>& points) {
  QPolygon polygon;
  polygon.reserve(static_cast<qsizetype>(points.size()));
  for (const programs::Point& p : points) polygon << QPoint(p.x, p.y);
  painter_.drawPolyline(polygon);
}

void QPainterCanvas::Outline(programs::Rect r) { painter_.drawRect(r.left, r.top, r.Width(), r.Height()); }

void QPainterCanvas::Text(programs::Point topLeft, std::string_view text) {
  const QFontMetrics metrics = painter_.fontMetrics();
  painter_.drawText(topLeft.x, topLeft.y + metrics.ascent(), ToQt(text));
}

void QPainterCanvas::VerticalText(programs::Point topLeft, std::string_view text) {
  const QFontMetrics metrics = painter_.fontMetrics();
  const QString qtText = ToQt(text);
  // Turned about the start of its baseline, which runs upwards from the
  // bottom of the box with the letters to its left.
  painter_.save();
  painter_.translate(topLeft.x + metrics.ascent(), topLeft.y + metrics.horizontalAdvance(qtText));
  painter_.rotate(-90);
  painter_.drawText(0, 0, qtText);
  painter_.restore();
}

programs::TextSize QPainterCanvas::TextExtent(std::string_view text) const {
  const QFontMetrics metrics = painter_.fontMetrics();
  return {metrics.horizontalAdvance(ToQt(text)), metrics.height()};
}

}  // namespace velto::gui
