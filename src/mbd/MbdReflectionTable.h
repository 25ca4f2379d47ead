#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "mbd/AzimuthEquation.h"
#include "mbd/MbdGeometry.h"
#include "mbd/Vec3.h"

namespace velto::mbd {

// One beam of the N-beam set.
struct MbdBeam {
  Miller hkl;
  double braggAngle = kNoAngle;  // radians, or kNoAngle without a Bragg angle
  double azimuth1 = kNoAngle;    // degrees
  double azimuth2 = kNoAngle;    // degrees
};

inline constexpr std::string_view kForbiddenQuestion =
    "This reflection or its combination with Major Reflection is forbidden for Si/Ge/C. Do you still want to "
    "include it? ";
inline constexpr std::string_view kNoBraggQuestion =
    "This reflection has no Bragg diffraction at current energy. Do you still want to include it? ";
inline constexpr std::string_view kTableFullMessage = "Maximum 100 reflections!";

// What adding a reflection came to. The two questions come back to the
// caller, who asks the person (No preselected) and, on Yes, calls Add again
// with the matching answer set.
enum class AddStatus {
  Added,
  TableFull,        // kTableFullMessage
  AlreadyIncluded,  // "h k l is already included!"
  AskForbidden,     // kForbiddenQuestion
  AskNoBraggAngle,  // kNoBraggQuestion
};

struct AddAnswers {
  bool includeForbidden = false;
  bool includeWithoutBraggAngle = false;
};

struct AddResult {
  AddStatus status = AddStatus::Added;
  std::string text;  // the message or question to show; empty when added
};

// The ordered beams of one computation: beam 0 is (0 0 0), the incident,
// specular and forward beam; beam 1 is G; the beams the user added follow in
// the order of adding. At most 100 beams.
class MbdReflectionTable {
 public:
  static constexpr int kCapacity = 100;

  explicit MbdReflectionTable(Miller g = {});

  // Back to the two beams 000 and G.
  void Reset(Miller g);
  // Adds reflection hkl (each index within −999 … 999, which the caller's
  // field checks) with its Bragg angle and azimuths at the energy of the
  // built frame `geometry`. `diamondMode` applies the Si/Ge/C rule.
  AddResult Add(Miller hkl, const MbdGeometry& geometry, bool diamondMode, AddAnswers answers = {});
  // Removes beam i (i ≥ 2); false when i names beam 0, beam 1 or no beam.
  bool Remove(int i);

  int Count() const { return static_cast<int>(beams_.size()); }
  const MbdBeam& operator[](int i) const { return beams_[static_cast<std::size_t>(i)]; }
  const std::vector<MbdBeam>& Beams() const { return beams_; }
  std::vector<Miller> Indices() const;

 private:
  std::vector<MbdBeam> beams_;
};

// "h k l" with single spaces, as the messages and lists show indices.
std::string IndicesText(Miller m);

}  // namespace velto::mbd
