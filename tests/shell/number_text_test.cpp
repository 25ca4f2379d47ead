#include <gtest/gtest.h>

#include <cmath>

#include "shell/NumberText.h"

namespace velto::shell {
namespace {

TEST(FormatNumber, FixedPointWithTrailingZerosRemoved) {
  EXPECT_EQ(FormatNumber(12.5, 8), "12.5");
  EXPECT_EQ(FormatNumber(100, 8), "100");
  EXPECT_EQ(FormatNumber(2.0 / 3.0, 2), "0.67");
  EXPECT_EQ(FormatNumber(-3.0 + 1e-6, 4), "-3");
  EXPECT_EQ(FormatNumber(-1.23456789012, 8), "-1.23456789");
}

TEST(FormatNumber, SwitchesToGeneralFormOutsideTheFixedWindow) {
  EXPECT_EQ(FormatNumber(0, 8), "0");
  EXPECT_EQ(FormatNumber(10000000, 8), "10000000");
  EXPECT_EQ(FormatNumber(10000000.5, 8), "1e+07");
  EXPECT_EQ(FormatNumber(0.0001, 8), "0.0001");
  EXPECT_EQ(FormatNumber(0.0000999, 8), "9.99e-05");
  EXPECT_EQ(FormatNumber(-0.00001, 8), "-1e-05");
  EXPECT_EQ(FormatNumber(std::nan(""), 8), "nan");
  EXPECT_EQ(FormatNumber(-INFINITY, 8), "-inf");
}

TEST(FormatNumber, ClampsTheNumberOfDecimals) {
  const double x = 1.23456789012345678;
  EXPECT_EQ(FormatNumber(x, 0), FormatNumber(x, 1));
  EXPECT_EQ(FormatNumber(x, 0), "1.2");
  EXPECT_EQ(FormatNumber(x, 20), FormatNumber(x, 16));
  EXPECT_EQ(FormatNumber(x, -5), "1.2");
}

TEST(ParseNumber, ReadsTheLeadingNumberOrZero) {
  EXPECT_DOUBLE_EQ(ParseNumber(" 8.0479 keV"), 8.0479);
  EXPECT_DOUBLE_EQ(ParseNumber("abc"), 0.0);
  EXPECT_DOUBLE_EQ(ParseNumber(""), 0.0);
  EXPECT_DOUBLE_EQ(ParseNumber("-1e-3"), -0.001);
  EXPECT_EQ(ParseInteger("2001 points"), 2001);
  EXPECT_EQ(ParseInteger("x"), 0);
  EXPECT_EQ(FormatInteger(-17), "-17");
}

}  // namespace
}  // namespace velto::shell
