#include "cli/mpi/MpiPointRunner.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <iostream>
#include <map>
#include <mutex>
#include <numeric>
#include <thread>

#include <time.h>

namespace velto::cli {
namespace {

enum Tag : int {
  kChunk = 1,  // 0 → rank: points to compute, with their prepared records
  kResult,     // rank → 0: the computed records of a chunk
  kEndLoop,    // 0 → rank: the loop is complete
  kStop,       // 0 → rank: the loop is broken off
  kClosing,    // 0 → rank: rank 0 has ended its command; no loop will come
  kFinish,     // rank → 0: the rank has ended its command (status, message)
  kFinal,      // 0 → rank: the status of the whole job
};

struct ChunkHeader {
  long loop = 0;
  long first = 0;
  long count = 0;
  double seconds = 0;   // the time the chunk took to compute (results)
  double queueCpu = 0;  // processor time of the rank's main thread outside computing since its last result
};

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The sleep between polls of a rank with nothing to do: short at first, so
// that a reply arriving at once costs nothing, then longer, up to a
// twentieth of the time a chunk takes to compute: a rank holds two chunks,
// so a late reply delays nobody, and polls of long chunks cost nothing.
class Backoff {
 public:
  std::chrono::microseconds Next() {
    const auto pause = delay_;
    delay_ = std::min(delay_ * 2, longest_);
    return pause;
  }
  void Reset() { delay_ = kShortest; }
  void FitTo(double chunkSeconds) {
    const auto fitted = std::chrono::microseconds(static_cast<long>(chunkSeconds / 20 * 1e6));
    longest_ = std::clamp(fitted, kShortest * 2, std::chrono::microseconds(20000));
  }

