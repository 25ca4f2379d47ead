#include "cli/TerminalProgress.h"

#include <unistd.h>

#include <cstdio>

#include "cli/ProcessGroup.h"

namespace velto::cli {

TerminalProgress::TerminalProgress(std::string title)
    : title_(std::move(title)), shown_(isatty(STDERR_FILENO) == 1 && LeadsGroup()) {}

TerminalProgress::~TerminalProgress() {
  if (shown_ && drawn_) std::fprintf(stderr, "\r%*s\r", static_cast<int>(title_.size()) + 8, "");
}

void TerminalProgress::Report(int percent) {
  if (!shown_) return;
  std::lock_guard lock(mutex_);
  std::fprintf(stderr, "\r%s %3d %%", title_.c_str(), percent);
  std::fflush(stderr);
  drawn_ = true;
}

}  // namespace velto::cli
