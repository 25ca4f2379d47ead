#include "programs/form_factor/FormLoopForm.h"

#include <memory>

#include "core/TextNumbers.h"
#include "programs/ui/BoundFields.h"
#include "programs/ui/FieldReading.h"

namespace velto::programs {

using F = FormLoopField;

FormLoopForm::FormLoopForm(AppContext& app, std::string element, int z, double wavelength, std::string energyText)
    : app_(app), z_(z), wavelength_(wavelength), energyText_(std::move(energyText)) {
  Field(F::Element).text = std::move(element);
  Field(F::Element).readOnly = true;
  Field(F::Energy).readOnly = true;
  for (F id : {F::ShowsF0, F::ShowsFPrime, F::ShowsFDoublePrime, F::ShowsCompton}) Field(id).enabled = false;
  Field(F::From).text = core::FormatGeneral(kFormLoopOpeningRange.from);
  Field(F::To).text = core::FormatGeneral(kFormLoopOpeningRange.to);
  Field(F::Step).text = core::FormatGeneral(kFormLoopOpeningRange.step);
  ShowMode();
}

void FormLoopForm::ShowMode() {
  const bool energy = mode_ == FormLoopMode::Energy;
  for (F id : {F::FromUnit, F::ToUnit, F::StepUnit}) Field(id).text = energy ? kEnergyUnit : kAngleUnit;
  Field(F::ShowsF0).checked = !energy;
  Field(F::ShowsFPrime).checked = Field(F::ShowsFDoublePrime).checked = Field(F::ShowsCompton).checked = energy;
  Field(F::Energy).text = energy ? std::string() : energyText_;
}

void FormLoopForm::SetMode(FormLoopMode mode) {
  mode_ = mode;
  const FormLoopRange range = DefaultFormLoopRange(mode);
  Field(F::From).text = core::FormatGeneral(range.from);
  Field(F::To).text = core::FormatGeneral(range.to);
  Field(F::Step).text = core::FormatGeneral(range.step);
  ShowMode();
}

void FormLoopForm::Export(UserInterface& ui) {
  const auto from = ReadBoundNumber(ui, Field(F::From).text, 0, 1000, kFromField);
  if (!from) return;
  const auto to = ReadBoundNumber(ui, Field(F::To).text, 1e-15, 1000, kToField);
  if (!to) return;
  const auto step = ReadBoundNumber(ui, Field(F::Step).text, 1e-15, 1000, kStepField);
  if (!step) return;
  const FormLoopRange range{mode_, *from, *to, *step};
  if (const auto refusal = CheckFormLoopRange(range, wavelength_)) {
    ShowRefusal(ui, *refusal);
    return;
  }
  auto engine = app_.StructFactorEngine(ui);
  if (!engine) return;

  FileDialogRequest request;
  request.title = kSaveTitle;
  request.filter = kFilter;
  request.defaultExtension = "dat";
  const std::optional<std::filesystem::path> file = ui.ChooseSaveFile(request);
  if (!file) return;

  auto outcome = std::make_shared<FormLoopOutcome>();
  const int z = z_;
  const double wavelength = wavelength_;
  ui.RunInBackground({"Exporting the form factors...",
                      [engine, z, wavelength, range, path = *file, outcome](core::Notifier& notices,
                                                                           core::Progress& progress) {
                        *outcome = ExportFormLoop(*engine, z, wavelength, range, path, notices, progress);
                      },
                      [this, outcome](UserInterface& ui, bool cancelled) {
                        if (cancelled || outcome->cancelled) return;
                        lastExport_ = *outcome;
                        ui.ShowMessage(outcome->message, outcome->icon);
                      }});
}

}  // namespace velto::programs
