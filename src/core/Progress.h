#pragma once
#include <atomic>
#include <mutex>

namespace velto::core {

// Progress of a long loop and the way to cancel it. Report is called with
// the integer percentage only when it grows; Cancelled may be polled from
// worker threads.
class Progress {
 public:
  virtual ~Progress() = default;
  virtual void Report(int percent) = 0;
  virtual bool Cancelled() const = 0;
};

class NoProgress final : public Progress {
 public:
  void Report(int) override {}
  bool Cancelled() const override { return false; }
};

// Turns "done of total" into integer percentages and forwards a value only
// when it exceeds the last one sent. Thread-safe, so the workers of a
// parallel loop can all call Advance.
class PercentCounter {
 public:
  PercentCounter(Progress& progress, long total) : progress_(progress), total_(total > 0 ? total : 1) {}
  // Call once per finished item; returns false when the run is cancelled.
  bool Advance();
  bool Cancelled() const { return progress_.Cancelled(); }

 private:
  Progress& progress_;
  long total_;
  std::atomic<long> done_{0};
  std::mutex mutex_;
  std::atomic<int> shown_{0};
};

}  // namespace velto::core
