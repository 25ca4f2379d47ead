#include "cli/Command.h"

#include <omp.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <iostream>
#include <map>

#include "core/TextNumbers.h"
#include "programs/crystal_dialog/ReflectionChecks.h"
#include "programs/ui/FormSession.h"

namespace velto::cli {
namespace {
std::map<std::string, CommandSetup>& Registry() {
  static std::map<std::string, CommandSetup> registry;
  return registry;
}

// Every numeric option, whatever command declares it, refuses a value that
// reads as infinity or not-a-number: no computation can use one, and the
// conversions would otherwise pass it on (nan) or turn it into a limit.
void RefuseNonFiniteNumbers(CLI::App& command) {
  static const CLI::Validator kFinite(
      [](std::string& text) -> std::string {
        if (core::ReadsAsNonFinite(text)) return "\"" + text + "\" is not a finite number";
        return {};
      },
      "", "FINITE");
  for (CLI::Option* option : command.get_options()) {
    const std::string type = option->get_type_name();
    if (type.find("FLOAT") != std::string::npos || type.find("INT") != std::string::npos) option->check(kFinite);
  }
  for (CLI::App* sub : command.get_subcommands([](CLI::App*) { return true; })) RefuseNonFiniteNumbers(*sub);
}

}  // namespace

CommandRegistration::CommandRegistration(std::string name, CommandSetup setup) {
  Registry().emplace(std::move(name), std::move(setup));
}

void AddRegisteredCommands(CLI::App& app) {
  for (auto& [name, setup] : Registry()) setup(app);
  RefuseNonFiniteNumbers(app);
}

void StderrNotifier::Notify(std::string_view text, core::MessageIcon) {
  any_ = true;
  std::cerr << programs::TrimmedMessage(text) << '\n';
}

void StderrNotifier::Console(std::string_view text) { std::cerr << programs::TrimmedMessage(text) << '\n'; }

void Refuse(std::string_view message) {
  std::cerr << programs::TrimmedMessage(message) << '\n';
  throw ExitStatus{1};
}

void EndIfPointsFailed(long failed, long total) {
  if (failed <= 0) return;
  std::cout.flush();
  std::cerr << programs::FailedPointsMessage(failed, total) << '\n';
  throw ExitStatus{kPartialRunStatus};
}

int GridPointsOption(double points, std::string_view option) {
  if (!(points <= kMostGridPoints))
    Refuse(std::string(option) + ": at most " + std::to_string(kMostGridPoints) + " points, not " +
           core::FormatGeneral(points) + ".");
  return static_cast<int>(std::max(points, 0.0));
}

namespace {

// The number an option's text gives, as the option will read it; none for a
// text without one (CLI11's conversion then refuses it in its own words).
// Infinities and not-a-number are left to the check of every numeric option.
std::optional<double> OptionNumber(const std::string& text) {
  try {
    return std::stod(text);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace

const CLI::Validator& AboveZeroKelvin() {
  static const CLI::Validator kValidator(
      [](std::string& text) -> std::string {
        // What is not a finite number is the other checks' to refuse.
        const auto kelvin = OptionNumber(text);
        if (!kelvin || !std::isfinite(*kelvin)) return {};
        return programs::CheckTemperature(*kelvin, text).value_or(std::string());
      },
      "", "ABOVE_0_K");
  return kValidator;
}

const CLI::Validator& PlausibleAngle() {
  static const CLI::Validator kValidator(
      [](std::string& text) -> std::string {
        const auto degrees = OptionNumber(text);
        if (degrees && std::isfinite(*degrees) && !(std::fabs(*degrees) <= kLargestAngleDegrees))
          return "an angle must lie within -" + core::FormatGeneral(kLargestAngleDegrees) + " ... " +
                 core::FormatGeneral(kLargestAngleDegrees) + " degrees, not \"" + text + "\"";
        return {};
      },
      "", "ANGLE");
  return kValidator;
}

int ThreadsOption(int requested, StderrNotifier& notifier) {
  if (requested < 0) Refuse("--threads: the number of threads cannot be negative.");
  const int cores = std::max(omp_get_num_procs(), 1);
  if (requested > cores) {
    notifier.Notify("--threads " + std::to_string(requested) + ": this machine has " + std::to_string(cores) +
                        " cores; using " + std::to_string(cores) + " threads.",
                    core::MessageIcon::Information);
    return cores;
  }
  return requested;
}

}  // namespace velto::cli
