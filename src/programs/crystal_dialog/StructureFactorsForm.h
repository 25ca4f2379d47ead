#pragma once
#include <array>
#include <complex>

#include "programs/ui/FormField.h"
#include "programs/ui/UserInterface.h"

namespace velto::programs {

// The model of `CDlgXopSF`, "Structure Factors": the five structure factors
// of a reflection with their moduli and phases, the linear absorption
// coefficient and the penetration depth. Read only.
class StructureFactorsForm : public DialogModel {
 public:
  static constexpr const char* kTitle = "Structure Factors";
  static constexpr std::array<const char*, 5> kRowLabels{"F0 =", "Fh =", "F-h =", "Fhp =", "F-hp ="};

  // F0, Fh, F−h, Fh^π, F−h^π and µ in µm⁻¹.
  StructureFactorsForm(const std::array<std::complex<double>, 5>& factors, double absorptionPerMicrometre);

  const std::array<std::complex<double>, 5>& Factors() const { return factors_; }
  double Absorption() const { return absorption_; }

  // Texts of the boxes of row i (0..4), all with 8 decimals.
  const FormField& Real(int i) const { return real_[static_cast<std::size_t>(i)]; }
  const FormField& Imaginary(int i) const { return imaginary_[static_cast<std::size_t>(i)]; }
  const FormField& Modulus(int i) const { return modulus_[static_cast<std::size_t>(i)]; }
  const FormField& Phase(int i) const { return phase_[static_cast<std::size_t>(i)]; }
  const FormField& AbsorptionBox() const { return absorptionBox_; }
  const FormField& PenetrationBox() const { return penetrationBox_; }

 private:
  std::array<std::complex<double>, 5> factors_;
  double absorption_;
  std::array<FormField, 5> real_, imaginary_, modulus_, phase_;
  FormField absorptionBox_, penetrationBox_;
};

}  // namespace velto::programs
