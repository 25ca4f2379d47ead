#include <gtest/gtest.h>

#include "support/TestFiles.h"
#include "shell/MainFrameState.h"

namespace velto::shell {
namespace {

TEST(MainFrameSettings, FirstRunOpensAnEightHundredBySixEightyFiveWindowAtTheOrigin) {
  MemorySettingsStore settings;
  EXPECT_EQ(ReadPlacement(settings), (WindowPlacement{0, 0, 800, 685, false}));
  testing::TemporaryDirectory dir;
  EXPECT_EQ(LoadMainFrameState(settings, dir.path(), "/opt/velto").structPath, "/opt/velto");
}

TEST(MainFrameSettings, NormalCloseStoresPlacementAndStructureDirectory) {
  MemorySettingsStore settings;
  SavePlacementOnClose(settings, {12, 34, 1000, 700, false}, false, "/home/me/crystals");
  EXPECT_EQ(ReadPlacement(settings), (WindowPlacement{12, 34, 1000, 700, false}));
  testing::TemporaryDirectory dir;
  EXPECT_EQ(LoadMainFrameState(settings, dir.path(), "/opt/velto").structPath, "/home/me/crystals");
}

TEST(MainFrameSettings, MaximisedCloseKeepsThePreviousPlacementAndDirectory) {
  MemorySettingsStore settings;
  SavePlacementOnClose(settings, {5, 6, 900, 600, false}, false, "/old");
  SavePlacementOnClose(settings, {0, 0, 1920, 1080, false}, true, "/chosen/since/start");
  const WindowPlacement placement = ReadPlacement(settings);
  EXPECT_TRUE(placement.maximised);
  EXPECT_EQ(placement.x, 5);
  EXPECT_EQ(placement.width, 900);
  EXPECT_EQ(settings.ReadText(kSettingsSection, "StructPath"), "/old");

  // Un-maximised again, the next normal close records everything.
  SavePlacementOnClose(settings, {1, 2, 3, 4, false}, false, "/new");
  EXPECT_EQ(ReadPlacement(settings), (WindowPlacement{1, 2, 3, 4, false}));
}

TEST(MainFrameSettings, NonNumericValuesReadAsTheirDefaults) {
  MemorySettingsStore settings;
  settings.WriteText(kSettingsSection, "MainFrmCX", "wide");
  settings.WriteText(kSettingsSection, "MainFrmMax", "2");
  const WindowPlacement placement = ReadPlacement(settings);
  EXPECT_EQ(placement.width, 800);
  EXPECT_FALSE(placement.maximised);
}

TEST(ChiClipboard, StartsEmptyAndKeepsTheTenValuesInOrder) {
  ChiClipboard clipboard;
  EXPECT_FALSE(clipboard.HasChi());
  EXPECT_EQ(clipboard.Values()[0], 100.0);
  crystal::ReflectionChi chi;
  chi.chi0 = {-15.1e-6, -0.35e-6};
  chi.chih = {-8.0e-6, 1.9e-6};
  chi.chimhPi = {1e-7, -2e-7};
  clipboard.Store(chi);
  EXPECT_TRUE(clipboard.HasChi());
  EXPECT_EQ(clipboard.Values()[1], -0.35e-6);
  EXPECT_EQ(clipboard.Values()[9], -2e-7);
  EXPECT_EQ(clipboard.Chi(), chi);
}

}  // namespace
}  // namespace velto::shell

namespace velto::shell {
namespace {

TEST(FitOnScreen, LeavesAPlacementThatFitsAlone) {
  const ScreenArea screen{0, 0, 1920, 1080};
  EXPECT_EQ(FitOnScreen({0, 0, 800, 685, false}, screen), (WindowPlacement{0, 0, 800, 685, false}));
  EXPECT_EQ(FitOnScreen({-20, 30, 800, 685, false}, screen), (WindowPlacement{-20, 30, 800, 685, false}));
}

TEST(FitOnScreen, BringsBackAWindowSavedOnAMonitorThatIsGone) {
  const ScreenArea screen{0, 0, 1280, 800};
  EXPECT_EQ(FitOnScreen({2500, 1300, 900, 700, false}, screen), (WindowPlacement{0, 0, 900, 700, false}));
  EXPECT_EQ(FitOnScreen({-1500, -40, 900, 700, false}, screen), (WindowPlacement{0, 0, 900, 700, false}));
  EXPECT_EQ(FitOnScreen({10, 10, 4000, 3000, true}, screen), (WindowPlacement{10, 10, 1280, 800, true}));
  EXPECT_EQ(FitOnScreen({10, 10, 0, -5, false}, screen), (WindowPlacement{10, 10, 800, 685, false}));
}

}  // namespace
}  // namespace velto::shell
