#include <gtest/gtest.h>

#include <sstream>

#include "mbd/ReflectionRules.h"
#include "programs/parasitic/ParasiticForm.h"
#include "programs/parasitic/ParasiticReflections.h"
#include "support/FakeUserInterface.h"

namespace velto::programs {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "every line ends in CR LF";
  return lines;
}

TEST(ParasiticReflections, FourFourZeroOfDiamondGivesTenLines) {
  const auto result = CalculateParasiticReflections(4, 4, 0, true);
  ASSERT_FALSE(result.refusal);
  const auto lines = Lines(result.text);
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(result.count, 10);
  EXPECT_EQ(lines[0], "1:\t0 2 -2\tCMBDP  ( 1 -1 2 )\tHRD  [ 1 -1 -1 ]");
  EXPECT_EQ(lines[2], "3:\t0 4 0\tCMBDP  ( 1 -1 0 )\tHRD  [ 0 0 -1 ]");
}

TEST(ParasiticReflections, ForbiddenPrimaryIsRefusedOnlyWithTheDiamondRule) {
  const auto refused = CalculateParasiticReflections(2, 0, 0, true);
  ASSERT_TRUE(refused.refusal);
  EXPECT_EQ(refused.refusal->message, "The primary reflection is forbidden.");
  EXPECT_TRUE(refused.text.empty());
  const auto computed = CalculateParasiticReflections(2, 0, 0, false);
  EXPECT_FALSE(computed.refusal);
  EXPECT_GT(computed.count, 0);
  const auto none = CalculateParasiticReflections(0, 0, 0, true);
  EXPECT_FALSE(none.refusal);
  EXPECT_EQ(none.count, 0);
  EXPECT_EQ(none.text, "");
  EXPECT_EQ(CalculateParasiticReflections(1000, 0, 0, false).refusal->message,
            "Enter an integer between -999 and 999.");
}

TEST(ParasiticReflections, ReduceAndCrossIndices) {
  EXPECT_EQ(ReduceIndices({0, 0, 6}), (Indices{0, 0, 1}));
  EXPECT_EQ(ReduceIndices({-8, 8, 8}), (Indices{-1, 1, 1}));
  EXPECT_EQ(ReduceIndices({4, -4, 8}), (Indices{1, -1, 2}));
  EXPECT_EQ(ReduceIndices({0, 0, 0}), (Indices{0, 0, 0}));
  EXPECT_EQ(ReduceIndices({9, -15, 21}), (Indices{3, -5, 7}));
  EXPECT_EQ(CrossIndices({1, 0, 0}, {0, 1, 0}), (Indices{0, 0, 1}));
  EXPECT_EQ(CrossIndices({4, 4, 0}, {0, 2, -2}), (Indices{-8, 8, 8}));
}

// Every h with h² = H·h in the cube |h|, |k|, |l| ≤ R, in the order of a
// scan over h, then k, then l: the definition of the list, written out.
std::vector<Indices> Scan(int h, int k, int l, bool diamond) {
  const long long r = static_cast<long long>(std::sqrt(double(h * h + k * k + l * l))) + 2;
  std::vector<Indices> found;
  for (long long a = -r; a <= r; ++a)
    for (long long b = -r; b <= r; ++b)
      for (long long c = -r; c <= r; ++c) {
        if ((a == 0 && b == 0 && c == 0) || (a == h && b == k && c == l)) continue;
        if (a * a + b * b + c * c != h * a + k * b + l * c) continue;
        if (diamond && !mbd::DiamondAllowed(int(a), int(b), int(c))) continue;
        found.push_back({a, b, c});
      }
  return found;
}

TEST(ParasiticReflections, ListsEveryReflectionOnTheSphereInScanOrder) {
  for (const auto& [h, k, l, diamond] : {std::tuple{4, 4, 0, true}, std::tuple{3, 3, 3, true},
                                         std::tuple{6, 2, 0, false}, std::tuple{-5, 1, 1, false},
                                         std::tuple{8, 0, 0, true}, std::tuple{1, 2, 3, false}}) {
    const auto expected = Scan(h, k, l, diamond);
    const auto lines = Lines(CalculateParasiticReflections(h, k, l, diamond).text);
    ASSERT_EQ(lines.size(), expected.size()) << h << k << l;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      std::istringstream in(lines[i].substr(lines[i].find('\t') + 1));
      Indices got{};
      in >> got[0] >> got[1] >> got[2];
      EXPECT_EQ(got, expected[i]) << lines[i];
      // The CMBDP normal lies in the plane of H and h (perpendicular to
      // H × h) and is perpendicular to H.
      const Indices n1 = CrossIndices({h, k, l}, got);
      Indices n2{};
      std::istringstream rest(lines[i].substr(lines[i].find("( ") + 2));
      rest >> n2[0] >> n2[1] >> n2[2];
      EXPECT_EQ(n2[0] * n1[0] + n2[1] * n1[1] + n2[2] * n1[2], 0);
      EXPECT_EQ(n2[0] * h + n2[1] * k + n2[2] * l, 0);
    }
  }
}

TEST(ParasiticDialog, ReadsLeadingIntegersRemembersThemAndKeepsTheOutputAfterARefusal) {
  ParasiticForm form;
  testing::FakeUserInterface ui;
  using F = ParasiticField;
  EXPECT_EQ(form.Field(F::H).text, "4");
  EXPECT_EQ(form.Field(F::L).text, "0");
  EXPECT_TRUE(form.Field(F::DiamondStructure).checked);
  EXPECT_FALSE(form.Field(F::Note).text.empty());
  EXPECT_TRUE(form.Field(F::Output).readOnly);

  form.Calculate(ui);
  EXPECT_TRUE(ui.messages.empty());
  const std::string list440 = form.Field(F::Output).text;
  EXPECT_EQ(Lines(list440).size(), 10u);

  // Leading integers: "2.7" reads as 2 and text without a number as 0; the
  // boxes show what was read.
  form.Field(F::H).text = "2.7";
  form.Field(F::K).text = "zero";
  form.Field(F::L).text = " 0 ";
  form.Calculate(ui);
  EXPECT_EQ(ui.LastMessage(), "The primary reflection is forbidden.");
  EXPECT_EQ(form.Field(F::H).text, "2");
  EXPECT_EQ(form.Field(F::K).text, "0");
  EXPECT_EQ(form.Field(F::L).text, "0");
  EXPECT_EQ(form.Field(F::Output).text, list440);
  EXPECT_EQ(form.Primary(), (std::array<int, 3>{2, 0, 0}));

  form.Field(F::DiamondStructure).checked = false;
  form.Calculate(ui);
  EXPECT_FALSE(form.DiamondStructure());
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(form.Field(F::Output).text, CalculateParasiticReflections(2, 0, 0, false).text);

  form.Field(F::K).text = "1000";
  form.Calculate(ui);
  EXPECT_EQ(ui.LastMessage(), "Enter an integer between -999 and 999.");
  EXPECT_EQ(ui.LastFocus(), "k");

  // 0 0 0 has no parasitic reflections: the output empties.
  form.Field(F::H).text = form.Field(F::K).text = std::string("0");
  form.Calculate(ui);
  EXPECT_EQ(form.Field(F::Output).text, "");
}

}  // namespace
}  // namespace velto::programs
