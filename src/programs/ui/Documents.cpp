#include "programs/ui/Documents.h"

namespace velto::programs {
namespace {

std::string WhyNotOpened(const std::filesystem::path& document) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(document, error)) return "There is no file " + document.string() + ".";
  return "No program of this desktop could show " + document.string() + ".";
}

}  // namespace

void OpenDocumentOrSay(UserInterface& ui, const std::filesystem::path& document, std::string_view cannotOpen) {
  if (ui.OpenDocument(document)) return;
  ui.ShowMessage(std::string(cannotOpen) + "\n" + WhyNotOpened(document));
}

}  // namespace velto::programs
