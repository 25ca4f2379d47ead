#include "programs/structure_factor/StructureFactorForm.h"

#include <algorithm>

#include "core/Units.h"
#include "crystal/ElementTable.h"
#include "crystal/Susceptibility.h"
#include "programs/energy_dialogs/ChangeWavelengthForm.h"
#include "programs/form_factor/FormFactorForm.h"
#include "programs/ui/BoundFields.h"
#include "programs/ui/FieldReading.h"
#include "shell/ComboRules.h"
#include "shell/NumberText.h"

namespace velto::programs {

using shell::FormatNumber;
using F = StructureFactorField;

namespace {

// The lowest temperature the engine's Debye–Waller factor is given.
constexpr double kMinimumTemperature = 1e-6;
constexpr int kResultDecimals = 5;

std::string Shown(double value) { return FormatNumber(value, kResultDecimals); }

}  // namespace

StructureFactorForm::StructureFactorForm(AppContext& app)
    : app_(app), energy_(app.DefaultEnergy()), temperature_(app.DefaultTemperature()) {
  Field(F::Status).text = kNoStructureStatus;
  for (F id : {F::H, F::K, F::L}) Field(id).text = BoundIntegerText(0);
  Field(F::Energy).text = FormatNumber(energy_ / core::kEvPerKev, 8);
  Field(F::Energy).readOnly = true;
  Field(F::Temperature).text = FormatNumber(temperature_, 8);
  for (int i = static_cast<int>(F::DSpacing); i < static_cast<int>(F::Count); ++i) {
    fields_[static_cast<std::size_t>(i)].readOnly = true;
  }
}

const std::vector<std::string>& StructureFactorForm::TemperatureList() const { return app_.Presets().temperatures; }

bool StructureFactorForm::IsReflectionResult(StructureFactorField id) {
  if (id == F::DSpacing || id == F::BraggAngle) return true;
  if (id >= F::FhModulus && id <= F::FmhPiPhase) return true;
  return id >= F::ChihReal && id <= F::ChimhPiImaginary;
}

void StructureFactorForm::MarkStale(bool reflectionOnly) {
  stale_ = true;
  for (int i = static_cast<int>(F::DSpacing); i < static_cast<int>(F::Count); ++i) {
    const auto id = static_cast<F>(i);
    if (!reflectionOnly || IsReflectionResult(id)) Field(id).enabled = false;
  }
}

void StructureFactorForm::ImportStructure(UserInterface& ui) {
  const bool loaded = app_.ChooseAndLoadStructure(ui, structure_, temperature_);
  // A file that could not be loaded has cleared the structure; one that
  // was cancelled has left it as it was.
  if (!loaded && structure_.IsLoaded()) return;
  Field(F::Status).text = loaded ? " " + structure_.name : std::string(kNoStructureStatus);
  MarkStale(false);
}

void StructureFactorForm::PhotonEnergy(UserInterface& ui) {
  ChangeWavelengthForm dialog(energy_, app_.Presets());
  if (ui.RunDialog(dialog) != DialogResult::Ok) return;
  energy_ = dialog.EnergyEv();
  Field(F::Energy).text = FormatNumber(energy_ / core::kEvPerKev, 8);
  MarkStale(false);
}

void StructureFactorForm::TemperatureEdited() { MarkStale(false); }

void StructureFactorForm::TemperatureLeft() {
  Field(F::Temperature).text = shell::TemperatureTextOnLeave(Field(F::Temperature).text);
}

void StructureFactorForm::IndexEdited() { MarkStale(true); }

void StructureFactorForm::Calculate(UserInterface& ui) {
  if (!structure_.IsLoaded()) {
    ui.ShowMessage(kImportStructureFirstMessage);
    ui.Focus(kImportButton);
    return;
  }
  std::array<int, 3> hkl{};
  for (std::size_t i = 0; i < 3; ++i) {
    const auto value = ReadBoundInteger(ui, Field(static_cast<F>(static_cast<int>(F::H) + static_cast<int>(i))).text,
                                        -999, 999, kIndexFields[i]);
    if (!value) return;
    hkl[i] = *value;
  }
  const auto typed = ReadNumberField(ui, Field(F::Temperature).text, "Temperature", kTemperatureField);
  if (!typed) return;
  const double temperature = std::max(*typed, kMinimumTemperature);
  if (TemperatureChanged(temperature_, temperature)) {
    temperature_ = temperature;
    Field(F::Temperature).text = FormatNumber(temperature_, 8);
    crystal::SetTemperature(structure_, temperature_);
  }

  const auto engine = app_.StructFactorEngine(ui);
  if (!engine) return;
  StructureFactorResults computed =
      CalculateStructureFactors(*engine, structure_, energy_, temperature_, hkl[0], hkl[1], hkl[2], ui);
  // The engine has said why; the earlier results stay as they were.
  if (computed.failed) return;
  results_ = std::move(computed);
  hkl_ = hkl;
  if (results_->notice) ui.ShowMessage(*results_->notice);
  ShowResults();
  for (int i = static_cast<int>(F::DSpacing); i < static_cast<int>(F::Count); ++i) {
    fields_[static_cast<std::size_t>(i)].enabled = true;
  }
  stale_ = false;
}

void StructureFactorForm::ShowResults() {
  const StructureFactorResults& r = *results_;
  const auto showFactor = [this](int component, std::complex<double> f, std::complex<double> chi) {
    const crystal::PolarForm polar = crystal::ModulusPhase(f);
    Field(ModulusField(component)).text = Shown(polar.modulus);
    Field(PhaseField(component)).text = Shown(polar.phaseDegrees);
    Field(ChiField(2 * component)).text = Shown(chi.real() * 1e6);
    Field(ChiField(2 * component + 1)).text = Shown(chi.imag() * 1e6);
  };
  for (int i = static_cast<int>(F::DSpacing); i < static_cast<int>(F::Count); ++i) {
    fields_[static_cast<std::size_t>(i)].text.clear();
  }
  showFactor(0, r.f0, r.chi0);
  Field(F::Absorption).text = Shown(r.absorption);
  if (r.penetrationDepth) Field(F::PenetrationDepth).text = Shown(*r.penetrationDepth);
  if (!r.reflectionRequested) return;
  Field(F::DSpacing).text = FormatNumber(r.dSpacing, 8);
  Field(F::BraggAngle).text = r.braggAngle ? FormatNumber(*r.braggAngle / core::kDegree, 8) : kNoDiffractionText;
  if (!r.reflection) return;
  for (int i = 0; i < 4; ++i) showFactor(i + 1, r.reflection->structureFactor[i], r.reflection->chi[i]);
}

void StructureFactorForm::CopyChi(UserInterface& ui) {
  // Without a reflection the boxes of χ_h are empty, and a crystal given
  // zeros for them would not diffract.
  if (Field(F::ChihReal).text.empty()) {
    ui.ShowMessage(kNothingToCopyMessage);
    return;
  }
  std::array<double, 10> shown{};
  for (int i = 0; i < 10; ++i) shown[static_cast<std::size_t>(i)] = shell::ParseNumber(Field(ChiField(i)).text);
  const std::array<double, 10> copied = CopiedChi(shown);
  app_.ChiClipboard().Store(ChiStoreValues(copied));
  ui.SetClipboardText(ChiClipboardText(copied));
}

void StructureFactorForm::FormFactor(UserInterface& ui) {
  const double d = results_ ? results_->dSpacing : 0;
  std::vector<std::string> elements;
  for (const crystal::ElementGroup& group : structure_.groups) {
    elements.emplace_back(crystal::ElementTable::Symbol(group.z));
  }
  FormFactorForm dialog(app_, FormFactorStartOf(energy_, hkl_[0], hkl_[1], hkl_[2], d), std::move(elements));
  ui.RunDialog(dialog);
}

void StructureFactorForm::DebyeWallerTemperatures(UserInterface& ui) {
  ui.ShowMessage(DebyeWallerMessage(structure_),
                 structure_.IsLoaded() ? MessageIcon::Information : MessageIcon::None);
}

}  // namespace velto::programs
