// velto-cli conv: the convoluted rocking curve of a sample crystal rocked in
// the beam of a monochromator, for a divergent and polychromatic source. The
// command drives the form of the program window: the options are typed into
// its fields, the crystals are defined through its dialogs, and
// "Calculate RC !!!" and "Export RC data..." run as in the window.
#include <CLI/CLI.hpp>
#include <array>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/FormSession.h"
#include "cli/ProcessGroup.h"
#include "core/Units.h"
#include "programs/convoluted_curve/ConvolutedCurveForm.h"
#include "programs/curve_export/CurveExport.h"
#include "shell/NumberText.h"

namespace velto::cli {
namespace {

using programs::ConvolutedCurveForm;
using F = programs::ConvolutedCurveField;

// The form's fields that options type into.
constexpr FieldOption<F> kFieldOptions[] = {
    {"--mono-asym", F::MonochromatorAsymmetry, "monochromator asymmetry in degrees"},
    {"--sample-asym", F::SampleAsymmetry, "sample asymmetry in degrees"},
    {"--thickness", F::SampleThickness, "sample thickness in um; <= 0 is semi-infinite"},
    {"--fwhm", F::SpectrumFwhm, "FWHM of the Gaussian spectrum in eV; <= 0 is flat"},
    {"--range", F::SpectrumRange, "spectral integration range in eV"},
    {"--spectral-points", F::SpectralPoints, "points of the spectral integration", "INT"},
    {"--divergence", F::Divergence, "beam divergence in urad (flat)"},
    {"--divergence-points", F::DivergencePoints, "points of the angular integration", "INT"},
    {"--center", F::AngularCentre, "angular center of the beam in arcsec, relative to the mono's Bragg angle"},
    {"--from", F::From, "rocking range start in arcsec"},
    {"--to", F::To, "rocking range end in arcsec"},
    {"--points", F::Points, "rocking points", "INT"},
};

struct ConvOptions {
  std::optional<std::string> energyKev;
  std::string monoStruct, sampleStruct;
  std::vector<int> monoHkl{1, 1, 1}, sampleHkl{1, 1, 1};
  std::string monoTemperature, sampleTemperature;
  std::array<std::optional<std::string>, std::size(kFieldOptions)> fields;
  std::string dcm = "on";
  bool channelCut = false;
  std::string geometry = "nondispersive";
  std::string polarization = "sigma";
  bool rigorous = false;
  bool force = false;
  std::string output;
  std::string unit = "arcsec";
  bool absolute = false;
  bool json = false;
};

programs::ExportUnit UnitOf(const std::string& name) {
  if (name == "urad") return programs::ExportUnit::Microradian;
  if (name == "deg") return programs::ExportUnit::Degree;
  return programs::ExportUnit::Arcsecond;
}

nlohmann::json NumberOrNull(bool present, double value) { return present ? nlohmann::json(value) : nullptr; }

void PrintJson(const ConvolutedCurveForm& form) {
  const auto text = [&form](F id) { return form.Field(id).text; };
  const std::optional<multicrystal::CurveTrace>& trace = form.Curves().Current();
  const std::optional<multicrystal::ConvolutionAnalysis>& analysis = form.Analysis();
  const bool width = analysis && analysis->fwhm;
  const double fwhm = width ? *analysis->fwhm : 0;
  const double from = shell::ParseNumber(text(F::From)), to = shell::ParseNumber(text(F::To));
  const int points = shell::ParseInteger(text(F::Points));
  nlohmann::json out;
  out["energy_kev"] = form.Energy() / core::kEvPerKev;
  // The fields as the calculation left them.
  out["spectrum_fwhm_ev"] = shell::ParseNumber(text(F::SpectrumFwhm));
  out["spectrum_range_ev"] = shell::ParseNumber(text(F::SpectrumRange));
  out["spectral_points"] = shell::ParseInteger(text(F::SpectralPoints));
  out["divergence_points"] = shell::ParseInteger(text(F::DivergencePoints));
  out["thickness_um"] = shell::ParseNumber(text(F::SampleThickness));
  out["from_arcsec"] = from;
  out["to_arcsec"] = to;
  out["points"] = points;
  out["step_arcsec"] = (to - from) / (points - 1);
  out["curve"] = trace.has_value();
  out["peak"] = NumberOrNull(trace.has_value(), analysis ? analysis->peak : 0);
  out["peak_at_arcsec"] = NumberOrNull(trace.has_value(), trace ? trace->Coordinate(analysis->peakIndex) : 0);
  out["fwhm_arcsec"] = NumberOrNull(width, fwhm);
  out["fwhm_deg"] = NumberOrNull(width, fwhm / 3600);
  out["fwhm_urad"] = NumberOrNull(width, fwhm * core::kArcsecond * 1000000);
  out["fwhm_text"] = {text(F::FwhmArcseconds), text(F::FwhmDegrees), text(F::FwhmMicroradians)};
  out["stepsize_text"] = text(F::StepSize);
  out["values"] = trace ? trace->values : std::vector<double>{};
  std::cout << out.dump(2) << '\n';
}

void PrintSummary(const ConvolutedCurveForm& form) {
  const std::optional<multicrystal::CurveTrace>& trace = form.Curves().Current();
  const bool width = form.Analysis() && form.Analysis()->fwhm;
  std::cout << "FWHM:      "
            << (width ? form.Field(F::FwhmArcseconds).text + "   " + form.Field(F::FwhmDegrees).text + " deg   " +
                            form.Field(F::FwhmMicroradians).text
                      : std::string("(none)"))
            << '\n';
  if (trace) {
    std::cout << "Peak:      " << shell::FormatNumber(form.Analysis()->peak) << " at "
              << shell::FormatNumber(trace->Coordinate(form.Analysis()->peakIndex)) << " \"\n";
  } else {
    std::cout << "Peak:      (no intensity in the rocking range)\n";
  }
  std::cout << form.Field(F::StepSize).text << '\n';
}

void RunConv(const ConvOptions& options) {
  FormSession session(options.force);
  ConvolutedCurveForm form(session.App());
  using programs::UserInterface;
  if (options.energyKev) session.SetEnergy(*options.energyKev, [&form](UserInterface& ui) { form.PhotonEnergy(ui); });
  session.DefineCrystal(
      options.monoStruct, options.monoHkl, options.monoTemperature,
      [&form](UserInterface& ui) { form.DefineMonochromator(ui); },
      [&form]() -> const crystal::CrystalParams& { return form.Monochromator(); });
  session.DefineCrystal(
      options.sampleStruct, options.sampleHkl, options.sampleTemperature,
      [&form](UserInterface& ui) { form.DefineSample(ui); },
      [&form]() -> const crystal::CrystalParams& { return form.Sample(); });

  TypeFieldOptions(session, form, kFieldOptions, options.fields);
  form.Field(F::Dcm).checked = options.dcm == "on";
  if (options.channelCut) form.ClickChannelCut();
  form.SetArrangement(options.geometry == "dispersive" ? multicrystal::Arrangement::Dispersive
                                                       : multicrystal::Arrangement::NonDispersive);
  form.SetPolarization(options.polarization == "random" ? multicrystal::PolarizationChoice::Random
                       : options.polarization == "pi"   ? multicrystal::PolarizationChoice::Pi
                                                        : multicrystal::PolarizationChoice::Sigma);
  form.Field(F::Rigorous).checked = options.rigorous;
  form.SetPointRunner(GroupRunner());
  session.Run([&form](UserInterface& ui) { form.Calculate(ui); });
  // Under MPI the curve comes together on rank 0 alone, which exports and
  // prints it; a run broken off by another rank's failure ends here, that
  // rank's message told at the end.
  if (RunBrokenOff()) throw ExitStatus{1};
  if (!LeadsGroup()) return;

  if (!options.output.empty()) {
    const programs::ExportUnit unit = UnitOf(options.unit);
    const bool absolute = options.absolute;
    session.Ui().QueueDialog<programs::CurveExportDialog>([unit, absolute](programs::CurveExportDialog& dialog,
                                                                           UserInterface&) {
      dialog.ChooseScanUnit(unit);
      dialog.ChooseScanReference(absolute ? programs::ExportReference::Absolute : programs::ExportReference::Relative);
      return programs::DialogResult::Ok;
    });
    session.Ui().QueueSaveFile(std::filesystem::path(options.output));
    session.Run([&form](UserInterface& ui) { form.ExportCurve(ui); });
  }
  if (options.json) {
    PrintJson(form);
  } else {
    PrintSummary(form);
  }
}

const CommandRegistration kConvCommand("conv", [](CLI::App& app) {
  auto o = std::make_shared<ConvOptions>();
  // What the window shows before anything is typed, for --help.
  shell::MainFrameState state;
  programs::AppContext context(state);
  const ConvolutedCurveForm defaults(context);
  CLI::App* cmd = app.add_subcommand(
      "conv", "convoluted rocking curve of a sample behind a monochromator, divergent and polychromatic beam");
  cmd->add_option("--energy", o->energyKev, "photon energy in keV")
      ->type_name("FLOAT")
      ->default_str(defaults.Field(F::Energy).text);
  cmd->add_option("--mono-struct", o->monoStruct, "structure file of the monochromator crystal");
  cmd->add_option("--mono-hkl", o->monoHkl, "monochromator reflection H K L")->expected(3)->capture_default_str();
  cmd->add_option("--mono-temp", o->monoTemperature, "temperature of the monochromator crystal in K")
      ->type_name("FLOAT")
      ->check(AboveZeroKelvin())
      ->default_str(shell::FormatNumber(state.defaultTemperature));
  cmd->add_option("--dcm", o->dcm, "channel-cut or double-crystal monochromator")
      ->check(CLI::IsMember({"on", "off"}))
      ->capture_default_str();
  cmd->add_option("--sample-struct", o->sampleStruct, "structure file of the sample crystal");
  cmd->add_option("--sample-hkl", o->sampleHkl, "sample reflection H K L")->expected(3)->capture_default_str();
  cmd->add_option("--sample-temp", o->sampleTemperature, "temperature of the sample crystal in K")
      ->type_name("FLOAT")
      ->check(AboveZeroKelvin())
      ->default_str(shell::FormatNumber(state.defaultTemperature));
  cmd->add_flag("--channel-cut", o->channelCut, "the sample is a channel-cut (thickness semi-infinite)");
  AddFieldOptions(*cmd, kFieldOptions, o->fields, defaults);
  cmd->add_option("--geometry", o->geometry, "arrangement of the last monochromator crystal and the sample")
      ->check(CLI::IsMember({"nondispersive", "dispersive"}))
      ->capture_default_str();
  cmd->add_option("--pol", o->polarization, "polarization; random is the sum of sigma and pi")
      ->check(CLI::IsMember({"random", "sigma", "pi"}))
      ->capture_default_str();
  cmd->add_flag("--rigorous", o->rigorous, "use the rigorous dynamical theory for grazing geometry");
  cmd->add_flag("--force", o->force, "answer Yes to the window's questions (a crystal with zero chi components)");
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
