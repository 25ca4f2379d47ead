#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>
#include <string>

#include "crystal/CrystalStructure.h"
#include "support/RecordingNotifier.h"
#include "support/TestFiles.h"
#include "SyntheticAtomicData.h"

// Structure files as they arrive from other programs, editors and broken
// copies: each is refused or read, and none may crash the reader (the
// sanitizer build runs these too).
namespace velto::crystal {
namespace {

using testing::RecordingNotifier;
using testing::SyntheticAtomicData;
using testing::TestDataPath;

struct CorpusCase {
  const char* file;
  bool loads;
  int groups;  // when it loads
  int atoms;   // of the first group, when it loads
  const char* reason = "";  // what the refusal says, when it is refused
};

void PrintTo(const CorpusCase& c, std::ostream* os) { *os << c.file; }

class MalformedStructureFile : public ::testing::TestWithParam<CorpusCase> {
 protected:
  SyntheticAtomicData data_{{"Si 14", "S 16"}};
};

TEST_P(MalformedStructureFile, IsRefusedOrReadWithoutHarm) {
  const CorpusCase& c = GetParam();
  const auto path = TestDataPath(std::string("structures/") + c.file);
  ASSERT_TRUE(std::filesystem::exists(path)) << path;
  CrystalStructure structure;
  RecordingNotifier notifier;
  StructFileFailure failure;
  EXPECT_EQ(LoadStructFile(structure, path, 293.15, data_.path(), notifier, &failure), c.loads);
  if (!c.loads) {
    EXPECT_EQ(failure.Describe(), c.reason);
  } else {
    ASSERT_EQ(structure.GroupCount(), c.groups);
    if (c.groups > 0) {
      EXPECT_EQ(structure.groups[0].AtomCount(), c.atoms);
    }
    EXPECT_GT(structure.volume, 0.0);
  }
  EXPECT_TRUE(notifier.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Corpus, MalformedStructureFile,
                         ::testing::Values(
                             CorpusCase{"truncated_atoms.struct", false, 0, 0, "line 8: the file ends after 3 of its 8 atoms"},
                             CorpusCase{"truncated_mid_line.struct", false, 0, 0,
                                        "line 10: the file ends after 6 of its 8 atoms"},
                             CorpusCase{"truncated_header.struct", false, 0, 0, "the cell edges a, b, c must be positive"},
                             CorpusCase{"empty.struct", false, 0, 0, "the cell edges a, b, c must be positive"},
                             CorpusCase{"negative_count.struct", false, 0, 0,
                                        "line 4: the number of atoms \"-8\" is not between 0 and 100000"},
                             CorpusCase{"huge_count.struct", false, 0, 0,
                                        "line 4: the number of atoms \"99999999999\" is not between 0 and 100000"},
                             CorpusCase{"count_above_lines.struct", false, 0, 0,
                                        "line 13: unknown element symbol \"530.82\""},
                             CorpusCase{"bad_angles.struct", false, 0, 0,
                                        "the cell angles alpha, beta, gamma describe no cell"},
                             // 120° three times: a flat cell that rounding alone keeps from a zero volume.
                             CorpusCase{"flat_cell.struct", false, 0, 0,
                                        "the cell angles alpha, beta, gamma leave the cell without volume"},
                             CorpusCase{"negative_edges.struct", false, 0, 0, "the cell edges a, b, c must be positive"},
                             // Blank and comment lines count for the line number.
                             CorpusCase{"unknown_symbol.struct", false, 0, 0, "line 8: unknown element symbol \"Si4+\""},
                             CorpusCase{"infinite_coordinate.struct", false, 0, 0,
                                        "line 5: the coordinates of the atom are not finite"},
                             CorpusCase{"count_as_text.struct", true, 0, 0}, CorpusCase{"long_lines.struct", true, 1, 8},
                             CorpusCase{"long_blank_lines.struct", true, 1, 8},
                             CorpusCase{"missing_debye.struct", true, 1, 8}, CorpusCase{"cr_only.struct", true, 1, 8},
                             CorpusCase{"nul_bytes.struct", true, 1, 8}, CorpusCase{"nul_in_symbol.struct", true, 1, 1}));

// Inputs that are no files: each is refused before it is opened, so that
// none can block the program (a pipe without a writer) or feed it forever
// (a device).
TEST(MalformedStructureFiles, InputsThatAreNoRegularFilesAreRefusedUnopened) {
  SyntheticAtomicData data({"Si 14"});
  const auto fifo = data.path() / "pipe.struct";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::filesystem::path link = data.path() / "link.struct";
  std::filesystem::create_symlink(fifo, link);
  const struct {
    std::filesystem::path path;
    const char* reason;
  } cases[] = {{fifo, "is a named pipe"},       {link, "is a named pipe"},
               {data.path(), "is a directory"}, {"/dev/zero", "is a device"},
               {data.path() / "absent.struct", "No such file or directory"}};
  for (const auto& c : cases) {
    CrystalStructure structure;
    RecordingNotifier notifier;
    StructFileFailure failure;
    EXPECT_FALSE(LoadStructFile(structure, c.path, 293.15, data.path(), notifier, &failure)) << c.path;
    EXPECT_EQ(failure.Describe(), c.reason) << c.path;
  }
}

TEST(MalformedStructureFiles, LongLinesKeepTheirFirstFields) {
  SyntheticAtomicData data({"Si 14"});
  CrystalStructure structure;
  RecordingNotifier notifier;
  ASSERT_TRUE(LoadStructFile(structure, TestDataPath("structures/long_lines.struct"), 293.15, data.path(), notifier));
  EXPECT_EQ(structure.name.size(), 10008u);
  EXPECT_DOUBLE_EQ(structure.c, 5.43102064);
  EXPECT_DOUBLE_EQ(structure.groups[0].atoms[7].z, 0.75);
  EXPECT_DOUBLE_EQ(structure.groups[0].debyeTemperature, 530.82);
}

TEST(MalformedStructureFiles, MissingDebyeLineMeansNoThermalVibration) {
  SyntheticAtomicData data({"Si 14"});
  CrystalStructure structure;
  RecordingNotifier notifier;
  ASSERT_TRUE(
      LoadStructFile(structure, TestDataPath("structures/missing_debye.struct"), 293.15, data.path(), notifier));
  EXPECT_EQ(structure.groups[0].debyeTemperature, 0.0);
  EXPECT_EQ(structure.groups[0].thermalExponent, 0.0);
}

TEST(MalformedStructureFiles, BinaryGarbageIsRefusedOrReadWithoutHarm) {
  SyntheticAtomicData data({"Si 14", "H 1", "C 6", "O 8", "N 7", "S 16", "B 5", "K 19", "U 92"});
  std::mt19937 random(20240601);
  for (int sample = 0; sample < 60; ++sample) {
    std::string bytes(static_cast<std::size_t>(random() % 5000), '\0');
    for (char& b : bytes) b = static_cast<char>(random() % 256);
    if (sample % 3 == 1) {
      // A plausible header followed by garbage reaches the atom reader.
      bytes = "Garbage\n5 5 5\n90 90 90\n" + std::to_string(random() % 50) + "\n" + bytes;
    } else if (sample % 3 == 2) {
      // Garbage made of the file's own vocabulary.
      const char* words[] = {"Si", "H", "0.5", "1e308", "-1", "!", ",", "\t", "\n", "\r", "90", "3", "1e-400", "U"};
      bytes = "Words\n5 5 5\n90 90 90\n4\n";
      for (int w = 0; w < 200; ++w) bytes += std::string(words[random() % 14]) + ' ';
    }
    const auto path = data.Write("garbage.struct", bytes);
    CrystalStructure structure;
    RecordingNotifier notifier;
    if (LoadStructFile(structure, path, 293.15, data.path(), notifier)) {
      EXPECT_GT(structure.volume, 0.0) << sample;
      for (const ElementGroup& group : structure.groups) EXPECT_GT(group.AtomCount(), 0) << sample;
    }
  }
}

TEST(MalformedStructureFiles, ALineWithoutEndLongerThanTheReaderKeepsIsCutNotHoarded) {
  SyntheticAtomicData data({"Si 14"});
  // Two mebibytes without a line end, then a valid remainder.
  std::string text(2u << 20, 'x');
  text += "\n5.43102064 5.43102064 5.43102064\n90 90 90\n1\nSi 0 0 0 1\n530.82\n";
  const auto path = data.Write("oneline.struct", text);
  CrystalStructure structure;
  RecordingNotifier notifier;
  ASSERT_TRUE(LoadStructFile(structure, path, 293.15, data.path(), notifier));
  EXPECT_LE(structure.name.size(), std::size_t{1} << 20);
  EXPECT_EQ(structure.GroupCount(), 1);
}

}  // namespace
}  // namespace velto::crystal
