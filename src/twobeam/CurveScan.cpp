#include "twobeam/CurveScan.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <string>
#include <utility>

#include "core/Units.h"

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

ScanStatus ComputeBraggCurve(const BraggCrystal& crystal, const ScanSetting& setting, CurveSet& curve,
                             core::Notifier& notifier, core::Progress& progress) {
  CurveSet result = EmptyCurveLike(setting);
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
