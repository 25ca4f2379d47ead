// The crystal and the photon energy of the multiple-beam window, its
// Si/Ge/C mode, its help and what it hands to the MBD-line map.
#include <cmath>
#include <cstdio>

#include "core/Units.h"
#include "mbd/ReflectionRules.h"
#include "programs/crystal_dialog/CrystalParamsForm.h"
#include "programs/energy_dialogs/ChangeWavelengthForm.h"
#include "programs/multiple_beam/MbdForm.h"
#include "programs/ui/Documents.h"
#include "shell/NumberText.h"

namespace velto::programs {
namespace {

using F = MbdField;
using shell::FormatNumber;

}  // namespace

const char* MbdFieldName(MbdField id) {
  switch (id) {
    case F::Energy: return "energy";
    case F::Thickness: return "thickness";
    case F::SiMode: return "si mode";
    case F::CrystalName: return "crystal name";
    case F::PrimaryReflection: return "primary reflection";
    case F::BraggAngle: return "bragg angle";
    case F::Reference: return "reference direction";
    case F::Offcut: return "offcut";
    case F::OffcutAzimuth: return "offcut azimuth";
    case F::PrincipalAzimuth: return "principal azimuth";
    case F::AddH: return "add h";
    case F::AddK: return "add k";
    case F::AddL: return "add l";
    case F::Polarisation: return "polarisation";
    case F::ThetaFrom: return "theta from";
    case F::ThetaTo: return "theta to";
    case F::ThetaPoints: return "theta points";
    case F::PhiFrom: return "phi from";
    case F::PhiTo: return "phi to";
    case F::PhiPoints: return "phi points";
    case F::EnergyOffset: return "energy offset";
    case F::Tolerance: return "tolerance";
    case F::Threshold: return "threshold";
    case F::Count: break;
  }
  return "";
}

const char* MbdForm::ToolTip(MbdField id) {
  switch (id) {
    case F::Thickness:
      return "Crystal Thickness. -1 = semi-infinite";
    case F::SiMode:
      return "Check it for Si, Ge and Diamond to skip forbidden reflections for speeding computing.";
    case F::ThetaFrom:
      return "Relative to the Bragg angle of Primary Reflection G";
    case F::ThetaPoints:
      return "For N points, the range will be divided into (N-1) segments for integration";
    case F::PhiFrom:
      return "Relative to the Principal Azimuth angle of Incident Beam";
    case F::EnergyOffset:
      return "You can change the energy slightly from the Bragg energy";
    case F::Threshold:
      return "Treat hkl with |Chi| < this value as forbidden reflections. No effect for Si/Ge/C structure";
    default:
      return nullptr;
  }
}

MbdForm::MbdForm(AppContext& app)
    : app_(app), convolution_(app.MbdConvolution()), energy_(app.DefaultEnergy()) {
  crystal_.temperature = app.DefaultTemperature();
  for (F id : {F::Energy, F::CrystalName, F::PrimaryReflection, F::BraggAngle, F::Reference})
    Field(id).readOnly = true;
  ShowEnergy();
  const std::string zero = "0";
  Field(F::Thickness).text = "-1";
  Field(F::Offcut).text = Field(F::OffcutAzimuth).text = Field(F::Polarisation).text = zero;
  Field(F::EnergyOffset).text = zero;
  Field(F::AddH).text = Field(F::AddK).text = Field(F::AddL).text = std::string("1");
  Field(F::ThetaFrom).text = "-20";
  Field(F::ThetaTo).text = "30";
  Field(F::ThetaPoints).text = "51";
  Field(F::PhiFrom).text = "-20";
  Field(F::PhiTo).text = "20";
  Field(F::PhiPoints).text = "41";
  Field(F::Tolerance).text = FormatNumber(2, 8);
  Field(F::Threshold).text = FormatNumber(1e-8, 8);
  app_.SetMbdHandOverSource(this);
}

MbdForm::~MbdForm() {
  if (app_.MbdSource() == this) app_.SetMbdHandOverSource(nullptr);
}

void MbdForm::ShowEnergy() { Field(F::Energy).text = FormatNumber(energy_ / 1000, 8); }

void MbdForm::ShowBraggAngle() {
  const double sine = core::WavelengthOf(energy_) / (2 * crystal_.d);
  Field(F::BraggAngle).text = sine > 1 ? "90 (O+)" : FormatNumber(std::asin(sine) / core::kDegree, 8);
}

void MbdForm::DiscardSolver() {
  solver_.reset();
  chiNeeded_ = true;
}

void MbdForm::ResetBeams() {
  table_.Reset({crystal_.h, crystal_.k, crystal_.l});
  ShowReflectionRows();
  Field(F::PrincipalAzimuth).text.clear();
  DiscardSolver();
}

bool MbdForm::PhotonEnergy(UserInterface& ui) {
  const bool defined = CrystalDefined();
  ChangeWavelengthForm dialog(energy_, app_.Presets(), defined ? crystal_.d : -1,
                              defined ? HklText(crystal_) : std::string());
  if (ui.RunDialog(dialog) != DialogResult::Ok) return false;
  const double energy = dialog.EnergyEv();
  if (defined && core::WavelengthOf(energy) / (2 * crystal_.d) > 1) {
    ui.ShowMessage("The energy chosen is below the minimum energy of the primary reflection, " +
                   FormatNumber(core::kHalfHcEvAngstrom / 1000 / crystal_.d, 8) + " keV");
    return false;
  }
  energy_ = energy;
  ShowEnergy();
  if (defined) ShowBraggAngle();
  ResetBeams();
  return true;
}

bool MbdForm::DefineCrystal(UserInterface& ui) {
  const mbd::Miller before{crystal_.h, crystal_.k, crystal_.l};
  bool loaded = false;
  const DialogResult result =
      programs::DefineCrystal(app_, ui, crystal_, energy_, MissingStructure::DoNotOpen, &loaded);
  // A structure loaded on the way has replaced the old crystal (a cancelled
  // dialog puts the old one back).
  if (loaded || result == DialogResult::Ok) changedForMap_ = true;
  if (result != DialogResult::Ok) {
    if (loaded) ResetBeams();
    return false;
  }
  ShowBraggAngle();
  Field(F::CrystalName).text = crystal_.structure.name;
  Field(F::PrimaryReflection).text = HklText(crystal_);
  Field(F::SiMode).checked = mbd::IsDiamondStructureName(crystal_.structure.name);
  const mbd::Miller g{crystal_.h, crystal_.k, crystal_.l};
  if (loaded || !(g == before)) ResetBeams();
  chiNeeded_ = true;
  return true;
}

void MbdForm::SetDiamondMode(bool on) {
  if (Field(F::SiMode).checked != on) changedForMap_ = true;
  Field(F::SiMode).checked = on;
}

void MbdForm::Help(UserInterface& ui) {
  OpenDocumentOrSay(ui, app_.DataDirectory() / kHelpFile, kHelpMissing);
}

MbdHandOver MbdForm::HandOver() const {
  MbdHandOver handOver;
  handOver.crystalDefined = CrystalDefined();
  handOver.crystal = crystal_;
  handOver.primary = {crystal_.h, crystal_.k, crystal_.l};
  handOver.reference = referenceSet_ ? reference_ : mbd::Vec3{};
  handOver.diamondMode = DiamondMode();
  return handOver;
}

bool MbdForm::OpenMap(UserInterface& ui) {
  if (!BuildFrame(ui)) return false;
  ShellCommands* commands = app_.Commands();
  if (!commands) return false;
  changedForMap_ = true;
  commands->OpenProgram(shell::ProgramKind::MbdLineMap);
  return true;
}

}  // namespace velto::programs
