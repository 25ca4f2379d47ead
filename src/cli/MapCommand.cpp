// velto-cli map: the MBD lines (monochromator glitches) of a crystal in the
// azimuth–energy plane, through the form of the map window: its settings
// dialog, range fields, calculation, export, vertical-line file and drawing.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/CliUserInterface.h"
#include "cli/Command.h"
#include "cli/CrystalOption.h"
#include "core/DataDirectory.h"
#include "core/OutputFile.h"
#include "core/TextNumbers.h"
#include "mbd/MbdReflectionTable.h"
#include "programs/canvas/SvgCanvas.h"
#include "programs/line_file/LineFile.h"
#include "programs/mbd_map/MapScript.h"
#include "programs/mbd_map/MbdMapForm.h"
#include "programs/mbd_map/SavePhiLineForm.h"
#include "shell/MainFrameState.h"

namespace velto::cli {
namespace {

struct MapOptions {
  std::string structFile;  // empty: the built-in silicon
  std::vector<int> hkl{1, 1, 1};
  std::vector<double> reference{1, -1, 0};
  std::vector<double> energyRange{7, 9, 51};
  std::vector<double> phiRange{-10, 10, 201};
  std::vector<int> limits{99, 99, 99};
  double threshold = 1e-8;
  std::string siMode = "auto";
  bool slow = false;
  bool force = false;
  std::string output;
  std::vector<std::string> vertical;
  std::string svg;
  bool points = false;
};

// The settings dialog as the person would fill it: the crystal of --struct
// through "Define Crystal ...", the check box where --si-mode says on or
// off, G, H and the limits typed in, then OK with its checks.
programs::DialogResult FillSettings(const MapOptions& o, programs::MapSettingsForm& dialog,
                                    programs::UserInterface& ui, StderrNotifier& notifier) {
  programs::MapSettingsEntries entries;
  std::optional<crystal::CrystalStructure> loaded;
  if (!o.structFile.empty()) loaded = LoadStructOption(o.structFile, 293.15, notifier);
  if (loaded) entries.crystal = &*loaded;
  if (o.siMode != "auto") entries.diamondMode = o.siMode == "on";
  entries.primary = {o.hkl[0], o.hkl[1], o.hkl[2]};
  entries.reference = {o.reference[0], o.reference[1], o.reference[2]};
  entries.limits = {o.limits[0], o.limits[1], o.limits[2]};
  return programs::FillMapSettings(dialog, ui, entries);
}

// Ends the program after a command of the form that was refused (its
// message is already on stderr); a question answered No names the option
// that answers Yes.
void RequireDone(bool done, const CliUserInterface& ui) {
  if (done) return;
  if (!ui.messages.empty() && ui.messages.back().question) std::cerr << "(use --force to proceed)\n";
  throw ExitStatus{1};
}

void RunMap(const MapOptions& o) {
  StderrNotifier notifier;
  shell::MainFrameState state;
  state.exeDirectory = core::DataDirectory();
  programs::AppContext app(state);
  programs::MbdMapForm form(app);
  CliUserInterface ui;
  if (o.force)
    for (int question = 0; question < 2; ++question) ui.QueueAnswer(programs::Answer::Yes);
  ui.QueueDialog<programs::MapSettingsForm>([&](programs::MapSettingsForm& dialog, programs::UserInterface& person) {
    return FillSettings(o, dialog, person, notifier);
  });
  RequireDone(form.ChangeSettings(ui), ui);
  programs::MapRangeEntries ranges;
  ranges.threshold = o.threshold;
  ranges.energyFromKev = o.energyRange[0];
  ranges.energyToKev = o.energyRange[1];
  ranges.energyPoints = GridPointsOption(o.energyRange[2], "--energy-range");
  ranges.phiFromDeg = o.phiRange[0];
  ranges.phiToDeg = o.phiRange[1];
  ranges.phiPoints = GridPointsOption(o.phiRange[2], "--phi-range");
  programs::TypeMapRanges(form, ranges);
  RequireDone(o.slow ? form.SlowMethod(ui) : form.Calculate(ui), ui);
  if (o.points && !o.slow) form.TogglePlotMode();

  if (!o.output.empty()) {
    ui.QueueSaveFile(std::filesystem::path(o.output));
    RequireDone(form.ExportMapData(ui), ui);
  }
  if (!o.vertical.empty()) {
    ui.QueueDialog<programs::SavePhiLineForm>([&](programs::SavePhiLineForm& dialog, programs::UserInterface& person) {
      dialog.Phi().text = o.vertical[0];
      dialog.File().text = o.vertical[1];
      return dialog.Ok(person) ? programs::DialogResult::Ok : programs::DialogResult::Cancel;
    });
    RequireDone(form.SavePointsOnVerticalLine(ui), ui);
  }
  if (!o.svg.empty()) {
    programs::SvgCanvas canvas(800, 600);
    form.DrawPlot(canvas, {0, 0, 800, 600});
    if (!core::WriteOutputFile(o.svg, canvas.Document()).Ok()) Refuse(programs::CannotCreateFile(o.svg).message);
  }

  const mbd::MbdMap& map = form.Map();
  nlohmann::json summary;
  summary["crystal"] = form.Crystal().name;
  summary["si_mode"] = form.DiamondMode();
  summary["lowest_energy_ev"] = form.LowestEnergy();
  summary["points"] = map.points.Count();
  auto names = [](const mbd::ReflectionAzimuthList& list) {
    nlohmann::json out = nlohmann::json::array();
    for (const auto& e : list.Entries()) out.push_back(mbd::IndicesText(e.hkl));
    return out;
  };
  summary["lines"] = names(map.lines);
  summary["steep_lines"] = names(map.steepLines);
  summary["rejected"] = map.rejected.Count();
  std::cout << summary.dump(2) << '\n';
}

const CommandRegistration kMapCommand("map", [](CLI::App& app) {
  auto o = std::make_shared<MapOptions>();
  CLI::App* map = app.add_subcommand("map", "MBD lines (monochromator glitches) in the azimuth-energy plane");
  map->add_option("--struct", o->structFile, "crystal structure file (default: the built-in silicon)");
  map->add_option("--hkl", o->hkl, "primary reflection G: H K L")->expected(3)->capture_default_str();
  map->add_option("--href", o->reference, "horizontal reference direction: H K L")->expected(3)->capture_default_str();
  map->add_option("--energy-range", o->energyRange, "KEVMIN KEVMAX NE")->expected(3)->capture_default_str();
  map->add_option("--phi-range", o->phiRange, "MIN MAX N (degrees)")->expected(3)->capture_default_str();
  map->add_option("--limits", o->limits, "index limits H K L")->expected(3)->capture_default_str();
  map->add_option("--threshold", o->threshold, "|chi| below which reflections count as forbidden")
      ->capture_default_str();
  map->add_option("--si-mode", o->siMode, "diamond-structure rule: on, off or auto (from the crystal name)")
      ->check(CLI::IsMember({"on", "off", "auto"}))
      ->capture_default_str();
  map->add_flag("--slow", o->slow, "the brute-force diagnostic map (points only)");
  map->add_flag("--force", o->force, "answer Yes to the program's questions");
  map->add_option("-o", o->output, "export the map data to FILE");
  map->add_option("--vertical", o->vertical, "PHI FILE: save the points on the vertical line phi = PHI")->expected(2);
  map->add_option("--svg", o->svg, "draw the map into an SVG file");
  map->add_flag("--points", o->points, "draw points instead of lines");
  map->callback([o] { RunMap(*o); });
});

}  // namespace
}  // namespace velto::cli
