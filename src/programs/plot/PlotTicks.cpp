#include "programs/plot/PlotTicks.h"

#include <algorithm>
#include <cmath>

#include "core/TextNumbers.h"
#include "shell/NumberText.h"

namespace velto::programs {
namespace {

// Tick counts beyond these are never drawn: a degenerate or absurd range
// must not make a paint event loop for long.
constexpr int kMaxMajor = 60;
constexpr int kMaxMinor = 400;

// The multiples of `step` inside [min, max], each computed from its index
// so that long axes do not accumulate rounding; a tick within a billionth
// of a step of an end still counts as inside.
std::vector<double> Multiples(double min, double max, double step, int limit) {
  std::vector<double> values;
  const double slack = 1e-9;
  const double first = std::ceil(min / step - slack);
  const double last = std::floor(max / step + slack);
  if (!(last - first < limit)) return values;
  for (double k = first; k <= last; ++k) {
    const double v = k * step;
    values.push_back(std::fabs(v) < step * slack ? 0.0 : v);
  }
  return values;
}

}  // namespace

double NiceTickStep(double range) {
  if (!(range > 0) || !std::isfinite(range)) return 0;
  double k = std::pow(10.0, std::floor(std::log10(range)));
  // log10 may land one decade off at exact powers of ten.
  if (range / k <= 1) k /= 10;
  if (range / k > 10) k *= 10;
  const double ratio = range / k;
  if (ratio <= 2) return k / 5;
  if (ratio <= 5) return k / 2;
  return k;
}

std::string FormatResolved(double value, double resolution) {
  resolution = std::fabs(resolution);
  if (!(resolution > 0) || !std::isfinite(resolution)) return shell::FormatNumber(value, 8);
  if (std::fabs(value) < resolution * 1e-6) value = 0;
  const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(resolution) + 1e-9)));
  // Tiny steps on a large offset (a zoom deep into one peak) need more
  // digits than the fixed form keeps; the general form has them all.
  if (decimals > 12) return shell::FormatNumber(value, 16);
  return shell::FormatNumber(value, std::max(decimals, 1));
}

AxisTickMarks LinearTicks(double min, double max) {
  AxisTickMarks ticks;
  if (!(max > min) || !std::isfinite(min) || !std::isfinite(max)) return ticks;
  ticks.step = NiceTickStep(max - min);
  if (!(ticks.step > 0)) return ticks;
  ticks.major = Multiples(min, max, ticks.step, kMaxMajor);
  ticks.minor = Multiples(min, max, ticks.step / 5, kMaxMinor);
  for (double v : ticks.major) ticks.labels.push_back(FormatResolved(v, ticks.step));
  return ticks;
}

AxisTickMarks LogarithmicTicks(double min, double max) {
  AxisTickMarks ticks;
  if (!(min > 0) || !(max > min) || !std::isfinite(max)) return ticks;
  const double low = std::log10(min), high = std::log10(max);
  const int first = static_cast<int>(std::floor(low + 1e-9));
  const int last = static_cast<int>(std::ceil(high - 1e-9));
  const int decades = last - first;
  if (decades > 4 * kMaxMajor) return ticks;
  // At most about eight labelled decades; beyond that every n-th one.
  const int every = std::max(1, (decades + 7) / 8);
  ticks.step = every;
  const double slack = 1e-9;
  for (int k = first; k <= last; ++k) {
    const double decade = std::pow(10.0, k);
    if (k % every == 0 && k >= low - slack && k <= high + slack) {
      ticks.major.push_back(decade);
      // "%g" writes decades as a reader expects them: 0.01, 1, 1e-05.
      ticks.labels.push_back(core::FormatGeneral(decade));
    }
    if (decades > 6) continue;
    for (int m = 2; m <= 9; ++m) {
      const double v = m * decade;
      const double lv = std::log10(v);
      if (lv >= low - slack && lv <= high + slack) ticks.minor.push_back(v);
    }
  }
  // Within a decade there is no decade to label: the plain ticks of the
  // range serve better than a bare axis.
  if (ticks.major.size() < 2) return LinearTicks(min, max);
  return ticks;
}

}  // namespace velto::programs
