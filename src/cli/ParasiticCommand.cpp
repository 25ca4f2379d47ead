// velto-cli parasitic: the parasitic reflections of a cubic back reflection
// with their CMBDP normals and horizontal reference directions.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "programs/parasitic/ParasiticReflections.h"

namespace velto::cli {
namespace {

struct ParasiticOptions {
  std::vector<int> hkl{4, 4, 0};
  bool noDiamond = false;
};

void RunParasitic(const ParasiticOptions& options) {
  const auto result =
      programs::CalculateParasiticReflections(options.hkl[0], options.hkl[1], options.hkl[2], !options.noDiamond);
  if (result.refusal) Refuse(result.refusal->message);
  // The dialog's lines end in CR LF; a terminal wants plain line feeds.
  for (std::size_t at = 0, end; (end = result.text.find("\r\n", at)) != std::string::npos; at = end + 2)
    std::cout << result.text.substr(at, end - at) << '\n';
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
