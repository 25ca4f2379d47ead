#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "core/NormalisedLines.h"
#include "core/Notifier.h"
#include "core/Progress.h"
#include "core/Refusal.h"
#include "core/TextNumbers.h"
#include "support/RecordingNotifier.h"

namespace velto::core {
namespace {

TEST(LeadingNumber, ReadsTheDecimalPrefixLikeTheCLibrary) {
  EXPECT_DOUBLE_EQ(*LeadingNumber("  -12.5e2xyz"), -1250.0);
  EXPECT_DOUBLE_EQ(*LeadingNumber("+.5"), 0.5);
  EXPECT_DOUBLE_EQ(*LeadingNumber("7."), 7.0);
  EXPECT_DOUBLE_EQ(*LeadingNumber("3e"), 3.0);      // a bare exponent letter is not part of the number
  EXPECT_DOUBLE_EQ(*LeadingNumber("3e+"), 3.0);
  EXPECT_DOUBLE_EQ(*LeadingNumber("8.0479 (Cu-Ka1)"), 8.0479);
  EXPECT_FALSE(LeadingNumber("").has_value());
  EXPECT_FALSE(LeadingNumber("abc").has_value());
  EXPECT_FALSE(LeadingNumber("-.e5").has_value());
  EXPECT_FALSE(LeadingNumber("nan").has_value());
  EXPECT_FALSE(LeadingNumber("inf").has_value());
  EXPECT_DOUBLE_EQ(*LeadingNumber("0x10"), 0.0);    // hexadecimal is not read
  EXPECT_TRUE(std::isinf(*LeadingNumber("1e999")));
  EXPECT_EQ(*LeadingNumber("1e-999"), 0.0);
}

TEST(FreeField, TextsThatReadAsInfinityOrNotANumberAreRefusedWithTheFieldsName) {
  for (const char* text : {"1e999", "-1e999", "nan", " -NaN(0x1)", "inf", "+Infinity"}) {
    EXPECT_TRUE(ReadsAsNonFinite(text)) << text;
    const auto read = ReadFreeNumber(text, "from", "From");
    ASSERT_TRUE(std::holds_alternative<Refusal>(read)) << text;
    const Refusal& refusal = std::get<Refusal>(read);
    EXPECT_EQ(refusal.field, "From");
    EXPECT_NE(refusal.message.find("\"from\""), std::string::npos) << refusal.message;
  }
  EXPECT_EQ(std::get<Refusal>(ReadFreeNumber(" 1e999 ", "to", "To")).message,
            "\"to\" must be a finite number, not \"1e999\".   ");
  // Huge but finite numbers, underflow to zero, and text without a number
  // (read as 0) are the forms' business, not refusals.
  for (const char* text : {"1e308", "1e-999", "abc", "", "in", "na"}) EXPECT_FALSE(ReadsAsNonFinite(text)) << text;
  EXPECT_EQ(std::get<double>(ReadFreeNumber("abc", "from", "From")), 0.0);
  EXPECT_EQ(std::get<double>(ReadFreeNumber("-2.5 eV", "from", "From")), -2.5);
}

TEST(LeadingInteger, ReadsDigitsAndClamps) {
  EXPECT_EQ(*LeadingInteger(" 42 atoms"), 42);
  EXPECT_EQ(*LeadingInteger("-3.9"), -3);
  EXPECT_EQ(*LeadingInteger("99999999999999999999"), 2147483647);
  EXPECT_EQ(*LeadingInteger("-99999999999999999999"), -2147483647 - 1);
  EXPECT_FALSE(LeadingInteger("- 3").has_value());
}

TEST(FormatGeneral, MatchesPrintfG) {
  EXPECT_EQ(FormatGeneral(1e-5), "1e-05");
  EXPECT_EQ(FormatGeneral(12345678.0), "1.23457e+07");
  EXPECT_EQ(FormatGeneral(0.0), "0");
  EXPECT_EQ(FormatFixed(2.0 / 3.0, 2), "0.67");
}

TEST(NormaliseLine, CollapsesSeparatorsAndDropsComments) {
  EXPECT_EQ(NormaliseLine("  Si,  0.5\t0 ,0.25 ! corner atom"), "Si 0.5 0 0.25");
  EXPECT_EQ(NormaliseLine("!only a comment"), "");
  EXPECT_EQ(NormaliseLine(",,, \t"), "");
  EXPECT_EQ(NormaliseLine(std::string("Si\0" "1", 4)), "Si 1");
}

TEST(NormalisedLineReader, TreatsAllLineEndsAlikeAndSkipsBlankLines) {
  for (const char* text : {"a\rb\r\rc", "a\r\nb\r\n\r\nc\r\n", "a\n\n!x\nb\n   \nc\n"}) {
    std::istringstream in(text);
    NormalisedLineReader reader(in);
    EXPECT_EQ(reader.Next(), "a");
    EXPECT_EQ(reader.Next(), "b");
    EXPECT_EQ(reader.Next(), "c");
    EXPECT_EQ(reader.Next(), "");
    EXPECT_TRUE(reader.AtEnd());
  }
}

TEST(NormalisedLineReader, KeepsAVeryLongLineAsOneLine) {
  std::istringstream in("Si 0 0 0 1 !" + std::string(10000, 'x') + "\nnext");
  NormalisedLineReader reader(in);
  EXPECT_EQ(reader.Next(), "Si 0 0 0 1");
  EXPECT_EQ(reader.Next(), "next");
}

TEST(SplitFields, PadsMissingFieldsAndIgnoresExtraOnes) {
  const auto fields = SplitFields("Si 0.5 0", 5);
  ASSERT_EQ(fields.size(), 5u);
  EXPECT_EQ(fields[0], "Si");
  EXPECT_EQ(fields[2], "0");
  EXPECT_EQ(fields[3], "");
  EXPECT_EQ(SplitFields("1 2 3 4", 2), (std::vector<std::string>{"1", "2"}));
}

TEST(CoalescingNotifier, ShowsEachTextOnceAndCountsRepeats) {
  testing::RecordingNotifier target;
  {
    CoalescingNotifier notifier(target);
    for (int i = 0; i < 1000; ++i) notifier.Notify("Error! Energy below the file range!!!", MessageIcon::Error);
    notifier.Notify("other", MessageIcon::Information);
  }
  ASSERT_EQ(target.messages.size(), 2u);
  EXPECT_EQ(target.messages[0].text, "Error! Energy below the file range!!!");
  ASSERT_EQ(target.console.size(), 1u);
  EXPECT_NE(target.console[0].find("999"), std::string::npos);
}

class RecordingProgress final : public Progress {
 public:
  void Report(int percent) override { reports.push_back(percent); }
  bool Cancelled() const override { return cancel; }
  std::vector<int> reports;
  bool cancel = false;
};

TEST(PercentCounter, ReportsOnlyGrowingIntegerPercentages) {
  RecordingProgress progress;
  PercentCounter counter(progress, 300);
  for (int i = 0; i < 300; ++i) EXPECT_TRUE(counter.Advance());
  ASSERT_EQ(progress.reports.size(), 100u);
  EXPECT_EQ(progress.reports.front(), 1);
  EXPECT_EQ(progress.reports.back(), 100);
  progress.cancel = true;
  EXPECT_FALSE(counter.Advance());
}

}  // namespace
}  // namespace velto::core
