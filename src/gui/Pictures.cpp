#include "gui/Pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace velto::gui {

namespace {

const QColor kCurveRed(200, 30, 30);
const QColor kBeamBlue(30, 70, 190);
const QColor kCrystalGrey(110, 120, 135);

// A Darwin-like reflectivity curve across `rect`: flat top, steep flanks.
QPainterPath RockingCurve(const QRectF& rect, double width) {
  QPainterPath path;
  const int steps = 40;
  for (int i = 0; i <= steps; ++i) {
    const double x = -1.0 + 2.0 * i / steps;
    const double y = std::abs(x) <= width ? 1.0 : std::pow(width / std::abs(x), 4.0);
    const QPointF point(rect.left() + (x + 1) / 2 * rect.width(), rect.bottom() - y * rect.height());
    if (i == 0) {
      path.moveTo(point);
    } else {
      path.lineTo(point);
    }
  }
  return path;
}

QPixmap Blank(int width, int height) {
  QPixmap pixmap(width, height);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

void DrawSlab(QPainter& painter, const QRectF& rect) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(kCrystalGrey);
  painter.drawRect(rect);
}

}  // namespace

QPixmap BackgroundTile() {
  QPixmap tile(80, 166);
  tile.fill(Qt::white);
  QPainter painter(&tile);
  painter.setRenderHint(QPainter::Antialiasing);
  // A quartz-like prism with pointed ends, standing upright.
  const QPolygonF outline{{40, 14}, {62, 40}, {62, 126}, {40, 152}, {18, 126}, {18, 40}};
  painter.setPen(QPen(QColor(226, 226, 226), 1.2));
  painter.setBrush(QColor(241, 241, 241));
  painter.drawPolygon(outline);
  // The faces meeting along the front edge.
  painter.setPen(QPen(QColor(230, 230, 230), 1.0));
  painter.drawLine(QPointF(40, 14), QPointF(40, 152));
  painter.drawLine(QPointF(18, 40), QPointF(40, 52));
  painter.drawLine(QPointF(62, 40), QPointF(40, 52));
  painter.drawLine(QPointF(18, 126), QPointF(40, 114));
  painter.drawLine(QPointF(62, 126), QPointF(40, 114));
  return tile;
}

QIcon ApplicationIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64}) {
    QPixmap pixmap = Blank(size, size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = size / 32.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(70, 110, 170));
    painter.drawRoundedRect(QRectF(1 * s, 1 * s, 30 * s, 30 * s), 5 * s, 5 * s);
    painter.setPen(QPen(Qt::white, 2.2 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(RockingCurve(QRectF(4 * s, 7 * s, 24 * s, 18 * s), 0.25));
    icon.addPixmap(pixmap);
  }
  return icon;
}

QIcon ToolbarIcon(ToolbarPicture picture) {
  QPixmap pixmap = Blank(16, 15);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPen curve(kCurveRed, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  const QPen beam(kBeamBlue, 1.3, Qt::SolidLine, Qt::RoundCap);
  switch (picture) {
    case ToolbarPicture::SingleCrystal:
      DrawSlab(painter, QRectF(1, 12, 14, 2.5));
      painter.setPen(curve);
      painter.drawPath(RockingCurve(QRectF(1, 1.5, 14, 9), 0.3));
      break;
    case ToolbarPicture::LaueCase:
      DrawSlab(painter, QRectF(6.5, 0.5, 3, 14));
      painter.setPen(beam);
      painter.drawLine(QPointF(0.5, 7.5), QPointF(7, 7.5));
      painter.drawLine(QPointF(9, 7.5), QPointF(15.5, 3));
      painter.drawLine(QPointF(9, 7.5), QPointF(15.5, 12));
      break;
    case ToolbarPicture::ConvolutedRockingCurve:
      painter.setPen(QPen(kBeamBlue, 1.2));
      painter.drawPath(RockingCurve(QRectF(0.5, 3, 10, 10), 0.25));
      painter.setPen(curve);
      painter.drawPath(RockingCurve(QRectF(5.5, 2, 10, 11), 0.3));
      break;
    case ToolbarPicture::MultiCrystalMonochromator:
      DrawSlab(painter, QRectF(1, 11.5, 6, 2.5));
      DrawSlab(painter, QRectF(9, 1, 6, 2.5));
      painter.setPen(beam);
      painter.drawPolyline(QPolygonF{{0.5, 5}, {4, 11}, {11, 4}, {15.5, 10}});
      break;
    case ToolbarPicture::MultipleBeam:
      painter.setPen(beam);
      for (int i = 0; i < 6; ++i) {
        const double angle = i * M_PI / 3 + 0.3;
        painter.drawLine(QPointF(8, 7.5), QPointF(8 + 7 * std::cos(angle), 7.5 + 7 * std::sin(angle)));
      }
      painter.setPen(Qt::NoPen);
      painter.setBrush(kCurveRed);
      painter.drawEllipse(QPointF(8, 7.5), 2.2, 2.2);
      break;
    case ToolbarPicture::MbdLineMap:
      painter.setPen(QPen(QColor(170, 170, 170), 0.8));
      painter.drawRect(QRectF(0.5, 0.5, 15, 14));
      painter.setPen(curve);
      painter.drawArc(QRectF(-6, 2, 20, 22), 0, 90 * 16);
      painter.setPen(beam);
      painter.drawArc(QRectF(3, -8, 20, 20), 180 * 16, 90 * 16);
      break;
    case ToolbarPicture::BrennanStructureFactors: {
      QFont font = painter.font();
      font.setPixelSize(13);
      font.setBold(true);
      font.setItalic(true);
      painter.setFont(font);
      painter.setPen(kBeamBlue);
      painter.drawText(QRectF(0, 0, 11, 15), Qt::AlignCenter, QStringLiteral("F"));
      painter.setPen(kCurveRed);
      font.setPixelSize(8);
      painter.setFont(font);
      painter.drawText(QRectF(9, 6, 7, 9), Qt::AlignCenter, QStringLiteral("h"));
      break;
    }
    case ToolbarPicture::Export:
      painter.setPen(QPen(kCrystalGrey, 1.0));
      painter.setBrush(Qt::white);
      painter.drawRect(QRectF(1.5, 0.5, 9, 13));
      painter.setPen(QPen(kCrystalGrey, 0.8));
      for (double y : {3.5, 6.0, 8.5}) painter.drawLine(QPointF(3.5, y), QPointF(8.5, y));
      painter.setPen(QPen(QColor(30, 140, 60), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      painter.drawLine(QPointF(8, 10.5), QPointF(15, 10.5));
      painter.drawPolyline(QPolygonF{{12.5, 8}, {15, 10.5}, {12.5, 13}});
      break;
    case ToolbarPicture::About: {
      painter.setPen(Qt::NoPen);
      painter.setBrush(kBeamBlue);
      painter.drawEllipse(QRectF(1, 0.5, 14, 14));
      QFont font = painter.font();
      font.setPixelSize(11);
      font.setBold(true);
      painter.setFont(font);
      painter.setPen(Qt::white);
      painter.drawText(QRectF(1, 0.5, 14, 14), Qt::AlignCenter, QStringLiteral("?"));
      break;
    }
  }
  return QIcon(pixmap);
}

}  // namespace velto::gui
