#include "programs/crystal_dialog/StructureFactorsForm.h"

#include "crystal/Susceptibility.h"
#include "shell/NumberText.h"

namespace velto::programs {

using shell::FormatNumber;

StructureFactorsForm::StructureFactorsForm(const std::array<std::complex<double>, 5>& factors,
                                           double absorptionPerMicrometre)
    : factors_(factors), absorption_(absorptionPerMicrometre) {
  for (std::size_t i = 0; i < factors.size(); ++i) {
    real_[i].text = FormatNumber(factors[i].real(), 8);
    imaginary_[i].text = FormatNumber(factors[i].imag(), 8);
    const crystal::PolarForm polar = crystal::ModulusPhase(factors[i]);
    modulus_[i].text = FormatNumber(polar.modulus, 8);
    phase_[i].text = FormatNumber(polar.phaseDegrees, 8);
  }
  for (auto* fields : {&real_, &imaginary_, &modulus_, &phase_}) {
    for (FormField& field : *fields) field.readOnly = true;
  }
  absorptionBox_.text = FormatNumber(absorptionPerMicrometre, 8);
  penetrationBox_.text = FormatNumber(1.0 / absorptionPerMicrometre, 8);
  absorptionBox_.readOnly = penetrationBox_.readOnly = true;
}

}  // namespace velto::programs
