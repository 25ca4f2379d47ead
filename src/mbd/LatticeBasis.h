#pragma once
#include "crystal/CrystalStructure.h"
#include "mbd/Vec3.h"

namespace velto::mbd {

// The direct and reciprocal basis of a crystal in its Cartesian frame
// (reciprocal vectors without 2π, so |h b1 + k b2 + l b3| = 1/d). The MBD
// geometry, the solver and the line map need nothing else of the lattice, and
// a small value type can be copied into every worker of a parallel loop.
struct LatticeBasis {
  Vec3 a1, a2, a3;
  Vec3 b1, b2, b3;

  Vec3 Reciprocal(double h, double k, double l) const { return h * b1 + k * b2 + l * b3; }
  Vec3 Reciprocal(Miller m) const { return Reciprocal(m.h, m.k, m.l); }
  // d-spacing in Å; 0 for (0 0 0).
  double DSpacing(Miller m) const;
};

// The basis of a loaded crystal structure.
LatticeBasis LatticeBasisOf(const crystal::CrystalStructure& structure);

// A cubic cell of edge `a` (Å), for built-in crystals and tests.
LatticeBasis CubicLattice(double a);

// The reciprocal triad of three direct vectors given in any right-handed
// Cartesian frame: b1 = (a2 × a3)/V and cyclic, V = a1 · (a2 × a3).
void ReciprocalTriad(Vec3 a1, Vec3 a2, Vec3 a3, Vec3& b1, Vec3& b2, Vec3& b3, double& volume);

}  // namespace velto::mbd
