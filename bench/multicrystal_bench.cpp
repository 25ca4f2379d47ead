// Cost of the multi-crystal computations: the convoluted rocking curve with
// the window's defaults on one and on two threads, and a double-crystal
// monochromator scan.
#include <benchmark/benchmark.h>
#include <omp.h>

#include <variant>
#include <vector>

#include "core/DataDirectory.h"
#include "core/Notifier.h"
#include "core/Progress.h"
#include "crystal/CrystalStructure.h"
#include "crystal/Susceptibility.h"
#include "multicrystal/Convolution.h"
#include "multicrystal/Monochromator.h"
#include "shell/MainFrameState.h"

namespace {

using namespace velto;

constexpr double kEnergy = shell::kDefaultEnergyEv;

multicrystal::CrystalReflection Silicon111() {
  core::SilentNotifier quiet;
  crystal::CrystalStructure silicon;
  const auto data = core::DataDirectory();
  multicrystal::CrystalReflection reflection;
  if (!crystal::LoadStructFile(silicon, data / "Silicon.struct", shell::kDefaultTemperatureK, data, quiet))
    return reflection;
  reflection.defined = true;
  reflection.d = silicon.DSpacing(1, 1, 1);
  reflection.chi = crystal::ComputeReflectionChi(silicon, kEnergy, 1, 1, 1, quiet);
  return reflection;
}

// 201 rocking × 501 spectral × 101 divergence points, σ, DCM, semi-infinite
// Si 1 1 1 on Si 1 1 1: the window's defaults. Argument: threads.
void BM_ConvolutionDefaults(benchmark::State& state) {
  multicrystal::ConvolutionInput input;
  input.energy = kEnergy;
  input.monochromator = input.sample = Silicon111();
  auto prepared = multicrystal::PrepareConvolution(input);
  if (!std::holds_alternative<multicrystal::ConvolutionPlan>(prepared)) {
    state.SkipWithError("the silicon example could not be set up");
    return;
  }
  const auto& plan = std::get<multicrystal::ConvolutionPlan>(prepared);
  const int threads = omp_get_max_threads();
  omp_set_num_threads(static_cast<int>(state.range(0)));
  core::NoProgress progress;
  std::vector<double> intensity;
  for (auto _ : state) {
    multicrystal::ComputeConvolution(plan, intensity, progress);
    benchmark::DoNotOptimize(intensity.data());
  }
  omp_set_num_threads(threads);
}
BENCHMARK(BM_ConvolutionDefaults)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// A 2001-point angular scan of a non-dispersive Si 1 1 1 pair.
void BM_MonochromatorScan(benchmark::State& state) {
  multicrystal::MonochromatorInput input;
  input.energy = kEnergy;
  input.first = input.second = Silicon111();
  input.rigorous = state.range(0) != 0;
  for (auto _ : state) {
    auto result = multicrystal::ComputeMonochromatorScan(input);
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_MonochromatorScan)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
