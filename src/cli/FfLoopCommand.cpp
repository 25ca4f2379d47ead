// velto-cli ffloop: the looping export of the form-factor tool, reached as
// in the window: the form-factor dialog with the element and the photon
// energy, its "&Loop..." button, then the loop dialog's mode, range and
// "Ex&port Data...". A table of f', f'', f_cmpt against energy, or of f0
// against angle.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "cli/CliUserInterface.h"
#include "cli/Command.h"
#include "cli/ElementOption.h"
#include "core/DataDirectory.h"
#include "core/TextNumbers.h"
#include "core/Units.h"
#include "programs/form_factor/FormFactorForm.h"
#include "programs/form_factor/FormLoopForm.h"

namespace velto::cli {
namespace {

using F = programs::FormLoopField;

struct FfLoopOptions {
  std::string element;
  std::string mode = "energy";
  // None: what the dialog shows for the mode.
  std::optional<double> from, to, step;
  double energyKev = core::kCuKalpha1Kev;  // sets λ of the angle mode
  std::string output;
};

void RunFfLoop(const FfLoopOptions& options) {
  const int z = ElementFromText(options.element);
  if (z == 0) Refuse(programs::kInvalidElementMessage);

  shell::MainFrameState state;
  state.exeDirectory = core::DataDirectory();
  programs::AppContext app(state);
  programs::FormFactorForm form(app, programs::FormFactorStartOf(state.defaultEnergy, 0, 0, 0, 0), {});
  CliUserInterface ui;
  form.SelectElement(z - 1);
  form.EnergyEdited(core::FormatGeneral(options.energyKev, 17));

  std::optional<programs::FormLoopOutcome> outcome;
  ui.QueueSaveFile(std::filesystem::path(options.output));
  ui.QueueDialog<programs::FormLoopForm>([&](programs::FormLoopForm& loop, programs::UserInterface& inner) {
    // The dialog opens in energy mode; the radio of the other mode sets
    // its own range.
    if (options.mode == "angle") loop.SetMode(programs::FormLoopMode::Angle);
    if (options.from) loop.Field(F::From).text = core::FormatGeneral(*options.from, 17);
    if (options.to) loop.Field(F::To).text = core::FormatGeneral(*options.to, 17);
    if (options.step) loop.Field(F::Step).text = core::FormatGeneral(*options.step, 17);
    loop.Export(inner);
    outcome = loop.LastExport();
    return programs::DialogResult::Cancel;
  });
  form.Loop(ui);
  if (!outcome || !outcome->written) throw ExitStatus{1};  // the dialogs have said why
  std::cout << outcome->lines << " lines written to " << options.output << '\n';
}

const CommandRegistration kFfLoopCommand("ffloop", [](CLI::App& app) {
  auto options = std::make_shared<FfLoopOptions>();
  CLI::App* loop = app.add_subcommand("ffloop", "table of f', f'', f_cmpt against energy or of f0 against angle");
  loop->add_option("--element", options->element, "element symbol or atomic number")->required();
  loop->add_option("--mode", options->mode, "energy (keV) or angle (degrees)")
      ->check(CLI::IsMember({"energy", "angle"}))
      ->capture_default_str();
  loop->add_option("--from", options->from, "first point (default 0.1 keV or 0 deg)");
  loop->add_option("--to", options->to, "end of the range (default 20 keV or 90 deg)");
  loop->add_option("--step", options->step, "step (default 0.1 keV or 1 deg)");
  loop->add_option("--energy", options->energyKev, "photon energy in keV of the angle mode")->capture_default_str();
  loop->add_option("-o,--output", options->output, "data file to write")->required();
  loop->callback([options] { RunFfLoop(*options); });
});

}  // namespace
}  // namespace velto::cli
