#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "core/TextNumbers.h"
#include "crystal/StructFactor.h"
#include "programs/form_factor/FormFactorCalculation.h"
#include "programs/form_factor/FormLoopExport.h"
#include "support/RecordingNotifier.h"
#include "support/TestFiles.h"

namespace velto::programs {
namespace {

using testing::RecordingNotifier;

class FormFactorTools : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_ = crystal::CreateStructFactor(testing::BuildDataDirectory(), notifier_);
    ASSERT_NE(engine_, nullptr);
  }
  static std::vector<std::string> Lines(const std::filesystem::path& file) {
    std::istringstream in(testing::ReadWholeFile(file));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
      // Every line ends in CR LF, as the curve exports end theirs.
      EXPECT_EQ(line.back(), '\r');
      line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }

  RecordingNotifier notifier_;
  core::NoProgress progress_;
  std::unique_ptr<crystal::StructFactor> engine_;
};

TEST_F(FormFactorTools, ElementRowsAndChoice) {
  const std::vector<std::string> crystal = {"Ga", "As"};
  const auto rows = FormFactorElementRows(crystal);
  ASSERT_EQ(rows.size(), 2u + 1u + 92u);
  EXPECT_EQ(rows[2], "====");
  EXPECT_EQ(rows[3], "H");
  EXPECT_EQ(rows.back(), "U");
  EXPECT_EQ(FormFactorElementRows({}).front(), "H");

  EXPECT_EQ(std::get<int>(FormFactorElement(1, "As", crystal)), 33);
  EXPECT_EQ(std::get<int>(FormFactorElement(0, "ga", crystal)), 31);
  EXPECT_EQ(std::get<int>(FormFactorElement(3, "H", crystal)), 1);
  EXPECT_EQ(std::get<int>(FormFactorElement(16, "Si", crystal)), 14);
  const Refusal separator = std::get<Refusal>(FormFactorElement(2, "====", crystal));
  EXPECT_EQ(separator.message, "Invalid elment!  ");
  EXPECT_EQ(separator.field, "element");
  EXPECT_EQ(std::get<int>(FormFactorElement(13, "Si", {})), 14);
}

TEST_F(FormFactorTools, OpeningTakesTheProgramsEnergyAndBraggAngle) {
  const auto silicon111 = FormFactorStartOf(8047.987942062702, 1, 1, 1, 3.1356012);
  EXPECT_NEAR(silicon111.thetaDegrees, 14.2206, 1e-3);
  const auto fallback = FormFactorStartOf(0, 1, 1, 1, 3.1356012);
  EXPECT_DOUBLE_EQ(fallback.energyEv, 8047.987942062702);
  EXPECT_EQ(fallback.wavelength, 1.540562);
  EXPECT_EQ(FormFactorStartOf(8048, 0, 0, 0, 0).thetaDegrees, 0.0);
  EXPECT_EQ(FormFactorStartOf(1000, 1, 1, 1, 3.1356012).thetaDegrees, 0.0);  // λ/(2d) above 1
}

TEST_F(FormFactorTools, CalculateGivesTheSixNumbersOrNothingAbove18Point5) {
  const auto forward = CalculateFormFactor(*engine_, 14, 8048, 0, 12398.4244 / 8048, notifier_);
  ASSERT_TRUE(forward);
  EXPECT_NEAR(forward->f0, 14.0, 0.01);
  EXPECT_NEAR(forward->realPart(), 14.25, 0.03);
  EXPECT_NEAR(forward->imaginaryPart(), forward->fDoublePrime + forward->compton, 0);
  EXPECT_NEAR(SinThetaOverLambda(30, 2.0), 0.25, 1e-15);
  // λ = 0.5 Å and θ = 60°: q = 4π·sin 60°/0.5 = 21.8 Å⁻¹.
  EXPECT_FALSE(CalculateFormFactor(*engine_, 14, 24797, 60, 0.5, notifier_));
  EXPECT_NE(notifier_.Last().find("should not be greater than 18.5"), std::string::npos);
  EXPECT_EQ(ClampedTheta(95), 90.0);
  EXPECT_EQ(ClampedTheta(-3), 0.0);
  EXPECT_EQ(CheckFormFactorEnergy(0)->message, "Invalid wavelength or energy value!   ");
  EXPECT_FALSE(CheckFormFactorEnergy(8.048));
}

