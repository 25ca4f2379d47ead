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

  plateauSigma_ = std::abs(chih_) / std::abs(chimh_);
  plateauPi_ = std::abs(chihPi_) / std::abs(chimhPi_);
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
  const double exitCosine = bragg_waves::ExitCosine(cosine, q, sinAlpha_);
  if (std::fabs(exitCosine) > 1.0) return false;
  exitCosine_ = exitCosine;
  hasExit_ = true;
  if (p == Polarization::Pi && !piReflects_) {
    attenuation_ = d0_.imag();
    depthLambda_ = waves.lambda;
    return true;
  }
  bragg_waves::ComputeWaves(ConstantsOf(p), d0_, sinAlpha_, cosAlpha_, sine, cosine, q, waves);
  attenuation_ = bragg_waves::Attenuation(waves);
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
  diffractedAmplitude_ = bragg_waves::SemiInfiniteAmplitude(waves);
  reflectivity_ = bragg_waves::SemiInfiniteReflectivity(waves, diffractedAmplitude_, ratioB_, Plateau(p));
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

  bragg_waves::Plate plate;
  bragg_waves::PlateWaves(waves, t / waves.lambda, plate);
  bragg_waves::PlateAmplitudes amplitudes;
  bragg_waves::CombinePlate(plate, ExpTwoPi(plate.phase), amplitudes);
  diffractedAmplitude_ = amplitudes.diffracted;
  // T needs only |ExpTwoPi(transmittedPhase)|², a real exponential.
  transmittedAmplitude_ = amplitudes.transmitted;
  transmittedPhase_ = plate.transmittedPhase;
  reflectivity_ = ratioB_ * std::norm(diffractedAmplitude_);
  transmissivity_ =
      bragg_waves::PlateTransmissivity(transmittedAmplitude_, std::exp(2.0 * core::kTwoPi * transmittedPhase_.real()));
  return reflectivity_;
}

double BraggCrystal::PenetrationDepth(Polarization p, double incidence, double energy) {
  Waves waves;
  Prepare(p, GlancingAngle::Of(incidence), energy, waves);
  return LastPenetrationDepth();
}

}  // namespace velto::twobeam
