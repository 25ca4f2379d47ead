// velto-cli map: the MBD lines (monochromator glitches) of a crystal in the
// azimuth–energy plane, as the map window computes them, with its export,
// vertical-line file and drawing.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/CrystalOption.h"
#include "core/DataDirectory.h"
#include "core/OutputFile.h"
#include "core/Units.h"
#include "crystal/CrystalStructure.h"
#include "core/TextNumbers.h"
#include "crystal/Susceptibility.h"
#include "mbd/MbdLineMap.h"
#include "mbd/MbdReflectionTable.h"
#include "mbd/ReflectionRules.h"
#include "programs/canvas/SvgCanvas.h"
#include "programs/mbd_map/MbdMapPainter.h"
#include "shell/NumberText.h"

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

void WriteFile(const std::string& name, const std::string& text) {
  if (!core::WriteOutputFile(name, text).Ok()) Refuse("Cannot create the file \"" + name + "\" !");
}

// The settings dialog's checks and the window's range clamps.
mbd::MapSettings ReadSettings(const MapOptions& o, crystal::CrystalStructure& crystal, bool diamond,
                              const mbd::LatticeBasis& lattice, StderrNotifier& notifier) {
  mbd::MapSettings s;
  s.g = {o.hkl[0], o.hkl[1], o.hkl[2]};
  s.reference = {o.reference[0], o.reference[1], o.reference[2]};
  if (mbd::IsOrigin(s.g) || (std::fabs(s.reference.x) < 1e-10 && std::fabs(s.reference.y) < 1e-10 &&
                             std::fabs(s.reference.z) < 1e-10))
    Refuse("h k l must NOT be all zero!");
  const double dG = lattice.DSpacing(s.g);
  const std::complex<double> chiG = crystal::ChiOf(crystal, core::kHcEvAngstrom / dG, s.g.h, s.g.k, s.g.l, notifier);
  if (std::norm(chiG) < 1e-20 && !o.force)
    Refuse("The Primary Reflection seems to be a forbidden reflection (which is allowed though). Do you want to "
           "proceed? (use --force to proceed)");
  if (std::fabs(Dot(lattice.Reciprocal(s.g), lattice.Reciprocal(s.reference.x, s.reference.y, s.reference.z))) >
      1e-10)
    Refuse("The Horizontal Reference Direction is not perpendicular to the Primary Reflection!");
  s.diamondMode = diamond;
  s.hLimit = std::max(o.limits[0], 0);
  s.kLimit = std::max(o.limits[1], 0);
  s.lLimit = std::max(o.limits[2], 0);
  if (s.hLimit + s.kLimit + s.lLimit == 0) Refuse("Hmax, Kmax, Lmax must NOT all be zero!");

  s.threshold = std::max(o.threshold, 0.0);
  const double lowest = core::kHalfHcEvAngstrom / dG;
  s.energyMin = std::clamp(o.energyRange[0] * core::kEvPerKev, lowest - 100, 999998.999);
  s.energyMax = std::min(o.energyRange[1] * core::kEvPerKev, 999999.0);
  if (!(s.energyMax >= s.energyMin + 0.001)) Refuse("The energy range is invalid!");
  s.energyPoints = std::max(GridPointsOption(o.energyRange[2], "--energy-range"), 2);
  s.phiPoints = std::max(GridPointsOption(o.phiRange[2], "--phi-range"), 2);
  s.phiMin = std::clamp(o.phiRange[0], -180.0, 179.999);
  if (!(o.phiRange[1] >= s.phiMin + 0.001)) Refuse("The Azimuthal angle range is invalid!");
  s.phiMax = std::min(o.phiRange[1], 180.0);
  if (s.energyMin > 50000 && s.energyMax - s.energyMin > 1000 && !o.force)
    Refuse("Calculation for high energies could be very slow. Make the energy and phi ranges as small as possible. "
           "Do you still want to proceed? (use --force to proceed)");
  return s;
}

void RunMap(const MapOptions& o) {
  StderrNotifier notifier;
  const std::filesystem::path dataDirectory = core::DataDirectory();
  crystal::CrystalStructure structure;
  if (o.structFile.empty()) {
    if (!crystal::MakeDiamondCrystal(structure, 14, 5.43102064, 530.82, 293.15, dataDirectory, notifier))
      Refuse("The atomic data of silicon cannot be read.");
    structure.name = "Si";
  } else {
    structure = LoadStructOption(o.structFile, 293.15, notifier);
  }
  const bool diamond = o.siMode == "on" || (o.siMode == "auto" && mbd::IsDiamondStructureName(structure.name));
  const mbd::LatticeBasis lattice = mbd::LatticeBasisOf(structure);
  const mbd::MapSettings settings = ReadSettings(o, structure, diamond, lattice, notifier);
  const mbd::MapFrame frame = mbd::ApplyMapSettings(settings, lattice, structure, notifier);

  mbd::MbdMap map;
  if (o.slow) {
    mbd::ComputeSlowMap(frame, settings, map, notifier);
  } else {
    mbd::ComputeMap(frame, settings, structure, map, notifier);
  }

  if (!o.output.empty()) {
    if (map.points.Empty()) Refuse("The map is empty. No data to save!");
    WriteFile(o.output, mbd::MapExportText(map));
  }
  if (!o.vertical.empty()) {
    if (map.points.Empty()) Refuse("The map is empty. No data to save!");
    const std::optional<double> phi = core::LeadingNumber(o.vertical[0]);
    if (!phi || *phi < settings.phiMin || *phi > settings.phiMax) Refuse("The Phi angle is out of the Map Range.");
    WriteFile(o.vertical[1], mbd::VerticalLineText(frame, settings, map, *phi, shell::FormatNumber));
    notifier.Notify("Done! But if there is a vertical MBD line at Phi = " + shell::FormatNumber(*phi, 8) +
                        " deg, this line may be missing in the saved data. Check the map.",
                    core::MessageIcon::Information);
  }
  if (!o.svg.empty()) {
    programs::SvgCanvas canvas(800, 600);
    programs::PaintMbdMap(canvas, {0, 0, 800, 600}, map, settings, {o.points || o.slow, false});
    WriteFile(o.svg, canvas.Document());
  }

  nlohmann::json summary;
  summary["crystal"] = structure.name;
  summary["si_mode"] = diamond;
  summary["lowest_energy_ev"] = frame.lowestEnergy;
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
