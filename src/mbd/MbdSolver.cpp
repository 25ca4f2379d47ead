#include "mbd/MbdSolver.h"

#include <cmath>

#include "core/Units.h"
#include "crystal/Susceptibility.h"
#include "mbd/LatticeBasis.h"

namespace velto::mbd {
namespace {
// Below this |Im q| a mode counts as propagating without decay; rounding
// leaves about 1e-16 on the eigenvalues of a crystal without absorption.
constexpr double kRealModeTolerance = 1e-11;

bool AllFinite(const arma::cx_mat& matrix) {
  for (const Complex& value : matrix)
    if (!std::isfinite(value.real()) || !std::isfinite(value.imag())) return false;
  return true;
}
}  // namespace

std::string SolverMessage(const SolverOutcome& outcome) {
  switch (outcome.status) {
    case SolverStatus::ModeCountMismatch:
      return "Error! ZGEEV: " + std::to_string(outcome.decayingModes) + " negative-imaginary q's!!!";
    case SolverStatus::NoBoundarySolution:
      return "The boundary equations of the wave fields have no solution at some point(s); their intensity is "
             "set to 0.";
    case SolverStatus::Ok:
    case SolverStatus::Evanescent:
      break;
  }
  return {};
}

MbdSolver::MbdSolver(int beamCount, double energyEv) : n_(beamCount < 1 ? 1 : beamCount), energy_(energyEv) {
  const arma::uword n = static_cast<arma::uword>(n_);
  beams_.assign(n, Miller{});
  chi_.zeros(n, n);
  epsilon_.eye(n, n);
  eta_.eye(n, n);
  gx_.zeros(n);
  gy_.zeros(n);
  gz_.zeros(n);
  kx_.zeros(n);
  ky_.zeros(n);
  gzK_.zeros(n);
  gamma_.zeros(n);
  m_.zeros(4 * n, 4 * n);
  eigenvalues_.zeros(4 * n);
  eigenvectors_.zeros(4 * n, 4 * n);
  modeColumn_.assign(4 * n, 0);
  direction_.assign(4 * n, 0);
  q_.zeros(4 * n);
  propagation_.zeros(4 * n);
  for (arma::cx_mat* table : {&kz_, &hx_, &hy_, &hz_, &ex_, &ey_, &work_}) table->zeros(n, 4 * n);
  halfSpaceBoundary_.zeros(2 * n, 2 * n);
  halfSpaceRhs_.zeros(2 * n);
  halfSpaceAmplitudes_.zeros(2 * n);
  slabBoundary_.zeros(4 * n, 4 * n);
  slabRhs_.zeros(4 * n);
  slabAmplitudes_.zeros(4 * n);
}

void MbdSolver::SetBeams(const std::vector<Miller>& beams, Vec3 a1, Vec3 a2, Vec3 a3) {
  Vec3 b1, b2, b3;
  double volume = 0;
  ReciprocalTriad(a1, a2, a3, b1, b2, b3, volume);
  for (int i = 0; i < n_; ++i) {
    beams_[i] = i < static_cast<int>(beams.size()) ? beams[i] : Miller{};
    const Miller m = beams_[i];
    const Vec3 g = core::kTwoPi * (m.h * b1 + m.k * b2 + m.l * b3);
    gx_[i] = g.x;
    gy_[i] = g.y;
    gz_[i] = g.z;
  }
}

bool MbdSolver::ComputeChi(crystal::CrystalStructure& crystal, core::Notifier& notifier) {
  const Complex chi0 = crystal::ChiOf(crystal, energy_, 0, 0, 0, notifier);
  if (chi0 == crystal::kChiFailure) return false;
  for (int i = 0; i < n_; ++i) {
    for (int j = 0; j < n_; ++j) {
      if (i == j) {
        SetChi(i, i, chi0);
        continue;
      }
      const Miller d = beams_[i] - beams_[j];
      SetChi(i, j, crystal::ChiAtLastEnergy(crystal, d.h, d.k, d.l));
    }
  }
  chiNotSet_ = false;
  return true;
}

void MbdSolver::SetChi(int i, int j, Complex chi) {
  if (i < 0 || j < 0 || i >= n_ || j >= n_) return;
  chi_(i, j) = chi;
  if (i == j) {
    epsilon_(i, i) = 1.0 + chi;
    eta_(i, i) = 1.0 - chi;
  } else {
    epsilon_(i, j) = chi;
    eta_(i, j) = -chi;
  }
}

Complex MbdSolver::Chi(int i, int j) const { return chi_(i, j); }

SolverOutcome MbdSolver::HalfSpace(double energyEv, Vec3 k0, const ComplexVec3& h0, int beam) {
  return Solve(energyEv, k0, h0, -1, beam, false, false);
}

SolverOutcome MbdSolver::Slab(double energyEv, Vec3 k0, const ComplexVec3& h0, double thickness, int beam,
                              bool exitSide) {
  return Solve(energyEv, k0, h0, thickness, beam, true, exitSide);
}

SolverOutcome MbdSolver::Solve(double energyEv, Vec3 k0, const ComplexVec3& h0, double thickness, int beam,
                               bool slab, bool exitSide) {
  SolverOutcome outcome;
  if (beam < 0 || beam >= n_) {
    outcome.status = SolverStatus::Evanescent;
    return outcome;
  }
  PrepareIncidence(energyEv, k0);
  // An evanescent beam carries no intensity away, whatever the modes are.
  if (gamma_[beam].imag() < 0) {
    outcome.status = SolverStatus::Evanescent;
    return outcome;
  }
  BuildEigenproblem();
  if (!arma::eig_gen(eigenvalues_, eigenvectors_, m_, "balance")) {
    outcome.status = SolverStatus::ModeCountMismatch;
    return outcome;
  }
  if (!SelectModes(slab, outcome.decayingModes)) {
    outcome.status = SolverStatus::ModeCountMismatch;
    return outcome;
  }
  const int modes = slab ? 4 * n_ : 2 * n_;
  ComputeModeFields(modes);

  // E0 = h0 × k̂0.
  const ComplexVec3 e0 = {h0[1] * k0.z - h0[2] * k0.y, h0[2] * k0.x - h0[0] * k0.z, h0[0] * k0.y - h0[1] * k0.x};
  BuildBoundarySystem(h0, e0, thickness, slab);
  arma::cx_mat& system = slab ? slabBoundary_ : halfSpaceBoundary_;
  arma::cx_vec& right = slab ? slabRhs_ : halfSpaceRhs_;
  arma::cx_vec& solution = slab ? slabAmplitudes_ : halfSpaceAmplitudes_;
  // Non-finite entries (a beam grazing the surface, γ = 0) would make LAPACK
  // return garbage; such a point has no defined result.
  const bool solved = AllFinite(system) && AllFinite(right) &&
                      arma::solve(solution, system, right, arma::solve_opts::equilibrate + arma::solve_opts::refine) &&
                      AllFinite(solution);
  if (!solved) {
    outcome.status = SolverStatus::NoBoundarySolution;
    return outcome;
  }
  outcome.value = ExitField(beam, h0, slab, exitSide);
  return outcome;
}

void MbdSolver::PrepareIncidence(double energyEv, Vec3 k0) {
  kNorm_ = core::kTwoPi * energyEv / core::kHcEvAngstrom;
  for (int i = 0; i < n_; ++i) {
    kx_[i] = k0.x + gx_[i] / kNorm_;
    ky_[i] = k0.y + gy_[i] / kNorm_;
    gzK_[i] = gz_[i] / kNorm_;
    const double t = 1.0 - kx_[i] * kx_[i] - ky_[i] * ky_[i];
    gamma_[i] = t > 0 ? Complex(std::sqrt(t), 0.0) : Complex(0.0, -std::sqrt(-t));
  }
}

void MbdSolver::BuildEigenproblem() {
  const int n = n_;
  m_.zeros();
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const Complex eta = eta_(i, j);
      // Block row 0: [Gz, 0, Ky η Ky − I, −Ky η Kx]
      m_(i, 2 * n + j) = ky_[i] * eta * ky_[j];
      m_(i, 3 * n + j) = -ky_[i] * eta * kx_[j];
      // Block row 1: [0, Gz, −Kx η Ky, Kx η Kx − I]
      m_(n + i, 2 * n + j) = -kx_[i] * eta * ky_[j];
      m_(n + i, 3 * n + j) = kx_[i] * eta * kx_[j];
      // Block rows 2 and 3: [Kx² − ε, Kx Ky, Gz, 0] and [Kx Ky, Ky² − ε, 0, Gz]
      m_(2 * n + i, j) = -epsilon_(i, j);
      m_(3 * n + i, n + j) = -epsilon_(i, j);
    }
    m_(i, 2 * n + i) -= 1.0;
    m_(n + i, 3 * n + i) -= 1.0;
    m_(2 * n + i, i) += kx_[i] * kx_[i];
    m_(2 * n + i, n + i) = kx_[i] * ky_[i];
    m_(3 * n + i, i) = kx_[i] * ky_[i];
    m_(3 * n + i, n + i) += ky_[i] * ky_[i];
    for (int block = 0; block < 4; ++block) m_(block * n + i, block * n + i) += gzK_[i];
  }
}

