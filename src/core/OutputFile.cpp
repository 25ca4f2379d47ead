#include "core/OutputFile.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace velto::core {
namespace {

namespace fs = std::filesystem;

// Buffered text is written out in pieces of about this size.
constexpr std::size_t kBufferBytes = 1 << 16;
// Longest chain of symbolic links followed, as the kernel allows.
constexpr int kMostLinks = 40;

// The temporary files that exist right now, for the signal handlers. A slot
// is claimed (1) while its path is written and armed (2) once the handler
// may remove that path; the handler touches armed slots only, and reads
// nothing but these fixed arrays, so it stays async-signal-safe.
struct TemporarySlot {
  std::atomic<int> state{0};
  char path[PATH_MAX];
};
constexpr int kSlots = 64;
TemporarySlot slots[kSlots];

extern "C" void RemoveTemporariesAndEnd(int signal) {
  for (TemporarySlot& slot : slots)
    if (slot.state.load() == 2) ::unlink(slot.path);
  // SA_RESETHAND has restored the default action, which ends the process
  // with this signal as soon as the handler returns.
  ::raise(signal);
}

void InstallSignalHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
      struct sigaction previous {};
      if (::sigaction(signal, nullptr, &previous) != 0) continue;
      // A program that handles or ignores the signal itself keeps doing so.
      if ((previous.sa_flags & SA_SIGINFO) || previous.sa_handler != SIG_DFL) continue;
      struct sigaction action {};
      action.sa_handler = RemoveTemporariesAndEnd;
      sigemptyset(&action.sa_mask);
      action.sa_flags = SA_RESETHAND;
      ::sigaction(signal, &action, nullptr);
    }
  });
}

int ArmSlot(const fs::path& path) {
  const std::string& text = path.native();
  if (text.size() >= PATH_MAX) return -1;
  for (int i = 0; i < kSlots; ++i) {
    int expected = 0;
    if (!slots[i].state.compare_exchange_strong(expected, 1)) continue;
    std::memcpy(slots[i].path, text.c_str(), text.size() + 1);
    slots[i].state.store(2);
    return i;
  }
  return -1;  // more files at once than slots: written as well, only not removed on a signal
}

void DisarmSlot(int& slot) {
  if (slot >= 0) slots[slot].state.store(0);
  slot = -1;
}

// Follows symbolic links from `path` to the first name that is not one
// (which need not exist: a dangling link names the file to create).
bool FollowLinks(fs::path& path, int& error) {
  for (int hop = 0; hop < kMostLinks; ++hop) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
      if (errno == ENOENT) return true;
      error = errno;
      return false;
    }
    if (!S_ISLNK(status.st_mode)) return true;
    char target[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), target, sizeof target);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof target) {
      error = length < 0 ? errno : ENAMETOOLONG;
      return false;
    }
    fs::path next(std::string(target, static_cast<std::size_t>(length)));
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  error = ELOOP;
  return false;
}

// The standard stream (1 or 2) that already is the file `status` describes.
int StandardStreamOf(const struct stat& status) {
  for (int fd : {STDOUT_FILENO, STDERR_FILENO}) {
    struct stat stream {};
    if (::fstat(fd, &stream) == 0 && stream.st_dev == status.st_dev && stream.st_ino == status.st_ino) return fd;
  }
  return -1;
}

fs::path NextTemporaryName(const fs::path& folder, const fs::path& target) {
  static std::atomic<unsigned> counter{0};
  return folder / ("." + target.filename().string() + "." + std::to_string(::getpid()) + "." +
                   std::to_string(counter++) + ".tmp");
}

// An unnamed file is linked in through /proc, which a chroot or a container
// may lack.
bool CanLinkUnnamedFiles() {
  static const bool can = ::access("/proc/self/fd", X_OK) == 0;
  return can;
}

void SyncDirectory(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // the rename is durable only then; a failure here loses nothing already in place
  ::close(fd);
}

}  // namespace

std::string OutputStatus::Reason() const { return Ok() ? std::string() : error.message(); }

OutputFile::~OutputFile() { Abandon(); }

