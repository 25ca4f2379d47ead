#pragma once
// Reflections shared by the two-beam tests.
#include <cmath>
#include <complex>

#include "core/Units.h"
#include "twobeam/BraggCrystal.h"
#include "twobeam/CurveAnalysis.h"
#include "twobeam/CurveScan.h"
#include "twobeam/LaueCrystal.h"

namespace velto::twobeam::testing {

using Complex = std::complex<double>;

// Silicon 1 1 1 at Cu Kα1 (8047.99 eV), d = a/√3 with a = 5.431020511 Å.
// χ0 and |χh| as given by xrt 1.4 with the Chantler tables; the phase of χh
// is that of the diamond structure with an atom at the origin,
// F(111) ∝ (1 − i)(f + i·f''), so χh·χ−h = (8.251e-6 + 0.248e-6 i)².
inline constexpr double kSiliconD111 = 5.431020511 / 1.7320508075688772;
inline constexpr double kCuKalpha1 = core::kCuKalpha1Kev * 1000.0;
inline const Complex kSiChi0{-15.170e-6, -0.351e-6};
inline const Complex kSiStrength{8.251e-6, 0.248e-6};
inline const Complex kSiChih = -Complex{1, -1} / std::sqrt(2.0) * kSiStrength;
inline const Complex kSiChimh = -Complex{1, 1} / std::sqrt(2.0) * kSiStrength;

inline BraggCrystal SiliconBragg(double asymmetry = 0, double thickness = -1) {
  return BraggCrystal(kCuKalpha1, kSiliconD111, asymmetry, thickness, kSiChi0, kSiChih, kSiChimh, {}, {});
}

// The same reflection without absorption (all imaginary parts zero).
inline BraggCrystal TransparentSiliconBragg(double asymmetry = 0, double thickness = -1) {
  const Complex chih{-8.251e-6, 0};
  return BraggCrystal(kCuKalpha1, kSiliconD111, asymmetry, thickness, {-15.170e-6, 0}, chih, chih, {}, {});
}

inline LaueCrystal SiliconLaue(double asymmetry, double thickness) {
  return LaueCrystal(kCuKalpha1, kSiliconD111, asymmetry, thickness, kSiChi0, kSiChih, kSiChimh, {}, {});
}

inline LaueCrystal TransparentSiliconLaue(double asymmetry, double thickness) {
  const Complex chih{-8.251e-6, 0};
  return LaueCrystal(kCuKalpha1, kSiliconD111, asymmetry, thickness, {-15.170e-6, 0}, chih, chih, {}, {});
}

// A rocking curve from `fromArcsec` to `toArcsec` around θB − α at the
// construction energy.
inline ScanSetting RockingScan(double fromArcsec, double toArcsec, int points, double energy,
                               Polarization p = Polarization::Sigma, double thickness = -1, bool rigorous = false) {
  ScanSetting s;
  s.kind = ScanKind::RockingCurve;
  s.points = points;
  s.displayStart = fromArcsec;
  s.displayStep = (toArcsec - fromArcsec) / (points - 1);
  s.start = fromArcsec * core::kArcsecond;
  s.step = s.displayStep * core::kArcsecond;
  s.fixedEnergy = energy;
  s.polarization = p;
  s.thickness = thickness;
  s.rigorous = rigorous;
  return s;
}

inline ScanSetting EnergyScanAt(double fromEv, double toEv, int points, double energy, double incidence,
                                Polarization p = Polarization::Sigma, double thickness = -1) {
  ScanSetting s;
  s.kind = ScanKind::EnergyScan;
  s.points = points;
  s.displayStart = s.start = fromEv;
  s.displayStep = s.step = (toEv - fromEv) / (points - 1);
  s.fixedEnergy = energy;
  s.fixedIncidence = incidence;
  s.polarization = p;
  s.thickness = thickness;
  return s;
}

// Computes and analyses a curve in one go.
template <typename Crystal>
CurveAnalysis ComputeAndAnalyse(Crystal& crystal, const ScanSetting& setting, CurveSet& curve) {
  core::SilentNotifier quiet;
  core::NoProgress progress;
  if constexpr (std::is_same_v<Crystal, LaueCrystal>) {
    ComputeLaueCurve(crystal, setting, curve, progress);
  } else {
    ComputeBraggCurve(crystal, setting, curve, quiet, progress);
  }
  return AnalyseCurve(curve, crystal, setting);
}

}  // namespace velto::twobeam::testing
