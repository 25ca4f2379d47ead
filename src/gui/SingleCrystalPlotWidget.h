#pragma once
#include <functional>

#include "gui/InputWidgets.h"
#include "programs/canvas/Canvas.h"

class QPainter;

namespace velto::gui {

// Draws a plot of the programs layer with a QPainter.
class QPainterCanvas final : public programs::Canvas {
 public:
  explicit QPainterCanvas(QPainter& painter) : painter_(painter) {}
  void Fill(programs::Rect rect, programs::Color color) override;
  void SetPen(programs::Pen pen) override;
  void Line(programs::Point from, programs::Point to) override;
  void Polyline(const std::vector<programs::Point>& points) override;
  void Outline(programs::Rect rect) override;
  void Text(programs::Point topLeft, std::string_view text) override;
  programs::TextSize TextExtent(std::string_view text) const override;

 private:
  QPainter& painter_;
};

// The curve area: left clicks and drags report their point, the context
// menu offers the picture and the data.
class SingleCrystalPlotWidget : public CStaticFig {
  Q_OBJECT
 public:
  explicit SingleCrystalPlotWidget(QWidget* parent = nullptr);

 signals:
  void pointed(programs::Point point);
  void savePictureRequested();
  void exportRequested();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
};

// The sketch of the diffraction geometry beside the controls.
class GeometryPicture : public QWidget {
  Q_OBJECT
 public:
  GeometryPicture(bool laue, QWidget* parent = nullptr);
  QSize sizeHint() const override { return {150, 90}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool laue_;
};

}  // namespace velto::gui
