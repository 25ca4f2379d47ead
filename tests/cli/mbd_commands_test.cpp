#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "support/RunProgram.h"
#include "support/TestFiles.h"

namespace velto::testing {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(VeltoCliMbd, WritesTheResultsFileAndASummary) {
  TemporaryDirectory dir;
  const std::string file = (dir.path() / "run.dat").string();
  const ProgramResult run =
      RunProgram("velto-cli", {"mbd", "--energy", "8", "--href", "1", "-1", "0", "--azimuth", "-10.39", "--add",
                               "1 1 -1", "--dtheta", "-10", "20", "7", "--dphi", "-5", "5", "3", "--columns",
                               "phi,theta,r,components", "-o", file});
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json summary = nlohmann::json::parse(run.out);
  EXPECT_EQ(summary["lines"], 21);
  EXPECT_EQ(summary["beams"].size(), 3u);
  EXPECT_EQ(summary["si_mode"], true);
  const std::vector<std::string> lines = Lines(ReadWholeFile(file));
  ASSERT_EQ(lines.size(), 21u);
  EXPECT_EQ(lines[0].rfind("-5, -10, ", 0), 0u) << lines[0];
  for (const std::string& line : lines) {
    std::istringstream in(line);
    double phi, theta, r, s, p;
    char c;
    ASSERT_TRUE(in >> phi >> c >> theta >> c >> r >> c >> s >> c >> p) << line;
    EXPECT_NEAR(s + p, r, 1e-7);
    EXPECT_GE(r, 0);
    EXPECT_LE(r, 1);
  }
}

TEST(VeltoCliMbd, ReportsRefusedReflectionsAndProgramRefusals) {
  const ProgramResult added = RunProgram(
      "velto-cli", {"mbd", "--href", "1", "-1", "0", "--azimuth", "0", "--add", "1 1 0", "--add", "1 1 1",
                    "--dtheta", "0", "1", "1", "--dphi", "0", "1", "1"});
  ASSERT_EQ(added.status, 0) << added.err;
  EXPECT_NE(added.err.find("forbidden for Si/Ge/C"), std::string::npos);
  EXPECT_NE(added.err.find("1 1 1 is already included!"), std::string::npos);
  EXPECT_EQ(Lines(added.out).size(), 1u);  // one point on standard output

  const ProgramResult noReference = RunProgram("velto-cli", {"mbd", "--azimuth", "0"});
  EXPECT_EQ(noReference.status, 1);
  EXPECT_NE(noReference.err.find("Horizontal Reference Direction has not been defined!"), std::string::npos);
  const ProgramResult badRange =
      RunProgram("velto-cli", {"mbd", "--href", "1", "-1", "0", "--azimuth", "0", "--dtheta", "5", "5", "3"});
  EXPECT_EQ(badRange.status, 1);
  EXPECT_NE(badRange.err.find("Invalid Delta omega range!"), std::string::npos);
  const ProgramResult lowEnergy = RunProgram("velto-cli", {"mbd", "--energy", "1", "--href", "1", "-1", "0"});
  EXPECT_EQ(lowEnergy.status, 1);
  EXPECT_NE(lowEnergy.err.find("below the minimum energy of the primary reflection, 1.97"), std::string::npos);
  // As in the window: the crystal dialog takes 9 9 9 at the start energy
  // with θB = 90°, and an energy asked for is then refused for it.
  const ProgramResult noBragg =
      RunProgram("velto-cli", {"mbd", "--hkl", "9", "9", "9", "--energy", "8", "--href", "1", "-1", "0"});
  EXPECT_EQ(noBragg.status, 1);
  EXPECT_NE(noBragg.err.find("below the minimum energy of the primary reflection"), std::string::npos);
  const ProgramResult atStart = RunProgram(
      "velto-cli", {"mbd", "--hkl", "9", "9", "9", "--href", "1", "-1", "0", "--azimuth", "0", "--search", "2", "0"});
  ASSERT_EQ(atStart.status, 0) << atStart.err;
  EXPECT_DOUBLE_EQ(nlohmann::json::parse(atStart.out)["theta_b_deg"].get<double>(), 90);
}

TEST(VeltoCliMbd, SearchListsReflectionsNearTheAzimuth) {
  const ProgramResult run =
      RunProgram("velto-cli", {"mbd", "--energy", "8", "--href", "1", "-1", "0", "--azimuth", "-10", "--search", "1", "1e-8"});
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json summary = nlohmann::json::parse(run.out);
  bool found = false;
  for (const auto& hit : summary["search"]["hits"]) found = found || hit["hkl"] == "1 1 -1";
  EXPECT_TRUE(found);
}

TEST(VeltoCliMap, ExportsTheDefaultSiliconMapAndItsDrawing) {
  TemporaryDirectory dir;
  const std::string data = (dir.path() / "map.dat").string();
  const std::string vertical = (dir.path() / "vertical.dat").string();
  const std::string svg = (dir.path() / "map.svg").string();
  const ProgramResult run = RunProgram("velto-cli", {"map", "-o", data, "--vertical", "0", vertical, "--svg", svg});
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json summary = nlohmann::json::parse(run.out);
  EXPECT_GT(summary["lines"].size(), 10u);
  const std::vector<std::string> exported = Lines(ReadWholeFile(data));
  EXPECT_GT(exported.size(), 100u);
  EXPECT_EQ(exported.back(), "");  // each polyline ends with an empty line
  EXPECT_NE(ReadWholeFile(vertical).find(",  "), std::string::npos);
  EXPECT_NE(run.err.find("Done! But if there is a vertical MBD line at Phi = 0 deg"), std::string::npos);
  EXPECT_NE(ReadWholeFile(svg).find("<polyline"), std::string::npos);

  const ProgramResult outside = RunProgram("velto-cli", {"map", "--vertical", "11", vertical});
  EXPECT_EQ(outside.status, 1);
  EXPECT_NE(outside.err.find("The Phi angle is out of the Map Range."), std::string::npos);
  const ProgramResult badEnergy = RunProgram("velto-cli", {"map", "--energy-range", "9", "8", "51"});
  EXPECT_EQ(badEnergy.status, 1);
  EXPECT_NE(badEnergy.err.find("The energy range is invalid!"), std::string::npos);
}

TEST(VeltoCliMap, QuestionsOfTheWindowAreAnsweredNoUnlessForced) {
  // 0 0 2 of silicon has no structure factor; the settings dialog asks.
  const ProgramResult asked = RunProgram("velto-cli", {"map", "--hkl", "0", "0", "2"});
  EXPECT_EQ(asked.status, 1);
  EXPECT_NE(asked.err.find("The Primary Reflection seems to be a forbidden reflection"), std::string::npos);
  EXPECT_NE(asked.err.find("(use --force to proceed)"), std::string::npos);
  EXPECT_TRUE(asked.out.empty());
  const ProgramResult forced = RunProgram("velto-cli", {"map", "--hkl", "0", "0", "2", "--force"});
  ASSERT_EQ(forced.status, 0) << forced.err;
  EXPECT_NEAR(nlohmann::json::parse(forced.out)["lowest_energy_ev"].get<double>(), 6199.2122 / (5.43102064 / 2), 1e-6);

  const ProgramResult high = RunProgram("velto-cli", {"map", "--energy-range", "60", "62", "3", "--phi-range", "0", "1", "3"});
  EXPECT_EQ(high.status, 1);
  EXPECT_NE(high.err.find("Calculation for high energies could be very slow."), std::string::npos);
}

}  // namespace
}  // namespace velto::testing
