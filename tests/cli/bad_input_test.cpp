// What velto-cli does with input no computation can use: data files whose
// numbers no atom has, values that are finite but impossible, and every
// damaged file of the regression corpus. Each is refused with a message
// that says where the fault lies and status 1, or computed to finite
// numbers; no file is changed or lost on the way.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "cli/CliRun.h"
#include "crystal/StructFactorData.h"
#include "crystal/StructFactorTestData.h"
#include "support/RunProgram.h"
#include "support/TestFiles.h"

namespace velto::testing {
namespace {

namespace fs = std::filesystem;

std::string Silicon() { return (BuildDataDirectory() / "Silicon.struct").string(); }

// A copy of velto-cli beside a copy of the data files, so that one data file
// can be damaged without touching the build's.
class DataDirectoryCopy {
 public:
  DataDirectoryCopy() {
    const fs::path data = BuildDataDirectory();
    std::error_code error;
    fs::create_hard_link(data / "velto-cli", program(), error);
    if (error) fs::copy_file(data / "velto-cli", program());
    fs::copy(data / "f0f1f2", directory_.path() / "f0f1f2", fs::copy_options::recursive);
    fs::copy_file(data / "StructFactor.Data", directory_.path() / "StructFactor.Data");
    fs::copy_file(data / "Silicon.struct", directory_.path() / "Silicon.struct");
  }

  fs::path program() const { return directory_.path() / "velto-cli"; }
  fs::path file(const std::string& relative) const { return directory_.path() / relative; }
  // Replaces a data file by a file of the corpus.
  void Replace(const std::string& relative, const std::string& corpusFile) const {
    fs::remove(file(relative));
    fs::copy_file(TestDataPath(corpusFile), file(relative));
  }
  // Rewrites StructFactor.Data with one change to the shipped tables.
  template <typename Change>
  void ChangeStructFactorData(Change change) const {
    crystal::StructFactorData data;
    ASSERT_EQ(crystal::ReadStructFactorFile(BuildDataDirectory() / "StructFactor.Data", data),
              crystal::StructFactorReadStatus::Ok);
    change(data);
    fs::remove(file("StructFactor.Data"));
    directory_.Write("StructFactor.Data", StructFactorFileImage(data));
  }
  ProgramResult Run(const std::vector<std::string>& arguments) const {
    return RunProgram(program().string(), arguments);
  }

 private:
  TemporaryDirectory directory_;
};

// Numbers that are not finite, however the program prints them.
bool PrintsNonFinite(const std::string& text) {
  static const std::regex kNonFinite(R"((^|[^A-Za-z])[-+]?(nan|inf|infinity)([^A-Za-z]|$))", std::regex::icase);
  return std::regex_search(text, kNonFinite);
}

TEST(DataFileChecks, AnF0RecordWithAnAbsurdExponentIsRefusedNamingTheFileTheElementAndTheCheck) {
  DataDirectoryCopy copy;
  copy.Replace("f0f1f2/f0_Params11.dat", "atomic/f0_negative_exponent.dat");
  // f0(0) of the damaged record is still 14: only the exponent check sees it.
  const std::string message = "Error! File " + copy.file("f0f1f2/f0_Params11.dat").string() +
                              ": the f0 parameters of Si (Z = 14): the exponent b1 = -100000 is not plausible !!!!";
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"chi"}, {"rc", "--points", "51"}, {"chi", "--struct", Silicon()}}) {
    const ProgramResult run = copy.Run(arguments);
    EXPECT_EQ(run.status, 1) << arguments[0] << '\n' << run.out;
    EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
  }
}

