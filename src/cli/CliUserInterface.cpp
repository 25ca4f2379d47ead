#include "cli/CliUserInterface.h"

#include <iostream>

#include "cli/TerminalProgress.h"

namespace velto::cli {
namespace {

// Message texts of the program may carry the padding and line feeds of the
// message boxes; a terminal line reads better without them.
std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \n\r\t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \n\r\t");
  return text.substr(first, last - first + 1);
}

}  // namespace

void CliUserInterface::ShowMessage(std::string_view text, programs::MessageIcon icon) {
  ScriptedUserInterface::ShowMessage(text, icon);
  std::cerr << Trimmed(text) << '\n';
}

programs::Answer CliUserInterface::AskYesNo(std::string_view text, programs::MessageIcon icon) {
  const programs::Answer answer = ScriptedUserInterface::AskYesNo(text, icon);
  std::cerr << Trimmed(text) << (answer == programs::Answer::Yes ? " [yes]" : " [no]") << '\n';
  return answer;
}

void CliUserInterface::Console(std::string_view text) {
  ScriptedUserInterface::Console(text);
  std::cerr << Trimmed(text) << '\n';
}

void CliUserInterface::RunInBackground(programs::BackgroundTask task) {
  tasksRun.push_back(task.title);
  TerminalProgress progress(task.title);
  programs::RunTaskHere(task, *this, progress);
}

}  // namespace velto::cli
