// The one opener of the files the suite reads: regular files only, judged
// by what was opened, and never waiting for a writer.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/InputFile.h"
#include "support/TestFiles.h"

namespace velto::core {
namespace {

namespace fs = std::filesystem;

std::string Rest(std::ifstream& in) { return {std::istreambuf_iterator<char>(in), {}}; }

TEST(InputFile, OpensRegularFilesAndLinksToThemAndRefusesEverythingElseWithTheReason) {
  testing::TemporaryDirectory dir;
  const fs::path file = dir.Write("a.struct", "Silicon\n");
  fs::create_symlink(file, dir.path() / "link.struct");
  const fs::path fifo = dir.path() / "fifo.struct";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_symlink(fifo, dir.path() / "fifo-link.struct");

  for (const fs::path& readable : {file, dir.path() / "link.struct"}) {
    std::ifstream in;
    EXPECT_EQ(OpenInputFile(readable, in), std::nullopt) << readable;
    EXPECT_EQ(Rest(in), "Silicon\n");
  }
  const struct {
    fs::path path;
    const char* reason;
  } refused[] = {
      {fifo, "is a named pipe"},  // no writer: a blocking open would never return
      {dir.path() / "fifo-link.struct", "is a named pipe"},
      {dir.path(), "is a directory"},
      {"/dev/null", "is a device"},
      {dir.path() / "missing.struct", "No such file or directory"},
  };
  for (const auto& r : refused) {
    std::ifstream in;
    EXPECT_EQ(OpenInputFile(r.path, in), r.reason) << r.path;
    EXPECT_FALSE(in.is_open()) << r.path;
  }
}

TEST(InputFile, ReadsTheFileThatWasCheckedWhateverBecomesOfThePath) {
  testing::TemporaryDirectory dir;
  const fs::path file = dir.Write("a.dat", "the checked file\n");
  std::ifstream in;
  ASSERT_EQ(OpenInputFile(file, in), std::nullopt);
  fs::rename(dir.Write("b.dat", "another file\n"), file);
  EXPECT_EQ(Rest(in), "the checked file\n");
}

}  // namespace
}  // namespace velto::core
