#include "core/Progress.h"

namespace velto::core {

bool PercentCounter::Advance() {
  const long done = done_.fetch_add(1) + 1;
  const int percent = static_cast<int>((100 * done) / total_);
  if (percent > shown_.load(std::memory_order_relaxed)) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (percent > shown_.load(std::memory_order_relaxed)) {
      shown_.store(percent, std::memory_order_relaxed);
      progress_.Report(percent);
    }
  }
  return !progress_.Cancelled();
}

}  // namespace velto::core
