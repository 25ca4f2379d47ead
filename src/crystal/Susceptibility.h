#pragma once
#include <complex>

#include "core/Notifier.h"
#include "crystal/CrystalParams.h"
#include "crystal/CrystalStructure.h"

namespace velto::crystal {

// χh of reflection (h, k, l) at `energyEv`, with χh = −(r_e·λ²/(π·V))·Fh.
// A positive energy interpolates new f' and f'' first (and may tell the
// person that the energy lies outside a table); an energy of 0 or below
// reuses the factors of the structure's last energy. Returns kChiFailure
// when no factors are to be had. The optional outputs receive Fh and the
// d-spacing (Å, 0 for (0, 0, 0)).
std::complex<double> ChiOf(CrystalStructure& structure, double energyEv, int h, int k, int l,
                           core::Notifier& notifier, std::complex<double>* structureFactor = nullptr,
                           double* dSpacing = nullptr);

// ChiOf with an energy of 0 or below: the factors of the last energy, and a
// structure that stays untouched, so that threads may share it.
std::complex<double> ChiAtLastEnergy(const CrystalStructure& structure, int h, int k, int l,
                                     std::complex<double>* structureFactor = nullptr, double* dSpacing = nullptr);

// −r_e·λ²/(π·V): χ = scale·F, F = χ/scale.
double ChiPerStructureFactor(const CrystalStructure& structure, double energyEv);

// The thermal exponent (−B, Å²) of every group at `temperature` (K).
void SetTemperature(CrystalStructure& structure, double temperature);

// −B of one group at `temperature`; 0 without thermal vibration.
double ThermalExponent(const ElementGroup& group, double temperature);

// Debye–Waller B (Å²) of an element of mass `mass` (u) with Debye
// temperature `debyeTemperature` (K) at `temperature` (K).
double DebyeWallerB(double mass, double debyeTemperature, double temperature);

// φ(x) = (1/x)·∫₀ˣ t/(eᵗ − 1) dt.
double DebyeFunction(double x);

inline constexpr const char* kNotFiniteChiMessage =
    "Error! The chi components are not finite numbers: the atomic data files cannot describe this reflection!!!";

// The five components of one reflection as the crystal definition computes
// them: χ0 at `energyEv`, χh and χ−h with the same factors, π equal to σ.
// When the factors cannot be had, or a component is not finite (the person
// is told, kNotFiniteChiMessage), every component holds kChiFailure.
ReflectionChi ComputeReflectionChi(CrystalStructure& structure, double energyEv, int h, int k, int l,
                                   core::Notifier& notifier);

// Linear absorption coefficient µ (µm⁻¹) from Im χ0 at `energyEv`; the
// penetration depth is 1/µ (µm).
double AbsorptionOf(double imChi0, double energyEv);

// Parts smaller than 1e-10 in magnitude become 0.
void ZeroTiny(std::complex<double>& value);

struct PolarForm {
  double modulus = 0;
  double phaseDegrees = 0;  // in [0, 360)
};
PolarForm ModulusPhase(std::complex<double> value);

}  // namespace velto::crystal
