#include "twobeam/LaueCrystal.h"

#include <cmath>

#include "core/Units.h"

namespace velto::twobeam {
namespace {

constexpr double kNegligibleSquare = 1e-50;
constexpr double kVanishingPolarizationFactor = 1e-12;

// exp(i·z·k), written out so that a large attenuation underflows to 0
// instead of overflowing.
Complex ExpI(Complex delta, double kt) {
  const double magnitude = std::exp(-delta.imag() * kt);
  const double phase = delta.real() * kt;
  return {magnitude * std::cos(phase), magnitude * std::sin(phase)};
}

}  // namespace

LaueCrystal::LaueCrystal(double energy, double dSpacing, double asymmetry, double thickness,
                         const crystal::ReflectionChi& chi)
    : LaueCrystal(energy, dSpacing, asymmetry, thickness, chi.chi0, chi.chih, chi.chimh, chi.chihPi, chi.chimhPi) {}

LaueCrystal::LaueCrystal(double energy, double dSpacing, double asymmetry, double thickness, Complex chi0,
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
  if (std::norm(chihPi_) < kNegligibleSquare) chihPi_ = chih_;
  if (std::norm(chimhPi_) < kNegligibleSquare) chimhPi_ = chimh_;
  const double lambda0 = core::kHcEvAngstrom / energy_;
  const double sine = lambda0 / (2.0 * d_);
  if (!(sine < 1.0) || !(d_ > 0)) {
    d_ = -1;
    return;
  }
  thetaB_ = std::asin(sine);
  cos2ThetaB_ = std::cos(2.0 * thetaB_);
  gamma0_ = std::cos(thetaB_ - alpha_);
  gammaH_ = std::cos(thetaB_ + alpha_);
  b_ = gammaH_ / gamma0_;
  tangential_ = std::cos(alpha_) / d_;
  const double rootGammas = std::sqrt(gamma0_ * gammaH_);

  const Complex sqSigma = chih_ * chimh_;
  const Complex rootSigma = ComplexSqrtPrincipal(sqSigma / b_);
  sigma_.p = -1.0 / ComplexSqrtPrincipal(b_ * sqSigma);
  sigma_.q0 = (1.0 - b_) * chi0_ / 2.0 * sigma_.p;
  sigma_.g = rootSigma / (2.0 * gamma0_);
  sigma_.a = -rootSigma / (2.0 * chimh_);
  d0_ = -chi0_ / (2.0 * gamma0_);
  pendellosungSigma_ = lambda0 * rootGammas / ComplexSqrtPrincipal(sqSigma).real();
  centreShift_ = std::fabs(chi0_.real()) * (1.0 - b_) / (2.0 * std::sin(2.0 * thetaB_));

  const double factorPi = std::fabs(cos2ThetaB_);
  piReflects_ = factorPi >= kVanishingPolarizationFactor;
  if (piReflects_) {
    const Complex sqPi = chihPi_ * chimhPi_;
    const Complex rootPi = ComplexSqrtPrincipal(sqPi / b_);
    const double sign = cos2ThetaB_ > 0 ? 1.0 : -1.0;
    pi_.p = -1.0 / (factorPi * ComplexSqrtPrincipal(b_ * sqPi));
    pi_.q0 = (1.0 - b_) * chi0_ / 2.0 * pi_.p;
    pi_.g = factorPi * rootPi / (2.0 * gamma0_);
    pi_.a = -sign * rootPi / (2.0 * chimhPi_);
    pendellosungPi_ = lambda0 * rootGammas / (factorPi * ComplexSqrtPrincipal(sqPi).real());
  }
}

double LaueCrystal::LaueEvaluate(double incidence, double energy, Polarization p, double thickness) {
  reflectivity_ = 0;
  transmissivity_ = 0;
  exitSine_ = 0;
  hasExit_ = false;
  diffractedAmplitude_ = transmittedAmplitude_ = Complex{};
  if (!Usable()) return 0;
  const double t = thickness < 0 ? thickness_ : thickness;
  const double lambda = core::kHcEvAngstrom / (energy <= 0 ? energy_ : energy);
  const double kt = core::kTwoPi * t / lambda;
  const double sine = lambda / (2.0 * d_);
  if (sine > 1.0) return 0;
  braggAngleAtEnergy_ = std::asin(sine);

  if (p == Polarization::Pi && !piReflects_) {
    // π at θB = 45°: only refraction and absorption of the forward beam.
    transmittedAmplitude_ = ExpI(d0_, kt);
  } else {
    const Constants& k = p == Polarization::Sigma ? sigma_ : pi_;
    const double deviation = incidence - (braggAngleAtEnergy_ - alpha_);
    const Complex eta = std::sin(2.0 * braggAngleAtEnergy_) * deviation * k.p + k.q0;
    const Complex s = ComplexSqrtPrincipal(eta * eta + 1.0);
    const Complex delta1 = k.g * (eta + s) + d0_;
    const Complex delta2 = k.g * (eta - s) + d0_;
    const Complex etaOverS = Divide(eta, s);
    const Complex c1 = (1.0 - etaOverS) * 0.5;
    const Complex c2 = (1.0 + etaOverS) * 0.5;
    const Complex e1 = ExpI(delta1, kt);
    const Complex e2 = ExpI(delta2, kt);
    transmittedAmplitude_ = c1 * e1 + c2 * e2;
    diffractedAmplitude_ = Divide(k.a, s) * (e1 - e2);
  }
  transmissivity_ = std::norm(transmittedAmplitude_);
  if (transmissivity_ < kNegligibleSquare) transmissivity_ = 0;

  // The diffracted beam cannot leave where its direction would need a sine
  // above 1; it is then evanescent and carries no intensity.
  const double exitSine = lambda * tangential_ - std::sin(incidence);
  if (std::fabs(exitSine) > 1.0) {
    diffractedAmplitude_ = Complex{};
    return 0;
  }
  exitSine_ = exitSine;
  hasExit_ = true;
  reflectivity_ = b_ * std::norm(diffractedAmplitude_);
  return reflectivity_;
}

}  // namespace velto::twobeam
