#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>
#include <sstream>

#include "SiliconCrystal.h"
#include "mbd/MbdLineMap.h"
#include "mbd/ReflectionRules.h"
#include "shell/NumberText.h"

namespace velto::mbd {
namespace {
using namespace velto::mbd::testing;

class LineMap : public WithSilicon {
 protected:
  MapFrame Frame() { return ApplyMapSettings(settings_, CubicLattice(kSiliconLattice), silicon_, notifier_); }
  MapSettings settings_;
  core::NoProgress progress_;
};

// Reports what it is told and cancels after a number of polls.
class CountingProgress final : public core::Progress {
 public:
  explicit CountingProgress(int pollsBeforeCancel) : left_(pollsBeforeCancel) {}
  void Report(int percent) override { reports.push_back(percent); }
  bool Cancelled() const override { return --left_ < 0; }
  std::vector<int> reports;

 private:
  mutable int left_;
};

// k̂0 · ĝ + λ/(2d) at θ = θB(E) of G: zero on an MBD line.
double ThreeBeamResidual(const MapFrame& frame, Miller g, double phiDeg, double energy) {
  const double lambda = core::kHcEvAngstrom / energy;
  const double theta = std::asin(lambda / (2 * frame.dG));
  const double phi = phiDeg * core::kDegree;
  const Vec3 k0 = std::cos(theta) * (std::cos(phi) * frame.hHat + std::sin(phi) * frame.cHat) - std::sin(theta) * frame.gHat;
  const Vec3 gVector = frame.lattice.Reciprocal(g);
  return Dot(k0, gVector / Norm(gVector)) + lambda * Norm(gVector) / 2;
}

TEST_F(LineMap, EveryTracedPointOfTheSiliconMapMeetsTheThreeBeamCondition) {
  const MapFrame frame = Frame();
  EXPECT_NEAR(frame.lowestEnergy, 6199.2122 / (kSiliconLattice / std::sqrt(3.0)), 1e-9);
  MbdMap map;
  ASSERT_EQ(ComputeMap(frame, settings_, silicon_, map, notifier_, progress_), MapStatus::Completed);
  ASSERT_GT(map.lines.Count(), 0u);
  std::size_t drawn = 0;
  for (const auto& p : map.points.Entries()) {
    if (p.value2 < 0) continue;
    ++drawn;
    EXPECT_NEAR(ThreeBeamResidual(frame, p.hkl, p.value1, p.value2), 0, 1e-9) << p.hkl.h << p.hkl.k << p.hkl.l;
    EXPECT_GE(p.value2, settings_.energyMin);
    EXPECT_LE(p.value2, settings_.energyMax);
    EXPECT_GE(p.value1, settings_.phiMin);
    EXPECT_LE(p.value1, settings_.phiMax);
    EXPECT_GE(DiamondAllowed(p.hkl) + DiamondAllowed(p.hkl - frame.g) + 1, 2);
  }
  EXPECT_GT(drawn, 500u);
  // Every polyline ends in a break marker.
  EXPECT_LT(map.points.Entries().back().value2, 0);
  EXPECT_TRUE(notifier_.messages.empty());
}

TEST_F(LineMap, TracedPointsLieOnTheLineEnergyAndTheVerticalLineIsSorted) {
  const MapFrame frame = Frame();
  MbdMap map;
  ASSERT_EQ(ComputeMap(frame, settings_, silicon_, map, notifier_, progress_), MapStatus::Completed);
  for (const auto& p : map.points.Entries()) {
    if (p.value2 < 0 || !map.lines.Contains(p.hkl)) continue;
    const auto energy = MbdLineEnergy(frame, p.hkl, p.value1, settings_.energyMin, settings_.energyMax);
    ASSERT_TRUE(energy.has_value());
    EXPECT_EQ(*energy, p.value2);
  }
  const std::string text = VerticalLineText(frame, settings_, map, 0.0, shell::FormatNumber);
  std::istringstream lines(text);
  std::string line;
  double previous = 0;
  int count = 0;
  while (std::getline(lines, line)) {
    const double energy = std::stod(line);
    EXPECT_GE(energy, previous);
    previous = energy;
    EXPECT_NE(line.find(",  "), std::string::npos);
    ++count;
  }
  EXPECT_GT(count, 0);
}

TEST_F(LineMap, IndexLimitsOfOneKeepOnlyTheNeighboursOfTheOrigin) {
  settings_.hLimit = settings_.kLimit = settings_.lLimit = 1;
  settings_.diamondMode = false;
  settings_.threshold = 0;
  settings_.energyMin = 3500;
  settings_.energyMax = 20000;
  settings_.phiMin = -180;
  settings_.phiMax = 180;
  const MapFrame frame = Frame();
  MbdMap map;
  ASSERT_EQ(ComputeMap(frame, settings_, silicon_, map, notifier_, progress_), MapStatus::Completed);
  ASSERT_GT(map.lines.Count() + map.steepLines.Count(), 0u);
  for (const auto& list : {&map.lines, &map.steepLines, &map.rejected})
    for (const auto& e : list->Entries()) {
      EXPECT_LE(std::abs(e.hkl.h), 1);
      EXPECT_LE(std::abs(e.hkl.k), 1);
      EXPECT_LE(std::abs(e.hkl.l), 1);
      EXPECT_FALSE(e.hkl == (Miller{1, 1, 1}));
    }
}

TEST_F(LineMap, TheThresholdRulesOutsideTheDiamondMode) {
  settings_.diamondMode = false;
  settings_.threshold = 1.0;  // every reflection is weak
  MapFrame frame = Frame();
  EXPECT_EQ(frame.gAllowed, 0);
  MbdMap map;
  ASSERT_EQ(ComputeMap(frame, settings_, silicon_, map, notifier_, progress_), MapStatus::Completed);
  EXPECT_EQ(map.lines.Count(), 0u);
  EXPECT_EQ(map.points.Count(), 0u);
  EXPECT_GT(map.rejected.Count(), 0u);

  // With the usual threshold the strong lines come back; a reflection is
  // either traced or cached as weak, never both.
  settings_.threshold = 1e-8;
  frame = Frame();
  ASSERT_EQ(ComputeMap(frame, settings_, silicon_, map, notifier_, progress_), MapStatus::Completed);
  EXPECT_GT(map.lines.Count(), 0u);
  for (const auto& e : map.lines.Entries()) EXPECT_FALSE(map.rejected.Contains(e.hkl));
}

TEST_F(LineMap, ARegionWithoutLinesGivesAnEmptyMap) {
  settings_.hLimit = settings_.kLimit = settings_.lLimit = 1;
  settings_.energyMin = 7000;
  settings_.energyMax = 7001;
  settings_.phiMin = 30;
  settings_.phiMax = 30.01;
  const MapFrame frame = Frame();
  MbdMap map;
  ASSERT_EQ(ComputeMap(frame, settings_, silicon_, map, notifier_, progress_), MapStatus::Completed);
  EXPECT_EQ(map.points.Count(), 0u);
  EXPECT_EQ(MapExportText(map), "");
}

TEST_F(LineMap, ExportWritesPointsAndAnEmptyLinePerBreak) {
  const MapFrame frame = Frame();
  MbdMap map;
  map.points.AppendWithValues({1, 1, -1}, -10.5, 7500.25, notifier_);
  map.points.AppendWithValues({1, 1, -1}, -10.4, 7510, notifier_);
  map.points.AppendWithValues({1, 1, -1}, -10.4, -1, notifier_);
  map.points.AppendWithValues({-3, 1, 1}, 2, 8123.456789, notifier_);
  EXPECT_EQ(MapExportText(map), "-10.5, 7500.25,  1, 1, -1\n-10.4, 7510,  1, 1, -1\n\n2, 8123.46,  -3, 1, 1\n");
  (void)frame;
}

TEST_F(LineMap, SlowMapPointsAlsoMeetTheThreeBeamCondition) {
  settings_.energyPoints = 5;
  const MapFrame frame = Frame();
  MbdMap map;
  ASSERT_EQ(ComputeSlowMap(frame, settings_, map, notifier_, progress_), MapStatus::Completed);
  ASSERT_GT(map.points.Count(), 0u);
  for (const auto& p : map.points.Entries()) {
    EXPECT_GE(p.value2, 0);  // no break markers
    EXPECT_NEAR(ThreeBeamResidual(frame, p.hkl, p.value1, p.value2), 0, 1e-9);
  }
}

TEST_F(LineMap, ProgressGrowsToTheEndAndCancelStopsTheRun) {
  const MapFrame frame = Frame();
  MbdMap map;
  CountingProgress untouched(1 << 30);
  ASSERT_EQ(ComputeMap(frame, settings_, silicon_, map, notifier_, untouched), MapStatus::Completed);
  ASSERT_FALSE(untouched.reports.empty());
  EXPECT_TRUE(std::is_sorted(untouched.reports.begin(), untouched.reports.end()));
  EXPECT_EQ(untouched.reports.back(), 100);
  const std::size_t complete = map.points.Count();

  // Cancelled halfway through the azimuth sweep: nothing is traced yet.
  CountingProgress cancelled(settings_.phiPoints / 2);
  EXPECT_EQ(ComputeMap(frame, settings_, silicon_, map, notifier_, cancelled), MapStatus::Cancelled);
  EXPECT_LT(map.points.Count(), complete);
  CountingProgress slow(3);
  EXPECT_EQ(ComputeSlowMap(frame, settings_, map, notifier_, slow), MapStatus::Cancelled);
  EXPECT_TRUE(notifier_.messages.empty());
}

TEST_F(LineMap, AnIndexBoxTooLargeToHoldEndsAsALackOfMemory) {
  // A cell of a million ångström at the highest energy: 10^15 reflections.
  crystal::CrystalStructure cell = silicon_;
  settings_.g = {1, 0, 0};
  settings_.reference = {0, 1, 0};
  settings_.hLimit = settings_.kLimit = settings_.lLimit = 1 << 30;
  settings_.energyMin = 999000;
  settings_.energyMax = 999999;
  const MapFrame frame = ApplyMapSettings(settings_, CubicLattice(1e6), cell, notifier_);
  MbdMap map;
  EXPECT_EQ(ComputeMap(frame, settings_, cell, map, notifier_, progress_), MapStatus::OutOfMemory);
  ASSERT_EQ(notifier_.messages.size(), 1u);
  EXPECT_EQ(notifier_.messages[0].text, kOutOfMemoryMessage);
  EXPECT_TRUE(map.points.Empty());
}

TEST_F(LineMap, ARangeStartingAtOrBelowZeroEnergyTracesOnlyPositiveEnergies) {
  // A cell of 100 Å diffracts its 1 0 0 from 62 eV on, so a range may start
  // at or below zero; no point may then pass for a break marker.
  crystal::CrystalStructure cell = silicon_;
  cell.a = cell.b = cell.c = 100;
  settings_.g = {1, 0, 0};
  settings_.reference = {0, 1, 0};
  settings_.hLimit = settings_.kLimit = settings_.lLimit = 3;
  settings_.diamondMode = false;
  settings_.threshold = 0;
  settings_.energyMin = -50;
  settings_.energyMax = 400;
  settings_.energyPoints = 10;
  const MapFrame frame = ApplyMapSettings(settings_, CubicLattice(100), cell, notifier_);
  MbdMap map;
  ASSERT_EQ(ComputeMap(frame, settings_, cell, map, notifier_, progress_), MapStatus::Completed);
  ASSERT_GT(map.points.Count(), 0u);
  for (const auto& p : map.points.Entries()) {
    if (p.value2 >= 0) {
      EXPECT_GT(p.value2, 0);
    }
  }
  std::size_t markers = 0;
  for (const auto& p : map.points.Entries()) markers += p.value2 == -1;
  EXPECT_GE(markers, map.lines.Count() + map.steepLines.Count());
}

}  // namespace
}  // namespace velto::mbd
