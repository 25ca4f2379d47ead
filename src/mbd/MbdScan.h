#pragma once
#include <functional>
#include <string>
#include <vector>

#include "core/Notifier.h"
#include "core/PointRunner.h"
#include "core/Progress.h"
#include "mbd/MbdGeometry.h"
#include "mbd/MbdResults.h"
#include "mbd/MbdSolver.h"

namespace velto::mbd {

// The Δθ/Δφ scan of a multiple-beam run, relative to θB of G and to the
// principal azimuth φ0, with the polarisation and thickness of the window.
struct ScanSetup {
  double thetaFromArcsec = -20;
  double thetaToArcsec = 30;
  int thetaPoints = 51;
  double phiFromArcsec = -20;
  double phiToArcsec = 20;
  int phiPoints = 41;
  double energyOffsetEv = 0;    // ΔE added to the solver's energy
  double polarisationDeg = 0;   // ψ: 0 = σ, 90 = π
  double thicknessAngstrom = -1;  // below 0: semi-infinite
  ResultOptions options;
};

// Checks and clamps a scan as the window does before a run: ψ into
// [0, 90], point counts of at least 1. Returns the refusal text ("Invalid
// Delta omega range!", "Invalid Delta Phi range!") or "" when the scan runs.
std::string ValidateScan(ScanSetup& setup);

// The Δθ and Δφ of the scan's grid in arcseconds, those its points carry
// (a checked setup: see ValidateScan).
std::vector<double> ThetaAxisArcsec(const ScanSetup& setup);
std::vector<double> PhiAxisArcsec(const ScanSetup& setup);

// The divergence and bandwidth of a convolution run.
struct ConvolutionSetup {
  double fwhmEv = 1;
  double energyRangeEv = 5;
  int energyPoints = 11;
  double thetaDivergenceMicroradians = 10;
  int thetaPoints = 11;
  double phiDivergenceMicroradians = 10;
  int phiPoints = 11;
};

// The clamps applied when the settings are read.
void ClampConvolution(ConvolutionSetup& setup);

struct ScanSummary {
  long linesEmitted = 0;   // points handed to the sink
  long pointsSkipped = 0;  // incident direction not entering the surface
  long solverFailures = 0; // (sub-)points whose solver call failed and counted 0
  bool cancelled = false;
};

// Receives the points in scan order (Δθ outer, Δφ inner).
using PointSink = std::function<void(const PointResult&)>;

// The plane-wave scan: one solver call per point. Points whose incident
// direction does not enter the surface are skipped. `threads` ≤ 0 uses every
// core; the points come out in the same order and with the same bits
// whatever the thread count and whatever `runner` shares the points out
// among (processes of an MPI job, say). Solver failures count 0 and are told once with
// a count; the back-reflection notice is told once per run.
ScanSummary RunPlaneWaveScan(const MbdSolver& solver, const MbdGeometry& geometry, const ScanSetup& setup,
                             core::Progress& progress, core::Notifier& notifier, const PointSink& sink, int threads = 0,
                             core::PointRunner& runner = core::LocalRunner());

// The convolution run: every point's intensity integrated over a Gaussian
// spectrum and the angular divergence in θ and φ. The value is
// dE·Σ w_i dφ Σ dθ Σ R (arbitrary units); component1 holds the same integral
// of the σ′ intensity and component2 the rest.
ScanSummary RunConvolution(const MbdSolver& solver, const MbdGeometry& geometry, const ScanSetup& setup,
                           const ConvolutionSetup& convolution, core::Progress& progress, core::Notifier& notifier,
                           const PointSink& sink, int threads = 0, core::PointRunner& runner = core::LocalRunner());

}  // namespace velto::mbd
