// What a rocking curve costs from Python: velto.rocking_curve called through
// an embedded interpreter, beside the C++ steps the call takes (the chi of
// the reflection, the form's checks, the scan and its analysis). The
// difference is the module's overhead: converting arguments, handing the run
// to the worker thread that keeps Ctrl-C working (kept from call to call: a
// new thread per call, and a new OpenMP team with it, cost a loaded machine
// more than the 100000-point curve itself), and handing the arrays over
// (moved into numpy, not copied). On a busy machine compare the two with
// OMP_NUM_THREADS=1: with more threads both wait for cores alike.
#include <benchmark/benchmark.h>
#include <pybind11/embed.h>

#include <memory>

#include "core/DataDirectory.h"
#include "core/Notifier.h"
#include "core/Progress.h"
#include "core/TextNumbers.h"
#include "crystal/CrystalStructure.h"
#include "crystal/Susceptibility.h"
#include "programs/single_crystal/SingleCrystalCalculation.h"

namespace {
namespace py = pybind11;
using namespace velto;

constexpr double kEnergyKev = 8.048;

void BM_RockingCurveCpp(benchmark::State& state) {
  const int points = static_cast<int>(state.range(0));
  core::SilentNotifier quiet;
  core::NoProgress progress;
  crystal::CrystalStructure structure;
  const auto data = core::DataDirectory();
  if (!crystal::LoadStructFile(structure, data / "Silicon.struct", 293.15, data, quiet)) {
    state.SkipWithError("no Silicon.struct");
    return;
  }
  for (auto _ : state) {
    crystal::CrystalStructure copy = structure;
    programs::SingleCrystalInputs in;
    in.crystalDefined = true;
    in.energy = kEnergyKev * 1000;
    in.dSpacing = copy.DSpacing(1, 1, 1);
    in.chi = crystal::ComputeReflectionChi(copy, in.energy, 1, 1, 1, quiet);
    in.pointsText = std::to_string(points);
    auto prepared = programs::PrepareSingleCrystal(in);
    programs::SingleCrystalOutcome outcome =
        programs::RunSingleCrystal(std::get<programs::PreparedCalculation>(prepared), quiet, progress);
    benchmark::DoNotOptimize(outcome.curve.reflectivity.data());
  }
  state.SetItemsProcessed(state.iterations() * points);
}
BENCHMARK(BM_RockingCurveCpp)->Arg(2001)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RockingCurvePython(benchmark::State& state) {
  const int points = static_cast<int>(state.range(0));
  // One interpreter for the whole run; the module from the build tree.
  static auto interpreter = std::make_unique<py::scoped_interpreter>();
  py::module_::import("sys").attr("path").attr("insert")(0, VELTO_PYTHON_DIR);
  py::module_ velto = py::module_::import("velto");
  py::object crystal = velto.attr("Crystal").attr("load")(velto.attr("EXAMPLE_CRYSTAL"));
  py::object rockingCurve = velto.attr("rocking_curve");
  py::tuple hkl = py::make_tuple(1, 1, 1);
  for (auto _ : state) {
    py::object curve = rockingCurve(crystal, hkl, kEnergyKev, py::arg("points") = points);
    benchmark::DoNotOptimize(curve.ptr());
  }
  state.SetItemsProcessed(state.iterations() * points);
}
BENCHMARK(BM_RockingCurvePython)->Arg(2001)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
