#include "gui/PlotWidget.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>
#include <optional>

#include "gui/InputWidgets.h"
#include "gui/QPainterCanvas.h"
#include "gui/QtUserInterface.h"
#include "programs/plot/Plot.h"

namespace velto::gui {

namespace {

programs::Point ToPoint(const QPointF& p) { return {p.toPoint().x(), p.toPoint().y()}; }
programs::Rect ToRect(const QRect& r) { return {r.left(), r.top(), r.right() + 1, r.bottom() + 1}; }

// One notch of a mouse wheel zooms by this factor.
constexpr double kWheelZoom = 1.25;

QImage Rendered(const QFont& font, int width, int height, const std::function<void(programs::Canvas&)>& draw) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setFont(font);
  QPainterCanvas canvas(painter);
  draw(canvas);
  return image;
}

}  // namespace

// The picture itself: paints the plot, and turns the mouse into zoom, pan,
// full view and read-out.
class PlotCanvas final : public CStaticFig {
 public:
  explicit PlotCanvas(PlotWidget& owner) : CStaticFig(&owner), owner_(owner) {
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setPainter([this](QPainter& painter, const QRect& r) { Paint(painter, r); });
  }

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    const programs::Point p = ToPoint(event->position());
    const bool pan = event->button() == Qt::MiddleButton ||
                     (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier));
    if (pan) {
      panFrom_ = p;
      setCursor(Qt::ClosedHandCursor);
    } else if (event->button() == Qt::LeftButton) {
      dragFrom_ = dragTo_ = p;
      Pointed(p);
    }
  }

  void mouseMoveEvent(QMouseEvent* event) override {
    const programs::Point p = ToPoint(event->position());
    if (panFrom_ && Plot()) {
      Plot()->Pan(*panFrom_, p);
      panFrom_ = p;
      owner_.ViewChanged();
    } else if (dragFrom_ && (event->buttons() & Qt::LeftButton)) {
      dragTo_ = p;
      Pointed(p);
    }
    Hover(p);
  }

  void mouseReleaseEvent(QMouseEvent* event) override {
    if (panFrom_ && (event->button() == Qt::MiddleButton || event->button() == Qt::LeftButton)) {
      panFrom_.reset();
      setCursor(Qt::CrossCursor);
      return;
    }
    if (dragFrom_ && event->button() == Qt::LeftButton) {
      const programs::Point from = *dragFrom_;
      dragFrom_.reset();
      if (Plot()) Plot()->ZoomToRectangle(from, ToPoint(event->position()));
      owner_.ViewChanged();
    }
  }

  void mouseDoubleClickEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return;
    dragFrom_.reset();
    owner_.fullView();
  }

  void wheelEvent(QWheelEvent* event) override {
    const int notches = event->angleDelta().y();
    if (notches == 0 || !Plot()) return;
    Plot()->ZoomAbout(ToPoint(event->position()), std::pow(kWheelZoom, notches / 120.0));
    owner_.ViewChanged();
    Hover(ToPoint(event->position()));
    event->accept();
  }

  void leaveEvent(QEvent*) override {
    if (Plot()) Plot()->SetHover(std::nullopt);
    owner_.ShowReadout({});
    update();
  }

  void contextMenuEvent(QContextMenuEvent* event) override {
    QMenu menu(this);
    menu.addAction(QStringLiteral("Full View"), &owner_, &PlotWidget::fullView);
    menu.addSeparator();
    menu.addAction(QStringLiteral("Save Picture..."), &owner_, &PlotWidget::savePicture);
    menu.addAction(QStringLiteral("Copy Picture"), &owner_, &PlotWidget::copyPicture);
    menu.addAction(QStringLiteral("Copy Shown Curves as Text"), &owner_, &PlotWidget::copyShownCurves);
    menu.exec(event->globalPos());
  }

  void resizeEvent(QResizeEvent* event) override {
    CStaticFig::resizeEvent(event);
    Measure();
  }

 private:
  programs::Plot* Plot() const { return owner_.plot_; }

  void Measure() {
    if (Plot()) Plot()->SetScreen(ToRect(rect()), fontMetrics().height());
  }

  void Paint(QPainter& painter, const QRect& r) {
    if (!Plot()) return;
    Measure();
    QPainterCanvas canvas(painter);
    Plot()->Draw(canvas, ToRect(r), false);
    if (dragFrom_) {
      painter.setPen(QPen(Qt::darkGray, 1, Qt::DashLine));
      painter.setBrush(QColor(0, 0, 255, 24));
      painter.drawRect(QRect(QPoint(dragFrom_->x, dragFrom_->y), QPoint(dragTo_.x, dragTo_.y)).normalized());
    }
  }

  void Pointed(programs::Point p) {
    update();
    if (Plot()) emit owner_.pointed(Plot()->Geometry().frame, p);
  }

  void Hover(programs::Point p) {
    if (!Plot()) return;
    Plot()->SetHover(p);
    owner_.ShowReadout(ToQt(Plot()->Readout(p)));
    update();
  }

  PlotWidget& owner_;
  std::optional<programs::Point> dragFrom_, panFrom_;
  programs::Point dragTo_;
};

