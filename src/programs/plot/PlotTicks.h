#pragma once
#include <string>
#include <vector>

// Tick marks of a plot axis. The step rule is the one the program windows
// use for their scan axes (1, 2 or 5 times a power of ten, five to ten
// steps over the range), applied to whatever range is shown, so a zoomed
// view gets ticks as fine as it needs.
namespace velto::programs {

struct AxisTickMarks {
  std::vector<double> major, minor;
  double step = 0;                  // between major ticks; 0 when the range has none
  std::vector<std::string> labels;  // one per major tick
};

// The major step for a range r > 0: K/5, K/2 or K for the power of ten K
// with 1 < r/K ≤ 10, by r/K ≤ 2, ≤ 5 or above.
double NiceTickStep(double range);

// Ticks at the multiples of the nice step inside [min, max], minor ticks at
// a fifth of it; labels with just the decimals the step needs.
AxisTickMarks LinearTicks(double min, double max);

// Ticks of a logarithmic axis over [min, max] (both > 0): the decades as
// major ticks (every second or more when there are many), 2…9 times each
// decade as minor ones when the range spans few decades; a range with fewer
// than two decades in it gets the linear ticks instead.
AxisTickMarks LogarithmicTicks(double min, double max);

// A value written with the decimals that tell it apart from values
// `resolution` away ("12.35", "0.2", "-3"), in the program's number format;
// what is zero but for rounding ("3.6e-15" on an axis of tenths) is 0.
std::string FormatResolved(double value, double resolution);

}  // namespace velto::programs
