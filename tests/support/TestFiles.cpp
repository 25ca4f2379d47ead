#include "TestFiles.h"

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "core/DataDirectory.h"

namespace velto::testing {

std::filesystem::path BuildDataDirectory() { return core::DataDirectory(); }

std::filesystem::path TestDataPath(std::string_view relative) {
  return std::filesystem::path(VELTO_TEST_DATA_DIR) / std::filesystem::path(relative);
}

TemporaryDirectory::TemporaryDirectory() {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto candidate = std::filesystem::temp_directory_path() / ("velto-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary directory");
}

TemporaryDirectory::~TemporaryDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TemporaryDirectory::Write(std::string_view name, std::string_view content) const {
  const auto file = path_ / std::filesystem::path(name);
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  return file;
}

std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::set<std::string> FileNames(const std::filesystem::path& directory) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) names.insert(entry.path().filename().string());
  return names;
}

}  // namespace velto::testing
