#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sstream>

#include "core/Units.h"
#include "cli/CliRun.h"
#include "support/TestFiles.h"

namespace velto::testing {
namespace {

std::string Silicon() { return (BuildDataDirectory() / "Silicon.struct").string(); }

std::vector<std::string> Pair(std::vector<std::string> more = {}) {
  std::vector<std::string> arguments{"dcm", "--c1-struct", Silicon(), "--c2-struct", Silicon()};
  arguments.insert(arguments.end(), more.begin(), more.end());
  return arguments;
}

std::vector<std::vector<double>> ReadColumns(const std::filesystem::path& file, std::size_t* firstTab = nullptr) {
  std::istringstream lines(ReadWholeFile(file));
  std::vector<std::vector<double>> rows;
  std::string line;
  while (std::getline(lines, line)) {
    if (firstTab && rows.empty()) *firstTab = line.find('\t');
    std::vector<double> row;
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, '\t');) row.push_back(std::atof(field.c_str()));
    rows.push_back(row);
  }
  return rows;
}

TEST(DcmCommand, IdenticalSymmetricPairSquaresTheFirstCrystal) {
  const nlohmann::json both = RunCliJson(Pair());
  const nlohmann::json first = RunCliJson(Pair({"--only-first"}));
  EXPECT_EQ(both["phi_deg"].get<double>(), 0);
  EXPECT_EQ(both["texts"]["phi"].get<std::string>(), "0");
  EXPECT_EQ(both["points"].get<int>(), 2001);
  EXPECT_EQ(both["texts"]["stepsize"].get<std::string>(), "Stepsize = 0.05 \"");
  ASSERT_EQ(both["values"].size(), 2001u);
  for (std::size_t i = 0; i < 2001; i += 50) {
    const double r = first["values"][i].get<double>();
    EXPECT_NEAR(both["values"][i].get<double>(), r * r, 1e-9) << i;
  }
  EXPECT_LT(both["fwhm"].get<double>(), first["fwhm"].get<double>());
  const std::string fwhmText = both["texts"]["fwhm"].get<std::string>();
  EXPECT_EQ(fwhmText.substr(fwhmText.size() - 2), " \"");
  EXPECT_NE(both["texts"]["max"].get<std::string>().find("   at  "), std::string::npos);

  const ProgramResult summary = RunProgram("velto-cli", Pair());
  ASSERT_EQ(summary.status, 0) << summary.err;
  EXPECT_NE(summary.out.find("Half Maxima at:"), std::string::npos) << summary.out;
}

TEST(DcmCommand, AutoSetAlignsADispersivePair) {
  const nlohmann::json plain = RunCliJson(Pair({"--geometry", "dispersive"}));
  const nlohmann::json set = RunCliJson(Pair({"--geometry", "dispersive", "--auto-set"}));
  ASSERT_TRUE(set.contains("auto_set"));
  const nlohmann::json& proposal = set["auto_set"];
  // Φ = 180° − 2θB for two identical symmetric crystals (+,+).
  EXPECT_NEAR(proposal["phi_deg"].get<double>(), 180 - 2 * 14.22063748, 1e-6);
  // The dialog's OK writes ΔΦ with 4 decimals; that is what is computed.
  const std::string text = proposal["delta_phi_text"].get<std::string>();
  EXPECT_LE(text.size() - text.find('.') - 1, 4u);
  EXPECT_EQ(set["delta_phi_arcsec"].get<double>(), std::atof(text.c_str()));
  EXPECT_NEAR(set["delta_phi_arcsec"].get<double>(), proposal["delta_phi_arcsec"].get<double>(), 5e-5);
  EXPECT_LT(proposal["delta_phi_arcsec"].get<double>(), -10);  // twice the refraction shift of about 7"
  EXPECT_GT(set["max"].get<double>(), 0.8);
  EXPECT_GT(set["max"].get<double>(), plain["max"].get<double>() + 0.1);
}

