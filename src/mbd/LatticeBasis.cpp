#include "mbd/LatticeBasis.h"

namespace velto::mbd {

double LatticeBasis::DSpacing(Miller m) const {
  if (IsOrigin(m)) return 0.0;
  return 1.0 / Norm(Reciprocal(m));
}

LatticeBasis LatticeBasisOf(const crystal::CrystalStructure& s) {
  LatticeBasis basis;
  basis.a1 = {s.a1x, 0, 0};
  basis.a2 = {s.a2x, s.a2y, 0};
  basis.a3 = {s.a3x, s.a3y, s.a3z};
  basis.b1 = {s.b1x, s.b1y, s.b1z};
  basis.b2 = {0, s.b2y, s.b2z};
  basis.b3 = {0, 0, s.b3z};
  return basis;
}

LatticeBasis CubicLattice(double a) {
  LatticeBasis basis;
  basis.a1 = {a, 0, 0};
  basis.a2 = {0, a, 0};
  basis.a3 = {0, 0, a};
  basis.b1 = {1 / a, 0, 0};
  basis.b2 = {0, 1 / a, 0};
  basis.b3 = {0, 0, 1 / a};
  return basis;
}

void ReciprocalTriad(Vec3 a1, Vec3 a2, Vec3 a3, Vec3& b1, Vec3& b2, Vec3& b3, double& volume) {
  volume = Dot(a1, Cross(a2, a3));
  b1 = Cross(a2, a3) / volume;
  b2 = Cross(a3, a1) / volume;
  b3 = Cross(a1, a2) / volume;
}

}  // namespace velto::mbd
