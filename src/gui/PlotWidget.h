#pragma once
#include <QWidget>

#include "programs/canvas/Canvas.h"

class QAction;
class QCheckBox;
class QImage;
class QLabel;
class QPushButton;
class QToolButton;

namespace velto::programs {
class Plot;
class UserInterface;
}  // namespace velto::programs

namespace velto::gui {

class PlotCanvas;

// The plot of a program window: the picture of a programs::Plot with its
// controls above it ("Full View", the logarithmic scale, the grid, keeping
// the zoom for the next calculation, and "Save / Copy" for the picture and
// the shown curves) and the read-out line below it. With the mouse: drag a
// rectangle to zoom, turn the wheel to zoom about the pointer, drag with the
// middle button (or with Shift) to pan, double-click for the full view.
//
//   plot_ = new PlotWidget(this);
//   plot_->Attach(model_.CurvePlot(), commandUi_);
//   connect(plot_, &PlotWidget::pointed, this, [this](programs::Rect frame, programs::Point p) {
//     model_.MouseInPlot(frame, p);   // the program's own read-out field
//   });
//   // after each command: plot_->Refresh();
class PlotWidget : public QWidget {
  Q_OBJECT
 public:
  explicit PlotWidget(QWidget* parent = nullptr);

  // The plot shown and the user interface through which its commands ask
  // for files and report failures. Both outlive the widget.
  void Attach(programs::Plot& plot, programs::UserInterface& ui);
  // Shows the plot's state again after its content changed.
  void Refresh();

  // The picture as saved and copied: the screen's size, with its caption.
  QImage Picture() const;

  QWidget* PictureArea() const;
  QPushButton* FullViewButton() const { return fullView_; }
  QCheckBox* LogarithmicCheck() const { return logarithmic_; }
  QCheckBox* GridCheck() const { return grid_; }
  QCheckBox* KeepZoomCheck() const { return keepZoom_; }
  QToolButton* SaveCopyButton() const { return saveCopy_; }
  QLabel* Readout() const { return readout_; }

 public slots:
  void fullView();
  void savePicture();
  void copyPicture();
  void copyShownCurves();

 signals:
  // A left press, or a move with the left button held, in the picture: the
  // frame of the program's drawing and the point, for its own read-out.
  void pointed(velto::programs::Rect frame, velto::programs::Point point);

 private:
  friend class PlotCanvas;
  void ViewChanged();
  void ShowReadout(const QString& text);

  programs::Plot* plot_ = nullptr;
  programs::UserInterface* ui_ = nullptr;
  PlotCanvas* canvas_ = nullptr;
  QPushButton* fullView_ = nullptr;
  QCheckBox* logarithmic_ = nullptr;
  QCheckBox* grid_ = nullptr;
  QCheckBox* keepZoom_ = nullptr;
  QToolButton* saveCopy_ = nullptr;
  QLabel* readout_ = nullptr;
};

}  // namespace velto::gui