TEST(DcmCommand, EnergyScanDefaultsAndExportColumns) {
  TemporaryDirectory directory;
  const auto file = directory.path() / "e.dat";
  const nlohmann::json out =
      RunCliJson(Pair({"--scan", "energy", "--points", "401", "-o", file.string(), "--columns", "scan:abs,exit:urad,r"}));
  EXPECT_EQ(out["from"].get<double>(), -2);
  EXPECT_EQ(out["to"].get<double>(), 2);
  EXPECT_EQ(out["unit"].get<std::string>(), "eV");
  EXPECT_EQ(out["texts"]["stepsize"].get<std::string>(), "Stepsize = 0.01 eV");
  const std::string fwhmText = out["texts"]["fwhm"].get<std::string>();
  EXPECT_EQ(fwhmText.substr(fwhmText.size() - 3), " eV");
  const auto rows = ReadColumns(file);
  ASSERT_EQ(rows.size(), 401u);
  const double energy = 12398.4244 / 1.540562;
  for (std::size_t i = 0; i < rows.size(); i += 40) {
    ASSERT_EQ(rows[i].size(), 3u);
    EXPECT_NEAR(rows[i][0], energy - 2 + 0.01 * i, 1e-7);
    // A fixed incidence: both crystals reflect at the same angles, so the
    // beam leaves where it would at the Bragg energy.
    EXPECT_NEAR(rows[i][1], 0, 1e-6);
    EXPECT_NEAR(rows[i][2], out["values"][i].get<double>(), 1e-8);
  }
}

TEST(DcmCommand, ExitColumnAloneStartsTheLine) {
  TemporaryDirectory directory;
  const auto file = directory.path() / "x.dat";
  const nlohmann::json out = RunCliJson(Pair({"--points", "101", "-o", file.string(), "--columns", "exit:arcsec,r"}));
  std::size_t firstTab = 0;
  const auto rows = ReadColumns(file, &firstTab);
  ASSERT_EQ(rows.size(), 101u);
  EXPECT_GT(firstTab, 0u);
  // Parallel crystals: the beam leaves deviated by the rocking angle.
  for (std::size_t i = 0; i < rows.size(); i += 10) EXPECT_NEAR(rows[i][0], -50.0 + static_cast<double>(i), 1e-6);
}

TEST(DcmCommand, RefusalsPrintTheProgramsMessage) {
  ProgramResult run = RunProgram("velto-cli", {"dcm", "--c2-struct", Silicon()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(FirstLine(run.err), "You have to define 1st Crystal !");
  run = RunProgram("velto-cli", {"dcm", "--c1-struct", Silicon()});
  EXPECT_EQ(FirstLine(run.err), "You have to define 2nd Crystal !");
  // A refusal of a field an option typed into names the option.
  run = RunProgram("velto-cli", Pair({"--phi2", "20"}));
  EXPECT_EQ(FirstLine(run.err), "--phi2: The absolte value of Offcut Angle should be less than the Bragg angle !");
  run = RunProgram("velto-cli", Pair({"--phi1", "95"}));
  EXPECT_EQ(run.err, "--phi1: Enter a number between -89.9999 and 89.9999.\n");
  run = RunProgram("velto-cli", Pair({"--from", "5", "--to", "-5"}));
  EXPECT_EQ(FirstLine(run.err), "--from: The rocking range must between 0.001 and 360,000 arcsec !");
  TemporaryDirectory directory;
  const std::string file = (directory.path() / "c.dat").string();
  run = RunProgram("velto-cli", Pair({"-o", file, "--columns", "r"}));
  EXPECT_EQ(FirstLine(run.err), "You must select Incident angle or Exit angle or Both!");
  run = RunProgram("velto-cli", Pair({"--scan", "energy", "-o", file, "--columns", "r"}));
  EXPECT_EQ(FirstLine(run.err), "You must select Photon energy or Exit angle or Both!");
  run = RunProgram("velto-cli", Pair({"-o", file, "--columns", "scan:deg:abs"}));
  EXPECT_EQ(FirstLine(run.err), "At least one of the right 4 columns must be selected.");
  EXPECT_FALSE(std::filesystem::exists(file));
  run = RunProgram("velto-cli", Pair({"-o", (directory.path() / "missing" / "c.dat").string()}));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(FirstLine(run.err), "Cannot create the file \"" + (directory.path() / "missing" / "c.dat").string() +
                                    "\" !");
}

}  // namespace
}  // namespace velto::testing
