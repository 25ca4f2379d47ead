// Cost of the susceptibility routines that the scans and the multiple-beam
// programs call for every point or every pair of reflections.
#include <benchmark/benchmark.h>

#include <complex>

#include "core/DataDirectory.h"
#include "core/Notifier.h"
#include "crystal/Susceptibility.h"

namespace {

using namespace velto;

crystal::CrystalStructure LoadSilicon() {
  core::SilentNotifier quiet;
  crystal::CrystalStructure silicon;
  const auto data = core::DataDirectory();
  if (!crystal::LoadStructFile(silicon, data / "Silicon.struct", 293.15, data, quiet)) silicon.Clear();
  return silicon;
}

// χ of a reflection with the factors of the last energy (the multiple-beam
// coupling matrix).
void BM_ChiAtLastEnergy(benchmark::State& state) {
  crystal::CrystalStructure silicon = LoadSilicon();
  core::SilentNotifier quiet;
  crystal::ChiOf(silicon, 8048, 0, 0, 0, quiet);
  int h = 1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(crystal::ChiOf(silicon, -1, h, 1, 1, quiet));
    h = h == 7 ? 1 : h + 2;
  }
}
BENCHMARK(BM_ChiAtLastEnergy);

// χ with a new f'/f'' interpolation (energy scans).
void BM_ChiWithInterpolation(benchmark::State& state) {
  crystal::CrystalStructure silicon = LoadSilicon();
  core::SilentNotifier quiet;
  double energy = 8000;
  for (auto _ : state) {
    benchmark::DoNotOptimize(crystal::ChiOf(silicon, energy, 1, 1, 1, quiet));
    energy = energy > 9000 ? 8000 : energy + 0.5;
  }
}
BENCHMARK(BM_ChiWithInterpolation);

// The five components of one reflection, as the crystal definition computes them.
void BM_ComputeReflectionChi(benchmark::State& state) {
  crystal::CrystalStructure silicon = LoadSilicon();
  core::SilentNotifier quiet;
  for (auto _ : state) benchmark::DoNotOptimize(crystal::ComputeReflectionChi(silicon, 8048, 4, 0, 0, quiet));
}
BENCHMARK(BM_ComputeReflectionChi);

// One Debye–Waller factor: 100000 exponentials of the trapezoidal rule.
void BM_DebyeWallerB(benchmark::State& state) {
  double temperature = 293.15;
  for (auto _ : state) {
    benchmark::DoNotOptimize(crystal::DebyeWallerB(28.0855007, 530.82, temperature));
    temperature = temperature > 400 ? 293.15 : temperature + 1;
  }
}
BENCHMARK(BM_DebyeWallerB);

}  // namespace
