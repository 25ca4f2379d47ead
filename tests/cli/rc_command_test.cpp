#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>

#include "support/RunProgram.h"
#include "support/TestFiles.h"

namespace velto::testing {
namespace {

nlohmann::json RunRcJson(std::vector<std::string> arguments, ProgramResult* result = nullptr) {
  arguments.insert(arguments.begin(), {"rc", "--json"});
  const ProgramResult run = RunProgram("velto-cli", arguments);
  if (result) *result = run;
  EXPECT_EQ(run.status, 0) << run.err;
  return nlohmann::json::parse(run.out, nullptr, /*allow_exceptions=*/false);
}

const char* const kKeys[] = {"theta_b_deg", "b",       "points",       "scan",          "max_r",         "x_max",
                             "x_max_exit",  "r_centre", "x_centre",     "x_centre_exit", "fwhm",          "fwhm_exit",
                             "x_left",      "x_right", "abs_max",      "abs_centre",    "analytic_shift", "analytic_fwhm",
                             "dumond_slope", "min_depth_um", "extinction_um"};

TEST(RcCommand, DefaultsAreTheSiliconRockingCurve) {
  ProgramResult run;
  const nlohmann::json out = RunRcJson({}, &run);
  ASSERT_TRUE(out.is_object()) << run.out;
  EXPECT_EQ(out.size(), std::size(kKeys));
  for (const char* key : kKeys) EXPECT_TRUE(out.contains(key)) << key;
  EXPECT_NEAR(out["theta_b_deg"].get<double>(), 14.2206, 1e-3);
  EXPECT_EQ(out["b"].get<double>(), -1.0);
  EXPECT_EQ(out["points"].get<int>(), 2001);
  EXPECT_EQ(out["scan"], "angle");
  // xrt 1.4 (Chantler tables, no thermal vibration): 7.59″ and 0.9416; the
  // example crystal at 293.15 K is about 3 % narrower through its
  // Debye–Waller factor and a slightly smaller |χh|.
  EXPECT_NEAR(out["fwhm"].get<double>(), 7.59, 0.04 * 7.59);
  EXPECT_NEAR(out["max_r"].get<double>(), 0.9416, 0.01);
  // Symmetric case: exit widths equal incidence widths; the centre lies
  // midway between the half-maximum points, near the refraction shift.
  EXPECT_NEAR(out["fwhm_exit"].get<double>(), out["fwhm"].get<double>(), 1e-6);
  EXPECT_NEAR(out["x_centre"].get<double>(), (out["x_left"].get<double>() + out["x_right"].get<double>()) / 2, 1e-9);
  EXPECT_NEAR(out["x_centre"].get<double>(), out["analytic_shift"].get<double>(), 0.1);
  EXPECT_NEAR(out["abs_max"].get<double>(), out["theta_b_deg"].get<double>() + out["x_max"].get<double>() / 3600, 1e-9);
  // dE/dθ = −E·cot θB, in eV per arcsecond.
  const double theta = out["theta_b_deg"].get<double>() * M_PI / 180;
  EXPECT_NEAR(out["dumond_slope"].get<double>(), -8047.98794 / std::tan(theta) * M_PI / 648000, 1e-6);
  EXPECT_GT(out["min_depth_um"].get<double>(), 0.0);
  EXPECT_GT(out["extinction_um"].get<double>(), 0.0);
  EXPECT_TRUE(run.err.empty()) << run.err;
}

TEST(RcCommand, EnergyScanGivesWidthsInElectronVolts) {
  const nlohmann::json angle = RunRcJson({});
  const nlohmann::json energy = RunRcJson({"--scan", "energy"});
  EXPECT_EQ(energy["scan"], "energy");
  EXPECT_TRUE(energy["analytic_shift"].is_null());
  EXPECT_TRUE(energy["analytic_fwhm"].is_null());
  // The same reflection seen along the DuMond line.
  EXPECT_NEAR(energy["fwhm"].get<double>() / (angle["fwhm"].get<double>() * std::fabs(angle["dumond_slope"].get<double>())),
              1.0, 0.02);
  EXPECT_NEAR(energy["abs_max"].get<double>(), 8.04798794 + energy["x_max"].get<double>() / 1000, 1e-8);
}

TEST(RcCommand, LaueCaseShowsThePendellosungDistance) {
  const nlohmann::json out = RunRcJson({"--laue", "--pol", "pi"});
  EXPECT_EQ(out["b"].get<double>(), 1.0);
  EXPECT_TRUE(out["min_depth_um"].is_null());
  EXPECT_TRUE(out["analytic_fwhm"].is_null());
  EXPECT_GT(out["extinction_um"].get<double>(), 15.0);  // Λπ = Λσ/|cos 2θB|, about 20 µm
  EXPECT_LT(out["fwhm_exit"].get<double>(), 0.0);         // the exit angle falls as the incidence rises
}

TEST(RcCommand, CurveWithoutAWidthShowsNothing) {
  // Starts just past the peak: the maximum is the first sample.
  const nlohmann::json out = RunRcJson({"--from", "4.2", "--to", "60"});
  EXPECT_EQ(out["points"].get<int>(), 2001);
  for (const char* key : kKeys) {
    const std::string name = key;
    if (name == "theta_b_deg" || name == "b" || name == "points" || name == "scan") continue;
    EXPECT_TRUE(out[name].is_null()) << name;
  }
}

TEST(RcCommand, RefusalsPrintTheProgramsMessage) {
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  };
  const Case cases[] = {
      // A refusal of a field that an option typed into names the option.
      {{"--points", "2"}, "--points: Enter an integer between 3 and 100000."},
      {{"--from", "10", "--to", "-10"}, "--from: The scan range is not correct !"},
      {{"--asym", "20"}, "--asym: The absolte value of Offcut Angle should be less than the Bragg angle !"},
      {{"--laue", "--asym", "80"}, "--asym: The Offcut Angle (phi) is out of range!"},
      {{"--laue", "--energy", "1.9"}, "Laue case does not allow thetaB = 90 deg.!"},
      {{"--asym", "ninety"}, "--asym: Enter a number."},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments = c.arguments;
    arguments.insert(arguments.begin(), "rc");
    const ProgramResult run = RunProgram("velto-cli", arguments);
    EXPECT_EQ(run.status, 1) << c.message;
    EXPECT_EQ(run.err, c.message + "\n");
    EXPECT_TRUE(run.out.empty()) << run.out;
  }
}

TEST(RcCommand, ExportsTheChosenColumns) {
  TemporaryDirectory folder;
  const auto file = folder.path() / "si.dat";
  ProgramResult run = RunProgram("velto-cli", {"rc", "-o", file.string()});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string text = ReadWholeFile(file);
  EXPECT_EQ(text.substr(0, 4), "-50\t");
  std::size_t lines = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++lines;
  EXPECT_EQ(lines, 2001u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");

  run = RunProgram("velto-cli", {"rc", "--thickness", "3", "-o", file.string(), "--columns", "exit:deg:abs,r,t,depth"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string first = ReadWholeFile(file).substr(0, ReadWholeFile(file).find("\r\n"));
  EXPECT_EQ(std::count(first.begin(), first.end(), '\t'), 3);
  EXPECT_NEAR(std::stod(first), 14.2206 - 50.0 / 3600, 1e-3);  // absolute exit angle in degrees

  const ProgramResult unavailable =
      RunProgram("velto-cli", {"rc", "-o", file.string(), "--columns", "scan,t"});
  EXPECT_EQ(unavailable.status, 1);
  EXPECT_EQ(unavailable.err, "The column \"t\" is not available for this curve.\n");
  const ProgramResult noAngle = RunProgram("velto-cli", {"rc", "-o", file.string(), "--columns", "r"});
  EXPECT_EQ(noAngle.err, "You must select Incident angle or Exit angle or Both!\n");
  const ProgramResult noValue =
      RunProgram("velto-cli", {"rc", "--scan", "energy", "-o", file.string(), "--columns", "scan"});
  EXPECT_EQ(noValue.err, "At least one of the right 4 columns must be selected.\n");
  const ProgramResult cannot =
      RunProgram("velto-cli", {"rc", "-o", (folder.path() / "missing" / "x.dat").string()});
  EXPECT_EQ(cannot.status, 1);
  EXPECT_EQ(cannot.err.rfind("Cannot create the file \"", 0), 0u);
}

TEST(RcCommand, SummaryShowsTheFormsTexts) {
  const ProgramResult run = RunProgram("velto-cli", {"rc"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("b =                 -1  (-1)"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Stepsize = 0.05 \""), std::string::npos) << run.out;
  EXPECT_NE(run.out.find(" urad ("), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Analytical Extinction depth:"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace velto::testing
