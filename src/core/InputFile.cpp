#include "core/InputFile.h"

#include <sys/stat.h>

#include <cerrno>
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

}  // namespace

std::optional<std::string> OpenInputFile(const std::filesystem::path& path, std::ifstream& in) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::generic_category().message(errno);
  if (!S_ISREG(status.st_mode)) return KindOf(status.st_mode);
  in.open(path, std::ios::binary);
  if (!in) return std::generic_category().message(errno != 0 ? errno : EIO);
  return std::nullopt;
}

}  // namespace velto::core
