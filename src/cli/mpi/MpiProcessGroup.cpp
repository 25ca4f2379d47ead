// velto-cli built with MPI. A process started by an MPI launcher joins the
// job; one started otherwise never touches MPI and runs as in a build
// without it (no start-up cost, no launcher needed).
#include <mpi.h>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <sstream>
#include <streambuf>

#include "cli/ProcessGroup.h"
#include "cli/mpi/MpiPointRunner.h"

namespace velto::cli {
namespace {

// The launchers of Open MPI (mpirun), of PMIx (srun --mpi=pmix, prun) and
// of PMI-1/2 (srun --mpi=pmi2, MPICH's hydra) each leave one of these.
bool StartedByLauncher() {
  for (const char* name : {"OMPI_COMM_WORLD_SIZE", "PMIX_RANK", "PMI_RANK", "PMI_SIZE"})
    if (std::getenv(name) != nullptr) return true;
  return false;
}

// Takes what is written and drops it.
class DiscardingBuffer final : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

struct Membership {
  std::unique_ptr<MpiPointRunner> runner;
  // A rank other than 0 prints nothing: its results go to rank 0, and what
  // it would say on stderr is kept for rank 0 to print when this rank is
  // the one that failed (the same refusal on every rank is told once).
  DiscardingBuffer discarded;
  std::ostringstream kept;
  std::streambuf* standardOutput = nullptr;
  std::streambuf* standardError = nullptr;
};

Membership& Group() {
  static Membership membership;
  return membership;
}

}  // namespace

void JoinProcessGroup(int& argc, char**& argv) {
  if (!StartedByLauncher()) return;
  // Only the main thread calls MPI; rank 0 computes its share on another.
  int provided = 0;
  MPI_Init_thread(&argc, &argv, MPI_THREAD_FUNNELED, &provided);
  Membership& group = Group();
  group.runner = std::make_unique<MpiPointRunner>(MPI_COMM_WORLD);
  if (group.runner->Rank() != 0) {
    group.standardOutput = std::cout.rdbuf(&group.discarded);
    group.standardError = std::cerr.rdbuf(group.kept.rdbuf());
  }
}

core::PointRunner& GroupRunner() {
  if (Group().runner) return *Group().runner;
  return core::LocalRunner();
}

bool LeadsGroup() { return !Group().runner || Group().runner->Rank() == 0; }

bool RunBrokenOff() { return Group().runner && Group().runner->BrokenOff(); }

int LeaveProcessGroup(int status) {
  Membership& group = Group();
  if (!group.runner) return status;
  const int job = group.runner->Finish(status, group.kept.str());
  group.runner.reset();
  if (group.standardOutput) std::cout.rdbuf(group.standardOutput);
  if (group.standardError) std::cerr.rdbuf(group.standardError);
  MPI_Finalize();
  return job;
}

}  // namespace velto::cli
