#pragma once
#include <array>
#include <string>

#include "crystal/CrystalStructure.h"
#include "mbd/Vec3.h"
#include "programs/ui/AppContext.h"
#include "programs/ui/FormField.h"
#include "programs/ui/UserInterface.h"

namespace velto::programs {

enum class MapSettingsField {
  CrystalName,  // read-only, beside "Define Crystal ..."
  DiamondMode,  // "Si//Ge/C structure"
  GH, GK, GL,   // "Primary Reflection (G):"
  HH, HK, HL,   // "Horizontal Reference Direction:"
  HLimit, KLimit, LLimit,  // "Hmax", "Kmax", "Lmax"
  Count
};

inline constexpr const char* kAllZeroMessage = "h k l must NOT be all zero!";
inline constexpr const char* kForbiddenPrimaryQuestion =
    "The Primary Reflection seems to be a forbidden reflection (which is allowed though). Do you want to proceed? ";
inline constexpr const char* kNotPerpendicularMessage =
    "The Horizontal Reference Direction is not perpendicular to the Primary Reflection!";
inline constexpr const char* kLimitsZeroMessage = "Hmax, Kmax, Lmax must NOT all be zero!";

// Whether H lies in the Bragg plane of G (|G·H| ≤ 1e-10, Cartesian, without 2π),
// as the azimuth frame needs.
bool ReferencePerpendicular(const crystal::CrystalStructure& crystal, mbd::Miller g, mbd::Vec3 reference);

struct IndexLimits {
  int h = 99, k = 99, l = 99;
};

// The model of `CMapSettings`, "Define/Change Crystal and Reflection/
// Orientation": the crystal of the map, its primary reflection G, the
// horizontal reference direction H (azimuth zero), the Si/Ge/C mode and the
// index limits of the search. It works on copies; the window takes them
// over after an accepted OK.
class MapSettingsForm : public DialogModel {
 public:
  static constexpr const char* kTitle = "Define/Change Crystal and Reflection/Orientation";

  MapSettingsForm(AppContext& app, const crystal::CrystalStructure& crystal, bool diamondMode, mbd::Miller g,
                  mbd::Vec3 reference, IndexLimits limits);

  FormField& Field(MapSettingsField id) { return fields_[static_cast<std::size_t>(id)]; }
  const FormField& Field(MapSettingsField id) const { return fields_[static_cast<std::size_t>(id)]; }
  // The name a focus move uses for a field.
  static const char* FieldName(MapSettingsField id);

  // "Define Crystal ...": a structure file at 293.15 K. Cancel or a file
  // that cannot be loaded leaves the dialog's crystal as it was.
  void DefineCrystal(UserInterface& ui);
  // What "Define Crystal ..." does with a loaded structure: it replaces the
  // dialog's copy, its name is shown and the Si/Ge/C mode follows the name.
  void AcceptLoadedCrystal(crystal::CrystalStructure structure);
  // The "-" and "+" buttons under the G and H fields.
  void Step(UserInterface& ui, MapSettingsField id, int delta);
  // OK: true when the dialog may close with its values accepted.
  bool Ok(UserInterface& ui);

  // --- the outcome, after an accepted OK ---
  bool CrystalChanged() const { return crystalChanged_; }
  const crystal::CrystalStructure& Crystal() const { return crystal_; }
  bool DiamondMode() const { return diamondMode_; }
  mbd::Miller Primary() const { return g_; }
  mbd::Vec3 Reference() const { return reference_; }
  IndexLimits Limits() const { return limits_; }

 private:
  AppContext& app_;
  crystal::CrystalStructure crystal_;
  bool crystalChanged_ = false;
  bool diamondMode_;
  mbd::Miller g_;
  mbd::Vec3 reference_;
  IndexLimits limits_;
  std::array<FormField, static_cast<std::size_t>(MapSettingsField::Count)> fields_;
};

}  // namespace velto::programs
