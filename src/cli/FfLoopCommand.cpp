// velto-cli ffloop: the looping export of the form-factor tool: a table of
// f', f'', f_cmpt against energy, or of f0 against angle, for one element.
#include <CLI/CLI.hpp>
#include <cmath>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "cli/Command.h"
#include "cli/ElementOption.h"
#include "core/DataDirectory.h"
#include "core/Units.h"
#include "crystal/StructFactor.h"
#include "programs/form_factor/FormLoopExport.h"

namespace velto::cli {
namespace {

struct FfLoopOptions {
  std::string element;
  std::string mode = "energy";
  std::optional<double> from, to, step;
  double energyKev = core::kCuKalpha1Kev;  // sets λ of the angle mode
  std::string output;
};

void RunFfLoop(const FfLoopOptions& options) {
  StderrNotifier notifier;
  const int z = ElementFromText(options.element);
  if (z == 0) Refuse("Invalid elment!  ");
  if (!(options.energyKev > 0) || !std::isfinite(options.energyKev))
    Refuse("Invalid wavelength or energy value!   ");
  const auto mode = options.mode == "angle" ? programs::FormLoopMode::Angle : programs::FormLoopMode::Energy;
  programs::FormLoopRange range = programs::DefaultFormLoopRange(mode);
  if (options.from) range.from = *options.from;
  if (options.to) range.to = *options.to;
  if (options.step) range.step = *options.step;
  const double wavelength = core::kHcKevAngstrom / options.energyKev;
  if (const auto refusal = programs::CheckFormLoopRange(range, wavelength)) Refuse(refusal->message);

  const auto engine = crystal::CreateStructFactor(core::DataDirectory(), notifier);
  if (!engine) throw ExitStatus{1};
  const auto outcome = programs::ExportFormLoop(*engine, z, wavelength, range, options.output, notifier);
  if (!outcome.written) Refuse(outcome.message);
  std::cout << outcome.message << " " << outcome.lines << " lines written to " << options.output << '\n';
}

const CommandRegistration kFfLoopCommand("ffloop", [](CLI::App& app) {
  auto options = std::make_shared<FfLoopOptions>();
  CLI::App* loop = app.add_subcommand("ffloop", "table of f', f'', f_cmpt against energy or of f0 against angle");
  loop->add_option("--element", options->element, "element symbol or atomic number")->required();
  loop->add_option("--mode", options->mode, "energy (keV) or angle (degrees)")
      ->check(CLI::IsMember({"energy", "angle"}))
      ->capture_default_str();
  loop->add_option("--from", options->from, "first point (default 5 keV or 0 deg)");
  loop->add_option("--to", options->to, "end of the range (default 20 keV or 90 deg)");
  loop->add_option("--step", options->step, "step (default 0.1 keV or 1 deg)");
  loop->add_option("--energy", options->energyKev, "photon energy in keV of the angle mode")->capture_default_str();
  loop->add_option("-o,--output", options->output, "data file to write")->required();
  loop->callback([options] { RunFfLoop(*options); });
});

}  // namespace
}  // namespace velto::cli
