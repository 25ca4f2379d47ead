#pragma once
#include "twobeam/BraggCrystal.h"
#include "twobeam/Polarization.h"

// The standard two-beam theory of the Bragg case evaluated at many points at
// once: the points of a block are laid out as arrays (one per quantity), and
// the loops over them are compiled for the vector units the processor has
// (AVX-512, AVX2, or the SSE2 of every x86-64), chosen when the program
// starts. Each point gives what BraggCrystal's single-point evaluation gives
// with the same incidence sine and cosine: the arithmetic is the same code
// (BraggWaves.h); only the exponential and trigonometric functions of a
// plate come from the vector math library, which differs from the scalar one
// by a few units in the last place.
namespace velto::twobeam {

// The points of one block. Inputs: incidence glancing angle with its sine
// and cosine, and photon energy (eV, > 0). Outputs as BraggCrystal's
// evaluation sets them; the exit angle is 0 and the depth 0 where there is
// no exit beam.
struct BraggScanPoints {
  static constexpr int kCapacity = 256;
  alignas(64) double radians[kCapacity];
  alignas(64) double sine[kCapacity];
  alignas(64) double cosine[kCapacity];
  alignas(64) double energy[kCapacity];

  alignas(64) double reflectivity[kCapacity];
  alignas(64) double transmissivity[kCapacity];  // plates only
  alignas(64) double exitCosine[kCapacity];
  alignas(64) double exitAngle[kCapacity];  // when asked for
  alignas(64) double depth[kCapacity];      // penetration depth, Å
  alignas(64) double hasExit[kCapacity];    // 1 or 0

  // Work storage of a plate.
  alignas(64) double x1Re[kCapacity], x1Im[kCapacity], x2Re[kCapacity], x2Im[kCapacity];
  alignas(64) double phaseRe[kCapacity], phaseIm[kCapacity], transmittedRe[kCapacity];
  alignas(64) double eRe[kCapacity], eIm[kCapacity], transmittedExp[kCapacity];

  // All points at one energy (a rocking curve).
  void SetEnergy(int n, double e) {
    for (int i = 0; i < n; ++i) energy[i] = e;
  }
};

// ReflectSemiInfinite, or ReflectFinite with `thickness` Å (≤ 0:
// semi-infinite), of one crystal in one polarization, over blocks of points.
class BraggScanKernel {
 public:
  BraggScanKernel(const BraggCrystal& crystal, Polarization p, double thickness);

  // False for π at θB = 45°, where nothing is diffracted: such scans are
  // evaluated point by point.
  bool Usable() const { return usable_; }
  bool Finite() const { return thickness_ > 0; }

  // Evaluates points 0 … n−1 of `points` (n ≤ kCapacity). The exit angle
  // (an arc cosine per point) only when `exitAngles`.
  void Evaluate(BraggScanPoints& points, int n, bool exitAngles) const;

 private:
  bragg_waves::Constants k_;
  Complex d0_;
  double sinAlpha_, cosAlpha_, ratioB_, plateau_, d_, thickness_;
  bool usable_;
};

// The equally spaced angles θi = base + (start + i·step)·scale of a scan,
// with their sines and cosines. Every 64 points the sine and cosine come
// from the library; the points between are rotated from there by the exact
// difference of the angles, whose sine and cosine are short series: within
// a few units in the last place of the library's values, and the same
// whatever block of points is asked for.
class AngleSweep {
 public:
  static constexpr int kAnchorSpacing = 64;
  AngleSweep(double base, double start, double step, double scale = 1.0);
  double Angle(int i) const { return base_ + (start_ + i * step_) * scale_; }
  // Points first … first+n−1 into the arrays.
  void Fill(int first, int n, double* radians, double* sine, double* cosine) const;

 private:
  double base_, start_, step_, scale_;
  bool series_;  // false when 64 steps span too wide an angle for the series
};

}  // namespace velto::twobeam
