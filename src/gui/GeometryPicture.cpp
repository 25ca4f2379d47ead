#include "gui/GeometryPicture.h"

#include <QPainter>
#include <QPolygonF>
#include <cmath>

namespace velto::gui {

GeometryPicture::GeometryPicture(bool laue, QWidget* parent) : QWidget(parent), laue_(laue) {
  setMinimumSize(150, 90);
}

void GeometryPicture::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), palette().window());
  const double w = width(), h = height();
  const QColor crystal(190, 215, 240);
  const QPen beam(QColor(200, 0, 0), 2);
  auto arrow = [&p](QPointF from, QPointF to) {
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
    const QPointF n(-d.y(), d.x());
    QPolygonF head;
    head << to << to - 8 * d + 4 * n << to - 8 * d - 4 * n;
    p.setBrush(p.pen().color());
    p.drawPolygon(head);
    p.setBrush(Qt::NoBrush);
  };
  if (!laue_) {
    // A thick crystal below its surface; the beam is reflected on the
    // entrance side.
    const double surface = h * 0.55;
    p.fillRect(QRectF(w * 0.05, surface, w * 0.9, h * 0.4), crystal);
    p.setPen(QPen(QColor(120, 150, 190), 1, Qt::DashLine));
    for (int i = 1; i <= 3; ++i) p.drawLine(QPointF(w * 0.08, surface + i * h * 0.09), QPointF(w * 0.92, surface + i * h * 0.09));
    p.setPen(beam);
    const QPointF spot(w * 0.5, surface);
    arrow(QPointF(w * 0.12, h * 0.08), spot);
    arrow(spot, QPointF(w * 0.88, h * 0.08));
    p.setPen(Qt::black);
    p.drawText(QRectF(0, surface + h * 0.05, w * 0.3, h * 0.3), Qt::AlignCenter, QStringLiteral("Bragg"));
  } else {
    // A plate: the beam enters one face and both beams leave the other.
    const double top = h * 0.35, bottom = h * 0.62;
    p.fillRect(QRectF(w * 0.05, top, w * 0.9, bottom - top), crystal);
    p.setPen(QPen(QColor(120, 150, 190), 1, Qt::DashLine));
    for (int i = 1; i <= 5; ++i) p.drawLine(QPointF(w * (0.1 + 0.15 * i), top), QPointF(w * (0.1 + 0.15 * i), bottom));
    p.setPen(beam);
    const QPointF entry(w * 0.35, top);
    arrow(QPointF(w * 0.2, h * 0.02), entry);
    p.drawLine(entry, QPointF(w * 0.5, bottom));
    arrow(QPointF(w * 0.5, bottom), QPointF(w * 0.38, h * 0.95));  // diffracted
    p.setPen(QPen(QColor(0, 0, 200), 2));
    arrow(QPointF(w * 0.5, bottom), QPointF(w * 0.62, h * 0.95));  // transmitted
    p.setPen(Qt::black);
    p.drawText(QRectF(w * 0.65, 0, w * 0.35, h * 0.3), Qt::AlignCenter, QStringLiteral("Laue"));
  }
}

}  // namespace velto::gui
