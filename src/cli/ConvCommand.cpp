// velto-cli conv: the convoluted rocking curve of a sample crystal rocked in
// the beam of a monochromator, for a divergent and polychromatic source, as
// "Calculate RC !!!" of the program window computes it.
#include <CLI/CLI.hpp>
#include <cmath>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cli/Command.h"
#include "cli/CrystalOption.h"
#include "cli/TerminalProgress.h"
#include "core/Units.h"
#include "multicrystal/Convolution.h"
#include "programs/convoluted_curve/ConvolutedCurveTexts.h"
#include "shell/MainFrameState.h"
#include "shell/NumberText.h"

namespace velto::cli {
namespace {

using multicrystal::AngleUnit;

struct ConvOptions {
  double energyKev = shell::kDefaultEnergyEv / core::kEvPerKev;
  std::string monoStruct, sampleStruct;
  std::vector<int> monoHkl{1, 1, 1}, sampleHkl{1, 1, 1};
  multicrystal::ConvolutionInput input;  // the form's defaults
  std::string dcm = "on";
  std::string geometry = "nondispersive";
  std::string polarization = "sigma";
  std::string output;
  std::string unit = "arcsec";
  bool absolute = false;
  bool json = false;
};

AngleUnit UnitOf(const std::string& name) {
  if (name == "urad") return AngleUnit::Microradian;
  if (name == "deg") return AngleUnit::Degree;
  return AngleUnit::Arcsecond;
}


void RunConv(ConvOptions& options) {
  StderrNotifier notifier;
  multicrystal::ConvolutionInput& in = options.input;
  in.energy = options.energyKev * core::kEvPerKev;
  if (!(in.energy > 0) || !std::isfinite(in.energy)) Refuse("The photon energy must be a positive number of keV.");
  in.doubleMonochromator = options.dcm == "on";
  in.arrangement = options.geometry == "dispersive" ? multicrystal::Arrangement::Dispersive
                                                    : multicrystal::Arrangement::NonDispersive;
  in.polarization = options.polarization == "random" ? multicrystal::PolarizationChoice::Random
                    : options.polarization == "pi"   ? multicrystal::PolarizationChoice::Pi
                                                     : multicrystal::PolarizationChoice::Sigma;
  in.monochromator = LoadCrystalOption(options.monoStruct, options.monoHkl, in.energy, notifier);
  in.sample = LoadCrystalOption(options.sampleStruct, options.sampleHkl, in.energy, notifier);

  auto prepared = multicrystal::PrepareConvolution(in);
  if (auto* refusal = std::get_if<multicrystal::Refusal>(&prepared)) Refuse(*refusal);
  const multicrystal::ConvolutionPlan& plan = std::get<multicrystal::ConvolutionPlan>(prepared);

  TerminalProgress progress("Convolution");
  std::vector<double> intensity;
  const auto status = multicrystal::ComputeConvolution(plan, intensity, progress);
  if (status == multicrystal::ConvolutionStatus::OutOfMemory) Refuse(multicrystal::kNoMemoryMessage);
  const std::optional<multicrystal::CurveTrace> trace = multicrystal::ConvolutedTrace(plan, std::move(intensity));
  multicrystal::ConvolutionAnalysis analysis;
  if (trace) analysis = multicrystal::AnalyseConvolutedCurve(*trace);
  const programs::ConvolutionFwhmTexts fwhm = programs::FwhmTextsOf(analysis.fwhm);

  if (!options.output.empty()) {
    if (auto refusal = programs::ExportConvolutedCurve(trace, UnitOf(options.unit), options.absolute, options.output))
      Refuse(refusal->message);
  }

  if (options.json) {
    nlohmann::json out;
    out["energy_kev"] = in.energy / core::kEvPerKev;
    out["spectrum_fwhm_ev"] = in.spectrumFwhm;
    out["spectrum_range_ev"] = in.spectrumRange;
    out["spectral_points"] = in.spectralPoints;
    out["divergence_points"] = in.divergencePoints;
    out["thickness_um"] = in.sampleThickness;
    out["from_arcsec"] = plan.from;
    out["to_arcsec"] = plan.to;
    out["points"] = plan.points;
    out["step_arcsec"] = plan.step;
    out["curve"] = trace.has_value();
    out["peak"] = trace ? nlohmann::json(analysis.peak) : nlohmann::json(nullptr);
    out["peak_at_arcsec"] = trace ? nlohmann::json(trace->Coordinate(analysis.peakIndex)) : nlohmann::json(nullptr);
    if (analysis.fwhm) {
      out["fwhm_arcsec"] = *analysis.fwhm;
      out["fwhm_deg"] = *analysis.fwhm / 3600;
      out["fwhm_urad"] = *analysis.fwhm * core::kArcsecond * 1000000;
    } else {
      out["fwhm_arcsec"] = out["fwhm_deg"] = out["fwhm_urad"] = nullptr;
    }
    out["fwhm_text"] = {fwhm.arcseconds, fwhm.degrees, fwhm.microradians};
    out["stepsize_text"] = programs::RockingStepText(plan.step);
    out["values"] = trace ? trace->values : std::vector<double>{};
    std::cout << out.dump(2) << '\n';
    return;
  }
  std::cout << "FWHM:      "
            << (analysis.fwhm ? fwhm.arcseconds + "   " + fwhm.degrees + " deg   " + fwhm.microradians
                              : std::string("(none)"))
            << '\n';
  if (trace) {
    std::cout << "Peak:      " << shell::FormatNumber(analysis.peak) << " at "
              << shell::FormatNumber(trace->Coordinate(analysis.peakIndex)) << " \"\n";
  } else {
    std::cout << "Peak:      (no intensity in the rocking range)\n";
  }
  std::cout << programs::RockingStepText(plan.step) << '\n';
}

const CommandRegistration kConvCommand("conv", [](CLI::App& app) {
  auto o = std::make_shared<ConvOptions>();
  multicrystal::ConvolutionInput& in = o->input;
  CLI::App* cmd = app.add_subcommand(
      "conv", "convoluted rocking curve of a sample behind a monochromator, divergent and polychromatic beam");
  cmd->add_option("--energy", o->energyKev, "photon energy in keV")->capture_default_str();
  cmd->add_option("--mono-struct", o->monoStruct, "structure file of the monochromator crystal");
  cmd->add_option("--mono-hkl", o->monoHkl, "monochromator reflection H K L")->expected(3)->capture_default_str();
  cmd->add_option("--mono-asym", in.monochromatorAsymmetry, "monochromator asymmetry in degrees")
      ->capture_default_str();
  cmd->add_option("--dcm", o->dcm, "channel-cut or double-crystal monochromator")
      ->check(CLI::IsMember({"on", "off"}))
      ->capture_default_str();
  cmd->add_option("--sample-struct", o->sampleStruct, "structure file of the sample crystal");
  cmd->add_option("--sample-hkl", o->sampleHkl, "sample reflection H K L")->expected(3)->capture_default_str();
  cmd->add_option("--sample-asym", in.sampleAsymmetry, "sample asymmetry in degrees")->capture_default_str();
  cmd->add_flag("--channel-cut", in.sampleChannelCut, "the sample is a channel-cut (thickness semi-infinite)");
  cmd->add_option("--thickness", in.sampleThickness, "sample thickness in um; <= 0 is semi-infinite")
      ->capture_default_str();
  cmd->add_option("--geometry", o->geometry, "arrangement of the last monochromator crystal and the sample")
      ->check(CLI::IsMember({"nondispersive", "dispersive"}))
      ->capture_default_str();
  cmd->add_option("--pol", o->polarization, "polarization; random is the sum of sigma and pi")
      ->check(CLI::IsMember({"random", "sigma", "pi"}))
      ->capture_default_str();
  cmd->add_option("--fwhm", in.spectrumFwhm, "FWHM of the Gaussian spectrum in eV; <= 0 is flat")
      ->capture_default_str();
  cmd->add_option("--range", in.spectrumRange, "spectral integration range in eV")->capture_default_str();
  cmd->add_option("--spectral-points", in.spectralPoints, "points of the spectral integration")
      ->capture_default_str();
  cmd->add_option("--divergence", in.divergence, "beam divergence in urad (flat)")->capture_default_str();
  cmd->add_option("--divergence-points", in.divergencePoints, "points of the angular integration")
      ->capture_default_str();
  cmd->add_option("--center", in.angularCentre, "angular center of the beam in arcsec, relative to the mono's Bragg angle")
      ->capture_default_str();
  cmd->add_option("--from", in.from, "rocking range start in arcsec")->capture_default_str();
  cmd->add_option("--to", in.to, "rocking range end in arcsec")->capture_default_str();
  cmd->add_option("--points", in.points, "rocking points")->capture_default_str();
  cmd->add_flag("--rigorous", in.rigorous, "use the rigorous dynamical theory for grazing geometry");
  cmd->add_option("-o,--output", o->output, "export the curve to this file");
  cmd->add_option("--unit", o->unit, "angle unit of the export")
      ->check(CLI::IsMember({"urad", "arcsec", "deg"}))
      ->capture_default_str();
  cmd->add_flag("--absolute", o->absolute, "export absolute angles (the sample's nominal incidence added)");
  cmd->add_flag("--json", o->json, "print one JSON object instead of the summary");
  cmd->callback([o] { RunConv(*o); });
});

}  // namespace
}  // namespace velto::cli
