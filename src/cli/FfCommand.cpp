// velto-cli ff: the atomic scattering-factor dialog driven as a person
// would: choose the element, type the photon energy and θ, press
// "Calculate !". It prints f0, f', f'', f_cmpt, f0 + f' and f'' + f_cmpt.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/CliUserInterface.h"
#include "cli/Command.h"
#include "cli/ElementOption.h"
#include "core/DataDirectory.h"
#include "core/TextNumbers.h"
#include "core/Units.h"
#include "crystal/ElementTable.h"
#include "programs/form_factor/FormFactorForm.h"

namespace velto::cli {
namespace {

using programs::FormFactorForm;
using F = programs::FormFactorField;

struct FfOptions {
  std::string element;
  double energyKev = core::kCuKalpha1Kev;
  double thetaDegrees = 0;
  bool json = false;
};

void RunFf(const FfOptions& options) {
  const int z = ElementFromText(options.element);
  if (z == 0) Refuse(programs::kInvalidElementMessage);

  shell::MainFrameState state;
  state.exeDirectory = core::DataDirectory();
  programs::AppContext app(state);
  FormFactorForm form(app, programs::FormFactorStartOf(state.defaultEnergy, 0, 0, 0, 0), {});
  CliUserInterface ui;
  // Without a crystal the list holds H..U, one row per atomic number.
  form.SelectElement(z - 1);
  form.EnergyEdited(core::FormatGeneral(options.energyKev, 17));
  form.ThetaEdited(core::FormatGeneral(options.thetaDegrees, 17));
  form.Calculate(ui);
  const auto& values = form.Values();
  if (!values) throw ExitStatus{1};  // the dialog or the engine has said why

  const auto text = [&form](F id) { return form.Field(id).text; };
  if (options.json) {
    nlohmann::json out;
    out["element"] = std::string(crystal::ElementTable::Symbol(z));
    out["z"] = z;
    out["energy_kev"] = form.EnergyEv() / core::kEvPerKev;
    out["theta_deg"] = form.ThetaDegrees();
    out["sin_theta_over_lambda"] = programs::SinThetaOverLambda(form.ThetaDegrees(), form.Wavelength());
    out["f0"] = values->f0;
    out["f1"] = values->fPrime;
    out["f2"] = values->fDoublePrime;
    out["f_cmpt"] = values->compton;
    out["f_real"] = values->realPart();
    out["f_imag"] = values->imaginaryPart();
    std::cout << out.dump(2) << '\n';
    return;
  }
  std::cout << "Element:        " << crystal::ElementTable::Symbol(z) << " (Z = " << z << ")\n"
            << "Photon energy:  " << text(F::Energy) << " keV\n"
            << "theta:          " << text(F::Theta) << " deg\n"
            << "sin(theta)/lambda: " << text(F::SinThetaOverLambda) << " 1/Å\n\n"
            << "f0     = " << text(F::F0) << '\n'
            << "f'     = " << text(F::FPrime) << '\n'
            << "f''    = " << text(F::FDoublePrime) << '\n'
            << "f_cmpt = " << text(F::Compton) << '\n'
            << "f = (f0 + f') + i(f'' + f_cmpt) = " << text(F::RealPart) << " + i " << text(F::ImaginaryPart) << '\n';
}

const CommandRegistration kFfCommand("ff", [](CLI::App& app) {
  auto options = std::make_shared<FfOptions>();
  CLI::App* ff = app.add_subcommand("ff", "atomic scattering factor f0, f', f'', f_cmpt of one element");
  ff->add_option("--element", options->element, "element symbol or atomic number")->required();
  ff->add_option("--energy", options->energyKev, "photon energy in keV")->capture_default_str();
  ff->add_option("--theta", options->thetaDegrees, "Bragg angle theta in degrees (0..90)")->capture_default_str();
  ff->add_flag("--json", options->json, "print one JSON object instead of the summary");
  ff->callback([options] { RunFf(*options); });
});

}  // namespace
}  // namespace velto::cli