int MbdSolver::ModeDirection(int column) const {
  const Complex q = -eigenvalues_[column];
  if (q.imag() < -kRealModeTolerance) return 1;
  if (q.imag() > kRealModeTolerance) return -1;
  // A propagating mode of a crystal without absorption has a real q, and the
  // sign of its imaginary part is rounding noise. Such a mode belongs to the
  // downward group when it carries energy into the crystal: the z component
  // of Re(E × H*) summed over the beams (blocks 0 and 1 of the eigenvector
  // hold −Ey and Ex). For weakly absorbing crystals this agrees with the sign
  // of Im q; it decides only where that sign means nothing.
  const int n = n_;
  double flux = 0;
  for (int j = 0; j < n; ++j) {
    const Complex ey = -eigenvectors_(j, column);
    const Complex ex = eigenvectors_(n + j, column);
    const Complex hx = eigenvectors_(2 * n + j, column);
    const Complex hy = eigenvectors_(3 * n + j, column);
    flux += (ex * std::conj(hy) - ey * std::conj(hx)).real();
  }
  return flux > 0 ? 1 : (flux < 0 ? -1 : 0);
}

bool MbdSolver::SelectModes(bool slab, int& decaying) {
  const int size = 4 * n_;
  for (int column = 0; column < size; ++column) direction_[column] = ModeDirection(column);
  int s = 0;
  for (int column = 0; column < size; ++column) {
    if (direction_[column] != 1) continue;
    if (s < 2 * n_) {
      modeColumn_[s] = column;
      q_[s] = -eigenvalues_[column];
    }
    ++s;
  }
  decaying = s;
  if (s != 2 * n_) return false;
  if (slab) {
    for (int column = 0; column < size; ++column) {
      if (direction_[column] != -1 || s >= size) continue;
      modeColumn_[s] = column;
      q_[s] = -eigenvalues_[column];
      ++s;
    }
    // A mode that belongs to neither group leaves its column zero; the
    // boundary solve then judges the system.
    for (; s < size; ++s) {
      modeColumn_[s] = -1;
      q_[s] = 0;
    }
  }
  return true;
}

