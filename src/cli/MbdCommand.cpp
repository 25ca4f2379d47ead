// velto-cli mbd: a multiple-beam diffraction run as the MBD window makes
// it: crystal, primary reflection, reference direction, surface, beams, chi
// components computed or imported, and a plane-wave or convoluted Δθ/Δφ
// scan written as the results file.
#include <CLI/CLI.hpp>
#include <array>
#include <cmath>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/CrystalOption.h"
#include "cli/TerminalProgress.h"
#include "core/OutputFile.h"
#include "core/Units.h"
#include "crystal/CrystalStructure.h"
#include "mbd/ChiImport.h"
#include "mbd/MbdGeometry.h"
#include "mbd/MbdReflectionTable.h"
#include "mbd/MbdScan.h"
#include "mbd/MbdSolver.h"
#include "mbd/ReflectionRules.h"
#include "mbd/ReflectionSearch.h"
#include "shell/NumberText.h"

namespace velto::cli {
namespace {

struct MbdOptions {
  std::string structFile;
  double energyKev = core::kCuKalpha1Kev;
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
  std::string columns = "phi,theta,r";
  std::string chiImport;
  std::vector<double> convolution;
  std::vector<double> search;
  std::string output;
  int threads = 0;
};

bool DiamondMode(const std::string& mode, const std::string& crystalName) {
  if (mode == "on") return true;
  if (mode == "off") return false;
  return mbd::IsDiamondStructureName(crystalName);
}

void ApplyColumns(const std::string& list, mbd::ResultOptions& options) {
  options.deltaPhi = options.deltaTheta = options.reflectivity = false;
  options.components = options.amplitudes = options.waveVector = false;
  std::stringstream stream(list);
  std::string name;
  while (std::getline(stream, name, ',')) {
    if (name == "phi") options.deltaPhi = true;
    else if (name == "theta") options.deltaTheta = true;
    else if (name == "r") options.reflectivity = true;
    else if (name == "components") options.components = true;
    else if (name == "amplitudes") options.amplitudes = true;
    else if (name == "wavevector") options.waveVector = true;
    else if (!name.empty()) Refuse("Unknown column '" + name + "' (phi, theta, r, components, amplitudes, wavevector).");
  }
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

void AddReflections(const MbdOptions& options, const mbd::MbdGeometry& geometry, bool diamond,
                    mbd::MbdReflectionTable& table, StderrNotifier& notifier) {
  for (const std::string& text : options.add) {
    const std::optional<mbd::Miller> hkl = ParseIndices(text);
    if (!hkl) Refuse("--add needs three integers \"h k l\", not '" + text + "'.");
    CheckHkl(std::array{hkl->h, hkl->k, hkl->l}, AllZeroHkl::Accept);
    mbd::AddAnswers answers;
    for (;;) {
      const mbd::AddResult result = table.Add(*hkl, geometry, diamond, answers);
      if (result.status == mbd::AddStatus::AskForbidden && options.force) {
        answers.includeForbidden = true;
        continue;
      }
      if (result.status == mbd::AddStatus::AskNoBraggAngle && options.force) {
        answers.includeWithoutBraggAngle = true;
        continue;
      }
      if (result.status == mbd::AddStatus::AskForbidden || result.status == mbd::AddStatus::AskNoBraggAngle)
        notifier.Notify(mbd::IndicesText(*hkl) + ": " + result.text + "Not included (use --force to include it).",
                        core::MessageIcon::Information);
      else if (result.status != mbd::AddStatus::Added)
        notifier.Notify(result.text, core::MessageIcon::Information);
      break;
    }
  }
}

void RunMbd(const MbdOptions& options) {
  StderrNotifier notifier;
  const double energy = options.energyKev * core::kEvPerKev;
  if (!(energy > 0) || !std::isfinite(energy)) Refuse("The photon energy must be a positive number of keV.");
  // The geometry refuses a crystal without atoms and G = 0 0 0 in its own words.
  crystal::CrystalStructure structure =
      LoadStructOption(options.structFile, options.temperature, notifier, {.undefined = nullptr});
  CheckHkl(options.hkl, AllZeroHkl::Accept);
  const mbd::Miller g{options.hkl[0], options.hkl[1], options.hkl[2]};
  const mbd::LatticeBasis lattice = mbd::LatticeBasisOf(structure);
  const bool diamond = DiamondMode(options.siMode, structure.name);

  mbd::MbdGeometry geometry;
  const mbd::Vec3 reference =
      options.reference.size() == 3 ? mbd::Vec3{options.reference[0], options.reference[1], options.reference[2]}
                                    : mbd::Vec3{};
  const mbd::FrameStatus frame = geometry.Build(structure.IsLoaded(), lattice, g, reference, options.offcut,
                                                options.offcutAzimuth);
  if (frame != mbd::FrameStatus::Ok) Refuse(mbd::FrameMessage(frame));
  geometry.SetEnergy(energy);
  if (!geometry.HasBraggAngle())
    Refuse("The energy chosen is below the minimum energy of the primary reflection, " +
           shell::FormatNumber(core::kHalfHcEvAngstrom / 1000 / lattice.DSpacing(g), 8) + " keV");
  geometry.SetPrincipalAzimuth(options.azimuth);

  mbd::MbdReflectionTable table(g);
  AddReflections(options, geometry, diamond, table, notifier);

  nlohmann::json summary;
  summary["crystal"] = structure.name;
  summary["si_mode"] = diamond;
  summary["theta_b_deg"] = geometry.BraggAngle() / core::kDegree;
  summary["offcut_deg"] = geometry.OffcutDeg();
  summary["offcut_azimuth_deg"] = geometry.OffcutAzimuthDeg();
  if (geometry.PrincipalAzimuthDeg()) summary["azimuth_deg"] = *geometry.PrincipalAzimuthDeg();
  nlohmann::json beams = nlohmann::json::array();
  for (int i = 0; i < table.Count(); ++i) {
    const mbd::MbdBeam& beam = table[i];
    beams.push_back({{"index", i},
                     {"hkl", {beam.hkl.h, beam.hkl.k, beam.hkl.l}},
                     {"bragg_deg", i < 2 ? nlohmann::json(nullptr) : AngleOrNull(beam.braggAngle, 1 / core::kDegree)},
                     {"azimuths_deg", {AngleOrNull(beam.azimuth1, 1), AngleOrNull(beam.azimuth2, 1)}}});
  }
  summary["beams"] = beams;

  if (!options.search.empty()) {
    if (!geometry.PrincipalAzimuthDeg()) Refuse(mbd::FrameMessage(mbd::FrameStatus::PrincipalAzimuthNotSet));
    const mbd::SearchResult result =
        mbd::SearchReflectionsNearAzimuth(geometry, structure, diamond, options.search[0], options.search[1], notifier);
    nlohmann::json hits = nlohmann::json::array();
    for (std::size_t i = 0; i < result.hits.Count(); ++i)
      hits.push_back({{"hkl", mbd::IndicesText(result.hits[i].hkl)},
                      {"delta_phi_deg", shell::FormatNumber(result.deviations[i], 8)},
                      {"azimuths_deg", {AngleOrNull(result.hits[i].value1, 1), AngleOrNull(result.hits[i].value2, 1)}}});
    summary["search"] = {{"tolerance_deg", result.tolerance}, {"threshold", result.threshold}, {"hits", hits}};
    if (options.output.empty()) {
      std::cout << summary.dump(2) << '\n';
      return;
    }
  }

  const mbd::FrameStatus incidence = geometry.CheckIncidence();
  if (incidence != mbd::FrameStatus::Ok) Refuse(mbd::FrameMessage(incidence));

  mbd::MbdSolver solver(table.Count(), energy);
  mbd::Vec3 a1, a2, a3;
  geometry.DirectVectorsInSolverFrame(a1, a2, a3);
  solver.SetBeams(table.Indices(), a1, a2, a3);
  if (!options.chiImport.empty()) {
    const mbd::ChiImportStatus status = mbd::ImportChiFile(options.chiImport, solver);
    if (status != mbd::ChiImportStatus::Ok) Refuse(mbd::ChiImportMessage(status));
  } else if (!solver.ComputeChi(structure, notifier)) {
    Refuse("Need to Calculate Chi Components");
  }

  mbd::ScanSetup setup;
  setup.thetaFromArcsec = options.dtheta[0];
  setup.thetaToArcsec = options.dtheta[1];
  setup.thetaPoints = GridPointsOption(options.dtheta[2], "--dtheta");
  setup.phiFromArcsec = options.dphi[0];
  setup.phiToArcsec = options.dphi[1];
  setup.phiPoints = GridPointsOption(options.dphi[2], "--dphi");
  setup.energyOffsetEv = options.energyOffset;
  setup.polarisationDeg = options.polarisation;
  const std::string refusal = mbd::ValidateScan(setup);
  if (!refusal.empty()) Refuse(refusal);
  if (!(energy + setup.energyOffsetEv > 0)) Refuse("--de: the photon energy E + dE must stay above 0 eV.");
  setup.thicknessAngstrom = options.thicknessUm > 0 ? options.thicknessUm * core::kAngstromPerMicrometre : -1;
  setup.options.exitSide = options.transmission;
  if (options.transmission && setup.thicknessAngstrom < 0)
    Refuse("Transmission (Exit Crystal Surface Side) needs a crystal of finite thickness.");
  setup.options.microradians = options.microradians;
  setup.options.rotationDeg = setup.polarisationDeg;
  ApplyColumns(options.columns, setup.options);
  if (options.beam < 0 || options.beam >= table.Count())
    Refuse("The beam must be one of 0 ... " + std::to_string(table.Count() - 1) + ".");
  setup.options.beam = options.beam;
  const bool convolution = !options.convolution.empty();
  if (convolution && (setup.options.amplitudes || setup.options.waveVector))
    Refuse("Wave amplitudes and diffracted wave vectors are not available for a convolution run.");

  // The results stream into the file; an interrupted or failed run leaves
  // the earlier file as it was.
  const int threads = ThreadsOption(options.threads, notifier);
  core::OutputFile file;
  if (!options.output.empty() && !file.Open(options.output))
    Refuse("Failed to create the file \"" + options.output + "\" !");
  TerminalProgress progress(convolution ? "MBD convolution" : "MBD scan");
  std::string line;
  const mbd::PointSink sink = [&](const mbd::PointResult& point) {
    line = mbd::FormatResultLine(point, setup.options, convolution, shell::FormatNumber);
    if (options.output.empty()) {
      std::cout << line;
    } else if (!file.Write(line)) {
      progress.Stop();
    }
  };
  mbd::ScanSummary result;
  if (convolution) {
    const std::vector<double>& c = options.convolution;
    mbd::ConvolutionSetup settings{c[0], c[1], GridPointsOption(c[2], "--conv"), c[3], GridPointsOption(c[4], "--conv"),
                                   c[5], GridPointsOption(c[6], "--conv")};
    result = mbd::RunConvolution(solver, geometry, setup, settings, progress, notifier, sink, threads);
  } else {
    result = mbd::RunPlaneWaveScan(solver, geometry, setup, progress, notifier, sink, threads);
  }
  std::cout.flush();
  if (options.output.empty() ? !std::cout : !file.Commit())
    Refuse("Failed to create the file \"" + options.output + "\" !");
  if (options.output.empty()) return;
  summary["lines"] = result.linesEmitted;
  summary["points_not_entering"] = result.pointsSkipped;
  summary["solver_failures"] = result.solverFailures;
  summary["file"] = options.output;
  std::cout << summary.dump(2) << '\n';
}

const CommandRegistration kMbdCommand("mbd", [](CLI::App& app) {
  auto o = std::make_shared<MbdOptions>();
  CLI::App* mbd = app.add_subcommand("mbd", "multiple-beam diffraction: plane-wave or convoluted scan, reflection search");
  mbd->add_option("--struct", o->structFile, "crystal structure file (default: Silicon.struct of the data)");
  mbd->add_option("--energy", o->energyKev, "photon energy in keV")->capture_default_str();
  mbd->add_option("--temp", o->temperature, "crystal temperature in K")->capture_default_str();
  mbd->add_option("--hkl", o->hkl, "primary reflection G: H K L")->expected(3)->capture_default_str();
  mbd->add_option("--href", o->reference, "horizontal reference direction (azimuth 0): H K L, fractions allowed")
      ->expected(3);
  mbd->add_option("--offcut", o->offcut, "surface offcut from the Bragg plane of G, degrees")->capture_default_str();
  mbd->add_option("--offcut-azimuth", o->offcutAzimuth, "azimuth of the offcut, degrees")->capture_default_str();
  mbd->add_option("--azimuth", o->azimuth, "principal azimuth of incidence phi0, degrees");
  mbd->add_option("--add", o->add, "add reflection \"h k l\" (repeatable)");
  mbd->add_flag("--force", o->force, "include forbidden reflections and those without a Bragg angle");
  mbd->add_option("--si-mode", o->siMode, "diamond-structure rule: on, off or auto (from the crystal name)")
      ->check(CLI::IsMember({"on", "off", "auto"}))
      ->capture_default_str();
  mbd->add_option("--thickness", o->thicknessUm, "crystal thickness in um; <= 0 semi-infinite")->capture_default_str();
  mbd->add_option("--pol", o->polarisation, "polarisation angle, degrees (0 sigma, 90 pi)")->capture_default_str();
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
