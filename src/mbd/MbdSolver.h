#pragma once
#include <armadillo>
#include <array>
#include <complex>
#include <string>
#include <vector>

#include "core/Notifier.h"
#include "crystal/CrystalStructure.h"
#include "mbd/Vec3.h"

namespace velto::mbd {

using Complex = std::complex<double>;
using ComplexVec3 = std::array<Complex, 3>;

// How one solver call ended.
enum class SolverStatus {
  Ok,
  Evanescent,          // the chosen beam does not propagate in vacuum: 0, silently
  ModeCountMismatch,   // the eigenvalues do not split into 2N decaying modes
  NoBoundarySolution,  // the boundary equations have no finite solution
};

struct SolverOutcome {
  double value = 0;  // reflectivity or transmissivity of the chosen beam
  SolverStatus status = SolverStatus::Ok;
  int decayingModes = 0;  // eigenvalues with Im q < 0 (for the mismatch message)
};

// The message the person sees for a failed call; empty when there is none
// (Ok and Evanescent).
std::string SolverMessage(const SolverOutcome& outcome);

// The N-beam wave-field solver: a Fourier coupled-wave formulation with the
// tangential field components of N plane waves, 4N eigenmodes of a dense
// complex eigenproblem, and the continuity of the tangential fields at the
// entrance (and exit) surface. Vectors are in the solver frame (x, y in the
// surface, z into the crystal); wave vectors are divided by K = 2πE/hc.
//
// A solver holds its own work arrays, so one object serves one thread; the
// parallel scans give each worker a copy.
class MbdSolver {
 public:
  MbdSolver(int beamCount, double energyEv);

  int BeamCount() const { return n_; }
  double Energy() const { return energy_; }
  // True from creation until the chi components are computed or imported.
  bool ChiNotSet() const { return chiNotSet_; }
  void MarkChiNotSet() { chiNotSet_ = true; }
  void MarkChiSet() { chiNotSet_ = false; }

  // The beam indices (table order) and the direct lattice vectors expressed
  // in the solver frame, from which gi = 2π(hi a* + ki b* + li c*) follows.
  void SetBeams(const std::vector<Miller>& beams, Vec3 a1, Vec3 a2, Vec3 a3);
  const std::vector<Miller>& Beams() const { return beams_; }
  Vec3 ReciprocalVector(int i) const { return {gx_[i], gy_[i], gz_[i]}; }

  // Fills ε and η from the crystal at the solver's energy: χ0 on the
  // diagonal, χ(gi − gj) elsewhere. False (chi stays unset) when the crystal
  // has no scattering factors at that energy; the notifier has said why.
  bool ComputeChi(crystal::CrystalStructure& crystal, core::Notifier& notifier);
  // Sets one Fourier component: ε = 1 + χ, η = 1 − χ on the diagonal,
  // ε = χ, η = −χ elsewhere. Does not touch the chi-not-set flag.
  void SetChi(int i, int j, Complex chi);
  // χ(gi − gj); χ0 on the diagonal.
  Complex Chi(int i, int j) const;

  // Reflectivity of beam `beam` at the entrance surface of a half-space.
  // k0: unit incident direction; h0: unit incident magnetic vector.
  SolverOutcome HalfSpace(double energyEv, Vec3 k0, const ComplexVec3& h0, int beam);
  // Reflectivity (entrance side) or transmissivity (exit side) of a slab of
  // thickness `thickness` (Å).
  SolverOutcome Slab(double energyEv, Vec3 k0, const ComplexVec3& h0, double thickness, int beam, bool exitSide);

  // Results of the last call (valid after an Ok outcome; an evanescent call
  // leaves the amplitudes of the previous call).
  const ComplexVec3& ExitAmplitude(bool exitSide) const { return exitSide ? exitAmplitude_ : entranceAmplitude_; }
  Complex Gamma(int beam) const { return gamma_[beam]; }
  double Kx(int beam) const { return kx_[beam]; }
  double Ky(int beam) const { return ky_[beam]; }

 private:
  SolverOutcome Solve(double energyEv, Vec3 k0, const ComplexVec3& h0, double thickness, int beam, bool slab,
                      bool exitSide);
  void PrepareIncidence(double energyEv, Vec3 k0);
  void BuildEigenproblem();
  // +1 for a mode decaying into the crystal (or carrying energy into it),
  // −1 for one decaying towards the entrance surface, 0 for neither.
  int ModeDirection(int column) const;
  bool SelectModes(bool slab, int& decaying);
  void ComputeModeFields(int modes);
  void BuildBoundarySystem(const ComplexVec3& h0, const ComplexVec3& e0, double thickness, bool slab);
  double ExitField(int beam, const ComplexVec3& h0, bool slab, bool exitSide);

  int n_;
  double energy_;
  bool chiNotSet_ = true;
  std::vector<Miller> beams_;
  arma::cx_mat chi_;  // the components as set, for display and export
  arma::cx_mat epsilon_, eta_;
  arma::vec gx_, gy_, gz_;

  // Work data of one incidence.
  double kNorm_ = 0;  // K, Å⁻¹
  arma::vec kx_, ky_, gzK_;
  arma::cx_vec gamma_;
  arma::cx_mat m_;
  arma::cx_vec eigenvalues_;
  arma::cx_mat eigenvectors_;
  std::vector<int> direction_;    // ModeDirection of each eigenvector column
  std::vector<int> modeColumn_;  // eigenvector column of retained mode s
  arma::cx_vec q_;               // q of retained mode s
  arma::cx_vec propagation_;     // P(s) of the slab
  // Fields of retained mode s and beam j at (j, s).
  arma::cx_mat kz_, hx_, hy_, hz_, ex_, ey_, work_;
  arma::cx_mat halfSpaceBoundary_, slabBoundary_;
  arma::cx_vec halfSpaceRhs_, slabRhs_, halfSpaceAmplitudes_, slabAmplitudes_;
  ComplexVec3 entranceAmplitude_{};
  ComplexVec3 exitAmplitude_{};
};

}  // namespace velto::mbd
