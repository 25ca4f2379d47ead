#pragma once
#include <array>

#include "mbd/LatticeBasis.h"
#include "mbd/Vec3.h"
#include "programs/ui/FormField.h"
#include "programs/ui/UserInterface.h"

namespace velto::programs {

// The model of `CDlgMBDHorizD`, "Horizontal Reference Direction": the
// direction H of azimuth zero as a reciprocal vector h a* + k b* + l c*
// (fractions allowed), which must lie in the Bragg plane of G.
class HorizontalReferenceForm : public DialogModel {
 public:
  static constexpr const char* kTitle = "Horizontal Reference Direction";
  static constexpr const char* kText1 =
      "Horizontal Reference Direction perpendicular to Primary Reflection vector (G), corresponding to Azimuthal "
      "angle = 0.";
  static constexpr const char* kText2 =
      "The direction is expressed as a reciprocal vector ha* + kb* + lc*  (h k l can be fractional):";
  static constexpr const char* kText3 = "i.e. the ( h k l ) lattice plane must be perpendicular to the Bragg plane.";
  static constexpr const char* kAllZero = "h k l must NOT be all zero!";
  static constexpr std::array<const char*, 3> kFieldNames{"reference h", "reference k", "reference l"};

  HorizontalReferenceForm(const mbd::LatticeBasis& lattice, mbd::Miller g, mbd::Vec3 current);

  FormField& Index(int i) { return index_[static_cast<std::size_t>(i)]; }
  // "-" (step −1) and "+" (step +1) under field i: the value typed, moved by
  // one and written back.
  void Step(int i, int step);
  // OK: true when the dialog may close; the direction is then Value().
  bool Ok(UserInterface& ui);
  mbd::Vec3 Value() const { return value_; }

 private:
  mbd::LatticeBasis lattice_;
  mbd::Miller g_;
  mbd::Vec3 value_;
  std::array<FormField, 3> index_;
};

}  // namespace velto::programs
