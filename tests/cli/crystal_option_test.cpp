// The structure file and the reflection indices as each command takes them:
// the same reading everywhere, with the message of the window the command
// stands for where the windows word it differently.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CliRun.h"
#include "support/RunProgram.h"
#include "support/TestFiles.h"

namespace velto::testing {
namespace {

const std::string kImportFirst =
    "Please click on the \"Import Crystal Structure\" button    \nto import a structure file before calculation.";

struct Refusal {
  std::vector<std::string> arguments;
  std::string message;
};

void ExpectRefusals(const std::vector<Refusal>& cases) {
  for (const Refusal& c : cases) {
    const ProgramResult run = RunProgram("velto-cli", c.arguments);
    EXPECT_EQ(run.status, 1) << c.arguments[0] << ": " << c.message;
    EXPECT_EQ(run.err, c.message + "\n") << c.arguments[0];
    EXPECT_TRUE(run.out.empty()) << run.out;
  }
}

std::string Silicon() { return (BuildDataDirectory() / "Silicon.struct").string(); }

TEST(StructOption, AFileThatCannotBeReadIsRefusedInTheCommandsWords) {
  TemporaryDirectory directory;
  const std::string missing = (directory.path() / "absent.struct").string();
  // The window's words, then what was wrong, on a line of its own.
  const std::string reason = "\n" + missing + ": No such file or directory";
  const std::string failed = "Failed to open file '" + missing + "' !" + reason;
  const std::string windowFailed = "Failed to open file '" + missing + "' !    \nabsent.struct: No such file or directory";
  ExpectRefusals({
      {{"rc", "--struct", missing}, failed},
      {{"mbd", "--struct", missing, "--href", "1", "-1", "0"}, failed},
      {{"map", "--struct", missing}, failed},
      // The commands that drive a window's form report the file as the
      // window's structure-file flow does: the window's text, then why. The
      // structure-factor window then refuses the missing structure when it
      // is asked to calculate.
      {{"conv", "--mono-struct", missing, "--sample-struct", Silicon()}, windowFailed},
      {{"dcm", "--c1-struct", Silicon(), "--c2-struct", missing}, windowFailed},
      {{"sf", "--struct", missing}, windowFailed + "\n" + kImportFirst},
  });
}

TEST(StructOption, AFileWithoutAtomsIsRefusedWhereTheWindowRefusesIt) {
  TemporaryDirectory directory;
  const std::string empty = directory.Write("empty.struct", "Nothing\n4 4 4\n90 90 90\n0\n").string();
  // The structure-file flow of the windows refuses such a file, so that it
  // cannot replace a crystal the program has.
  const std::string noAtoms = "Failed to open file '" + empty + "' !    \nempty.struct: the file lists no atoms";
  ExpectRefusals({
      {{"chi", "--struct", empty}, "You have to import a Crystal Structure !"},
      {{"map", "--struct", empty}, "You have to import a Crystal Structure !"},
      {{"conv", "--mono-struct", Silicon(), "--sample-struct", empty}, noAtoms},
      {{"sf", "--struct", empty}, noAtoms + "\n" + kImportFirst},
      {{"mbd", "--struct", empty, "--href", "1", "-1", "0"}, noAtoms},
      // This one leaves the crystal undefined and refuses it with its own check.
      {{"rc", "--struct", empty}, "You need to Define Crystal !"},
  });
}

TEST(HklOption, IndicesOutsideThreeDigitsOrAllZeroAreRefused) {
  const std::string range = "Enter an integer between -999 and 999.";
  const std::string zero = "HKL should not be ALL zero!";
  ExpectRefusals({
      {{"rc", "--hkl", "1000", "0", "0"}, range},
      {{"rc", "--hkl", "0", "0", "0"}, zero},
      {{"sf", "--hkl", "0", "0", "-1000"}, range},
      {{"mbd", "--hkl", "1000", "0", "0", "--href", "1", "-1", "0"}, range},
      {{"mbd", "--href", "1", "-1", "0", "--add", "1 1 1000"}, range},
      {{"conv", "--mono-struct", Silicon(), "--sample-struct", Silicon(), "--mono-hkl", "0", "0", "0"}, zero},
      {{"dcm", "--c1-struct", Silicon(), "--c2-struct", Silicon(), "--c2-hkl", "-1000", "0", "0"}, range},
      // mbd's crystal dialog refuses a primary reflection of 0 0 0.
      {{"mbd", "--hkl", "0", "0", "0", "--href", "1", "-1", "0"}, zero},
  });
}

// Every numeric option of every command, whatever its kind (a number, an
// optional number, a list, an integer), refuses infinity and not-a-number
// before anything is read or computed.
TEST(NumericOptions, ValuesThatAreNotFiniteAreRefusedNamingTheOption) {
  struct Case {
    std::vector<std::string> arguments;
    std::string option, value;
  };
  const std::vector<Case> cases = {
      {{"rc", "--temp", "nan"}, "--temp", "nan"},
      {{"sf", "--energy", "nan"}, "--energy", "nan"},
      {{"chi", "--temp", "inf"}, "--temp", "inf"},
      {{"sf", "--temp", "-inf"}, "--temp", "-inf"},
      {{"mbd", "--azimuth", "1e999"}, "--azimuth", "1e999"},
      {{"mbd", "--dtheta", "-20", "NaN", "5"}, "--dtheta", "NaN"},
      {{"mbd", "--threads", "nan"}, "--threads", "nan"},
      {{"ff", "--element", "Si", "--theta", "infinity"}, "--theta", "infinity"},
      {{"conv", "--divergence", "nan"}, "--divergence", "nan"},
      {{"dcm", "--from", "1e400"}, "--from", "1e400"},
      {{"map", "--phi-range", "-10", "inf", "5"}, "--phi-range", "inf"},
      {{"ffloop", "--element", "Si", "--step", "nan", "-o", "x.dat"}, "--step", "nan"},
  };
  for (const Case& c : cases) {
    const ProgramResult run = RunProgram("velto-cli", c.arguments);
    EXPECT_EQ(run.status, 1) << c.arguments[0] << ' ' << c.option;
    EXPECT_EQ(FirstLine(run.err), c.option + ": \"" + c.value + "\" is not a finite number");
    EXPECT_TRUE(run.out.empty()) << run.out;
  }
}

}  // namespace
}  // namespace velto::testing
