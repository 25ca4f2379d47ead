// f' and f'' by the Cromer–Liberman method: per orbital, the photoabsorption
// cross-section at the photon energy gives f'', and a Kramers–Kronig
// integral over the tabulated cross-sections gives f'.
#include <algorithm>
#include <cmath>
#include <limits>

#include "core/TextNumbers.h"
#include "core/Units.h"
#include "crystal/StructFactor.h"

namespace velto::crystal {
namespace {

constexpr double kHartreeKev = 0.02721;            // keV per Hartree unit of the tables
constexpr double kBarnsPerAtomicUnit = 2.80022e7;  // barns per atomic unit of cross-section
constexpr double kSpeedOfLight = 137.036;          // atomic units
constexpr double kDispersionFactor = 6.942325;     // c / (2π²) in atomic units
constexpr double kBarnEvToElectrons = 1.43110541e-8;  // σ (barns) · E (eV) → electrons

constexpr std::array<double, 5> kGaussX = {0.04691007703067, 0.23076534494716, 0.5, 1 - 0.23076534494716,
                                           1 - 0.04691007703067};
constexpr std::array<double, 5> kGaussW = {0.1184634425281, 0.23931433524968, 0.28444444444444,
                                           0.23931433524968, 0.1184634425281};

// The integrand of type t at x with the Gauss cross-section sigmaK.
double Integrand(const OrbitalIntegrand& o, int type, double x, double sigmaK, core::Notifier& notifier) {
  const double e = o.energy;
  const double eb = o.binding;
  const double eb3 = eb * eb * eb;
  switch (type) {
    case 0: {
      const double denominator = e * e * x * x - eb * eb;
      if (std::abs(denominator) < 1e-30) return eb * sigmaK / (x * x);
      return (eb3 * sigmaK / (x * x) - eb * o.sigmaAtEnergy * e * e) / denominator;
    }
    case 1:
      return 0.5 * eb3 * sigmaK / (std::sqrt(x) * (e * e * x * x - eb * eb * x));
    case 2: {
      if (std::abs(x) < 1e-31) {
        notifier.Notify("Demo. overflow", core::MessageIcon::None);
        return 0;
      }
      if (e < 1e-31) {
        notifier.Notify("e simeq 0", core::MessageIcon::None);
        return 0;
      }
      if (std::abs(sigmaK - o.sigmaAtEnergy) < 1e-30) {
        notifier.Notify("Factor cancels", core::MessageIcon::None);
        return -2 * sigmaK * eb / (x * x * x);
      }
      const double d = x * x * x * e * e - eb * eb / x;
      if (std::abs(d) < 1e-31) {
        notifier.Notify("Denom. zero", core::MessageIcon::None);
        return -2 * sigmaK * eb / (x * x * x);
      }
      return 2 * (eb3 * sigmaK / (x * x * x * x) - eb * o.sigmaAtEnergy * e * e) / d;
    }
    case 3:
      return (sigmaK - x * x * o.sigmaEdge) * eb3 / (x * x * (e * e * x * x - eb * eb));
    default:
      return 0;
  }
}

// McMaster's K-shell photoabsorption fits of H and He, in ln(E/keV).
double LightAtomFDoublePrime(int z, double energyEv) {
  const double l = std::log(energyEv / 1000.0);
  // The thresholds are compared with the energy in eV, so they never bite
  // in the X-ray range; they only keep the fit away from E -> 0.
  if (z == 1) {
    if (!(energyEv >= 0.014)) return 0;
    return std::exp(2.44964 - 3.34953 * l - 0.047137 * l * l + 0.0070996 * l * l * l) * energyEv *
           kBarnEvToElectrons;
  }
  if (!(energyEv >= 0.025)) return 0;
  return std::exp(6.06488 - 3.2905 * l - 0.107256 * l * l + 0.0144465 * l * l * l) * energyEv * kBarnEvToElectrons;
}

}  // namespace

double GaussIntegral(const OrbitalIntegrand& orbital, int type, core::Notifier& notifier) {
  double sum = 0;
  for (int k = 0; k < 5; ++k) {
    // The tables list the Gauss cross-sections by ascending energy, and
    // E' = E_b/x falls as x grows: x1 belongs to the highest energy.
    sum += kGaussW[k] * Integrand(orbital, type, kGaussX[k], orbital.gaussSigma[4 - k], notifier);
  }
  return sum;
}

double AitkenInterpolate(double x, std::span<const double> xs, std::span<const double> ys, core::Notifier& notifier) {
  const int n = static_cast<int>(std::min(xs.size(), ys.size()));
  if (n < 2) {
    notifier.Notify("Too few points, funct=y(1)", core::MessageIcon::None);
    return n == 1 ? ys[0] : 0.0;
  }
  if (n == 2) return ys[0] + (x - xs[0]) * (ys[1] - ys[0]) / (xs[1] - xs[0]);
  int k = 0;
  if (xs[1] > xs[0]) {
    if (x > xs[0]) {
      while (k < n && xs[k] < x) ++k;
    }
  } else if (x < xs[0]) {
    while (k < n && xs[k] > x) ++k;
  }
  const int start = std::min(n - 3, std::max(0, k - 2));  // 0-based first of the three points
  std::array<double, 3> u{}, v{};
  for (int i = 0; i < 3; ++i) {
    u[i] = xs[start + i] - x;
    v[i] = ys[start + i];
  }
  for (int i = 1; i < 3; ++i) {
    for (int j = i; j < 3; ++j) v[j] = (v[i - 1] * u[j] - v[j] * u[i - 1]) / (u[j] - u[i - 1]);
  }
  return v[2];
}

void StructFactor::Prepare() {
  prepared_.assign(data_.elements.size(), {});
  highestEnergyEv_ = std::numeric_limits<double>::infinity();
  for (std::size_t z = 3; z < data_.elements.size(); ++z) {
    double highestKev = 0;
    for (const OrbitalTable& table : data_.elements[z].orbitals)
      for (double energy : table.energy) highestKev = std::max(highestKev, energy);
    if (highestKev > 0) highestEnergyEv_ = std::min(highestEnergyEv_, highestKev * 1000.0);
    for (const OrbitalTable& table : data_.elements[z].orbitals) {
      PreparedOrbital orbital;
      orbital.functionType = table.functionType;
      const int m = static_cast<int>(table.energy.size());
      orbital.pointCount = m;
      // Points 6..10 are the Gauss points; an orbital with fewer points has
      // zero cross-sections in their place.
      std::array<std::pair<double, double>, 5> gauss{};
      for (int i = 5; i < std::min(m, 10); ++i) gauss[i - 5] = {table.energy[i], table.crossSection[i]};
      std::sort(gauss.begin(), gauss.end());
      for (int i = 0; i < 5; ++i) orbital.gaussSigma[i] = gauss[i].second / kBarnsPerAtomicUnit;
      if (m == kMaxOrbitalPoints) orbital.sigmaEdge = table.crossSection[10] / kBarnsPerAtomicUnit;

      std::array<std::pair<double, double>, kMaxOrbitalPoints> points{};
      for (int i = 0; i < m; ++i) points[i] = {table.energy[i], table.crossSection[i]};
      std::sort(points.begin(), points.begin() + m);
      for (int i = 0; i < m; ++i) {
        orbital.logEnergy[i] = std::log(points[i].first);
        orbital.logSigma[i] = points[i].second == 0 ? 0.0 : std::log(points[i].second);
      }
      while (orbital.leadingZeros < m && orbital.logSigma[orbital.leadingZeros] == 0) ++orbital.leadingZeros;
      prepared_[z].push_back(orbital);
    }
  }
}

std::optional<AnomalousFactors> StructFactor::CromerLibermanF1F2(int z, double energyEv,
                                                                core::Notifier& notifier) const {
  if (!usable_ || z < 1 || z > kStructFactorElements || !(energyEv > 0) || !std::isfinite(energyEv)) {
    return std::nullopt;
  }
  if (energyEv > highestEnergyEv_) {
    notifier.Notify("Error! Energy exceeds the range of StructFactor.Data (" +
                        core::FormatGeneral(highestEnergyEv_ / 1000.0) + " keV)!!!",
                    core::MessageIcon::None);
    return std::nullopt;
  }
  if (z < 3) return AnomalousFactors{0.0, LightAtomFDoublePrime(z, energyEv)};

  const ElementRecord& element = data_.elements[z];
  const double x = energyEv / 1000.0;
  const double logX = std::log(x);
  double fPrimeSum = 0;
  double fDoublePrimeSum = 0;
  double sigmaEdge = 0;  // σ_11 of the last orbital that has an eleventh point
  for (std::size_t i = 0; i < prepared_[z].size(); ++i) {
    const PreparedOrbital& orbital = prepared_[z][i];
    const double bindingKev = element.bindingEnergy[i];
    OrbitalIntegrand integrand;
    integrand.energy = x / kHartreeKev;
    integrand.binding = bindingKev / kHartreeKev;
    if (orbital.pointCount == kMaxOrbitalPoints) sigmaEdge = orbital.sigmaEdge;
    integrand.sigmaEdge = sigmaEdge;
    integrand.gaussSigma = orbital.gaussSigma;
    const double e = integrand.energy;
    const double eb = integrand.binding;

    double correction = 0;
    double fDoublePrime = 0;
    const bool aboveEdge = x >= bindingKev;
    if (aboveEdge) {
      const int skip = orbital.leadingZeros;
      const int count = orbital.pointCount - skip;
      if (count > 0) {
        const double logSigma =
            AitkenInterpolate(logX, std::span(orbital.logEnergy).subspan(skip, count),
                              std::span(orbital.logSigma).subspan(skip, count), notifier);
        integrand.sigmaAtEnergy = std::exp(logSigma) / kBarnsPerAtomicUnit;
      }
      const double sigma = integrand.sigmaAtEnergy;
      fDoublePrime = sigma * kSpeedOfLight * e / (4 * core::kPi);
      const double gap = e - eb == 0 ? 1.0 : e - eb;
      correction = -0.5 * sigma * e * kDispersionFactor * std::log((eb + e) / gap);
    }
    double integral = 0;
    if (!aboveEdge && orbital.functionType == 0) {
      integral = kDispersionFactor * GaussIntegral(integrand, 3, notifier);
      correction = kDispersionFactor * 0.5 * sigmaEdge * eb * eb / e * std::log((e - eb) / (-eb - e));
    } else if (orbital.functionType >= 0 && orbital.functionType <= 2) {
      integral = kDispersionFactor * GaussIntegral(integrand, orbital.functionType, notifier);
    }
    fPrimeSum += integral + correction;
    fDoublePrimeSum += fDoublePrime;
  }
  return AnomalousFactors{fPrimeSum - element.relativisticCorrection + element.kisselPrattCorrection,
                          fDoublePrimeSum};
}

ComptonValues StructFactor::ComptonTerm(int z, double energyEv) const {
  if (!usable_ || z < 1 || z > kStructFactorElements || !(energyEv > 0) || !std::isfinite(energyEv)) return {};
  const ElementRecord& element = data_.elements[z];
  const double l = std::log(energyEv / 1000.0);
  const auto fit = [l](const std::array<double, 4>& c) { return c[0] + c[1] * l + c[2] * l * l + c[3] * l * l * l; };
  return ComptonValues{std::exp(fit(element.secondFit)) * energyEv * kBarnEvToElectrons,
                       std::exp(fit(element.firstFit)) * energyEv * kBarnEvToElectrons};
}

}  // namespace velto::crystal
