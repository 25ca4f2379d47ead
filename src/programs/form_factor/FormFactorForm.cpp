#include "programs/form_factor/FormFactorForm.h"

#include <variant>

#include "core/Refusal.h"
#include "core/TextNumbers.h"
#include "core/Units.h"
#include "programs/form_factor/FormLoopForm.h"
#include "programs/ui/FieldReading.h"
#include "shell/NumberText.h"

namespace velto::programs {

using shell::FormatNumber;
using F = FormFactorField;

FormFactorForm::FormFactorForm(AppContext& app, const FormFactorStart& start, std::vector<std::string> structureElements)
    : app_(app),
      structureElements_(std::move(structureElements)),
      rows_(FormFactorElementRows(structureElements_)),
      energyEv_(start.energyEv),
      wavelength_(start.wavelength),
      theta_(start.thetaDegrees) {
  Field(F::Energy).text = FormatNumber(energyEv_ / core::kEvPerKev, 8);
  Field(F::Theta).text = FormatNumber(theta_, 8);
  for (F id : {F::SinThetaOverLambda, F::F0, F::FPrime, F::FDoublePrime, F::Compton, F::RealPart, F::ImaginaryPart}) {
    Field(id).readOnly = true;
  }
  Field(F::Element).text = rows_.front();
  ShowTheta();
}

const std::vector<std::string>& FormFactorForm::EnergyList() const { return app_.Presets().energies; }

void FormFactorForm::ShowTheta() {
  Field(F::SinThetaOverLambda).text = FormatNumber(SinThetaOverLambda(theta_, wavelength_), 8);
}

void FormFactorForm::ClearResults() {
  values_.reset();
  for (F id : {F::F0, F::FPrime, F::FDoublePrime, F::Compton, F::RealPart, F::ImaginaryPart}) Field(id).text.clear();
}

void FormFactorForm::SelectElement(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return;
  row_ = row;
  Field(F::Element).text = rows_[static_cast<std::size_t>(row)];
  ClearResults();
}

void FormFactorForm::EnergyEdited(std::string_view text) {
  Field(F::Energy).text = std::string(text);
  ClearResults();
}

bool FormFactorForm::EnergyLeft(UserInterface& ui) {
  FormField& box = Field(F::Energy);
  const auto read = core::ReadFreeNumber(box.text, "Photon Energy", kEnergyField);
  std::optional<Refusal> refusal;
  if (const auto* notFinite = std::get_if<Refusal>(&read)) {
    refusal = *notFinite;
  } else {
    refusal = CheckFormFactorEnergy(std::get<double>(read));
  }
  if (refusal) {
    // The box goes back to the energy the dialog still works with, so that
    // what it shows is what the next calculation uses.
    box.text = FormatNumber(energyEv_ / core::kEvPerKev, 8);
    ShowRefusal(ui, *refusal);
    return false;
  }
  const double energyKev = std::get<double>(read);
  box.text = FormatNumber(energyKev, 8);
  wavelength_ = core::kHcKevAngstrom / energyKev;
  energyEv_ = energyKev * core::kEvPerKev;
  ShowTheta();
  return true;
}

void FormFactorForm::ThetaEdited(std::string_view text) {
  Field(F::Theta).text = std::string(text);
  ClearResults();
  if (core::ReadsAsNonFinite(text)) return;
  const double theta = shell::ParseNumber(text);
  if (theta >= 0 && theta <= 90) {
    theta_ = theta;
    ShowTheta();
  }
}

bool FormFactorForm::ThetaLeft(UserInterface& ui) {
  const auto read = core::ReadFreeNumber(Field(F::Theta).text, "θ", kThetaField);
  if (const auto* refusal = std::get_if<Refusal>(&read)) {
    Field(F::Theta).text = FormatNumber(theta_, 8);
    ShowRefusal(ui, *refusal);
    return false;
  }
  theta_ = ClampedTheta(std::get<double>(read));
  Field(F::Theta).text = FormatNumber(theta_, 8);
  ShowTheta();
  return true;
}

int FormFactorForm::ChosenElement(UserInterface& ui) {
  const auto chosen = FormFactorElement(row_, rows_[static_cast<std::size_t>(row_)], structureElements_);
  if (const auto* refusal = std::get_if<Refusal>(&chosen)) {
    ShowRefusal(ui, *refusal);
    return 0;
  }
  return std::get<int>(chosen);
}

void FormFactorForm::Calculate(UserInterface& ui) {
  // The boxes are read when the command runs, as if the person had left
  // them: Enter in a box presses this default button.
  if (!EnergyLeft(ui) || !ThetaLeft(ui)) return;
  const int z = ChosenElement(ui);
  if (z == 0) return;
  const auto engine = app_.StructFactorEngine(ui);
  if (!engine) return;
  const auto values = CalculateFormFactor(*engine, z, energyEv_, theta_, wavelength_, ui);
  ClearResults();
  if (!values) return;
  values_ = values;
  Field(F::F0).text = FormatNumber(values->f0, 8);
  Field(F::FPrime).text = FormatNumber(values->fPrime, 8);
  Field(F::FDoublePrime).text = FormatNumber(values->fDoublePrime, 8);
  Field(F::Compton).text = FormatNumber(values->compton, 8);
  Field(F::RealPart).text = FormatNumber(values->realPart(), 8);
  Field(F::ImaginaryPart).text = FormatNumber(values->imaginaryPart(), 8);
}

void FormFactorForm::Loop(UserInterface& ui) {
  if (!EnergyLeft(ui)) return;
  const int z = ChosenElement(ui);
  if (z == 0) return;
  FormLoopForm loop(app_, rows_[static_cast<std::size_t>(row_)], z, wavelength_,
                    core::FormatGeneral(energyEv_ / core::kEvPerKev));
  ui.RunDialog(loop);
}

}  // namespace velto::programs
