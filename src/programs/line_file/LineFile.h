#pragma once
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "programs/Refusal.h"

// Writing the data files of the multi-crystal curve exports.
namespace velto::programs {

inline constexpr const char* kNothingToExportMessage = "No data to export yet !    ";

// "Cannot create the file \"<path>\" !" with the error icon.
Refusal CannotCreateFile(const std::filesystem::path& file);

// Writes `count` lines to `file`; `line(i, text)` fills the text of line i
// (without its line end). Lines end with CR LF, as the curve exports of the
// single-crystal program do. They go through the suite's one writer
// (core/OutputFile.h), so a failed export leaves no half-written file and
// keeps an older one intact.
std::optional<Refusal> WriteLineFile(const std::filesystem::path& file, int count,
                                     const std::function<void(int, std::string&)>& line);

}  // namespace velto::programs
