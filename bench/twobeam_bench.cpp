// Speed of the two-beam theory: one evaluation per point of each theory, and
// a whole 100000-point rocking curve with its analysis on one core.
#include <benchmark/benchmark.h>
#include <omp.h>

#include <algorithm>
#include <cmath>
#include <vector>
#include <complex>

#include "core/Notifier.h"
#include "core/Progress.h"
#include "core/Units.h"
#include "twobeam/BraggCrystal.h"
#include "twobeam/BraggScan.h"
#include "twobeam/CurveAnalysis.h"
#include "twobeam/CurveScan.h"

namespace {

using namespace velto;

// The machine is shared: the fastest of the repetitions is the figure
// least disturbed by other work.
double Fastest(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }
using twobeam::BraggCrystal;
using twobeam::Polarization;

constexpr double kEnergy = core::kCuKalpha1Kev * 1000;
constexpr double kD111 = 5.431020511 / 1.7320508075688772;

// Silicon 1 1 1 at Cu Kα1; `asymmetry` in degrees, thickness in µm (≤ 0: semi-infinite).
BraggCrystal Silicon(double asymmetryDegrees = 0, double thicknessUm = -1) {
  const std::complex<double> strength{8.251e-6, 0.248e-6};
  const std::complex<double> chih = -std::complex<double>{1, -1} / std::sqrt(2.0) * strength;
  const std::complex<double> chimh = -std::complex<double>{1, 1} / std::sqrt(2.0) * strength;
  return BraggCrystal(kEnergy, kD111, asymmetryDegrees * core::kDegree, thicknessUm > 0 ? thicknessUm * 1e4 : -1,
                      {-15.170e-6, -0.351e-6}, chih, chimh, {}, {});
}

// Runs `evaluate(crystal, θi)` over a sweep of ±60″ around the reflection,
// one point per benchmark iteration.
template <typename Evaluate>
void Sweep(benchmark::State& state, BraggCrystal crystal, Evaluate evaluate) {
  const int n = 4096;
  const double start = crystal.IncidenceAtBragg() - 60 * core::kArcsecond;
  const double step = 120 * core::kArcsecond / n;
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(evaluate(crystal, start + i * step));
    i = (i + 1) & (n - 1);
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_ReflectSemiInfinite(benchmark::State& state) {
  Sweep(state, Silicon(), [](BraggCrystal& c, double t) { return c.ReflectSemiInfinite(Polarization::Sigma, t, -1); });
}
BENCHMARK(BM_ReflectSemiInfinite)->ComputeStatistics("min", Fastest);

void BM_ReflectFinite(benchmark::State& state) {
  Sweep(state, Silicon(0, 5), [](BraggCrystal& c, double t) { return c.ReflectFinite(Polarization::Sigma, t, -1); });
}
BENCHMARK(BM_ReflectFinite)->ComputeStatistics("min", Fastest);

void BM_ReflectRigorousSemiInfinite(benchmark::State& state) {
  const Polarization p = state.range(0) ? Polarization::Pi : Polarization::Sigma;
  Sweep(state, Silicon(13), [p](BraggCrystal& c, double t) { return c.ReflectRigorousSemiInfinite(p, t, -1); });
}
BENCHMARK(BM_ReflectRigorousSemiInfinite)->ComputeStatistics("min", Fastest)->Arg(0)->Arg(1);

void BM_ReflectRigorousFinite(benchmark::State& state) {
  const Polarization p = state.range(0) ? Polarization::Pi : Polarization::Sigma;
  Sweep(state, Silicon(13, 5), [p](BraggCrystal& c, double t) { return c.ReflectRigorousFinite(p, t, -1); });
}
BENCHMARK(BM_ReflectRigorousFinite)->ComputeStatistics("min", Fastest)->Arg(0)->Arg(1);

void BM_ReflectEigenSemiInfinite(benchmark::State& state) {
  const Polarization p = state.range(0) ? Polarization::Pi : Polarization::Sigma;
  core::SilentNotifier quiet;
  Sweep(state, Silicon(13), [p, &quiet](BraggCrystal& c, double t) { return c.ReflectEigenSemiInfinite(p, t, -1, quiet); });
}
BENCHMARK(BM_ReflectEigenSemiInfinite)->ComputeStatistics("min", Fastest)->Arg(0)->Arg(1);

// The scan path: a 100000-point rocking curve (±60″) evaluated by the vector
// kernel a block at a time, with the sweep's sines and cosines; time per
// point. Argument: thickness in µm (≤ 0: semi-infinite).
void BM_ScanKernel(benchmark::State& state) {
  const double thicknessUm = static_cast<double>(state.range(0));
  const BraggCrystal crystal = Silicon(0, thicknessUm);
  const twobeam::BraggScanKernel kernel(crystal, Polarization::Sigma, crystal.Thickness());
  const int n = 100000;
  const twobeam::AngleSweep sweep(crystal.IncidenceAtBragg(), -60 * core::kArcsecond, 120 * core::kArcsecond / n);
  twobeam::BraggScanPoints points;
  const int block = twobeam::BraggScanPoints::kCapacity;
  double sum = 0;
  for (auto _ : state) {
    for (int first = 0; first < n; first += block) {
      const int count = std::min(block, n - first);
      sweep.Fill(first, count, points.radians, points.sine, points.cosine);
      points.SetEnergy(count, kEnergy);
      kernel.Evaluate(points, count, false);
      sum += points.reflectivity[0];
    }
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations() * n);
  state.counters["ns_per_point"] = benchmark::Counter(static_cast<double>(state.iterations()) * n * 1e-9,
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ScanKernel)->ComputeStatistics("min", Fastest)->Arg(-1)->Arg(5)->Unit(benchmark::kMicrosecond);

// The single-crystal program's default case with 100000 points: every
// point (reflectivity, exit angle, penetration depth) and the analysis.
void BM_ScanWithAnalysis(benchmark::State& state) {
  const int threads = static_cast<int>(state.range(0));
  const int previous = omp_get_max_threads();
  omp_set_num_threads(threads);
  BraggCrystal crystal = Silicon();
  twobeam::ScanSetting setting;
  setting.points = 100000;
  setting.displayStart = -50;
  setting.displayStep = 100.0 / (setting.points - 1);
  setting.start = setting.displayStart * core::kArcsecond;
  setting.step = setting.displayStep * core::kArcsecond;
  setting.fixedEnergy = kEnergy;
  core::SilentNotifier quiet;
  core::NoProgress progress;
  for (auto _ : state) {
    twobeam::CurveSet curve;
    twobeam::ComputeBraggCurve(crystal, setting, curve, quiet, progress);
    benchmark::DoNotOptimize(twobeam::AnalyseCurve(curve, crystal, setting));
  }
  omp_set_num_threads(previous);
  state.SetItemsProcessed(state.iterations() * setting.points);
}
BENCHMARK(BM_ScanWithAnalysis)->ComputeStatistics("min", Fastest)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
