// The frame of the multiple-beam window: the horizontal reference direction
// H (azimuth zero), the crystal surface given by the offcut, and the
// principal azimuth of incidence φ0.
#include <cmath>
#include <cstdio>

#include "mbd/LatticeBasis.h"
#include "programs/ui/FieldReading.h"
#include "programs/multiple_beam/HorizontalReferenceForm.h"
#include "programs/multiple_beam/MbdForm.h"
#include "shell/NumberText.h"

namespace velto::programs {
namespace {

using F = MbdField;
using mbd::FrameStatus;

// The field a refusal of the frame points the person to.
const char* FieldOf(FrameStatus status) {
  switch (status) {
    case FrameStatus::NoCrystal:
      return MbdFieldName(F::CrystalName);
    case FrameStatus::ReferenceNotSet:
      return MbdFieldName(F::Reference);
    case FrameStatus::PrincipalAzimuthNotSet:
      return MbdFieldName(F::PrincipalAzimuth);
    default:
      return "";
  }
}

bool Blank(const std::string& text) { return text.find_first_not_of(" \t\r\n") == std::string::npos; }

}  // namespace

bool MbdForm::Refuse(UserInterface& ui, FrameStatus status) {
  ui.ShowMessage(mbd::FrameMessage(status));
  if (*FieldOf(status) != '\0') ui.Focus(FieldOf(status));
  return false;
}

bool MbdForm::BuildFrame(UserInterface& ui) {
  const std::optional<double> offcut =
      ReadNumberField(ui, Field(F::Offcut).text, "Offcut angle", MbdFieldName(F::Offcut));
  if (!offcut) return false;
  const std::optional<double> azimuth =
      ReadNumberField(ui, Field(F::OffcutAzimuth).text, "Azimuthal angle of Offcut", MbdFieldName(F::OffcutAzimuth));
  if (!azimuth) return false;
  const FrameStatus status =
      geometry_.Build(CrystalDefined(), mbd::LatticeBasisOf(crystal_.structure), {crystal_.h, crystal_.k, crystal_.l},
                      referenceSet_ ? reference_ : mbd::Vec3{}, *offcut, *azimuth);
  if (status != FrameStatus::Ok) return Refuse(ui, status);
  Field(F::Offcut).text = shell::FormatNumber(geometry_.OffcutDeg(), 8);
  Field(F::OffcutAzimuth).text = shell::FormatNumber(geometry_.OffcutAzimuthDeg(), 8);
  // A new surface means a new solver frame: the beams' reciprocal vectors
  // of the solver no longer hold.
  if (geometry_.SurfaceChanged()) DiscardSolver();
  geometry_.SetEnergy(energy_);
  return true;
}

bool MbdForm::ReadPrincipalAzimuth(UserInterface& ui) {
  const std::string& text = Field(F::PrincipalAzimuth).text;
  if (Blank(text)) return Refuse(ui, FrameStatus::PrincipalAzimuthNotSet);
  const std::optional<double> value =
      ReadNumberField(ui, text, "Principal Azimuth angle", MbdFieldName(F::PrincipalAzimuth));
  if (!value) return false;
  geometry_.SetPrincipalAzimuth(*value);
  return true;
}

bool MbdForm::HorizontalReference(UserInterface& ui) {
  if (!CrystalDefined()) return Refuse(ui, FrameStatus::NoCrystal);
  HorizontalReferenceForm dialog(mbd::LatticeBasisOf(crystal_.structure), {crystal_.h, crystal_.k, crystal_.l},
                                 referenceSet_ ? reference_ : mbd::Vec3{});
  if (ui.RunDialog(dialog) != DialogResult::Ok) return false;
  const mbd::Vec3 value = dialog.Value();
  const bool changed = !referenceSet_ || std::fabs(value.x - reference_.x) > 1e-10 ||
                       std::fabs(value.y - reference_.y) > 1e-10 || std::fabs(value.z - reference_.z) > 1e-10;
  if (!changed) return false;
  reference_ = value;
  referenceSet_ = true;
  char text[96];
  std::snprintf(text, sizeof text, "%g %g %g\n", value.x, value.y, value.z);
  Field(F::Reference).text = text;
  ResetBeams();
  changedForMap_ = true;
  return true;
}

void MbdForm::SetThreeBeamAzimuth(UserInterface& ui) {
  if (table_.Count() > 2 && table_[2].azimuth1 != mbd::kNoAngle) {
    Field(F::PrincipalAzimuth).text = shell::FormatNumber(table_[2].azimuth1, 8);
    return;
  }
  ui.ShowMessage(kNoThirdAzimuth);
}

void MbdForm::SetSecondAzimuth() {
  if (table_.Count() > 2 && table_[2].azimuth2 != mbd::kNoAngle)
    Field(F::PrincipalAzimuth).text = shell::FormatNumber(table_[2].azimuth2, 8);
}

void MbdForm::ZeroAzimuth() { Field(F::PrincipalAzimuth).text = std::string("0"); }

}  // namespace velto::programs
