#include "core/PointRunner.h"

#include <algorithm>
#include <memory>

namespace velto::core {

bool LocalPointRunner::Run(const Loop& loop, const Progress& progress) {
  const long chunk = std::max(loop.chunkPoints, 1L);
  // Storage from new[] is aligned for any record type.
  const std::unique_ptr<std::byte[]> records(
      new std::byte[static_cast<std::size_t>(std::min(chunk, std::max(loop.total, 1L))) * loop.recordSize]);
  for (long first = 0; first < loop.total; first += chunk) {
    if (progress.Cancelled()) return false;
    const long count = std::min(chunk, loop.total - first);
    loop.prepare(first, count, records.get());
    loop.compute(first, count, records.get());
    loop.accept(first, count, records.get());
  }
  return !progress.Cancelled();
}

PointRunner& LocalRunner() {
  static LocalPointRunner runner;
  return runner;
}

}  // namespace velto::core