void MbdSolver::ComputeModeFields(int modes) {
  const int n = n_;
  for (int s = 0; s < modes; ++s) {
    const int column = modeColumn_[s];
    for (int j = 0; j < n; ++j) {
      const Complex kz = q_[s] + gzK_[j];
      const Complex hx = column >= 0 ? eigenvectors_(2 * n + j, column) : Complex{};
      const Complex hy = column >= 0 ? eigenvectors_(3 * n + j, column) : Complex{};
      const Complex hz = -(kx_[j] * hx + ky_[j] * hy) / kz;
      kz_(j, s) = kz;
      hx_(j, s) = hx;
      hy_(j, s) = hy;
      hz_(j, s) = hz;
    }
  }
  // E = η (k × H): Ex = Σj η(i, j)(kz Hy − ky Hz), Ey = Σj η(i, j)(kx Hz − kz Hx).
  // Written as plain loops in a fixed order, so that a parallel scan and the
  // serial one add in the same order whatever the BLAS threading does.
  for (int s = 0; s < modes; ++s) {
    for (int j = 0; j < n; ++j) {
      work_(j, s) = kz_(j, s) * hy_(j, s) - ky_[j] * hz_(j, s);
    }
    for (int i = 0; i < n; ++i) {
      Complex sum{};
      for (int j = 0; j < n; ++j) sum += eta_(i, j) * work_(j, s);
      ex_(i, s) = sum;
    }
    for (int j = 0; j < n; ++j) {
      work_(j, s) = kx_[j] * hz_(j, s) - kz_(j, s) * hx_(j, s);
    }
    for (int i = 0; i < n; ++i) {
      Complex sum{};
      for (int j = 0; j < n; ++j) sum += eta_(i, j) * work_(j, s);
      ey_(i, s) = sum;
    }
  }
}

