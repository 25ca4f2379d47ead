#pragma once
#include <cmath>

#include "core/Units.h"
#include "twobeam/ComplexMath.h"

// The arithmetic of one point of the standard two-beam theory, Bragg case,
// written once for the single-point evaluations of BraggCrystal and for the
// scan loops of BraggScan, so that both give the same numbers. Everything
// here is real and complex arithmetic and square roots: no branches that a
// compiler could not turn into selects, no library calls, so a loop over
// points compiles for the vector units. The exponentials and trigonometric
// functions of a plate are left to the caller, between PlateWaves and
// CombinePlate.
namespace velto::twobeam::bragg_waves {

// The constants of one polarization (P, Q0, G, A of the theory).
struct Constants {
  Complex p, q0, g, a;
};

// The two solutions at one point: amplitude ratios X± and wave-vector
// corrections δ± (normal component, in units of the vacuum wave number).
struct Waves {
  Complex xPlus, xMinus, deltaPlus, deltaMinus;
  // Im η and Re(η² − 1), for TotalReflection.
  double etaImag, rootArgumentReal;
};

// Real η inside (−1, 1) happens only without any absorption: the range of
// total reflection, where |η ± s| = 1 exactly. For real η, s is imaginary
// (Re s = 0) exactly when η² − 1 ≤ 0: |z| of a real z is computed as
// sqrt(z²) = |z|. Asked of η² − 1 rather than of Re s, which a compiler
// would turn into a choice between truth values that vectorizers refuse.
inline bool TotalReflection(const Waves& waves) { return (waves.etaImag == 0) & !(waves.rootArgumentReal > 0); }

// condition ? a : b, part by part, which a vectorizer turns into selects
// (a choice between whole complex numbers it does not).
inline Complex Select(bool condition, Complex a, Complex b) {
  return {condition ? a.real() : b.real(), condition ? a.imag() : b.imag()};
}

// Cosine of the exit glancing angle; there is an exit beam when its
// magnitude does not exceed 1.
inline double ExitCosine(double cosine, double q, double sinAlpha) { return cosine - q * sinAlpha; }

// The waves at incidence sine and cosine and q = λ/d.
inline void ComputeWaves(const Constants& k, Complex d0, double sinAlpha, double cosAlpha, double sine, double cosine,
                         double q, Waves& waves) {
  // −α_h/2 of the usual notation, exact in angle and energy.
  const double w = q * (sine * cosAlpha + cosine * sinAlpha - q / 2.0);
  const Complex eta = w * k.p + k.q0;
  const Complex rootArgument = eta * eta - 1.0;
  const Complex s = ComplexSqrtPrincipal(rootArgument);
  // (η + s)(η − s) = η² − s² = 1: the smaller of the two is the reciprocal
  // of the larger. Formed as a difference it would lose the digits that
  // the ratio |η|² of their sizes covers (all of them far from the
  // reflection, where it sets the weak tail and the depth).
  const Complex sum = eta + s;
  const Complex difference = eta - s;
  const bool sumLarger = std::norm(sum) >= std::norm(difference);
  const Complex larger = Select(sumLarger, sum, difference);
  const Complex smaller = Divide(1.0, larger);
  const Complex plus = Select(sumLarger, larger, smaller);
  const Complex minus = Select(sumLarger, smaller, larger);
  waves.xPlus = k.a * plus;
  waves.xMinus = k.a * minus;
  waves.deltaPlus = k.g * plus + d0;
  waves.deltaMinus = k.g * minus + d0;
  waves.etaImag = eta.imag();
  waves.rootArgumentReal = rootArgument.real();
}

// The attenuation Im δ of the more strongly attenuated field, which is the
// one a semi-infinite crystal excites; its 1/e intensity depth is
// λ/(4π·Im δ).
inline double Attenuation(const Waves& waves) {
  return waves.deltaPlus.imag() > waves.deltaMinus.imag() ? waves.deltaPlus.imag() : waves.deltaMinus.imag();
}

// The amplitude ratio of the field that decays into a semi-infinite crystal:
// the one with the larger Im δ. Without any absorption both have Im δ = 0
// outside the total-reflection range; the physical one is then the weaker
// (|X| ≤ 1), which keeps R ≤ 1 there.
inline Complex SemiInfiniteAmplitude(const Waves& waves) {
  const double plus = waves.deltaPlus.imag();
  const double minus = waves.deltaMinus.imag();
  // Bitwise operators: both sides are cheap, and a vectorizer takes no
  // short-circuit.
  const bool takeMinus = (minus > plus) | (!(plus > minus) & (std::norm(waves.xMinus) < std::norm(waves.xPlus)));
  return Select(takeMinus, waves.xMinus, waves.xPlus);
}

// R of a semi-infinite crystal. On the plateau B·|X|² = |χh|/|χ−h| in exact
// arithmetic; taking that value (`plateau`) keeps the top flat instead of
// rippling by a few units in the last place, so that the maximum and the
// half-maximum points of a curve do not depend on rounding.
inline double SemiInfiniteReflectivity(const Waves& waves, Complex amplitude, double ratioB, double plateau) {
  return TotalReflection(waves) ? plateau : ratioB * std::norm(amplitude);
}

// A plate: solution 1 is the less attenuated one, so that |e| ≤ 1 with
// e = exp(2πi·(δ2 − δ1)·t/λ) = ExpTwoPi(phase). The transmitted wave carries
// exp(2πi·δ2·t/λ) = ExpTwoPi(transmittedPhase).
struct Plate {
  Complex x1, x2, phase, transmittedPhase;
};

inline void PlateWaves(const Waves& waves, double tOverLambda, Plate& plate) {
  const bool plusFirst = waves.deltaPlus.imag() < waves.deltaMinus.imag();
  plate.x1 = Select(plusFirst, waves.xPlus, waves.xMinus);
  plate.x2 = Select(plusFirst, waves.xMinus, waves.xPlus);
  const Complex delta1 = Select(plusFirst, waves.deltaPlus, waves.deltaMinus);
  const Complex delta2 = Select(plusFirst, waves.deltaMinus, waves.deltaPlus);
  plate.phase = TimesI(delta2 - delta1) * tOverLambda;
  plate.transmittedPhase = TimesI(delta2) * tOverLambda;
}

struct PlateAmplitudes {
  Complex diffracted, transmitted;  // transmitted without its phase factor ExpTwoPi(transmittedPhase)
};

// With ρ = X2/X1 multiplied out of r = X2·(1 − e)/(1 − ρ·e) and
// τ = e2·(1 − ρ)/(1 − ρ·e), both share the one division by X1 − X2·e (never
// 0: X1 = 0 would need η² = η² − 1).
inline void CombinePlate(const Plate& plate, Complex e, PlateAmplitudes& amplitudes) {
  const Complex x2e = plate.x2 * e;
  const Complex inverse = Divide(1.0, plate.x1 - x2e);
  amplitudes.diffracted = plate.x1 * (plate.x2 - x2e) * inverse;
  amplitudes.transmitted = (plate.x1 - plate.x2) * inverse;
}

// T from the amplitude without its phase factor and the real part of the
// transmitted phase (|ExpTwoPi(z)|² = exp(4π·Re z)).
inline double PlateTransmissivity(Complex transmitted, double transmittedExponential) {
  const double t = transmittedExponential * std::norm(transmitted);
  return t < 1e-50 ? 0.0 : t;
}

}  // namespace velto::twobeam::bragg_waves
