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
#include "programs/crystal_dialog/CrystalParamsForm.h"
#include "programs/energy_dialogs/ChangeWavelengthForm.h"
#include "programs/multiple_beam/ChiComponentsForm.h"
#include "programs/multiple_beam/HorizontalReferenceForm.h"
#include "programs/multiple_beam/MbdForm.h"
#include "programs/multiple_beam/MbdSaveForm.h"
#include "shell/MainFrameState.h"
#include "shell/NumberText.h"

namespace velto::cli {
namespace {

using programs::DialogResult;
using programs::MbdField;
using programs::MbdForm;
using programs::MbdSaveForm;
using programs::UserInterface;

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
  std::string columns = "phi,theta,r";
  std::string chiImport;
  std::vector<double> convolution;
  std::vector<double> search;
  std::string output;
  int threads = 0;
};

// The form has shown why it stopped; the command ends with status 1.
[[noreturn]] void Stop() { throw ExitStatus{1}; }

void ApplyColumns(const std::string& list, MbdSaveForm& dialog) {
  using Column = MbdSaveForm::Column;
  for (int c = 0; c < static_cast<int>(Column::Count); ++c) dialog.ColumnBox(static_cast<Column>(c)).checked = false;
  std::stringstream stream(list);
  std::string name;
  while (std::getline(stream, name, ',')) {
    if (name == "phi") dialog.ColumnBox(Column::DeltaPhi).checked = true;
    else if (name == "theta") dialog.ColumnBox(Column::DeltaTheta).checked = true;
    else if (name == "r") dialog.ColumnBox(Column::Reflectivity).checked = true;
    else if (name == "components") dialog.ColumnBox(Column::Components).checked = true;
    else if (name == "amplitudes") dialog.ColumnBox(Column::Amplitudes).checked = true;
    else if (name == "wavevector") dialog.ColumnBox(Column::WaveVector).checked = true;
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

void DefineCrystal(const MbdOptions& options, MbdForm& form, CliUserInterface& ui) {
  CheckHkl(options.hkl, AllZeroHkl::Accept);
  const double temperature = options.temperature;
  // A file that cannot be read is refused with the reason, as every command
  // does; the window's own flow then loads it.
  StderrNotifier notifier;
  LoadStructOption(options.structFile, temperature, notifier, {.undefined = nullptr});
  ui.QueueOpenFile(options.structFile.empty() ? core::DataDirectory() / "Silicon.struct"
                                              : std::filesystem::path(options.structFile));
  const std::vector<int> hkl = options.hkl;
  ui.QueueDialog<programs::CrystalParamsForm>([hkl, temperature](programs::CrystalParamsForm& f, UserInterface& inner) {
    f.Temperature().text = FieldText(temperature);
    for (int i = 0; i < 3; ++i) f.Index(i).text = std::to_string(hkl[static_cast<std::size_t>(i)]);
    return f.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
  });
  if (!form.DefineCrystal(ui)) Stop();

  // The window opens at the application's energy and defines its crystal
  // there (θB = 90° when G has no Bragg angle); an energy asked for is then
  // set as the person would, with the refusal of one too low for G.
  if (options.energyOption->count() == 0) return;
  const double energyKev = options.energyKev;
  ui.QueueDialog<programs::ChangeWavelengthForm>([energyKev](programs::ChangeWavelengthForm& f, UserInterface& inner) {
    f.EnergyEdited(FieldText(energyKev));
    return f.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
  });
  if (!form.PhotonEnergy(ui)) Stop();
}

void SetMode(const MbdOptions& options, MbdForm& form) {
  if (options.siMode != "auto") form.SetDiamondMode(options.siMode == "on");
}

void SetDirections(const MbdOptions& options, MbdForm& form, CliUserInterface& ui) {
  if (options.reference.size() == 3) {
    const std::vector<double> h = options.reference;
    ui.QueueDialog<programs::HorizontalReferenceForm>([h](programs::HorizontalReferenceForm& f, UserInterface& inner) {
      for (int i = 0; i < 3; ++i) f.Index(i).text = FieldText(h[static_cast<std::size_t>(i)]);
      return f.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
    });
    if (!form.HorizontalReference(ui)) Stop();
  }
  form.Field(MbdField::Offcut).text = FieldText(options.offcut);
  form.Field(MbdField::OffcutAzimuth).text = FieldText(options.offcutAzimuth);
  form.Field(MbdField::PrincipalAzimuth).text = options.azimuth ? FieldText(*options.azimuth) : std::string();
}

void AddReflections(const MbdOptions& options, MbdForm& form, CliUserInterface& ui) {
  ui.unscriptedAnswer = options.force ? programs::Answer::Yes : programs::Answer::No;
  for (const std::string& text : options.add) {
    const std::optional<mbd::Miller> hkl = ParseIndices(text);
    if (!hkl) Refuse("--add needs three integers \"h k l\", not '" + text + "'.");
    CheckHkl(std::array{hkl->h, hkl->k, hkl->l}, AllZeroHkl::Accept);
    form.Field(MbdField::AddH).text = std::to_string(hkl->h);
    form.Field(MbdField::AddK).text = std::to_string(hkl->k);
    form.Field(MbdField::AddL).text = std::to_string(hkl->l);
    const std::size_t asked = ui.messages.size();
    if (form.AddReflection(ui)) continue;
    // A refusal of the frame ends the command; a reflection left out does not.
    if (ui.messages.size() == asked) Stop();
    const std::string& last = ui.messages.back().text;
    if (ui.messages.back().question)
      std::cerr << mbd::IndicesText(*hkl) << " not included (use --force to include it).\n";
    else if (last.find("is already included!") == std::string::npos && last != mbd::kTableFullMessage)
      Stop();
  }
  ui.unscriptedAnswer.reset();
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
  const mbd::MbdReflectionTable& table = form.Beams();
  for (int i = 0; i < table.Count(); ++i) {
    const mbd::MbdBeam& beam = table[i];
    beams.push_back({{"index", i},
                     {"hkl", {beam.hkl.h, beam.hkl.k, beam.hkl.l}},
                     {"bragg_deg", i < 2 ? nlohmann::json(nullptr) : AngleOrNull(beam.braggAngle, 1 / core::kDegree)},
                     {"azimuths_deg", {AngleOrNull(beam.azimuth1, 1), AngleOrNull(beam.azimuth2, 1)}}});
  }
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

void ChiComponents(const MbdOptions& options, MbdForm& form, CliUserInterface& ui) {
  const std::string import = options.chiImport;
  ui.QueueDialog<programs::ChiComponentsForm>([import, &ui](programs::ChiComponentsForm& f, UserInterface& inner) {
    if (import.empty()) {
      f.Calculate(inner);
    } else {
      ui.QueueOpenFile(std::filesystem::path(import));
      f.Import(inner);
    }
    return DialogResult::Ok;
  });
  form.ChiComponents(ui);
  if (form.ChiNeeded()) Stop();
}

void Run(const MbdOptions& options, MbdForm& form, CliUserInterface& ui, const std::filesystem::path& file) {
  form.Field(MbdField::Thickness).text = FieldText(options.thicknessUm);
  form.Field(MbdField::Polarisation).text = FieldText(options.polarisation);
  form.Field(MbdField::ThetaFrom).text = FieldText(options.dtheta[0]);
  form.Field(MbdField::ThetaTo).text = FieldText(options.dtheta[1]);
  form.Field(MbdField::ThetaPoints).text = std::to_string(GridPointsOption(options.dtheta[2], "--dtheta"));
  form.Field(MbdField::PhiFrom).text = FieldText(options.dphi[0]);
  form.Field(MbdField::PhiTo).text = FieldText(options.dphi[1]);
  form.Field(MbdField::PhiPoints).text = std::to_string(GridPointsOption(options.dphi[2], "--dphi"));
  form.Field(MbdField::EnergyOffset).text = FieldText(options.energyOffset);
  const bool convolution = !options.convolution.empty();
  if (options.beam < 0 || options.beam >= form.Beams().Count())
    Refuse("The beam must be one of 0 ... " + std::to_string(form.Beams().Count() - 1) + ".");

  bool refused = false;
  std::string refusal;
  ui.QueueDialog<MbdSaveForm>([&](MbdSaveForm& f, UserInterface& inner) {
    if (options.transmission && !f.TransmissionEnabled()) {
      refusal = "Transmission (Exit Crystal Surface Side) needs a crystal of finite thickness.";
    } else {
      ApplyColumns(options.columns, f);
      using Column = MbdSaveForm::Column;
      if ((f.ColumnBox(Column::Amplitudes).checked && !f.ColumnBox(Column::Amplitudes).enabled) ||
          (f.ColumnBox(Column::WaveVector).checked && !f.ColumnBox(Column::WaveVector).enabled))
        refusal = "Wave amplitudes and diffracted wave vectors are not available for a convolution run.";
    }
    if (!refusal.empty()) {
      refused = true;
      return DialogResult::Cancel;
    }
    f.ChooseExitSide(options.transmission);
    f.ChooseMicroradians(options.microradians);
    f.SelectBeam(options.beam);
    f.FileName().text = file.string();
    return f.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
  });

  bool started = false;
  if (convolution) {
    if (!form.Convolution().Active()) form.ConvolutionButton(ui);
    using C = programs::MbdConvolutionField;
    const std::vector<double>& c = options.convolution;
    const C order[] = {C::Fwhm, C::EnergyRange, C::EnergyPoints, C::ThetaDivergence,
                       C::ThetaPoints, C::PhiDivergence, C::PhiPoints};
    for (std::size_t i = 0; i < 7; ++i) {
      const bool count = order[i] == C::EnergyPoints || order[i] == C::ThetaPoints || order[i] == C::PhiPoints;
      form.Convolution().Field(order[i]).text = count ? std::to_string(GridPointsOption(c[i], "--conv")) : FieldText(c[i]);
    }
    // --conv is the person's Yes to the warning about long runs.
    ui.QueueAnswer(programs::Answer::Yes);
    started = form.ConvolutionButton(ui);
  } else {
    started = form.PlaneWaveScan(ui);
  }
  if (refused) Refuse(refusal);
  if (!started || !form.LastRun()) Stop();
}

// The points among which solver failures are counted: those of the scan
// for a plane wave; a convolution counts its failed sub-points, of which
// there are too many to name.
long PointCount(const MbdOptions& options, const mbd::ScanSummary& run) {
  return options.convolution.empty() ? run.linesEmitted + run.pointsSkipped : 0;
}

void RunMbd(const MbdOptions& options) {
  const double energy = options.energyKev * core::kEvPerKev;
  if (!(energy > 0) || !std::isfinite(energy)) Refuse("The photon energy must be a positive number of keV.");
  shell::MainFrameState state;
  state.exeDirectory = core::DataDirectory();
  programs::AppContext app(state);
  CliUserInterface ui;
  MbdForm form(app);
  StderrNotifier notifier;
  form.SetThreads(ThreadsOption(options.threads, notifier));
  form.SetPointRunner(GroupRunner());

  DefineCrystal(options, form, ui);
  SetMode(options, form);
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
  ChiComponents(options, form, ui);

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
  mbd->add_flag("--force", o->force, "include forbidden reflections and those without a Bragg angle");
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
