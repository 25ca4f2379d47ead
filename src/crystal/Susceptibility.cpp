#include "crystal/Susceptibility.h"

#include <cmath>

#include "core/Units.h"
#include "crystal/AtomicData.h"
#include "crystal/ElementTable.h"

namespace velto::crystal {
namespace {

// 6h² in (J·s)², the atomic mass unit in kg and Boltzmann's constant in J/K
// (CODATA 1998), kept as they are so that B factors do not drift between
// versions.
constexpr double kSixPlanckSquared = 2.634287232734876e-66;
constexpr double kAtomicMassUnit = 1.66053873e-27;
constexpr double kBoltzmann = 1.3806503e-23;
constexpr double kSquareMetresPerSquareAngstrom = 1e20;

constexpr int kDebyeSteps = 100000;

}  // namespace

double ChiPerStructureFactor(const CrystalStructure& structure, double energyEv) {
  const double lambda = core::WavelengthOf(energyEv);
  return -core::kElectronRadius * lambda * lambda / (core::kPi * structure.volume);
}

std::complex<double> ChiAtLastEnergy(const CrystalStructure& structure, int h, int k, int l,
                                     std::complex<double>* structureFactor, double* dSpacing) {
  if (!(structure.lastEnergy > 0)) return kChiFailure;
  const bool forward = h == 0 && k == 0 && l == 0;
  double s2 = 0;
  double d = 0;
  if (!forward) {
    const double hx = h * structure.b1x;
    const double hy = h * structure.b1y + k * structure.b2y;
    const double hz = h * structure.b1z + k * structure.b2z + l * structure.b3z;
    const double modulusSquared = hx * hx + hy * hy + hz * hz;
    s2 = modulusSquared / 4.0;
    d = 1.0 / std::sqrt(modulusSquared);
  }
  if (dSpacing) *dSpacing = d;

  double fRe = 0;
  double fIm = 0;
  for (const ElementGroup& group : structure.groups) {
    if (forward) {
      // Forward scattering counts every electron: the exact atomic number
      // instead of the fitted f0(0), and every atom line once.
      fRe += group.AtomCount() * (group.z + group.fPrime);
      fIm += group.AtomCount() * group.fDoublePrime;
      continue;
    }
    const double f = F0At(group, s2) + group.fPrime;
    double sumRe = 0;
    double sumIm = 0;
    for (const AtomSite& atom : group.atoms) {
      const double phase = core::kTwoPi * (h * atom.x + k * atom.y + l * atom.z);
      sumRe += atom.occupancy * std::cos(phase);
      sumIm += atom.occupancy * std::sin(phase);
    }
    const double thermal = std::exp(group.thermalExponent * s2);
    fRe += (f * sumRe - group.fDoublePrime * sumIm) * thermal;
    fIm += (f * sumIm + group.fDoublePrime * sumRe) * thermal;
  }
  const std::complex<double> structureFactorValue(fRe, fIm);
  if (structureFactor) *structureFactor = structureFactorValue;
  return ChiPerStructureFactor(structure, structure.lastEnergy) * structureFactorValue;
}

std::complex<double> ChiOf(CrystalStructure& structure, double energyEv, int h, int k, int l,
                           core::Notifier& notifier, std::complex<double>* structureFactor, double* dSpacing) {
  if (std::isnan(energyEv)) return kChiFailure;
  if (energyEv > 0 && !UpdateAnomalousFactors(structure, energyEv, notifier)) return kChiFailure;
  return ChiAtLastEnergy(structure, h, k, l, structureFactor, dSpacing);
}

double DebyeFunction(double x) {
  if (x <= 1e-4) return 1.0;
  if (x >= 7.0) return 1.642 / x;
  const double step = x / kDebyeSteps;
  double sum = 0.5;  // half the integrand's limit 1 at t = 0
  for (int i = 1; i < kDebyeSteps; ++i) {
    const double t = i * step;
    sum += t / std::expm1(t);
  }
  sum += 0.5 * x / std::expm1(x);
  return sum * step / x;
}

double DebyeWallerB(double mass, double debyeTemperature, double temperature) {
  const double x = debyeTemperature / temperature;
  return (DebyeFunction(x) / x + 0.25) * kSixPlanckSquared /
         (mass * kAtomicMassUnit * kBoltzmann * debyeTemperature) * kSquareMetresPerSquareAngstrom;
}

double ThermalExponent(const ElementGroup& group, double temperature) {
  if (!(group.debyeTemperature > 0) || !(temperature > 0)) return 0.0;
  return -DebyeWallerB(ElementTable::Mass(group.z), group.debyeTemperature, temperature);
}

void SetTemperature(CrystalStructure& structure, double temperature) {
  for (ElementGroup& group : structure.groups) group.thermalExponent = ThermalExponent(group, temperature);
}

ReflectionChi ComputeReflectionChi(CrystalStructure& structure, double energyEv, int h, int k, int l,
                                   core::Notifier& notifier) {
  ReflectionChi chi;
  chi.chi0 = ChiOf(structure, energyEv, 0, 0, 0, notifier);
  if (chi.chi0 == kChiFailure) {
    // Without factors at this energy any χh would mix energies.
    for (std::size_t i = 0; i < ReflectionChi::kComponents; ++i) chi[i] = kChiFailure;
    return chi;
  }
  chi.chih = ChiAtLastEnergy(structure, h, k, l);
  chi.chimh = ChiAtLastEnergy(structure, -h, -k, -l);
  ZeroTiny(chi.chih);
  ZeroTiny(chi.chimh);
  chi.chihPi = chi.chih;
  chi.chimhPi = chi.chimh;
  // The data files are checked when loaded; a χ that is still infinite or
  // undefined must fail here rather than pass into a curve as a number.
  for (std::size_t i = 0; i < ReflectionChi::kComponents; ++i) {
    if (!std::isfinite(chi[i].real()) || !std::isfinite(chi[i].imag())) {
      notifier.Notify(kNotFiniteChiMessage, core::MessageIcon::None);
      for (std::size_t j = 0; j < ReflectionChi::kComponents; ++j) chi[j] = kChiFailure;
      break;
    }
  }
  return chi;
}

double AbsorptionOf(double imChi0, double energyEv) {
  const double wavenumber = core::kTwoPi / core::WavelengthOf(energyEv);  // Å⁻¹
  return -imChi0 * wavenumber * core::kAngstromPerMicrometre;
}

void ZeroTiny(std::complex<double>& value) {
  constexpr double kTiny = 1e-10;
  value = {std::abs(value.real()) < kTiny ? 0.0 : value.real(), std::abs(value.imag()) < kTiny ? 0.0 : value.imag()};
}

PolarForm ModulusPhase(std::complex<double> value) {
  const double re = value.real();
  const double im = value.imag();
  PolarForm polar;
  polar.modulus = std::sqrt(re * re + im * im);
  if (polar.modulus == 0) return polar;
  if (re != 0) {
    polar.phaseDegrees = std::atan(im / re) / core::kDegree;
    if (re > 0 && im < 0) polar.phaseDegrees += 360.0;
    if (re < 0) polar.phaseDegrees += 180.0;
    // A vanishing negative angle would otherwise round to 360 itself.
    if (polar.phaseDegrees >= 360.0) polar.phaseDegrees -= 360.0;
  } else {
    polar.phaseDegrees = im > 0 ? 90.0 : 270.0;
  }
  return polar;
}

}  // namespace velto::crystal
