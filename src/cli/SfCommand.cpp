// velto-cli sf: the structure-factor program driven as its window is: import
// a structure file, set the photon energy, the temperature and h k l, press
// "Calculate !!!" and "Copy Chi to Clipboard". It prints the result boxes
// (moduli and phases of F0, F_h, F_−h and their π values, χ, absorption and
// penetration depth) and the text the clipboard receives.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/CliUserInterface.h"
#include "cli/Command.h"
#include "cli/CrystalOption.h"
#include "core/DataDirectory.h"
#include "core/TextNumbers.h"
#include "core/Units.h"
#include "crystal/Susceptibility.h"
#include "programs/energy_dialogs/ChangeWavelengthForm.h"
#include "programs/structure_factor/StructureFactorForm.h"

namespace velto::cli {
namespace {

using programs::StructureFactorForm;
using F = programs::StructureFactorField;

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

std::string Padded(const char* name) { return std::string(name) + std::string(8 - std::string(name).size(), ' '); }

void PrintJson(const StructureFactorForm& form, const std::vector<int>& hkl, const std::string& clipboard) {
  const programs::StructureFactorResults& r = *form.Results();
  std::vector<std::complex<double>> f = {r.f0}, chi = {r.chi0};
  if (r.reflection) {
    f.insert(f.end(), r.reflection->structureFactor.begin(), r.reflection->structureFactor.end());
    chi.insert(chi.end(), r.reflection->chi.begin(), r.reflection->chi.end());
  }
  nlohmann::json out;
  out["crystal"] = form.Structure().name;
  out["energy_kev"] = form.EnergyEv() / core::kEvPerKev;
  out["temperature_k"] = form.Temperature();
  out["hkl"] = hkl;
  out["d"] = r.reflectionRequested ? nlohmann::json(r.dSpacing) : nlohmann::json(nullptr);
  out["theta_b_deg"] = r.braggAngle ? nlohmann::json(*r.braggAngle / core::kDegree) : nlohmann::json(nullptr);
  for (std::size_t i = 0; i < f.size(); ++i) {
    const auto polar = crystal::ModulusPhase(f[i]);
    out["structure_factors"][kNames[i]] = {
        {"value", Pair(f[i])}, {"modulus", polar.modulus}, {"phase_deg", polar.phaseDegrees}};
    out["chi"][kChiNames[i]] = Pair(chi[i]);
  }
  out["mu_per_um"] = r.absorption;
  out["penetration_um"] = r.penetrationDepth ? nlohmann::json(*r.penetrationDepth) : nlohmann::json(nullptr);
  out["clipboard"] = clipboard.empty() ? nlohmann::json(nullptr) : nlohmann::json(clipboard);
  std::cout << out.dump(2) << '\n';
}

void PrintSummary(const StructureFactorForm& form, const std::string& clipboard) {
  const auto text = [&form](F id) { return form.Field(id).text; };
  std::cout << "Crystal:          " << form.Structure().name << '\n'
            << "Photon energy:    " << text(F::Energy) << " keV\n"
            << "Temperature:      " << text(F::Temperature) << " K\n"
            << "Reflection h k l: " << text(F::H) << ' ' << text(F::K) << ' ' << text(F::L) << '\n';
  if (!text(F::DSpacing).empty()) {
    const std::string angle = text(F::BraggAngle);
    std::cout << "d-spacing:        " << text(F::DSpacing) << " Å\n"
              << "Bragg angle:      " << angle << (angle == programs::kNoDiffractionText ? "" : " °") << '\n';
  }
  std::cout << "\nStructure factors (modulus, phase in degrees):\n";
  for (int i = 0; i < 5; ++i) {
    if (text(StructureFactorForm::ModulusField(i)).empty()) continue;
    std::cout << "  " << Padded(kNames[i]) << text(StructureFactorForm::ModulusField(i)) << "   "
              << text(StructureFactorForm::PhaseField(i)) << '\n';
  }
  std::cout << "\nFourier components of susceptibility (x 10^-6):\n";
  for (int i = 0; i < 5; ++i) {
    const std::string imaginary = text(StructureFactorForm::ChiField(2 * i + 1));
    if (imaginary.empty()) continue;
    const bool negative = imaginary.front() == '-';
    std::cout << "  " << Padded(kChiNames[i]) << text(StructureFactorForm::ChiField(2 * i))
              << (negative ? " - " : " + ") << (negative ? imaginary.substr(1) : imaginary) << "i\n";
  }
  const std::string depth = text(F::PenetrationDepth);
  std::cout << "\nLinear absorption: " << text(F::Absorption) << " µm^-1\n"
            << "Penetration depth: " << (depth.empty() ? std::string("infinite") : depth + " µm") << '\n';
  if (clipboard.empty()) return;
  std::cout << "\nChi for the clipboard:\n";
  for (std::size_t at = 0, end; (end = clipboard.find("\r\n", at)) != std::string::npos; at = end + 2)
    std::cout << "  " << clipboard.substr(at, end - at) << '\n';
}

void RunSf(const SfOptions& options) {
  shell::MainFrameState state;
  state.exeDirectory = core::DataDirectory();
  programs::AppContext app(state);
  StructureFactorForm form(app);
  CliUserInterface ui;

  // A file the form cannot use is reported by the file flow, and then by
  // "Calculate !!!", as the window reports it.
  ui.QueueOpenFile(StructOptionPath(options.structFile));
  form.ImportStructure(ui);

  ui.QueueDialog<programs::ChangeWavelengthForm>([&options](programs::ChangeWavelengthForm& dialog,
                                                            programs::UserInterface& inner) {
    dialog.EnergyEdited(core::FormatGeneral(options.energyKev, 17));
    return dialog.Ok(inner) ? programs::DialogResult::Ok : programs::DialogResult::Cancel;
  });
  const std::size_t shownBefore = ui.messages.size();
  form.PhotonEnergy(ui);
  if (ui.messages.size() != shownBefore) throw ExitStatus{1};

  form.Field(F::Temperature).text = core::FormatGeneral(options.temperature, 17);
  form.TemperatureLeft();
  form.Field(F::H).text = std::to_string(options.hkl[0]);
  form.Field(F::K).text = std::to_string(options.hkl[1]);
  form.Field(F::L).text = std::to_string(options.hkl[2]);
  form.Calculate(ui);
  if (form.Stale()) throw ExitStatus{1};

  if (form.Results()->reflection) form.CopyChi(ui);
  if (options.json) {
    PrintJson(form, options.hkl, ui.clipboard);
  } else {
    PrintSummary(form, ui.clipboard);
  }
}

const CommandRegistration kSfCommand("sf", [](CLI::App& app) {
  auto options = std::make_shared<SfOptions>();
  CLI::App* sf = app.add_subcommand("sf", "Brennan-Cowan structure factors, chi, absorption and penetration depth");
  sf->add_option("--struct", options->structFile, "crystal structure file (default: Silicon.struct of the data)");
  sf->add_option("--energy", options->energyKev, "photon energy in keV")->capture_default_str();
  sf->add_option("--temp", options->temperature, "crystal temperature in K")
      ->check(AboveZeroKelvin())
      ->capture_default_str();
  sf->add_option("--hkl", options->hkl, "reflection indices H K L (0 0 0: forward only)")
      ->expected(3)
      ->capture_default_str();
  sf->add_flag("--json", options->json, "print one JSON object instead of the summary");
  sf->callback([options] { RunSf(*options); });
});

}  // namespace
}  // namespace velto::cli
