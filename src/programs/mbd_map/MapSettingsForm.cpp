#include "programs/mbd_map/MapSettingsForm.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "core/Units.h"
#include "crystal/Susceptibility.h"
#include "mbd/LatticeBasis.h"
#include "mbd/ReflectionRules.h"
#include "programs/ui/BoundFields.h"
#include "programs/ui/FieldReading.h"
#include "shell/MainFrameState.h"
#include "shell/NumberText.h"

namespace velto::programs {
namespace {

using F = MapSettingsField;
using shell::FormatNumber;

constexpr int kLargestIndex = 999;
constexpr double kSmallestComponent = 1e-10;
constexpr double kLargestPerpendicularDot = 1e-10;
constexpr double kForbiddenChiSquared = 1e-20;

bool IsPrimaryField(F id) { return id == F::GH || id == F::GK || id == F::GL; }
bool IsReferenceField(F id) { return id == F::HH || id == F::HK || id == F::HL; }

}  // namespace

bool ReferencePerpendicular(const crystal::CrystalStructure& crystal, mbd::Miller g, mbd::Vec3 reference) {
  const mbd::LatticeBasis lattice = mbd::LatticeBasisOf(crystal);
  return std::fabs(Dot(lattice.Reciprocal(g), lattice.Reciprocal(reference.x, reference.y, reference.z))) <=
         kLargestPerpendicularDot;
}

const char* MapSettingsForm::FieldName(F id) {
  switch (id) {
    case F::CrystalName: return "Crystal name";
    case F::DiamondMode: return "Si//Ge/C structure";
    case F::GH: return "G h";
    case F::GK: return "G k";
    case F::GL: return "G l";
    case F::HH: return "H h";
    case F::HK: return "H k";
    case F::HL: return "H l";
    case F::HLimit: return "Hmax";
    case F::KLimit: return "Kmax";
    case F::LLimit: return "Lmax";
    case F::Count: break;
  }
  return "";
}

MapSettingsForm::MapSettingsForm(AppContext& app, const crystal::CrystalStructure& crystal, bool diamondMode,
                                 mbd::Miller g, mbd::Vec3 reference, IndexLimits limits)
    : app_(app), crystal_(crystal), diamondMode_(diamondMode), g_(g), reference_(reference), limits_(limits) {
  Field(F::CrystalName).text = crystal_.name;
  Field(F::CrystalName).readOnly = true;
  Field(F::DiamondMode).checked = diamondMode;
  Field(F::GH).text = FormatNumber(g.h, 8);
  Field(F::GK).text = FormatNumber(g.k, 8);
  Field(F::GL).text = FormatNumber(g.l, 8);
  Field(F::HH).text = FormatNumber(reference.x, 8);
  Field(F::HK).text = FormatNumber(reference.y, 8);
  Field(F::HL).text = FormatNumber(reference.z, 8);
  Field(F::HLimit).text = shell::FormatInteger(limits.h);
  Field(F::KLimit).text = shell::FormatInteger(limits.k);
  Field(F::LLimit).text = shell::FormatInteger(limits.l);
}

void MapSettingsForm::DefineCrystal(UserInterface& ui) {
  crystal::CrystalStructure loaded;
  if (!app_.ChooseAndLoadStructure(ui, loaded, shell::kDefaultTemperatureK)) return;
  AcceptLoadedCrystal(std::move(loaded));
}

void MapSettingsForm::AcceptLoadedCrystal(crystal::CrystalStructure structure) {
  crystal_ = std::move(structure);
  crystalChanged_ = true;
  Field(F::CrystalName).text = crystal_.name;
  Field(F::DiamondMode).checked = mbd::IsDiamondStructureName(crystal_.name);
}

void MapSettingsForm::Step(UserInterface& ui, F id, int delta) {
  if (!IsPrimaryField(id) && !IsReferenceField(id)) return;
  FormField& field = Field(id);
  const std::optional<double> value = ReadNumberField(ui, field.text, FieldName(id), FieldName(id));
  if (!value) return;
  field.text = FormatNumber(*value + delta, 8);
}

bool MapSettingsForm::Ok(UserInterface& ui) {
  mbd::Miller g;
  for (F id : {F::GH, F::GK, F::GL}) {
    const std::optional<int> index = ReadBoundInteger(ui, Field(id).text, -kLargestIndex, kLargestIndex, FieldName(id));
    if (!index) return false;
    (id == F::GH ? g.h : id == F::GK ? g.k : g.l) = *index;
  }
  mbd::Vec3 reference;
  for (F id : {F::HH, F::HK, F::HL}) {
    const std::optional<double> value = ReadNumberField(ui, Field(id).text, FieldName(id), FieldName(id));
    if (!value) return false;
    (id == F::HH ? reference.x : id == F::HK ? reference.y : reference.z) = *value;
  }
  const bool referenceZero = std::fabs(reference.x) < kSmallestComponent &&
                             std::fabs(reference.y) < kSmallestComponent && std::fabs(reference.z) < kSmallestComponent;
  if (mbd::IsOrigin(g) || referenceZero) {
    ui.ShowMessage(kAllZeroMessage);
    ui.Focus(FieldName(mbd::IsOrigin(g) ? F::GH : F::HH));
    return false;
  }

  const double dG = mbd::LatticeBasisOf(crystal_).DSpacing(g);
  const std::complex<double> chiG = crystal::ChiOf(crystal_, core::kHcEvAngstrom / dG, g.h, g.k, g.l, ui);
  if (std::norm(chiG) < kForbiddenChiSquared && ui.AskYesNo(kForbiddenPrimaryQuestion) == Answer::No) return false;
  if (!ReferencePerpendicular(crystal_, g, reference)) {
    ui.ShowMessage(kNotPerpendicularMessage);
    ui.Focus(FieldName(F::HH));
    return false;
  }

  const bool diamondMode = Field(F::DiamondMode).checked;
  IndexLimits limits;
  for (F id : {F::KLimit, F::LLimit, F::HLimit}) {
    const int limit = std::max(shell::ParseInteger(Field(id).text), 0);
    Field(id).text = shell::FormatInteger(limit);
    (id == F::HLimit ? limits.h : id == F::KLimit ? limits.k : limits.l) = limit;
  }
  // Sums in a wider type: three limits near the int maximum must not wrap to zero.
  if (static_cast<long long>(limits.h) + limits.k + limits.l == 0) {
    ui.ShowMessage(kLimitsZeroMessage);
    ui.Focus(FieldName(F::HLimit));
    return false;
  }
  g_ = g;
  reference_ = reference;
  diamondMode_ = diamondMode;
  limits_ = limits;
  return true;
}

}  // namespace velto::programs
