// velto-cli sf, ff, ffloop and parasitic run as programs.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>

#include "support/RunProgram.h"
#include "support/TestFiles.h"

namespace velto::testing {
namespace {

nlohmann::json Json(const ProgramResult& run) {
  EXPECT_EQ(run.status, 0) << run.err;
  return nlohmann::json::parse(run.out, nullptr, /*allow_exceptions=*/false);
}

TEST(SfCommand, Silicon111GivesStructureFactorsChiAndTheClipboardText) {
  const auto out = Json(RunProgram("velto-cli", {"sf", "--hkl", "1", "1", "1", "--json"}));
  ASSERT_TRUE(out.is_object());
  EXPECT_EQ(out["crystal"], "Silicon");
  EXPECT_NEAR(out["theta_b_deg"].get<double>(), 14.2206, 1e-3);
  const auto& f = out["structure_factors"];
  for (const char* key : {"F0", "Fh", "F-h", "Fh_pi", "F-h_pi"}) EXPECT_TRUE(f.contains(key)) << key;
  // F0 counts 8 × (14 + f') electrons; |F_h| = |F_−h| for silicon, and the
  // π value is the σ value times |cos 2θB|.
  EXPECT_NEAR(f["F0"]["value"][0].get<double>(), 8 * 14.25, 0.5);
  EXPECT_NEAR(f["Fh"]["modulus"].get<double>(), f["F-h"]["modulus"].get<double>(), 1e-9);
  const double p = std::cos(2 * out["theta_b_deg"].get<double>() * M_PI / 180);
  EXPECT_NEAR(f["Fh_pi"]["modulus"].get<double>(), p * f["Fh"]["modulus"].get<double>(), 1e-9);
  EXPECT_NEAR(out["chi"]["chihp"][1].get<double>(), p * out["chi"]["chih"][1].get<double>(), 1e-15);
  EXPECT_NEAR(out["chi"]["chi0"][0].get<double>(), -15.15e-6, 0.2e-6);
  EXPECT_NEAR(out["penetration_um"].get<double>() * out["mu_per_um"].get<double>(), 1.0, 1e-12);
  // The clipboard carries the components as a crystal holds them: the π
  // lines repeat the σ lines, without the polarisation factor.
  const std::string clipboard = out["clipboard"];
  EXPECT_EQ(clipboard.rfind("(-15.1", 0), 0u);
  std::vector<std::string> lines;
  for (std::size_t at = 0, end; (end = clipboard.find("\r\n", at)) != std::string::npos; at = end + 2)
    lines.push_back(clipboard.substr(at, end - at));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[3], lines[1]);
  EXPECT_EQ(lines[4], lines[2]);
}

TEST(SfCommand, ForwardOnlyAndNoDiffraction) {
  const auto forward = Json(RunProgram("velto-cli", {"sf", "--hkl", "0", "0", "0", "--json"}));
  EXPECT_TRUE(forward["d"].is_null());
  EXPECT_EQ(forward["structure_factors"].size(), 1u);
  const ProgramResult far = RunProgram("velto-cli", {"sf", "--hkl", "1", "1", "1", "--energy", "1"});
  EXPECT_EQ(far.status, 0);
  EXPECT_NE(far.out.find("No diffraction!"), std::string::npos);
  EXPECT_NE(far.err.find("OOps! d-spacing too small to satisfy Bragg condition!"), std::string::npos);
  EXPECT_NE(RunProgram("velto-cli", {"sf", "--hkl", "1000", "0", "0"}).status, 0);
}

TEST(FfCommand, CopperAtCuKAlpha) {
  const auto out = Json(RunProgram("velto-cli", {"ff", "--element", "cu", "--energy", "8.048", "--json"}));
  EXPECT_EQ(out["z"], 29);
  EXPECT_NEAR(out["f0"].get<double>(), 29.0, 0.05);
  // Chantler (NIST FFAST): f' = −1.99, f'' = 0.583 at 8.048 keV.
  EXPECT_NEAR(out["f1"].get<double>(), -1.99, 0.3);
  EXPECT_NEAR(out["f2"].get<double>(), 0.583, 0.03);
  EXPECT_NEAR(out["f_real"].get<double>(), out["f0"].get<double>() + out["f1"].get<double>(), 1e-12);
  EXPECT_EQ(Json(RunProgram("velto-cli", {"ff", "--element", "29", "--json"}))["element"], "Cu");
  const ProgramResult unknown = RunProgram("velto-cli", {"ff", "--element", "Xx"});
  EXPECT_NE(unknown.status, 0);
  EXPECT_NE(unknown.err.find("Invalid elment!"), std::string::npos);
  const ProgramResult tooFar = RunProgram("velto-cli", {"ff", "--element", "Si", "--energy", "24.8", "--theta", "60"});
  EXPECT_NE(tooFar.status, 0);
  EXPECT_NE(tooFar.err.find("should not be greater than 18.5"), std::string::npos);
}

TEST(FfLoopCommand, WritesTheTableOrRefusesTheRange) {
  TemporaryDirectory directory;
  const auto file = directory.path() / "si.dat";
  // The loop dialog opens at 0.1 to 20 keV in steps of 0.1: 198 lines, the
  // last at 19.8 keV, each ended by CR LF as the curve exports end theirs.
  const ProgramResult run = RunProgram("velto-cli", {"ffloop", "--element", "Si", "-o", file.string()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "Done !\n");
  const std::string table = ReadWholeFile(file);
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 198);
  EXPECT_EQ(std::count(table.begin(), table.end(), '\r'), 198);
  EXPECT_EQ(table.rfind("0.1\t", 0), 0u);
  EXPECT_NE(table.find("\n19.8\t"), std::string::npos);
  const ProgramResult nowhere =
      RunProgram("velto-cli", {"ffloop", "--element", "Si", "-o", (directory.path() / "no" / "t.dat").string()});
  EXPECT_NE(nowhere.status, 0);
  EXPECT_NE(nowhere.err.find("StructFactor cannot create the file"), std::string::npos);

  const auto angles = directory.path() / "angles.dat";
  const ProgramResult limit = RunProgram(
      "velto-cli", {"ffloop", "--element", "Si", "--mode", "angle", "--energy", "24.797", "--to", "48", "-o",
                    angles.string()});
  EXPECT_NE(limit.status, 0);
  EXPECT_NE(limit.err.find("Please enter a value no greater than 47.3"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(angles));
  const ProgramResult ok = RunProgram("velto-cli", {"ffloop", "--element", "Si", "--mode", "angle", "-o", angles.string()});
  EXPECT_EQ(ok.status, 0) << ok.err;
  const std::string f0 = ReadWholeFile(angles);
  EXPECT_EQ(std::count(f0.begin(), f0.end(), '\n'), 90);
}

TEST(ParasiticCommand, DiamondRuleAndItsSwitch) {
  const ProgramResult run = RunProgram("velto-cli", {"parasitic", "--hkl", "4", "4", "0"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 10);
  EXPECT_EQ(run.out.rfind("1:\t0 2 -2\tCMBDP  ( 1 -1 2 )\tHRD  [ 1 -1 -1 ]\n", 0), 0u);
  const ProgramResult forbidden = RunProgram("velto-cli", {"parasitic", "--hkl", "2", "0", "0"});
  EXPECT_NE(forbidden.status, 0);
  EXPECT_NE(forbidden.err.find("The primary reflection is forbidden."), std::string::npos);
  const ProgramResult allowed = RunProgram("velto-cli", {"parasitic", "--hkl", "2", "0", "0", "--no-diamond"});
  EXPECT_EQ(allowed.status, 0);
  EXPECT_GT(std::count(allowed.out.begin(), allowed.out.end(), '\n'), 0);
}

}  // namespace
}  // namespace velto::testing
