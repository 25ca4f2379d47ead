#include "mbd/MbdScan.h"

#include <omp.h>

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include "core/PointRunner.h"
#include "core/Units.h"

namespace velto::mbd {
namespace {

// The angles of scan point (c, d) and everything the points share.
struct ScanGrid {
  double theta0 = 0, thetaStep = 0, phiStart = 0, phiStep = 0;  // radians
  double thetaStepArcsec = 0, phiStepArcsec = 0;
  double energy = 0;  // Ec = E + ΔE
  double cosPsi = 1, sinPsi = 0;
  long total = 0;
};

double StepArcsec(double from, double to, int points) { return points > 1 ? (to - from) / (points - 1) : 0.0; }

// The angle of step i of a scan axis: what the points carry and the axes give.
double AxisAngle(double from, double step, long i) { return from + i * step; }

std::vector<double> Axis(double from, double to, int points) {
  std::vector<double> axis(static_cast<std::size_t>(std::max(points, 1)));
  const double step = StepArcsec(from, to, points);
  for (std::size_t i = 0; i < axis.size(); ++i) axis[i] = AxisAngle(from, step, static_cast<long>(i));
  return axis;
}

ScanGrid GridOf(const MbdSolver& solver, const MbdGeometry& geometry, const ScanSetup& setup) {
  ScanGrid grid;
  grid.thetaStepArcsec = StepArcsec(setup.thetaFromArcsec, setup.thetaToArcsec, setup.thetaPoints);
  grid.phiStepArcsec = StepArcsec(setup.phiFromArcsec, setup.phiToArcsec, setup.phiPoints);
  grid.theta0 = geometry.BraggAngle() + setup.thetaFromArcsec * core::kArcsecond;
  grid.thetaStep = grid.thetaStepArcsec * core::kArcsecond;
  grid.phiStart = geometry.PrincipalAzimuthDeg().value_or(0.0) * core::kDegree + setup.phiFromArcsec * core::kArcsecond;
  grid.phiStep = grid.phiStepArcsec * core::kArcsecond;
  grid.energy = solver.Energy() + setup.energyOffsetEv;
  const double psi = setup.polarisationDeg * core::kDegree;
  grid.cosPsi = std::cos(psi);
  grid.sinPsi = std::sin(psi);
  grid.total = static_cast<long>(std::max(setup.thetaPoints, 1)) * std::max(setup.phiPoints, 1);
  return grid;
}

// One incidence: directions in the crystal frame and the solver's inputs.
struct Incidence {
  Vec3 k0, sigma, pi;
  Vec3 k0Solver;
  ComplexVec3 h0;
};

bool MakeIncidence(const MbdGeometry& geometry, double theta, double phi, const ScanGrid& grid, Incidence& in) {
  in.k0 = geometry.IncidentDirection(theta, phi);
  if (!geometry.Enters(theta, phi)) return false;
  in.sigma = geometry.Sigma(phi);
  in.pi = geometry.Pi(theta, phi);
  const Vec3 h0 = grid.cosPsi * in.pi - grid.sinPsi * in.sigma;
  in.k0Solver = geometry.ToSolverFrame(in.k0);
  const Vec3 h0Solver = geometry.ToSolverFrame(h0);
  in.h0 = {h0Solver.x, h0Solver.y, h0Solver.z};
  return true;
}

SolverOutcome Call(MbdSolver& solver, const ScanSetup& setup, double energy, const Incidence& in) {
  const int beam = setup.options.beam;
  if (setup.thicknessAngstrom < 0) return solver.HalfSpace(energy, in.k0Solver, in.h0, beam);
  return solver.Slab(energy, in.k0Solver, in.h0, setup.thicknessAngstrom, beam, setup.options.exitSide);
}

// The outcome of one scan point, kept until it is handed on in order.
struct PointWork {
  PointResult point;
  bool written = false;
  long failures = 0;
  SolverOutcome firstFailure;
  bool backReflection = false;
};

void NoteFailure(PointWork& work, const SolverOutcome& outcome) {
  if (outcome.status != SolverStatus::ModeCountMismatch && outcome.status != SolverStatus::NoBoundarySolution) return;
  if (work.failures++ == 0) work.firstFailure = outcome;
}

// Runs `compute` for every point, in chunks computed in parallel (by the
// runner's processes, each with its threads) and handed on in order; each
// worker thread owns a copy of the solver.
template <class Compute>
ScanSummary RunPoints(const MbdSolver& solver, long total, int threads, long pointsPerThread, core::Progress& progress,
                      core::Notifier& notifier, const PointSink& sink, core::PointRunner& runner, Compute compute) {
  ScanSummary summary;
  if (threads <= 0) threads = omp_get_max_threads();
  threads = static_cast<int>(std::clamp<long>(threads, 1, std::max<long>(total, 1)));
  std::vector<MbdSolver> workers(static_cast<std::size_t>(threads), solver);
  core::PercentCounter counter(progress, total);
  core::CoalescingNotifier notices(notifier);
  bool backReflectionTold = false;

  core::TypedLoop<PointWork> loop;
  loop.total = total;
  loop.chunkPoints = threads * pointsPerThread;
  loop.compute = [&](long first, std::span<PointWork> block) {
    const long count = static_cast<long>(block.size());
#pragma omp parallel for schedule(dynamic) num_threads(threads)
    for (long i = 0; i < count; ++i) {
      if (progress.Cancelled()) continue;
      PointWork& work = block[static_cast<std::size_t>(i)];
      compute(workers[static_cast<std::size_t>(omp_get_thread_num())], first + i, work);
      work.point.index = first + i;
    }
  };
  loop.accept = [&](long, std::span<const PointWork> block) {
    for (const PointWork& work : block) {
      if (summary.cancelled || progress.Cancelled()) {
        summary.cancelled = true;
        return;
      }
      if (work.failures > 0) {
        summary.solverFailures += work.failures;
        for (long f = 0; f < work.failures; ++f)
          notices.Notify(SolverMessage(work.firstFailure), core::MessageIcon::None);
      }
      if (work.backReflection && !backReflectionTold) {
        backReflectionTold = true;
        notices.Notify(kBackReflectionMessage, core::MessageIcon::None);
      }
      if (work.written) {
        sink(work.point);
        ++summary.linesEmitted;
      } else {
        ++summary.pointsSkipped;
      }
      counter.Advance();
    }
  };
  if (!core::RunLoop(runner, loop, progress)) summary.cancelled = true;
  return summary;
}

}  // namespace

std::vector<double> ThetaAxisArcsec(const ScanSetup& setup) {
  return Axis(setup.thetaFromArcsec, setup.thetaToArcsec, setup.thetaPoints);
}

std::vector<double> PhiAxisArcsec(const ScanSetup& setup) {
  return Axis(setup.phiFromArcsec, setup.phiToArcsec, setup.phiPoints);
}

std::string ValidateScan(ScanSetup& setup) {
  setup.polarisationDeg = std::isnan(setup.polarisationDeg) ? 0.0 : std::clamp(setup.polarisationDeg, 0.0, 90.0);
  if (!(setup.thetaToArcsec >= setup.thetaFromArcsec + 0.001)) return "Invalid Delta omega range!";
  setup.thetaPoints = std::max(setup.thetaPoints, 1);
  if (!(setup.phiToArcsec >= setup.phiFromArcsec + 0.001)) return "Invalid Delta Phi range!";
  setup.phiPoints = std::max(setup.phiPoints, 1);
  return {};
}

void ClampConvolution(ConvolutionSetup& s) {
  s.fwhmEv = std::max(s.fwhmEv, 0.0);
  s.energyRangeEv = std::max(s.energyRangeEv, 0.0);
  if (s.energyPoints < 1 || s.energyRangeEv < 1e-10) s.energyPoints = 1;
  s.thetaDivergenceMicroradians = std::max(s.thetaDivergenceMicroradians, 0.0);
  if (s.thetaPoints < 1 || s.thetaDivergenceMicroradians < 1e-10) s.thetaPoints = 1;
  s.phiDivergenceMicroradians = std::max(s.phiDivergenceMicroradians, 0.0);
  if (s.phiPoints < 1 || s.phiDivergenceMicroradians < 1e-10) s.phiPoints = 1;
}

ScanSummary RunPlaneWaveScan(const MbdSolver& solver, const MbdGeometry& geometry, const ScanSetup& setup,
                             core::Progress& progress, core::Notifier& notifier, const PointSink& sink, int threads,
                             core::PointRunner& runner) {
  const ScanGrid grid = GridOf(solver, geometry, setup);
  const long phiPoints = std::max(setup.phiPoints, 1);
  auto compute = [&](MbdSolver& worker, long index, PointWork& work) {
    const long c = index / phiPoints;
    const long d = index % phiPoints;
    Incidence in;
    if (!MakeIncidence(geometry, grid.theta0 + c * grid.thetaStep, grid.phiStart + d * grid.phiStep, grid, in)) return;
    const SolverOutcome outcome = Call(worker, setup, grid.energy, in);
    NoteFailure(work, outcome);
    const bool amplitudeValid = outcome.status == SolverStatus::Ok;
    const ExitBeam exit = AnalyseExitBeam(worker, geometry, setup.options, in.k0, in.sigma, in.pi, amplitudeValid);
    work.point.deltaThetaArcsec = AxisAngle(setup.thetaFromArcsec, grid.thetaStepArcsec, c);
    work.point.deltaPhiArcsec = AxisAngle(setup.phiFromArcsec, grid.phiStepArcsec, d);
    FillPlaneWavePoint(work.point, exit, geometry, outcome.value, amplitudeValid);
    work.backReflection = !exit.basisDefined;
    work.written = true;
  };
  return RunPoints(solver, grid.total, threads, 8, progress, notifier, sink, runner, compute);
}

ScanSummary RunConvolution(const MbdSolver& solver, const MbdGeometry& geometry, const ScanSetup& setup,
                           const ConvolutionSetup& settings, core::Progress& progress, core::Notifier& notifier,
                           const PointSink& sink, int threads, core::PointRunner& runner) {
  ConvolutionSetup conv = settings;
  ClampConvolution(conv);
  const ScanGrid grid = GridOf(solver, geometry, setup);
  const long phiPoints = std::max(setup.phiPoints, 1);

  // Spectrum: a Gaussian in wavelength of FWHM Δλ = hc·FWHM/E²; flat when
  // Δλ vanishes.
  const double energy = solver.Energy();
  const double deltaLambda = core::kHcEvAngstrom * conv.fwhmEv / (energy * energy);
  const double exponent = deltaLambda <= 1e-10 ? 0.0 : -4 * std::log(2.0) / (deltaLambda * deltaLambda);
  const double lambdaCentre = core::kHcEvAngstrom / grid.energy;
  const double energyStep = conv.energyPoints > 1 ? conv.energyRangeEv / (conv.energyPoints - 1) : 1.0;
  std::vector<double> energies(static_cast<std::size_t>(conv.energyPoints));
  std::vector<double> weights(energies.size());
  for (int i = 0; i < conv.energyPoints; ++i) {
    energies[i] = grid.energy - conv.energyRangeEv / 2 + i * energyStep;
    const double offset = core::kHcEvAngstrom / energies[i] - lambdaCentre;
    weights[i] = std::exp(exponent * offset * offset);
  }
  const double thetaStep =
      conv.thetaPoints > 1 ? conv.thetaDivergenceMicroradians / (conv.thetaPoints - 1) : 1.0;  // µrad
  const double phiStep = conv.phiPoints > 1 ? conv.phiDivergenceMicroradians / (conv.phiPoints - 1) : 1.0;
  std::vector<double> thetaOffsets(static_cast<std::size_t>(conv.thetaPoints));
  std::vector<double> phiOffsets(static_cast<std::size_t>(conv.phiPoints));
  for (int k = 0; k < conv.thetaPoints; ++k)
    thetaOffsets[k] = (k * thetaStep - conv.thetaDivergenceMicroradians / 2) * core::kMicroradian;
  for (int j = 0; j < conv.phiPoints; ++j)
    phiOffsets[j] = (j * phiStep - conv.phiDivergenceMicroradians / 2) * core::kMicroradian;

  const bool wantComponents = setup.options.components;
  auto compute = [&](MbdSolver& worker, long index, PointWork& work) {
    const long c = index / phiPoints;
    const long d = index % phiPoints;
    const double thetaCentre = grid.theta0 + c * grid.thetaStep;
    const double phiCentre = grid.phiStart + d * grid.phiStep;
    double energySum = 0, componentEnergySum = 0;
    for (std::size_t i = 0; i < energies.size(); ++i) {
      double phiSum = 0, componentPhiSum = 0;
      for (double phiOffset : phiOffsets) {
        double thetaSum = 0, componentThetaSum = 0;
        for (double thetaOffset : thetaOffsets) {
          Incidence in;
          if (!MakeIncidence(geometry, thetaCentre + thetaOffset, phiCentre + phiOffset, grid, in)) continue;
          const SolverOutcome outcome = Call(worker, setup, energies[i], in);
          NoteFailure(work, outcome);
          if (outcome.status == SolverStatus::Evanescent) continue;
          thetaSum += outcome.value;
          if (!wantComponents || outcome.status != SolverStatus::Ok) continue;
          const ExitBeam exit = AnalyseExitBeam(worker, geometry, setup.options, in.k0, in.sigma, in.pi, true);
          if (!exit.basisDefined) {
            work.backReflection = true;
            continue;
          }
          componentThetaSum += std::norm(exit.a2) * exit.r;
        }
        phiSum += thetaStep * thetaSum;
        componentPhiSum += thetaStep * componentThetaSum;
      }
      energySum += weights[i] * phiStep * phiSum;
      componentEnergySum += weights[i] * phiStep * componentPhiSum;
    }
    work.point.deltaThetaArcsec = AxisAngle(setup.thetaFromArcsec, grid.thetaStepArcsec, c);
    work.point.deltaPhiArcsec = AxisAngle(setup.phiFromArcsec, grid.phiStepArcsec, d);
    work.point.value = energyStep * energySum;
    work.point.component1 = energyStep * componentEnergySum;
    work.point.component2 = work.point.value - work.point.component1;
    work.written = true;
  };
  return RunPoints(solver, grid.total, threads, 2, progress, notifier, sink, runner, compute);
}

}  // namespace velto::mbd
