#include "cli/CliUserInterface.h"

#include <iostream>

#include "cli/TerminalProgress.h"
#include "programs/ui/FormSession.h"

namespace velto::cli {
using programs::TrimmedMessage;

CliUserInterface::~CliUserInterface() { Flush(); }

void CliUserInterface::NameOption(std::string focusName, std::string option) {
  options_[std::move(focusName)] = std::move(option);
}

bool CliUserInterface::NamesOption(std::string_view focusName) const {
  return options_.find(focusName) != options_.end();
}

void CliUserInterface::Flush() {
  if (!held_) return;
  std::cerr << held_->text << '\n';
  held_.reset();
}

void CliUserInterface::ShowMessage(std::string_view text, programs::MessageIcon icon) {
  Flush();
  ScriptedUserInterface::ShowMessage(text, icon);
  held_ = Held{std::string(TrimmedMessage(text)), icon};
}

void CliUserInterface::Focus(std::string_view field) {
  ScriptedUserInterface::Focus(field);
  if (!held_) return;
  const auto option = options_.find(field);
  if (option != options_.end()) {
    std::cerr << option->second << ": " << held_->text << '\n';
  } else {
    std::cerr << held_->text << '\n';
  }
  held_.reset();
}

programs::Answer CliUserInterface::AskYesNo(std::string_view text, programs::MessageIcon icon) {
  Flush();
  const programs::Answer answer = ScriptedUserInterface::AskYesNo(text, icon);
  std::cerr << TrimmedMessage(text) << (answer == programs::Answer::Yes ? " [yes]" : " [no]") << '\n';
  return answer;
}

void CliUserInterface::Console(std::string_view text) {
  Flush();
  ScriptedUserInterface::Console(text);
  std::cerr << TrimmedMessage(text) << '\n';
}

void CliUserInterface::RunInBackground(programs::BackgroundTask task) {
  Flush();
  tasksRun.push_back(task.title);
  TerminalProgress progress(task.title);
  programs::RunTaskHere(task, *this, progress);
}

}  // namespace velto::cli
