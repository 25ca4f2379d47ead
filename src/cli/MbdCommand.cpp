// velto-cli mbd: a multiple-beam diffraction run driven through the MBD
// window's own form: the crystal through the structure file and the crystal
// dialog, then the photon energy, reference direction, surface, beams, chi
// components computed or imported, and a plane-wave or convoluted Δθ/Δφ
// scan written through the save dialog, as a person would do it.
#include <CLI/CLI.hpp>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliUserInterface.h"
#include "cli/Command.h"
#include "cli/CrystalOption.h"
#include "cli/ProcessGroup.h"
#include "core/DataDirectory.h"
#include "core/Units.h"
#include "programs/crystal_dialog/ReflectionChecks.h"
#include "programs/multiple_beam/MbdForm.h"
#include "programs/multiple_beam/MbdScript.h"
#include "shell/MainFrameState.h"
#include "shell/NumberText.h"

namespace velto::cli {
namespace {

using programs::MbdField;
using programs::MbdForm;

struct MbdOptions {
  std::string structFile;
  double energyKev = core::kCuKalpha1Kev;
  CLI::Option* energyOption = nullptr;  // given: set through "Photon Energy..."
  double temperature = 293.15;
  std::vector<int> hkl{1, 1, 1};
  std::vector<double> reference;
  double offcut = 0, offcutAzimuth = 0;
  std::optional<double> azimuth;
  std::vector<std::string> add;
  bool force = false;
  std::string siMode = "auto";
  double thicknessUm = -1;
  double polarisation = 0;
  std::vector<double> dtheta{-20, 30, 51};
  std::vector<double> dphi{-20, 20, 41};
  double energyOffset = 0;
  int beam = 1;
  bool transmission = false;
  bool microradians = false;
  std::string columns = programs::kDefaultMbdColumns;
  std::string chiImport;
  std::vector<double> convolution;
  std::vector<double> search;
  std::string output;
  int threads = 0;
};

// The form has shown why it stopped; the command ends with status 1.
[[noreturn]] void Stop() { throw ExitStatus{1}; }

// A step of the script that did not go through ends the command: with its
// own refusal, or after the form's message, which is already on stderr.
void Require(const programs::MbdStep& step, const CliUserInterface& ui) {
  if (step) return;
  if (!step.refusal.empty()) Refuse(step.refusal);
  if (!ui.messages.empty() && ui.messages.back().question) std::cerr << "(--force answers Yes.)\n";
  Stop();
}

std::optional<mbd::Miller> ParseIndices(const std::string& text) {
  std::istringstream in(text);
  mbd::Miller m;
  std::string rest;
  if (!(in >> m.h >> m.k >> m.l) || (in >> rest)) return std::nullopt;
  return m;
}

nlohmann::json AngleOrNull(double value, double scale) {
  return value == mbd::kNoAngle ? nlohmann::json(nullptr) : nlohmann::json(value * scale);
}

nlohmann::json OrNull(const std::optional<double>& value) {
  return value ? nlohmann::json(*value) : nlohmann::json(nullptr);
}

void DefineCrystal(const MbdOptions& options, MbdForm& form, CliUserInterface& ui) {
  CheckHkl(options.hkl, AllZeroHkl::Accept);
  // A file that cannot be read is refused with the reason, as every command
  // does; the window's own flow then loads it.
  StderrNotifier notifier;
  LoadStructOption(options.structFile, options.temperature, notifier, {.undefined = nullptr});
  programs::MbdCrystalEntries entries;
  entries.structFile =
      options.structFile.empty() ? core::DataDirectory() / "Silicon.struct" : std::filesystem::path(options.structFile);
  entries.temperature = FieldText(options.temperature);
  entries.primary = {options.hkl[0], options.hkl[1], options.hkl[2]};
  if (options.energyOption->count() > 0) entries.energyKev = options.energyKev;
  entries.force = options.force;
  Require(programs::DefineMbdCrystal(form, ui, entries), ui);
}

void SetDirections(const MbdOptions& options, MbdForm& form, CliUserInterface& ui) {
  programs::MbdDirectionEntries entries;
  if (options.siMode != "auto") entries.diamondMode = options.siMode == "on";
  if (options.reference.size() == 3)
    entries.reference = {options.reference[0], options.reference[1], options.reference[2]};
  entries.offcutDeg = options.offcut;
  entries.offcutAzimuthDeg = options.offcutAzimuth;
  entries.azimuthDeg = options.azimuth;
  Require(programs::SetMbdDirections(form, ui, entries), ui);
}

void AddReflections(const MbdOptions& options, MbdForm& form, CliUserInterface& ui) {
  std::vector<std::array<int, 3>> reflections;
  for (const std::string& text : options.add) {
    const std::optional<mbd::Miller> hkl = ParseIndices(text);
    if (!hkl) Refuse("--add needs three integers \"h k l\", not '" + text + "'.");
    reflections.push_back({hkl->h, hkl->k, hkl->l});
  }
  Require(programs::AddMbdReflections(form, ui, reflections, options.force,
                                      [&ui](const mbd::Miller& hkl) {
                                        ui.Flush();
                                        std::cerr << mbd::IndicesText(hkl)
                                                  << " not included (use --force to include it).\n";
                                      }),
          ui);
}

nlohmann::json Summary(const MbdForm& form) {
  const mbd::MbdGeometry& geometry = form.Geometry();
  nlohmann::json summary;
  summary["crystal"] = form.Crystal().structure.name;
  summary["si_mode"] = form.DiamondMode();
  summary["theta_b_deg"] = geometry.BraggAngle() / core::kDegree;
  summary["offcut_deg"] = geometry.OffcutDeg();
  summary["offcut_azimuth_deg"] = geometry.OffcutAzimuthDeg();
  if (geometry.PrincipalAzimuthDeg()) summary["azimuth_deg"] = *geometry.PrincipalAzimuthDeg();
  nlohmann::json beams = nlohmann::json::array();
  for (const programs::MbdBeamRow& beam : programs::MbdBeamTable(form))
    beams.push_back({{"index", beam.index},
                     {"hkl", {beam.hkl.h, beam.hkl.k, beam.hkl.l}},
                     {"bragg_deg", OrNull(beam.braggDeg)},
                     {"azimuths_deg", {OrNull(beam.azimuthsDeg[0]), OrNull(beam.azimuthsDeg[1])}}});
  summary["beams"] = beams;
  return summary;
}

nlohmann::json Search(const MbdOptions& options, MbdForm& form, CliUserInterface& ui) {
  form.Field(MbdField::Tolerance).text = FieldText(options.search[0]);
  form.Field(MbdField::Threshold).text = FieldText(options.search[1]);
  if (!form.SearchReflections(ui)) Stop();
  const mbd::SearchResult& result = form.SearchResults();
  nlohmann::json hits = nlohmann::json::array();
  for (std::size_t i = 0; i < result.hits.Count(); ++i)
    hits.push_back({{"hkl", form.SearchRows()[i].indices},
                    {"delta_phi_deg", form.SearchRows()[i].deviation},
                    {"azimuths_deg", {AngleOrNull(result.hits[i].value1, 1), AngleOrNull(result.hits[i].value2, 1)}}});
  return {{"tolerance_deg", result.tolerance}, {"threshold", result.threshold}, {"hits", hits}};
}

void Run(const MbdOptions& options, MbdForm& form, CliUserInterface& ui, const std::filesystem::path& file) {
  programs::MbdRunEntries entries;
  entries.thicknessUm = options.thicknessUm;
  entries.polarisationDeg = options.polarisation;
  entries.thetaFromArcsec = options.dtheta[0];
  entries.thetaToArcsec = options.dtheta[1];
  entries.thetaPoints = GridPointsOption(options.dtheta[2], "--dtheta");
  entries.phiFromArcsec = options.dphi[0];
  entries.phiToArcsec = options.dphi[1];
  entries.phiPoints = GridPointsOption(options.dphi[2], "--dphi");
  entries.energyOffsetEv = options.energyOffset;
  entries.beam = options.beam;
  entries.transmission = options.transmission;
  entries.microradians = options.microradians;
  entries.columns = options.columns;
  if (!options.convolution.empty()) {
    const std::vector<double>& c = options.convolution;
    programs::MbdConvolutionEntries& e = entries.convolution.emplace();
    e.fwhmEv = c[0];
    e.energyRangeEv = c[1];
    e.energyPoints = GridPointsOption(c[2], "--conv");
    e.thetaDivergenceUrad = c[3];
    e.thetaPoints = GridPointsOption(c[4], "--conv");
    e.phiDivergenceUrad = c[5];
    e.phiPoints = GridPointsOption(c[6], "--conv");
  }
  entries.file = file;
  Require(programs::RunMbdScan(form, ui, entries), ui);
}

// The points among which solver failures are counted: those of the scan
// for a plane wave; a convolution counts its failed sub-points, of which
// there are too many to name.
long PointCount(const MbdOptions& options, const mbd::ScanSummary& run) {
  return options.convolution.empty() ? run.linesEmitted + run.pointsSkipped : 0;
}

void RunMbd(const MbdOptions& options) {
  if (auto refusal = programs::CheckPhotonEnergy(options.energyKev * core::kEvPerKev)) Refuse(*refusal);
  shell::MainFrameState state;
  state.exeDirectory = core::DataDirectory();
  programs::AppContext app(state);
  CliUserInterface ui;
  MbdForm form(app);
  StderrNotifier notifier;
  form.SetThreads(ThreadsOption(options.threads, notifier));
  form.SetPointRunner(GroupRunner());

  DefineCrystal(options, form, ui);
  SetDirections(options, form, ui);
  AddReflections(options, form, ui);

  nlohmann::json search;
  if (!options.search.empty()) {
    search = Search(options, form, ui);
    if (options.output.empty()) {
      nlohmann::json summary = Summary(form);
      summary["search"] = search;
      std::cout << summary.dump(2) << '\n';
      return;
    }
  }
  Require(programs::ComputeMbdChi(form, ui, options.chiImport), ui);

  if (options.output.empty()) {
    // The results file is then standard output itself, written by the same
    // writer as any file.
    std::cout.flush();
    Run(options, form, ui, "/dev/stdout");
    EndIfPointsFailed(form.LastRun()->solverFailures, PointCount(options, *form.LastRun()));
    return;
  }
  Run(options, form, ui, options.output);
  nlohmann::json summary = Summary(form);
  if (!search.is_null()) summary["search"] = search;
  summary["lines"] = form.LastRun()->linesEmitted;
  summary["points_not_entering"] = form.LastRun()->pointsSkipped;
  summary["solver_failures"] = form.LastRun()->solverFailures;
  summary["file"] = options.output;
  std::cout << summary.dump(2) << '\n';
  EndIfPointsFailed(form.LastRun()->solverFailures, PointCount(options, *form.LastRun()));
}

const CommandRegistration kMbdCommand("mbd", [](CLI::App& app) {
  auto o = std::make_shared<MbdOptions>();
  CLI::App* mbd = app.add_subcommand("mbd", "multiple-beam diffraction: plane-wave or convoluted scan, reflection search");
  mbd->add_option("--struct", o->structFile, "crystal structure file (default: Silicon.struct of the data)");
  o->energyOption = mbd->add_option("--energy", o->energyKev, "photon energy in keV")->capture_default_str();
  mbd->add_option("--temp", o->temperature, "crystal temperature in K")->check(AboveZeroKelvin())->capture_default_str();
  mbd->add_option("--hkl", o->hkl, "primary reflection G: H K L")->expected(3)->capture_default_str();
  mbd->add_option("--href", o->reference, "horizontal reference direction (azimuth 0): H K L, fractions allowed")
      ->expected(3);
  mbd->add_option("--offcut", o->offcut, "surface offcut from the Bragg plane of G, degrees")
      ->check(PlausibleAngle())
      ->capture_default_str();
  mbd->add_option("--offcut-azimuth", o->offcutAzimuth, "azimuth of the offcut, degrees")
      ->check(PlausibleAngle())
      ->capture_default_str();
  mbd->add_option("--azimuth", o->azimuth, "principal azimuth of incidence phi0, degrees")->check(PlausibleAngle());
  mbd->add_option("--add", o->add, "add reflection \"h k l\" (repeatable)");
  mbd->add_flag("--force", o->force,
                "proceed with a forbidden G (zero chi components); include forbidden reflections and those without "
                "a Bragg angle");
  mbd->add_option("--si-mode", o->siMode, "diamond-structure rule: on, off or auto (from the crystal name)")
      ->check(CLI::IsMember({"on", "off", "auto"}))
      ->capture_default_str();
  mbd->add_option("--thickness", o->thicknessUm, "crystal thickness in um; <= 0 semi-infinite")->capture_default_str();
  mbd->add_option("--pol", o->polarisation, "polarisation angle, degrees (0 sigma, 90 pi)")
      ->check(PlausibleAngle())
      ->capture_default_str();
  mbd->add_option("--dtheta", o->dtheta, "Delta theta scan: FROM TO N (arcsec)")->expected(3)->capture_default_str();
  mbd->add_option("--dphi", o->dphi, "Delta phi scan: FROM TO N (arcsec)")->expected(3)->capture_default_str();
  mbd->add_option("--de", o->energyOffset, "energy offset in eV")->capture_default_str();
  mbd->add_option("--beam", o->beam, "beam written (0-based reflection index)")->capture_default_str();
  mbd->add_flag("--transmission", o->transmission, "exit-surface side instead of the entrance side");
  mbd->add_flag("--urad", o->microradians, "angles in microradians instead of arcseconds");
  mbd->add_option("--columns", o->columns, "phi,theta,r,components,amplitudes,wavevector")->capture_default_str();
  mbd->add_option("--chi-import", o->chiImport, "chi components file (N x N lines, units of 1e-6)");
  mbd->add_option("--conv", o->convolution, "convolution: FWHM RANGE NE THDIV NTH PHIDIV NPHI (eV, urad)")
      ->expected(7);
  mbd->add_option("--search", o->search, "list reflections near phi0: TOLERANCE THRESHOLD")->expected(2);
  mbd->add_option("-o", o->output, "results file (default: standard output)");
  mbd->add_option("--threads", o->threads, "worker threads (default: all cores)");
  mbd->callback([o] { RunMbd(*o); });
});

}  // namespace
}  // namespace velto::cli
