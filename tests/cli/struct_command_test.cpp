// velto-cli struct, and a CIF wherever a command takes a structure file.
#include <gtest/gtest.h>

#include <cmath>

#include <string>
#include <vector>

#include "cli/CliRun.h"
#include "support/RunProgram.h"
#include "support/TestFiles.h"

namespace velto::testing {
namespace {

std::string Cif(const char* name) { return TestDataPath(std::string("cif/") + name).string(); }

TEST(StructCommand, ConvertsACifIntoAStructureFileThatEveryCommandReads) {
  TemporaryDirectory folder;
  const std::string out = (folder.path() / "GaAs.struct").string();
  const ProgramResult run = RunProgram("velto-cli", {"struct", "--cif", Cif("gaas.cif"), "-o", out, "--debye", "As=0"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.out.empty());
  // Ga is in the table of Debye temperatures, As is given; the notes say so.
  EXPECT_NE(run.err.find("Debye temperature of Ga: 320 K, the table's value"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("Debye temperature of As: 0 K, as given."), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("2 sites give 8 atoms in the cell."), std::string::npos) << run.err;
  const std::string text = ReadWholeFile(out);
  EXPECT_EQ(text,
            "Ga As\n5.65325 5.65325 5.65325\n90 90 90\n8\nGa 0 0 0 1\nGa 0 0.5 0.5 1\nGa 0.5 0 0.5 1\nGa 0.5 0.5 0 1\n"
            "As 0.25 0.25 0.25 1\nAs 0.25 0.75 0.75 1\nAs 0.75 0.25 0.75 1\nAs 0.75 0.75 0.25 1\n320  ! Ga\n0  ! As\n");

  // The converted file and the CIF give the same crystal to every command.
  const nlohmann::json fromStruct = RunCliJson({"chi", "--struct", out, "--hkl", "1", "1", "1"});
  const nlohmann::json fromCif = RunCliJson({"chi", "--struct", Cif("silicon.cif"), "--hkl", "1", "1", "1"});
  const nlohmann::json example = RunCliJson({"chi", "--hkl", "1", "1", "1"});
  EXPECT_NEAR(fromStruct["d"].get<double>(), 5.65325 / std::sqrt(3.0), 1e-12);
  // Silicon's CIF gives no displacement parameters: the table's 645 K
  // against the example's 530.82 K, a slightly stronger reflection.
  EXPECT_EQ(fromCif["d"], example["d"]);
  EXPECT_EQ(fromCif["chi0"], example["chi0"]);
  const double ratio = std::hypot(fromCif["chih"][0].get<double>(), fromCif["chih"][1].get<double>()) /
                       std::hypot(example["chih"][0].get<double>(), example["chih"][1].get<double>());
  EXPECT_GT(ratio, 1.0);
  EXPECT_LT(ratio, 1.005);
  // Without -o the file goes to standard output.
  const ProgramResult toStdout = RunProgram("velto-cli", {"struct", "--cif", Cif("gaas.cif"), "--debye", "As=0"});
  EXPECT_EQ(toStdout.out, text);
}

TEST(StructCommand, AMissingDebyeTemperatureIsRefusedUntilGiven) {
  TemporaryDirectory folder;
  const std::string out = (folder.path() / "quartz.struct").string();
  ProgramResult run = RunProgram("velto-cli", {"struct", "--cif", Cif("quartz.cif"), "-o", out});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find(Cif("quartz.cif") + ": no Debye temperature for O: the CIF gives no usable displacement "
                                             "parameter (B_iso, U_iso) for it and the table of common elements has "
                                             "none; give it with --debye, as --debye O=<K>\n"),
            std::string::npos)
      << run.err;
  EXPECT_FALSE(std::filesystem::exists(out));
  run = RunProgram("velto-cli", {"chi", "--struct", Cif("quartz.cif")});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("no Debye temperature for O"), std::string::npos) << run.err;

  run = RunProgram("velto-cli",
                   {"struct", "--cif", Cif("quartz.cif"), "-o", out, "--debye", "O=400", "--debye", "si=500"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string text = ReadWholeFile(out);
  EXPECT_NE(text.find("\n400  ! O\n500  ! Si\n"), std::string::npos) << text;

  for (const char* wrong : {"O", "O=", "Qq=300", "O=-1", "O=300K"}) {
    run = RunProgram("velto-cli", {"struct", "--cif", Cif("quartz.cif"), "--debye", wrong});
    EXPECT_EQ(run.status, 1) << wrong;
    EXPECT_EQ(run.err, std::string("--debye ") + wrong +
                           ": write an element and its Debye temperature in K, as "
                           "Si=645\n");
  }
}

TEST(StructCommand, CifsThatGiveNoCrystalAreRefusedWithTheReason) {
  TemporaryDirectory folder;
  const auto noCell = folder.Write("nocell.cif", "data_x\n_symmetry_space_group_name_H-M 'P 1'\n");
  ProgramResult run = RunProgram("velto-cli", {"struct", "--cif", noCell.string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, noCell.string() +
                         ": the CIF gives no cell: _cell_length_a, _cell_length_b and _cell_length_c are needed\n");
  // Through --struct, in the words of the command's window.
  run = RunProgram("velto-cli", {"rc", "--struct", noCell.string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Failed to open file '" + noCell.string() + "' !\n" + noCell.string() +
                         ": the CIF gives no cell: _cell_length_a, _cell_length_b and _cell_length_c are needed\n");
  // An output that cannot be written leaves nothing behind.
  run = RunProgram("velto-cli", {"struct", "--cif", Cif("gaas.cif"), "-o", folder.path().string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_FALSE(run.err.empty());
}

}  // namespace
}  // namespace velto::testing
