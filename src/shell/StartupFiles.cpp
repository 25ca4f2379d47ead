#include "shell/StartupFiles.h"

#include <fstream>
#include <optional>

#include "core/InputFile.h"
#include "core/TextNumbers.h"
#include "core/Units.h"
#include "shell/NumberText.h"

namespace velto::shell {
namespace {

// These files hold a few short lines; anything beyond this is not one of them
// and is not read further, so a wrong file cannot exhaust memory.
constexpr std::size_t kMaxFileBytes = 1 << 20;

std::string_view Trim(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\f\v";
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

// The trimmed non-empty lines of a file; lines end at LF, CR or CR LF.
std::optional<std::vector<std::string>> NonEmptyLines(const std::filesystem::path& path) {
  // A pipe or a device under the name would block the start of the program.
  std::ifstream in;
  if (core::OpenInputFile(path, in)) return std::nullopt;
  std::string content(kMaxFileBytes, '\0');
  in.read(content.data(), static_cast<std::streamsize>(content.size()));
  content.resize(static_cast<std::size_t>(in.gcount()));

  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= content.size()) {
    std::size_t end = content.find_first_of("\r\n", start);
    if (end == std::string::npos) end = content.size();
    const std::string_view line = Trim(std::string_view(content).substr(start, end - start));
    if (!line.empty()) lines.emplace_back(line);
    start = end + 1;
  }
  return lines;
}

}  // namespace

IniDefaults ReadDefaultsIni(const std::filesystem::path& path) {
  IniDefaults defaults;
  const auto lines = NonEmptyLines(path);
  if (!lines) return defaults;
  if (lines->size() >= 1) defaults.energyKev = ParseNumber((*lines)[0]);
  if (lines->size() >= 2) defaults.temperature = ParseNumber((*lines)[1]);
  return defaults;
}

PresetLists DefaultPresetLists() {
  constexpr double kCuKalpha1Angstrom = 1.540562;
  PresetLists lists;
  lists.wavelengths.push_back(core::FormatFixed(kCuKalpha1Angstrom, 8) + " (Cu-Ka1)");
  lists.energies.push_back(core::FormatFixed(core::kHcKevAngstrom / kCuKalpha1Angstrom, 8) + " (Cu-Ka1)");
  lists.temperatures.push_back(core::FormatFixed(293.15, 2));
  return lists;
}

PresetLists ReadPresetsIni(const std::filesystem::path& path) {
  const auto lines = NonEmptyLines(path);
  if (!lines) return DefaultPresetLists();

  PresetLists lists;
  std::size_t next = 0;
  for (std::vector<std::string>* list : {&lists.wavelengths, &lists.energies, &lists.temperatures}) {
    if (next >= lines->size()) return DefaultPresetLists();
    const int count = ParseInteger((*lines)[next++]);
    if (count < 1) return DefaultPresetLists();
    // The count is checked against what is left before anything is kept, so
    // an absurd count costs nothing.
    if (static_cast<std::size_t>(count) > lines->size() - next) return DefaultPresetLists();
    list->assign(lines->begin() + static_cast<std::ptrdiff_t>(next),
                 lines->begin() + static_cast<std::ptrdiff_t>(next + static_cast<std::size_t>(count)));
    next += static_cast<std::size_t>(count);
  }
  return lists;
}

double PresetValue(const std::string& entry) { return ParseNumber(entry); }

}  // namespace velto::shell
