#pragma once
#include <string_view>

#include "programs/ui/ScriptedUserInterface.h"

namespace velto::cli {

// The person behind a velto-cli command that drives a form model: the
// command queues the answers its options give (file names, dialog choices,
// --force for Yes), and whatever the form shows goes to stderr as it comes.
// Background tasks run here, with a progress line on stderr when stderr is
// a terminal.
class CliUserInterface final : public programs::ScriptedUserInterface {
 public:
  void ShowMessage(std::string_view text, programs::MessageIcon icon) override;
  programs::Answer AskYesNo(std::string_view text, programs::MessageIcon icon) override;
  void Console(std::string_view text) override;
  void RunInBackground(programs::BackgroundTask task) override;
};

}  // namespace velto::cli
