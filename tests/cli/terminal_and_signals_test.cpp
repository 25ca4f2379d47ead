// velto-cli on a terminal and under signals: the progress line appears only
// on a terminal, an excessive --threads is cut with a word, a run stopped by
// SIGTERM leaves the earlier results file as it was, and a pipe whose
// reader quits is a write failure with a message, not a silent death.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "cli/CliRun.h"
#include "core/DataDirectory.h"
#include "support/RunProgram.h"
#include "support/TestFiles.h"

namespace velto::testing {
namespace {

namespace fs = std::filesystem;

struct TerminalRun {
  int status = -1;
  std::string screen;  // what the terminal received, stdout and stderr together
};

// Runs velto-cli with a pseudo-terminal as its standard output and error.
TerminalRun RunOnTerminal(const std::vector<std::string>& arguments) {
  const std::string program = (core::ExecutableDirectory() / "velto-cli").string();
  std::vector<std::string> storage{program};
  storage.insert(storage.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& argument : storage) argv.push_back(argument.data());
  argv.push_back(nullptr);

  int terminal = -1;
  const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, nullptr);
  if (pid == 0) {
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  TerminalRun run;
  if (pid < 0) return run;
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(terminal, buffer, sizeof buffer);
    if (got > 0) {
      run.screen.append(buffer, static_cast<std::size_t>(got));
    } else if (got < 0 && errno == EINTR) {
      continue;
    } else {
      break;  // EIO once the child has closed its side
    }
  }
  ::close(terminal);
  int wstatus = 0;
  while (::waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
  }
  run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  return run;
}

TEST(TerminalProgress, IsShownOnATerminalOnlyAndWipedAtTheEnd) {
  const std::vector<std::string> rc = {"rc", "--points", "20001"};
  const TerminalRun terminal = RunOnTerminal(rc);
  ASSERT_EQ(terminal.status, 0) << terminal.screen;
  EXPECT_NE(terminal.screen.find("\rRocking curve "), std::string::npos) << terminal.screen;
  EXPECT_NE(terminal.screen.find("100 %"), std::string::npos) << terminal.screen;
  // The line is blanked before the results, so that they start on a clean line.
  EXPECT_LT(terminal.screen.rfind("100 %"), terminal.screen.find("Maximum Reflectivity"));

  const ProgramResult piped = RunProgram("velto-cli", rc);
  ASSERT_EQ(piped.status, 0) << piped.err;
  EXPECT_EQ(piped.err, "");
  EXPECT_EQ(piped.out.find('\r'), std::string::npos);
}

TEST(ThreadsOption, MoreThreadsThanCoresAreCutWithAMessageAndNegativeOnesRefused) {
  const std::vector<std::string> mbd = {"mbd", "--href", "1", "-1", "0", "--azimuth", "0", "--dtheta",
                                        "-20", "20", "3", "--dphi", "-1", "1", "1", "--threads"};
  std::vector<std::string> many = mbd;
  many.push_back("100000");
  const ProgramResult cut = RunProgram("velto-cli", many);
  EXPECT_EQ(cut.status, 0) << cut.err;
  std::vector<std::string> one = mbd;
  one.push_back("1");
  const ProgramResult single = RunProgram("velto-cli", one);
  EXPECT_EQ(single.status, 0);
  // The cut is said once, before what the run says anyway.
  static const std::regex kCut(R"(--threads 100000: this machine has (\d+) cores; using \1 threads\.\n)");
  std::smatch said;
  ASSERT_TRUE(std::regex_search(cut.err, said, kCut)) << cut.err;
  EXPECT_EQ(said.position(0), 0);
  EXPECT_EQ(said.suffix().str(), single.err);
  EXPECT_EQ(single.out, cut.out);  // the number of threads changes no result

  std::vector<std::string> negative = mbd;
  negative.push_back("-2");
  const ProgramResult refused = RunProgram("velto-cli", negative);
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "--threads: the number of threads cannot be negative.\n");
}

// A long run stopped by SIGTERM: the results file of an earlier run stays
// as it was and nothing else is left in its directory. The MBD convolution
// streams its results as it goes, so it is stopped once it writes; the map
// computes first and writes at the end, so it is stopped while it computes.
TEST(KilledRuns, AMapAndAConvolutionStoppedBySigtermKeepTheEarlierFile) {
  const struct {
    const char* what;
    std::vector<std::string> arguments;  // the results file follows
    bool streams;
  } runs[] = {
      {"map", {"map", "--energy-range", "6", "30", "3000", "--phi-range", "-180", "180", "3000", "-o"}, false},
      {"mbd --conv",
       {"mbd", "--href", "1", "-1", "0", "--azimuth", "0", "--add", "1 1 -1", "--dtheta", "-20", "30", "401",
        "--dphi", "-20", "20", "3", "--conv", "1", "3", "5", "10", "5", "10", "5", "-o"},
       true},
  };
  for (const auto& r : runs) {
    TemporaryDirectory dir;
    const fs::path target = dir.Write("results.dat", "the earlier results\n");
    std::vector<std::string> arguments = r.arguments;
    arguments.push_back(target.string());
    ChildProgram child("velto-cli", arguments);
    const auto start = std::chrono::steady_clock::now();
    if (r.streams) {
      while (!child.WritesIn(dir.path()) && std::chrono::steady_clock::now() - start < std::chrono::seconds(60))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      ASSERT_TRUE(child.WritesIn(dir.path())) << r.what << ": the run did not start writing";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    child.Signal(SIGTERM);
    const int status = child.Wait();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << r.what << ": ended before the signal";
    EXPECT_EQ(ReadWholeFile(target), "the earlier results\n") << r.what;
    EXPECT_EQ(FileNames(dir.path()), std::set<std::string>{"results.dat"}) << r.what;
  }
}

// The reader of a named pipe quits after the first bytes: the run reports
// the failed write and ends with status 1 rather than dying of SIGPIPE.
TEST(PipeTargets, AReaderThatQuitsIsAWriteFailureWithAMessage) {
  TemporaryDirectory dir;
  const fs::path fifo = dir.path() / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::thread reader([&fifo] {
    std::ifstream in(fifo, std::ios::binary);
    char first = 0;
    in.get(first);
  });
  const ProgramResult run = RunProgram("velto-cli", {"rc", "--points", "40001", "-o", fifo.string()});
  reader.join();
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("Cannot create the file \"" + fifo.string() + "\" !"), std::string::npos) << run.err;
  EXPECT_TRUE(fs::is_fifo(fifo));
}

// Standard output on a full disk: what was printed did not arrive, which is
// a failure like any other output that cannot be written.
TEST(PipeTargets, AStandardOutputThatCannotBeWrittenIsReported) {
  TemporaryDirectory dir;
  const std::string program = (core::ExecutableDirectory() / "velto-cli").string();
  const std::string errPath = (dir.path() / "stderr").string();
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int full = ::open("/dev/full", O_WRONLY);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (full < 0 || err < 0 || ::dup2(full, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(127);
    ::execl(program.c_str(), program.c_str(), "chi", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ASSERT_GT(pid, 0);
  int wstatus = 0;
  while (::waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
  }
  ASSERT_TRUE(WIFEXITED(wstatus));
  EXPECT_EQ(WEXITSTATUS(wstatus), 1);
  EXPECT_EQ(ReadWholeFile(errPath), "Cannot write to the standard output: No space left on device.\n");
}

}  // namespace
}  // namespace velto::testing
