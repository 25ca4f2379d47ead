#include "programs/mbd_map/MapScript.h"

#include <string>
#include <type_traits>

#include "programs/ui/BoundFields.h"

namespace velto::programs {

DialogResult FillMapSettings(MapSettingsForm& dialog, UserInterface& ui, const MapSettingsEntries& e) {
  using F = MapSettingsField;
  if (e.crystal) dialog.AcceptLoadedCrystal(*e.crystal);
  if (e.diamondMode) dialog.Field(F::DiamondMode).checked = *e.diamondMode;
  const F primary[] = {F::GH, F::GK, F::GL};
  const F reference[] = {F::HH, F::HK, F::HL};
  const F limits[] = {F::HLimit, F::KLimit, F::LLimit};
  for (int i = 0; i < 3; ++i) {
    if (e.primary) dialog.Field(primary[i]).text = std::to_string((*e.primary)[i]);
    if (e.reference) dialog.Field(reference[i]).text = FieldText((*e.reference)[i]);
    if (e.limits) dialog.Field(limits[i]).text = std::to_string((*e.limits)[i]);
  }
  return dialog.Ok(ui) ? DialogResult::Ok : DialogResult::Cancel;
}

void TypeMapRanges(MbdMapForm& form, const MapRangeEntries& e) {
  using F = MapField;
  const auto type = [&form](F id, const auto& value) {
    if (!value) return;
    if constexpr (std::is_same_v<std::decay_t<decltype(*value)>, int>)
      form.Field(id).text = std::to_string(*value);
    else
      form.Field(id).text = FieldText(*value);
  };
  type(F::Threshold, e.threshold);
  type(F::EnergyFrom, e.energyFromKev);
  type(F::EnergyTo, e.energyToKev);
  type(F::EnergyPoints, e.energyPoints);
  type(F::PhiFrom, e.phiFromDeg);
  type(F::PhiTo, e.phiToDeg);
  type(F::PhiPoints, e.phiPoints);
}

}  // namespace velto::programs
