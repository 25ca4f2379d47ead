#include "python/CallGuard.h"

#include <unistd.h>

#include <condition_variable>
#include <thread>

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

namespace {

// A thread that computes the runs handed to it, one at a time, and stays for
// the next. A thread of its own for each run would cost far more than its
// creation: on a busy machine the scheduler puts a new thread behind every
// runnable one before it starts, and the OpenMP team a thread leads is made
// anew with it, cold.
class Worker {
 public:
  Worker() : thread_([this] { Loop(); }) { thread_.detach(); }

  std::future<void> Run(std::function<void()> task) {
    std::packaged_task<void()> job(std::move(task));
    std::future<void> done = job.get_future();
    {
      std::lock_guard lock(mutex_);
      job_ = std::move(job);
    }
    wake_.notify_one();
    return done;
  }

 private:
  void Loop() {
    for (;;) {
      std::packaged_task<void()> job;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return job_.valid(); });
        job = std::move(job_);
      }
      job();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::packaged_task<void()> job_;
  std::thread thread_;
};

// The idle workers, one made whenever more runs go on at once (from several
// Python threads) than there are. They live as long as the process; a child
// made by fork has none of its parent's threads and starts afresh.
class Workers {
 public:
  Worker* Take() {
    std::lock_guard lock(mutex_);
    if (owner_ != getpid()) {
      idle_.clear();  // the parent's, whose threads this process does not have
      owner_ = getpid();
    }
    if (idle_.empty()) return new Worker;
    Worker* worker = idle_.back();
    idle_.pop_back();
    return worker;
  }
  void Give(Worker* worker) {
    std::lock_guard lock(mutex_);
    idle_.push_back(worker);
  }

 private:
  std::mutex mutex_;
  std::vector<Worker*> idle_;
  pid_t owner_ = getpid();
};

Workers& IdleWorkers() {
  static Workers* workers = new Workers;  // never destroyed: its threads run to the end of the process
  return *workers;
}

}  // namespace

bool RunReleased(const std::function<void(core::Progress&)>& work) {
  const core::SingleThreadedLinearAlgebra singleThreaded;
  CancelFlag progress;
  bool interrupted = false;
  py::gil_scoped_release release;
  Worker* worker = IdleWorkers().Take();
  std::future<void> done = worker->Run([&work, &progress] { work(progress); });
  while (done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
    py::gil_scoped_acquire acquire;
    if (PyErr_CheckSignals() != 0) {
      interrupted = true;
      progress.Cancel();
      break;
    }
  }
  done.wait();
  IdleWorkers().Give(worker);
  done.get();
  return interrupted;
}

void SetWarningCategory(py::object category) { warningCategory = category.release().ptr(); }

}  // namespace velto::python
