#include "programs/parasitic/ParasiticForm.h"

#include <string>

#include "programs/ui/FieldReading.h"
#include "shell/NumberText.h"

namespace velto::programs {

using F = ParasiticField;

const char* const ParasiticForm::kNote =
    "A parasitic reflection h stays excited together with H while the incident beam is tilted within its CMBDP, the "
    "plane that holds H and the HRD; a tilt out of that plane detunes it. CMBDP ( ) gives the plane's normal and "
    "HRD [ ] a direction in it perpendicular to H, both as the smallest integers. Cubic crystals only.";

ParasiticForm::ParasiticForm() {
  for (std::size_t i = 0; i < 3; ++i) fields_[i].text = shell::FormatInteger(primary_[i]);
  Field(F::DiamondStructure).checked = diamond_;
  Field(F::Output).readOnly = true;
  Field(F::Note).readOnly = true;
  Field(F::Note).text = kNote;
}

void ParasiticForm::Calculate(UserInterface& ui) {
  for (std::size_t i = 0; i < 3; ++i) {
    primary_[i] = shell::ParseInteger(fields_[i].text);
    fields_[i].text = shell::FormatInteger(primary_[i]);
  }
  diamond_ = Field(F::DiamondStructure).checked;
  const ParasiticResult result = CalculateParasiticReflections(primary_[0], primary_[1], primary_[2], diamond_);
  if (result.refusal) {
    ShowRefusal(ui, *result.refusal);
    return;
  }
  Field(F::Output).text = result.text;
}

}  // namespace velto::programs
