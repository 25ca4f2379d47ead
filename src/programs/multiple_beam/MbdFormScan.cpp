// The runs of the multiple-beam window: the checks and the preparation they
// share (save dialog included), the plane-wave scan and the convolution
// over divergence and bandwidth. A run computes on a worker and replaces the
// chosen file only when it has completed.
#include <filesystem>

#include "core/OutputFile.h"
#include "programs/ui/FieldReading.h"
#include "programs/multiple_beam/MbdForm.h"
#include "programs/multiple_beam/MbdSaveForm.h"
#include "programs/ui/BoundFields.h"
#include "shell/NumberText.h"

namespace velto::programs {
namespace {

using F = MbdField;
using shell::FormatNumber;

std::string CreateFailedMessage(const std::filesystem::path& file) {
  return "Failed to create the file \"" + file.string() + "\" !";
}

}  // namespace

struct MbdForm::RunRequest {
  bool convolution = false;
  mbd::ScanSetup setup;
  mbd::ConvolutionSetup convolutionSetup;
  std::filesystem::path file;
  // Open on a temporary file beside the target until the run commits it.
  std::shared_ptr<core::OutputFile> output;
  // False on a process that only computes points for another, which
  // writes the file.
  bool writesFile = true;
};

std::optional<MbdForm::RunRequest> MbdForm::PrepareRun(UserInterface& ui, bool convolution) {
  for (F id : {F::AddH, F::AddK, F::AddL})
    if (!ReadBoundInteger(ui, Field(id).text, -999, 999, MbdFieldName(id))) return std::nullopt;
  if (!BuildFrame(ui) || !ReadPrincipalAzimuth(ui)) return std::nullopt;
  if (chiNeeded_ || !solver_ || solver_->ChiNotSet()) {
    ui.ShowMessage(kChiNeeded);
    return std::nullopt;
  }

  RunRequest run;
  run.convolution = convolution;
  mbd::ScanSetup& s = run.setup;
  struct NumberInput {
    F id;
    const char* label;
    double* value;
  };
  const NumberInput numbers[] = {{F::Polarisation, "Polarization angle", &s.polarisationDeg},
                                 {F::ThetaFrom, "Delta theta from", &s.thetaFromArcsec},
                                 {F::ThetaTo, "Delta theta to", &s.thetaToArcsec},
                                 {F::PhiFrom, "Delta Phi from", &s.phiFromArcsec},
                                 {F::PhiTo, "Delta Phi to", &s.phiToArcsec},
                                 {F::EnergyOffset, "Delta E", &s.energyOffsetEv}};
  for (const NumberInput& input : numbers) {
    const std::optional<double> value = ReadNumberField(ui, Field(input.id).text, input.label, MbdFieldName(input.id));
    if (!value) return std::nullopt;
    *input.value = *value;
  }
  s.thetaPoints = shell::ParseInteger(Field(F::ThetaPoints).text);
  s.phiPoints = shell::ParseInteger(Field(F::PhiPoints).text);
  const std::string refusal = mbd::ValidateScan(s);
  Field(F::Polarisation).text = FormatNumber(s.polarisationDeg, 8);
  const bool thetaRefused = refusal == "Invalid Delta omega range!";
  if (!thetaRefused) Field(F::ThetaPoints).text = std::to_string(s.thetaPoints);
  if (!refusal.empty()) {
    ui.ShowMessage(refusal);
    ui.Focus(MbdFieldName(thetaRefused ? F::ThetaFrom : F::PhiFrom));
    return std::nullopt;
  }
  Field(F::PhiPoints).text = std::to_string(s.phiPoints);
  Field(F::EnergyOffset).text = FormatNumber(s.energyOffsetEv, 8);
  // The solver needs a wavelength: an offset that takes the energy to 0 or
  // below has none.
  if (!(energy_ + s.energyOffsetEv > 0)) {
    ui.ShowMessage("The photon energy E + Delta E must stay above 0 eV.");
    ui.Focus(MbdFieldName(F::EnergyOffset));
    return std::nullopt;
  }

  // Asked before anything of the panel is read, so that a No leaves its
  // fields and the remembered settings as they were.
  if (convolution && ui.AskYesNo(MbdConvolutionPanel::kQuestion) != Answer::Yes) return std::nullopt;

  const mbd::FrameStatus incidence = geometry_.CheckIncidence();
  if (incidence != mbd::FrameStatus::Ok) {
    Refuse(ui, incidence);
    return std::nullopt;
  }
  const std::optional<double> thickness =
      ReadNumberField(ui, Field(F::Thickness).text, "Crystal Thickness", MbdFieldName(F::Thickness));
  if (!thickness) return std::nullopt;
  const double micrometres = *thickness <= 0 ? -1 : *thickness;
  Field(F::Thickness).text = FormatNumber(micrometres, 8);

  MbdSaveForm save(app_.MbdResultOptions(), s.polarisationDeg, micrometres < 0, table_.Count(), convolution);
  if (ui.RunDialog(save) != DialogResult::Ok) return std::nullopt;
  s.thicknessAngstrom = micrometres < 0 ? -1 : micrometres * core::kAngstromPerMicrometre;
  s.options = save.Options();
  run.file = save.File();
  // Read only once the run is certain up to its file, and before that file
  // exists, so a refused setting leaves nothing behind.
  if (convolution) {
    const std::optional<mbd::ConvolutionSetup> settings = convolution_.Read(ui);
    if (!settings) return std::nullopt;
    run.convolutionSetup = *settings;
  }
  run.output = std::make_shared<core::OutputFile>();
  run.writesFile = runner_->ReceivesResults();
  if (!run.writesFile) return run;
  if (!run.output->Open(run.file)) {
    ui.ShowMessage(CreateFailedMessage(run.file), MessageIcon::Stop);
    return std::nullopt;
  }
  return run;
}

void MbdForm::StartRun(UserInterface& ui, RunRequest request) {
  struct Outcome {
    mbd::ScanSummary summary;
  };
  auto run = std::make_shared<const RunRequest>(std::move(request));
  // The run works on copies, so the window's solver and frame may change
  // (after the run) without touching it.
  auto solver = std::make_shared<const mbd::MbdSolver>(*solver_);
  auto geometry = std::make_shared<const mbd::MbdGeometry>(geometry_);
  auto outcome = std::make_shared<Outcome>();
  const int threads = threads_;
  if (observer_.started) observer_.started(run->setup, run->convolution);
  const mbd::PointSink observe = observer_.point;
  core::PointRunner* runner = runner_;
  const char* title = run->convolution ? "Calculating convoluted intensities..."
                                       : "Calculating multiple-beam diffraction...";
  ui.RunInBackground(
      {title,
       [run, solver, geometry, outcome, threads, observe, runner](core::Notifier& notices, core::Progress& progress) {
         const mbd::PointSink sink = [&](const mbd::PointResult& point) {
           run->output->Write(mbd::FormatResultLine(point, run->setup.options, run->convolution, shell::FormatNumber));
           if (observe) observe(point);
         };
         outcome->summary =
             run->convolution
                 ? mbd::RunConvolution(*solver, *geometry, run->setup, run->convolutionSetup, progress, notices, sink,
                                       threads, *runner)
                 : mbd::RunPlaneWaveScan(*solver, *geometry, run->setup, progress, notices, sink, threads, *runner);
       },
       [this, run, outcome](UserInterface& ui, bool cancelled) {
         if (!run->writesFile) {
           if (!cancelled && !outcome->summary.cancelled) lastRun_ = outcome->summary;
           return;
         }
         // A cancelled run leaves any earlier file of that name as it was.
         if (cancelled || outcome->summary.cancelled) {
           run->output->Abandon();
           return;
         }
         if (!run->output->Commit()) {
           ui.ShowMessage(CreateFailedMessage(run->file), MessageIcon::Stop);
           return;
         }
         lastRun_ = outcome->summary;
         ui.ShowMessage(kSuccess, MessageIcon::Information);
       }});
}

bool MbdForm::PlaneWaveScan(UserInterface& ui) {
  std::optional<RunRequest> run = PrepareRun(ui, false);
  if (!run) return false;
  StartRun(ui, std::move(*run));
  return true;
}

void MbdForm::NoPhiScan() {
  Field(F::PhiFrom).text = std::string("0");
  Field(F::PhiTo).text = std::string("1");
  Field(F::PhiPoints).text = std::string("1");
}

bool MbdForm::ConvolutionButton(UserInterface& ui) {
  if (!convolution_.Active()) {
    convolution_.Activate();
    return false;
  }
  std::optional<RunRequest> run = PrepareRun(ui, true);
  if (!run) return false;
  StartRun(ui, std::move(*run));
  return true;
}

}  // namespace velto::programs
