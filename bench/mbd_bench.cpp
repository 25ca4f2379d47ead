// Speed of the multiple-beam core: one half-space solver call for growing
// beam sets, the default silicon MBD-line map, and the convolution loop on
// one and on two threads.
#include <benchmark/benchmark.h>

#include <cmath>

#include "core/DataDirectory.h"
#include "core/Notifier.h"
#include "core/Progress.h"
#include "core/Units.h"
#include "crystal/CrystalStructure.h"
#include "mbd/MbdGeometry.h"
#include "mbd/MbdLineMap.h"
#include "mbd/MbdReflectionTable.h"
#include "mbd/MbdScan.h"
#include "mbd/MbdSolver.h"

namespace {
using namespace velto;

constexpr double kEnergy = 8000;

crystal::CrystalStructure& Silicon() {
  static crystal::CrystalStructure silicon = [] {
    crystal::CrystalStructure s;
    core::SilentNotifier notifier;
    crystal::MakeDiamondCrystal(s, 14, 5.43102064, 530.82, 293.15, core::DataDirectory(), notifier);
    s.name = "Si";
    return s;
  }();
  return silicon;
}

// Silicon 1 1 1 at 8 keV with `beams` beams: 1 1 −1 and then low-order
// reflections in index order, at the 1 1 −1 three-beam azimuth.
struct Case {
  mbd::MbdGeometry geometry;
  mbd::MbdReflectionTable table{{1, 1, 1}};
  explicit Case(int beams) {
    geometry.SetEnergy(kEnergy);
    geometry.Build(true, mbd::LatticeBasisOf(Silicon()), {1, 1, 1}, {1, -1, 0}, 0, 0);
    table.Add({1, 1, -1}, geometry, false);
    for (int h = -3; h <= 3 && table.Count() < beams; ++h)
      for (int k = -3; k <= 3 && table.Count() < beams; ++k)
        for (int l = -3; l <= 3 && table.Count() < beams; ++l) table.Add({h, k, l}, geometry, false, {true, true});
    geometry.SetPrincipalAzimuth(table[2].azimuth1);
  }
  mbd::MbdSolver Solver() const {
    mbd::MbdSolver solver(table.Count(), kEnergy);
    mbd::Vec3 a1, a2, a3;
    geometry.DirectVectorsInSolverFrame(a1, a2, a3);
    solver.SetBeams(table.Indices(), a1, a2, a3);
    core::SilentNotifier notifier;
    solver.ComputeChi(Silicon(), notifier);
    return solver;
  }
};

void HalfSpaceCall(benchmark::State& state) {
  const Case c(static_cast<int>(state.range(0)));
  mbd::MbdSolver solver = c.Solver();
  const double theta = c.geometry.BraggAngle() + 5 * core::kArcsecond;
  const double phi = *c.geometry.PrincipalAzimuthDeg() * core::kDegree;
  const mbd::Vec3 k0 = c.geometry.ToSolverFrame(c.geometry.IncidentDirection(theta, phi));
  const mbd::Vec3 h = c.geometry.ToSolverFrame(c.geometry.Pi(theta, phi));
  const mbd::ComplexVec3 h0{h.x, h.y, h.z};
  for (auto _ : state) benchmark::DoNotOptimize(solver.HalfSpace(kEnergy, k0, h0, 1).value);
  state.counters["beams"] = c.table.Count();
}
BENCHMARK(HalfSpaceCall)->Arg(3)->Arg(6)->Arg(12)->Arg(24)->Arg(48)->Unit(benchmark::kMicrosecond);

// The map of silicon 1 1 1 (reference 1 -1 0) with `settings`; the point
// count is reported so that times of different ranges can be compared per
// point: the cost grows with the points, not with their square.
void SiliconMap(benchmark::State& state, const mbd::MapSettings& settings) {
  core::SilentNotifier notifier;
  const mbd::MapFrame frame = mbd::ApplyMapSettings(settings, mbd::LatticeBasisOf(Silicon()), Silicon(), notifier);
  core::NoProgress progress;
  std::size_t points = 0;
  for (auto _ : state) {
    mbd::MbdMap map;
    mbd::ComputeMap(frame, settings, Silicon(), map, notifier, progress);
    points = map.points.Count();
    benchmark::DoNotOptimize(points);
  }
  state.counters["points"] = static_cast<double>(points);
  state.counters["per_point"] = benchmark::Counter(static_cast<double>(points), benchmark::Counter::kIsIterationInvariantRate |
                                                                                   benchmark::Counter::kInvert);
}

void DefaultSiliconMap(benchmark::State& state) { SiliconMap(state, mbd::MapSettings{}); }
BENCHMARK(DefaultSiliconMap)->Unit(benchmark::kMillisecond);

// velto-cli map --energy-range 5 KEVMAX 11 --phi-range -10 10 21
void WideSiliconMap(benchmark::State& state) {
  mbd::MapSettings settings;
  settings.energyMin = 5000;
  settings.energyMax = static_cast<double>(state.range(0)) * 1000;
  settings.energyPoints = 11;
  settings.phiPoints = 21;
  SiliconMap(state, settings);
}
BENCHMARK(WideSiliconMap)->Arg(80)->Arg(100)->Unit(benchmark::kMillisecond);

// A small convolution: 8 scan points × 3 energies × 5 × 5 angles, six beams.
void Convolution(benchmark::State& state) {
  const Case c(6);
  const mbd::MbdSolver solver = c.Solver();
  mbd::ScanSetup setup;
  setup.thetaPoints = 4;
  setup.phiPoints = 2;
  const mbd::ConvolutionSetup conv{1, 2, 3, 10, 5, 10, 5};
  core::SilentNotifier notifier;
  core::NoProgress progress;
  for (auto _ : state) {
    double sum = 0;
    mbd::RunConvolution(solver, c.geometry, setup, conv, progress, notifier,
                        [&](const mbd::PointResult& p) { sum += p.value; }, static_cast<int>(state.range(0)));
    benchmark::DoNotOptimize(sum);
  }
  state.counters["threads"] = static_cast<double>(state.range(0));
}
BENCHMARK(Convolution)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
