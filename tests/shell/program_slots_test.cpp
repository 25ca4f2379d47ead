#include <gtest/gtest.h>

#include <vector>

#include "shell/ProgramSlots.h"

namespace velto::shell {
namespace {

// Records what the slots asked for, and what title a window would get while
// it is being built.
class RecordingHost final : public ProgramHost {
 public:
  explicit RecordingHost(const ProgramSlots& slots) : slots_(slots) {}
  bool CreateProgramWindow(ProgramKind kind) override {
    created.push_back(kind);
    titles.push_back(slots_.TitleFor("Untitled"));
    return succeed;
  }
  void ActivateProgramWindow(ProgramKind kind) override { activated.push_back(kind); }

  bool succeed = true;
  std::vector<ProgramKind> created, activated;
  std::vector<std::string> titles;

 private:
  const ProgramSlots& slots_;
};

TEST(ProgramSlots, ASecondRequestActivatesTheOpenWindow) {
  ProgramSlots slots;
  RecordingHost host(slots);
  EXPECT_TRUE(slots.OpenProgram(ProgramKind::MultipleBeam, host));
  EXPECT_FALSE(slots.OpenProgram(ProgramKind::MultipleBeam, host));
  EXPECT_EQ(host.created.size(), 1u);
  EXPECT_EQ(host.activated, std::vector<ProgramKind>{ProgramKind::MultipleBeam});
  EXPECT_TRUE(slots.IsOpen(ProgramKind::MultipleBeam));
}

TEST(ProgramSlots, SingleCrystalAndLaueAreSeparatePrograms) {
  ProgramSlots slots;
  RecordingHost host(slots);
  slots.OpenProgram(ProgramKind::SingleCrystal, host);
  slots.OpenProgram(ProgramKind::LaueCase, host);
  EXPECT_EQ(host.created, (std::vector<ProgramKind>{ProgramKind::SingleCrystal, ProgramKind::LaueCase}));
  EXPECT_TRUE(host.activated.empty());
  EXPECT_EQ(InfoOf(ProgramKind::SingleCrystal).documentTemplate, InfoOf(ProgramKind::LaueCase).documentTemplate);
}

TEST(ProgramSlots, AWindowBeingBuiltTakesItsProgramsTitle) {
  ProgramSlots slots;
  RecordingHost host(slots);
  slots.OpenProgram(ProgramKind::LaueCase, host);
  EXPECT_EQ(host.titles.back(), "Laue-case Single-Crystal Diffraction for Plane Wave");
  EXPECT_FALSE(slots.BeingCreated().has_value());
  EXPECT_EQ(slots.TitleFor("Untitled"), "Untitled");
}

TEST(ProgramSlots, ClosingFreesTheSlotAndAFailedWindowDoesNotBlockIt) {
  ProgramSlots slots;
  RecordingHost host(slots);
  slots.OpenProgram(ProgramKind::MbdLineMap, host);
  slots.ProgramClosed(ProgramKind::MbdLineMap);
  EXPECT_TRUE(slots.OpenProgram(ProgramKind::MbdLineMap, host));
  EXPECT_EQ(host.created.size(), 2u);

  host.succeed = false;
  EXPECT_FALSE(slots.OpenProgram(ProgramKind::BrennanStructureFactors, host));
  EXPECT_FALSE(slots.IsOpen(ProgramKind::BrennanStructureFactors));
  host.succeed = true;
  EXPECT_TRUE(slots.OpenProgram(ProgramKind::BrennanStructureFactors, host));
}

TEST(ProgramSlots, ChildPositionsFollowTheProgramTable) {
  EXPECT_FALSE(InfoOf(ProgramKind::SingleCrystal).position.has_value());
  ASSERT_TRUE(InfoOf(ProgramKind::ConvolutedRockingCurve).position.has_value());
  EXPECT_EQ(InfoOf(ProgramKind::ConvolutedRockingCurve).position->x, 40);
  EXPECT_EQ(InfoOf(ProgramKind::MbdLineMap).position->y, 2);
  for (ProgramKind kind : kAllPrograms) EXPECT_EQ(InfoOf(kind).kind, kind);
}

}  // namespace
}  // namespace velto::shell
