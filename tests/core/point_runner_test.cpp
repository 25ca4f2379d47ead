#include "core/PointRunner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <utility>
#include <vector>

namespace velto::core {
namespace {

struct Square {
  long input = 0;
  long value = 0;
};

class CancelAfter final : public Progress {
 public:
  explicit CancelAfter(int polls) : left_(polls) {}
  void Report(int) override {}
  bool Cancelled() const override { return left_.fetch_sub(1) <= 0; }

 private:
  mutable std::atomic<int> left_;
};

TEST(LocalPointRunner, PreparesComputesAndAcceptsEveryChunkInOrder) {
  std::vector<std::pair<long, long>> chunks;
  std::vector<long> accepted;
  TypedLoop<Square> loop;
  loop.total = 10;
  loop.chunkPoints = 3;
  loop.prepare = [](long first, std::span<Square> records) {
    for (std::size_t i = 0; i < records.size(); ++i) records[i].input = first + static_cast<long>(i);
  };
  loop.compute = [&](long first, std::span<Square> records) {
    chunks.emplace_back(first, static_cast<long>(records.size()));
    for (Square& r : records) r.value = r.input * r.input;
  };
  loop.accept = [&](long first, std::span<const Square> records) {
    EXPECT_EQ(first, static_cast<long>(accepted.size()));
    for (const Square& r : records) accepted.push_back(r.value);
  };
  NoProgress progress;
  ASSERT_TRUE(RunLoop(LocalRunner(), loop, progress));
  EXPECT_EQ(chunks, (std::vector<std::pair<long, long>>{{0, 3}, {3, 3}, {6, 3}, {9, 1}}));
  EXPECT_EQ(accepted, (std::vector<long>{0, 1, 4, 9, 16, 25, 36, 49, 64, 81}));
  EXPECT_TRUE(LocalRunner().ReceivesResults());

  // Without a preparation every record starts value-initialised, also when
  // the buffer held an earlier chunk's results.
  loop.prepare = nullptr;
  loop.compute = [](long, std::span<Square> records) {
    for (Square& r : records) r.value += 1 + r.input;
  };
  accepted.clear();
  ASSERT_TRUE(RunLoop(LocalRunner(), loop, progress));
  EXPECT_EQ(accepted, std::vector<long>(10, 1));
}

TEST(LocalPointRunner, ACancelledLoopStopsBetweenChunksAndSaysSo) {
  long computed = 0;
  TypedLoop<Square> loop;
  loop.total = 100;
  loop.chunkPoints = 10;
  loop.compute = [&](long, std::span<Square> records) { computed += static_cast<long>(records.size()); };
  loop.accept = [](long, std::span<const Square>) {};
  CancelAfter early(3);
  EXPECT_FALSE(RunLoop(LocalRunner(), loop, early));
  EXPECT_EQ(computed, 30);

  // An empty loop computes nothing and completes.
  loop.total = 0;
  NoProgress never;
  computed = 0;
  EXPECT_TRUE(RunLoop(LocalRunner(), loop, never));
  EXPECT_EQ(computed, 0);
}

}  // namespace
}  // namespace velto::core
