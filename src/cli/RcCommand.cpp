// velto-cli rc: the single-crystal program's "Calculate RC\nUpdate" on a
// structure file: a rocking curve or energy scan of one two-beam reflection
// (Bragg or Laue case, standard or rigorous theory), its characteristic
// numbers as the form and its "More details " dialog show them, and the
// curve export.
#include <CLI/CLI.hpp>
#include <cmath>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/CliUserInterface.h"
#include "cli/Command.h"
#include "cli/CrystalOption.h"
#include "cli/ExportColumnsOption.h"
#include "cli/TerminalProgress.h"
#include "core/Units.h"
#include "crystal/CrystalStructure.h"
#include "crystal/Susceptibility.h"
#include "programs/crystal_dialog/ReflectionChecks.h"
#include "programs/curve_export/CurveExport.h"
#include "programs/single_crystal/SingleCrystalCalculation.h"
#include "programs/single_crystal/SingleCrystalResults.h"
#include "programs/ui/FieldReading.h"
#include "shell/NumberText.h"

namespace velto::cli {
namespace {

using twobeam::ScanKind;

struct RcOptions {
  std::string structFile;  // empty: the silicon example of the data directory
  std::vector<int> hkl{1, 1, 1};
  double energyKev = core::kCuKalpha1Kev;
  double temperature = 293.15;
  bool laue = false;
  std::string polarization = "sigma";
  std::string scan = "angle";
  // Field texts, read as the form reads them; empty: the form's default.
  std::string offset = "0";
  std::string from, to;
  std::string points = "2001";
  std::string asymmetry = "0";
  std::string thickness;
  bool rigorous = false;
  std::string output;
  std::string columns;
  bool json = false;
};

// The Bragg-angle field of the form.
std::string BraggAngleText(double energyEv, double d) {
  const double sine = core::WavelengthOf(energyEv) / (2 * d);
  if (sine - 1 > 1e-7) return "90 (O+)";
  if (sine - 1 > 0) return "90 (O)";
  return shell::FormatNumber(std::asin(sine) / core::kDegree, 8);
}

nlohmann::json NullOr(bool shown, double value) { return shown ? nlohmann::json(value) : nlohmann::json(nullptr); }

void PrintJson(const programs::PreparedCalculation& p, const programs::SingleCrystalOutcome& o, double b) {
  const twobeam::CurveAnalysis& a = o.analysis;
  const bool rocking = p.scan.kind == ScanKind::RockingCurve;
  const bool shown = a.HasWidth() && o.curve.HasData();
  const double scanUnit = rocking ? core::kArcsecond : 1.0;  // internal units per display unit
  nlohmann::json out;
  out["theta_b_deg"] = p.braggAngle / core::kDegree;
  out["b"] = b;
  out["points"] = p.scan.points;
  out["scan"] = rocking ? "angle" : "energy";
  out["max_r"] = NullOr(shown, a.maxR);
  out["x_max"] = NullOr(shown, a.xMax / scanUnit);
  out["x_max_exit"] = NullOr(shown, a.dMax / core::kArcsecond);
  out["r_centre"] = NullOr(shown, a.rCentre);
  out["x_centre"] = NullOr(shown, a.xCentre / scanUnit);
  out["x_centre_exit"] = NullOr(shown, a.dCentre / core::kArcsecond);
  out["fwhm"] = NullOr(shown, a.fwhm / scanUnit);
  out["fwhm_exit"] = NullOr(shown, a.fwhmExit / core::kArcsecond);
  out["x_left"] = NullOr(shown, a.xLeft / scanUnit);
  out["x_right"] = NullOr(shown, a.xRight / scanUnit);
  out["abs_max"] = NullOr(shown, a.absMax);
  out["abs_centre"] = NullOr(shown, a.absCentre);
  out["analytic_shift"] = NullOr(shown && rocking, a.analyticShift / core::kArcsecond);
  out["analytic_fwhm"] = NullOr(shown && rocking && !p.laue && a.analyticFwhm > 0, a.analyticFwhm / core::kArcsecond);
  out["dumond_slope"] = NullOr(shown, a.duMondSlope);
  out["min_depth_um"] = NullOr(shown && !p.laue && a.minDepth > 0, a.minDepth / core::kAngstromPerMicrometre);
  out["extinction_um"] = NullOr(shown && a.extinction > 0, a.extinction / core::kAngstromPerMicrometre);
  std::cout << out.dump(2) << '\n';
}

void PrintSummary(const std::string& name, const RcOptions& options, const programs::PreparedCalculation& p,
                  const programs::SingleCrystalOutcome& o) {
  const bool rocking = p.scan.kind == ScanKind::RockingCurve;
  std::cout << (p.laue ? "Laue-case Single-Crystal Diffraction for Plane Wave\n"
                       : "Bragg-case Darwin Curve of Single Crystal Diffraction\n")
            << "Crystal:            " << name << '\n'
            << "H K L:              " << options.hkl[0] << ' ' << options.hkl[1] << ' ' << options.hkl[2] << '\n'
            << "Photon energy:      " << shell::FormatNumber(p.energy / core::kEvPerKev, 8) << " keV\n"
            << "Bragg angle:        " << BraggAngleText(p.energy, p.dSpacing) << " deg\n"
            << "Asymmetry angle:    " << shell::FormatNumber(p.asymmetryDegrees, 8) << " deg\n"
            << "b =                 " << o.asymmetryFactorText << '\n'
            << "Thickness:          " << p.thicknessText << " um\n"
            << "Polarization:       " << (p.scan.polarization == twobeam::Polarization::Sigma ? "Sigma" : "Pi") << '\n'
            << "Theory:             " << (p.scan.rigorous ? "rigorous (grazing geometry)" : "standard") << '\n'
            << (rocking ? "Rocking curve:      " : "Energy scan:        ") << shell::FormatNumber(p.from, 8) << " to "
            << shell::FormatNumber(p.to, 8) << (rocking ? " arcsec, " : " eV, ") << p.scan.points << " points, "
            << p.stepLabel << '\n';
  const programs::ResultFieldTexts fields = programs::FormatResultFields(o.analysis, p.scan.kind);
  if (!o.curve.HasData()) {
    std::cout << "\nNo reflection: the curve stays below 1e-50.\n";
    return;
  }
  if (!programs::DetailsAvailable(o.curve, o.analysis)) {
    std::cout << "\nThe curve has no full width at half maximum within the scan.\n";
    return;
  }
  std::cout << "\nMaximum Reflectivity:       " << fields.maxReflectivity << "  at " << fields.maxPosition << '\n'
            << "Curve Center Reflectivity:  " << fields.centreReflectivity << "  at " << fields.centrePosition << '\n'
            << "FWHM:                       " << fields.fwhm << '\n';
  if (!fields.fwhmMicroradian.empty()) std::cout << "                            " << fields.fwhmMicroradian << '\n';

  const programs::DetailTexts d = programs::FormatDetails(o.analysis, p.scan.kind, p.laue, p.offset);
  std::cout << "\nMore details\n"
            << "Max Reflectivity:           " << d.maxReflectivity << "  at " << d.maxPosition << "  (exit " << d.maxExit
            << ")  " << d.maxAbsolute << '\n'
            << "Center Reflectivity:        " << d.centreReflectivity << "  at " << d.centrePosition << "  (exit "
            << d.centreExit << ")  " << d.centreAbsolute << (rocking ? " (absolute Incidence angle)" : "") << '\n';
  if (rocking) std::cout << "Analytical Center shift =   " << d.analyticShift << '\n';
  std::cout << "FWHM:                       " << d.fwhm << "  in terms of Exit angle " << d.fwhmExit << '\n';
  if (d.analyticFwhmVisible && !d.analyticFwhm.empty())
    std::cout << "Analytical FWHM (inc.) =    " << d.analyticFwhm << '\n';
  std::string slope = d.duMondSlope;
  for (std::size_t at; (at = slope.find("\r\n")) != std::string::npos;) slope.replace(at, 2, ", ");
  std::cout << "Half Maximum Positions:     " << d.halfMaximum << '\n'
            << "                            " << d.halfMaximumExit << '\n'
            << "DuMond Curve Slope:         " << slope << '\n'
            << d.depthLabel << std::string(d.depthLabel.size() < 28 ? 28 - d.depthLabel.size() : 1, ' ')
            << (d.depth.empty() ? "" : d.depth + " um") << '\n'
            << d.extinctionLabel << std::string(d.extinctionLabel.size() < 28 ? 28 - d.extinctionLabel.size() : 1, ' ')
            << (d.extinction.empty() ? "" : d.extinction + " um") << '\n';
}

// A refusal of the form's checks, naming the option whose text the field held.
[[noreturn]] void RefuseField(const programs::Refusal& refusal) {
  CliUserInterface ui;
  const std::pair<std::string_view, const char*> options[] = {
      {programs::kOffsetField, "--offset"}, {programs::kFromField, "--from"},
      {programs::kToField, "--to"},         {programs::kPointsField, "--points"},
      {programs::kAsymmetryField, "--asym"}, {programs::kThicknessField, "--thickness"}};
  for (const auto& [field, option] : options) ui.NameOption(std::string(field), option);
  programs::ShowRefusal(ui, refusal);
  ui.Flush();
  throw ExitStatus{1};
}

void RunRc(const RcOptions& options) {
  StderrNotifier notifier;
  programs::SingleCrystalInputs in;
  in.laue = options.laue;
  in.energy = options.energyKev * core::kEvPerKev;
  if (auto refusal = programs::CheckPhotonEnergy(in.energy)) Refuse(*refusal);
  if (auto refusal = programs::CheckAtomicDataEnergy(in.energy)) Refuse(*refusal);
  const double temperature = options.temperature;
  if (options.polarization != "sigma" && options.polarization != "pi") Refuse("--pol takes sigma or pi.");
  if (options.scan != "angle" && options.scan != "energy") Refuse("--scan takes angle or energy.");
  if (auto refusal = programs::CheckRigorousTheory(options.laue, options.rigorous)) Refuse(*refusal);
  if (options.columns.size() && options.output.empty()) Refuse("--columns needs -o FILE.");

  CheckHkl(options.hkl);
  const int h = options.hkl[0], k = options.hkl[1], l = options.hkl[2];

  // A crystal without atoms is refused by the form's own check.
  crystal::CrystalStructure structure =
      LoadStructOption(options.structFile, temperature, notifier, {.undefined = nullptr});
  in.crystalDefined = structure.IsLoaded();
  in.dSpacing = structure.DSpacing(h, k, l);
  if (in.crystalDefined) {
    in.chi = crystal::ComputeReflectionChi(structure, in.energy, h, k, l, notifier);
    // The atomic data have already said why (an energy outside their tables).
    if (in.chi.Failed()) throw ExitStatus{1};
  }

  in.polarization = options.polarization == "pi" ? twobeam::Polarization::Pi : twobeam::Polarization::Sigma;
  in.scanKind = options.scan == "energy" ? ScanKind::EnergyScan : ScanKind::RockingCurve;
  in.rigorous = options.rigorous;
  in.offsetText = options.offset;
  const programs::ScanRangeTexts range = programs::DefaultScanRange(in.scanKind);
  in.fromText = options.from.empty() ? range.from : options.from;
  in.toText = options.to.empty() ? range.to : options.to;
  in.pointsText = options.points;
  in.asymmetryText = options.asymmetry;
  in.thicknessText = options.thickness.empty() ? programs::DefaultThicknessText(options.laue) : options.thickness;

  auto prepared = programs::PrepareSingleCrystal(in);
  if (auto* refusal = std::get_if<programs::Refusal>(&prepared)) RefuseField(*refusal);
  const programs::PreparedCalculation& p = std::get<programs::PreparedCalculation>(prepared);

  TerminalProgress progress("Rocking curve");
  programs::SingleCrystalOutcome outcome = programs::RunSingleCrystal(p, notifier, progress);
  if (outcome.status == twobeam::ScanStatus::OutOfMemory) Refuse(programs::kNoMemoryMessage);

  double b;
  if (p.laue) {
    b = twobeam::LaueCrystal(p.energy, p.dSpacing, p.asymmetry, p.scan.thickness, p.chi).AsymmetryFactor();
  } else {
    b = -twobeam::BraggCrystal(p.energy, p.dSpacing, p.asymmetry, p.scan.thickness, p.chi).AsymmetryRatio();
  }
  if (options.json) {
    PrintJson(p, outcome, b);
  } else {
    PrintSummary(structure.name, options, p, outcome);
  }

  if (!options.output.empty()) {
    if (auto refusal = programs::CheckExportable(outcome.curve)) Refuse(refusal->message);
    programs::ExportAvailability availability;
    availability.laue = p.laue;
    availability.transmissivityAvailable = p.thicknessMicrometres > 0;
    availability.rigorous = p.scan.rigorous;
    availability.kind = outcome.curve.kind;
    programs::CurveExportDialog dialog(availability);
    if (!options.columns.empty()) ApplyColumns(options.columns, dialog);
    if (auto refusal = dialog.Accept()) Refuse(refusal->message);
    const programs::ExportGeometry geometry{p.braggAngle, p.asymmetry, p.energy};
    if (auto refusal = programs::WriteCurveFile(options.output, outcome.curve, geometry, dialog.Choice()))
      Refuse(refusal->message);
  }
  EndIfPointsFailed(outcome.curve.failedPoints, outcome.curve.points);
}

const CommandRegistration kRcCommand("rc", [](CLI::App& app) {
  auto options = std::make_shared<RcOptions>();
  CLI::App* rc = app.add_subcommand(
      "rc", "rocking curve or energy scan of one crystal in one two-beam reflection (single-crystal program)");
  rc->add_option("--struct", options->structFile, "crystal structure file (default: Silicon.struct of the data)");
  rc->add_option("--hkl", options->hkl, "reflection indices H K L")->expected(3)->capture_default_str();
  rc->add_option("--energy", options->energyKev, "photon energy in keV")->capture_default_str();
  rc->add_option("--temp", options->temperature, "crystal temperature in K")
      ->check(AboveZeroKelvin())
      ->capture_default_str();
  rc->add_flag("--laue", options->laue, "Laue case (default: Bragg case)");
  rc->add_option("--pol", options->polarization, "polarization: sigma or pi")->capture_default_str();
  rc->add_option("--scan", options->scan, "angle (rocking curve) or energy (energy scan)")->capture_default_str();
  rc->add_option("--offset", options->offset,
                 "fixed coordinate from the Bragg condition: eV for a rocking curve, arcsec for an energy scan")
      ->capture_default_str();
  rc->add_option("--from", options->from, "scan start: arcsec (rocking curve, default -50) or eV (default -2)");
  rc->add_option("--to", options->to, "scan end: arcsec (default 50) or eV (default 3)");
  rc->add_option("--points", options->points, "number of points, 3 to 100000")->capture_default_str();
  rc->add_option("--asym", options->asymmetry, "asymmetry angle in degrees")->capture_default_str();
  rc->add_option("--thickness", options->thickness, "thickness in um; -1 semi-infinite (default -1, Laue 50)");
  rc->add_flag("--rigorous", options->rigorous, "rigorous dynamical theory for grazing geometry (Bragg case)");
  rc->add_option("-o", options->output, "export the curve to FILE (tab-separated, CR LF line ends)");
  rc->add_option("--columns", options->columns,
                 "exported columns, comma-separated: scan[:urad|arcsec|deg][:rel|abs], exit[...], r, t, depth, "
                 "specular (default: scan,r)");
  rc->add_flag("--json", options->json, "print one JSON object instead of the summary");
  rc->callback([options] { RunRc(*options); });
});

}  // namespace
}  // namespace velto::cli
