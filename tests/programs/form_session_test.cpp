#include "programs/ui/FormSession.h"

#include <gtest/gtest.h>

#include <string>

#include "programs/convoluted_curve/ConvolutedCurveForm.h"
#include "programs/crystal_dialog/ReflectionChecks.h"
#include "support/FakeUserInterface.h"
#include "support/TestFiles.h"

namespace velto::programs {
namespace {

using Definition = FormSession::Definition;
using F = ConvolutedCurveField;

// The convoluted-curve form stands for any form with an energy dialog and
// crystals defined through the crystal dialog.
class ScriptedSession : public ::testing::Test {
 protected:
  Definition DefineSample(const std::filesystem::path& file, const std::array<int, 3>& hkl,
                          const std::string& temperature = {}) {
    return session.DefineCrystal(
        file, hkl, temperature, [this](UserInterface& u) { form.DefineSample(u); },
        [this]() -> const crystal::CrystalParams& { return form.Sample(); });
  }
  std::filesystem::path Silicon() const { return testing::BuildDataDirectory() / "Silicon.struct"; }

  testing::FakeUserInterface ui;
  FormSession session{ui, testing::BuildDataDirectory(), false};
  ConvolutedCurveForm form{session.App()};
};

TEST_F(ScriptedSession, DefinesACrystalWithTheIndicesAndTemperatureGiven) {
  EXPECT_EQ(DefineSample(Silicon(), {4, 0, 0}, "77"), Definition::Defined);
  const crystal::CrystalParams& sample = form.Sample();
  EXPECT_TRUE(sample.structure.IsLoaded());
  EXPECT_EQ(sample.h, 4);
  EXPECT_EQ(sample.k, 0);
  EXPECT_EQ(sample.l, 0);
  EXPECT_DOUBLE_EQ(sample.temperature, 77.0);
  EXPECT_FALSE(sample.chi.Failed());
  // Without a temperature the dialog keeps the one it opened with.
  EXPECT_EQ(session.DefineCrystal(
                Silicon(), {2, 2, 0}, {}, [this](UserInterface& u) { form.DefineMonochromator(u); },
                [this]() -> const crystal::CrystalParams& { return form.Monochromator(); }),
            Definition::Defined);
  EXPECT_DOUBLE_EQ(form.Monochromator().temperature, session.App().DefaultTemperature());
}

TEST_F(ScriptedSession, ACrystalTheDialogDoesNotTakeIsRefusedWithItsMessage) {
  EXPECT_EQ(DefineSample(Silicon(), {0, 0, 0}), Definition::Refused);
  EXPECT_EQ(ui.LastMessage(), kAllZeroHklMessage);

  const std::size_t before = ui.messages.size();
  EXPECT_EQ(DefineSample(testing::BuildDataDirectory() / "no such crystal.struct", {1, 1, 1}), Definition::Refused);
  EXPECT_GT(ui.messages.size(), before);  // the file that could not be read has been reported
  EXPECT_FALSE(form.Sample().structure.IsLoaded());
}

TEST_F(ScriptedSession, TypesTheEnergyIntoTheDialogAndSaysWhetherItTookIt) {
  const auto open = [this](UserInterface& u) { form.PhotonEnergy(u); };
  EXPECT_TRUE(session.SetEnergy("12.5", open));
  EXPECT_EQ(form.Field(F::Energy).text, "12.5");
  EXPECT_FALSE(session.SetEnergy("-3", open));
  EXPECT_EQ(form.Field(F::Energy).text, "12.5");
}

TEST_F(ScriptedSession, ACommandThatShowsAMessageHasRefused) {
  EXPECT_TRUE(session.Run([](UserInterface&) {}));
  EXPECT_FALSE(session.Run([](UserInterface& u) { u.ShowMessage("No."); }));
}

TEST(ScriptedSessionAnswers, ForceAnswersTheFormsQuestionsYesElseNo) {
  for (const bool force : {false, true}) {
    testing::FakeUserInterface ui;
    FormSession session(ui, testing::BuildDataDirectory(), force);
    Answer answer{};
    EXPECT_FALSE(session.Run([&answer](UserInterface& u) { answer = u.AskYesNo("Go on?", MessageIcon::Warning); }));
    EXPECT_EQ(answer, force ? Answer::Yes : Answer::No) << force;
    EXPECT_EQ(session.App().DataDirectory(), testing::BuildDataDirectory());
  }
}

TEST(ScriptedSessionTexts, AMessageOnALineAndTheFailedPoints) {
  EXPECT_EQ(TrimmedMessage("  HKL should not be ALL zero!   \r\n"), "HKL should not be ALL zero!");
  EXPECT_EQ(TrimmedMessage("a\n  b "), "a\n  b");  // only the ends
  EXPECT_EQ(TrimmedMessage(" \n\t"), "");
  EXPECT_EQ(FailedPointsMessage(3, 2001), "3 of 2001 points failed; they count 0 in the results.");
  EXPECT_EQ(FailedPointsMessage(1, 0), "1 points failed; they count 0 in the results.");
}

TEST(ScriptedSessionTexts, AnUnreadableStructureFileIsNamedWithWhatWasWrong) {
  const crystal::StructFileFailure failure{7, "unknown element symbol \"Qq\""};
  EXPECT_EQ(UnreadableStructureMessage("/tmp/x.struct", failure),
            "Failed to open file '/tmp/x.struct' !\n/tmp/x.struct: line 7: unknown element symbol \"Qq\"");
  EXPECT_EQ(UnreadableStructureMessage("a.struct", {0, "no cell"}, "Cannot read it."),
            "Cannot read it.\na.struct: no cell");
}

}  // namespace
}  // namespace velto::programs
