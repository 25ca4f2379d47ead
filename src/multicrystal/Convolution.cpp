#include "multicrystal/Convolution.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <span>

#include <omp.h>

#include "core/Units.h"
#include "twobeam/BraggScan.h"

namespace velto::multicrystal {
namespace {

using twobeam::BraggCrystal;
using twobeam::Polarization;

using Angle = BraggCrystal::GlancingAngle;

// The reflectivity by the theory the plan selects; `finite` only for the
// sample's first reflection of a finite plate.
inline double Reflect(BraggCrystal& crystal, Polarization p, const Angle& incidence, double energy, bool rigorous,
                      bool finite) {
  if (rigorous)
    return finite ? crystal.ReflectRigorousFinite(p, incidence.radians, energy)
                  : crystal.ReflectRigorousSemiInfinite(p, incidence.radians, energy);
  return finite ? crystal.ReflectFinite(p, incidence, energy) : crystal.ReflectSemiInfinite(p, incidence, energy);
}
inline double Reflect(BraggCrystal& crystal, Polarization p, double incidence, double energy, bool rigorous,
                      bool finite) {
  return Reflect(crystal, p, Angle::Of(incidence), energy, rigorous, finite);
}

inline bool InsideHalfTurn(double angle) { return angle > 0 && angle < core::kPi; }

// The spectral and monochromator part of the convolution for a block of
// spectral points: per spectral point its energy and weight, per (j, k) the
// product of the monochromator reflectivities and the sample's incidence
// angle at zero rocking angle with its sine and cosine. A zero product marks
// a component that contributes nothing (outside the angular range, or no
// beam).
struct MonochromatorTable {
  std::vector<double> energy, weight;
  std::vector<double> reflectivity, sampleIncidence, sampleSine, sampleCosine;
};

void FillRow(const ConvolutionPlan& plan, Polarization p, int j, double* reflectivity, double* sampleIncidence,
             double* sampleSine, double* sampleCosine, double& energy, double& weight, BraggCrystal& m1,
             BraggCrystal& m2) {
  const int nd = plan.divergencePoints;
  const double deltaLambda = plan.spectralStart + j * plan.spectralStep;
  const double lambda = plan.wavelength + deltaLambda;
  weight = std::exp(plan.gaussCoefficient * deltaLambda * deltaLambda);
  // A spectral range wider than twice the wavelength reaches wavelengths
  // that do not exist; such components carry nothing.
  if (!(lambda > 0)) {
    energy = 0;
    std::fill(reflectivity, reflectivity + nd, 0.0);
    return;
  }
  energy = core::kHcEvAngstrom / lambda;
  const double firstIncidence = plan.FirstMonochromatorIncidence();
  BraggCrystal& last = plan.doubleMonochromator ? m2 : m1;
  const double exitAtBragg = last.ExitAtBragg();
  const double sampleAtBragg = plan.s1->IncidenceAtBragg();
  for (int k = 0; k < nd; ++k) {
    reflectivity[k] = 0;
    const double theta1 = firstIncidence + k * plan.divergenceStep;
    if (!InsideHalfTurn(theta1)) continue;
    double r = Reflect(m1, p, theta1, energy, plan.rigorous, false);
    double exit = m1.ExitAngle();
    if (plan.doubleMonochromator) {
      r = r * Reflect(m2, p, exit, energy, plan.rigorous, false);
      exit = m2.ExitAngle();
    }
    if (!InsideHalfTurn(exit)) continue;
    const double deviation = exit - exitAtBragg;
    sampleIncidence[k] = plan.arrangement == Arrangement::NonDispersive ? sampleAtBragg + deviation
                                                                         : sampleAtBragg - deviation;
    sampleSine[k] = std::sin(sampleIncidence[k]);
    sampleCosine[k] = std::cos(sampleIncidence[k]);
    reflectivity[k] = r;
  }
}

// The sample's incidence for a block of divergence points at rocking angle
// ω, as the point-by-point loop forms it; a component the monochromator
// does not pass is put outside (0, π), where the kernel gives zeros.
void SampleBlock(twobeam::BraggScanPoints& points, const double* reflectivity, const double* incidence,
                 const double* sine, const double* cosine, int count, double omega, double sinOmega, double cosOmega,
                 double energy) {
  for (int m = 0; m < count; ++m) {
    points.radians[m] = reflectivity[m] != 0 ? incidence[m] + omega : 0.0;
    points.sine[m] = sine[m] * cosOmega + cosine[m] * sinOmega;
    points.cosine[m] = cosine[m] * cosOmega - sine[m] * sinOmega;
    points.energy[m] = energy;
  }
}

}  // namespace

ConvolutionStatus ComputeConvolution(const ConvolutionPlan& plan, std::vector<double>& intensity,
                                     core::Progress& progress, long tableEntries, core::PointRunner& runner) {
  const int n = plan.points;
  const int ns = plan.spectralPoints;
  const int nd = plan.divergencePoints;
  const int rowsPerBlock = static_cast<int>(std::max<long>(1, std::min<long>(ns, std::max(tableEntries, 1L) / std::max(nd, 1))));
  const int blocks = ns > 0 ? (ns + rowsPerBlock - 1) / rowsPerBlock : 0;

  std::vector<double> result, pass;
  MonochromatorTable table;
  // One block of scan points per thread, reused by every chunk of rocking
  // points the runner hands over.
  std::vector<twobeam::BraggScanPoints> scratch;
  try {
    scratch.resize(static_cast<std::size_t>(omp_get_max_threads()));
    result.assign(n, 0.0);
    pass.assign(n, 0.0);
    table.energy.assign(rowsPerBlock, 0.0);
    table.weight.assign(rowsPerBlock, 0.0);
    table.reflectivity.assign(static_cast<std::size_t>(rowsPerBlock) * nd, 0.0);
    table.sampleIncidence.assign(static_cast<std::size_t>(rowsPerBlock) * nd, 0.0);
    table.sampleSine.assign(static_cast<std::size_t>(rowsPerBlock) * nd, 0.0);
    table.sampleCosine.assign(static_cast<std::size_t>(rowsPerBlock) * nd, 0.0);
  } catch (const std::bad_alloc&) {
    return ConvolutionStatus::OutOfMemory;
  }

  core::PercentCounter counter(progress, static_cast<long>(plan.PassCount()) * blocks * n);
  const bool finiteSample = plan.thickness > 0;
  bool cancelled = false;

  for (int passIndex = 0; passIndex < plan.PassCount() && !cancelled; ++passIndex) {
    const Polarization p = (plan.polarization == PolarizationChoice::Pi || passIndex == 1) ? Polarization::Pi
                                                                                           : Polarization::Sigma;
    std::fill(pass.begin(), pass.end(), 0.0);
    for (int block = 0; block < blocks && !cancelled; ++block) {
      const int j0 = block * rowsPerBlock;
      const int rows = std::min(rowsPerBlock, ns - j0);
      // Every process sharing the rocking points builds the table itself:
      // it is a small part of the work (one rocking point's worth).
#pragma omp parallel
      {
        BraggCrystal m1 = *plan.m1;
        BraggCrystal m2 = *plan.m2;
#pragma omp for schedule(static)
        for (int row = 0; row < rows; ++row) {
          if (progress.Cancelled()) continue;
          const std::size_t offset = static_cast<std::size_t>(row) * nd;
          FillRow(plan, p, j0 + row, table.reflectivity.data() + offset, table.sampleIncidence.data() + offset,
                  table.sampleSine.data() + offset, table.sampleCosine.data() + offset, table.energy[row],
                  table.weight[row], m1, m2);
        }
      }

      // The rocking points carry their sum over the earlier blocks in
      // their record and add this block's rows to it.
      core::TypedLoop<double> loop;
      loop.total = n;
      loop.chunkPoints = std::max<long>(4L * omp_get_max_threads(), (n + 199) / 200);
      loop.prepare = [&pass](long first, std::span<double> records) {
        std::copy_n(pass.begin() + first, records.size(), records.begin());
      };
      loop.compute = [&](long first, std::span<double> records) {
        const long count = static_cast<long>(records.size());
#pragma omp parallel
        {
          BraggCrystal s1 = *plan.s1;
          BraggCrystal s2 = *plan.s2;
          const twobeam::BraggScanKernel kernel(s1, p, plan.thickness);
          const bool vectorized = !plan.rigorous && kernel.Usable();
          twobeam::BraggScanPoints* const points = &scratch[static_cast<std::size_t>(omp_get_thread_num())];
#pragma omp for schedule(static)
          for (long c = 0; c < count; ++c) {
            if (progress.Cancelled()) continue;
            const double omega = plan.RockingAngle(static_cast<int>(first + c));
            // The sample's incidence is the table's rotated by ω: its sine
            // and cosine by the addition theorems, not by sin and cos per
            // point.
            const double sinOmega = std::sin(omega), cosOmega = std::cos(omega);
            double sum = records[static_cast<std::size_t>(c)];
            for (int row = 0; row < rows; ++row) {
              const double energy = table.energy[row];
              const std::size_t offset = static_cast<std::size_t>(row) * nd;
              const double* reflectivity = table.reflectivity.data() + offset;
              const double* incidence = table.sampleIncidence.data() + offset;
              const double* sine = table.sampleSine.data() + offset;
              const double* cosine = table.sampleCosine.data() + offset;
              double rowSum = 0;
              if (vectorized) {
                // The sample's reflectivities of a block of divergence points
                // at once, then the same sum in the same order as below.
                if (energy > 0) {
                  for (int first = 0; first < nd; first += twobeam::BraggScanPoints::kCapacity) {
                    const int size = std::min(nd - first, twobeam::BraggScanPoints::kCapacity);
                    SampleBlock(*points, reflectivity + first, incidence + first, sine + first, cosine + first, size,
                                omega, sinOmega, cosOmega, energy);
                    kernel.Evaluate(*points, size, false);
                    for (int m = 0; m < size; ++m) {
                      if (reflectivity[first + m] == 0 || !InsideHalfTurn(points->radians[m])) continue;
                      double r = reflectivity[first + m] * points->reflectivity[m];
                      if (plan.sampleChannelCut && r != 0) {
                        const Angle exit = Angle::Of(std::acos(points->exitCosine[m]));
                        r = r * Reflect(s2, p, exit, energy, false, false);
                      }
                      rowSum += r;
                    }
                  }
                }
                sum = sum + table.weight[row] * rowSum;
                continue;
              }
              for (int k = 0; k < nd; ++k) {
                double r = reflectivity[k];
                if (r == 0) continue;
                const Angle thetaS{incidence[k] + omega, sine[k] * cosOmega + cosine[k] * sinOmega,
                                   cosine[k] * cosOmega - sine[k] * sinOmega};
                if (!InsideHalfTurn(thetaS.radians)) continue;
                r = r * Reflect(s1, p, thetaS, energy, plan.rigorous, finiteSample);
                if (plan.sampleChannelCut) r = r * Reflect(s2, p, s1.ExitAngle(), energy, plan.rigorous, false);
                rowSum += r;
              }
              sum = sum + table.weight[row] * rowSum;
            }
            records[static_cast<std::size_t>(c)] = sum;
          }
        }
      };
      loop.accept = [&](long first, std::span<const double> records) {
        std::copy(records.begin(), records.end(), pass.begin() + first);
        for (std::size_t c = 0; c < records.size(); ++c) counter.Advance();
      };
      if (!core::RunLoop(runner, loop, progress) || progress.Cancelled()) cancelled = true;
    }
    if (cancelled) break;
    for (int i = 0; i < n; ++i) result[i] += pass[i];
  }
  if (cancelled) return ConvolutionStatus::Cancelled;

  const double scale = plan.divergenceStep * plan.spectralStep * 1000000000;
  for (double& value : result) value *= scale;
  intensity = std::move(result);
  return ConvolutionStatus::Completed;
}

std::optional<CurveTrace> ConvolutedTrace(const ConvolutionPlan& plan, std::vector<double> intensity) {
  const HalfMaximum half = FindHalfMaximum(intensity);
  if (half.maxIndex < 0 || !(half.maximum > kSmallestPeak)) return std::nullopt;
  CurveTrace trace;
  trace.count = static_cast<int>(intensity.size());
  trace.values = std::move(intensity);
  trace.from = plan.from;
  trace.to = plan.to;
  trace.step = plan.step;
  trace.peak = half.maximum;
  trace.reference = plan.sampleNominalIncidence;
  return trace;
}

ConvolutionAnalysis AnalyseConvolutedCurve(const CurveTrace& trace) {
  const HalfMaximum half = FindHalfMaximum(trace.values);
  ConvolutionAnalysis analysis;
  analysis.peak = half.maximum;
  analysis.peakIndex = half.maxIndex;
  if (half.hasWidth) {
    const double fwhm = half.WidthInSamples() * trace.step;
    if (fwhm > 0) analysis.fwhm = fwhm;
  }
  return analysis;
}

double ConvolutionExportAngle(const CurveTrace& trace, int i, AngleUnit unit, bool absolute) {
  const double omega = trace.from + i * trace.step;
  const double theta0 = trace.reference;
  switch (unit) {
    case AngleUnit::Microradian:
      return absolute ? (omega * core::kArcsecond + theta0) * 1000000 : omega * core::kArcsecond * 1000000;
    case AngleUnit::Degree:
      return absolute ? omega / 3600 + theta0 / core::kDegree : omega / 3600;
    case AngleUnit::Arcsecond:
      break;
  }
  return absolute ? theta0 / core::kDegree * 3600 + omega : omega;
}

}  // namespace velto::multicrystal
