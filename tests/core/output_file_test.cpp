#include "core/OutputFile.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/TestFiles.h"

namespace velto::core {
namespace {

namespace fs = std::filesystem;
using testing::ReadWholeFile;
using testing::TemporaryDirectory;

std::string Lines(char letter, int count, int width) {
  std::string text;
  for (int i = 0; i < count; ++i) text += std::string(static_cast<std::size_t>(width), letter) + '\n';
  return text;
}

TEST(OutputFile, ReplacesRegularFilesWholeKeepingTheirModeAndLeavesNoTemporary) {
  TemporaryDirectory dir;
  const fs::path fresh = dir.path() / "new.dat";
  ASSERT_TRUE(WriteOutputFile(fresh, "1\t2\r\n").Ok());
  EXPECT_EQ(ReadWholeFile(fresh), "1\t2\r\n");

  const fs::path old = dir.Write("old.dat", std::string(100000, 'x'));
  ::chmod(old.c_str(), 0640);
  const std::string content = Lines('a', 5000, 40);  // larger than the writer's buffer
  ASSERT_TRUE(WriteOutputFile(old, content).Ok());
  EXPECT_EQ(ReadWholeFile(old), content);
  struct stat status {};
  ASSERT_EQ(::stat(old.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0640u);
  EXPECT_EQ(testing::FileNames(dir.path()), (std::set<std::string>{"new.dat", "old.dat"}));
}

TEST(OutputFile, FollowsSymbolicLinksAndReplacesTheirTargets) {
  TemporaryDirectory dir;
  const fs::path target = dir.Write("data/curve.dat", "old\n");
  const fs::path link = dir.path() / "link.dat";
  fs::create_symlink("data/curve.dat", link);
  ASSERT_TRUE(WriteOutputFile(link, "new\n").Ok());
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadWholeFile(target), "new\n");

  // A dangling link names the file to create.
  const fs::path dangling = dir.path() / "dangling.dat";
  fs::create_symlink("data/later.dat", dangling);
  ASSERT_TRUE(WriteOutputFile(dangling, "later\n").Ok());
  EXPECT_TRUE(fs::is_symlink(dangling));
  EXPECT_EQ(ReadWholeFile(dir.path() / "data" / "later.dat"), "later\n");

  const fs::path loop = dir.path() / "loop.dat";
  fs::create_symlink("loop.dat", loop);
  const OutputStatus looped = WriteOutputFile(loop, "x");
  EXPECT_EQ(looped.failedAt, OutputStage::Target);
  EXPECT_EQ(looped.error.value(), ELOOP);
}

TEST(OutputFile, RefusesDirectoriesAndMissingFoldersWithoutCreatingAnything) {
  TemporaryDirectory dir;
  const OutputStatus directory = WriteOutputFile(dir.path(), "x");
  EXPECT_EQ(directory.failedAt, OutputStage::Target);
  EXPECT_EQ(directory.error.value(), EISDIR);
  EXPECT_FALSE(directory.Reason().empty());

  const OutputStatus missing = WriteOutputFile(dir.path() / "no such folder" / "a.dat", "x");
  EXPECT_EQ(missing.failedAt, OutputStage::Create);
  EXPECT_EQ(WriteOutputFile("", "x").failedAt, OutputStage::Target);
  EXPECT_TRUE(testing::FileNames(dir.path()).empty());
}

TEST(OutputFile, WritesDevicesDirectlyAndReportsAFullOne) {
  ASSERT_TRUE(WriteOutputFile("/dev/null", "nothing\n").Ok());
  struct stat status {};
  ASSERT_EQ(::stat("/dev/null", &status), 0);
  EXPECT_TRUE(S_ISCHR(status.st_mode));

  const OutputStatus full = WriteOutputFile("/dev/full", "1 2 3\n");
  EXPECT_EQ(full.failedAt, OutputStage::Write);
  EXPECT_EQ(full.error.value(), ENOSPC);
}

TEST(OutputFile, AFailedOrAbandonedRunKeepsTheEarlierFile) {
  TemporaryDirectory dir;
  const fs::path target = dir.Write("results.dat", "earlier\n");
  {
    OutputFile file;
    ASSERT_TRUE(file.Open(target));
    ASSERT_TRUE(file.Write(Lines('b', 10000, 30)));
    // Destroyed without Commit: a cancelled run.
  }
  EXPECT_EQ(ReadWholeFile(target), "earlier\n");

  OutputFile file;
  ASSERT_TRUE(file.Open(target));
  file.Write("half");
  file.Abandon();
  EXPECT_FALSE(file.Commit());
  EXPECT_EQ(ReadWholeFile(target), "earlier\n");

  // A disk that fills up in the middle of the run (here a file-size limit,
  // which fails the write with EFBIG as a full disk fails it with ENOSPC).
  struct sigaction ignore {}, previous {};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGXFSZ, &ignore, &previous);
  rlimit limit{}, saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  limit = saved;
  limit.rlim_cur = 50000;
  ::setrlimit(RLIMIT_FSIZE, &limit);
  const OutputStatus limited = WriteOutputFile(target, Lines('c', 10000, 30));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::sigaction(SIGXFSZ, &previous, nullptr);
  EXPECT_EQ(limited.failedAt, OutputStage::Write);
  EXPECT_EQ(limited.error.value(), EFBIG);
  EXPECT_EQ(ReadWholeFile(target), "earlier\n");
  EXPECT_EQ(testing::FileNames(dir.path()), (std::set<std::string>{"results.dat"}));
}

TEST(OutputFile, NothingAppearsBesideTheTargetUntilTheRunIsComplete) {
  TemporaryDirectory dir;
  const fs::path target = dir.Write("results.dat", "earlier\n");
  OutputFile file;
  ASSERT_TRUE(file.Open(target));
  ASSERT_TRUE(file.Write(Lines('d', 10000, 30)));  // several buffers out on the disk already
  // A process killed now leaves the directory as it was.
  EXPECT_EQ(testing::FileNames(dir.path()), (std::set<std::string>{"results.dat"}));
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadWholeFile(target), Lines('d', 10000, 30));
  EXPECT_EQ(testing::FileNames(dir.path()), (std::set<std::string>{"results.dat"}));
}

