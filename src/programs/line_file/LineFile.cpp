#include "programs/line_file/LineFile.h"

#include <fstream>
#include <random>
#include <system_error>

namespace velto::programs {
namespace {

std::filesystem::path TemporaryBeside(const std::filesystem::path& file) {
  std::random_device random;
  const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
  std::string name = ".";
  name += file.filename().string();
  name += '.';
  name += std::to_string(random());
  name += ".part";
  return folder / name;
}

}  // namespace

Refusal CannotCreateFile(const std::filesystem::path& file) {
  return {"Cannot create the file \"" + file.string() + "\" !", core::MessageIcon::Error, ""};
}

std::optional<Refusal> WriteLineFile(const std::filesystem::path& file, int count,
                                     const std::function<void(int, std::string&)>& line) {
  if (file.empty() || !file.has_filename()) return CannotCreateFile(file);
  const std::filesystem::path temporary = TemporaryBeside(file);
  std::error_code error;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return CannotCreateFile(file);
    std::string text;
    for (int i = 0; i < count && out; ++i) {
      text.clear();
      line(i, text);
      text += "\r\n";
      out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    out.close();
    if (!out) {
      std::filesystem::remove(temporary, error);
      return CannotCreateFile(file);
    }
  }
  std::filesystem::rename(temporary, file, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    return CannotCreateFile(file);
  }
  return std::nullopt;
}

}  // namespace velto::programs
