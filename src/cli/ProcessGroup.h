#pragma once
#include "core/PointRunner.h"

// The processes that share the points of a long run (mbd scans and
// convolutions, conv). Alone, velto-cli is a group of one. Started by an
// MPI launcher (mpirun, srun) in a build with MPI, every rank runs the whole
// command, reading and checking the same inputs; the points of the run are
// shared out among the ranks by a queue on rank 0, which alone prints,
// writes the files and tells the person what went wrong (once, for all).
namespace velto::cli {

// Called first in main(): joins the MPI job the process was started in, if
// any. Without a launcher nothing of MPI is touched.
void JoinProcessGroup(int& argc, char**& argv);

// What the commands' runs share their points through.
core::PointRunner& GroupRunner();

// Whether this process prints the results and writes the files: rank 0, or
// the only process.
bool LeadsGroup();

// Whether a run ended early because another process of the group failed;
// that process's message is told when the group ends.
bool RunBrokenOff();

// Called last in main() with this process's exit status: agrees with the
// other processes on the status of the whole job (the first failure), says
// what failed elsewhere, and leaves MPI. Returns the status to exit with.
int LeaveProcessGroup(int status);

}  // namespace velto::cli
