#include "cli/Command.h"

#include <iostream>
#include <map>

namespace velto::cli {
namespace {
std::map<std::string, CommandSetup>& Registry() {
  static std::map<std::string, CommandSetup> registry;
  return registry;
}

// Message texts of the program may carry the padding and line feeds of the
// message boxes; a terminal line reads better without them.
std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \n\r\t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \n\r\t");
  return text.substr(first, last - first + 1);
}
}  // namespace

CommandRegistration::CommandRegistration(std::string name, CommandSetup setup) {
  Registry().emplace(std::move(name), std::move(setup));
}

void AddRegisteredCommands(CLI::App& app) {
  for (auto& [name, setup] : Registry()) setup(app);
}

void StderrNotifier::Notify(std::string_view text, core::MessageIcon) {
  any_ = true;
  std::cerr << Trimmed(text) << '\n';
}

void StderrNotifier::Console(std::string_view text) { std::cerr << Trimmed(text) << '\n'; }

void Refuse(std::string_view message) {
  std::cerr << Trimmed(message) << '\n';
  throw ExitStatus{1};
}

}  // namespace velto::cli
