// velto-cli dcm: a double-crystal monochromator under a plane wave, rocked
// as one assembly or scanned in energy, as "Calculate !!!" of the program
// window computes it; "--auto-set" first applies the proposals of
// "Auto Set..." as its OK button does.
#include <CLI/CLI.hpp>
#include <cmath>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "cli/Command.h"
#include "cli/CrystalOption.h"
#include "core/Units.h"
#include "multicrystal/Monochromator.h"
#include "programs/monochromator/MonochromatorTexts.h"
#include "shell/MainFrameState.h"
#include "shell/NumberText.h"

namespace velto::cli {
namespace {

using multicrystal::AngleUnit;
using multicrystal::ScanMode;

struct DcmOptions {
  double energyKev = shell::kDefaultEnergyEv / core::kEvPerKev;
  std::string firstStruct, secondStruct;
  std::vector<int> firstHkl{1, 1, 1}, secondHkl{1, 1, 1};
  multicrystal::MonochromatorInput input;  // the form's defaults
  std::string geometry = "nondispersive";
  std::string polarization = "sigma";
  std::string scan = "angle";
  std::optional<double> from, to;
  bool autoSet = false;
  std::string output;
  std::string columns = "scan,r";
  bool json = false;
};

// Angular scan: −50 to 50 arcsec; energy scan: −2 to 2 eV.
constexpr double kAngularFrom = -50, kAngularTo = 50, kEnergyFrom = -2, kEnergyTo = 2;

AngleUnit UnitOf(const std::string& name) {
  if (name == "urad") return AngleUnit::Microradian;
  if (name == "deg") return AngleUnit::Degree;
  if (name == "arcsec" || name == "eV") return AngleUnit::Arcsecond;
  Refuse("Unknown unit '" + name + "' in --columns (urad, arcsec, deg).");
}

// A comma-separated list of scan[:UNIT][:rel|abs], exit[:UNIT][:rel|abs]
// and r, as the rc command takes it.
programs::MonochromatorColumns ParseColumns(const std::string& list) {
  programs::MonochromatorColumns columns;
  columns.incident = columns.reflectivity = false;
  std::stringstream items(list);
  for (std::string item; std::getline(items, item, ',');) {
    std::vector<std::string> parts;
    std::stringstream stream(item);
    for (std::string part; std::getline(stream, part, ':');) parts.push_back(part);
    if (parts.empty()) continue;
    const std::string& name = parts[0];
    if (name == "r" && parts.size() == 1) {
      columns.reflectivity = true;
      continue;
    }
    if (name != "scan" && name != "exit") Refuse("Unknown column '" + item + "' in --columns.");
    AngleUnit unit = AngleUnit::Arcsecond;
    bool absolute = false;
    for (std::size_t i = 1; i < parts.size(); ++i) {
      if (parts[i] == "abs") {
        absolute = true;
      } else if (parts[i] == "rel") {
        absolute = false;
      } else {
        unit = UnitOf(parts[i]);
      }
    }
    if (name == "scan") {
      columns.incident = true;
      columns.incidentUnit = unit;
      columns.incidentAbsolute = absolute;
    } else {
      columns.exit = true;
      columns.exitUnit = unit;
      columns.exitAbsolute = absolute;
    }
  }
  return columns;
}

nlohmann::json NumberOrNull(bool present, double value) { return present ? nlohmann::json(value) : nullptr; }

void RunDcm(DcmOptions& options) {
  StderrNotifier notifier;
  multicrystal::MonochromatorInput& in = options.input;
  in.mode = options.scan == "energy" ? ScanMode::Energy : ScanMode::Angular;
  const bool energyScan = in.mode == ScanMode::Energy;
  in.from = options.from.value_or(energyScan ? kEnergyFrom : kAngularFrom);
  in.to = options.to.value_or(energyScan ? kEnergyTo : kAngularTo);
  in.energy = options.energyKev * core::kEvPerKev;
  if (!(in.energy > 0) || !std::isfinite(in.energy)) Refuse("The photon energy must be a positive number of keV.");
  in.arrangement = options.geometry == "dispersive" ? multicrystal::Arrangement::Dispersive
                                                    : multicrystal::Arrangement::NonDispersive;
  in.polarization = options.polarization == "pi" ? twobeam::Polarization::Pi : twobeam::Polarization::Sigma;
  // An angular scan does not use Δω; the window keeps its field at 0 then.
  if (!energyScan) in.deltaOmega = 0;
  const programs::MonochromatorColumns columns = ParseColumns(options.columns);
  if (options.columns != "scan,r" && options.output.empty()) Refuse("--columns needs -o FILE.");
  if (!options.output.empty()) {
    if (auto refusal = programs::CheckMonochromatorColumns(columns, in.mode)) Refuse(refusal->message);
  }
  in.first = LoadCrystalOption(options.firstStruct, options.firstHkl, in.energy, notifier);
  in.second = LoadCrystalOption(options.secondStruct, options.secondHkl, in.energy, notifier);

  nlohmann::json out;
  if (options.autoSet) {
    auto proposed = multicrystal::ProposeAutoSet(in);
    if (auto* refusal = std::get_if<multicrystal::Refusal>(&proposed)) Refuse(*refusal);
    const auto& proposal = std::get<multicrystal::AutoSetProposal>(proposed);
    const programs::AutoSetTexts texts = programs::AutoSetTextsOf(proposal);
    // OK writes the proposals into the fields; the calculation reads them back.
    in.deltaPhi = shell::ParseNumber(texts.deltaPhiField);
    in.deltaOmega = shell::ParseNumber(texts.deltaOmegaField);
    out["auto_set"] = {{"phi_deg", proposal.phi},
                       {"delta_phi_arcsec", proposal.deltaPhi},
                       {"delta_omega_arcsec", proposal.deltaOmega},
                       {"delta_phi_text", texts.deltaPhiField},
                       {"delta_omega_text", texts.deltaOmegaField}};
  }

  auto computed = multicrystal::ComputeMonochromatorScan(in);
  if (auto* refusal = std::get_if<multicrystal::Refusal>(&computed)) Refuse(*refusal);
  const auto& result = std::get<multicrystal::MonochromatorResult>(computed);
  const programs::MonochromatorResultTexts texts = programs::ResultTextsOf(result.analysis, in.mode);
  const double step = (in.to - in.from) / (in.points - 1);

  if (!options.output.empty()) {
    if (auto refusal = programs::ExportMonochromatorCurve(result.curve, columns, options.output))
      Refuse(refusal->message);
  }

  const std::string unit = energyScan ? "eV" : "arcsec";
  if (options.json) {
    const bool curve = result.curve.has_value();
    const bool width = curve && result.analysis->hasWidth;
    const multicrystal::MonochromatorAnalysis a = result.analysis.value_or(multicrystal::MonochromatorAnalysis{});
    out["phi_deg"] = result.geometry.phi;
    out["delta_phi_arcsec"] = in.deltaPhi;
    out["delta_omega_arcsec"] = in.deltaOmega;
    out["scan"] = options.scan;
    out["unit"] = unit;
    out["from"] = in.from;
    out["to"] = in.to;
    out["points"] = in.points;
    out["step"] = step;
    out["curve"] = curve;
    out["max"] = NumberOrNull(curve, a.maximum);
    out["max_at"] = NumberOrNull(curve, a.maxPosition);
    out["fwhm"] = NumberOrNull(width, a.fwhm);
    out["centre"] = NumberOrNull(width, a.centre);
    out["half_maxima"] = width ? nlohmann::json::array({a.left, a.right}) : nlohmann::json(nullptr);
    out["centre_reflectivity"] = NumberOrNull(width, a.centreReflectivity);
    out["texts"] = {{"fwhm", texts.fwhm},
                    {"max", texts.maximum},
                    {"centre", texts.centre},
                    {"half_maxima", texts.halfMaxima},
                    {"centre_reflectivity", texts.centreReflectivity},
                    {"phi", programs::PhiText(result.geometry.phi)},
                    {"stepsize", programs::ScanStepText(step, in.mode)}};
    out["values"] = curve ? result.curve->trace.values : std::vector<double>{};
    std::vector<double> exitArcsec;
    if (curve)
      for (double deviation : result.curve->deviation) exitArcsec.push_back(deviation / core::kArcsecond);
    out["exit_deviation_arcsec"] = exitArcsec;
    std::cout << out.dump(2) << '\n';
    return;
  }
  if (out.contains("auto_set"))
    std::cout << "Auto Set:               Delta Phi = " << out["auto_set"]["delta_phi_text"].get<std::string>()
              << " arcsec, delta omega = " << out["auto_set"]["delta_omega_text"].get<std::string>() << " arcsec\n";
  std::cout << "Phi =                   " << programs::PhiText(result.geometry.phi) << " deg\n"
            << programs::ScanStepText(step, in.mode) << '\n';
  if (!result.curve) {
    std::cout << "No reflection in the scan range.\n";
    return;
  }
  if (!result.analysis->hasWidth) {
    std::cout << "Max Reflectivity:       " << shell::FormatNumber(result.analysis->maximum, 5) << "   at  "
              << shell::FormatNumber(result.analysis->maxPosition, energyScan ? 5 : 3) << ' ' << unit
              << " (no width in the scan range)\n";
    return;
  }
  std::cout << "FWHM:                   " << texts.fwhm << '\n'
            << "Max Reflectivity:       " << texts.maximum << '\n'
            << "Center at:              " << texts.centre << '\n'
            << "Center Reflectivity:    " << texts.centreReflectivity << '\n'
            << "Half Maxima at:         " << texts.halfMaxima << '\n';
}

const CommandRegistration kDcmCommand("dcm", [](CLI::App& app) {
  auto o = std::make_shared<DcmOptions>();
  multicrystal::MonochromatorInput& in = o->input;
  CLI::App* cmd =
      app.add_subcommand("dcm", "double-crystal monochromator for a plane wave: angular or energy scan of the pair");
  cmd->add_option("--energy", o->energyKev, "photon energy in keV")->capture_default_str();
  cmd->add_option("--c1-struct", o->firstStruct, "structure file of the 1st crystal");
  cmd->add_option("--c1-hkl", o->firstHkl, "1st crystal reflection H K L")->expected(3)->capture_default_str();
  cmd->add_option("--phi1", in.firstAsymmetry, "1st crystal asymmetry in degrees")->capture_default_str();
  cmd->add_flag("--c1-channel-cut", in.firstChannelCut, "the 1st crystal is a channel-cut");
  cmd->add_option("--c2-struct", o->secondStruct, "structure file of the 2nd crystal");
  cmd->add_option("--c2-hkl", o->secondHkl, "2nd crystal reflection H K L")->expected(3)->capture_default_str();
  cmd->add_option("--phi2", in.secondAsymmetry, "2nd crystal asymmetry in degrees")->capture_default_str();
  cmd->add_flag("--c2-channel-cut", in.secondChannelCut, "the 2nd crystal is a channel-cut");
  cmd->add_option("--geometry", o->geometry, "arrangement of the two crystals")
      ->check(CLI::IsMember({"nondispersive", "dispersive"}))
      ->capture_default_str();
  cmd->add_option("--pol", o->polarization, "polarization")
      ->check(CLI::IsMember({"sigma", "pi"}))
      ->capture_default_str();
  cmd->add_option("--dphi", in.deltaPhi, "correction Delta Phi of the orientation in arcsec")->capture_default_str();
  cmd->add_option("--scan", o->scan, "rock the pair (angle) or scan the photon energy (energy)")
      ->check(CLI::IsMember({"angle", "energy"}))
      ->capture_default_str();
  cmd->add_option("--domega", in.deltaOmega, "fixed incidence offset of an energy scan in arcsec")
      ->capture_default_str();
  cmd->add_option("--from", o->from, "scan start: arcsec, or eV relative to the energy (default -50 / -2)");
  cmd->add_option("--to", o->to, "scan end: arcsec, or eV relative to the energy (default 50 / 2)");
  cmd->add_option("--points", in.points, "scan points")->capture_default_str();
  cmd->add_flag("--only-first", in.onlyFirst, "keep the 1st crystal's reflectivity alone");
  cmd->add_flag("--rigorous", in.rigorous, "use the rigorous dynamical theory for grazing geometry");
  cmd->add_flag("--auto-set", o->autoSet, "apply the proposed Delta Phi and delta omega before the scan");
  cmd->add_option("-o,--output", o->output, "export the curve to this file");
  cmd->add_option("--columns", o->columns,
                  "exported columns, comma-separated: scan[:urad|arcsec|deg][:rel|abs], exit[...], r")
      ->capture_default_str();
  cmd->add_flag("--json", o->json, "print one JSON object instead of the summary");
  cmd->callback([o] { RunDcm(*o); });
});

}  // namespace
}  // namespace velto::cli
