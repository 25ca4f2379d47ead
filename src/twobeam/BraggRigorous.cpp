// The rigorous two-beam theory of the Bragg case: the exact dispersion
// equation (a quartic in the normal component u of the internal wave vector,
// in units of the vacuum wave number) and boundary conditions for all waves,
// the specularly reflected one included.
#include <cmath>
#include <string>

#include "core/Units.h"
#include "twobeam/BraggCrystal.h"

namespace velto::twobeam {
namespace {

constexpr double kNegligibleSquare = 1e-50;
// The closed-form roots are good to about 1e-11; a Newton correction larger
// than this is not a refinement.
constexpr double kLargestCorrection = 1e-7;

double Clean(double value) { return value < kNegligibleSquare ? 0.0 : value; }

}  // namespace

bool BraggCrystal::PrepareGrazing(double incidence, double energy, Grazing& g) {
  ResetResults();
  if (incidence <= 0 || incidence >= core::kPi) return false;
  g.lambda = core::kHcEvAngstrom / (energy <= 0 ? energy_ : energy);
  const double q = g.lambda / d_;
  g.hz = -q * cosAlpha_;
  const double hx = -q * sinAlpha_;
  g.ci = std::cos(incidence);
  g.si = std::sin(incidence);
  g.ce = g.ci + hx;
  // An evanescent exit beam carries no diffracted intensity.
  if (g.ce * g.ce >= 1.0) return false;
  g.se = std::sqrt(1.0 - g.ce * g.ce);
  exitCosine_ = g.ce;
  hasExit_ = true;
  return true;
}

void BraggCrystal::Quartic(Polarization p, const Grazing& g, std::array<Complex, 4>& roots) {
  const double ci2 = g.ci * g.ci;
  const double ce2 = g.ce * g.ce;
  const double hz2 = g.hz * g.hz;
  const Complex a = 2.0 * g.hz;
  Complex b, c, d;
  if (p == Polarization::Sigma) {
    const Complex k = 1.0 + chi0_;
    b = ci2 + ce2 + hz2 - 2.0 * k;
    c = 2.0 * g.hz * (ci2 - k);
    d = (ci2 - k) * (hz2 + ce2 - k) - chih_ * chimh_;
  } else {
    // (κ·A0 − 1)(κ·Ah − 1) = χh·χ−h·W², divided by its leading coefficient.
    const Complex kappa = 1.0 - chi0_;
    const Complex kappa2 = kappa * kappa;
    const Complex product = chihPi_ * chimhPi_;
    const Complex lead = kappa2 - product;
    const Complex inverse = Divide(1.0, lead);
    b = (kappa2 * (hz2 + ce2 + ci2) - 2.0 * kappa - product * (2.0 * g.ci * g.ce + hz2)) * inverse;
    c = 2.0 * g.hz * (kappa2 * ci2 - kappa - product * (g.ci * g.ce)) * inverse;
    d = (kappa2 * ci2 * (ce2 + hz2) - kappa * (hz2 + ce2 + ci2) + 1.0 - product * (ci2 * ce2)) * inverse;
  }
  roots = SolveQuartic(a, b, c, d);

  // The coefficients mix terms of order 1 whose sum is of order χ, so the
  // closed-form roots carry absolute errors of about 1e-12; the amplitude
  // ratios divide by χ and would pass that on as 1e-6 of the reflectivity.
  // One Newton step with the dispersion equation written in factors that
  // are small near the Bragg condition, (u − si)(u + si) − χ0 rather than
  // u² + ci² − (1 + χ0), brings the roots to the accuracy of the inputs.
  for (Complex& u : roots) {
    Complex value, slope;
    Residual(p, g, u, value, slope);
    if (slope == Complex{}) continue;
    const Complex step = Divide(value, slope);
    // A step far beyond the closed form's error means the derivative
    // (nearly) vanishes, at a double root; the root is then left alone.
    if (std::norm(step) < kLargestCorrection * kLargestCorrection) u -= step;
  }
  OrderRootsByImaginaryPart(roots);

  // Of the two decaying waves the one whose diffracted component travels
  // back towards the surface sets the penetration depth.
  const Complex u = roots[0].real() + g.hz > 0 ? roots[1] : roots[0];
  attenuation_ = -u.imag();
  depthLambda_ = g.lambda;
}

// The dispersion equation at u, cancellation-free, and its derivative.
void BraggCrystal::Residual(Polarization p, const Grazing& g, Complex u, Complex& value, Complex& slope) const {
  const Complex uh = u + g.hz;
  // u² + ci² − 1 and (u + hz)² + ce² − 1, factored.
  const Complex incident = (u - g.si) * (u + g.si);
  const Complex diffracted = (uh - g.se) * (uh + g.se);
  if (p == Polarization::Sigma) {
    const Complex a0 = incident - chi0_;
    const Complex ah = diffracted - chi0_;
    value = a0 * ah - chih_ * chimh_;
    slope = 2.0 * u * ah + 2.0 * uh * a0;
    return;
  }
  const Complex kappa = 1.0 - chi0_;
  const Complex f0 = incident - chi0_ * (g.ci * g.ci + u * u);       // κ·A0 − 1
  const Complex fh = diffracted - chi0_ * (g.ce * g.ce + uh * uh);    // κ·Ah − 1
  const Complex w = g.ci * g.ce + u * uh;
  const Complex product = chihPi_ * chimhPi_;
  value = f0 * fh - product * w * w;
  slope = 2.0 * kappa * (u * fh + uh * f0) - 2.0 * product * w * (2.0 * u + g.hz);
}

BraggCrystal::BoundaryTerms BraggCrystal::BoundaryOf(Polarization p, const Grazing& g, Complex u) const {
  const Complex uh = u + g.hz;
  Complex x, v0, vh;
  // u² + ci² − (1 + χ0) is of order χ; written in factors it keeps the
  // accuracy that the ratio X, divided by a χ, needs.
  const Complex incident = (u - g.si) * (u + g.si);
  if (p == Polarization::Sigma) {
    x = Divide(incident - chi0_, chimh_);
    v0 = u;
    vh = x * uh;
  } else {
    const Complex kappa = 1.0 - chi0_;
    const Complex w = g.ci * g.ce + u * uh;
    x = Divide(incident - chi0_ * (g.ci * g.ci + u * u), chimhPi_ * w);  // (κ·A0 − 1)/(χ−h·W)
    v0 = kappa * u - chimhPi_ * x * uh;
    vh = kappa * x * uh - chihPi_ * u;
  }
  const double inverseSi = 1.0 / g.si;
  const double inverseSe = 1.0 / g.se;
  return {x, 1.0 + v0 * inverseSi, 1.0 - v0 * inverseSi, x + vh * inverseSe, x - vh * inverseSe};
}

double BraggCrystal::ReflectRigorousSemiInfinite(Polarization p, double incidence, double energy) {
  Grazing g;
  if (!PrepareGrazing(incidence, energy, g)) return 0;
  std::array<Complex, 4> roots;
  Quartic(p, g, roots);
  // Roots 0 and 1 are the two waves that decay into the crystal.
  const BoundaryTerms w0 = BoundaryOf(p, g, roots[0]);
  const BoundaryTerms w1 = BoundaryOf(p, g, roots[1]);
  const Complex twoOverDet = Divide(2.0, w0.a * w1.b - w1.a * w0.b);
  const Complex c0 = w1.b * twoOverDet;
  const Complex c1 = -w0.b * twoOverDet;
  diffractedAmplitude_ = c0 * w0.x + c1 * w1.x;
  specularAmplitude_ = c0 + c1 - 1.0;
  reflectivity_ = std::fabs(g.se / g.si) * std::norm(diffractedAmplitude_);
  specular_ = std::norm(specularAmplitude_);
  return reflectivity_;
}

double BraggCrystal::ReflectRigorousFinite(Polarization p, double incidence, double energy, double thickness) {
  const double t = EffectiveThickness(thickness);
  if (!(t > 0)) return ReflectRigorousSemiInfinite(p, incidence, energy);
  Grazing g;
  if (!PrepareGrazing(incidence, energy, g)) return 0;
  std::array<Complex, 4> roots;
  Quartic(p, g, roots);
  std::array<BoundaryTerms, 4> w;
  for (int j = 0; j < 4; ++j) w[j] = BoundaryOf(p, g, roots[j]);

  // The decaying waves (0, 1) are referenced at the entrance surface, the
  // growing ones (2, 3) at the back surface, so no phase factor exceeds 1.
  const double tau = t / g.lambda;
  std::array<Complex, 4> e;
  for (int j = 0; j < 4; ++j) {
    const Complex phase = Complex{roots[j].imag(), -roots[j].real()} * tau;  // −i·u·τ
    e[j] = ExpTwoPi(j < 2 ? phase : -phase);
  }
  const Matrix4 m{{{w[0].a, w[1].a, e[2] * w[2].a, e[3] * w[3].a},
                   {w[0].b, w[1].b, e[2] * w[2].b, e[3] * w[3].b},
                   {e[0] * w[0].aBack, e[1] * w[1].aBack, w[2].aBack, w[3].aBack},
                   {e[0] * w[0].bBack, e[1] * w[1].bBack, w[2].bBack, w[3].bBack}}};
  Vector4 c{};
  if (!SolveLinear4(m, Vector4{2.0, 0.0, 0.0, 0.0}, c)) return 0;

  diffractedAmplitude_ = c[0] * w[0].x + c[1] * w[1].x + e[2] * c[2] * w[2].x + e[3] * c[3] * w[3].x;
  specularAmplitude_ = c[0] + c[1] + e[2] * c[2] + e[3] * c[3] - 1.0;
  transmittedAmplitude_ = e[0] * c[0] + e[1] * c[1] + c[2] + c[3];
  const Complex backDiffracted = e[0] * c[0] * w[0].x + e[1] * c[1] * w[1].x + c[2] * w[2].x + c[3] * w[3].x;
  const double flux = std::fabs(g.se / g.si);
  reflectivity_ = flux * std::norm(diffractedAmplitude_);
  transmissivity_ = Clean(std::norm(transmittedAmplitude_));
  specular_ = std::norm(specularAmplitude_);
  backDiffracted_ = Clean(flux * std::norm(backDiffracted));
  return reflectivity_;
}

double BraggCrystal::ReflectEigenSemiInfinite(Polarization p, double incidence, double energy,
                                              core::Notifier& notifier) {
  decayingWaves_ = 0;
  Grazing g;
  if (!PrepareGrazing(incidence, energy, g)) return 0;

  // M acts on (q·D0, q·Dh, D0, Dh); its eigenvalues are the normal
  // components q of the four waves.
  arma::cx_mat::fixed<4, 4>& m = eigenMatrix_;
  m.zeros();
  m(2, 0) = 1.0;
  m(3, 1) = 1.0;
  if (p == Polarization::Sigma) {
    m(0, 2) = (1.0 + chi0_) - g.ci * g.ci;
    m(0, 3) = chimh_;
    m(1, 1) = -2.0 * g.hz;
    m(1, 2) = chih_;
    m(1, 3) = (1.0 + chi0_) - g.ce * g.ce - g.hz * g.hz;
  } else {
    const Complex kappa = 1.0 - chi0_;
    // [N1 | N0]: the terms in q·D and in D of the two wave equations.
    const Complex n[2][4] = {
        {0.0, -chimhPi_ * g.hz, g.ci * g.ci * kappa - 1.0, -chimhPi_ * g.ci * g.ce},
        {-chihPi_ * g.hz, 2.0 * g.hz * kappa, -chihPi_ * g.ci * g.ce, (g.ce * g.ce + g.hz * g.hz) * kappa - 1.0}};
    // (I + Χ) stands for the inverse of I − Χ, to first order in χ.
    const Complex inverse[2][2] = {{1.0 + chi0_, chimhPi_}, {chihPi_, 1.0 + chi0_}};
    for (int row = 0; row < 2; ++row) {
      for (int col = 0; col < 4; ++col) m(row, col) = -(inverse[row][0] * n[0][col] + inverse[row][1] * n[1][col]);
    }
  }

  const bool solved = arma::eig_gen(eigenValues_, eigenVectors_, m, "balance");
  int kept[4];
  int count = 0;
  if (solved) {
    for (int j = 0; j < 4; ++j) {
      if (eigenValues_(j).imag() < 0) kept[count++] = j;
    }
  }
  decayingWaves_ = count;
  if (count != 2) {
    notifier.Notify("Error! ZGEEV: " + std::to_string(count) + " negative-imaginary q's!!!", core::MessageIcon::None);
    return 0;
  }

  Complex a[2], b[2], psi0[2], psi1[2];
  for (int j = 0; j < 2; ++j) {
    const Complex q = eigenValues_(kept[j]);
    psi0[j] = eigenVectors_(0, kept[j]);
    psi1[j] = eigenVectors_(1, kept[j]);
    if (p == Polarization::Sigma) {
      a[j] = psi0[j] * (1.0 + q / g.si);
      b[j] = psi1[j] * (1.0 + (q + g.hz) / g.se);
    } else {
      const Complex kappa = 1.0 - chi0_;
      a[j] = psi0[j] + (kappa * q * psi0[j] - chimhPi_ * (q + g.hz) * psi1[j]) / g.si;
      b[j] = psi1[j] + (kappa * (q + g.hz) * psi1[j] - chihPi_ * q * psi0[j]) / g.se;
    }
  }
  const Complex det = a[0] * b[1] - a[1] * b[0];
  const Complex c0 = 2.0 * b[1] / det;
  const Complex c1 = -2.0 * b[0] / det;
  diffractedAmplitude_ = c0 * psi1[0] + c1 * psi1[1];
  specularAmplitude_ = c0 * psi0[0] + c1 * psi0[1] - 1.0;
  reflectivity_ = std::fabs(g.se / g.si) * std::norm(diffractedAmplitude_);
  specular_ = std::norm(specularAmplitude_);
  return reflectivity_;
}

double BraggCrystal::PenetrationDepthRigorous(Polarization p, double incidence, double energy) {
  Grazing g;
  if (!PrepareGrazing(incidence, energy, g)) return 0;
  std::array<Complex, 4> roots;
  Quartic(p, g, roots);
  return LastPenetrationDepth();
}

}  // namespace velto::twobeam