PlotWidget::PlotWidget(QWidget* parent) : QWidget(parent) {
  fullView_ = new QPushButton(QStringLiteral("Full View"), this);
  fullView_->setToolTip(QStringLiteral("Show the whole curve (or double-click the plot)"));
  logarithmic_ = new QCheckBox(QStringLiteral("Log scale"), this);
  logarithmic_->setToolTip(QStringLiteral("Logarithmic vertical scale"));
  grid_ = new QCheckBox(QStringLiteral("Grid"), this);
  keepZoom_ = new QCheckBox(QStringLiteral("Keep zoom"), this);
  keepZoom_->setToolTip(QStringLiteral("Keep the zoomed range for the next calculation"));
  saveCopy_ = new QToolButton(this);
  saveCopy_->setText(QStringLiteral("Save / Copy"));
  saveCopy_->setPopupMode(QToolButton::InstantPopup);
  saveCopy_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  auto* menu = new QMenu(saveCopy_);
  menu->addAction(QStringLiteral("Save Picture as PNG or SVG..."), this, &PlotWidget::savePicture);
  menu->addAction(QStringLiteral("Copy Picture"), this, &PlotWidget::copyPicture);
  menu->addAction(QStringLiteral("Copy Shown Curves as Text"), this, &PlotWidget::copyShownCurves);
  saveCopy_->setMenu(menu);

  auto* controls = new QHBoxLayout;
  controls->setContentsMargins(0, 0, 0, 0);
  controls->addWidget(fullView_);
  controls->addWidget(logarithmic_);
  controls->addWidget(grid_);
  controls->addWidget(keepZoom_);
  controls->addStretch(1);
  controls->addWidget(saveCopy_);

  canvas_ = new PlotCanvas(*this);
  readout_ = new QLabel(this);
  readout_->setTextFormat(Qt::PlainText);
  // A long read-out must not widen the window: it is cut at the plot's width.
  readout_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  readout_->setMinimumHeight(readout_->fontMetrics().height() + 4);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addLayout(controls);
  layout->addWidget(canvas_, 1);
  layout->addWidget(readout_);

  connect(fullView_, &QPushButton::clicked, this, &PlotWidget::fullView);
  connect(logarithmic_, &QCheckBox::toggled, this, [this](bool on) {
    if (!plot_) return;
    plot_->SetLogarithmicY(on);
    ViewChanged();
  });
  connect(grid_, &QCheckBox::toggled, this, [this](bool on) {
    if (!plot_) return;
    plot_->SetGrid(on);
    ViewChanged();
  });
  connect(keepZoom_, &QCheckBox::toggled, this, [this](bool on) {
    if (plot_) plot_->SetKeepZoom(on);
  });
  Refresh();
}

QWidget* PlotWidget::PictureArea() const { return canvas_; }

void PlotWidget::Attach(programs::Plot& plot, programs::UserInterface& ui) {
  plot_ = &plot;
  ui_ = &ui;
  plot_->SetScreen(ToRect(canvas_->rect()), canvas_->fontMetrics().height());
  Refresh();
}

void PlotWidget::Refresh() {
  const bool attached = plot_ != nullptr;
  fullView_->setEnabled(attached && plot_->Zoomed());
  logarithmic_->setEnabled(attached && plot_->Content().logarithmicYOffered);
  if (attached) {
    const QSignalBlocker logBlock(logarithmic_), gridBlock(grid_), keepBlock(keepZoom_);
    logarithmic_->setChecked(plot_->LogarithmicY());
    grid_->setChecked(plot_->Grid());
    keepZoom_->setChecked(plot_->KeepZoom());
  }
  saveCopy_->setEnabled(attached);
  canvas_->update();
}

void PlotWidget::ViewChanged() { Refresh(); }

void PlotWidget::ShowReadout(const QString& text) { readout_->setText(text); }

void PlotWidget::fullView() {
  if (!plot_) return;
  plot_->FullView();
  ViewChanged();
}

QImage PlotWidget::Picture() const {
  if (!plot_) return {};
  const int width = plot_->PictureWidth(), height = plot_->PictureHeight();
  return Rendered(canvas_->font(), width, height, [this, width, height](programs::Canvas& canvas) {
    plot_->Draw(canvas, {0, 0, width, height}, true);
  });
}

void PlotWidget::savePicture() {
  if (!plot_ || !ui_) return;
  const QFont font = canvas_->font();
  plot_->SavePicture(
      *ui_,
      [font](int width, int height, const std::function<void(programs::Canvas&)>& draw) -> std::optional<std::string> {
        const QImage image = Rendered(font, width, height, draw);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return std::nullopt;
        return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
      });
}

void PlotWidget::copyPicture() {
  if (!plot_ || !ui_) return;
  if (!plot_->HasCurves()) {
    ui_->ShowMessage(programs::Plot::kNothingShownMessage);
    return;
  }
  QApplication::clipboard()->setImage(Picture());
}

void PlotWidget::copyShownCurves() {
  if (plot_ && ui_) plot_->CopyShownCurves(*ui_);
}

}  // namespace velto::gui
