#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "programs/plot/PlotTicks.h"
#include "programs/single_crystal/SingleCrystalPlot.h"
#include "shell/NumberText.h"

namespace velto::programs {
namespace {

// Labels must tell their ticks apart, and each must read back as its tick.
void ExpectReadableLabels(const AxisTickMarks& ticks) {
  ASSERT_EQ(ticks.labels.size(), ticks.major.size());
  std::set<std::string> distinct(ticks.labels.begin(), ticks.labels.end());
  EXPECT_EQ(distinct.size(), ticks.labels.size());
  for (std::size_t i = 0; i < ticks.major.size(); ++i) {
    EXPECT_NEAR(shell::ParseNumber(ticks.labels[i]), ticks.major[i], ticks.step * 1e-6) << ticks.labels[i];
  }
}

TEST(PlotTicks, TheStepRuleIsTheProgramsScanAxisRuleForAnyRange) {
  // The single-crystal scan axis divides its range this way; zoomed views
  // must not tick differently from the full view of the same range.
  for (double range : {0.003, 0.02, 0.15, 1.0, 1.5, 2.0, 4.99, 7.0, 10.0, 33.0, 100.0, 250.0, 9000.0, 5e5}) {
    EXPECT_DOUBLE_EQ(NiceTickStep(range), MajorTickSpacing(range)) << range;
  }
  EXPECT_EQ(NiceTickStep(0), 0);
  EXPECT_EQ(NiceTickStep(-3), 0);
  EXPECT_EQ(NiceTickStep(std::nan("")), 0);
}

TEST(PlotTicks, ZoomedRangesGetTicksOfTheirOwn) {
  // The full view from −50 to 50 ticks every 10; a zoom between two of its
  // ticks still gets five to ten ticks with labels that differ.
  const AxisTickMarks inside = LinearTicks(12.3, 17.9);
  EXPECT_DOUBLE_EQ(inside.step, 1);
  EXPECT_EQ(inside.labels, (std::vector<std::string>{"13", "14", "15", "16", "17"}));
  EXPECT_EQ(inside.minor.size(), 28u);  // every 0.2 from 12.4 to 17.8

  const AxisTickMarks narrow = LinearTicks(12.31, 12.37);
  EXPECT_NEAR(narrow.step, 0.01, 1e-15);
  ASSERT_EQ(narrow.labels.size(), 7u);
  EXPECT_EQ(narrow.labels.front(), "12.31");
  EXPECT_EQ(narrow.labels.back(), "12.37");
  ExpectReadableLabels(narrow);

  // Deep into one peak far from zero: the labels keep every digit they need.
  const AxisTickMarks deep = LinearTicks(1000.1002, 1000.1008);
  EXPECT_GE(deep.major.size(), 5u);
  EXPECT_EQ(deep.labels.front(), "1000.1002");
  ExpectReadableLabels(deep);

  // Ticks that cross zero say 0, not the rounding residue of k·step.
  const AxisTickMarks crossing = LinearTicks(-0.3, 0.3);
  EXPECT_NE(std::find(crossing.labels.begin(), crossing.labels.end(), "0"), crossing.labels.end());
  ExpectReadableLabels(crossing);
  ExpectReadableLabels(LinearTicks(-2e-6, 7e-6));
}

TEST(PlotTicks, EmptyOrAbsurdRangesHaveNoTicks) {
  EXPECT_TRUE(LinearTicks(3, 3).major.empty());
  EXPECT_TRUE(LinearTicks(5, 1).major.empty());
  EXPECT_TRUE(LinearTicks(0, std::numeric_limits<double>::infinity()).major.empty());
  EXPECT_TRUE(LogarithmicTicks(0, 1).major.empty());
  EXPECT_TRUE(LogarithmicTicks(-1, 1).major.empty());
}

TEST(PlotTicks, LogarithmicAxesTickTheDecades) {
  const AxisTickMarks six = LogarithmicTicks(1e-6, 1);
  EXPECT_EQ(six.labels, (std::vector<std::string>{"1e-06", "1e-05", "0.0001", "0.001", "0.01", "0.1", "1"}));
  EXPECT_EQ(six.minor.size(), 6u * 8u);  // 2…9 of every decade below 1
  EXPECT_DOUBLE_EQ(six.minor.front(), 2e-6);

  // Twelve decades: every second one labelled, no minor ticks.
  const AxisTickMarks twelve = LogarithmicTicks(1e-12, 1);
  EXPECT_EQ(twelve.major.size(), 7u);
  EXPECT_EQ(twelve.labels.front(), "1e-12");
  EXPECT_TRUE(twelve.minor.empty());

  // Inside one decade: the linear ticks of the range.
  const AxisTickMarks within = LogarithmicTicks(0.002, 0.008);
  EXPECT_NEAR(within.step, 0.001, 1e-15);
  EXPECT_EQ(within.labels.front(), "0.002");
  EXPECT_EQ(within.labels.back(), "0.008");
}

}  // namespace
}  // namespace velto::programs
