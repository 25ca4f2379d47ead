#include "core/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

namespace velto::core {
namespace {

const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "is a directory";
  if (S_ISFIFO(mode)) return "is a named pipe";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device";
  if (S_ISSOCK(mode)) return "is a socket";
  return "is not a regular file";
}

std::string SystemMessage(int error) { return std::generic_category().message(error != 0 ? error : EIO); }

// Closes the descriptor when the function returns, whatever the path.
struct Descriptor {
  int fd = -1;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

std::optional<std::string> OpenInputFile(const std::filesystem::path& path, std::ifstream& in) {
  // Opened without waiting and judged by what was opened, not by a look at
  // the path beforehand: a named pipe put in the file's place between a
  // look and the opening would otherwise block until some program writes.
  Descriptor file;
  file.fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (file.fd < 0) return SystemMessage(errno);
  struct stat status {};
  if (::fstat(file.fd, &status) != 0) return SystemMessage(errno);
  if (!S_ISREG(status.st_mode)) return KindOf(status.st_mode);
  // The stream opens the very file checked above through its descriptor
  // (a fresh opening, so without O_NONBLOCK), whatever has become of the
  // path since; without /proc, the path.
  errno = 0;
  in.open("/proc/self/fd/" + std::to_string(file.fd), std::ios::binary);
  if (!in && errno == ENOENT) {
    in.clear();
    errno = 0;
    in.open(path, std::ios::binary);
  }
  if (!in) return SystemMessage(errno);
  return std::nullopt;
}

}  // namespace velto::core
