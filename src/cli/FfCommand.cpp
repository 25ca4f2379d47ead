// velto-cli ff: the atomic scattering-factor dialog's "Calculate !": f0,
// f', f'', f_cmpt, f0 + f' and f'' + f_cmpt of one element from the
// Brennan–Cowan engine.
#include <CLI/CLI.hpp>
#include <cmath>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/Command.h"
#include "cli/ElementOption.h"
#include "core/DataDirectory.h"
#include "core/Units.h"
#include "crystal/ElementTable.h"
#include "crystal/StructFactor.h"
#include "programs/form_factor/FormFactorCalculation.h"
#include "shell/NumberText.h"

namespace velto::cli {
namespace {

struct FfOptions {
  std::string element;
  double energyKev = core::kCuKalpha1Kev;
  double thetaDegrees = 0;
  bool json = false;
};

void RunFf(const FfOptions& options) {
  StderrNotifier notifier;
  const int z = ElementFromText(options.element);
  if (z == 0) Refuse(programs::kInvalidElementMessage);
  if (!std::isfinite(options.energyKev)) Refuse(programs::kInvalidEnergyMessage);
  if (const auto refusal = programs::CheckFormFactorEnergy(options.energyKev)) Refuse(refusal->message);
  if (!std::isfinite(options.thetaDegrees)) Refuse("The angle must be a number of degrees.");
  const double theta = programs::ClampedTheta(options.thetaDegrees);
  const double wavelength = core::kHcKevAngstrom / options.energyKev;

  const auto engine = crystal::CreateStructFactor(core::DataDirectory(), notifier);
  if (!engine) throw ExitStatus{1};
  const auto values =
      programs::CalculateFormFactor(*engine, z, options.energyKev * core::kEvPerKev, theta, wavelength, notifier);
  if (!values) throw ExitStatus{1};  // the engine has said why
  const double sinThetaOverLambda = programs::SinThetaOverLambda(theta, wavelength);

  if (options.json) {
    nlohmann::json out;
    out["element"] = std::string(crystal::ElementTable::Symbol(z));
    out["z"] = z;
    out["energy_kev"] = options.energyKev;
    out["theta_deg"] = theta;
    out["sin_theta_over_lambda"] = sinThetaOverLambda;
    out["f0"] = values->f0;
    out["f1"] = values->fPrime;
    out["f2"] = values->fDoublePrime;
    out["f_cmpt"] = values->compton;
    out["f_real"] = values->realPart();
    out["f_imag"] = values->imaginaryPart();
    std::cout << out.dump(2) << '\n';
    return;
  }
  const auto n = [](double x) { return shell::FormatNumber(x, 8); };
  std::cout << "Element:        " << crystal::ElementTable::Symbol(z) << " (Z = " << z << ")\n"
            << "Photon energy:  " << n(options.energyKev) << " keV\n"
            << "theta:          " << n(theta) << " deg\n"
            << "sin(theta)/lambda: " << n(sinThetaOverLambda) << " 1/Å\n\n"
            << "f0     = " << n(values->f0) << '\n'
            << "f'     = " << n(values->fPrime) << '\n'
            << "f''    = " << n(values->fDoublePrime) << '\n'
            << "f_cmpt = " << n(values->compton) << '\n'
            << "f = (f0 + f') + i(f'' + f_cmpt) = " << n(values->realPart()) << " + i " << n(values->imaginaryPart())
            << '\n';
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
