#pragma once
#include <cmath>
#include <complex>
#include <vector>

#include "core/Units.h"
#include "mbd/MbdGeometry.h"
#include "mbd/MbdReflectionTable.h"
#include "mbd/MbdSolver.h"

namespace velto::mbd::testing {

inline constexpr double kSiliconLattice = 5.43102064;

// Silicon's cubic cell with G = 1 1 1, H = 1 −1 0, no offcut, at `energyEv`.
inline MbdGeometry SiliconFrame(double energyEv, double offcutDeg = 0, double offcutAzimuthDeg = 0,
                                Miller g = {1, 1, 1}, Vec3 reference = {1, -1, 0}) {
  MbdGeometry geometry;
  geometry.SetEnergy(energyEv);
  geometry.Build(true, CubicLattice(kSiliconLattice), g, reference, offcutDeg, offcutAzimuthDeg);
  return geometry;
}

// A solver for the beams of `table` in the frame of `geometry`.
inline MbdSolver SolverFor(const MbdGeometry& geometry, const MbdReflectionTable& table) {
  MbdSolver solver(table.Count(), geometry.Energy());
  Vec3 a1, a2, a3;
  geometry.DirectVectorsInSolverFrame(a1, a2, a3);
  solver.SetBeams(table.Indices(), a1, a2, a3);
  return solver;
}

// Fills the solver with susceptibilities that depend only on the difference
// vector, χ(d) = χ(−d) = scale·f(|d|): a Hermitian ε, as in a crystal
// without absorption when the imaginary parts are all 0, or with an
// absorbing part `absorption`·χ added to every component.
inline void SetSyntheticChi(MbdSolver& solver, double absorption = 0.0) {
  const int n = solver.BeamCount();
  const auto& beams = solver.Beams();
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const Miller d = beams[i] - beams[j];
      const double length2 = double(d.h) * d.h + double(d.k) * d.k + double(d.l) * d.l;
      const double real = -15.1e-6 / (1.0 + 0.12 * length2);
      solver.SetChi(i, j, std::complex<double>(real, absorption * real));
    }
  }
  solver.MarkChiSet();
}

// The incident σ/π mixture ψ in the solver frame.
inline void IncidentWave(const MbdGeometry& geometry, double theta, double phi, double psi, Vec3& k0,
                         ComplexVec3& h0) {
  const Vec3 k = geometry.IncidentDirection(theta, phi);
  const Vec3 h = std::cos(psi) * geometry.Pi(theta, phi) - std::sin(psi) * geometry.Sigma(phi);
  k0 = geometry.ToSolverFrame(k);
  const Vec3 hs = geometry.ToSolverFrame(h);
  h0 = {hs.x, hs.y, hs.z};
}

}  // namespace velto::mbd::testing
