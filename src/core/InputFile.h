#pragma once
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace velto::core {

// Opens a file the suite reads (structure files, chi imports, atomic data,
// INI files) for reading, byte for byte. Only a regular file (symbolic links
// followed) is opened: a named pipe would block the program until some other
// program writes to it, a device such as /dev/zero never ends, and a
// directory opens as an empty stream on some systems. Nothing is opened when
// the path is anything else. Returns why the file cannot be read ("is a
// directory", "is a named pipe", "No such file or directory", ...), or none
// when `in` is open on it.
std::optional<std::string> OpenInputFile(const std::filesystem::path& path, std::ifstream& in);

}  // namespace velto::core
