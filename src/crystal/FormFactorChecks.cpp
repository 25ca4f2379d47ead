#include "crystal/FormFactorChecks.h"

#include <cmath>

#include "core/TextNumbers.h"

namespace velto::crystal {
namespace {

// No fit of the shipped tables has a coefficient above 234 (Å² or
// electrons); a thousand leaves room for other fits and none for garbage.
constexpr double kLargestCoefficient = 1000;
// Published fits pair a few near-zero exponents with large constants (C:
// b4 = −0.000294 Å²); such a term is flat over the fit's range. A clearly
// negative exponent makes f0 grow without bound.
constexpr double kMostNegativeExponent = -0.01;  // Å²
// f0 is sampled this finely in s when its rise is checked; the Gaussians of
// the fits are far wider.
constexpr int kSamples = 600;
// Rounding of the six-decimal coefficients, not a physical rise.
constexpr double kRiseTolerance = 1e-6;  // electrons
constexpr double kAnomalousScale = 5;    // times Z + 100 electrons

double F0(std::span<const double> a, std::span<const double> b, double c, double s) {
  double f0 = c;
  for (std::size_t i = 0; i < a.size(); ++i) f0 += a[i] * std::exp(-b[i] * s * s);
  return f0;
}

}  // namespace

std::optional<std::string> GaussianF0Fault(std::span<const double> a, std::span<const double> b, double c,
                                           double highestS) {
  const auto implausible = [](double x) { return !(std::fabs(x) <= kLargestCoefficient); };
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (implausible(a[i]))
      return "the coefficient a" + std::to_string(i + 1) + " = " + core::FormatGeneral(a[i]) + " is not plausible";
    if (implausible(b[i]) || !(b[i] >= kMostNegativeExponent))
      return "the exponent b" + std::to_string(i + 1) + " = " + core::FormatGeneral(b[i]) + " is not plausible";
  }
  if (implausible(c)) return "the constant c = " + core::FormatGeneral(c) + " is not plausible";
  double before = F0(a, b, c, 0);
  for (int k = 1; k <= kSamples; ++k) {
    const double s = highestS * k / kSamples;
    const double f0 = F0(a, b, c, s);
    const double sBefore = highestS * (k - 1) / kSamples;
    if (!std::isfinite(f0))
      return "f0 is not a finite number at sin(theta)/lambda = " + core::FormatGeneral(s) + " A^-1";
    if (f0 > before + kRiseTolerance)
      return "f0 rises from " + core::FormatGeneral(before) + " to " + core::FormatGeneral(f0) +
             " between sin(theta)/lambda = " + core::FormatGeneral(sBefore) + " and " + core::FormatGeneral(s) +
             " A^-1";
    before = f0;
  }
  return std::nullopt;
}

std::optional<std::string> AnomalousFactorFault(int z, double f1, double f2) {
  const double most = kAnomalousScale * (z + 100);
  if (!(std::fabs(f1) <= most))
    return "|f1| = " + core::FormatGeneral(std::fabs(f1)) + " exceeds " + core::FormatGeneral(most) + " electrons";
  if (!(f2 <= most)) return "f2 = " + core::FormatGeneral(f2) + " exceeds " + core::FormatGeneral(most) + " electrons";
  return std::nullopt;
}

}  // namespace velto::crystal
