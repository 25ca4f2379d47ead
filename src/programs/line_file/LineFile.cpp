#include "programs/line_file/LineFile.h"

#include "core/OutputFile.h"

namespace velto::programs {

Refusal CannotCreateFile(const std::filesystem::path& file) {
  return {"Cannot create the file \"" + file.string() + "\" !", core::MessageIcon::Error, ""};
}

std::optional<Refusal> WriteLineFile(const std::filesystem::path& file, int count,
                                     const std::function<void(int, std::string&)>& line) {
  core::OutputFile out;
  if (!out.Open(file)) return CannotCreateFile(file);
  std::string text;
  for (int i = 0; i < count; ++i) {
    text.clear();
    line(i, text);
    text += "\r\n";
    if (!out.Write(text)) return CannotCreateFile(file);
  }
  if (!out.Commit()) return CannotCreateFile(file);
  return std::nullopt;
}

}  // namespace velto::programs
