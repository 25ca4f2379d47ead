#include "programs/parasitic/ParasiticReflections.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "mbd/ReflectionRules.h"

namespace velto::programs {
namespace {

std::string Spaced(const Indices& v) {
  return std::to_string(v[0]) + " " + std::to_string(v[1]) + " " + std::to_string(v[2]);
}

// The integer square root of n when n is a perfect square.
std::optional<long long> ExactRoot(long long n) {
  if (n < 0) return std::nullopt;
  auto r = static_cast<long long>(std::llround(std::sqrt(static_cast<double>(n))));
  while (r * r > n) --r;
  while ((r + 1) * (r + 1) <= n) ++r;
  if (r * r != n) return std::nullopt;
  return r;
}

}  // namespace

Indices CrossIndices(const Indices& u, const Indices& v) {
  return {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
}

Indices ReduceIndices(Indices v) {
  long long m = std::max({std::llabs(v[0]), std::llabs(v[1]), std::llabs(v[2])});
  if (m <= 1) return v;
  while (v[0] % 2 == 0 && v[1] % 2 == 0 && v[2] % 2 == 0) {
    for (auto& x : v) x /= 2;
    m /= 2;
  }
  for (long long i = 3; i <= m; i += 2) {
    while (v[0] % i == 0 && v[1] % i == 0 && v[2] % i == 0) {
      for (auto& x : v) x /= i;
      m /= i;
    }
  }
  return v;
}

ParasiticResult CalculateParasiticReflections(int h, int k, int l, bool diamondStructure) {
  ParasiticResult result;
  for (const auto& [value, field] : {std::pair{h, "h"}, std::pair{k, "k"}, std::pair{l, "l"}}) {
    if (std::abs(static_cast<long long>(value)) > kParasiticMaxIndex) {
      result.refusal = Refusal{"Enter an integer between -999 and 999.", core::MessageIcon::Warning, field};
      return result;
    }
  }
  if (diamondStructure && !mbd::DiamondAllowed(h, k, l)) {
    result.refusal = Refusal{kForbiddenPrimaryMessage, core::MessageIcon::None, ""};
    return result;
  }
  const Indices primary = {h, k, l};
  const long long bound =
      static_cast<long long>(std::sqrt(static_cast<double>(primary[0] * primary[0] + primary[1] * primary[1] +
                                                           primary[2] * primary[2]))) +
      2;
  // For each (h, k) the condition is a quadratic in l,
  // l² − L·l + (h² + k² − H·h − K·k) = 0, whose integer roots come out in
  // ascending order: the same reflections, in the same order, as a scan of
  // every l from −R to R.
  for (long long a = -bound; a <= bound; ++a) {
    for (long long b = -bound; b <= bound; ++b) {
      const long long c0 = a * a + b * b - primary[0] * a - primary[1] * b;
      const auto root = ExactRoot(primary[2] * primary[2] - 4 * c0);
      if (!root) continue;
      const int roots = *root == 0 ? 1 : 2;  // a double root counts once
      for (int r = 0; r < roots; ++r) {
        const long long twice = r == 0 ? primary[2] - *root : primary[2] + *root;
        if (twice % 2 != 0) continue;
        const long long c = twice / 2;
        if (c < -bound || c > bound) continue;
        const Indices reflection = {a, b, c};
        if (reflection == Indices{0, 0, 0} || reflection == primary) continue;
        if (diamondStructure && !mbd::DiamondAllowed(static_cast<int>(a), static_cast<int>(b), static_cast<int>(c))) {
          continue;
        }
        const Indices n1 = ReduceIndices(CrossIndices(primary, reflection));
        const Indices n2 = ReduceIndices(CrossIndices(primary, n1));
        ++result.count;
        result.text += std::to_string(result.count) + ":\t" + Spaced(reflection) + "\tCMBDP  ( " + Spaced(n2) +
                       " )\tHRD  [ " + Spaced({-n1[0], -n1[1], -n1[2]}) + " ]\r\n";
      }
    }
  }
  return result;
}

}  // namespace velto::programs