TEST_F(FormFactorTools, LoopChecksItsRange) {
  const auto refusal = [](FormLoopMode mode, double from, double to, double step, double lambda) {
    const auto r = CheckFormLoopRange({mode, from, to, step}, lambda);
    return r ? r->message + "|" + r->field : std::string();
  };
  EXPECT_EQ(refusal(FormLoopMode::Energy, 0.1, 20, 0.1, 1.54), "");
  EXPECT_EQ(refusal(FormLoopMode::Energy, 5, 5, 0.1, 1.54), "Invalid range parameters !|from");
  EXPECT_EQ(refusal(FormLoopMode::Energy, 0, 20, 0.1, 1.54), "Please enter a value greater than 1e-15.|from");
  EXPECT_EQ(refusal(FormLoopMode::Energy, 5, 600, 0.1, 1.54), "Please enter a value no greater than than 500.|to");
  EXPECT_EQ(refusal(FormLoopMode::Energy, 1e-12, 400, 1e-9, 1.54),
            "Too many points: please choose a larger step.|step");
  // θmax = asin(λ·18.5/(4π)): 47.4° at 0.5 Å; no limit at 1.540562 Å.
  ASSERT_TRUE(FormLoopMaxTheta(0.5));
  EXPECT_NEAR(*FormLoopMaxTheta(0.5), 47.4, 0.05);
  EXPECT_EQ(refusal(FormLoopMode::Angle, 0, 47, 1, 0.5), "");
  EXPECT_EQ(refusal(FormLoopMode::Angle, 0, 48, 1, 0.5), "Please enter a value no greater than 47.3995|to");
  EXPECT_FALSE(FormLoopMaxTheta(1.540562));
  EXPECT_EQ(refusal(FormLoopMode::Angle, 0, 90, 1, 1.540562), "");
}

TEST_F(FormFactorTools, LoopWrites198LinesFrom0Point1To20) {
  testing::TemporaryDirectory directory;
  const auto file = directory.path() / "si.dat";
  const auto outcome =
      ExportFormLoop(*engine_, 14, 1.540562, kFormLoopOpeningRange, file, notifier_, progress_);
  EXPECT_TRUE(outcome.written);
  EXPECT_EQ(outcome.message, "Done !");
  const auto lines = Lines(file);
  ASSERT_EQ(lines.size(), 198u);
  EXPECT_EQ(outcome.lines, 198);
  EXPECT_EQ(lines.front().rfind("0.1\t", 0), 0u);
  EXPECT_EQ(lines.back().rfind("19.8\t", 0), 0u);
  // Four columns: E, f', f'', f_cmpt; f'' falls with energy above the K edge.
  double e = 0, fp = 0, fpp = 0, fc = 0;
  std::istringstream(lines[99]) >> e >> fp >> fpp >> fc;
  EXPECT_NEAR(e, 10.0, 1e-9);
  EXPECT_GT(fpp, 0.1);
  EXPECT_GT(fc, 0);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory.path()), {}), 1);
}

TEST_F(FormFactorTools, AngleLoopWritesF0AndAFailedExportKeepsTheOldFile) {
  testing::TemporaryDirectory directory;
  const auto file = directory.Write("f0.dat", "previous table\n");
  const auto outcome =
      ExportFormLoop(*engine_, 14, 1.540562, DefaultFormLoopRange(FormLoopMode::Angle), file, notifier_, progress_);
  EXPECT_TRUE(outcome.written);
  const auto lines = Lines(file);
  ASSERT_EQ(lines.size(), 90u);
  EXPECT_EQ(lines[0], "0\t" + core::FormatGeneral(*engine_->CromerMannF0(14, 0, notifier_)));

  const auto missing = directory.path() / "no" / "such" / "folder.dat";
  const auto failed =
      ExportFormLoop(*engine_, 14, 1.540562, DefaultFormLoopRange(FormLoopMode::Angle), missing, notifier_, progress_);
  EXPECT_FALSE(failed.written);
  EXPECT_EQ(failed.message, "StructFactor cannot create the file \"" + missing.string() + "\" !");
  EXPECT_FALSE(std::filesystem::exists(missing));
}

}  // namespace
}  // namespace velto::programs
