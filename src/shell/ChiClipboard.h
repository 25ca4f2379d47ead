#pragma once
#include <array>

#include "crystal/CrystalParams.h"

namespace velto::shell {

// The application's one shared chi store: the structure-factor program copies
// the five components of a reflection into it and the crystal-definition
// dialog pastes them. Ten doubles, real part first, unscaled.
class ChiClipboard {
 public:
  // Real chi components are far below 1, so a first value above 1 marks a
  // store that has never been written.
  static constexpr double kNothingCopied = 100.0;

  bool HasChi() const { return !(values_[0] > 1.0); }
  const std::array<double, 10>& Values() const { return values_; }
  crystal::ReflectionChi Chi() const { return crystal::ReflectionChi::FromArray(values_); }

  void Store(const std::array<double, 10>& values) { values_ = values; }
  void Store(const crystal::ReflectionChi& chi) { values_ = chi.ToArray(); }

 private:
  std::array<double, 10> values_{kNothingCopied, 0, 0, 0, 0, 0, 0, 0, 0, 0};
};

}  // namespace velto::shell
