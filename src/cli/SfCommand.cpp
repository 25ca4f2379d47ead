// velto-cli sf: the structure-factor program's "Calculate !!!" on a
// structure file: F0, F_h, F_−h and their π values with moduli and phases,
// χ, absorption and penetration depth from the Brennan–Cowan engine, and
// the text "Copy Chi to Clipboard" would place on the clipboard.
#include <CLI/CLI.hpp>
#include <cmath>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/CrystalOption.h"
#include "core/DataDirectory.h"
#include "core/Units.h"
#include "crystal/StructFactor.h"
#include "crystal/Susceptibility.h"
#include "programs/structure_factor/StructureFactorCalculation.h"
#include "shell/NumberText.h"

namespace velto::cli {
namespace {

struct SfOptions {
  std::string structFile;  // empty: the silicon example of the data directory
  double energyKev = core::kCuKalpha1Kev;
  double temperature = 293.15;
  std::vector<int> hkl{1, 1, 1};
  bool json = false;
};

const char* const kNames[] = {"F0", "Fh", "F-h", "Fh_pi", "F-h_pi"};
const char* const kChiNames[] = {"chi0", "chih", "chimh", "chihp", "chimhp"};

nlohmann::json Pair(std::complex<double> z) { return nlohmann::json::array({z.real(), z.imag()}); }

std::string Fixed(double x, int decimals) { return shell::FormatNumber(x, decimals); }

void RunSf(const SfOptions& options) {
  StderrNotifier notifier;
  const double energy = options.energyKev * core::kEvPerKev;
  if (!(energy > 0) || !std::isfinite(energy)) Refuse("The photon energy must be a positive number of keV.");
  const double temperature = TemperatureOption(options.temperature);
  CheckHkl(options.hkl, AllZeroHkl::Accept);  // 0 0 0: the forward structure factor only

  // The program has one message for a file it cannot use, whatever is wrong with it.
  crystal::CrystalStructure structure = LoadStructOption(
      options.structFile, temperature, notifier,
      {.unreadable = programs::kImportStructureFirstMessage, .undefined = programs::kImportStructureFirstMessage});

  const auto engine = crystal::CreateStructFactor(core::DataDirectory(), notifier);
  if (!engine) throw ExitStatus{1};  // its creation message is printed

  const int h = options.hkl[0], k = options.hkl[1], l = options.hkl[2];
  const auto r = programs::CalculateStructureFactors(*engine, structure, energy, temperature, h, k, l, notifier);
  if (r.notice) notifier.Notify(*r.notice, core::MessageIcon::None);
  if (r.failed) throw ExitStatus{1};  // the engine has said why

  std::vector<std::complex<double>> f = {r.f0}, chi = {r.chi0};
  if (r.reflection) {
    f.insert(f.end(), r.reflection->structureFactor.begin(), r.reflection->structureFactor.end());
    chi.insert(chi.end(), r.reflection->chi.begin(), r.reflection->chi.end());
  }
  const std::string clipboard = programs::ChiClipboardText(programs::ShownChi(r));

  if (options.json) {
    nlohmann::json out;
    out["crystal"] = structure.name;
    out["energy_kev"] = options.energyKev;
    out["temperature_k"] = temperature;
    out["hkl"] = {h, k, l};
    out["d"] = r.reflectionRequested ? nlohmann::json(r.dSpacing) : nlohmann::json(nullptr);
    out["theta_b_deg"] = r.braggAngle ? nlohmann::json(*r.braggAngle / core::kDegree) : nlohmann::json(nullptr);
    for (std::size_t i = 0; i < f.size(); ++i) {
      const auto polar = crystal::ModulusPhase(f[i]);
      out["structure_factors"][kNames[i]] = {{"value", Pair(f[i])},
                                             {"modulus", polar.modulus},
                                             {"phase_deg", polar.phaseDegrees}};
      out["chi"][kChiNames[i]] = Pair(chi[i]);
    }
    out["mu_per_um"] = r.absorption;
    out["penetration_um"] = r.penetrationDepth ? nlohmann::json(*r.penetrationDepth) : nlohmann::json(nullptr);
    out["clipboard"] = clipboard;
    std::cout << out.dump(2) << '\n';
    return;
  }
  std::cout << "Crystal:          " << structure.name << '\n'
            << "Photon energy:    " << Fixed(options.energyKev, 8) << " keV\n"
            << "Temperature:      " << Fixed(temperature, 8) << " K\n"
            << "Reflection h k l: " << h << ' ' << k << ' ' << l << '\n';
  if (r.reflectionRequested) {
    std::cout << "d-spacing:        " << Fixed(r.dSpacing, 8) << " Å\n"
              << "Bragg angle:      "
              << (r.braggAngle ? Fixed(*r.braggAngle / core::kDegree, 8) + " °" : std::string(programs::kNoDiffractionText))
              << '\n';
  }
  std::cout << "\nStructure factors (modulus, phase in degrees):\n";
  for (std::size_t i = 0; i < f.size(); ++i) {
    const auto polar = crystal::ModulusPhase(f[i]);
    std::cout << "  " << kNames[i] << std::string(8 - std::string(kNames[i]).size(), ' ') << Fixed(polar.modulus, 5)
              << "   " << Fixed(polar.phaseDegrees, 5) << '\n';
  }
  std::cout << "\nFourier components of susceptibility (x 10^-6):\n";
  for (std::size_t i = 0; i < chi.size(); ++i) {
    std::cout << "  " << kChiNames[i] << std::string(8 - std::string(kChiNames[i]).size(), ' ')
              << Fixed(chi[i].real() * 1e6, 5) << (std::signbit(chi[i].imag()) ? " - " : " + ")
              << Fixed(std::fabs(chi[i].imag()) * 1e6, 5) << "i\n";
  }
  std::cout << "\nLinear absorption: " << Fixed(r.absorption, 5) << " µm^-1\n"
            << "Penetration depth: "
            << (r.penetrationDepth ? Fixed(*r.penetrationDepth, 5) + " µm" : std::string("infinite")) << "\n\n"
            << "Chi for the clipboard:\n";
  for (std::size_t at = 0, end; (end = clipboard.find("\r\n", at)) != std::string::npos; at = end + 2)
    std::cout << "  " << clipboard.substr(at, end - at) << '\n';
}

const CommandRegistration kSfCommand("sf", [](CLI::App& app) {
  auto options = std::make_shared<SfOptions>();
  CLI::App* sf = app.add_subcommand("sf", "Brennan-Cowan structure factors, chi, absorption and penetration depth");
  sf->add_option("--struct", options->structFile, "crystal structure file (default: Silicon.struct of the data)");
  sf->add_option("--energy", options->energyKev, "photon energy in keV")->capture_default_str();
  sf->add_option("--temp", options->temperature, "crystal temperature in K")->capture_default_str();
  sf->add_option("--hkl", options->hkl, "reflection indices H K L (0 0 0: forward only)")
      ->expected(3)
      ->capture_default_str();
  sf->add_flag("--json", options->json, "print one JSON object instead of the summary");
  sf->callback([options] { RunSf(*options); });
});

}  // namespace
}  // namespace velto::cli
