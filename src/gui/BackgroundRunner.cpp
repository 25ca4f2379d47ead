#include "gui/BackgroundRunner.h"

#include <QThread>
#include <QTimer>
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

BackgroundRunner::~BackgroundRunner() { Stop(); }

void BackgroundRunner::Stop() {
  if (!worker_) return;
  // The window goes while its task runs: stop the worker and wait for it;
  // nothing is shown or applied any more.
  run_->progress.Cancel();
  worker_->disconnect(this);
  worker_->wait();
  delete worker_;
  worker_ = nullptr;
  run_.reset();
  poll_->stop();
  running_ = false;
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
  // A worker that ended just before Stop() may still have its call queued.
  if (!run_) return;
  emit computed();
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

}  // namespace velto::gui
