#pragma once
#include <optional>
#include <vector>

namespace velto::multicrystal {

// Curves whose maximum does not exceed this are dropped: they have nothing
// to draw or export.
inline constexpr double kSmallestPeak = 1e-50;

// One stored curve of the multi-crystal programs: the values at the scan
// coordinates from + i·step (arcseconds or eV), with the peak and the
// absolute coordinate of the scan origin, so that a curve keeps what it
// needs for drawing and export however the form changes afterwards.
struct CurveTrace {
  std::vector<double> values;
  double from = 0, to = 0, step = 0;
  int count = 0;
  double peak = 0;
  // The absolute coordinate at relative 0: the nominal incidence angle in
  // radians, or the photon energy in eV of an energy scan.
  double reference = 0;

  double Coordinate(int i) const { return from + i * step; }
};

// The largest value and the half-maximum crossings of a sampled curve,
// linearly interpolated. Indices are fractional sample indices.
struct HalfMaximum {
  int maxIndex = -1;  // the first of equal largest values; -1 for no samples
  double maximum = 0;
  bool hasWidth = false;  // both crossings found (never at a maximum on either end)
  double left = 0, right = 0;

  double WidthInSamples() const { return right - left; }
  double CentreIndex() const { return (left + right) / 2; }
};
HalfMaximum FindHalfMaximum(const std::vector<double>& values);

// Linear interpolation between samples ⌊x⌋ and ⌊x⌋ + 1; the end values
// outside.
double ValueAt(const std::vector<double>& values, double x);

// The current and the previous curve of a program window, and how a new
// calculation moves them. Cancelled or refused calculations leave it as it
// is.
class CurveHistory {
 public:
  const std::optional<CurveTrace>& Current() const { return current_; }
  const std::optional<CurveTrace>& Previous() const { return previous_; }

  // The result of a completed calculation: the old previous curve goes, the
  // old current curve (if any) becomes the previous one, and `fresh` (none
  // when its curve was dropped) becomes the current one. Each curve carries
  // its own range, step, count and peak, so the overlay always draws a
  // curve with the numbers it was computed with.
  void Accept(std::optional<CurveTrace> fresh);
  void Clear();

  // The axis range that shows what is drawn: the current curve alone, or
  // with the overlay the smaller start, the larger end and the larger peak
  // of both curves (each alone when the other is missing).
  struct Range {
    double xmin = 0, xmax = 0, peak = 0;
  };
  std::optional<Range> PlotRange(bool withPrevious) const;

 private:
  std::optional<CurveTrace> current_;
  std::optional<CurveTrace> previous_;
};

}  // namespace velto::multicrystal
