#pragma once
#include <cstddef>
#include <string_view>
#include <vector>

#include "core/Notifier.h"
#include "mbd/AzimuthEquation.h"
#include "mbd/Vec3.h"

namespace velto::mbd {

// The text shown when a list cannot grow.
inline constexpr std::string_view kOutOfMemoryMessage = "Fatal problem: Out of memoery!";

// A growable list of reflections with two angle slots, shared by the
// reflection search and the MBD-line map. It grows in fixed steps (not per
// entry), and a failed growth leaves the list as it was.
class ReflectionAzimuthList {
 public:
  struct Entry {
    Miller hkl;
    double value1 = kNoAngle;
    double value2 = kNoAngle;
  };
  enum class Append { Added, Duplicate, OutOfMemory };

  explicit ReflectionAzimuthList(std::size_t growthStep = 100);

  // Stores (hkl, value1, value2). On lack of memory tells the person and
  // returns false; the list keeps its old entries.
  bool AppendWithValues(Miller hkl, double value1, double value2, core::Notifier& notifier);
  // Stores hkl with both slots kNoAngle; with `skipDuplicates` nothing is
  // added when hkl is already present.
  Append AppendBare(Miller hkl, bool skipDuplicates, core::Notifier& notifier);

  bool Contains(Miller hkl) const;
  // Index of hkl, or -1.
  long Find(Miller hkl) const;
  void Clear() { entries_.clear(); }

  std::size_t Count() const { return entries_.size(); }
  bool Empty() const { return entries_.empty(); }
  std::size_t Capacity() const { return entries_.capacity(); }
  const Entry& operator[](std::size_t i) const { return entries_[i]; }
  Entry& operator[](std::size_t i) { return entries_[i]; }
  const std::vector<Entry>& Entries() const { return entries_; }

 private:
  bool MakeRoom(core::Notifier& notifier);

  std::size_t growthStep_;
  std::vector<Entry> entries_;
};

}  // namespace velto::mbd
