#pragma once
#include <filesystem>
#include <set>
#include <string>
#include <string_view>

namespace velto::testing {

// The data directory of the build (data/ copied beside the executables).
std::filesystem::path BuildDataDirectory();

// Files the tests keep in tests/data.
std::filesystem::path TestDataPath(std::string_view relative);

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TemporaryDirectory {
 public:
  TemporaryDirectory();
  ~TemporaryDirectory();
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Writes `content` byte for byte to a file in the directory and returns its path.
  std::filesystem::path Write(std::string_view name, std::string_view content) const;

 private:
  std::filesystem::path path_;
};

std::string ReadWholeFile(const std::filesystem::path& path);

// The names of the entries of a directory (hidden ones included), to see
// that nothing was left behind.
std::set<std::string> FileNames(const std::filesystem::path& directory);

}  // namespace velto::testing
