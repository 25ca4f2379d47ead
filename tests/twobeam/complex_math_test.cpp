#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "core/Units.h"
#include "twobeam/ComplexMath.h"

namespace velto::twobeam {
namespace {

TEST(ComplexSqrtPrincipal, TakesThePositiveImaginaryRootOfNegativeNumbers) {
  EXPECT_EQ(ComplexSqrtPrincipal({-4, 0}), Complex(0, 2));
  EXPECT_EQ(ComplexSqrtPrincipal({-4, -0.0}), Complex(0, 2));  // a negative zero counts as zero
  EXPECT_EQ(ComplexSqrtPrincipal({-4, -1e-300}).imag(), -2);   // just below the cut: the other side
  EXPECT_EQ(ComplexSqrtPrincipal({9, 0}), Complex(3, 0));
  std::mt19937 random(7);
  std::uniform_real_distribution<double> uniform(-5, 5);
  for (int i = 0; i < 200; ++i) {
    const Complex z{uniform(random), uniform(random)};
    const Complex root = ComplexSqrtPrincipal(z);
    EXPECT_GE(root.real(), 0);
    EXPECT_LT(std::abs(root * root - z), 1e-14 * std::abs(z));
  }
}

// Units in the last place between a computed and a reference value.
double Ulps(double computed, double reference) {
  if (computed == reference) return 0;
  return std::fabs(computed - reference) / (std::nextafter(std::fabs(reference), INFINITY) - std::fabs(reference));
}

// The C library's csqrt (through std::sqrt) is correctly rounded or within
// an ulp; the real-operation root must agree with it to about an ulp in
// each part, over thirty decades of modulus and on both sides of the cut,
// including the points just off the negative real axis where the small
// real part used to come from a difference of nearly equal numbers.
TEST(ComplexSqrtPrincipal, AgreesWithTheLibraryToAboutAnUlpOverWideRanges) {
  std::mt19937 random(11);
  std::uniform_real_distribution<double> mantissa(-1, 1);
  std::uniform_int_distribution<int> exponent(-160, 160);
  double worst = 0;
  for (int i = 0; i < 200000; ++i) {
    Complex z{std::ldexp(mantissa(random), exponent(random)), std::ldexp(mantissa(random), exponent(random))};
    if (i % 4 == 0) z = {-std::fabs(z.real()), z.imag() * 1e-12};  // hugging the cut from either side
    if (i % 4 == 1) z = {z.real(), 0.0};                           // on the real axis
    const Complex root = ComplexSqrtPrincipal(z);
    const Complex reference = std::sqrt(z);
    worst = std::max({worst, Ulps(root.real(), reference.real()), Ulps(root.imag(), reference.imag())});
  }
  EXPECT_LE(worst, 2.0);
  // Near the ends of the range of double, where |z|² would overflow or
  // underflow without the scaling.
  for (const Complex z : {Complex{-3e300, 4e300}, Complex{1e-310, -2e-310}, Complex{-1e300, 1e-300}}) {
    const Complex root = ComplexSqrtPrincipal(z);
    const Complex reference = std::sqrt(z);
    EXPECT_LE(Ulps(root.real(), reference.real()), 2.0) << z;
    EXPECT_LE(Ulps(root.imag(), reference.imag()), 2.0) << z;
  }
  // The branch cut: the library follows the sign of a zero imaginary part;
  // this program counts a negative zero as zero (the root selections of the
  // two-beam theory expect the positive imaginary root there).
  EXPECT_EQ(std::sqrt(Complex{-4, -0.0}), Complex(0, -2));
  EXPECT_EQ(ComplexSqrtPrincipal({-4, -0.0}), Complex(0, 2));
  EXPECT_EQ(ComplexSqrtPrincipal({0, 0}), Complex(0, 0));
}

TEST(ExpTwoPi, DropsWholeTurnsOfThePhaseWithoutChangingTheValue) {
  const Complex z{-0.3, 0.123};
  const Complex expected = std::exp(core::kTwoPi * z);
  EXPECT_LT(std::abs(ExpTwoPi(z) - expected), 1e-15);
  // A phase of a million turns (a thick crystal) gives the value of its
  // fractional part, which the plain exponential would spoil in the last digits.
  const Complex manyTurns{-0.3, 1000000.123};
  EXPECT_EQ(ExpTwoPi(manyTurns), ExpTwoPi({-0.3, manyTurns.imag() - 1000000.0}));
  EXPECT_LT(std::abs(ExpTwoPi(manyTurns) - expected), 1e-9);
}

TEST(ComplexRootN, UsesTheArgumentInZeroToTwoPi) {
  // −8: argument π, so the principal cube root is 2·exp(iπ/3), not −2.
  const Complex root = ComplexRootN({-8, 0}, 3);
  EXPECT_NEAR(root.real(), 1.0, 1e-15);
  EXPECT_NEAR(root.imag(), std::sqrt(3.0), 1e-15);
  // −i: argument 3π/2; a point just below the positive real axis: almost 2π.
  EXPECT_NEAR(std::arg(ComplexRootN({0, -1}, 3)), core::kPi / 2, 1e-15);
  EXPECT_NEAR(std::arg(ComplexRootN({1, -1e-9}, 2)), core::kPi - 5e-10, 1e-12);
  EXPECT_EQ(ComplexRootN({0, 0}, 3), Complex(0, 0));
  std::mt19937 random(3);
  std::uniform_real_distribution<double> uniform(-3, 3);
  for (int i = 0; i < 100; ++i) {
    const Complex z{uniform(random), uniform(random)};
    const Complex r = ComplexRootN(z, 3);
    EXPECT_LT(std::abs(r * r * r - z), 1e-14 * std::abs(z));
    EXPECT_GE(std::arg(r), -1e-15);
    EXPECT_LT(std::arg(r), core::kTwoPi / 3 + 1e-15);
  }
}

// The monic quartic with the given roots, solved, and its roots matched to
// the given ones; returns the largest error of a root relative to its size.
double WorstRelativeRootError(const std::array<Complex, 4>& r, std::array<Complex, 4>* solved = nullptr) {
  const Complex a = -(r[0] + r[1] + r[2] + r[3]);
  const Complex b = r[0] * r[1] + r[0] * r[2] + r[0] * r[3] + r[1] * r[2] + r[1] * r[3] + r[2] * r[3];
  const Complex c = -(r[0] * r[1] * r[2] + r[0] * r[1] * r[3] + r[0] * r[2] * r[3] + r[1] * r[2] * r[3]);
  const Complex d = r[0] * r[1] * r[2] * r[3];
  const std::array<Complex, 4> roots = SolveQuartic(a, b, c, d);
  if (solved) *solved = roots;
  std::array<int, 4> order{0, 1, 2, 3};
  double best = 1e300;
  do {
    double worst = 0;
    for (int i = 0; i < 4; ++i) worst = std::max(worst, std::abs(roots[order[i]] - r[i]) / std::abs(r[i]));
    best = std::min(best, worst);
  } while (std::next_permutation(order.begin(), order.end()));
  return best;
}

TEST(SolveQuartic, RecoversTheRootsOfRandomMonicQuartics) {
  std::mt19937 random(11);
  std::uniform_real_distribution<double> uniform(-1, 1);
  std::uniform_real_distribution<double> decade(-3, 3);
  for (int trial = 0; trial < 2000; ++trial) {
    std::array<Complex, 4> roots;
    const double scale = std::pow(10.0, decade(random));
    for (Complex& root : roots) root = scale * Complex{uniform(random), uniform(random)};
    ASSERT_LT(WorstRelativeRootError(roots), 1e-10) << "trial " << trial;
  }
}

TEST(SolveQuartic, HandlesEqualImaginaryPartsAndRepeatedRoots) {
  // The waves of a crystal without absorption: pairs with equal imaginary parts.
  EXPECT_LT(WorstRelativeRootError({Complex{1, 0.5}, {-2, 0.5}, {3, -1}, {0.25, -1}}), 1e-12);
  EXPECT_LT(WorstRelativeRootError({Complex{0.4, 0}, {-0.7, 0}, {1.3, 0}, {-2.1, 0}}), 1e-12);

  // A double root is ill-conditioned: rounding the coefficients alone moves
  // its two copies apart by about √ε ≈ 1.5e-8 relative, whatever the method.
  // Their mean is well-conditioned and must come out to full accuracy.
  std::array<Complex, 4> solved;
  const std::array<Complex, 4> doubled{Complex{1, 1}, {1, 1}, {-2, 0}, {0.5, -0.5}};
  EXPECT_LT(WorstRelativeRootError(doubled, &solved), 1e-7);
  std::sort(solved.begin(), solved.end(), [](Complex x, Complex y) { return std::abs(x - Complex{1, 1}) < std::abs(y - Complex{1, 1}); });
  EXPECT_LT(std::abs((solved[0] + solved[1]) / 2.0 - Complex{1, 1}), 1e-12);
  EXPECT_LT(WorstRelativeRootError({Complex{0.3, -0.7}, {0.3, -0.7}, {-1.1, 0.2}, {-1.1, 0.2}}), 1e-7);
  // u⁴ = 0: every intermediate vanishes; the roots are all 0, not NaN.
  for (const Complex& root : SolveQuartic(0.0, 0.0, 0.0, 0.0)) EXPECT_EQ(root, Complex(0, 0));
}

TEST(OrderRootsByImaginaryPart, PutsTheTwoMostNegativeFirst) {
  std::array<Complex, 4> roots{Complex{1, 3}, {2, -1}, {3, 2}, {4, -5}};
  OrderRootsByImaginaryPart(roots);
  EXPECT_EQ(roots[0], Complex(4, -5));
  EXPECT_EQ(roots[1], Complex(2, -1));
  EXPECT_GT(roots[2].imag(), roots[1].imag());
  EXPECT_GT(roots[3].imag(), roots[1].imag());
}

TEST(SolveLinear4, SolvesWithCompletePivotingAndRefusesSingularSystems) {
  std::mt19937 random(5);
  std::uniform_real_distribution<double> uniform(-1, 1);
  for (int trial = 0; trial < 100; ++trial) {
    Matrix4 m;
    for (auto& row : m) {
      for (Complex& element : row) element = {uniform(random), uniform(random)};
    }
    m[0][0] = 0;  // no usable pivot where plain elimination would start
    const Vector4 expected{Complex{1, 2}, {-3, 0.5}, {0, -1}, {0.25, 0.25}};
    Vector4 r{};
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 4; ++j) r[i] += m[i][j] * expected[j];
    }
    Vector4 c{};
    ASSERT_TRUE(SolveLinear4(m, r, c));
    for (int j = 0; j < 4; ++j) EXPECT_LT(std::abs(c[j] - expected[j]), 1e-11);
  }
  Matrix4 singular{};
  singular[0] = {1.0, 2.0, 3.0, 4.0};
  singular[1] = {2.0, 4.0, 6.0, 8.0};
  singular[2] = {0.0, 1.0, 0.0, 1.0};
  singular[3] = {1.0, 3.0, 3.0, 5.0};  // row 0 + row 2
  Vector4 c{Complex{7, 7}, 7.0, 7.0, 7.0};
  EXPECT_FALSE(SolveLinear4(singular, {1.0, 1.0, 1.0, 1.0}, c));
  EXPECT_EQ(c[0], Complex(7, 7));
}

}  // namespace
}  // namespace velto::twobeam