TEST(DataFileChecks, AnomalousTablesOfAbsurdMagnitudeAreRefused) {
  const struct {
    const char* corpusFile;
    const char* check;
  } cases[] = {
      {"atomic/f1f2_Si_huge_f1.dat", "|f1| = 1e+305 exceeds 570 electrons in row 20"},
      {"atomic/f1f2_Si_huge_f2.dat", "f2 = 1e+200 exceeds 570 electrons in row 20"},
  };
  for (const auto& c : cases) {
    DataDirectoryCopy copy;
    copy.Replace("f0f1f2/f1f2_Si.dat", c.corpusFile);
    const ProgramResult run = copy.Run({"chi"});
    EXPECT_EQ(run.status, 1) << c.corpusFile << '\n' << run.out;
    EXPECT_NE(run.err.find("Error! File " + copy.file("f0f1f2/f1f2_Si.dat").string() + " (Si (Z = 14)): " + c.check),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
  }
}

TEST(DataFileChecks, StructFactorTablesWithAbsurdOrNonFiniteNumbersAreRefusedNamingTheElement) {
  const struct {
    void (*change)(crystal::StructFactorData&);
    std::string fault;
  } cases[] = {
      {[](crystal::StructFactorData& data) { data.elements[14].cromerMann[1] = -100000; },
       "Si (Z = 14): Cromer-Mann coefficients: the exponent b1 = -100000 is not plausible"},
      {[](crystal::StructFactorData& data) { data.elements[14].cromerMann[3] = -2; },
       "Si (Z = 14): Cromer-Mann coefficients: the exponent b2 = -2 is not plausible"},
      {[](crystal::StructFactorData& data) {
         data.elements[14].atomicWeight = std::numeric_limits<double>::quiet_NaN();
       },
       "Si (Z = 14): the atomic weight is not a finite number"},
      {[](crystal::StructFactorData& data) {
         data.elements[26].bindingEnergy[0] = std::numeric_limits<double>::infinity();
       },
       "Fe (Z = 26): a binding energy is not a finite number"},
  };
  for (const auto& c : cases) {
    DataDirectoryCopy copy;
    copy.ChangeStructFactorData(c.change);
    const ProgramResult run = copy.Run({"sf"});
    EXPECT_EQ(run.status, 1) << c.fault << '\n' << run.out;
    EXPECT_EQ(run.err, "Failed to read StructFactor.Data.\n" + copy.file("StructFactor.Data").string() + ": " +
                           c.fault + "\n")
        << c.fault;
    EXPECT_TRUE(run.out.empty()) << run.out;
  }
  // The undamaged copy computes: the checks pass every element of the shipped tables.
  DataDirectoryCopy copy;
  const ProgramResult run = copy.Run({"sf", "--struct", copy.file("Silicon.struct").string()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(PrintsNonFinite(run.out)) << run.out;
}

// Values that read as numbers but that no crystal, scan or angle can take.
TEST(ImpossibleValues, AreRefusedNamingTheOption) {
  const std::string si = Silicon();
  const struct {
    std::vector<std::string> arguments;
    std::string firstLine;
  } cases[] = {
      {{"rc", "--temp", "-5"}, "--temp: a temperature must be above 0 K, not \"-5\""},
      {{"chi", "--temp", "0"}, "--temp: a temperature must be above 0 K, not \"0\""},
      {{"sf", "--temp", "-273.15"}, "--temp: a temperature must be above 0 K, not \"-273.15\""},
      {{"mbd", "--temp", "0"}, "--temp: a temperature must be above 0 K, not \"0\""},
      {{"dcm", "--c1-temp", "-1"}, "--c1-temp: a temperature must be above 0 K, not \"-1\""},
      {{"conv", "--sample-temp", "0"}, "--sample-temp: a temperature must be above 0 K, not \"0\""},
      {{"mbd", "--azimuth", "1e300"}, "--azimuth: an angle must lie within -3600 ... 3600 degrees, not \"1e300\""},
      {{"mbd", "--pol", "-1e20"}, "--pol: an angle must lie within -3600 ... 3600 degrees, not \"-1e20\""},
      {{"rc", "--energy", "nan"}, "--energy: \"nan\" is not a finite number"},
      {{"rc", "--thickness", "nan"}, "--thickness: \"Thickness\" must be a finite number, not \"nan\"."},
      {{"rc", "--offset", "inf"}, "--offset: \"ΔE\" must be a finite number, not \"inf\"."},
      {{"rc", "--asym", "nan"}, "--asym: \"α\" must be a finite number, not \"nan\"."},
      {{"rc", "--asym", "95"}, "--asym: Enter a number between -89.9999 and 89.9999."},
      {{"rc", "--scan", "energy", "--from", "-9000"}, "--from: The scan reaches photon energies at or below 0 eV !"},
      {{"dcm", "--c1-struct", si, "--c2-struct", si, "--scan", "energy", "--from", "-9000", "--to", "0"},
       "--from: The scan reaches photon energies at or below 0 eV !"},
  };
  for (const auto& c : cases) {
    const ProgramResult run = RunProgram("velto-cli", c.arguments);
    EXPECT_EQ(run.status, 1) << c.firstLine;
    EXPECT_EQ(FirstLine(run.err), c.firstLine);
    EXPECT_TRUE(run.out.empty()) << run.out;
  }
  // Angles of a few turns are reduced as the window reduces them.
  const ProgramResult turns =
      RunProgram("velto-cli", {"mbd", "--href", "1", "-1", "0", "--azimuth", "540", "--dtheta", "-20", "20", "3",
                               "--dphi", "-1", "1", "1"});
  EXPECT_EQ(turns.status, 0) << turns.err;
}

// Every file of the corpus read by the commands that read it: a refusal with
// status 1 and a message, or finite numbers with status 0; the corpus file
// is neither changed nor removed.
TEST(Corpus, EveryStructureAndChiFileIsRefusedOrComputedToFiniteNumbers) {
  const auto check = [](const fs::path& file, const std::vector<std::string>& arguments) {
    const std::string before = ReadWholeFile(file);
    const ProgramResult run = RunProgram("velto-cli", arguments);
    const std::string what = arguments[0] + " " + file.filename().string();
    if (run.status == 1) {
      EXPECT_FALSE(run.err.empty()) << what << ": refused without a word";
    } else {
      EXPECT_EQ(run.status, 0) << what << '\n' << run.err;
      EXPECT_FALSE(PrintsNonFinite(run.out)) << what << '\n' << run.out;
      EXPECT_FALSE(run.out.empty()) << what;
    }
    EXPECT_TRUE(fs::is_regular_file(file)) << what;
    EXPECT_EQ(ReadWholeFile(file), before) << what;
  };
  int structures = 0;
  for (const auto& entry : fs::directory_iterator(TestDataPath("structures"))) {
    const std::string path = entry.path().string();
    check(entry.path(), {"chi", "--struct", path});
    check(entry.path(), {"sf", "--struct", path});
    check(entry.path(), {"rc", "--struct", path, "--points", "21"});
    ++structures;
  }
  EXPECT_GE(structures, 19);
  int chiFiles = 0;
  for (const auto& entry : fs::directory_iterator(TestDataPath("chi"))) {
    check(entry.path(), {"mbd", "--href", "1", "-1", "0", "--azimuth", "0", "--dtheta", "-20", "20", "5", "--dphi",
                         "-1", "1", "1", "--chi-import", entry.path().string()});
    ++chiFiles;
  }
  EXPECT_GE(chiFiles, 6);
}

// A chi import that fails says which file and why, in the window's words.
TEST(Corpus, ChiImportRefusalsSayThePathAndTheReason) {
  TemporaryDirectory dir;
  const fs::path missing = dir.path() / "missing.dat";
  const std::vector<std::string> mbd = {"mbd",    "--href", "1",  "-1", "0", "--azimuth", "0", "--dtheta", "-20",
                                        "20",     "5",      "--dphi", "-1", "1", "1",        "--chi-import"};
  const struct {
    fs::path file;
    std::string message;
  } cases[] = {
      {missing, "Error!  Failed to open the file!\n" + missing.string() + ": No such file or directory\n"},
      {dir.path(), "Error!  Failed to open the file!\n" + dir.path().string() + ": is a directory\n"},
      {TestDataPath("chi/infinity.dat"), "Failed to read the file!\nA chi value in it is not a finite number.\n" +
                                             TestDataPath("chi/infinity.dat").string() + ": line "},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = mbd;
    arguments.push_back(c.file.string());
    const ProgramResult run = RunProgram("velto-cli", arguments);
    EXPECT_EQ(run.status, 1) << c.file;
    EXPECT_EQ(run.err.rfind(c.message, 0), 0u) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
  }
}

}  // namespace
}  // namespace velto::testing
