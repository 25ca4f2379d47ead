// velto-cli dcm: a double-crystal monochromator under a plane wave, rocked
// as one assembly or scanned in energy. The command drives the form of the
// program window: the options are typed into its fields, the crystals are
// defined through its dialogs, "--auto-set" takes the proposals of
// "Auto Set..." with its OK button, and "Calculate !!!" and
// "Export Curve data..." run as in the window.
#include <CLI/CLI.hpp>
#include <array>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/ExportColumnsOption.h"
#include "cli/FormSession.h"
#include "core/Units.h"
#include "programs/curve_export/CurveExport.h"
#include "programs/monochromator/MonochromatorForm.h"
#include "shell/NumberText.h"

namespace velto::cli {
namespace {

using multicrystal::ScanMode;
using programs::MonochromatorForm;
using F = programs::MonochromatorField;

// The form's fields that options type into. The range and points are typed
// after the scan mode is chosen, so that they replace that mode's values.
constexpr FieldOption<F> kFieldOptions[] = {
    {"--phi1", F::FirstAsymmetry, "1st crystal asymmetry in degrees"},
    {"--phi2", F::SecondAsymmetry, "2nd crystal asymmetry in degrees"},
    {"--dphi", F::DeltaPhi, "correction Delta Phi of the orientation in arcsec"},
    {"--domega", F::DeltaOmega, "fixed incidence offset of an energy scan in arcsec (energy scan only)"},
    {"--from", F::From, "scan start: arcsec, or eV relative to the energy (energy scan: -2)"},
    {"--to", F::To, "scan end: arcsec, or eV relative to the energy (energy scan: 2)"},
    {"--points", F::Points, "scan points", "INT"},
};

struct DcmOptions {
  std::optional<std::string> energyKev;
  std::string firstStruct, secondStruct;
  std::vector<int> firstHkl{1, 1, 1}, secondHkl{1, 1, 1};
  std::string firstTemperature, secondTemperature;
  bool firstChannelCut = false, secondChannelCut = false;
  std::array<std::optional<std::string>, std::size(kFieldOptions)> fields;
  std::string geometry = "nondispersive";
  std::string polarization = "sigma";
  std::string scan = "angle";
  bool onlyFirst = false;
  bool rigorous = false;
  bool autoSet = false;
  bool force = false;
  std::string output;
  std::string columns;
  bool json = false;
};

nlohmann::json NumberOrNull(bool present, double value) { return present ? nlohmann::json(value) : nullptr; }

void PrintJson(const MonochromatorForm& form, nlohmann::json out) {
  const auto text = [&form](F id) { return form.Field(id).text; };
  const std::optional<multicrystal::MonochromatorCurve>& curve = form.Curve();
  const multicrystal::MonochromatorAnalysis a = form.Analysis().value_or(multicrystal::MonochromatorAnalysis{});
  const bool width = curve && a.hasWidth;
  const double from = shell::ParseNumber(text(F::From)), to = shell::ParseNumber(text(F::To));
  const int points = shell::ParseInteger(text(F::Points));
  const bool energyScan = form.GetScanMode() == ScanMode::Energy;
  out["phi_deg"] = shell::ParseNumber(text(F::Phi));
  out["delta_phi_arcsec"] = shell::ParseNumber(text(F::DeltaPhi));
  out["delta_omega_arcsec"] = shell::ParseNumber(text(F::DeltaOmega));
  out["scan"] = energyScan ? "energy" : "angle";
  out["unit"] = energyScan ? "eV" : "arcsec";
  out["from"] = from;
  out["to"] = to;
  out["points"] = points;
  out["step"] = (to - from) / (points - 1);
  out["curve"] = curve.has_value();
  out["max"] = NumberOrNull(curve.has_value(), a.maximum);
  out["max_at"] = NumberOrNull(curve.has_value(), a.maxPosition);
  out["fwhm"] = NumberOrNull(width, a.fwhm);
  out["centre"] = NumberOrNull(width, a.centre);
  out["half_maxima"] = width ? nlohmann::json::array({a.left, a.right}) : nlohmann::json(nullptr);
  out["centre_reflectivity"] = NumberOrNull(width, a.centreReflectivity);
  out["texts"] = {{"fwhm", text(F::Fwhm)},
                  {"max", text(F::MaxReflectivity)},
                  {"centre", text(F::CentrePosition)},
                  {"half_maxima", text(F::HalfMaxima)},
                  {"centre_reflectivity", text(F::CentreReflectivity)},
                  {"phi", text(F::Phi)},
                  {"stepsize", text(F::StepSize)}};
  out["values"] = curve ? curve->trace.values : std::vector<double>{};
  std::vector<double> exitArcsec;
  if (curve)
    for (double deviation : curve->deviation) exitArcsec.push_back(deviation / core::kArcsecond);
  out["exit_deviation_arcsec"] = exitArcsec;
  std::cout << out.dump(2) << '\n';
}

void PrintSummary(const MonochromatorForm& form, const nlohmann::json& autoSet) {
  const auto text = [&form](F id) { return form.Field(id).text; };
  if (!autoSet.is_null())
    std::cout << "Auto Set:               Delta Phi = " << autoSet["delta_phi_text"].get<std::string>()
              << " arcsec, delta omega = " << autoSet["delta_omega_text"].get<std::string>() << " arcsec\n";
  std::cout << "Phi =                   " << text(F::Phi) << " deg\n" << text(F::StepSize) << '\n';
  const std::optional<multicrystal::MonochromatorAnalysis>& a = form.Analysis();
  if (!form.Curve() || !a) {
    std::cout << "No reflection in the scan range.\n";
    return;
  }
  if (!a->hasWidth) {
    const bool energyScan = form.GetScanMode() == ScanMode::Energy;
    std::cout << "Max Reflectivity:       " << shell::FormatNumber(a->maximum, 5) << "   at  "
              << shell::FormatNumber(a->maxPosition, energyScan ? 5 : 3) << (energyScan ? " eV" : " arcsec")
              << " (no width in the scan range)\n";
    return;
  }
  std::cout << "FWHM:                   " << text(F::Fwhm) << '\n'
            << "Max Reflectivity:       " << text(F::MaxReflectivity) << '\n'
            << "Center at:              " << text(F::CentrePosition) << '\n'
            << "Center Reflectivity:    " << text(F::CentreReflectivity) << '\n'
            << "Half Maxima at:         " << text(F::HalfMaxima) << '\n';
}

void RunDcm(const DcmOptions& options) {
  if (!options.columns.empty() && options.output.empty()) Refuse("--columns needs -o FILE.");
  FormSession session(options.force);
  MonochromatorForm form(session.App());
  using programs::UserInterface;
  if (options.energyKev) session.SetEnergy(*options.energyKev, [&form](UserInterface& ui) { form.PhotonEnergy(ui); });
  session.DefineCrystal(
      options.firstStruct, options.firstHkl, options.firstTemperature,
      [&form](UserInterface& ui) { form.DefineFirst(ui); },
      [&form]() -> const crystal::CrystalParams& { return form.First(); });
  session.DefineCrystal(
      options.secondStruct, options.secondHkl, options.secondTemperature,
      [&form](UserInterface& ui) { form.DefineSecond(ui); },
      [&form]() -> const crystal::CrystalParams& { return form.Second(); });

  form.SetScanMode(options.scan == "energy" ? ScanMode::Energy : ScanMode::Angular);
  // Δω cannot be typed while the angular scan, which does not use it, is shown.
  TypeFieldOptions(session, form, kFieldOptions, options.fields);
  form.Field(F::FirstChannelCut).checked = options.firstChannelCut;
  form.Field(F::SecondChannelCut).checked = options.secondChannelCut;
  form.Field(F::OnlyFirst).checked = options.onlyFirst;
  form.Field(F::Rigorous).checked = options.rigorous;
  form.SetArrangement(options.geometry == "dispersive" ? multicrystal::Arrangement::Dispersive
                                                       : multicrystal::Arrangement::NonDispersive);
  form.SetPolarization(options.polarization == "pi" ? twobeam::Polarization::Pi : twobeam::Polarization::Sigma);

  nlohmann::json out;
  if (options.autoSet) {
    session.Ui().QueueDialog<programs::DcmPhiDialog>([&out](programs::DcmPhiDialog& dialog, UserInterface&) {
      out["auto_set"] = {{"phi_deg", dialog.proposal.phi},
                         {"delta_phi_arcsec", dialog.proposal.deltaPhi},
                         {"delta_omega_arcsec", dialog.proposal.deltaOmega},
                         {"delta_phi_text", dialog.texts.deltaPhiField},
                         {"delta_omega_text", dialog.texts.deltaOmegaField}};
      return programs::DialogResult::Ok;
    });
    session.Run([&form](UserInterface& ui) { form.AutoSet(ui); });
  }
  session.Run([&form](UserInterface& ui) { form.Calculate(ui); });

  if (!options.output.empty()) {
    const std::string columns = options.columns;
    session.Ui().QueueDialog<programs::CurveExportDialog>(
        [columns](programs::CurveExportDialog& dialog, UserInterface& ui) {
          if (!columns.empty()) ApplyColumns(columns, dialog);
          if (const std::optional<programs::Refusal> refusal = dialog.Accept()) {
            ui.ShowMessage(refusal->message, refusal->icon);
            return programs::DialogResult::Cancel;
          }
          return programs::DialogResult::Ok;
        });
    session.Ui().QueueSaveFile(std::filesystem::path(options.output));
    session.Run([&form](UserInterface& ui) { form.ExportCurve(ui); });
  }
  if (options.json) {
    PrintJson(form, std::move(out));
  } else {
    PrintSummary(form, out.contains("auto_set") ? out["auto_set"] : nlohmann::json());
  }
}

const CommandRegistration kDcmCommand("dcm", [](CLI::App& app) {
  auto o = std::make_shared<DcmOptions>();
  // What the window shows before anything is typed, for --help.
  shell::MainFrameState state;
  programs::AppContext context(state);
  const MonochromatorForm defaults(context);
  CLI::App* cmd =
      app.add_subcommand("dcm", "double-crystal monochromator for a plane wave: angular or energy scan of the pair");
  cmd->add_option("--energy", o->energyKev, "photon energy in keV")
      ->type_name("FLOAT")
      ->default_str(defaults.Field(F::Energy).text);
  cmd->add_option("--c1-struct", o->firstStruct, "structure file of the 1st crystal");
  cmd->add_option("--c1-hkl", o->firstHkl, "1st crystal reflection H K L")->expected(3)->capture_default_str();
  cmd->add_option("--c1-temp", o->firstTemperature, "temperature of the 1st crystal in K")
      ->type_name("FLOAT")
      ->check(AboveZeroKelvin())
      ->default_str(shell::FormatNumber(state.defaultTemperature));
  cmd->add_flag("--c1-channel-cut", o->firstChannelCut, "the 1st crystal is a channel-cut");
  cmd->add_option("--c2-struct", o->secondStruct, "structure file of the 2nd crystal");
  cmd->add_option("--c2-hkl", o->secondHkl, "2nd crystal reflection H K L")->expected(3)->capture_default_str();
  cmd->add_option("--c2-temp", o->secondTemperature, "temperature of the 2nd crystal in K")
      ->type_name("FLOAT")
      ->check(AboveZeroKelvin())
      ->default_str(shell::FormatNumber(state.defaultTemperature));
  cmd->add_flag("--c2-channel-cut", o->secondChannelCut, "the 2nd crystal is a channel-cut");
  AddFieldOptions(*cmd, kFieldOptions, o->fields, defaults);
  cmd->add_option("--geometry", o->geometry, "arrangement of the two crystals")
      ->check(CLI::IsMember({"nondispersive", "dispersive"}))
      ->capture_default_str();
  cmd->add_option("--pol", o->polarization, "polarization")
      ->check(CLI::IsMember({"sigma", "pi"}))
      ->capture_default_str();
  cmd->add_option("--scan", o->scan, "rock the pair (angle) or scan the photon energy (energy)")
      ->check(CLI::IsMember({"angle", "energy"}))
      ->capture_default_str();
  cmd->add_flag("--only-first", o->onlyFirst, "keep the 1st crystal's reflectivity alone");
  cmd->add_flag("--rigorous", o->rigorous, "use the rigorous dynamical theory for grazing geometry");
  cmd->add_flag("--auto-set", o->autoSet, "apply the proposed Delta Phi and delta omega before the scan");
  cmd->add_flag("--force", o->force, "answer Yes to the window's questions (a crystal with zero chi components)");
  cmd->add_option("-o,--output", o->output, "export the curve to this file");
  cmd->add_option("--columns", o->columns,
                  "exported columns, comma-separated: scan[:urad|arcsec|deg][:rel|abs], exit[...], r "
                  "(default: scan,r)");
  cmd->add_flag("--json", o->json, "print one JSON object instead of the summary");
  cmd->callback([o] { RunDcm(*o); });
});

}  // namespace
}  // namespace velto::cli
