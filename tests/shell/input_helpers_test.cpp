#include <gtest/gtest.h>

#include "shell/ComboRules.h"
#include "shell/StepButtons.h"

namespace velto::shell {
namespace {

TEST(StepButtons, NoStepUntilTheOwnerChoosesOne) {
  StepButtonGroup group = StepButtonGroup::PlusMinus();
  EXPECT_EQ(group.Step(), -1);
  EXPECT_EQ(group.StepIndex(), -1);
  EXPECT_EQ(group.Stepped("5", 0), "5");
}

TEST(StepButtons, APartnersMenuSetsTheMastersStepAndEveryCaption) {
  // Master is a minus button, the partner a plus button.
  StepButtonGroup group({false, true});
  group.SetStep(2);
  EXPECT_EQ(group.Caption(0), "-10");
  EXPECT_EQ(group.Caption(1), "+10");
  EXPECT_TRUE(group.SetStep(4));  // chosen from the partner's "Stepsize" menu
  EXPECT_EQ(group.Caption(0), "-0.1");
  EXPECT_EQ(group.Caption(1), "+0.1");
  EXPECT_DOUBLE_EQ(group.Step(), 0.1);
}

TEST(StepButtons, ChoosingTheStepInEffectRewritesNothing) {
  StepButtonGroup group = StepButtonGroup::PlusMinus();
  EXPECT_TRUE(group.SetStep(3));
  EXPECT_FALSE(group.SetStep(3));
  EXPECT_EQ(group.Caption(0), "+1");
}

TEST(StepButtons, IndicesAboveTheTableCountAsTheSmallestStep) {
  StepButtonGroup group({true, false, true, false});
  group.SetStep(9);
  EXPECT_DOUBLE_EQ(group.Step(), 0.001);
  EXPECT_EQ(group.Caption(3), "-0.001");
  EXPECT_EQ(group.StepIndex(), 9);
}

TEST(StepButtons, ClicksStepTheFieldAndWriteItWithEightDecimals) {
  StepButtonGroup group = StepButtonGroup::PlusMinus();
  group.SetStep(5);
  EXPECT_EQ(group.Stepped("1.5", 0), "1.51");
  EXPECT_EQ(group.Stepped("1.5", 1), "1.49");
  EXPECT_EQ(group.Stepped("abc", 1), "-0.01");
  group.SetStep(0);
  EXPECT_EQ(group.Stepped("-250 arcsec", 0), "750");
}

TEST(WavelengthCombo, PartnerShowsTheConvertedValueOrNothing) {
  EXPECT_EQ(ConvertedPartnerText("1"), "12.3984244");
  EXPECT_EQ(ConvertedPartnerText("1.540562 (Cu-Ka1)"), "8.04798794");
  EXPECT_EQ(ConvertedPartnerText("0"), "");
  EXPECT_EQ(ConvertedPartnerText("Cu"), "");
  EXPECT_EQ(ConvertedPartnerText("-2"), "");
}

TEST(WavelengthCombo, LeavingDropsTheLabelOrEmptiesTheField) {
  EXPECT_EQ(WavelengthTextOnLeave("1.54056200 (Cu-Ka1)"), "1.540562");
  EXPECT_EQ(WavelengthTextOnLeave("0"), "");
  EXPECT_EQ(WavelengthTextOnLeave("none"), "");
}

TEST(TemperatureCombo, NeverShowsZeroOrNegative) {
  // 0.000001 K, written the way every field writes values below 0.0001.
  EXPECT_EQ(TemperatureTextOnLeave("-5"), "1e-06");
  EXPECT_EQ(TemperatureTextOnLeave(""), "1e-06");
  EXPECT_EQ(TemperatureTextOnLeave("77 (LN2)"), "77");
}

TEST(ComboRules, TextsThatReadAsInfinityOrNotANumberStayForTheCommandToRefuse) {
  // The command that reads the list then quotes what was typed.
  EXPECT_EQ(TemperatureTextOnLeave("1e999"), "1e999");
  EXPECT_EQ(WavelengthTextOnLeave("nan"), "nan");
  // No "0" or "inf" in the partner of a list that holds no usable value.
  EXPECT_EQ(ConvertedPartnerText("1e999"), "");
  EXPECT_EQ(ConvertedPartnerText("1e-320"), "");
}

}  // namespace
}  // namespace velto::shell
