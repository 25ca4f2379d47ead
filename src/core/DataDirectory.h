#pragma once
#include <filesystem>

namespace velto::core {

// The directory that holds the running executable.
std::filesystem::path ExecutableDirectory();

// Where the data files lie: the executable's directory when it holds
// "f0f1f2", else <exe>/../share/velto (an installed layout).
std::filesystem::path DataDirectory();

}  // namespace velto::core
