#pragma once
#include <atomic>
#include <mutex>
#include <string>

#include "core/Progress.h"

namespace velto::cli {

// "title: 42 %" rewritten in place on stderr while a long command runs, only
// when stderr is a terminal, so that scripts read nothing but the messages
// (and under MPI only by rank 0).
// The line is wiped when the object goes. Stop() makes the run end early
// (a results file that can no longer be written, for example).
class TerminalProgress final : public core::Progress {
 public:
  explicit TerminalProgress(std::string title);
  ~TerminalProgress() override;
  TerminalProgress(const TerminalProgress&) = delete;
  TerminalProgress& operator=(const TerminalProgress&) = delete;

  void Report(int percent) override;
  bool Cancelled() const override { return stopped_.load(); }
  void Stop() { stopped_.store(true); }

 private:
  std::string title_;
  bool shown_;
  bool drawn_ = false;
  std::atomic<bool> stopped_{false};
  std::mutex mutex_;  // parallel loops report from their workers
};

}  // namespace velto::cli
