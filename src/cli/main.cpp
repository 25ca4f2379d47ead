// velto-cli: the suite's computations for scripts and batch jobs.
#include <signal.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <iostream>

#include "cli/Command.h"
#include "cli/ProcessGroup.h"
#include "core/ProcessSetup.h"

namespace {

// Whether what the program printed reached its standard output. A reader that
// quit (`velto-cli ... | head -1`) or a full disk is a failure to report:
// with SIGPIPE ignored nothing else would tell.
bool StandardOutputWritten() {
  errno = 0;
  std::cout.flush();
  if (std::cout) return true;
  const int error = errno;
  std::cerr << "Cannot write to the standard output"
            << (error != 0 ? std::string(": ") + std::strerror(error) : std::string()) << ".\n";
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  velto::cli::JoinProcessGroup(argc, argv);
  velto::core::SetUpComputingProcess();
  // A pipe whose reader has quit must fail the write that meets it, so that
  // the writer can say so and end with status 1; the default action would
  // end the program silently (status 141) halfway through its output.
  ::signal(SIGPIPE, SIG_IGN);
  CLI::App app{"VELTO command-line tool: dynamical X-ray diffraction of perfect crystals", "velto-cli"};
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("velto-cli 4.0.15"));
  velto::cli::AddRegisteredCommands(app);
  int status = 0;
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    // Help and version end with 0; every wrong option is a refusal like the
    // program's own, with status 1 (CLI11's own codes are not documented).
    status = app.exit(error) == 0 ? 0 : 1;
  } catch (const velto::cli::ExitStatus& exit) {
    status = exit.code;
  }
  if (!StandardOutputWritten() && status != 1) status = 1;
  return velto::cli::LeaveProcessGroup(status);
}
