#include "python/CallGuard.h"

#include "core/ProcessSetup.h"
#include "programs/ui/FormSession.h"

namespace velto::python {
namespace py = pybind11;

namespace {
std::mutex dataDirectoryMutex;
std::filesystem::path dataDirectory;
// Owned by the module object; a plain pointer, so that nothing is released
// after the interpreter has gone at exit.
PyObject* warningCategory = PyExc_UserWarning;
}  // namespace

void SetDataDirectory(const std::filesystem::path& directory) {
  std::lock_guard lock(dataDirectoryMutex);
  dataDirectory = directory;
}

std::filesystem::path DataDirectory() {
  std::lock_guard lock(dataDirectoryMutex);
  return dataDirectory;
}

std::string Trimmed(std::string_view text) { return std::string(programs::TrimmedMessage(text)); }

void Refuse(std::string_view message) { throw py::value_error(Trimmed(message)); }

void RecordingNotifier::Notify(std::string_view text, core::MessageIcon) {
  std::lock_guard lock(mutex_);
  entries_.push_back({Trimmed(text), false});
}

void RefuseIf(const std::optional<std::string>& refusal) {
  if (refusal) Refuse(*refusal);
}

void RecordingNotifier::Console(std::string_view text) {
  std::lock_guard lock(mutex_);
  entries_.push_back({Trimmed(text), true});
}

std::string RecordingNotifier::Joined() const {
  std::lock_guard lock(mutex_);
  std::string joined;
  for (const Entry& entry : entries_) {
    if (!joined.empty()) joined += '\n';
    joined += entry.text;
  }
  return joined;
}

void RecordingNotifier::Publish() {
  std::vector<Entry> entries;
  {
    std::lock_guard lock(mutex_);
    entries.swap(entries_);
  }
  for (const Entry& entry : entries) {
    if (entry.console) {
      py::module_::import("sys").attr("stderr").attr("write")(entry.text + "\n");
    } else if (PyErr_WarnEx(warningCategory, entry.text.c_str(), 2) != 0) {
      // The warnings filter turned the notice into an exception.
      throw py::error_already_set();
    }
  }
}

bool RunReleased(const std::function<void(core::Progress&)>& work) {
  const core::SingleThreadedLinearAlgebra singleThreaded;
  CancelFlag progress;
  bool interrupted = false;
  py::gil_scoped_release release;
  std::future<void> done = std::async(std::launch::async, [&work, &progress] { work(progress); });
  while (done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
    py::gil_scoped_acquire acquire;
    if (PyErr_CheckSignals() != 0) {
      interrupted = true;
      progress.Cancel();
      break;
    }
  }
  done.get();
  return interrupted;
}

void SetWarningCategory(py::object category) { warningCategory = category.release().ptr(); }

}  // namespace velto::python
