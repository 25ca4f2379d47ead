#pragma once
#include <cstddef>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/Notifier.h"
#include "mbd/AzimuthEquation.h"
#include "mbd/Vec3.h"

namespace velto::mbd {

// The text shown when a list cannot grow.
inline constexpr std::string_view kOutOfMemoryMessage = "Fatal problem: Out of memoery!";

// A growable list of reflections with two angle slots, shared by the
// reflection search and the MBD-line map. A map of a large cell or a high
// energy holds millions of points and tens of thousands of reflections, so
// appending and looking up cost the same however long the list is: it grows
// geometrically, and lookups by indices go through an index built on the
// first lookup. A failed growth leaves the list as it was.
class ReflectionAzimuthList {
 public:
  struct Entry {
    Miller hkl;
    double value1 = kNoAngle;
    double value2 = kNoAngle;
  };
  enum class Append { Added, Duplicate, OutOfMemory };

  // `initialCapacity` entries are reserved at once, so that a typical list
  // never grows.
  explicit ReflectionAzimuthList(std::size_t initialCapacity = 100);

  // Stores (hkl, value1, value2). On lack of memory tells the person and
  // returns false; the list keeps its old entries.
  bool AppendWithValues(Miller hkl, double value1, double value2, core::Notifier& notifier);
  // Stores hkl with both slots kNoAngle; with `skipDuplicates` nothing is
  // added when hkl is already present.
  Append AppendBare(Miller hkl, bool skipDuplicates, core::Notifier& notifier);

  bool Contains(Miller hkl) const;
  // Index of the first entry of hkl, or -1.
  long Find(Miller hkl) const;
  void Clear();

  std::size_t Count() const { return entries_.size(); }
  bool Empty() const { return entries_.empty(); }
  std::size_t Capacity() const { return entries_.capacity(); }
  const Entry& operator[](std::size_t i) const { return entries_[i]; }
  const std::vector<Entry>& Entries() const { return entries_; }
  // Fills the two value slots of entry i (the indices stay).
  void SetValues(std::size_t i, double value1, double value2);

 private:
  struct MillerHash {
    std::size_t operator()(Miller m) const noexcept;
  };
  bool MakeRoom(core::Notifier& notifier);

  std::vector<Entry> entries_;
  // First index of each hkl; built by the first lookup, then kept up to date
  // by every append. Lists that are only appended to and read in order (the
  // points of a map) never pay for it.
  mutable std::unordered_map<Miller, std::size_t, MillerHash> index_;
  mutable bool indexed_ = false;
};

}  // namespace velto::mbd
