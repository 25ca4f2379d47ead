#include "gui/BackgroundRunner.h"

#include <QApplication>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>

namespace velto::gui {

namespace {

// The progress of a worker as the user-interface thread polls it.
class SharedProgress final : public core::Progress {
 public:
  void Report(int percent) override { percent_.store(percent, std::memory_order_relaxed); }
  bool Cancelled() const override { return cancelled_.load(std::memory_order_relaxed); }
  int Percent() const { return percent_.load(std::memory_order_relaxed); }
  void Cancel() { cancelled_.store(true, std::memory_order_relaxed); }

 private:
  std::atomic<int> percent_{0};
  std::atomic<bool> cancelled_{false};
};

constexpr int kPollMilliseconds = 50;

}  // namespace

// What the worker and the user-interface thread share for one task.
class BackgroundRunner::Run {
 public:
  Run(programs::BackgroundTask t, programs::UserInterface& u) : task(std::move(t)), ui(u) {}
  programs::BackgroundTask task;
  programs::UserInterface& ui;
  programs::NoticeCollector notices;
  SharedProgress progress;
};

BackgroundRunner::BackgroundRunner(QObject* parent) : QObject(parent), poll_(new QTimer(this)) {
  poll_->setInterval(kPollMilliseconds);
  connect(poll_, &QTimer::timeout, this, [this] {
    if (run_) emit progressed(run_->progress.Percent());
  });
}

BackgroundRunner::~BackgroundRunner() {
  if (!worker_) return;
  // The window goes while its task runs: stop the worker and wait for it;
  // nothing is shown or applied any more.
  run_->progress.Cancel();
  worker_->disconnect(this);
  worker_->wait();
  delete worker_;
}

bool BackgroundRunner::Start(programs::BackgroundTask task, programs::UserInterface& ui) {
  if (running_) return false;
  title_ = QString::fromStdString(task.title);
  auto run = std::make_shared<Run>(std::move(task), ui);
  run_ = run;
  worker_ = QThread::create([run] {
    if (run->task.compute) run->task.compute(run->notices, run->progress);
  });
  connect(worker_, &QThread::finished, this, &BackgroundRunner::Finish);
  running_ = true;
  emit runningChanged(true);
  emit progressed(0);
  poll_->start();
  worker_->start();
  return true;
}

void BackgroundRunner::cancel() {
  if (run_) run_->progress.Cancel();
}

void BackgroundRunner::Finish() {
  poll_->stop();
  worker_->deleteLater();
  worker_ = nullptr;
  const std::shared_ptr<Run> run = std::move(run_);
  const bool cancelled = run->progress.Cancelled();
  // Commands stay refused until the outcome is applied.
  run->notices.ShowAll(run->ui);
  if (run->task.finish) run->task.finish(run->ui, cancelled);
  running_ = false;
  emit runningChanged(false);
  emit finished(cancelled);
}

void ShowProgressWhileRunning(BackgroundRunner& runner, QWidget* window) {
  QObject::connect(&runner, &BackgroundRunner::runningChanged, window, [&runner, window](bool running) {
    if (!running) {
      QApplication::restoreOverrideCursor();
      return;
    }
    QApplication::setOverrideCursor(Qt::BusyCursor);
    auto* dialog = new QProgressDialog(runner.Title(), QStringLiteral("Cancel"), 0, 100, window);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setMinimumDuration(400);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    QObject::connect(&runner, &BackgroundRunner::progressed, dialog,
                     [dialog](int percent) { dialog->setValue(std::min(percent, 99)); });
    QObject::connect(dialog, &QProgressDialog::canceled, &runner, &BackgroundRunner::cancel);
    QObject::connect(&runner, &BackgroundRunner::runningChanged, dialog, [dialog](bool stillRunning) {
      if (!stillRunning) dialog->deleteLater();
    });
  });
}

}  // namespace velto::gui
