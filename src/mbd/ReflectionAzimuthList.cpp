#include "mbd/ReflectionAzimuthList.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <stdexcept>

namespace velto::mbd {

std::size_t ReflectionAzimuthList::MillerHash::operator()(Miller m) const noexcept {
  // Indices of a map stay far below 2^21 in magnitude; the mix keeps
  // neighbouring reflections in different buckets.
  const auto part = [](int v) { return static_cast<std::uint64_t>(static_cast<std::uint32_t>(v)) & 0x1fffff; };
  const std::uint64_t key = part(m.h) << 42 | part(m.k) << 21 | part(m.l);
  return static_cast<std::size_t>(key * 0x9e3779b97f4a7c15ull >> 16);
}

ReflectionAzimuthList::ReflectionAzimuthList(std::size_t initialCapacity) {
  try {
    entries_.reserve(std::max<std::size_t>(initialCapacity, 1));
  } catch (const std::bad_alloc&) {
    // An empty list that cannot even start still works: the first append reports.
  }
}

bool ReflectionAzimuthList::MakeRoom(core::Notifier& notifier) {
  if (entries_.size() < entries_.capacity()) return true;
  try {
    entries_.reserve(std::max<std::size_t>(2 * entries_.capacity(), 1));
    return true;
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  notifier.Notify(kOutOfMemoryMessage, core::MessageIcon::Stop);
  return false;
}

bool ReflectionAzimuthList::AppendWithValues(Miller hkl, double value1, double value2, core::Notifier& notifier) {
  if (!MakeRoom(notifier)) return false;
  if (indexed_) {
    try {
      index_.try_emplace(hkl, entries_.size());
    } catch (const std::bad_alloc&) {
      notifier.Notify(kOutOfMemoryMessage, core::MessageIcon::Stop);
      return false;
    }
  }
  entries_.push_back({hkl, value1, value2});
  return true;
}

ReflectionAzimuthList::Append ReflectionAzimuthList::AppendBare(Miller hkl, bool skipDuplicates,
                                                               core::Notifier& notifier) {
  if (skipDuplicates && Contains(hkl)) return Append::Duplicate;
  return AppendWithValues(hkl, kNoAngle, kNoAngle, notifier) ? Append::Added : Append::OutOfMemory;
}

long ReflectionAzimuthList::Find(Miller hkl) const {
  if (!indexed_) {
    try {
      index_.reserve(entries_.size());
      for (std::size_t i = 0; i < entries_.size(); ++i) index_.try_emplace(entries_[i].hkl, i);
      indexed_ = true;
    } catch (const std::bad_alloc&) {
      // Without room for the index the list is searched from the start.
      index_.clear();
      for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].hkl == hkl) return static_cast<long>(i);
      return -1;
    }
  }
  const auto found = index_.find(hkl);
  return found == index_.end() ? -1 : static_cast<long>(found->second);
}

bool ReflectionAzimuthList::Contains(Miller hkl) const { return Find(hkl) >= 0; }

void ReflectionAzimuthList::Clear() {
  entries_.clear();
  index_.clear();
  indexed_ = false;
}

void ReflectionAzimuthList::SetValues(std::size_t i, double value1, double value2) {
  entries_[i].value1 = value1;
  entries_[i].value2 = value2;
}

}  // namespace velto::mbd
