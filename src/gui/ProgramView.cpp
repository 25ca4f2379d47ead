#include "gui/ProgramView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

namespace velto::gui {

namespace {

// A run that ends sooner than this shows no progress panel, so that quick
// calculations do not flash one.
constexpr int kProgressDelayMilliseconds = 250;

// Lies over the form while a task runs: the busy cursor, and no click or key
// reaches a control beneath (the commands are refused meanwhile anyway, but
// a check box or a radio button would change the form under a running
// calculation). The wheel still scrolls the form, so that earlier results
// can be read.
class Shield final : public QWidget {
 public:
  Shield(QScrollArea* scroll, QWidget* parent) : QWidget(parent), scroll_(scroll) {
    setCursor(Qt::BusyCursor);
    setFocusPolicy(Qt::StrongFocus);
    hide();
  }

 protected:
  bool event(QEvent* event) override {
    // Tab would carry the focus back into the form.
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Tab || key == Qt::Key_Backtab) return true;
    }
    return QWidget::event(event);
  }
  void mousePressEvent(QMouseEvent* event) override { event->accept(); }
  void mouseReleaseEvent(QMouseEvent* event) override { event->accept(); }
  void mouseDoubleClickEvent(QMouseEvent* event) override { event->accept(); }
  void wheelEvent(QWheelEvent* event) override { QApplication::sendEvent(scroll_->viewport(), event); }

 private:
  QScrollArea* scroll_;
};

}  // namespace

ProgramView::ProgramView(QWidget* parent)
    : QWidget(parent), person_(this), showProgress_(new QTimer(this)) {
  scroll_ = new QScrollArea(this);
  scroll_->setWidgetResizable(true);
  scroll_->setFrameShape(QFrame::NoFrame);
  form_ = new QWidget;
  form_->setObjectName(QStringLiteral("form"));
  scroll_->setWidget(form_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scroll_);

  shield_ = new Shield(scroll_, this);
  auto* panel = new QFrame(shield_);
  progressPanel_ = panel;
  panel->setFrameShape(QFrame::StyledPanel);
  panel->setFrameShadow(QFrame::Raised);
  panel->setAutoFillBackground(true);
  panel->setCursor(Qt::ArrowCursor);
  progressTitle_ = new QLabel(panel);
  progressBar_ = new QProgressBar(panel);
  progressBar_->setRange(0, 100);
  progressBar_->setMinimumWidth(220);
  cancel_ = new QPushButton(QStringLiteral("Cancel"), panel);
  // The shield keeps the focus while a task runs, so that keys reach no
  // control of the form; Esc cancels.
  cancel_->setFocusPolicy(Qt::NoFocus);
  auto* row = new QHBoxLayout(panel);
  row->addWidget(progressTitle_);
  row->addWidget(progressBar_, 1);
  row->addWidget(cancel_);
  panel->hide();

  showProgress_->setSingleShot(true);
  showProgress_->setInterval(kProgressDelayMilliseconds);
  connect(showProgress_, &QTimer::timeout, this, [this] {
    if (!Busy()) return;
    progressPanel_->show();
    PlaceShield();
  });
  connect(cancel_, &QPushButton::clicked, this, &ProgramView::CancelTask);
  connect(&runner_, &BackgroundRunner::runningChanged, this, [this](bool running) {
    if (running) {
      TaskStarted();
    } else {
      TaskEnded();
    }
  });
  connect(&runner_, &BackgroundRunner::progressed, progressBar_, &QProgressBar::setValue);
  connect(&runner_, &BackgroundRunner::finished, this, &ProgramView::taskFinished);
}

ProgramView::~ProgramView() = default;

bool ProgramView::FileCommandEnabled(std::size_t index) const {
  if (index >= fileCommands_.size() || Busy()) return false;
  const FileCommand& command = fileCommands_[index];
  return !command.enabled || command.enabled();
}

void ProgramView::RunFileCommand(std::size_t index) {
  if (FileCommandEnabled(index)) fileCommands_[index].run();
}

void ProgramView::AddFileCommand(const QString& text, std::function<void()> run, std::function<bool()> enabled) {
  fileCommands_.push_back({text, std::move(run), std::move(enabled)});
}

void ProgramView::RunCommand(const std::function<void(programs::UserInterface&)>& command) {
  if (Busy()) return;
  ReadFields();
  command(commandUi_);
  ShowModel();
  emit commandsChanged();
}

void ProgramView::CancelTask() {
  if (!Busy() || !cancel_->isEnabled()) return;
  runner_.cancel();
  cancel_->setEnabled(false);
  progressTitle_->setText(runner_.Title() + QStringLiteral(" Cancelling..."));
}

void ProgramView::StopTask() {
  if (!Busy()) return;
  runner_.Stop();
  showProgress_->stop();
  progressPanel_->hide();
  shield_->hide();
}

void ProgramView::TaskStarted() {
  QWidget* focus = QApplication::focusWidget();
  focusBeforeTask_ = focus && isAncestorOf(focus) ? focus : nullptr;
  progressTitle_->setText(runner_.Title());
  progressBar_->setValue(0);
  cancel_->setEnabled(true);
  PlaceShield();
  shield_->show();
  shield_->raise();
  shield_->setFocus(Qt::OtherFocusReason);
  showProgress_->start();
  emit commandsChanged();
}

void ProgramView::TaskEnded() {
  showProgress_->stop();
  // A refusal shown by the task's finish may have sent the focus to a field;
  // otherwise it goes back where it was.
  const bool restoreFocus = shield_->hasFocus();
  progressPanel_->hide();
  shield_->hide();
  if (restoreFocus && focusBeforeTask_) focusBeforeTask_->setFocus(Qt::OtherFocusReason);
  ShowModel();
  emit commandsChanged();
}

void ProgramView::closeEvent(QCloseEvent* event) {
  StopTask();
  QWidget::closeEvent(event);
}

void ProgramView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && Busy()) {
    CancelTask();
    event->accept();
    return;
  }
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (!enter || (event->modifiers() & ~Qt::KeypadModifier)) {
    QWidget::keyPressEvent(event);
    return;
  }
  // Enter on a button presses it, as everywhere on the desktop; in a field
  // it runs the form's main command.
  if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && isAncestorOf(button)) {
    button->click();
  } else if (mainCommand_) {
    mainCommand_();
  }
  event->accept();
}

void ProgramView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceShield();
}

void ProgramView::PlaceShield() {
  shield_->setGeometry(scroll_->geometry());
  // The panel sits at the foot of the window, over the form.
  const int margin = 12;
  const QSize hint = progressPanel_->sizeHint();
  const int width = std::min(std::max(hint.width(), 460), std::max(0, shield_->width() - 2 * margin));
  progressPanel_->setGeometry((shield_->width() - width) / 2, std::max(0, shield_->height() - hint.height() - margin),
                              width, hint.height());
}

}  // namespace velto::gui
