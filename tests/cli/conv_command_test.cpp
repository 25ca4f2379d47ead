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

// Silicon 1 1 1 on silicon 1 1 1 on a coarser grid than the window's
// defaults, so that the tests stay quick in the sanitizer build.
std::vector<std::string> Quick(std::vector<std::string> more = {}) {
  std::vector<std::string> arguments{"conv",          "--mono-struct",       Silicon(), "--sample-struct",
                                     Silicon(),       "--spectral-points",   "101",     "--divergence-points",
                                     "11",            "--points",            "81"};
  arguments.insert(arguments.end(), more.begin(), more.end());
  return arguments;
}

TEST(ConvCommand, ComputesTheSiliconCurveWithTheFormsTexts) {
  const nlohmann::json out = RunCliJson(Quick());
  ASSERT_TRUE(out.is_object());
  EXPECT_TRUE(out["curve"].get<bool>());
  EXPECT_EQ(out["points"].get<int>(), 81);
  EXPECT_DOUBLE_EQ(out["step_arcsec"].get<double>(), 1.25);
  EXPECT_EQ(out["stepsize_text"].get<std::string>(), "Stepsize = 1.25 \"");
  EXPECT_EQ(out["values"].size(), 81u);
  // A double-crystal Si 1 1 1 mono on a Si 1 1 1 sample, non-dispersive:
  // the correlation of Darwin curves of about 7", whatever the spectrum.
  const double fwhm = out["fwhm_arcsec"].get<double>();
  EXPECT_GT(fwhm, 6);
  EXPECT_LT(fwhm, 14);
  EXPECT_DOUBLE_EQ(out["fwhm_deg"].get<double>(), fwhm / 3600);
  EXPECT_NEAR(out["fwhm_urad"].get<double>(), fwhm * core::kArcsecond * 1e6, 1e-9);
  const std::string arcsecText = out["fwhm_text"][0].get<std::string>();
  EXPECT_EQ(arcsecText.substr(arcsecText.size() - 2), " \"");
  EXPECT_NEAR(std::atof(arcsecText.c_str()), fwhm, 1e-4);
  EXPECT_EQ(out["fwhm_text"][2].get<std::string>().substr(out["fwhm_text"][2].get<std::string>().size() - 5),
            " urad");
  EXPECT_NEAR(out["peak_at_arcsec"].get<double>(), 0, 2.5);

  const ProgramResult summary = RunProgram("velto-cli", Quick());
  ASSERT_EQ(summary.status, 0) << summary.err;
  EXPECT_NE(summary.out.find("FWHM:"), std::string::npos);
  EXPECT_NE(summary.out.find("Stepsize = 1.25 \""), std::string::npos) << summary.out;
}

TEST(ConvCommand, FieldsAreBroughtToWhatTheFormShows) {
  const nlohmann::json out = RunCliJson(Quick({"--fwhm", "0", "--range", "-5", "--divergence", "0"}));
  EXPECT_EQ(out["spectrum_fwhm_ev"].get<double>(), -1);
  EXPECT_EQ(out["spectrum_range_ev"].get<double>(), 0);
  EXPECT_EQ(out["spectral_points"].get<int>(), 1);
  EXPECT_EQ(out["divergence_points"].get<int>(), 1);
  EXPECT_EQ(out["thickness_um"].get<double>(), -1);
  const nlohmann::json cut = RunCliJson(Quick({"--thickness", "20", "--channel-cut"}));
  EXPECT_EQ(cut["thickness_um"].get<double>(), -1);
}

TEST(ConvCommand, RandomPolarizationIsTheSumOfSigmaAndPi) {
  const nlohmann::json sigma = RunCliJson(Quick({"--pol", "sigma"}));
  const nlohmann::json pi = RunCliJson(Quick({"--pol", "pi"}));
  const nlohmann::json random = RunCliJson(Quick({"--pol", "random"}));
  for (std::size_t i = 0; i < 81; i += 8) {
    const double sum = sigma["values"][i].get<double>() + pi["values"][i].get<double>();
    EXPECT_NEAR(random["values"][i].get<double>(), sum, 1e-12 * sum) << i;
  }
}

TEST(ConvCommand, ExportWritesAnglesAndIntensities) {
  TemporaryDirectory directory;
  const auto file = directory.path() / "rc.dat";
  const nlohmann::json out =
      RunCliJson(Quick({"--sample-asym", "3", "-o", file.string(), "--unit", "deg", "--absolute"}));
  std::istringstream lines(ReadWholeFile(file));
  std::string line;
  int count = 0;
  // θB of Si 1 1 1 at Cu Kα1 is 14.2207°; the sample's nominal incidence
  // is θB − φ.
  const double theta0 = 14.22063748 - 3;
  while (std::getline(lines, line)) {
    const auto tab = line.find('\t');
    ASSERT_NE(tab, std::string::npos) << line;
    const double angle = std::atof(line.c_str());
    const double value = std::atof(line.c_str() + tab + 1);
    const double omega = -50 + 1.25 * count;
    EXPECT_NEAR(angle, theta0 + omega / 3600, 2e-8) << line;
    EXPECT_NEAR(value, out["values"][count].get<double>(), 1e-8) << line;
    ++count;
  }
  EXPECT_EQ(count, 81);
}

TEST(ConvCommand, RefusalsPrintTheProgramsMessage) {
  ProgramResult run = RunProgram("velto-cli", {"conv", "--sample-struct", Silicon()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(FirstLine(run.err), "You have to define Momochromator !");
  run = RunProgram("velto-cli", {"conv", "--mono-struct", Silicon()});
  EXPECT_EQ(FirstLine(run.err), "You have to define Sample !");
  run = RunProgram("velto-cli", {"conv", "--mono-struct", Silicon(), "--sample-struct", Silicon(), "--points", "2"});
  EXPECT_EQ(run.status, 1);
  // The refusal names the option that typed into the field.
  EXPECT_EQ(run.err, "--points: Enter an integer between 3 and 100000.\n");
  run = RunProgram("velto-cli", Quick({"--from", "10", "--to", "10"}));
  EXPECT_EQ(FirstLine(run.err), "--from: The rocking range must between 0.001 and 360,000 arcsec !");
  run = RunProgram("velto-cli", Quick({"--mono-asym", "-15"}));
  EXPECT_EQ(FirstLine(run.err), "--mono-asym: The absolte value of Offcut Angle should be less than the Bragg angle !");
  // The crystal is taken over with the window's note, then refused.
  run = RunProgram("velto-cli", Quick({"--sample-hkl", "5", "5", "5"}));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("180^o BackDiffraction invalid here!\nNo diffraction!\n"), std::string::npos) << run.err;
  run = RunProgram("velto-cli", Quick({"--range", "nan"}));
  EXPECT_EQ(run.status, 1);
  // A curve that is zero everywhere is dropped: nothing to export.
  TemporaryDirectory directory;
  run = RunProgram("velto-cli", Quick({"--from", "-100000", "--to", "-60000", "-o",
                                       (directory.path() / "none.dat").string()}));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(FirstLine(run.err), "No data to export yet !");
  EXPECT_FALSE(std::filesystem::exists(directory.path() / "none.dat"));
}

}  // namespace
}  // namespace velto::testing
