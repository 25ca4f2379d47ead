#pragma once
// What the harnesses share: each input goes to a file (the readers take
// paths, as the programs give them) in a folder of this process.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace velto::fuzz {

inline std::filesystem::path ScratchDirectory() {
  static const std::filesystem::path directory = [] {
    auto path = std::filesystem::temp_directory_path() / ("velto-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path / "f0f1f2");
    return path;
  }();
  return directory;
}

inline std::filesystem::path WriteInput(const std::string& name, const std::uint8_t* data, std::size_t size) {
  const auto path = ScratchDirectory() / name;
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                 static_cast<std::streamsize>(size));
  return path;
}

// A broken promise of the reader: stop the run so that libFuzzer keeps the input.
inline void Require(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace velto::fuzz
