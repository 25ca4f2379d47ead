#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>

#include "core/Units.h"
#include "cli/CliRun.h"
#include "support/TestFiles.h"

namespace velto::testing {
namespace {

constexpr double kSiliconA = 5.43102064;

nlohmann::json RunJson(std::vector<std::string> arguments, ProgramResult* result = nullptr) {
  arguments.insert(arguments.begin(), "chi");
  return RunCliJson(std::move(arguments), result);
}

double Modulus(const nlohmann::json& pair) { return std::hypot(pair[0].get<double>(), pair[1].get<double>()); }

TEST(ChiCommand, DefaultsAreSilicon111AtCopperKAlpha1) {
  ProgramResult run;
  const nlohmann::json out = RunJson({}, &run);
  ASSERT_TRUE(out.is_object()) << run.out;
  for (const char* key : {"d", "theta_b_deg", "bragg", "chi0", "chih", "chimh", "chihp", "chimhp", "f0", "fh", "fmh",
                          "mu_per_um", "penetration_um"})
    EXPECT_TRUE(out.contains(key)) << key;
  EXPECT_NEAR(out["d"].get<double>(), kSiliconA / std::sqrt(3.0), 1e-12);
  EXPECT_TRUE(out["bragg"].get<bool>());
  EXPECT_NEAR(out["theta_b_deg"].get<double>(), 14.2212, 1e-3);
  // xrt 1.4 with the Chantler tables: χ0 = −15.170e-6 − 0.351e-6 i.
  EXPECT_NEAR(out["chi0"][0].get<double>(), -15.170e-6, 15.170e-6 * 0.01);
  EXPECT_NEAR(out["chi0"][1].get<double>(), -0.351e-6, 0.351e-6 * 0.03);
  EXPECT_EQ(out["chihp"], out["chih"]);
  EXPECT_EQ(out["chimhp"], out["chimh"]);
  // Structure factors are chi over −r_e·λ²/(π·V); F0 counts the 8 × 14
  // electrons of the cell plus the anomalous part.
  const double lambda = core::kHcEvAngstrom / (core::kCuKalpha1Kev * 1000);
  const double scale = -core::kElectronRadius * lambda * lambda / (core::kPi * std::pow(kSiliconA, 3));
  EXPECT_NEAR(out["f0"][0].get<double>() * scale, out["chi0"][0].get<double>(), 1e-15);
  EXPECT_NEAR(out["f0"][0].get<double>(), 8 * 14.25, 0.5);
  EXPECT_NEAR(Modulus(out["fh"]) * std::fabs(scale), Modulus(out["chih"]), 1e-15);
  EXPECT_NEAR(Modulus(out["fmh"]), Modulus(out["fh"]), 1e-9);
  const double mu = out["mu_per_um"].get<double>();
  EXPECT_GT(mu, 0.0);
  EXPECT_NEAR(out["penetration_um"].get<double>() * mu, 1.0, 1e-12);
  EXPECT_TRUE(run.err.empty()) << run.err;
}

TEST(ChiCommand, SummaryShowsTheNumbersInTheSuitesFormat) {
  const ProgramResult run = RunProgram("velto-cli", {"chi"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Silicon"), std::string::npos);
  EXPECT_NE(run.out.find("3.13560123"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("14.22063748"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("-15.1461"), std::string::npos) << "chi shown x 10^6: " << run.out;
  EXPECT_NE(run.out.find("Penetration depth"), std::string::npos);
}

TEST(ChiCommand, OptionsChooseEnergyReflectionAndTemperature) {
  const nlohmann::json r400 = RunJson({"--hkl", "4", "0", "0"});
  EXPECT_NEAR(r400["d"].get<double>(), kSiliconA / 4, 1e-12);
  EXPECT_NEAR(r400["theta_b_deg"].get<double>(), 34.6, 0.05);
  // Friedel pair of a negative index gives the same d.
  const nlohmann::json minus = RunJson({"--hkl", "-4", "0", "0"});
  EXPECT_DOUBLE_EQ(minus["d"].get<double>(), r400["d"].get<double>());
  // Cold crystals reflect more strongly (Debye–Waller); 0 K itself is refused.
  const nlohmann::json cold = RunJson({"--hkl", "4", "0", "0", "--temp", "4.2"});
  EXPECT_GT(Modulus(cold["chih"]), Modulus(r400["chih"]));
  // Higher energy: smaller Bragg angle and |χ0| falling as 1/E².
  const nlohmann::json hard = RunJson({"--energy", "16.09597588412540"});
  const nlohmann::json soft = RunJson({});
  EXPECT_LT(hard["theta_b_deg"].get<double>(), soft["theta_b_deg"].get<double>());
  EXPECT_NEAR(hard["chi0"][0].get<double>() / soft["chi0"][0].get<double>(), 0.25, 0.01);
}

TEST(ChiCommand, NoBraggAngleGivesNinetyDegreesAndAWarning) {
  ProgramResult run;
  const nlohmann::json out = RunJson({"--energy", "2", "--hkl", "4", "0", "0"}, &run);
  EXPECT_FALSE(out["bragg"].get<bool>());
  EXPECT_EQ(out["theta_b_deg"].get<double>(), 90.0);
  EXPECT_LT(out["chi0"][0].get<double>(), 0.0) << "chi is still computed";
  EXPECT_NE(run.err.find("d-spacing seems to be too small to satisfy Bragg condition! \nSet thetaB = 90 deg."),
            std::string::npos)
      << run.err;
}

TEST(ChiCommand, ReadsAStructureFileGivenByPath) {
  TemporaryDirectory directory;
  const auto path = directory.Write("gaas.struct",
                                    "GaAs\n5.65325 5.65325 5.65325\n90 90 90\n8\n"
                                    "Ga 0 0 0\nGa 0.5 0.5 0\nGa 0.5 0 0.5\nGa 0 0.5 0.5\n"
                                    "As 0.25 0.25 0.25\nAs 0.75 0.75 0.25\nAs 0.75 0.25 0.75\nAs 0.25 0.75 0.75\n"
                                    "360\n370\n");
  const nlohmann::json out = RunJson({"--struct", path.string(), "--hkl", "2", "0", "0"});
  ASSERT_TRUE(out.is_object());
  EXPECT_NEAR(out["d"].get<double>(), 5.65325 / 2, 1e-12);
  // (2 0 0) of zinc blende is weak but not forbidden: 4·(f_Ga − f_As).
  EXPECT_GT(Modulus(out["fh"]), 0.5);
  EXPECT_LT(Modulus(out["fh"]), 10.0);
}

TEST(ChiCommand, RefusalsPrintTheMessageAndExitWithOne) {
  TemporaryDirectory directory;
  const auto unknown = directory.Write("ion.struct", "Ion\n4 4 4\n90 90 90\n1\nXx 0 0 0 1\n300\n");
  const auto missing = (directory.path() / "absent.struct").string();
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  };
  const std::vector<Case> cases{
      {{"chi", "--hkl", "0", "0", "0"}, "HKL should not be ALL zero!"},
      {{"chi", "--hkl", "1000", "0", "0"}, "Enter an integer between -999 and 999."},
      {{"chi", "--struct", missing}, "Failed to open file '" + missing + "' !"},
      {{"chi", "--struct", unknown.string()}, "Failed to open file '" + unknown.string() + "' !"},
      {{"chi", "--energy", "0.0005"}, "Error! Energy below the file range!!!"},
      {{"chi", "--energy", "100"},
       "Currently this program cannot calculate structure factors for photon energies > 99.9 keV. You must "
       "MANUALLY SET the structure factors!"},
      {{"chi", "--energy", "-8"}, "The photon energy must be a positive number of keV."},
      {{"chi", "--json", "--hkl", "0", "0", "0"}, "HKL should not be ALL zero!"},
  };
  for (const Case& c : cases) {
    const ProgramResult run = RunProgram("velto-cli", c.arguments);
    EXPECT_EQ(run.status, 1) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
  }
}

}  // namespace
}  // namespace velto::testing