void MbdSolver::BuildBoundarySystem(const ComplexVec3& h0, const ComplexVec3& e0, double thickness, bool slab) {
  const int n = n_;
  const int modes = slab ? 4 * n : 2 * n;
  // T/λ at the energy of this call: K = 2π/λ.
  arma::cx_mat& boundary = slab ? slabBoundary_ : halfSpaceBoundary_;
  arma::cx_vec& rhs = slab ? slabRhs_ : halfSpaceRhs_;
  const double tOverLambda = slab ? thickness * kNorm_ / core::kTwoPi : 0.0;
  for (int s = 0; s < modes; ++s) {
    if (!slab) break;
    // Decaying downwards (s < 2N): referred to the entrance surface,
    // exp(−i 2π (T/λ) q); decaying upwards: exp(+i 2π (T/λ) q). The phase
    // keeps only the fractional number of turns, so thick crystals do not
    // feed huge arguments to the trigonometric functions.
    const double sign = s < 2 * n ? -1.0 : 1.0;
    const double turns = tOverLambda * q_[s].real();
    const double phase = sign * core::kTwoPi * (turns - std::floor(turns));
    const double modulus = std::exp(-sign * core::kTwoPi * tOverLambda * q_[s].imag());
    propagation_[s] = modulus * Complex(std::cos(phase), std::sin(phase));
  }
  for (int i = 0; i < n; ++i) {
    const Complex g = gamma_[i];
    const double kx = kx_[i];
    const double ky = ky_[i];
    const Complex cross = kx * ky / g;
    const Complex yy = g + ky * ky / g;
    const Complex xx = g + kx * kx / g;
    for (int s = 0; s < modes; ++s) {
      const Complex entranceFactor = s < 2 * n ? Complex(1.0) : propagation_[s];
      boundary(2 * i, s) = entranceFactor * (ex_(i, s) + cross * hx_(i, s) + yy * hy_(i, s));
      boundary(2 * i + 1, s) = entranceFactor * (ey_(i, s) - xx * hx_(i, s) - cross * hy_(i, s));
      if (slab) {
        const Complex exitFactor = s < 2 * n ? propagation_[s] : Complex(1.0);
        boundary(2 * n + 2 * i, s) = exitFactor * (ex_(i, s) - cross * hx_(i, s) - yy * hy_(i, s));
        boundary(2 * n + 2 * i + 1, s) = exitFactor * (ey_(i, s) + xx * hx_(i, s) + cross * hy_(i, s));
      }
    }
  }
  rhs.zeros();
  const Complex g0 = gamma_[0];
  const double kx = kx_[0];
  const double ky = ky_[0];
  rhs[0] = (kx * ky / g0) * h0[0] + (g0 + ky * ky / g0) * h0[1] + e0[0];
  rhs[1] = e0[1] - (g0 + kx * kx / g0) * h0[0] - (kx * ky / g0) * h0[1];
}

double MbdSolver::ExitField(int beam, const ComplexVec3& h0, bool slab, bool exitSide) {
  const int n = n_;
  const int modes = slab ? 4 * n : 2 * n;
  const arma::cx_vec& amplitudes = slab ? slabAmplitudes_ : halfSpaceAmplitudes_;
  Complex hx{}, hy{};
  for (int s = 0; s < modes; ++s) {
    Complex c = amplitudes[s];
    const bool downward = s < 2 * n;
    if (slab && (exitSide ? downward : !downward)) c *= propagation_[s];
    hx += c * hx_(beam, s);
    hy += c * hy_(beam, s);
  }
  const Complex g = gamma_[beam];
  const double ratio = g.real() / gamma_[0].real();
  ComplexVec3 amplitude;
  if (!exitSide) {
    if (beam == 0) {
      hx -= h0[0];
      hy -= h0[1];
    }
    amplitude = {hx, hy, (kx_[beam] * hx + ky_[beam] * hy) / g};
  } else {
    amplitude = {hx, hy, -(kx_[beam] * hx + ky_[beam] * hy) / g};
  }
  double value = (std::norm(amplitude[0]) + std::norm(amplitude[1]) + std::norm(amplitude[2])) * ratio;
  if (exitSide && value < 1e-50) value = 0;
  (exitSide ? exitAmplitude_ : entranceAmplitude_) = amplitude;
  return value;
}

}  // namespace velto::mbd
