#include "mbd/ReflectionAzimuthList.h"

#include <algorithm>
#include <new>
#include <stdexcept>

namespace velto::mbd {

ReflectionAzimuthList::ReflectionAzimuthList(std::size_t growthStep) : growthStep_(std::max<std::size_t>(growthStep, 1)) {
  try {
    entries_.reserve(growthStep_);
  } catch (const std::bad_alloc&) {
    // An empty list that cannot even start still works: the first append reports.
  }
}

bool ReflectionAzimuthList::MakeRoom(core::Notifier& notifier) {
  if (entries_.size() < entries_.capacity()) return true;
  try {
    entries_.reserve(entries_.capacity() + growthStep_);
    return true;
  } catch (const std::bad_alloc&) {
    notifier.Notify(kOutOfMemoryMessage, core::MessageIcon::Stop);
    return false;
  } catch (const std::length_error&) {
    notifier.Notify(kOutOfMemoryMessage, core::MessageIcon::Stop);
    return false;
  }
}

bool ReflectionAzimuthList::AppendWithValues(Miller hkl, double value1, double value2, core::Notifier& notifier) {
  if (!MakeRoom(notifier)) return false;
  entries_.push_back({hkl, value1, value2});
  return true;
}

ReflectionAzimuthList::Append ReflectionAzimuthList::AppendBare(Miller hkl, bool skipDuplicates,
                                                               core::Notifier& notifier) {
  if (skipDuplicates && Contains(hkl)) return Append::Duplicate;
  return AppendWithValues(hkl, kNoAngle, kNoAngle, notifier) ? Append::Added : Append::OutOfMemory;
}

long ReflectionAzimuthList::Find(Miller hkl) const {
  for (std::size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].hkl == hkl) return static_cast<long>(i);
  return -1;
}

bool ReflectionAzimuthList::Contains(Miller hkl) const { return Find(hkl) >= 0; }

}  // namespace velto::mbd
