// velto-cli chi: d-spacing, Bragg angle, the five chi components, structure
// factors and absorption of one reflection, computed as the crystal
// definition does when the person presses "Calculate".
#include <CLI/CLI.hpp>
#include <cmath>
#include <complex>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/CrystalOption.h"
#include "core/Units.h"
#include "crystal/Bragg.h"
#include "crystal/CrystalStructure.h"
#include "crystal/Susceptibility.h"
#include "programs/crystal_dialog/ReflectionChecks.h"
#include "shell/NumberText.h"

namespace velto::cli {
namespace {

struct ChiOptions {
  std::string structFile;  // empty: the silicon example of the data directory
  double energyKev = core::kCuKalpha1Kev;
  std::vector<int> hkl{1, 1, 1};
  double temperature = 293.15;
  bool json = false;
};

struct ChiResult {
  std::string name;
  double energyEv = 0;
  double temperature = 0;
  int h = 0, k = 0, l = 0;
  double d = 0;
  std::optional<double> braggAngle;  // radians
  crystal::ReflectionChi chi;
  std::complex<double> f0, fh, fmh;
  double mu = 0;  // µm⁻¹
};

std::string Complex(std::complex<double> z, int decimals) {
  const std::string sign = std::signbit(z.imag()) ? " - " : " + ";
  return shell::FormatNumber(z.real(), decimals) + sign + shell::FormatNumber(std::fabs(z.imag()), decimals) + "i";
}

nlohmann::json Pair(std::complex<double> z) { return nlohmann::json::array({z.real(), z.imag()}); }

void PrintJson(const ChiResult& r) {
  nlohmann::json out;
  out["d"] = r.d;
  out["theta_b_deg"] = r.braggAngle ? *r.braggAngle / core::kDegree : 90.0;
  out["bragg"] = r.braggAngle.has_value();
  out["chi0"] = Pair(r.chi.chi0);
  out["chih"] = Pair(r.chi.chih);
  out["chimh"] = Pair(r.chi.chimh);
  out["chihp"] = Pair(r.chi.chihPi);
  out["chimhp"] = Pair(r.chi.chimhPi);
  out["f0"] = Pair(r.f0);
  out["fh"] = Pair(r.fh);
  out["fmh"] = Pair(r.fmh);
  out["mu_per_um"] = r.mu;
  // A crystal without absorption has no finite depth; JSON has no infinity.
  out["penetration_um"] = r.mu > 0 ? nlohmann::json(1.0 / r.mu) : nlohmann::json(nullptr);
  std::cout << out.dump(2) << '\n';
}

void PrintSummary(const ChiResult& r) {
  std::cout << "Crystal:            " << r.name << '\n'
            << "Photon energy:      " << shell::FormatNumber(r.energyEv / core::kEvPerKev) << " keV\n"
            << "Temperature:        " << shell::FormatNumber(r.temperature) << " K\n"
            << "Reflection h k l:   " << r.h << ' ' << r.k << ' ' << r.l << '\n'
            << "d-spacing:          " << shell::FormatNumber(r.d) << " Å\n"
            << "Bragg angle:        "
            << (r.braggAngle ? shell::FormatNumber(*r.braggAngle / core::kDegree) + " °" : std::string("90 (O)"))
            << "\n\nChi components (x 10^-6):\n";
  const char* labels[] = {"chi0   ", "chih   ", "chi-h  ", "chihp  ", "chi-hp "};
  for (std::size_t i = 0; i < crystal::ReflectionChi::kComponents; ++i)
    std::cout << "  " << labels[i] << " = " << Complex(r.chi[i] * 1e6, 5) << '\n';
  std::cout << "\nStructure factors:\n"
            << "  F0  = " << Complex(r.f0, 8) << '\n'
            << "  Fh  = " << Complex(r.fh, 8) << '\n'
            << "  F-h = " << Complex(r.fmh, 8) << "\n\n"
            << "Linear absorption coefficient: " << shell::FormatNumber(r.mu) << " µm^-1\n"
            << "Penetration depth:             "
            << (r.mu > 0 ? shell::FormatNumber(1.0 / r.mu) + " µm" : std::string("infinite")) << '\n';
}

void RunChi(const ChiOptions& options) {
  StderrNotifier notifier;
  ChiResult r;
  r.energyEv = options.energyKev * core::kEvPerKev;
  if (auto refusal = programs::CheckPhotonEnergy(r.energyEv)) Refuse(*refusal);
  r.temperature = options.temperature;
  crystal::CrystalStructure structure = LoadStructOption(options.structFile, r.temperature, notifier);
  r.name = structure.name;
  CheckHkl(options.hkl);
  r.h = options.hkl[0];
  r.k = options.hkl[1];
  r.l = options.hkl[2];

  r.d = structure.DSpacing(r.h, r.k, r.l);
  r.braggAngle = crystal::BraggAngle(r.energyEv, r.d);
  if (programs::TooSmallForBragg(core::WavelengthOf(r.energyEv) / (2 * r.d)))
    notifier.Notify(programs::kTooSmallForBraggMessage, core::MessageIcon::Warning);
  if (auto refusal = programs::CheckAtomicDataEnergy(r.energyEv)) Refuse(*refusal);

  r.chi = crystal::ComputeReflectionChi(structure, r.energyEv, r.h, r.k, r.l, notifier);
  // The atomic data have already said why (an energy outside their tables).
  if (r.chi.Failed()) throw ExitStatus{1};

  const double chiPerF = crystal::ChiPerStructureFactor(structure, r.energyEv);
  r.f0 = r.chi.chi0 / chiPerF;
  r.fh = r.chi.chih / chiPerF;
  r.fmh = r.chi.chimh / chiPerF;
  r.mu = crystal::AbsorptionOf(r.chi.chi0.imag(), r.energyEv);

  if (options.json) {
    PrintJson(r);
  } else {
    PrintSummary(r);
  }
}

const CommandRegistration kChiCommand("chi", [](CLI::App& app) {
  auto options = std::make_shared<ChiOptions>();
  CLI::App* chi = app.add_subcommand(
      "chi", "d-spacing, Bragg angle, chi components, structure factors and absorption of one reflection");
  chi->add_option("--struct", options->structFile, "crystal structure file (default: Silicon.struct of the data)");
  chi->add_option("--energy", options->energyKev, "photon energy in keV")->capture_default_str();
  chi->add_option("--hkl", options->hkl, "reflection indices H K L")->expected(3)->capture_default_str();
  chi->add_option("--temp", options->temperature, "crystal temperature in K")
      ->check(AboveZeroKelvin())
      ->capture_default_str();
  chi->add_flag("--json", options->json, "print one JSON object instead of the summary");
  chi->callback([options] { RunChi(*options); });
});

}  // namespace
}  // namespace velto::cli
