#include "twobeam/ComplexMath.h"

#include <cmath>
#include <utility>

#include "core/Units.h"

namespace velto::twobeam {

Complex ComplexRootN(Complex z, int n) {
  const double re = z.real();
  const double im = z.imag();
  if (re == 0 && im == 0) return {0, 0};
  double phi;
  if (re == 0) {
    phi = im > 0 ? core::kPi / 2 : 3 * core::kPi / 2;
  } else {
    phi = std::atan(im / re);
    if (re > 0 && im < 0) phi += core::kTwoPi;
    if (re < 0) phi += core::kPi;
  }
  const double modulus = std::abs(z);
  const double root = n == 3 ? std::cbrt(modulus) : std::pow(modulus, 1.0 / n);
  const double angle = phi / n;
  return {root * std::cos(angle), root * std::sin(angle)};
}

std::array<Complex, 4> SolveQuartic(Complex a, Complex b, Complex c, Complex d) {
  // Cardano's solution of the resolvent cubic, shifted by b/6.
  const Complex pq = a * c / 12.0 - b * b / 36.0 - d / 3.0;
  const Complex qq = (d * (4.0 * b - a * a) - c * c) / 16.0 + b * (a * c - 4.0 * d) / 48.0 - b * b * b / 216.0;
  const Complex rq = ComplexSqrtPrincipal(qq * qq + pq * pq * pq);
  const Complex plus = -qq + rq;
  const Complex minus = -qq - rq;
  const Complex s0 = ComplexRootN(std::abs(plus) >= std::abs(minus) ? plus : minus, 3);

  // Of the three resolvent roots take the one that keeps the factorisation
  // farthest from a division by zero. When S vanishes so does Pq, and the
  // term Pq/S tends to 0.
  const Complex omega{-0.5, 0.8660254037844386};
  const Complex shift = a * a - 4.0 * b;
  Complex y{};
  double best = -1;
  Complex rotated = s0;
  for (int k = 0; k < 3; ++k) {
    const Complex candidate = (rotated == Complex{} ? rotated : rotated - Divide(pq, rotated)) + b / 6.0;
    const double size = std::abs(8.0 * candidate + shift);
    if (size > best) {
      best = size;
      y = candidate;
    }
    rotated *= omega;
  }

  // u⁴ + a·u³ + b·u² + c·u + d = (u² + p1·u + q1)(u² + p2·u + q2). A zero s
  // means the quartic is already a square in u² + (a/2)·u + y, and the
  // cross term vanishes with it.
  const Complex s = ComplexSqrtPrincipal(8.0 * y + shift);
  const Complex cross = s == Complex{} ? Complex{} : Divide(y * a - c, s);
  const Complex p1 = (a + s) * 0.5;
  const Complex q1 = y + cross;
  const Complex p2 = (a - s) * 0.5;
  const Complex q2 = y - cross;
  const Complex w1 = ComplexSqrtPrincipal(p1 * p1 - 4.0 * q1);
  const Complex w2 = ComplexSqrtPrincipal(p2 * p2 - 4.0 * q2);
  return {(-p1 + w1) * 0.5, (-p1 - w1) * 0.5, (-p2 + w2) * 0.5, (-p2 - w2) * 0.5};
}

void OrderRootsByImaginaryPart(std::array<Complex, 4>& roots) {
  static constexpr std::pair<int, int> kPairs[] = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}};
  for (const auto& [first, second] : kPairs) {
    if (roots[first].imag() > roots[second].imag()) std::swap(roots[first], roots[second]);
  }
}

bool SolveLinear4(const Matrix4& m, const Vector4& r, Vector4& c) {
  Matrix4 a = m;
  Vector4 rhs = r;
  std::array<int, 4> column{0, 1, 2, 3};
  for (int k = 0; k < 4; ++k) {
    int pivotRow = k;
    int pivotColumn = k;
    double largest = -1;
    for (int i = k; i < 4; ++i) {
      for (int j = k; j < 4; ++j) {
        const double size = std::norm(a[i][j]);
        if (size > largest) {
          largest = size;
          pivotRow = i;
          pivotColumn = j;
        }
      }
    }
    if (!(largest > 0)) return false;
    if (pivotRow != k) {
      std::swap(a[pivotRow], a[k]);
      std::swap(rhs[pivotRow], rhs[k]);
    }
    if (pivotColumn != k) {
      for (auto& row : a) std::swap(row[pivotColumn], row[k]);
      std::swap(column[pivotColumn], column[k]);
    }
    for (int i = k + 1; i < 4; ++i) {
      const Complex factor = Divide(a[i][k], a[k][k]);
      for (int j = k + 1; j < 4; ++j) a[i][j] -= factor * a[k][j];
      rhs[i] -= factor * rhs[k];
    }
  }
  Vector4 x{};
  for (int k = 3; k >= 0; --k) {
    Complex sum = rhs[k];
    for (int j = k + 1; j < 4; ++j) sum -= a[k][j] * x[j];
    x[k] = Divide(sum, a[k][k]);
  }
  for (int k = 0; k < 4; ++k) c[column[k]] = x[k];
  return true;
}

}  // namespace velto::twobeam
