#include "gui/FormControls.h"

#include <QPainter>

#include "gui/QPainterCanvas.h"

namespace velto::gui {

CanvasPicture::CanvasPicture(Drawing draw, QSize size, QWidget* parent)
    : QWidget(parent), draw_(std::move(draw)), size_(size) {
  setMinimumSize(size);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void CanvasPicture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterCanvas canvas(painter);
  draw_(canvas, {0, 0, width(), height()});
}

}  // namespace velto::gui
