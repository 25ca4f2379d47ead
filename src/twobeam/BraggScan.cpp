#include "twobeam/BraggScan.h"

#include <algorithm>
#include <cmath>

#include "core/Units.h"
#include "twobeam/BraggWaves.h"

// The vector versions of the C library's functions (libmvec): declared as
// having SIMD variants, a loop that calls them is vectorized with calls to
// those variants. This file is compiled with sin and cos not treated as
// built-ins, so that the compiler does not merge them into sincos, which has
// no such declaration. (g++ on x86-64 with glibc; elsewhere the loops are
// plain loops.)
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__GLIBC__)
extern "C" {
__attribute__((simd("notinbranch"), const)) double exp(double) noexcept;
__attribute__((simd("notinbranch"), const)) double sin(double) noexcept;
__attribute__((simd("notinbranch"), const)) double cos(double) noexcept;
__attribute__((simd("notinbranch"), const)) double acos(double) noexcept;
}
// One version of each loop for each vector unit, the best one chosen when
// the program starts.
#define VELTO_VECTOR_VERSIONS __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define VELTO_VECTOR_VERSIONS
#endif

namespace velto::twobeam {
namespace {

using bragg_waves::Waves;

// Bounds the angle spanned by one anchor's 64 points for the series below,
// so that their first omitted terms stay below 1e-20.
constexpr double kLargestSeriesAngle = 0.05;

struct KernelConstants {
  bragg_waves::Constants k;
  Complex d0;
  double sinAlpha, cosAlpha, ratioB, plateau, d, thickness;
};

// The common part of every point; false where the point gives zeros.
inline bool PointWaves(const KernelConstants& c, BraggScanPoints& pts, int i, Waves& waves, double& lambda) {
  lambda = core::kHcEvAngstrom / pts.energy[i];
  const double q = lambda / c.d;
  const double exitCosine = bragg_waves::ExitCosine(pts.cosine[i], q, c.sinAlpha);
  const bool valid = (pts.radians[i] > 0) & (pts.radians[i] < core::kPi) & (std::fabs(exitCosine) <= 1.0);
  bragg_waves::ComputeWaves(c.k, c.d0, c.sinAlpha, c.cosAlpha, pts.sine[i], pts.cosine[i], q, waves);
  const double attenuation = bragg_waves::Attenuation(waves);
  const double depth = attenuation > 0 ? lambda / (4.0 * core::kPi * attenuation) : 0.0;
  pts.depth[i] = valid ? depth : 0.0;
  pts.hasExit[i] = valid ? 1.0 : 0.0;
  pts.exitCosine[i] = valid ? exitCosine : 1.0;
  return valid;
}

VELTO_VECTOR_VERSIONS
void EvaluateSemiInfinite(const KernelConstants& c, BraggScanPoints& pts, int n) {
  for (int i = 0; i < n; ++i) {
    Waves waves;
    double lambda;
    const bool valid = PointWaves(c, pts, i, waves, lambda);
    const Complex amplitude = bragg_waves::SemiInfiniteAmplitude(waves);
    const double r = bragg_waves::SemiInfiniteReflectivity(waves, amplitude, c.ratioB, c.plateau);
    pts.reflectivity[i] = valid ? r : 0.0;
  }
}

// The waves of a plate, up to its exponentials (a zero phase where the
// point gives zeros).
VELTO_VECTOR_VERSIONS
void EvaluatePlateWaves(const KernelConstants& c, BraggScanPoints& pts, int n) {
  for (int i = 0; i < n; ++i) {
    Waves waves;
    double lambda;
    const bool valid = PointWaves(c, pts, i, waves, lambda);
    bragg_waves::Plate plate;
    bragg_waves::PlateWaves(waves, c.thickness / lambda, plate);
    pts.x1Re[i] = plate.x1.real();
    pts.x1Im[i] = plate.x1.imag();
    pts.x2Re[i] = plate.x2.real();
    pts.x2Im[i] = plate.x2.imag();
    pts.phaseRe[i] = valid ? plate.phase.real() : 0.0;
    pts.phaseIm[i] = valid ? plate.phase.imag() : 0.0;
    pts.transmittedRe[i] = valid ? plate.transmittedPhase.real() : 0.0;
  }
}

// ExpTwoPi of the plate's phases, and |ExpTwoPi|² of the transmitted one.
VELTO_VECTOR_VERSIONS
void EvaluatePhases(BraggScanPoints& pts, int n) {
  for (int i = 0; i < n; ++i) {
    const double magnitude = exp(core::kTwoPi * pts.phaseRe[i]);
    const double turns = pts.phaseIm[i] - std::trunc(pts.phaseIm[i]);
    const double phase = core::kTwoPi * turns;
    pts.eRe[i] = magnitude * cos(phase);
    pts.eIm[i] = magnitude * sin(phase);
    pts.transmittedExp[i] = exp(2.0 * core::kTwoPi * pts.transmittedRe[i]);
  }
}

VELTO_VECTOR_VERSIONS
void CombinePlates(const KernelConstants& c, BraggScanPoints& pts, int n) {
  for (int i = 0; i < n; ++i) {
    bragg_waves::Plate plate;
    plate.x1 = {pts.x1Re[i], pts.x1Im[i]};
    plate.x2 = {pts.x2Re[i], pts.x2Im[i]};
    bragg_waves::PlateAmplitudes amplitudes;
    bragg_waves::CombinePlate(plate, {pts.eRe[i], pts.eIm[i]}, amplitudes);
    const double r = c.ratioB * std::norm(amplitudes.diffracted);
    const double t = bragg_waves::PlateTransmissivity(amplitudes.transmitted, pts.transmittedExp[i]);
    const bool valid = pts.hasExit[i] != 0;
    pts.reflectivity[i] = valid ? r : 0.0;
    pts.transmissivity[i] = valid ? t : 0.0;
  }
}

VELTO_VECTOR_VERSIONS
void EvaluateExitAngles(BraggScanPoints& pts, int n) {
  for (int i = 0; i < n; ++i) {
    const double angle = acos(pts.exitCosine[i]);
    pts.exitAngle[i] = pts.hasExit[i] != 0 ? angle : 0.0;
  }
}

// sin d and cos d − 1 for |d| ≤ kLargestSeriesAngle.
inline void SmallAngle(double d, double& sine, double& cosineMinusOne) {
  const double d2 = d * d;
  sine = d - d * d2 * (1.0 / 6 - d2 * (1.0 / 120 - d2 * (1.0 / 5040 - d2 * (1.0 / 362880))));
  cosineMinusOne = -d2 * (0.5 - d2 * (1.0 / 24 - d2 * (1.0 / 720 - d2 * (1.0 / 40320 - d2 * (1.0 / 3628800)))));
}

VELTO_VECTOR_VERSIONS
void RotateFromAnchor(double anchor, double anchorSine, double anchorCosine, const double* radians, double* sine,
                      double* cosine, int n) {
  for (int i = 0; i < n; ++i) {
    double s, cm1;
    SmallAngle(radians[i] - anchor, s, cm1);
    sine[i] = anchorSine + (anchorSine * cm1 + anchorCosine * s);
    cosine[i] = anchorCosine + (anchorCosine * cm1 - anchorSine * s);
  }
}

// The library's own sine and cosine, point by point: not vectorized, since
// the vector variants differ from them in the last place.
__attribute__((noinline, optimize("no-tree-vectorize"))) void LibrarySines(const double* radians, double* sine,
                                                                           double* cosine, int n) {
  for (int i = 0; i < n; ++i) {
    sine[i] = std::sin(radians[i]);
    cosine[i] = std::cos(radians[i]);
  }
}

}  // namespace

BraggScanKernel::BraggScanKernel(const BraggCrystal& crystal, Polarization p, double thickness)
    : k_(crystal.ConstantsOf(p)),
      d0_(crystal.D0()),
      sinAlpha_(crystal.SinAlpha()),
      cosAlpha_(crystal.CosAlpha()),
      ratioB_(crystal.AsymmetryRatio()),
      plateau_(crystal.Plateau(p)),
      d_(crystal.DSpacing()),
      thickness_(thickness),
      usable_(p == Polarization::Sigma || crystal.PiReflects()) {}

void BraggScanKernel::Evaluate(BraggScanPoints& points, int n, bool exitAngles) const {
  const KernelConstants c{k_, d0_, sinAlpha_, cosAlpha_, ratioB_, plateau_, d_, thickness_};
  if (thickness_ > 0) {
    EvaluatePlateWaves(c, points, n);
    EvaluatePhases(points, n);
    CombinePlates(c, points, n);
  } else {
    EvaluateSemiInfinite(c, points, n);
  }
  if (exitAngles) EvaluateExitAngles(points, n);
}

AngleSweep::AngleSweep(double base, double start, double step, double scale)
    : base_(base),
      start_(start),
      step_(step),
      scale_(scale),
      series_(std::fabs(step * scale) * (kAnchorSpacing + 1) <= kLargestSeriesAngle) {}

void AngleSweep::Fill(int first, int n, double* radians, double* sine, double* cosine) const {
  for (int i = 0; i < n; ++i) radians[i] = Angle(first + i);
  if (!series_) {
    LibrarySines(radians, sine, cosine, n);
    return;
  }
  // Anchors at the multiples of kAnchorSpacing, so that a point's values do
  // not depend on the block it is asked in.
  int i = 0;
  while (i < n) {
    const int index = first + i;
    const int anchorIndex = index - index % kAnchorSpacing;
    const int count = std::min(n - i, anchorIndex + kAnchorSpacing - index);
    const double anchor = Angle(anchorIndex);
    RotateFromAnchor(anchor, std::sin(anchor), std::cos(anchor), radians + i, sine + i, cosine + i, count);
    i += count;
  }
}

}  // namespace velto::twobeam
