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
// imaginary part).
inline Complex ComplexSqrtPrincipal(Complex z) {
  // |z| without hypot's scaling: see Divide above.
  const double m = std::sqrt(z.real() * z.real() + z.imag() * z.imag());
  // Rounding may leave m a hair below |Re z|; the difference is then 0.
  const double sumHalf = (m + z.real()) * 0.5;
  const double differenceHalf = (m - z.real()) * 0.5;
  const double re = sumHalf > 0 ? std::sqrt(sumHalf) : 0.0;
  const double im = differenceHalf > 0 ? std::sqrt(differenceHalf) : 0.0;
  return {re, z.imag() < 0 ? -im : im};
}

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
