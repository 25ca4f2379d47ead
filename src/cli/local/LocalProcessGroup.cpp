// velto-cli built without MPI: every run is computed by this process.
#include "cli/ProcessGroup.h"

namespace velto::cli {

void JoinProcessGroup(int&, char**&) {}
core::PointRunner& GroupRunner() { return core::LocalRunner(); }
bool LeadsGroup() { return true; }
bool RunBrokenOff() { return false; }
int LeaveProcessGroup(int status) { return status; }

}  // namespace velto::cli
