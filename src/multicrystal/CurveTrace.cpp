#include "multicrystal/CurveTrace.h"

#include <algorithm>
#include <cmath>

namespace velto::multicrystal {

HalfMaximum FindHalfMaximum(const std::vector<double>& v) {
  HalfMaximum result;
  const int n = static_cast<int>(v.size());
  if (n == 0) return result;
  int m = 0;
  for (int i = 1; i < n; ++i)
    if (v[i] > v[m]) m = i;
  result.maxIndex = m;
  result.maximum = v[m];
  if (m == 0 || m == n - 1) return result;

  const double half = v[m] / 2;
  int j = m - 1;
  while (j >= 0 && !(v[j] <= half)) --j;
  if (j < 0) return result;
  // v[j] ≤ half < v[j + 1], so the difference is positive.
  result.left = j + (half - v[j]) / (v[j + 1] - v[j]);

  j = m + 1;
  while (j < n && !(v[j] <= half)) ++j;
  if (j >= n) return result;
  result.right = j - (half - v[j]) / (v[j - 1] - v[j]);
  result.hasWidth = true;
  return result;
}

double ValueAt(const std::vector<double>& v, double x) {
  if (v.empty()) return 0;
  if (!(x > 0)) return v.front();
  const double last = static_cast<double>(v.size() - 1);
  if (x >= last) return v.back();
  const auto i = static_cast<std::size_t>(std::floor(x));
  const double f = x - static_cast<double>(i);
  return v[i] + f * (v[i + 1] - v[i]);
}

void CurveHistory::Accept(std::optional<CurveTrace> fresh) {
  previous_.reset();
  if (current_ && current_->count > 0) previous_ = std::move(current_);
  current_ = std::move(fresh);
}

void CurveHistory::Clear() {
  current_.reset();
  previous_.reset();
}

std::optional<CurveHistory::Range> CurveHistory::PlotRange(bool withPrevious) const {
  const CurveTrace* a = current_ ? &*current_ : nullptr;
  const CurveTrace* b = (withPrevious && previous_) ? &*previous_ : nullptr;
  if (!a) std::swap(a, b);
  if (!a) return std::nullopt;
  Range range{a->from, a->to, a->peak};
  if (b) {
    range.xmin = std::min(range.xmin, b->from);
    range.xmax = std::max(range.xmax, b->to);
    range.peak = std::max(range.peak, b->peak);
  }
  return range;
}

}  // namespace velto::multicrystal
