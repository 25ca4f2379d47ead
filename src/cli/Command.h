#pragma once
#include <CLI/CLI.hpp>
#include <functional>
#include <string>

#include "core/Notifier.h"

namespace velto::cli {

// Each subcommand lives in its own file and registers itself here with a
// static CommandRegistration; main() adds them all to the application.
// `setup` declares the subcommand's options and its callback.
using CommandSetup = std::function<void(CLI::App& app)>;

struct CommandRegistration {
  CommandRegistration(std::string name, CommandSetup setup);
};

void AddRegisteredCommands(CLI::App& app);

// Messages of the numerical layers go to stderr, one per line.
class StderrNotifier final : public core::Notifier {
 public:
  void Notify(std::string_view text, core::MessageIcon icon) override;
  void Console(std::string_view text) override;
  bool AnyNotice() const { return any_; }

 private:
  bool any_ = false;
};

// Thrown by a subcommand to end the program with the given status after its
// message has been printed.
struct ExitStatus {
  int code;
};

// Prints a refusal of the program (its own message text) and ends with status 1.
[[noreturn]] void Refuse(std::string_view message);

}  // namespace velto::cli
