#pragma once
#include <array>
#include <cmath>
#include <complex>

#include "core/Units.h"

// Complex helpers of the two-beam theory. Their branch choices are part of
// the physics: the root selections of the reflection operations assume them.
namespace velto::twobeam {

using Complex = std::complex<double>;

// a/b. The library's division guards against overflow by rescaling, at a
// cost comparable to a whole evaluation of the two-beam theory; the moduli
// met here (susceptibilities, amplitude ratios, phase factors) lie far
// inside the range of double, where the plain formula is exact enough.
inline Complex Divide(Complex a, Complex b) {
  const double scale = 1.0 / (b.real() * b.real() + b.imag() * b.imag());
  return {(a.real() * b.real() + a.imag() * b.imag()) * scale, (a.imag() * b.real() - a.real() * b.imag()) * scale};
}

// Square root on the principal branch, with the square root of a negative
// real number a positive imaginary number (also for a negative zero
// imaginary part). Real operations only, so that loops over many points
// vectorize. The larger part is t = sqrt((|Re z| + |z|)/2), without
// cancellation; the smaller is |Im z|/(2t), not sqrt((|z| − |Re z|)/2),
// which loses half the digits where |Im z| ≪ |Re z|. |z| is found without
// hypot's scaling, except for moduli near the ends of the range of double.
inline Complex ComplexSqrtPrincipal(Complex z) {
  const double re = z.real();
  const double im = z.imag();
  // Not std::fmax: its treatment of NaN keeps it a library call.
  const double largest = std::fabs(re) > std::fabs(im) ? std::fabs(re) : std::fabs(im);
  // Powers of two: scaling by them is exact.
  constexpr double kDown = 0x1p-600, kUp = 0x1p600, kRootDown = 0x1p-300, kRootUp = 0x1p300;
  const bool huge = largest > 0x1p500;
  const bool tiny = largest < 0x1p-500;
  const double scale = huge ? kDown : (tiny ? kUp : 1.0);
  const double unscale = huge ? kRootUp : (tiny ? kRootDown : 1.0);
  const double x = re * scale;
  const double y = im * scale;
  const double m = std::sqrt(x * x + y * y);
  const double t = std::sqrt((std::fabs(x) + m) * 0.5);
  const double other = t > 0 ? std::fabs(y) / (2.0 * t) : 0.0;
  const double larger = t * unscale;
  const double smaller = other * unscale;
  const double real = re >= 0 ? larger : smaller;
  const double imag = re >= 0 ? smaller : larger;
  return {real, im < 0 ? -imag : imag};
}

// i·z, for the phases exp(2πi·δ·t/λ) = ExpTwoPi(i·δ·t/λ).
inline Complex TimesI(Complex z) { return {-z.imag(), z.real()}; }

// exp(2π·z). The integer part of Im z is dropped before the trigonometric
// functions, so large phases (thick crystals) lose no accuracy. Callers pass
// z = i·δ·t/λ to obtain exp(2πi·δ·t/λ).
inline Complex ExpTwoPi(Complex z) {
  const double magnitude = std::exp(core::kTwoPi * z.real());
  const double turns = z.imag() - std::trunc(z.imag());
  const double phase = core::kTwoPi * turns;
  return {magnitude * std::cos(phase), magnitude * std::sin(phase)};
}

// The n-th root |z|^(1/n)·exp(iφ/n) with the argument φ of z taken in [0, 2π).
Complex ComplexRootN(Complex z, int n);

// The four roots of u⁴ + a·u³ + b·u² + c·u + d = 0 in closed form (Ferrari
// with Cardano's resolvent), in the order: first quadratic factor +, −,
// second factor +, −.
std::array<Complex, 4> SolveQuartic(Complex a, Complex b, Complex c, Complex d);

// Swaps whole roots so that roots 0 and 1 are the two with the smallest
// imaginary parts, root 0 the smaller; roots 2 and 3 stay unordered.
void OrderRootsByImaginaryPart(std::array<Complex, 4>& roots);

using Matrix4 = std::array<std::array<Complex, 4>, 4>;
using Vector4 = std::array<Complex, 4>;

// Solves m·c = r by Gaussian elimination with complete pivoting. False (and
// c untouched) when a pivot is exactly zero, i.e. the system is singular.
bool SolveLinear4(const Matrix4& m, const Vector4& r, Vector4& c);

}  // namespace velto::twobeam
