#include "twobeam/CurveScan.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <memory>
#include <string>
#include <utility>

#include "core/Units.h"
#include "twobeam/BraggScan.h"

namespace velto::twobeam {
namespace {

constexpr double kLowestEnergy = 1.0;  // eV; energy-scan points at or below it are skipped
constexpr double kNoDepthYet = 1e10;
// Points are handed out, and progress is counted, in chunks: a shared
// counter touched per point would cost more than the point when threads
// contend for it.
constexpr int kChunk = 256;

CurveSet EmptyCurveLike(const ScanSetting& setting) {
  CurveSet curve;
  curve.kind = setting.kind;
  curve.start = setting.start;
  curve.step = setting.step;
  curve.displayStart = setting.displayStart;
  curve.displayStep = setting.displayStep;
  curve.fixedEnergy = setting.fixedEnergy;
  curve.fixedIncidence = setting.fixedIncidence;
  return curve;
}

static_assert(kChunk <= BraggScanPoints::kCapacity && kChunk % AngleSweep::kAnchorSpacing == 0);

// The incidence angle and energy of point i; false when the point lies
// outside the accepted range and keeps its zeros.
bool PointCoordinates(const ScanSetting& setting, double incidenceAtBragg, int i, bool laue, double& incidence,
                      double& energy) {
  const double x = setting.start + i * setting.step;
  if (setting.kind == ScanKind::EnergyScan) {
    energy = setting.fixedEnergy + x;
    incidence = setting.fixedIncidence;
    return energy > kLowestEnergy;
  }
  energy = setting.fixedEnergy;
  incidence = incidenceAtBragg + x;
  if (laue) return std::fabs(incidence) < core::kPi / 2;
  return incidence > 0 && incidence < core::kPi;
}

}  // namespace

void EvaluateBraggPoint(BraggCrystal& crystal, const ScanSetting& setting, double incidence, double energy,
                        core::Notifier& notifier, PointResult& result) {
  const Polarization p = setting.polarization;
  const bool finite = setting.thickness > 0;
  result = PointResult{};
  if (!setting.rigorous) {
    result.reflectivity = finite ? crystal.ReflectFinite(p, incidence, energy, setting.thickness)
                                 : crystal.ReflectSemiInfinite(p, incidence, energy);
  } else if (finite) {
    result.reflectivity = crystal.ReflectRigorousFinite(p, incidence, energy, setting.thickness);
  } else if (p == Polarization::Sigma) {
    result.reflectivity = crystal.ReflectRigorousSemiInfinite(p, incidence, energy);
  } else {
    result.reflectivity = crystal.ReflectEigenSemiInfinite(p, incidence, energy, notifier);
  }
  if (finite) result.transmissivity = crystal.Transmissivity();
  if (setting.rigorous) result.specular = crystal.SpecularReflectivity();
  result.hasExit = crystal.HasExitBeam();
  result.exitAngle = crystal.ExitAngle();
}

namespace {

// The standard theory, a chunk of points at a time through the vector
// kernel: the same numbers as EvaluateBraggPoint with the sweep's sines and
// cosines of the incidence angle.
ScanStatus ComputeStandardBraggCurve(const BraggCrystal& crystal, const BraggScanKernel& kernel,
                                     const ScanSetting& setting, CurveSet& result, core::Progress& progress) {
  const int n = setting.points;
  const int chunks = (n + kChunk - 1) / kChunk;
  core::PercentCounter counter(progress, chunks);
  std::atomic<bool> cancelled{false};
  double minDepth = kNoDepthYet;
  const double exitAtBragg = crystal.ExitAtBragg();
  const bool rocking = setting.kind == ScanKind::RockingCurve;
  const AngleSweep sweep(crystal.IncidenceAtBragg(), setting.start, setting.step);
  const BraggCrystal::GlancingAngle fixed = BraggCrystal::GlancingAngle::Of(setting.fixedIncidence);
  const bool finite = kernel.Finite();

#pragma omp parallel
  {
    auto points = std::make_unique<BraggScanPoints>();
    double localMinDepth = kNoDepthYet;
#pragma omp for schedule(static)
    for (int chunk = 0; chunk < chunks; ++chunk) {
      if (cancelled.load(std::memory_order_relaxed)) continue;
      const int first = chunk * kChunk;
      const int count = std::min(n, first + kChunk) - first;
      BraggScanPoints& p = *points;
      if (rocking) {
        sweep.Fill(first, count, p.radians, p.sine, p.cosine);
        p.SetEnergy(count, setting.fixedEnergy);
      } else {
        for (int m = 0; m < count; ++m) {
          const double energy = setting.fixedEnergy + (setting.start + (first + m) * setting.step);
          // A point without photons is made one outside (0, π), which
          // gives zeros; its energy only needs to be harmless.
          const bool photons = energy > kLowestEnergy;
          p.energy[m] = photons ? energy : setting.fixedEnergy;
          p.radians[m] = photons ? fixed.radians : 0.0;
          p.sine[m] = fixed.sine;
          p.cosine[m] = fixed.cosine;
        }
      }
      kernel.Evaluate(p, count, true);
      for (int m = 0; m < count; ++m) {
        const int i = first + m;
        result.reflectivity[i] = p.reflectivity[m];
        if (finite) result.transmissivity[i] = p.transmissivity[m];
        result.exitDeviation[i] = p.hasExit[m] != 0 ? p.exitAngle[m] - exitAtBragg : 0.0;
        const double depth = p.depth[m];
        result.depth[i] = depth;
        if (depth > 0 && depth < localMinDepth) localMinDepth = depth;
      }
      if (!counter.Advance()) cancelled.store(true, std::memory_order_relaxed);
    }
#pragma omp critical(velto_bragg_scan_merge)
    minDepth = std::min(minDepth, localMinDepth);
  }

  if (cancelled.load()) return ScanStatus::Cancelled;
  result.minDepth = (minDepth < 0 || minDepth >= kNoDepthYet) ? -1.0 : minDepth;
  result.extinction = crystal.ExtinctionLength(setting.polarization);
  return ScanStatus::Completed;
}

}  // namespace

ScanStatus ComputeBraggCurve(const BraggCrystal& crystal, const ScanSetting& setting, CurveSet& curve,
                             core::Notifier& notifier, core::Progress& progress) {
  CurveSet result = EmptyCurveLike(setting);
  if (!setting.rigorous) {
    const BraggScanKernel kernel(crystal, setting.polarization, setting.thickness);
    if (kernel.Usable()) {
      if (!result.Allocate(setting.points)) return ScanStatus::OutOfMemory;
      const ScanStatus status = ComputeStandardBraggCurve(crystal, kernel, setting, result, progress);
      if (status == ScanStatus::Completed) curve = std::move(result);
      return status;
    }
  }
  if (!result.Allocate(setting.points)) return ScanStatus::OutOfMemory;
  const int n = setting.points;
  const int chunks = (n + kChunk - 1) / kChunk;
  core::PercentCounter counter(progress, chunks);
  std::atomic<bool> cancelled{false};
  const bool eigenForm = setting.rigorous && setting.thickness <= 0 && setting.polarization == Polarization::Pi;
  double minDepth = kNoDepthYet;
  int failedPoints = 0;
  int firstFailure = INT_MAX;
  int firstFailureCount = 0;
  const double incidenceAtBragg = crystal.IncidenceAtBragg();
  const double exitAtBragg = crystal.ExitAtBragg();

#pragma omp parallel
  {
    BraggCrystal local = crystal;
    core::SilentNotifier quiet;
    PointResult point;
    double localMinDepth = kNoDepthYet;
    int localFailures = 0;
    int localFirst = INT_MAX;
    int localFirstCount = 0;
#pragma omp for schedule(static)
    for (int chunk = 0; chunk < chunks; ++chunk) {
      if (cancelled.load(std::memory_order_relaxed)) continue;
      const int end = std::min(n, (chunk + 1) * kChunk);
      for (int i = chunk * kChunk; i < end; ++i) {
        double incidence, energy;
        if (!PointCoordinates(setting, incidenceAtBragg, i, false, incidence, energy)) continue;
        EvaluateBraggPoint(local, setting, incidence, energy, quiet, point);
        if (eigenForm && point.hasExit && local.DecayingWaveCount() != 2) {
          ++localFailures;
          if (i < localFirst) {
            localFirst = i;
            localFirstCount = local.DecayingWaveCount();
          }
        }
        result.reflectivity[i] = point.reflectivity;
        result.transmissivity[i] = point.transmissivity;
        result.specular[i] = point.specular;
        if (point.hasExit) result.exitDeviation[i] = point.exitAngle - exitAtBragg;
        // The other evaluations find the depth on their way; the eigenvalue
        // form has no quartic roots to take it from.
        const double depth =
            eigenForm ? local.PenetrationDepthRigorous(setting.polarization, incidence, energy) : local.LastPenetrationDepth();
        result.depth[i] = depth;
        // A depth of 0 marks a point where none is defined.
        if (depth > 0 && depth < localMinDepth) localMinDepth = depth;
      }
      if (!counter.Advance()) cancelled.store(true, std::memory_order_relaxed);
    }
#pragma omp critical(velto_bragg_scan_merge)
    {
      minDepth = std::min(minDepth, localMinDepth);
      failedPoints += localFailures;
      if (localFirst < firstFailure) {
        firstFailure = localFirst;
        firstFailureCount = localFirstCount;
      }
    }
  }

  if (cancelled.load()) return ScanStatus::Cancelled;
  if (failedPoints > 0) {
    std::string message = "Error! ZGEEV: " + std::to_string(firstFailureCount) + " negative-imaginary q's!!!";
    message += "\n(" + std::to_string(failedPoints) + " of " + std::to_string(n) +
               " scan points affected; their reflectivity is 0.)";
    notifier.Notify(message, core::MessageIcon::None);
  }
  result.failedPoints = failedPoints;
  result.minDepth = (minDepth < 0 || minDepth >= kNoDepthYet) ? -1.0 : minDepth;
  result.extinction = crystal.ExtinctionLength(setting.polarization);
  curve = std::move(result);
  return ScanStatus::Completed;
}

ScanStatus ComputeLaueCurve(const LaueCrystal& crystal, const ScanSetting& setting, CurveSet& curve,
                            core::Progress& progress) {
  CurveSet result = EmptyCurveLike(setting);
  if (!result.Allocate(setting.points)) return ScanStatus::OutOfMemory;
  const int n = setting.points;
  const int chunks = (n + kChunk - 1) / kChunk;
  core::PercentCounter counter(progress, chunks);
  std::atomic<bool> cancelled{false};
  const double incidenceAtBragg = crystal.IncidenceAtBragg();
  const double exitAtBragg = crystal.ExitAtBragg();

#pragma omp parallel
  {
    LaueCrystal local = crystal;
#pragma omp for schedule(static)
    for (int chunk = 0; chunk < chunks; ++chunk) {
      if (cancelled.load(std::memory_order_relaxed)) continue;
      const int end = std::min(n, (chunk + 1) * kChunk);
      for (int i = chunk * kChunk; i < end; ++i) {
        double incidence, energy;
        if (!PointCoordinates(setting, incidenceAtBragg, i, true, incidence, energy)) continue;
        result.reflectivity[i] = local.LaueEvaluate(incidence, energy, setting.polarization);
        result.transmissivity[i] = local.Transmissivity();
        if (local.HasExitBeam()) result.exitDeviation[i] = local.ExitAngle() - exitAtBragg;
      }
      if (!counter.Advance()) cancelled.store(true, std::memory_order_relaxed);
    }
  }

  if (cancelled.load()) return ScanStatus::Cancelled;
  result.minDepth = -1;
  result.extinction = crystal.PendellosungDistance(setting.polarization);
  curve = std::move(result);
  return ScanStatus::Completed;
}

}  // namespace velto::twobeam
