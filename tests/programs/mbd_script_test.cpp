#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "MbdWindowFixture.h"
#include "core/Units.h"
#include "mbd/MbdScan.h"
#include "programs/multiple_beam/MbdScript.h"
#include "shell/NumberText.h"

namespace velto::programs {
namespace {

// The multiple-beam window filled in by a script (velto-cli mbd, the Python
// module): Si 2 2 2, forbidden, with 1 1 −1 excited near this azimuth from
// 1 −1 0 at Cu Kα1.
constexpr double kUmwegAzimuth = -5.722933448216933;

class MbdScript : public MbdWindow {
 protected:
  MbdCrystalEntries Silicon(std::array<int, 3> primary) {
    MbdCrystalEntries entries;
    entries.structFile = state.exeDirectory / "Silicon.struct";
    entries.temperature = "293.15";
    entries.primary = primary;
    return entries;
  }
  MbdDirectionEntries Directions() {
    MbdDirectionEntries entries;
    entries.reference = std::array<double, 3>{1, -1, 0};
    entries.azimuthDeg = kUmwegAzimuth;
    return entries;
  }
};

TEST_F(MbdScript, AForbiddenPrimaryReflectionIsDefinedOnlyWhenForced) {
  MbdForm refused(app);
  EXPECT_FALSE(DefineMbdCrystal(refused, ui, Silicon({2, 2, 2})));
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_TRUE(ui.messages.back().question) << "the crystal dialog's question about zero chi, answered No";
  EXPECT_FALSE(refused.CrystalDefined());

  MbdForm forced(app);
  MbdCrystalEntries entries = Silicon({2, 2, 2});
  entries.force = true;
  entries.energyKev = 8.5;
  ASSERT_TRUE(DefineMbdCrystal(forced, ui, entries));
  EXPECT_EQ(forced.Crystal().h, 2);
  EXPECT_DOUBLE_EQ(forced.Energy(), 8500);
  EXPECT_FALSE(ui.unscriptedAnswer.has_value()) << "the answer holds for the definition only";

  MbdCrystalEntries noEnergy = Silicon({1, 1, 1});
  noEnergy.energyKev = -1;
  const MbdStep step = DefineMbdCrystal(refused, ui, noEnergy);
  EXPECT_FALSE(step);
  EXPECT_EQ(step.refusal, "The photon energy must be a positive number of keV.");
}

TEST_F(MbdScript, ReflectionsLeftOutAreNamedAndForcedOnesIncluded) {
  MbdForm form(app);
  MbdCrystalEntries crystal = Silicon({1, 1, 1});
  ASSERT_TRUE(DefineMbdCrystal(form, ui, crystal));
  ASSERT_TRUE(SetMbdDirections(form, ui, Directions()));
  std::vector<mbd::Miller> leftOut;
  const auto note = [&leftOut](const mbd::Miller& m) { leftOut.push_back(m); };
  ASSERT_TRUE(AddMbdReflections(form, ui, {{1, 0, 0}, {1, 1, -1}, {1, 1, -1}}, false, note));
  ASSERT_EQ(leftOut.size(), 1u);
  EXPECT_EQ(mbd::IndicesText(leftOut[0]), "1 0 0");
  EXPECT_EQ(form.Beams().Count(), 3) << "1 1 -1 once: the second is already included";
  ASSERT_TRUE(AddMbdReflections(form, ui, {{1, 0, 0}}, true, note));
  EXPECT_EQ(form.Beams().Count(), 4);
  EXPECT_EQ(leftOut.size(), 1u);

  const MbdStep outOfRange = AddMbdReflections(form, ui, {{0, 0, 1000}}, true, note);
  EXPECT_FALSE(outOfRange);
  EXPECT_FALSE(outOfRange.refusal.empty());

  const std::vector<MbdBeamRow> table = MbdBeamTable(form);
  ASSERT_EQ(table.size(), 4u);
  EXPECT_FALSE(table[1].braggDeg.has_value()) << "G has none in the table";
  ASSERT_TRUE(table[2].braggDeg.has_value());
  EXPECT_NEAR(*table[2].braggDeg, form.Beams()[2].braggAngle / core::kDegree, 1e-12);
}

TEST_F(MbdScript, TheObserverSeesEveryPointOfTheFileInItsPlaceOfTheGrid) {
  testing::TemporaryDirectory dir;
  MbdForm form(app);
  MbdCrystalEntries crystal = Silicon({2, 2, 2});
  crystal.force = true;
  ASSERT_TRUE(DefineMbdCrystal(form, ui, crystal));
  ASSERT_TRUE(SetMbdDirections(form, ui, Directions()));
  ASSERT_TRUE(AddMbdReflections(form, ui, {{1, 1, -1}}, false, nullptr));
  ASSERT_TRUE(ComputeMbdChi(form, ui, {}));

  mbd::ScanSetup seen;
  std::vector<mbd::PointResult> points;
  form.ObserveRuns({[&seen](const mbd::ScanSetup& setup, bool) { seen = setup; },
                    [&points](const mbd::PointResult& point) { points.push_back(point); }});
  MbdRunEntries run;
  run.thetaFromArcsec = -10;
  run.thetaToArcsec = 15;
  run.thetaPoints = 6;
  run.phiFromArcsec = -60;
  run.phiToArcsec = 60;
  run.phiPoints = 4;
  run.columns = "phi,theta,r,components";
  run.file = dir.path() / "run.dat";
  ASSERT_TRUE(RunMbdScan(form, ui, run)) << ui.LastMessage();

  EXPECT_EQ(seen.thetaPoints, 6);
  EXPECT_TRUE(seen.options.components);
  const std::vector<double> theta = mbd::ThetaAxisArcsec(seen);
  const std::vector<double> phi = mbd::PhiAxisArcsec(seen);
  ASSERT_EQ(theta.size(), 6u);
  ASSERT_EQ(phi.size(), 4u);
  EXPECT_EQ(theta[1], -5);
  EXPECT_EQ(phi[3], 60);

  const std::string file = testing::ReadWholeFile(run.file);
  std::string lines;
  long previous = -1;
  for (const mbd::PointResult& point : points) {
    EXPECT_GT(point.index, previous) << "in scan order";
    previous = point.index;
    EXPECT_EQ(point.deltaThetaArcsec, theta[static_cast<std::size_t>(point.index / 4)]);
    EXPECT_EQ(point.deltaPhiArcsec, phi[static_cast<std::size_t>(point.index % 4)]);
    lines += mbd::FormatResultLine(point, seen.options, false, shell::FormatNumber);
  }
  EXPECT_EQ(lines, file);
  EXPECT_EQ(static_cast<long>(points.size()), form.LastRun()->linesEmitted);
  EXPECT_EQ(points.size(), 24u);
}

TEST_F(MbdScript, RunRefusalsOfTheScriptAndOfTheForm) {
  MbdForm form(app);
  ASSERT_TRUE(DefineMbdCrystal(form, ui, Silicon({1, 1, 1})));
  ASSERT_TRUE(SetMbdDirections(form, ui, Directions()));
  ASSERT_TRUE(ComputeMbdChi(form, ui, {}));
  MbdRunEntries run;
  run.file = "/dev/null";
  run.beam = 2;
  EXPECT_EQ(RunMbdScan(form, ui, run).refusal, "The beam must be one of 0 ... 1.");
  run.beam = 1;
  run.transmission = true;
  EXPECT_EQ(RunMbdScan(form, ui, run).refusal,
            "Transmission (Exit Crystal Surface Side) needs a crystal of finite thickness.");
  run.transmission = false;
  run.columns = "phi,intensity";
  EXPECT_EQ(RunMbdScan(form, ui, run).refusal,
            "Unknown column 'intensity' (phi, theta, r, components, amplitudes, wavevector).");
  run.columns = kDefaultMbdColumns;
  run.thetaToArcsec = run.thetaFromArcsec;
  const MbdStep invalid = RunMbdScan(form, ui, run);
  EXPECT_FALSE(invalid);
  EXPECT_TRUE(invalid.refusal.empty()) << "the form has said why";
  EXPECT_EQ(ui.LastMessage(), "Invalid Delta omega range!");
}

}  // namespace
}  // namespace velto::programs
