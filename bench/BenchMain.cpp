// The benchmarks run in a process set up as every program of the suite is
// (one BLAS thread, freed result arrays kept for reuse), so that they
// measure what the programs do.
#include <benchmark/benchmark.h>

#include "core/ProcessSetup.h"

int main(int argc, char** argv) {
  velto::core::SetUpComputingProcess();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
