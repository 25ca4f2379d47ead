#pragma once
#include <array>
#include <optional>
#include <string>

#include "programs/Refusal.h"

// The parasitic reflections of a back reflection from a cubic crystal: every
// h on the sphere that has 0 and the primary reflection H as the ends of a
// diameter (h² = H·h), with the normal of its continuous multiple-beam
// diffraction plane and a horizontal reference direction. Integer
// arithmetic only; no crystal data.
namespace velto::programs {

// Three Miller-type indices. 64-bit so that the cross products of any
// indices the person can type cannot overflow.
using Indices = std::array<long long, 3>;

Indices CrossIndices(const Indices& u, const Indices& v);

// Divides the three numbers by their greatest common divisor, keeping the
// signs; (0 0 0) and vectors of magnitude at most 1 stay as they are.
Indices ReduceIndices(Indices v);

inline constexpr const char* kForbiddenPrimaryMessage = "The primary reflection is forbidden.";
// Indices beyond this would make the search run for hours; the other index
// fields of the suite stop at the same value.
inline constexpr int kParasiticMaxIndex = 999;

struct ParasiticResult {
  std::optional<Refusal> refusal;  // the output box then keeps its text
  std::string text;                // one CR LF terminated line per reflection
  int count = 0;
};

// "Calculate" of the parasitic-reflection tool for the primary reflection
// (H, K, L), with or without the diamond-structure rule.
ParasiticResult CalculateParasiticReflections(int h, int k, int l, bool diamondStructure);

}  // namespace velto::programs
