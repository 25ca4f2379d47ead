#pragma once
#include <cstddef>
#include <functional>
#include <span>
#include <type_traits>

#include "core/Progress.h"

namespace velto::core {

// How a long loop shares out its points [0, total): in chunks of
// consecutive points, each computed by the threads of one process, with the
// results handed on in the order of the points. A point's result is a
// record of fixed size that may carry an input (the partial sum of an
// earlier block of a convolution, say): `prepare` writes it before the
// chunk is computed, `compute` turns it into the result, `accept` receives
// the results in order. Records are plain bytes, so that a runner may
// compute a chunk in another process; `compute` must therefore read nothing
// but the record and the loop's fixed inputs. `prepare` and `accept` run on
// one thread, the caller's.
class PointRunner {
 public:
  using Prepare = std::function<void(long first, long count, std::byte* records)>;
  using Compute = std::function<void(long first, long count, std::byte* records)>;
  using Accept = std::function<void(long first, long count, const std::byte* records)>;

  struct Loop {
    long total = 0;
    std::size_t recordSize = 0;
    long chunkPoints = 1;  // points of one chunk, enough to keep a process's threads busy
    Prepare prepare;
    Compute compute;
    Accept accept;
  };

  virtual ~PointRunner() = default;
  // False on a process that only computes chunks for another one: `accept`
  // is never called there, and whatever the loop produces goes elsewhere.
  virtual bool ReceivesResults() const = 0;
  // Runs the loop. False when it ended early: `progress` was cancelled, or
  // a process sharing the loop has failed.
  virtual bool Run(const Loop& loop, const Progress& progress) = 0;
};

// Every chunk computed here, one after the other.
class LocalPointRunner final : public PointRunner {
 public:
  bool ReceivesResults() const override { return true; }
  bool Run(const Loop& loop, const Progress& progress) override;
};

// The runner of a loop given none: this process alone.
PointRunner& LocalRunner();

// A loop of typed records. Record must be trivially copyable (it may
// travel between processes); without a `prepare` each record starts
// value-initialised.
template <class Record>
struct TypedLoop {
  static_assert(std::is_trivially_copyable_v<Record>);
  long total = 0;
  long chunkPoints = 1;
  std::function<void(long first, std::span<Record> records)> prepare;
  std::function<void(long first, std::span<Record> records)> compute;
  std::function<void(long first, std::span<const Record> records)> accept;
};

template <class Record>
bool RunLoop(PointRunner& runner, const TypedLoop<Record>& typed, const Progress& progress) {
  PointRunner::Loop loop;
  loop.total = typed.total;
  loop.recordSize = sizeof(Record);
  loop.chunkPoints = typed.chunkPoints;
  const auto records = [](std::byte* bytes, long count) {
    return std::span<Record>(reinterpret_cast<Record*>(bytes), static_cast<std::size_t>(count));
  };
  loop.prepare = [&typed, records](long first, long count, std::byte* bytes) {
    std::span<Record> span = records(bytes, count);
    if (typed.prepare) {
      typed.prepare(first, span);
    } else {
      for (Record& record : span) record = Record{};
    }
  };
  loop.compute = [&typed, records](long first, long count, std::byte* bytes) {
    typed.compute(first, records(bytes, count));
  };
  loop.accept = [&typed](long first, long count, const std::byte* bytes) {
    typed.accept(first,
                 std::span<const Record>(reinterpret_cast<const Record*>(bytes), static_cast<std::size_t>(count)));
  };
  return runner.Run(loop, progress);
}

}  // namespace velto::core