 private:
  static constexpr std::chrono::microseconds kShortest{20};
  std::chrono::microseconds delay_ = kShortest;
  std::chrono::microseconds longest_{1000};
};

// Processor time of the calling thread: the queue's own cost, which
// sleeping does not count.
double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

std::vector<std::byte> Pack(const ChunkHeader& header, const std::byte* records, std::size_t size) {
  std::vector<std::byte> bytes(sizeof header + size);
  std::memcpy(bytes.data(), &header, sizeof header);
  if (size > 0) std::memcpy(bytes.data() + sizeof header, records, size);
  return bytes;
}

ChunkHeader HeaderOf(const std::vector<std::byte>& bytes) {
  ChunkHeader header;
  if (bytes.size() >= sizeof header) std::memcpy(&header, bytes.data(), sizeof header);
  return header;
}

std::vector<std::byte> PackStatus(int status, const std::string& text = {}) {
  std::vector<std::byte> bytes(sizeof status + text.size());
  std::memcpy(bytes.data(), &status, sizeof status);
  std::memcpy(bytes.data() + sizeof status, text.data(), text.size());
  return bytes;
}

int StatusOf(const std::vector<std::byte>& bytes) {
  int status = 1;
  if (bytes.size() >= sizeof status) std::memcpy(&status, bytes.data(), sizeof status);
  return status;
}

}  // namespace

MpiPointRunner::MpiPointRunner(MPI_Comm world) {
  MPI_Comm_dup(world, &comm_);
  MPI_Comm_rank(comm_, &rank_);
  MPI_Comm_size(comm_, &size_);
  const auto ranks = static_cast<std::size_t>(size_);
  finished_.assign(ranks, false);
  finishStatus_.assign(ranks, 0);
  finishMessage_.assign(ranks, {});
  points_.assign(ranks, 0);
  busy_.assign(ranks, 0.0);
  queueCpu_.assign(ranks, 0.0);
}

MpiPointRunner::~MpiPointRunner() = default;

bool MpiPointRunner::Poll(Message& message, int source) {
  int flag = 0;
  MPI_Status status;
  MPI_Iprobe(source, MPI_ANY_TAG, comm_, &flag, &status);
  if (!flag) return false;
  int count = 0;
  MPI_Get_count(&status, MPI_BYTE, &count);
  message.source = status.MPI_SOURCE;
  message.tag = status.MPI_TAG;
  message.bytes.resize(static_cast<std::size_t>(count));
  MPI_Recv(message.bytes.data(), count, MPI_BYTE, status.MPI_SOURCE, status.MPI_TAG, comm_, MPI_STATUS_IGNORE);
  return true;
}

MpiPointRunner::Message MpiPointRunner::Wait(int source, double chunkSeconds) {
  Message message;
  Backoff backoff;
  backoff.FitTo(chunkSeconds);
  while (!Poll(message, source)) {
    CompleteSends(false);
    std::this_thread::sleep_for(backoff.Next());
  }
  return message;
}

bool MpiPointRunner::Waiting(int tag) {
  int flag = 0;
  MPI_Iprobe(0, tag, comm_, &flag, MPI_STATUS_IGNORE);
  return flag != 0;
}

// Sends never block the queue: a chunk larger than Open MPI's eager limit
// would otherwise wait until its rank has finished the chunk before.
void MpiPointRunner::Send(int rank, int tag, std::vector<std::byte> bytes) {
  Outgoing& out = outgoing_.emplace_back();
  out.bytes = std::move(bytes);
  MPI_Isend(out.bytes.data(), static_cast<int>(out.bytes.size()), MPI_BYTE, rank, tag, comm_, &out.request);
}

void MpiPointRunner::CompleteSends(bool all) {
  Backoff backoff;
  for (;;) {
    std::erase_if(outgoing_, [](Outgoing& out) {
      int done = 0;
      MPI_Test(&out.request, &done, MPI_STATUS_IGNORE);
      return done != 0;
    });
    if (!all || outgoing_.empty()) return;
    std::this_thread::sleep_for(backoff.Next());
  }
}

bool MpiPointRunner::Run(const Loop& loop, const core::Progress& progress) {
  ++loopId_;
  if (rank_ != 0) return Serve(loop);
  const Clock::time_point start = Clock::now();
  bool completed;
  if (size_ == 1) {
    completed = core::LocalRunner().Run(loop, progress);
    points_[0] += loop.total;
    busy_[0] += SecondsSince(start);
  } else {
    completed = Lead(loop, progress);
  }
  wall_ += SecondsSince(start);
  return completed;
}

bool MpiPointRunner::Lead(const Loop& loop, const core::Progress& progress) {
  const double cpuStart = ThreadCpuSeconds();
  double cpuInCallbacks = 0;  // preparing and accepting are the loop's, not the queue's
  const long chunk = std::max(loop.chunkPoints, 1L);
  long next = 0;
  const auto take = [&](long& first, long& count) {
    if (next >= loop.total) return false;
    first = next;
    count = std::min(chunk, loop.total - next);
    next += count;
    return true;
  };

  // Rank 0's own share, computed on a thread of its own so that the queue
  // is served while it computes.
  struct LocalChunk {
    long first = 0, count = 0;
    std::vector<std::byte> records;
    double seconds = 0;
  };
  std::mutex mutex;
  std::condition_variable work, finished;
  std::deque<LocalChunk> queue, done;
  bool stop = false;
  std::thread local([&] {
    for (;;) {
      LocalChunk c;
      {
        std::unique_lock lock(mutex);
        work.wait(lock, [&] { return stop || !queue.empty(); });
        if (stop) return;
        c = std::move(queue.front());
        queue.pop_front();
      }
      const Clock::time_point begun = Clock::now();
      loop.compute(c.first, c.count, c.records.data());
      c.seconds = SecondsSince(begun);
      {
        std::lock_guard lock(mutex);
        done.push_back(std::move(c));
      }
      finished.notify_one();
    }
  });

  const auto giveLocal = [&] {
    LocalChunk c;
    if (!take(c.first, c.count)) return;
    c.records.resize(static_cast<std::size_t>(c.count) * loop.recordSize);
    const double before = ThreadCpuSeconds();
    loop.prepare(c.first, c.count, c.records.data());
    cpuInCallbacks += ThreadCpuSeconds() - before;
    {
      std::lock_guard lock(mutex);
      queue.push_back(std::move(c));
    }
    work.notify_one();
  };
  std::vector<std::byte> scratch;
  const auto giveRank = [&](int rank) {
    ChunkHeader header{loopId_, 0, 0, 0};
    if (finished_[static_cast<std::size_t>(rank)] || !take(header.first, header.count)) return;
    scratch.resize(static_cast<std::size_t>(header.count) * loop.recordSize);
    const double before = ThreadCpuSeconds();
    loop.prepare(header.first, header.count, scratch.data());
    cpuInCallbacks += ThreadCpuSeconds() - before;
    Send(rank, kChunk, Pack(header, scratch.data(), scratch.size()));
  };
  for (int round = 0; round < 2; ++round) {
    giveLocal();
    for (int rank = 1; rank < size_; ++rank) giveRank(rank);
  }

  const double busyBefore = std::accumulate(busy_.begin(), busy_.end(), 0.0);
  const long pointsBefore = std::accumulate(points_.begin(), points_.end(), 0L);
  // Results wait here, by their first point, until their turn comes.
  std::map<long, std::vector<std::byte>> ready;
  long accepted = 0;
  bool completed = true;
  Backoff backoff;
  while (accepted < loop.total) {
    if (progress.Cancelled()) {
      completed = false;
      break;
    }
    bool any = false;
    std::deque<LocalChunk> computed;
    {
      std::lock_guard lock(mutex);
      computed.swap(done);
    }
    for (LocalChunk& c : computed) {
      any = true;
      points_[0] += c.count;
      busy_[0] += c.seconds;
      ready.emplace(c.first, std::move(c.records));
      giveLocal();
    }
    Message message;
    while (completed && Poll(message, MPI_ANY_SOURCE)) {
      any = true;
      if (message.tag == kResult) {
        const ChunkHeader header = HeaderOf(message.bytes);
        if (header.loop != loopId_) continue;  // a chunk of a loop broken off earlier
        points_[static_cast<std::size_t>(message.source)] += header.count;
        busy_[static_cast<std::size_t>(message.source)] += header.seconds;
        queueCpu_[static_cast<std::size_t>(message.source)] += header.queueCpu;
        ready.emplace(header.first,
                      std::vector<std::byte>(message.bytes.begin() + sizeof(ChunkHeader), message.bytes.end()));
        giveRank(message.source);
      } else if (message.tag == kFinish) {
        // A rank has ended its command while the others compute: it
        // failed (or went another way), and the run cannot complete.
        RecordFinish(message);
        brokenBy_ = message.source;
        completed = false;
      }
    }
    if (!completed) break;
    for (auto it = ready.find(accepted); it != ready.end(); it = ready.find(accepted)) {
      const long count = static_cast<long>(it->second.size() / std::max<std::size_t>(loop.recordSize, 1));
      const double before = ThreadCpuSeconds();
      loop.accept(accepted, count, it->second.data());
      cpuInCallbacks += ThreadCpuSeconds() - before;
      accepted += count;
      ready.erase(it);
    }
    CompleteSends(false);
    const double busySeconds = std::accumulate(busy_.begin(), busy_.end(), 0.0) - busyBefore;
    const long chunksDone = (std::accumulate(points_.begin(), points_.end(), 0L) - pointsBefore + chunk - 1) / chunk;
    if (chunksDone > 0) backoff.FitTo(busySeconds / static_cast<double>(chunksDone));
    if (any) {
      backoff.Reset();
    } else {
      std::unique_lock lock(mutex);
      finished.wait_for(lock, backoff.Next(), [&] { return !done.empty(); });
    }
  }

  {
    std::lock_guard lock(mutex);
    stop = true;
  }
  work.notify_all();
  local.join();
  queueCpu_[0] += ThreadCpuSeconds() - cpuStart - cpuInCallbacks;
  if (completed && progress.Cancelled()) completed = false;
  const ChunkHeader end{loopId_, 0, 0, 0};
  for (int rank = 1; rank < size_; ++rank)
    if (!finished_[static_cast<std::size_t>(rank)]) Send(rank, completed ? kEndLoop : kStop, Pack(end, nullptr, 0));
  return completed;
}

bool MpiPointRunner::Serve(const Loop& loop) {
  if (final_ || closing_) return false;
  std::vector<std::byte> records;
  double cpuMark = ThreadCpuSeconds();
  double lastChunk = 0;
  for (;;) {
    Message message = Wait(0, lastChunk);
    const ChunkHeader header = HeaderOf(message.bytes);
    switch (message.tag) {
      case kChunk: {
        if (header.loop != loopId_) break;
        // A loop broken off while this chunk was on its way: nothing to do.
        if (Waiting(kStop) || Waiting(kClosing) || Waiting(kFinal)) break;
        records.assign(message.bytes.begin() + sizeof(ChunkHeader), message.bytes.end());
        const Clock::time_point begun = Clock::now();
        const double cpuBefore = ThreadCpuSeconds();
        loop.compute(header.first, header.count, records.data());
        const double cpuAfter = ThreadCpuSeconds();
        ChunkHeader result = header;
        result.seconds = SecondsSince(begun);
        lastChunk = result.seconds;
        result.queueCpu = (cpuBefore - cpuMark);
        cpuMark = cpuAfter;
        std::vector<std::byte> bytes = Pack(result, records.data(), records.size());
        MPI_Send(bytes.data(), static_cast<int>(bytes.size()), MPI_BYTE, 0, kResult, comm_);
        break;
      }
      case kEndLoop:
        if (header.loop == loopId_) return true;
        break;
      case kStop:
        if (header.loop == loopId_) return false;
        break;
      case kClosing:
        closing_ = true;
        return false;
      case kFinal:
        final_ = StatusOf(message.bytes);
        return false;
      default:
        break;
    }
  }
}

void MpiPointRunner::RecordFinish(const Message& message) {
  const auto rank = static_cast<std::size_t>(message.source);
  finished_[rank] = true;
  finishStatus_[rank] = StatusOf(message.bytes);
  if (message.bytes.size() > sizeof(int))
    finishMessage_[rank].assign(reinterpret_cast<const char*>(message.bytes.data()) + sizeof(int),
                                message.bytes.size() - sizeof(int));
}

int MpiPointRunner::Finish(int status, const std::string& message) {
  if (rank_ != 0) {
    if (!final_) {
      Send(0, kFinish, PackStatus(status, message));
      for (;;) {
        const Message reply = Wait(0);
        if (reply.tag == kFinal) {
          final_ = StatusOf(reply.bytes);
          break;
        }
      }
    }
    CompleteSends(true);
    MPI_Comm_free(&comm_);
    return *final_;
  }

  for (int rank = 1; rank < size_; ++rank)
    if (!finished_[static_cast<std::size_t>(rank)]) Send(rank, kClosing, PackStatus(0));
  for (int rank = 1; rank < size_; ++rank) {
    while (!finished_[static_cast<std::size_t>(rank)]) {
      const Message reply = Wait(rank);
      if (reply.tag == kFinish) RecordFinish(reply);
    }
  }

  int job = status;
  std::string told;
  if (brokenBy_ > 0) {
    const auto rank = static_cast<std::size_t>(brokenBy_);
    job = finishStatus_[rank] != 0 ? finishStatus_[rank] : 1;
    told = finishStatus_[rank] != 0 ? finishMessage_[rank]
                                    : "Rank " + std::to_string(brokenBy_) + " ended its command before the run.\n";
  } else if (status == 0) {
    for (int rank = 1; rank < size_; ++rank) {
      if (finishStatus_[static_cast<std::size_t>(rank)] == 0) continue;
      job = finishStatus_[static_cast<std::size_t>(rank)];
      told = finishMessage_[static_cast<std::size_t>(rank)];
      break;
    }
  }
  std::cout.flush();
  if (!told.empty()) std::cerr << told << std::flush;
  if (job == 0 && wall_ > 0) PrintStatistics();
  for (int rank = 1; rank < size_; ++rank) Send(rank, kFinal, PackStatus(job));
  CompleteSends(true);
  MPI_Comm_free(&comm_);
  return job;
}

// "MPI: 3 ranks, 2601 points in 4.12 s (631 points/s), load balance 98 %
// (busy 1.35 1.33 1.30 s)": the balance is the mean busy time of the ranks
// over the longest.
void MpiPointRunner::PrintStatistics() const {
  const long points = std::accumulate(points_.begin(), points_.end(), 0L);
  const double longest = *std::max_element(busy_.begin(), busy_.end());
  const double mean = std::accumulate(busy_.begin(), busy_.end(), 0.0) / size_;
  char line[160];
  std::snprintf(line, sizeof line, "MPI: %d rank%s, %ld points in %.3g s (%.*f points/s), load balance %.0f %%", size_,
                size_ == 1 ? "" : "s", points, wall_, points / wall_ < 100 ? 2 : 0, points / wall_,
                longest > 0 ? 100 * mean / longest : 100.0);
  std::cerr << line << " (busy";
  for (double seconds : busy_) {
    std::snprintf(line, sizeof line, " %.3g", seconds);
    std::cerr << line;
  }
  std::cerr << " s)";
  const double computing = std::accumulate(busy_.begin(), busy_.end(), 0.0);
  if (size_ > 1 && computing > 0) {
    std::snprintf(line, sizeof line, ", queue %.2g %% of the computing time",
                  100 * std::accumulate(queueCpu_.begin(), queueCpu_.end(), 0.0) / computing);
    std::cerr << line;
  }
  std::cerr << '\n';
}

}  // namespace velto::cli