bool OutputFile::Open(const fs::path& target) {
  Abandon();
  status_ = {};
  buffer_.clear();
  buffer_.reserve(kBufferBytes + PIPE_BUF);
  pipe_ = false;
  keepMode_ = false;
  final_ = target;
  if (target.empty()) return Fail(OutputStage::Target, ENOENT);

  struct stat status {};
  if (::stat(target.c_str(), &status) == 0) {
    if (S_ISDIR(status.st_mode)) return Fail(OutputStage::Target, EISDIR);
    if (const int stream = StandardStreamOf(status); stream >= 0) {
      // What the program printed there so far must come first.
      std::fflush(stdout);
      std::fflush(stderr);
      mode_ = Mode::Direct;
      fd_ = ::fcntl(stream, F_DUPFD_CLOEXEC, 0);
      if (fd_ < 0) return Fail(OutputStage::Create, errno);
      pipe_ = S_ISFIFO(status.st_mode);
      return true;
    }
    if (!S_ISREG(status.st_mode)) {
      mode_ = Mode::Direct;
      fd_ = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
      if (fd_ < 0) return Fail(OutputStage::Create, errno);
      pipe_ = S_ISFIFO(status.st_mode);
      return true;
    }
    keepMode_ = true;
    originalMode_ = status.st_mode & 07777;
  } else if (errno != ENOENT) {
    return Fail(OutputStage::Target, errno);
  }

  mode_ = Mode::Replace;
  int error = 0;
  if (!FollowLinks(final_, error)) return Fail(OutputStage::Target, error);
  if (!final_.has_filename()) return Fail(OutputStage::Target, EISDIR);
  const fs::path folder = final_.has_parent_path() ? final_.parent_path() : fs::path(".");
  InstallSignalHandlers();
  // A file without a name is what a killed process leaves nothing of; it is
  // given its name only when complete. Where the file system cannot make one,
  // or it could not be linked in later, a named temporary file serves.
  if (CanLinkUnnamedFiles()) fd_ = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  unnamed_ = fd_ >= 0;
  if (!unnamed_ && !CreateNamedTemporary(folder, error)) return Fail(OutputStage::Create, error);
  // The replacement keeps the permissions the person gave the old file.
  if (keepMode_) ::fchmod(fd_, static_cast<mode_t>(originalMode_));
  return true;
}

bool OutputFile::CreateNamedTemporary(const fs::path& folder, int& error) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary_ = NextTemporaryName(folder, final_);
    // Armed before the file exists, so that no moment leaves it unguarded.
    slot_ = ArmSlot(temporary_);
    fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) return true;
    error = errno;
    DisarmSlot(slot_);
    if (error != EEXIST) break;
  }
  temporary_.clear();
  return false;
}

bool OutputFile::LinkUnnamed() {
  const fs::path folder = final_.has_parent_path() ? final_.parent_path() : fs::path(".");
  const std::string self = "/proc/self/fd/" + std::to_string(fd_);
  int error = EEXIST;
  for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
    temporary_ = NextTemporaryName(folder, final_);
    slot_ = ArmSlot(temporary_);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary_.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
    error = errno;
    DisarmSlot(slot_);
  }
  temporary_.clear();
  return Fail(OutputStage::Finish, error);
}

bool OutputFile::Write(std::string_view text) {
  if (fd_ < 0) return false;
  buffer_.append(text);
  return buffer_.size() < kBufferBytes || Drain(false);
}

bool OutputFile::WriteAll(const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd_, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Fail(OutputStage::Write, n < 0 ? errno : EIO);
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool OutputFile::Drain(bool everything) {
  std::size_t start = 0;
  while (start < buffer_.size()) {
    const std::size_t remaining = buffer_.size() - start;
    std::size_t length = remaining;
    if (pipe_ && (remaining > PIPE_BUF || !everything)) {
      // Whole lines of at most PIPE_BUF bytes go in one write, which a pipe
      // never interleaves with another writer's; a longer line cannot be
      // kept whole and goes in pieces.
      length = std::min<std::size_t>(PIPE_BUF, remaining);
      const std::size_t lineEnd = buffer_.rfind('\n', start + length - 1);
      if (lineEnd != std::string::npos && lineEnd >= start) {
        length = lineEnd + 1 - start;
      } else if (remaining <= PIPE_BUF) {
        break;  // an unfinished line waits for its end
      }
    }
    if (!WriteAll(buffer_.data() + start, length)) return false;
    start += length;
  }
  buffer_.erase(0, start);
  return true;
}

bool OutputFile::Commit() {
  if (fd_ < 0) return false;
  if (!Drain(true)) return false;
  if (mode_ == Mode::Replace && ::fsync(fd_) != 0) return Fail(OutputStage::Finish, errno);
  if (mode_ == Mode::Replace && unnamed_ && !LinkUnnamed()) return false;
  unnamed_ = false;
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) return Fail(OutputStage::Finish, errno);
  if (mode_ == Mode::Replace) {
    if (::rename(temporary_.c_str(), final_.c_str()) != 0) return Fail(OutputStage::Finish, errno);
    // Renamed first, disarmed after: a signal in between finds no file to remove.
    DisarmSlot(slot_);
    temporary_.clear();
    SyncDirectory(final_.has_parent_path() ? final_.parent_path() : fs::path("."));
  }
  return true;
}

void OutputFile::Abandon() { Release(); }

void OutputFile::Release() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  unnamed_ = false;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
  DisarmSlot(slot_);
  buffer_.clear();
}

bool OutputFile::Fail(OutputStage stage, int error) {
  Release();
  status_.failedAt = stage;
  status_.error = std::error_code(error, std::generic_category());
  return false;
}

OutputStatus WriteOutputFile(const fs::path& target, std::string_view content) {
  OutputFile file;
  if (file.Open(target) && file.Write(content)) file.Commit();
  return file.Status();
}

}  // namespace velto::core
