#pragma once
#include <optional>
#include <vector>

#include "core/PointRunner.h"
#include "core/Progress.h"
#include "multicrystal/ConvolutionInput.h"
#include "multicrystal/CurveTrace.h"

namespace velto::multicrystal {

enum class ConvolutionStatus { Completed, Cancelled, OutOfMemory };

// For every rocking angle of the sample, the sum over the spectrum (weighted
// by the Gaussian or flat spectrum) and over the divergence of the product
// of the reflectivities of every crystal in the beam, normalised by
// δε·δλ·10⁹. On completion `intensity` holds the N values; a cancelled or
// failed run leaves it untouched.
//
// The rocking points run in parallel; each is summed by one thread in the
// order of the serial loop (spectral point j outer, divergence point k
// inner), so the curve does not depend on the number of threads. The
// monochromator does not move while the sample rocks: its reflectivity and
// the beam it sends on are computed once per (j, k) into a table (in blocks
// of spectral points when the table would be large) instead of once per
// rocking point. `tableEntries` bounds the table (entries of four doubles);
// the result does not depend on it. Progress counts rocking points per pass
// and block. `runner` shares the rocking points of each block out (among
// the processes of an MPI job, say); the curve does not depend on it either.
inline constexpr long kDefaultTableEntries = 1L << 19;  // 16 MB
ConvolutionStatus ComputeConvolution(const ConvolutionPlan& plan, std::vector<double>& intensity,
                                     core::Progress& progress, long tableEntries = kDefaultTableEntries,
                                     core::PointRunner& runner = core::LocalRunner());

// The computed curve as a trace of the sample's rocking angle, or none when
// its maximum does not exceed kSmallestPeak.
std::optional<CurveTrace> ConvolutedTrace(const ConvolutionPlan& plan, std::vector<double> intensity);

struct ConvolutionAnalysis {
  double peak = 0;
  int peakIndex = -1;
  std::optional<double> fwhm;  // arcsec; only when positive
};
ConvolutionAnalysis AnalyseConvolutedCurve(const CurveTrace& trace);

// The angle column of the export for point i: relative to the sample's
// nominal incidence θB − φ, or absolute (the trace's reference added).
double ConvolutionExportAngle(const CurveTrace& trace, int i, AngleUnit unit, bool absolute);

}  // namespace velto::multicrystal
