// velto-cli struct: converts a CIF into a structure file, expanding its
// sites by the space group into every atom of the cell.
#include <CLI/CLI.hpp>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/ElementOption.h"
#include "core/DataDirectory.h"
#include "core/OutputFile.h"
#include "crystal/CifImport.h"
#include "crystal/ElementTable.h"
#include "programs/line_file/LineFile.h"
#include "programs/ui/FormSession.h"

namespace velto::cli {
namespace {

struct StructOptions {
  std::string cif;
  std::string output;
  std::vector<std::string> debye;  // "El=K"
};

std::map<int, double> GivenDebyeTemperatures(const std::vector<std::string>& items) {
  std::map<int, double> given;
  for (const std::string& item : items) {
    const auto equals = item.find('=');
    const int z = equals == std::string::npos ? 0 : ElementFromText(item.substr(0, equals));
    std::size_t used = 0;
    double kelvin = -1;
    try {
      if (z > 0) kelvin = std::stod(item.substr(equals + 1), &used);
    } catch (const std::exception&) {
      kelvin = -1;
    }
    if (z == 0 || used != item.size() - equals - 1 || !(kelvin >= 0) || kelvin > 1e5)
      Refuse("--debye " + item + ": write an element and its Debye temperature in K, as Si=645");
    given[z] = kelvin;
  }
  return given;
}

void RunStruct(const StructOptions& options) {
  const std::filesystem::path path(options.cif);
  auto read = crystal::ReadCifFile(path);
  if (auto* reason = std::get_if<std::string>(&read)) Refuse(path.string() + ": " + *reason);
  crystal::CifCrystal& crystal = std::get<crystal::CifCrystal>(read);
  const auto missing = crystal::ResolveDebyeTemperatures(crystal, GivenDebyeTemperatures(options.debye));
  for (const std::string& note : crystal.notes) std::cerr << note << '\n';
  if (!missing.empty())
    Refuse(path.string() + ": " + crystal::MissingDebyeMessage(missing) + "; give it with --debye, as --debye " +
           std::string(crystal::ElementTable::Symbol(missing.front())) + "=<K>");

  // What is written must load in every program: read it back first.
  const std::string text = crystal::FormatStructFile(crystal.description);
  std::istringstream in(text);
  crystal::CrystalStructure structure;
  crystal::StructFileFailure failure;
  StderrNotifier notifier;
  if (!crystal::ReadStructFile(structure, in, crystal::kCifDefaultTemperature, core::DataDirectory(), notifier,
                               &failure))
    Refuse(path.string() + ": the converted structure cannot be used: " + failure.Describe());

  if (options.output.empty()) {
    std::cout << text;
  } else if (!core::WriteOutputFile(options.output, text).Ok()) {
    Refuse(programs::CannotCreateFile(options.output).message);
  }
}

const CommandRegistration kStructCommand("struct", [](CLI::App& app) {
  auto options = std::make_shared<StructOptions>();
  CLI::App* command = app.add_subcommand("struct", "convert a CIF into a structure file (*.struct)");
  command->add_option("--cif", options->cif, "the CIF to read")->required();
  command->add_option("-o,--output", options->output, "the structure file to write (default: standard output)");
  command->add_option("--debye", options->debye,
                      "Debye temperature of an element, as Si=645 (K); before the CIF's and the table's values");
  command->callback([options] { RunStruct(*options); });
});

}  // namespace
}  // namespace velto::cli
