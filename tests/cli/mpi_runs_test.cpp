// velto-cli under mpirun: the ranks share the points of a run and rank 0
// writes the file, which must be the file of a run of one process, byte for
// byte, whatever the number of ranks; a refusal is told once with the status
// of one process; a signal or a dead rank ends the run and keeps the earlier
// file. Skipped in a build without MPI.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/RunProgram.h"
#include "support/TestFiles.h"

namespace velto::testing {
namespace {

namespace fs = std::filesystem;

const std::string kMpiexec = VELTO_MPIEXEC;

std::string Cli() { return (BuildDataDirectory() / "velto-cli").string(); }
std::string Silicon() { return (BuildDataDirectory() / "Silicon.struct").string(); }

// CI runs as root; a machine with fewer cores than ranks still runs them;
// a container may forbid the cross-process memory copies of Open MPI's
// shared-memory transport, which then copies through its buffers.
std::vector<std::string> UnderMpi(int ranks, const std::vector<std::string>& arguments) {
  std::vector<std::string> all{"-q",   "--allow-run-as-root", "--oversubscribe", "--mca", "btl_vader_single_copy_mechanism",
                               "none", "-n",                  std::to_string(ranks), Cli()};
  all.insert(all.end(), arguments.begin(), arguments.end());
  return all;
}

std::set<std::string> FileNames(const fs::path& directory) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) names.insert(entry.path().filename().string());
  return names;
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

class MpiRuns : public ::testing::Test {
 protected:
  void SetUp() override {
    if (kMpiexec.empty()) GTEST_SKIP() << "velto-cli is built without MPI";
  }
};

// Small runs with more chunks than ranks, so that every rank computes.
TEST_F(MpiRuns, FilesAreThoseOfOneProcessWhateverTheNumberOfRanks) {
  const std::vector<std::string> mbd{"mbd",       "--energy", "8",     "--href", "1",         "-1", "0",
                                     "--azimuth", "-10.39",   "--add", "1 1 -1", "--threads", "1"};
  struct Case {
    const char* what;
    std::vector<std::string> arguments;  // the output file follows
  };
  std::vector<Case> cases{
      {"plane-wave scan", mbd},
      {"MBD convolution", mbd},
      {"convoluted rocking curve",
       {"conv", "--mono-struct", Silicon(), "--sample-struct", Silicon(), "--spectral-points", "41",
        "--divergence-points", "11", "--points", "61", "--pol", "random", "-o"}},
  };
  for (const char* more : {"--dtheta", "-10", "20", "31", "--dphi", "-5", "5", "3", "--columns",
                           "phi,theta,r,components,amplitudes,wavevector", "-o"})
    cases[0].arguments.push_back(more);
  for (const char* more : {"--dtheta", "-10", "20", "9", "--dphi", "-5", "5", "2", "--conv", "1", "2", "3", "10", "3",
                           "10", "2", "--columns", "phi,theta,r,components", "-o"})
    cases[1].arguments.push_back(more);

  for (const Case& c : cases) {
    TemporaryDirectory dir;
    std::vector<std::string> serial = c.arguments;
    serial.push_back((dir.path() / "serial.dat").string());
    const ProgramResult one = RunProgram(Cli(), serial);
    ASSERT_EQ(one.status, 0) << c.what << ": " << one.err;
    const std::string expected = ReadWholeFile(dir.path() / "serial.dat");
    ASSERT_FALSE(expected.empty()) << c.what;
    for (int ranks : {1, 2, 3}) {
      const fs::path file = dir.path() / ("ranks" + std::to_string(ranks) + ".dat");
      std::vector<std::string> arguments = c.arguments;
      arguments.push_back(file.string());
      const ProgramResult run = RunProgram(kMpiexec, UnderMpi(ranks, arguments));
      EXPECT_EQ(run.status, 0) << c.what << " on " << ranks << " ranks: " << run.err;
      EXPECT_TRUE(ReadWholeFile(file) == expected) << c.what << " on " << ranks << " ranks";
      // What rank 0 prints is what one process prints, once; the last line
      // of stderr tells how the run went.
      std::string out = run.out;
      if (const std::size_t at = out.find(file.string()); at != std::string::npos)
        out.replace(at, file.string().size(), (dir.path() / "serial.dat").string());
      EXPECT_EQ(out, one.out) << c.what << " on " << ranks << " ranks";
      EXPECT_EQ(Count(run.err, "MPI: " + std::to_string(ranks) + " rank"), 1u) << run.err;
    }
  }
}

// A refusal that every rank meets is told once; one that only rank 0 meets
// (its output cannot be created) ends the other ranks too. Either ends the
// job with the status of one process, 1, and no statistics line.
TEST_F(MpiRuns, ARefusalIsToldOnceAndEndsEveryRankWithStatusOne) {
  TemporaryDirectory dir;
  const ProgramResult everywhere =
      RunProgram(kMpiexec, UnderMpi(3, {"mbd", "--href", "1", "-1", "0", "--azimuth", "0", "--dtheta", "5", "5", "3"}));
  EXPECT_EQ(everywhere.status, 1);
  EXPECT_EQ(everywhere.err, "Invalid Delta omega range!\n");

  const std::string missing = (dir.path() / "no-such-folder" / "run.dat").string();
  const ProgramResult onRankZero = RunProgram(kMpiexec, UnderMpi(3, {"mbd", "--href", "1", "-1", "0", "--azimuth", "0",
                                                                     "--dtheta", "-5", "5", "3", "-o", missing}));
  EXPECT_EQ(onRankZero.status, 1);
  EXPECT_EQ(onRankZero.err, "Failed to create the file \"" + missing + "\" !\n");
  EXPECT_EQ(FileNames(dir.path()), std::set<std::string>{});
}

// SIGTERM to mpirun while rank 0 writes, or a rank killed outright: the run
// ends (it does not hang), fails, and the earlier file stays as it was with
// nothing beside it.
TEST_F(MpiRuns, ASignalOrADeadRankKeepsTheEarlierFile) {
  const std::vector<std::string> longRun{"mbd",   "--href", "1",        "-1",     "0",         "--azimuth", "0",
                                         "--add", "1 1 -1", "--dtheta", "-20",    "30",        "401",       "--dphi",
                                         "-20",   "20",     "3",        "--conv", "1",         "3",         "5",
                                         "10",    "5",      "10",       "5",      "--threads", "1",         "-o"};
  for (const bool killRank : {false, true}) {
    TemporaryDirectory dir;
    const fs::path target = dir.Write("results.dat", "the earlier results\n");
    std::vector<std::string> arguments = longRun;
    arguments.push_back(target.string());
    ChildProgram mpirun(kMpiexec, UnderMpi(2, arguments));
    // Rank 0 is the one of mpirun's children that holds the output open.
    const auto start = std::chrono::steady_clock::now();
    int writer = -1;
    std::vector<int> ranks;
    while (writer < 0 && std::chrono::steady_clock::now() - start < std::chrono::seconds(60)) {
      ranks = mpirun.Children();
      for (int pid : ranks)
        if (ProcessWritesIn(pid, dir.path())) writer = pid;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_GT(writer, 0) << "the run did not start writing";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    if (killRank) {
      for (int pid : ranks)
        if (pid != writer) ::kill(pid, SIGKILL);
    } else {
      mpirun.Signal(SIGTERM);
    }
    const int status = mpirun.Wait();
    EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << (killRank ? "dead rank" : "SIGTERM");
    EXPECT_EQ(ReadWholeFile(target), "the earlier results\n");
    EXPECT_EQ(FileNames(dir.path()), std::set<std::string>{"results.dat"});
  }
}

}  // namespace
}  // namespace velto::testing
