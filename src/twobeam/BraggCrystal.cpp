#include "twobeam/BraggCrystal.h"

#include <cmath>

#include "core/Units.h"

namespace velto::twobeam {
namespace {

constexpr double kNegligibleSquare = 1e-50;
// Below this |cos 2θB| the π coupling is taken as zero: the π constants
// would divide by it.
constexpr double kVanishingPolarizationFactor = 1e-12;

double Clean(double value) { return value < kNegligibleSquare ? 0.0 : value; }

// i·z, for the phases exp(2πi·δ·t/λ) = ExpTwoPi(i·δ·t/λ).
Complex TimesI(Complex z) { return {-z.imag(), z.real()}; }

}  // namespace

BraggCrystal::BraggCrystal(double energy, double dSpacing, double asymmetry, double thickness,
                           const crystal::ReflectionChi& chi)
    : BraggCrystal(energy, dSpacing, asymmetry, thickness, chi.chi0, chi.chih, chi.chimh, chi.chihPi, chi.chimhPi) {}

BraggCrystal::BraggCrystal(double energy, double dSpacing, double asymmetry, double thickness, Complex chi0,
                           Complex chih, Complex chimh, Complex chihPi, Complex chimhPi)
    : energy_(energy),
      d_(dSpacing),
      alpha_(asymmetry),
      thickness_(thickness),
      chi0_(chi0),
      chih_(chih),
      chimh_(chimh),
      chihPi_(chihPi),
      chimhPi_(chimhPi) {
  const double lambda0 = core::kHcEvAngstrom / energy_;
  const double sine = lambda0 / (2.0 * d_);
  thetaB_ = sine > 1.0 ? core::kPi / 2 : std::asin(sine);

  if (std::norm(chimh_) < kNegligibleSquare) chimh_ = chih_;
  if (std::norm(chihPi_) < kNegligibleSquare && std::norm(chimhPi_) < kNegligibleSquare) {
    chihPi_ = chih_;
    chimhPi_ = chimh_;
  }

  sinAlpha_ = std::sin(alpha_);
  cosAlpha_ = std::cos(alpha_);
  gamma0_ = std::sin(thetaB_ - alpha_);
  const double gammaH = std::sin(thetaB_ + alpha_);
  ratioB_ = std::fabs(gammaH / gamma0_);
  cos2ThetaB_ = std::cos(2.0 * thetaB_);
  const bool hasBraggAngle = thetaB_ < core::kPi / 2;
  const double sin2ThetaB = std::sin(2.0 * thetaB_);
  const double extinctionScale = lambda0 * std::sqrt(std::fabs(gamma0_ * gammaH)) / core::kTwoPi;

  const Complex sqSigma = chih_ * chimh_;
  const Complex rootSigma = ComplexSqrtPrincipal(sqSigma / ratioB_);
  sigma_.p = 1.0 / ComplexSqrtPrincipal(ratioB_ * sqSigma);
  sigma_.q0 = chi0_ * (1.0 + ratioB_) / 2.0 * sigma_.p;
  sigma_.g = rootSigma / (2.0 * gamma0_);
  sigma_.a = -rootSigma / chimh_;
  d0_ = -chi0_ / (2.0 * gamma0_);
  if (hasBraggAngle) {
    centreShift_ = std::fabs(chi0_.real()) * (1.0 + ratioB_) / (2.0 * sin2ThetaB);
    widthSigma_ = 2.0 * std::sqrt(ratioB_ * std::fabs(sqSigma.real())) / sin2ThetaB;
  }
  extinctionSigma_ = extinctionScale / std::sqrt(std::abs(sqSigma));

  const double factorPi = std::fabs(cos2ThetaB_);
  piReflects_ = factorPi >= kVanishingPolarizationFactor;
  if (piReflects_) {
    const Complex sqPi = chihPi_ * chimhPi_;
    const Complex rootPi = ComplexSqrtPrincipal(sqPi / ratioB_);
    const double sign = cos2ThetaB_ > 0 ? 1.0 : -1.0;
    pi_.p = 1.0 / (factorPi * ComplexSqrtPrincipal(ratioB_ * sqPi));
    pi_.q0 = chi0_ * (1.0 + ratioB_) / 2.0 * pi_.p;
    pi_.g = factorPi * rootPi / (2.0 * gamma0_);
    pi_.a = -sign * rootPi / chimhPi_;
    if (hasBraggAngle) widthPi_ = 2.0 * factorPi * std::sqrt(ratioB_ * std::fabs(sqPi.real())) / sin2ThetaB;
    extinctionPi_ = extinctionScale / (factorPi * std::sqrt(std::abs(sqPi)));
  }

  eigenMatrix_.zeros();
  eigenVectors_.zeros();
  eigenValues_.zeros();
}

void BraggCrystal::ResetResults() {
  reflectivity_ = 0;
  transmissivity_ = 0;
  specular_ = 0;
  backDiffracted_ = 0;
  exitCosine_ = 1;
  attenuation_ = 0;
  hasExit_ = false;
  diffractedAmplitude_ = specularAmplitude_ = transmittedAmplitude_ = transmittedPhase_ = Complex{};
}

// The common first steps of the standard theory. False when the incidence
// angle is outside (0, π) or no exit beam exists; for π at θB = 45° only
// the geometry is computed (the waves are left unset).
bool BraggCrystal::Prepare(Polarization p, const GlancingAngle& incidence, double energy, Waves& waves) {
  ResetResults();
  if (incidence.radians <= 0 || incidence.radians >= core::kPi) return false;
  // Scans keep the energy fixed or step it; the divisions are done once
  // per energy.
  const double e = energy <= 0 ? energy_ : energy;
  if (e != lastEnergy_) {
    lastEnergy_ = e;
    lastLambda_ = core::kHcEvAngstrom / e;
    lastQ_ = lastLambda_ / d_;
  }
  waves.lambda = lastLambda_;
  const double q = lastQ_;
  const double sine = incidence.sine;
  const double cosine = incidence.cosine;
  const double exitCosine = cosine - q * sinAlpha_;
  if (std::fabs(exitCosine) > 1.0) return false;
  exitCosine_ = exitCosine;
  hasExit_ = true;
  if (p == Polarization::Pi && !piReflects_) {
    attenuation_ = d0_.imag();
    depthLambda_ = waves.lambda;
    return true;
  }

  // −α_h/2 of the usual notation, exact in angle and energy.
  const double w = q * (sine * cosAlpha_ + cosine * sinAlpha_ - q / 2.0);
  const Constants& k = ConstantsOf(p);
  const Complex eta = w * k.p + k.q0;
  const Complex s = ComplexSqrtPrincipal(eta * eta - 1.0);
  waves.xPlus = k.a * (eta + s);
  waves.xMinus = k.a * (eta - s);
  waves.deltaPlus = k.g * (eta + s) + d0_;
  waves.deltaMinus = k.g * (eta - s) + d0_;
  // Real η inside (−1, 1) happens only without any absorption: the range of
  // total reflection, where |η ± s| = 1 exactly.
  waves.totalReflection = eta.imag() == 0 && s.real() == 0;
  // The 1/e intensity depth of the more strongly attenuated field, which is
  // the one a semi-infinite crystal excites; none without attenuation.
  attenuation_ = waves.deltaPlus.imag() > waves.deltaMinus.imag() ? waves.deltaPlus.imag() : waves.deltaMinus.imag();
  depthLambda_ = waves.lambda;
  return true;
}

// π at θB = 45°: nothing is diffracted, the forward beam is only refracted
// and absorbed.
double BraggCrystal::NoPiReflection(double energy, double thickness) {
  if (thickness > 0) {
    const double lambda = core::kHcEvAngstrom / (energy <= 0 ? energy_ : energy);
    transmittedAmplitude_ = 1.0;
    transmittedPhase_ = TimesI(d0_) * (thickness / lambda);
    transmissivity_ = Clean(std::exp(2.0 * core::kTwoPi * transmittedPhase_.real()));
  }
  reflectivity_ = 0;
  return 0;
}

double BraggCrystal::ReflectSemiInfinite(Polarization p, const GlancingAngle& incidence, double energy) {
  Waves waves;
  if (!Prepare(p, incidence, energy, waves)) return 0;
  if (p == Polarization::Pi && !piReflects_) return NoPiReflection(energy, -1);
  // The wave field that decays into the crystal is the one with the larger
  // Im δ. Without any absorption both have Im δ = 0 outside the total-
  // reflection range; the physical one is then the weaker (|X| ≤ 1), which
  // keeps R ≤ 1 there.
  Complex x;
  if (waves.deltaMinus.imag() > waves.deltaPlus.imag()) {
    x = waves.xMinus;
  } else if (waves.deltaPlus.imag() > waves.deltaMinus.imag()) {
    x = waves.xPlus;
  } else {
    x = std::norm(waves.xMinus) < std::norm(waves.xPlus) ? waves.xMinus : waves.xPlus;
  }
  diffractedAmplitude_ = x;
  // On the plateau B·|X|² = |χh|/|χ−h| in exact arithmetic; taking that
  // value keeps the top flat (1 for equal moduli) instead of rippling by a
  // few units in the last place, so that the maximum and the half-maximum
  // points of the curve do not depend on rounding.
  reflectivity_ = waves.totalReflection ? std::abs(ChiH(p)) / std::abs(ChiMinusH(p))
                                        : ratioB_ * std::norm(x);
  return reflectivity_;
}

double BraggCrystal::ReflectFinite(Polarization p, const GlancingAngle& incidence, double energy, double thickness) {
  const double t = EffectiveThickness(thickness);
  // A plate without thickness is the semi-infinite crystal (nothing is
  // transmitted); the formulas below would grow exponentially instead.
  if (!(t > 0)) return ReflectSemiInfinite(p, incidence, energy);
  Waves waves;
  if (!Prepare(p, incidence, energy, waves)) return 0;
  if (p == Polarization::Pi && !piReflects_) return NoPiReflection(energy, t);

  // Solution 1 is the less attenuated one, so that |e| ≤ 1 below.
  const bool plusFirst = waves.deltaPlus.imag() < waves.deltaMinus.imag();
  const Complex x1 = plusFirst ? waves.xPlus : waves.xMinus;
  const Complex x2 = plusFirst ? waves.xMinus : waves.xPlus;
  const Complex delta1 = plusFirst ? waves.deltaPlus : waves.deltaMinus;
  const Complex delta2 = plusFirst ? waves.deltaMinus : waves.deltaPlus;
  const double tOverLambda = t / waves.lambda;
  const Complex e = ExpTwoPi(TimesI(delta2 - delta1) * tOverLambda);
  // With ρ = X2/X1 multiplied out of r = X2·(1 − e)/(1 − ρ·e) and
  // τ = e2·(1 − ρ)/(1 − ρ·e), both share the one division by X1 − X2·e
  // (never 0: X1 = 0 would need η² = η² − 1).
  const Complex x2e = x2 * e;
  const Complex inverse = Divide(1.0, x1 - x2e);
  diffractedAmplitude_ = x1 * (x2 - x2e) * inverse;
  // e2 = ExpTwoPi(i·δ2·t/λ) is kept apart: T needs only |e2|² = exp(−4π·Im δ2·t/λ).
  transmittedAmplitude_ = (x1 - x2) * inverse;
  transmittedPhase_ = TimesI(delta2) * tOverLambda;
  reflectivity_ = ratioB_ * std::norm(diffractedAmplitude_);
  transmissivity_ = Clean(std::exp(2.0 * core::kTwoPi * transmittedPhase_.real()) * std::norm(transmittedAmplitude_));
  return reflectivity_;
}

double BraggCrystal::PenetrationDepth(Polarization p, double incidence, double energy) {
  Waves waves;
  Prepare(p, GlancingAngle::Of(incidence), energy, waves);
  return LastPenetrationDepth();
}

}  // namespace velto::twobeam
