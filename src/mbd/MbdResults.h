#pragma once
#include <string>

#include "mbd/MbdGeometry.h"
#include "mbd/MbdSolver.h"
#include "mbd/Vec3.h"

namespace velto::mbd {

// The options of the results file, chosen in the save dialog before a run.
struct ResultOptions {
  bool exitSide = false;     // "Transmission (Exit Crystal Surface Side)"
  bool microradians = false; // "urad" instead of "Arcsec"
  bool deltaPhi = true;      // "Delta Phi"
  bool deltaTheta = true;    // "Delta theta"
  bool reflectivity = true;  // "Reflectivity"
  bool components = false;   // "Reflectivity components"
  bool amplitudes = false;   // "Wave Amplitudes" (plane-wave runs only)
  bool waveVector = false;   // "Diffracted Wavevector" (plane-wave runs only)
  int beam = 1;              // the beam whose intensity is written
  double rotationDeg = 0;    // ψ′: rotation of the exit polarisation axes from σ and π
};

inline constexpr const char* kBackReflectionMessage =
    "Exact 180 deg backward diffraction occurred at some point(s), Amplitudes not treated!";

// What one line of the results file can hold.
struct PointResult {
  // The point's place in the scan: Δθ step · Δφ points + Δφ step.
  long index = 0;
  double deltaPhiArcsec = 0;
  double deltaThetaArcsec = 0;
  double value = 0;  // R (plane wave) or the integrated intensity I (convolution)
  // Iσ′ and Iπ′ (plane wave); Iσ′ and I − Iσ′ (convolution).
  double component1 = 0;
  double component2 = 0;
  double amplitude1 = 0, phase1 = 0, amplitude2 = 0, phase2 = 0;  // |A1|, arg A1, |A2|, arg A2 (degrees)
  double kDotH = 0, kDotC = 0, kDotG = 0;                            // k̂b · Ĥ, Ĉ, Ĝ
  // False at an exact back-reflection: the groups from the components on
  // are then left out of the line.
  bool polarisationDefined = true;
};

// The polarisation-resolved quantities of the exit beam after a solver call
// for beam options.beam on the chosen side.
struct ExitBeam {
  double r = 0;               // Re γ(b) / Re γ(0)
  Vec3 direction;             // k̂b in the crystal frame
  bool basisDefined = false;  // false at an exact back-reflection
  Complex a1, a2;             // rotated components of the exit amplitude
};

// Forms k̂b, the exit polarisation basis and the rotated amplitude
// components A1, A2 from the solver's last call. `k0`, `sigma`, `pi` are the
// incident direction and polarisation vectors in the crystal frame;
// `amplitudeValid` is false when the call stored no amplitude (then A1 = A2 = 0).
ExitBeam AnalyseExitBeam(const MbdSolver& solver, const MbdGeometry& geometry, const ResultOptions& options, Vec3 k0,
                         Vec3 sigma, Vec3 pi, bool amplitudeValid);

// Fills the plane-wave line quantities from the solver's last call and its
// returned value `r`.
void FillPlaneWavePoint(PointResult& point, const ExitBeam& exit, const MbdGeometry& geometry, double value,
                        bool amplitudeValid);

// Formats numbers for the file: the suite's field format with the given
// number of decimals (the caller passes its FormatNumber).
using NumberFormatter = std::string (*)(double value, int decimals);

// One line of the results file, ending in "\n", with the groups chosen in
// `options` joined by ", "; empty when no group is chosen. `convolution`
// leaves out the amplitude and wave-vector groups.
std::string FormatResultLine(const PointResult& point, const ResultOptions& options, bool convolution,
                             NumberFormatter format);

}  // namespace velto::mbd
