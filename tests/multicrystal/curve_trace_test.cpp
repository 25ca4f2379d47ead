#include <gtest/gtest.h>

#include <cmath>

#include "multicrystal/CurveTrace.h"

namespace velto::multicrystal {
namespace {

TEST(HalfMaximum, InterpolatesTheCrossingsLinearly) {
  HalfMaximum h = FindHalfMaximum({0, 1, 3, 1, 0});
  EXPECT_EQ(h.maxIndex, 2);
  ASSERT_TRUE(h.hasWidth);
  EXPECT_DOUBLE_EQ(h.left, 1.25);
  EXPECT_DOUBLE_EQ(h.right, 2.75);
  EXPECT_DOUBLE_EQ(h.WidthInSamples(), 1.5);
  // A sampled Gaussian: FWHM = 2·sqrt(2 ln 2)·σ to within the linear
  // interpolation error.
  std::vector<double> gauss;
  for (int i = 0; i <= 200; ++i) gauss.push_back(std::exp(-0.5 * std::pow((i - 93.3) / 12.0, 2)));
  h = FindHalfMaximum(gauss);
  EXPECT_NEAR(h.WidthInSamples(), 2 * std::sqrt(2 * std::log(2.0)) * 12.0, 0.02);
  EXPECT_NEAR(h.CentreIndex(), 93.3, 0.01);
  EXPECT_NEAR(ValueAt(gauss, h.CentreIndex()), 1.0, 0.001);
}

TEST(HalfMaximum, NoWidthAtAnEndOrWithoutACrossing) {
  EXPECT_FALSE(FindHalfMaximum({3, 2, 1}).hasWidth);
  EXPECT_FALSE(FindHalfMaximum({1, 2, 3}).hasWidth);
  EXPECT_FALSE(FindHalfMaximum({2, 3, 2}).hasWidth);  // never falls to half
  EXPECT_FALSE(FindHalfMaximum({0, 3, 2}).hasWidth);
  EXPECT_EQ(FindHalfMaximum({}).maxIndex, -1);
  // The first of equal maxima.
  EXPECT_EQ(FindHalfMaximum({0, 2, 2, 0}).maxIndex, 1);
}

CurveTrace Trace(double from, double to, double peak) {
  CurveTrace t;
  t.values = {0, peak, 0};
  t.count = 3;
  t.from = from;
  t.to = to;
  t.step = (to - from) / 2;
  t.peak = peak;
  return t;
}

TEST(CurveHistory, CurrentBecomesPreviousWithItsOwnRange) {
  CurveHistory history;
  EXPECT_FALSE(history.PlotRange(true).has_value());
  history.Accept(Trace(-50, 50, 2));
  EXPECT_FALSE(history.Previous().has_value());
  history.Accept(Trace(-20, 80, 1));
  ASSERT_TRUE(history.Previous().has_value());
  EXPECT_EQ(history.Previous()->from, -50);
  EXPECT_EQ(history.Current()->from, -20);

  auto range = history.PlotRange(false);
  EXPECT_EQ(range->xmin, -20);
  EXPECT_EQ(range->xmax, 80);
  EXPECT_EQ(range->peak, 1);
  range = history.PlotRange(true);
  EXPECT_EQ(range->xmin, -50);
  EXPECT_EQ(range->xmax, 80);
  EXPECT_EQ(range->peak, 2);

  // A dropped curve: the old one is still shown as the previous one.
  history.Accept(std::nullopt);
  EXPECT_FALSE(history.Current().has_value());
  EXPECT_EQ(history.Previous()->from, -20);
  EXPECT_FALSE(history.PlotRange(false).has_value());
  EXPECT_EQ(history.PlotRange(true)->xmin, -20);
  history.Accept(Trace(0, 1, 1));
  EXPECT_FALSE(history.Previous().has_value());
}

}  // namespace
}  // namespace velto::multicrystal
