// Where velto-cli writes its files, and what becomes of an earlier file when
// a run fails, is cancelled or is killed: the earlier file stays whole or is
// replaced whole, never by a part of a file, and what is not a regular file
// is written to, never replaced.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/CliRun.h"
#include "support/RunProgram.h"
#include "support/TestFiles.h"

namespace velto::testing {
namespace {

namespace fs = std::filesystem;

// A short silicon 1 1 1 rocking curve.
std::vector<std::string> Rc(const std::string& output) { return {"rc", "--points", "101", "-o", output}; }

// A plane-wave MBD scan of silicon 1 1 1 with the 1 1 -1 beam.
std::vector<std::string> Mbd(const std::string& output, const std::string& points) {
  return {"mbd", "--href", "1", "-1", "0", "--azimuth", "0", "--add", "1 1 -1", "--dtheta", "-20",
          "30",  points,   "--dphi", "-20", "20",    points, "-o",  output};
}

bool HasTemporary(const fs::path& directory) {
  for (const std::string& name : FileNames(directory))
    if (name.size() > 4 && name.front() == '.' && name.ends_with(".tmp")) return true;
  return false;
}

TEST(OutputTargets, FilesThatCannotBeWrittenAreReportedWithStatusOneAndTheEarlierFileStays) {
  TemporaryDirectory dir;
  const struct {
    std::vector<std::string> arguments;
    std::string message;
  } cases[] = {
      {Rc("/dev/full"), "Cannot create the file \"/dev/full\" !"},
      {Rc(dir.path().string()), "Cannot create the file \"" + dir.path().string() + "\" !"},
      {Rc((dir.path() / "no folder" / "a.dat").string()),
       "Cannot create the file \"" + (dir.path() / "no folder" / "a.dat").string() + "\" !"},
      {Mbd("/dev/full", "5"), "Failed to create the file \"/dev/full\" !"},
      {{"ffloop", "--element", "Si", "-o", "/dev/full"}, "Error occured in exporting data !"},
      {{"map", "-o", "/dev/full"}, "Cannot create the file \"/dev/full\" !"},
      {{"map", "--svg", "/dev/full"}, "Cannot create the file \"/dev/full\" !"},
  };
  for (const auto& c : cases) {
    const ProgramResult run = RunProgram("velto-cli", c.arguments);
    EXPECT_EQ(run.status, 1) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
  EXPECT_TRUE(FileNames(dir.path()).empty());
}

TEST(OutputTargets, LinksAreFollowedPipesAndDevicesWrittenNotReplaced) {
  TemporaryDirectory dir;
  const fs::path target = dir.Write("real/curve.dat", "earlier\n");
  const fs::path link = dir.path() / "curve.dat";
  fs::create_symlink("real/curve.dat", link);
  ASSERT_EQ(RunProgram("velto-cli", Rc(link.string())).status, 0);
  EXPECT_TRUE(fs::is_symlink(link));
  const std::string curve = ReadWholeFile(target);
  EXPECT_EQ(std::count(curve.begin(), curve.end(), '\n'), 101);

  // A named pipe keeps being one, and its reader gets the whole curve.
  const fs::path fifo = dir.path() / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] {
    std::ifstream in(fifo, std::ios::binary);
    received.assign(std::istreambuf_iterator<char>(in), {});
  });
  const ProgramResult run = RunProgram("velto-cli", Rc(fifo.string()));
  reader.join();
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(received, curve);
  struct stat status {};
  ASSERT_EQ(::stat(fifo.c_str(), &status), 0);
  EXPECT_TRUE(S_ISFIFO(status.st_mode));

  ASSERT_EQ(RunProgram("velto-cli", Rc("/dev/null")).status, 0);
  ASSERT_EQ(::stat("/dev/null", &status), 0);
  EXPECT_TRUE(S_ISCHR(status.st_mode));
  EXPECT_FALSE(HasTemporary(dir.path()));
}

TEST(OutputTargets, ConcurrentRunsWritingOneFileLeaveOneRunsWholeFile) {
  TemporaryDirectory dir;
  const fs::path target = dir.path() / "mbd.dat";
  std::vector<std::thread> runs;
  for (int r = 0; r < 6; ++r)
    runs.emplace_back([&target] { RunProgram("velto-cli", Mbd(target.string(), "21")); });
  for (std::thread& run : runs) run.join();
  const ProgramResult alone = RunProgram("velto-cli", Mbd((dir.path() / "alone.dat").string(), "21"));
  ASSERT_EQ(alone.status, 0) << alone.err;
  EXPECT_EQ(ReadWholeFile(target), ReadWholeFile(dir.path() / "alone.dat"));
  EXPECT_FALSE(HasTemporary(dir.path()));
}

// A long streamed run stopped from outside: whether the signal can be caught
// (SIGINT, SIGTERM) or not (SIGKILL), the earlier file stays whole and no
// temporary file is left, for the output has no name until it is complete.
TEST(OutputTargets, AKilledRunKeepsTheEarlierFileAndLeavesNothingElse) {
  for (int signal : {SIGINT, SIGTERM, SIGKILL}) {
    TemporaryDirectory dir;
    const fs::path target = dir.Write("results.dat", "the earlier results\n");
    ChildProgram child("velto-cli", Mbd(target.string(), "2001"));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!child.WritesIn(dir.path()) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(child.WritesIn(dir.path())) << "the run did not start";
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    child.Signal(signal);
    const int status = child.Wait();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "signal " << signal;
    EXPECT_EQ(ReadWholeFile(target), "the earlier results\n") << "signal " << signal;
    EXPECT_EQ(FileNames(dir.path()), std::set<std::string>{"results.dat"}) << "signal " << signal;
  }
}

TEST(ExitStatus, ARunDuringWhichPointsFailedEndsWithStatusTwo) {
  TemporaryDirectory dir;
  // Chi components no crystal has (finite, but of order 1e294): the
  // wave-field solver finds no set of decaying waves at any point.
  std::string absurd;
  for (int i = 0; i < 4; ++i) absurd += "1e300, 0\n";
  const fs::path chi = dir.Write("chi.dat", absurd);
  const fs::path out = dir.path() / "mbd.dat";
  const ProgramResult run = RunProgram("velto-cli", {"mbd", "--href", "1", "-1", "0", "--azimuth", "0", "--dtheta",
                                                     "-20", "30", "6", "--dphi", "-1", "1", "1", "--chi-import",
                                                     chi.string(), "-o", out.string()});
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_NE(run.err.find("6 of 6 points failed"), std::string::npos) << run.err;
  EXPECT_TRUE(fs::exists(out));  // the results are written all the same

  const ProgramResult clean = RunProgram("velto-cli", Mbd(out.string(), "3"));
  EXPECT_EQ(clean.status, 0) << clean.err;
}

}  // namespace
}  // namespace velto::testing
