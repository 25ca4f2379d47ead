#include "programs/crystal_dialog/CrystalParamsForm.h"

#include <cmath>
#include <cstdio>

#include "core/Units.h"
#include "crystal/AtomicData.h"
#include "crystal/Susceptibility.h"
#include "programs/crystal_dialog/ReflectionChecks.h"
#include "programs/crystal_dialog/StructureFactorsForm.h"
#include "programs/ui/BoundFields.h"
#include "programs/ui/FieldReading.h"
#include "shell/NumberText.h"

namespace velto::programs {

using shell::FormatNumber;
using shell::ParseNumber;

const char* const CrystalParamsForm::kManualHelp =
    "If you do NOT want to use the automatically calculated Strcture Factors but want to manually input the "
    "parameters, please check \"Manually set Structure Factors\".";
const char* const CrystalParamsForm::kBrennanHelp =
    "You can use \"Tools -> Brennan Structure Factors\" to caculate the Structure Factors (with the same crystal and "
    "energy). Then \"Copy Chi to Clipboard\". Afterwards, \"Copy from Brennan\" to paste the results here.";
const char* const CrystalParamsForm::kNotepadHelp = "  You can use Notepad to edit *.struct text files.";

namespace {

constexpr double kMinimumTemperature = 1e-6;
constexpr double kChiScale = 1e6;
constexpr const char* kNoBraggAngle = "90 (O)";
constexpr const char* kTemperatureLabel = "Temperature";

// How a refusal names chi box i.
std::string ChiLabel(int i) {
  static constexpr const char* kComponents[] = {"χ0", "χh", "χ-h", "χh(π)", "χ-h(π)"};
  return std::string(kComponents[i / 2]) + (i % 2 == 0 ? ", real part" : ", imaginary part");
}

}  // namespace

CrystalParamsForm::CrystalParamsForm(AppContext& app, crystal::CrystalParams& crystal, double energyEv)
    : app_(app),
      crystal_(crystal),
      energyEv_(energyEv),
      opening_(crystal),
      temperatureValue_(crystal.temperature),
      hkl_{crystal.h, crystal.k, crystal.l},
      dValue_(crystal.d),
      chiValue_(crystal.chi) {
  name_.text = crystal.structure.name;
  temperature_.text = FormatNumber(temperatureValue_, 8);
  for (std::size_t i = 0; i < 3; ++i) index_[i].text = BoundIntegerText(hkl_[i]);

  name_.readOnly = d_.readOnly = thetaB_.readOnly = true;
  for (FormField& box : chi_) box.readOnly = true;
  copyButton_.enabled = false;

  if (dValue_ > 0) {
    d_.text = FormatNumber(dValue_, 8);
    ShowTheta(Wavelength() / (2.0 * dValue_));
    ShowChi();
  }
  if (Manual()) {
    crystal_.structure.manual = 0;
    ToggleManual();
  }
}

double CrystalParamsForm::Wavelength() const { return core::kHcEvAngstrom / energyEv_; }

void CrystalParamsForm::ShowTheta(double sine) {
  if (sine > 1) {
    thetaB_.text = kNoBraggAngle;
  } else {
    thetaB_.text = FormatNumber(std::asin(sine) / core::kDegree, 8);
  }
}

void CrystalParamsForm::ShowChi() {
  const auto values = chiValue_.ToArray();
  for (std::size_t i = 0; i < values.size(); ++i) chi_[i].text = FormatNumber(values[i] * kChiScale, 5);
}

void CrystalParamsForm::ToggleManual() {
  const bool manual = !Manual();
  crystal_.structure.manual = manual ? 1 : 0;
  manualCheck_.checked = manual;
  calculateButton_.enabled = !manual;
  name_.readOnly = d_.readOnly = !manual;
  for (FormField& box : chi_) box.readOnly = !manual;
  copyButton_.enabled = manual;
}

void CrystalParamsForm::LoadStructure(UserInterface& ui) {
  crystal::CrystalStructure& structure = crystal_.structure;
  // The temperature the new structure will be computed at is checked first:
  // no file is asked for that could not be used.
  const std::optional<double> temperature = ReadNumberField(ui, temperature_.text, kTemperatureLabel, kTemperatureField);
  if (!temperature) return;
  // A cancelled choice or a file that cannot be used leaves the structure
  // the dialog had, and its name.
  if (!app_.ChooseAndLoadStructure(ui, structure, -1)) return;
  temperatureValue_ = std::max(*temperature, kMinimumTemperature);
  temperature_.text = FormatNumber(temperatureValue_, 8);

  // The file was completed at the application's default temperature; the
  // dialog's own temperature is the one that counts.
  crystal::LoadAtomicData(structure, app_.DataDirectory(), ui);
  crystal::SetTemperature(structure, temperatureValue_);
  crystal::ComputeLattice(structure);

  name_.text = structure.name;
  structureLoaded_ = true;

  // Whatever mode the dialog was in, a new structure starts in automatic mode.
  manualCheck_.checked = false;
  structure.manual = 1;
  ToggleManual();
}

bool CrystalParamsForm::ReadTemperatureAndIndices(UserInterface& ui) {
  const std::optional<double> typed = ReadNumberField(ui, temperature_.text, kTemperatureLabel, kTemperatureField);
  if (!typed) return false;
  const double temperature = std::max(*typed, kMinimumTemperature);
  if (std::fabs(temperature - temperatureValue_) > 1e-10) {
    temperatureValue_ = temperature;
    temperature_.text = FormatNumber(temperature, 8);
    if (crystal_.structure.IsLoaded()) crystal::SetTemperature(crystal_.structure, temperature);
  }

  std::array<int, 3> hkl{};
  for (std::size_t i = 0; i < 3; ++i) {
    const auto value = ReadBoundInteger(ui, index_[i].text, -kLargestMillerIndex, kLargestMillerIndex, kIndexFields[i]);
    if (!value) return false;
    hkl[i] = *value;
  }
  if (auto refusal = CheckMillerIndices(hkl)) {
    ui.ShowMessage(*refusal);
    ui.Focus(kIndexFields[0]);
    return false;
  }
  hkl_ = hkl;
  return true;
}

bool CrystalParamsForm::Calculate(UserInterface& ui) {
  crystal::CrystalStructure& structure = crystal_.structure;
  if (!structure.IsLoaded()) {
    ui.ShowMessage(kNoStructureMessage);
    ui.Focus(kStructureButton);
    return false;
  }
  if (!ReadTemperatureAndIndices(ui)) return false;

  dValue_ = structure.DSpacing(hkl_[0], hkl_[1], hkl_[2]);
  d_.text = FormatNumber(dValue_, 8);
  const double sine = Wavelength() / (2.0 * dValue_);
  if (TooSmallForBragg(sine)) ui.ShowMessage(kTooSmallForBraggMessage);
  ShowTheta(sine);

  if (auto refusal = CheckAtomicDataEnergy(energyEv_)) {
    ui.ShowMessage(*refusal);
    return false;
  }
  chiValue_ = crystal::ComputeReflectionChi(structure, energyEv_, hkl_[0], hkl_[1], hkl_[2], ui);
  ShowChi();
  return true;
}

void CrystalParamsForm::DEdited(std::string_view text) {
  d_.text = std::string(text);
  const double d = ParseNumber(text);
  const double lambda = Wavelength();
  if (d >= lambda / 2.0) {
    ShowTheta(lambda / (2.0 * d));
  } else {
    thetaB_.text.clear();
  }
}

std::optional<crystal::ReflectionChi> CrystalParamsForm::ReadChiBoxes(UserInterface& ui) const {
  std::array<double, 10> values{};
  for (std::size_t i = 0; i < values.size(); ++i) {
    const int box = static_cast<int>(i);
    const std::optional<double> value = ReadNumberField(ui, chi_[i].text, ChiLabel(box), ChiField(box));
    if (!value) return std::nullopt;
    values[i] = *value / kChiScale;
  }
  return crystal::ReflectionChi::FromArray(values);
}

void CrystalParamsForm::CopyFromBrennan(UserInterface& ui) {
  const shell::ChiClipboard& clipboard = app_.ChiClipboard();
  if (!clipboard.HasChi()) {
    ui.ShowMessage(
        "You must first use \"Tools->Brennan Structure Factors\" to calculate chi and \"Copy chi to Clipboard\"");
    return;
  }
  chiValue_ = clipboard.Chi();
  ShowChi();
}

void CrystalParamsForm::ShowStructureFactors(UserInterface& ui) {
  const crystal::CrystalStructure& structure = crystal_.structure;
  if (!structure.IsLoaded()) return;
  const double scale = crystal::ChiPerStructureFactor(structure, energyEv_);

  crystal::ReflectionChi chi = chiValue_;
  if (Manual()) {
    const std::optional<crystal::ReflectionChi> typed = ReadChiBoxes(ui);
    if (!typed) return;
    chi = *typed;
  }
  std::array<std::complex<double>, 5> factors;
  for (std::size_t i = 0; i < factors.size(); ++i) factors[i] = chi[i] / scale;
  StructureFactorsForm factorsForm(factors, crystal::AbsorptionOf(chi.chi0.imag(), energyEv_));
  ui.RunDialog(factorsForm);
}

void CrystalParamsForm::ShowExampleStructure(UserInterface& ui) {
  const std::filesystem::path example = app_.DataDirectory() / "Silicon.struct";
  // In the text editor, or a window of our own where there is none: the
  // file is read for its layout, whatever the desktop makes of *.struct.
  if (!ui.OpenTextDocument(example)) ui.ShowMessage("Could not find the file" + example.string());
}

bool CrystalParamsForm::Ok(UserInterface& ui) {
  if (Manual()) {
    if (!ReadTemperatureAndIndices(ui)) return false;
    const std::optional<double> typed = ReadNumberField(ui, d_.text, "d", kDField);
    if (!typed) return false;
    const double d = *typed;
    if (!(d >= 0.001)) {
      ui.ShowMessage("d-spacing too small!");
      ui.Focus(kDField);
      return false;
    }
    if (TooSmallForBragg(Wavelength() / (2.0 * d))) ui.ShowMessage(kTooSmallForBraggMessage);
    const std::optional<crystal::ReflectionChi> chi = ReadChiBoxes(ui);
    if (!chi) return false;
    dValue_ = d;
    chiValue_ = *chi;
  } else if (!Calculate(ui)) {
    return false;
  }

  if (std::norm(chiValue_.chih) < 1e-30 || std::norm(chiValue_.chimh) < 1e-30) {
    if (ui.AskYesNo("Some Chi components are zero. Do you want to proceed? ", MessageIcon::Warning) != Answer::Yes)
      return false;
  }
  accepted_ = true;
  return true;
}

bool CrystalParamsForm::Cancel() {
  // A file loaded in the dialog, the manual mode and thermal factors that
  // Calculate moved to a new temperature all go: later chi computations
  // from the structure must match what the program shows.
  crystal_ = opening_;
  return true;
}

void CrystalParamsForm::Apply() {
  if (!accepted_) return;
  crystal_.temperature = temperatureValue_;
  crystal_.h = hkl_[0];
  crystal_.k = hkl_[1];
  crystal_.l = hkl_[2];
  crystal_.d = dValue_;
  crystal_.chi = chiValue_;
  if (Manual()) crystal_.structure.name = name_.text;
}

std::string HklText(const crystal::CrystalParams& c) {
  char text[64];
  std::snprintf(text, sizeof text, "%d %d %d", c.h, c.k, c.l);
  return text;
}

DialogResult DefineCrystal(AppContext& app, UserInterface& ui, crystal::CrystalParams& crystal, double energyEv,
                           MissingStructure onMissing, bool* structureLoaded) {
  const crystal::CrystalParams before = crystal;
  if (structureLoaded) *structureLoaded = false;
  bool freshLoad = false;
  if (!crystal.structure.IsLoaded()) {
    freshLoad = app.ChooseAndLoadStructure(ui, crystal.structure, crystal.temperature);
    if (!freshLoad && onMissing == MissingStructure::DoNotOpen) return DialogResult::Cancel;
  }
  CrystalParamsForm form(app, crystal, energyEv);
  const DialogResult result = ui.RunDialog(form);
  if (result == DialogResult::Ok) {
    form.Apply();
    if (structureLoaded) *structureLoaded = freshLoad || form.StructureLoaded();
  } else {
    // Also what was loaded for the dialog goes.
    crystal = before;
  }
  return result;
}

}  // namespace velto::programs
