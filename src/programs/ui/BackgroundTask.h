#pragma once
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/Notifier.h"
#include "core/Progress.h"

namespace velto::programs {

class UserInterface;

// The long step of a command, which a window runs off its user-interface
// thread while the person can still cancel it and use the rest of the
// application.
//
// `compute` runs on a worker thread. It may read and write only what it owns
// (the inputs it captured by value, the outcome it fills) and report through
// the notifier and progress it is handed; both are safe to call from any
// thread, OpenMP workers included. It never touches a form or the user
// interface.
//
// `finish` runs afterwards on the user-interface thread, once the notices of
// the run have been shown (each text once, with a count when it repeated).
// `cancelled` is true when the person cancelled the run; a cancelled run must
// leave the earlier results as they were.
struct BackgroundTask {
  std::string title;  // what the progress display says is going on
  std::function<void(core::Notifier& notices, core::Progress& progress)> compute;
  std::function<void(UserInterface& ui, bool cancelled)> finish;
};

// Collects the notices of a background run from any thread and shows them
// on the user-interface thread when the run is over: each distinct text
// once, in the order it first came, with the number of times it came when
// that is more than once.
class NoticeCollector final : public core::Notifier {
 public:
  void Notify(std::string_view text, core::MessageIcon icon) override;
  void Console(std::string_view text) override;
  // Shows what was collected through `ui` and forgets it.
  void ShowAll(UserInterface& ui);
  bool Empty() const;

  // The text shown for a notice that came `count` times in one run.
  static std::string WithCount(std::string_view text, int count);

 private:
  struct Notice {
    std::string text;
    core::MessageIcon icon;
    int count;
  };
  mutable std::mutex mutex_;
  std::vector<Notice> notices_;
  std::vector<std::string> console_;
};

// Runs a task to the end on the calling thread, as a script or a test does:
// compute with `progress`, show the collected notices through `ui`, then
// finish with the cancel state `progress` reports.
void RunTaskHere(BackgroundTask& task, UserInterface& ui, core::Progress& progress);

}  // namespace velto::programs
