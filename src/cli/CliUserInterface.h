#pragma once
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "programs/ui/ScriptedUserInterface.h"

namespace velto::cli {

// The person behind a velto-cli command that drives a form model: the
// command queues the answers its options give (file names, dialog choices,
// --force for Yes), and whatever the form shows goes to stderr as it comes.
// Background tasks run here, with a progress line on stderr when stderr is
// a terminal.
//
// A refusal that moves the focus to a field an option typed into names the
// option ("--thickness: ..."), not the field the window would highlight:
// the command line has no field to point at. A refusal comes as a message
// followed by the focus move, so a message is held until the next output,
// the focus move or the end.
class CliUserInterface final : public programs::ScriptedUserInterface {
 public:
  ~CliUserInterface() override;

  // The option that types into the field with this focus name.
  void NameOption(std::string focusName, std::string option);
  bool NamesOption(std::string_view focusName) const;
  // Prints a held message.
  void Flush();

  void ShowMessage(std::string_view text, programs::MessageIcon icon) override;
  void Focus(std::string_view field) override;
  programs::Answer AskYesNo(std::string_view text, programs::MessageIcon icon) override;
  void Console(std::string_view text) override;
  void RunInBackground(programs::BackgroundTask task) override;

 private:
  std::map<std::string, std::string, std::less<>> options_;
  struct Held {
    std::string text;
    programs::MessageIcon icon;
  };
  std::optional<Held> held_;
};

}  // namespace velto::cli
