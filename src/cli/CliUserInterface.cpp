#include "cli/CliUserInterface.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <mutex>

namespace velto::cli {
namespace {

// Message texts of the program may carry the padding and line feeds of the
// message boxes; a terminal line reads better without them.
std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \n\r\t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \n\r\t");
  return text.substr(first, last - first + 1);
}

// "title: 42 %" rewritten in place on a terminal; nothing when stderr goes
// to a file or a pipe, so that scripts read only the messages.
class TerminalProgress final : public core::Progress {
 public:
  explicit TerminalProgress(std::string title) : title_(std::move(title)), shown_(isatty(STDERR_FILENO) == 1) {}
  ~TerminalProgress() override {
    if (shown_ && drawn_) std::fprintf(stderr, "\r%*s\r", static_cast<int>(title_.size()) + 8, "");
  }
  void Report(int percent) override {
    if (!shown_) return;
    std::lock_guard lock(mutex_);
    std::fprintf(stderr, "\r%s %3d %%", title_.c_str(), percent);
    std::fflush(stderr);
    drawn_ = true;
  }
  bool Cancelled() const override { return false; }

 private:
  std::string title_;
  bool shown_;
  bool drawn_ = false;
  std::mutex mutex_;  // parallel loops report from their workers
};

}  // namespace

void CliUserInterface::ShowMessage(std::string_view text, programs::MessageIcon icon) {
  ScriptedUserInterface::ShowMessage(text, icon);
  std::cerr << Trimmed(text) << '\n';
}

programs::Answer CliUserInterface::AskYesNo(std::string_view text, programs::MessageIcon icon) {
  const programs::Answer answer = ScriptedUserInterface::AskYesNo(text, icon);
  std::cerr << Trimmed(text) << (answer == programs::Answer::Yes ? " [yes]" : " [no]") << '\n';
  return answer;
}

void CliUserInterface::Console(std::string_view text) {
  ScriptedUserInterface::Console(text);
  std::cerr << Trimmed(text) << '\n';
}

void CliUserInterface::RunInBackground(programs::BackgroundTask task) {
  tasksRun.push_back(task.title);
  TerminalProgress progress(task.title);
  programs::RunTaskHere(task, *this, progress);
}

}  // namespace velto::cli
