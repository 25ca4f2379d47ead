#pragma once
#include <pybind11/pybind11.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <future>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/Notifier.h"
#include "core/Progress.h"

// What the Python module needs around every call into the programs: a
// notifier that keeps what the numerical layers say until Python may be
// told, the refusal that becomes ValueError, and long runs that release the
// interpreter and stop at Ctrl-C.
namespace velto::python {

// The data directory of the module (atomic data, the example crystal),
// set once when the package is imported.
void SetDataDirectory(const std::filesystem::path& directory);
std::filesystem::path DataDirectory();

// The program's message texts carry the padding and line feeds of its
// message boxes; an exception reads better without them, and so does the
// terminal line velto-cli prints.
std::string Trimmed(std::string_view text);

// Raises ValueError with the program's own message.
[[noreturn]] void Refuse(std::string_view message);
// Raises ValueError with the refusal of one of the forms' checks, if any.
void RefuseIf(const std::optional<std::string>& refusal);

// Keeps the notices of one call; the workers of a parallel scan may notify
// at once. Nothing reaches Python before the call has the interpreter again.
class RecordingNotifier final : public core::Notifier {
 public:
  void Notify(std::string_view text, core::MessageIcon icon) override;
  void Console(std::string_view text) override;

  // The notices so far, joined by line feeds.
  std::string Joined() const;
  // Issues each notice as a velto.VeltoWarning and writes the console lines
  // to sys.stderr, as velto-cli prints both to stderr. Needs the GIL.
  void Publish();

 private:
  struct Entry {
    std::string text;
    bool console;
  };
  mutable std::mutex mutex_;
  std::vector<Entry> entries_;
};

// The warning category of the module, created at import.
void SetWarningCategory(pybind11::object category);

// A Progress whose only use is the cancel flag the scans poll.
class CancelFlag final : public core::Progress {
 public:
  void Report(int) override {}
  bool Cancelled() const override { return cancelled_.load(std::memory_order_relaxed); }
  void Cancel() { cancelled_.store(true, std::memory_order_relaxed); }

 private:
  std::atomic<bool> cancelled_{false};
};

// Runs `work(progress)` on a worker thread (kept for the next run) while the calling thread,
// without the GIL, waits and every 50 ms takes the GIL back to let Python
// run its signal handlers. A Ctrl-C (or any handler that raises) sets the
// cancel flag that the scans poll, as the windows' Cancel button does, and
// leaves its exception pending; true then, once the work has stopped.
// Signal handlers only run on the main thread, so from other threads the
// call simply runs to its end. BLAS runs single-threaded meanwhile
// (core::SingleThreadedLinearAlgebra). `work` must not touch Python.
bool RunReleased(const std::function<void(core::Progress&)>& work);

// RunReleased for a computation with a result; the pending exception
// (KeyboardInterrupt) is raised when the run was interrupted.
template <typename Work>
auto RunInterruptible(Work work) -> decltype(work(std::declval<core::Progress&>())) {
  std::optional<decltype(work(std::declval<core::Progress&>()))> result;
  if (RunReleased([&work, &result](core::Progress& progress) { result.emplace(work(progress)); }))
    throw pybind11::error_already_set();
  return std::move(*result);
}

}  // namespace velto::python
