#pragma once
#include <mpi.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/PointRunner.h"

namespace velto::cli {

// Shares the points of a loop among the ranks of an MPI job by a dynamic
// queue: rank 0 hands out chunks of consecutive points (two ahead to every
// rank, so that none waits for the next), computes chunks itself on a
// thread of its own while its main thread serves the queue, and accepts the
// results in the order of the points. The others compute the chunks they
// are given with their threads. Every rank runs the same loops in the same
// order; a loop's result does not depend on which rank computed a chunk.
//
// Waiting ranks sleep rather than poll a core: the cores are computing.
class MpiPointRunner final : public core::PointRunner {
 public:
  explicit MpiPointRunner(MPI_Comm world);
  ~MpiPointRunner() override;
  MpiPointRunner(const MpiPointRunner&) = delete;
  MpiPointRunner& operator=(const MpiPointRunner&) = delete;

  int Rank() const { return rank_; }
  int Size() const { return size_; }
  bool ReceivesResults() const override { return rank_ == 0; }
  bool Run(const Loop& loop, const core::Progress& progress) override;
  bool BrokenOff() const { return brokenBy_ > 0; }

  // The end of the job for this rank, whose command ended with `status`
  // and, on a rank other than 0, printed `message`. Rank 0 collects the
  // outcome of every rank, prints the message of the first rank that failed
  // when it did not fail itself, prints the run's statistics line and tells
  // the status to all. Returns the status of the whole job.
  int Finish(int status, const std::string& message);

 private:
  struct Message {
    int source = -1;
    int tag = -1;
    std::vector<std::byte> bytes;
  };
  bool Poll(Message& message, int source);
  // Waits for a message; `chunkSeconds` paces the polls (0: briskly).
  Message Wait(int source, double chunkSeconds = 0);
  bool Waiting(int tag);
  void Send(int rank, int tag, std::vector<std::byte> bytes);
  void CompleteSends(bool all);
  bool Lead(const Loop& loop, const core::Progress& progress);
  bool Serve(const Loop& loop);
  void RecordFinish(const Message& message);
  void PrintStatistics() const;

  MPI_Comm comm_ = MPI_COMM_NULL;
  int rank_ = 0;
  int size_ = 1;
  long loopId_ = 0;

  struct Outgoing {
    MPI_Request request;
    std::vector<std::byte> bytes;
  };
  std::vector<Outgoing> outgoing_;

  // On ranks other than 0: rank 0 has ended the job (its status), or
  // closes it.
  std::optional<int> final_;
  bool closing_ = false;

  // On rank 0: the ranks that have ended their command, with their status
  // and message, and the rank whose ending broke a run off.
  std::vector<bool> finished_;
  std::vector<int> finishStatus_;
  std::vector<std::string> finishMessage_;
  int brokenBy_ = -1;

  // Run statistics (rank 0): points, busy seconds and the queue's processor
  // time per rank, wall time.
  std::vector<long> points_;
  std::vector<double> busy_;
  std::vector<double> queueCpu_;  // processor time of the queue itself
  double wall_ = 0;
};

}  // namespace velto::cli
