#pragma once
#include "core/Notifier.h"
#include "core/Progress.h"
#include "twobeam/BraggCrystal.h"
#include "twobeam/CurveSet.h"
#include "twobeam/LaueCrystal.h"

namespace velto::twobeam {

// No crystal diffracts without photons: a scan whose lowest photon energy
// (`energyEv` plus the lowest offset of the scan) is at or below 0 eV has no
// wavelength there, and every program that scans in energy refuses it with
// this text.
inline constexpr const char* kNoPhotonEnergyMessage = "The scan reaches photon energies at or below 0 eV !   ";
inline bool ReachesNoPhotons(double energyEv, double lowestOffsetEv) { return !(energyEv + lowestOffsetEv > 0); }

// One point of a Bragg-case scan, evaluated by the theory the setting
// selects:
//
//   polarization  thickness       theory     evaluation                      stored
//   σ or π        semi-infinite   standard   ReflectSemiInfinite             R
//   σ or π        finite          standard   ReflectFinite                   R, T
//   σ             semi-infinite   rigorous   ReflectRigorousSemiInfinite     R, S
//   π             semi-infinite   rigorous   ReflectEigenSemiInfinite        R, S
//   σ or π        finite          rigorous   ReflectRigorousFinite           R, S, T
struct PointResult {
  double reflectivity = 0;
  double transmissivity = 0;
  double specular = 0;
  double exitAngle = 0;
  bool hasExit = false;
};
void EvaluateBraggPoint(BraggCrystal& crystal, const ScanSetting& setting, double incidence, double energy,
                        core::Notifier& notifier, PointResult& result);

enum class ScanStatus { Completed, Cancelled, OutOfMemory };

// Computes every point of the scan into `curve` (its old contents are
// replaced only when the scan completes; a cancelled or failed scan leaves
// it untouched). Points run in parallel; each is computed by one thread
// exactly as the serial loop would, so the result does not depend on the
// number of threads. A failed eigenvalue count is reported once per scan
// with the number of affected points.
ScanStatus ComputeBraggCurve(const BraggCrystal& crystal, const ScanSetting& setting, CurveSet& curve,
                             core::Notifier& notifier, core::Progress& progress);
ScanStatus ComputeLaueCurve(const LaueCrystal& crystal, const ScanSetting& setting, CurveSet& curve,
                            core::Progress& progress);

}  // namespace velto::twobeam
