#pragma once
#include <CLI/CLI.hpp>
#include <functional>
#include <string>

#include "core/Notifier.h"
#include "programs/ui/BoundFields.h"

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

// The exit status of a run that finished and wrote its output, but during
// which points failed (a solver without a solution, say): scripts can tell
// it from a clean run (0) and from a refusal or an error (1).
inline constexpr int kPartialRunStatus = 2;

// After the output of a run: when `failed` of its `total` points (0: not
// counted) failed, says so on stderr and ends with kPartialRunStatus; else
// returns.
void EndIfPointsFailed(long failed, long total);

// The number of points of a grid given among the numbers of a list option
// (--dtheta FROM TO N): truncated to an integer, at most kMostGridPoints
// (more would run for days, and the conversion of a larger number is not
// defined), below 0 taken as 0 for the command's own rule of at least 1 or 2.
inline constexpr int kMostGridPoints = 1000000;
int GridPointsOption(double points, std::string_view option);

// A number option as the text of a form field (exact to the last digit).
using programs::FieldText;

// Checks for options whose finite values can still be impossible; CLI11
// puts the option's name before the text ("--temp: a temperature must be
// above 0 K, not \"-5\""). A crystal at 0 K or below has no Debye–Waller
// factor; an angle of many turns is a typing error (the reduction into one
// turn is exact well beyond ten turns, so that 540 still reads as 180).
inline constexpr double kLargestAngleDegrees = 3600;
const CLI::Validator& AboveZeroKelvin();
const CLI::Validator& PlausibleAngle();

// The worker threads of --threads: 0 (the default) for every core the
// process may use; more than that is cut to it with a message, since extra
// threads only share the same cores; a negative count is refused.
int ThreadsOption(int requested, StderrNotifier& notifier);

}  // namespace velto::cli
