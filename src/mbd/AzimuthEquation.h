#pragma once

namespace velto::mbd {

// Marks an angle that does not exist: a reflection without a Bragg angle at
// the current energy, or an azimuth that the three-beam condition does not
// reach.
inline constexpr double kNoAngle = -10000.0;

// The roots of the azimuth equation, in degrees. Only the first `count`
// values are meaningful; the others hold kNoAngle. root1 is the one of
// smaller magnitude.
struct AzimuthRoots {
  int count = 0;
  double root1 = kNoAngle;
  double root2 = kNoAngle;
};

// Solves p cos φ + q sin φ + r = 0 for φ in (−180°, 180°]. The equation is
// squared into a quadratic in cos φ (or in sin φ when q is tiny, where the
// cosine form loses the sign of φ); the sign or mirror image that satisfies
// the unsquared equation better is kept.
AzimuthRoots SolveAzimuthEquation(double p, double q, double r);

}  // namespace velto::mbd
