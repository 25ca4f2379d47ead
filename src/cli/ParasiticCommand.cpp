// velto-cli parasitic: the parasitic-reflection tool's "Calculate": the
// parasitic reflections of a cubic back reflection with their CMBDP normals
// and horizontal reference directions.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/CliUserInterface.h"
#include "cli/Command.h"
#include "programs/parasitic/ParasiticForm.h"

namespace velto::cli {
namespace {

using F = programs::ParasiticField;

struct ParasiticOptions {
  std::vector<int> hkl{4, 4, 0};
  bool noDiamond = false;
};

void RunParasitic(const ParasiticOptions& options) {
  programs::ParasiticForm form;
  form.Field(F::H).text = std::to_string(options.hkl[0]);
  form.Field(F::K).text = std::to_string(options.hkl[1]);
  form.Field(F::L).text = std::to_string(options.hkl[2]);
  form.Field(F::DiamondStructure).checked = !options.noDiamond;
  CliUserInterface ui;
  form.Calculate(ui);
  if (!ui.messages.empty()) throw ExitStatus{1};  // refused, and said why
  // The dialog's lines end in CR LF; a terminal wants plain line feeds.
  const std::string& text = form.Field(F::Output).text;
  for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
    std::cout << text.substr(at, end - at) << '\n';
}

const CommandRegistration kParasiticCommand("parasitic", [](CLI::App& app) {
  auto options = std::make_shared<ParasiticOptions>();
  CLI::App* parasitic =
      app.add_subcommand("parasitic", "parasitic reflections and CMBDPs of a back reflection from a cubic crystal");
  parasitic->add_option("--hkl", options->hkl, "primary reflection H K L")->expected(3)->capture_default_str();
  parasitic->add_flag("--no-diamond", options->noDiamond, "keep reflections forbidden in the diamond structure");
  parasitic->callback([options] { RunParasitic(*options); });
});

}  // namespace
}  // namespace velto::cli