TEST(OutputFile, ConcurrentWritersNeverMixLines) {
  TemporaryDirectory dir;
  // Eight runs replacing one file: the file is one run's whole output.
  const fs::path target = dir.path() / "shared.dat";
  std::vector<std::thread> runs;
  for (int r = 0; r < 8; ++r)
    runs.emplace_back([&target, r] { WriteOutputFile(target, Lines(static_cast<char>('a' + r), 20000, 20)); });
  for (std::thread& run : runs) run.join();
  const std::string result = ReadWholeFile(target);
  ASSERT_FALSE(result.empty());
  EXPECT_EQ(result, Lines(result[0], 20000, 20));
  EXPECT_EQ(testing::FileNames(dir.path()), (std::set<std::string>{"shared.dat"}));

  // Two writers of one named pipe: every line arrives whole.
  const fs::path fifo = dir.path() / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] {
    std::ifstream in(fifo, std::ios::binary);
    received.assign(std::istreambuf_iterator<char>(in), {});
  });
  // Held open until both writers are done, so the reader sees one stream.
  const int holder = ::open(fifo.c_str(), O_WRONLY);
  ASSERT_GE(holder, 0);
  std::thread first([&] { WriteOutputFile(fifo, Lines('x', 3000, 99)); });
  std::thread second([&] { WriteOutputFile(fifo, Lines('y', 3000, 99)); });
  first.join();
  second.join();
  ::close(holder);
  reader.join();
  int lines = 0;
  for (std::size_t at = 0; at < received.size(); at += 100, ++lines) {
    const std::string line = received.substr(at, 100);
    ASSERT_TRUE(line == std::string(99, 'x') + '\n' || line == std::string(99, 'y') + '\n') << "line " << lines;
  }
  EXPECT_EQ(lines, 6000);
  struct stat status {};
  ASSERT_EQ(::stat(fifo.c_str(), &status), 0);
  EXPECT_TRUE(S_ISFIFO(status.st_mode));
}

}  // namespace
}  // namespace velto::core
