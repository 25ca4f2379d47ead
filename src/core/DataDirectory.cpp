#include "core/DataDirectory.h"

#include <system_error>

namespace velto::core {

std::filesystem::path ExecutableDirectory() {
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::filesystem::current_path(error);
  return exe.parent_path();
}

std::filesystem::path DataDirectory() {
  const std::filesystem::path exeDir = ExecutableDirectory();
  std::error_code error;
  if (std::filesystem::is_directory(exeDir / "f0f1f2", error)) return exeDir;
  return (exeDir / ".." / "share" / "velto").lexically_normal();
}

}  // namespace velto::core
