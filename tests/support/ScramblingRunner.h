#pragma once
#include <algorithm>
#include <cstddef>
#include <vector>

#include "core/PointRunner.h"

namespace velto::testing {

// A runner that does what a queue among processes may do: it prepares every
// chunk in order, computes them in the reverse order, each on a copy of its
// records (as if in another process), and accepts them in order. A loop
// whose results depend on the order of the chunks, or that computes from
// anything but its records and fixed inputs, gives other results here.
class ScramblingRunner final : public core::PointRunner {
 public:
  explicit ScramblingRunner(long chunkPoints = 0) : chunkPoints_(chunkPoints) {}
  bool ReceivesResults() const override { return true; }
  bool Run(const Loop& loop, const core::Progress& progress) override {
    const long chunk = chunkPoints_ > 0 ? chunkPoints_ : std::max(loop.chunkPoints, 1L);
    struct Chunk {
      long first, count;
      std::vector<std::byte> records;
    };
    std::vector<Chunk> chunks;
    for (long first = 0; first < loop.total; first += chunk) {
      Chunk c{first, std::min(chunk, loop.total - first), {}};
      c.records.resize(static_cast<std::size_t>(c.count) * loop.recordSize);
      loop.prepare(c.first, c.count, c.records.data());
      chunks.push_back(std::move(c));
    }
    for (auto c = chunks.rbegin(); c != chunks.rend(); ++c) {
      std::vector<std::byte> copy = c->records;
      loop.compute(c->first, c->count, copy.data());
      c->records = std::move(copy);
    }
    for (const Chunk& c : chunks) loop.accept(c.first, c.count, c.records.data());
    ++loops;
    return !progress.Cancelled();
  }
  int loops = 0;

 private:
  long chunkPoints_;
};

}  // namespace velto::testing
