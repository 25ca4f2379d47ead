// velto-cli: the suite's computations for scripts and batch jobs.
#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/Command.h"
#include "core/ProcessSetup.h"

int main(int argc, char** argv) {
  velto::core::SetUpComputingProcess();
  CLI::App app{"VELTO command-line tool: dynamical X-ray diffraction of perfect crystals", "velto-cli"};
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("velto-cli 4.0.15"));
  velto::cli::AddRegisteredCommands(app);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    // Help and version end with 0; every wrong option is a refusal like the
    // program's own, with status 1 (CLI11's own codes are not documented).
    return app.exit(error) == 0 ? 0 : 1;
  } catch (const velto::cli::ExitStatus& status) {
    return status.code;
  }
  return 0;
}
