#pragma once
#include <filesystem>
#include <string>
#include <string_view>

#include "programs/ui/UserInterface.h"

namespace velto::programs {

// Opens a document of the suite (the manual, a reference) with the
// desktop's program for it. Where that cannot be done the person sees
// `cannotOpen`, the program's own words, and on a line of its own why, with
// the file's full path.
void OpenDocumentOrSay(UserInterface& ui, const std::filesystem::path& document, std::string_view cannotOpen);

}  // namespace velto::programs
