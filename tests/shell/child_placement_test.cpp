#include <gtest/gtest.h>

#include "shell/ChildPlacement.h"

namespace velto::shell {
namespace {

constexpr int kStep = 28;

TEST(ChildPlacement, AProgramWindowKeepsItsCornerAndIsShrunkToTheClientArea) {
  // A laptop's main window: the 1500 x 1200 window cannot fit.
  const Size client{1366, 640};
  EXPECT_EQ(PlaceProgramWindow(client, ChildPosition{40, 30}, std::nullopt, kStep), (Rectangle{40, 30, 1326, 610}));
  EXPECT_EQ(PlaceProgramWindow(client, std::nullopt, std::nullopt, kStep), (Rectangle{0, 0, 1366, 640}));
  // Where it fits it keeps the programs' size.
  EXPECT_EQ(PlaceProgramWindow({1900, 1300}, ChildPosition{70, 70}, std::nullopt, kStep),
            (Rectangle{70, 70, 1500, 1200}));
}

TEST(ChildPlacement, ASecondWindowCascadesFromTheOneInFront) {
  const Size client{800, 636};
  // At the program's offset from the window in front, but never so little
  // that the title bar beneath is covered.
  EXPECT_EQ(PlaceProgramWindow(client, ChildPosition{40, 30}, ChildPosition{0, 0}, kStep),
            (Rectangle{40, 30, 760, 606}));
  EXPECT_EQ(PlaceProgramWindow(client, ChildPosition{2, 2}, ChildPosition{0, 0}, kStep),
            (Rectangle{kStep, kStep, 800 - kStep, 636 - kStep}));
  EXPECT_EQ(PlaceProgramWindow(client, std::nullopt, ChildPosition{100, 50}, kStep),
            (Rectangle{100 + kStep, 50 + kStep, 800 - 100 - kStep, 636 - 50 - kStep}));
}

TEST(ChildPlacement, AWindowThatWouldBeTooSmallSlidesBackIntoTheClientArea) {
  const Size client{800, 636};
  const Rectangle place = PlaceProgramWindow(client, ChildPosition{70, 70}, ChildPosition{600, 500}, kStep);
  EXPECT_EQ(place, (Rectangle{800 - kSmallestProgramWindow.width, 636 - kSmallestProgramWindow.height,
                              kSmallestProgramWindow.width, kSmallestProgramWindow.height}));
  // A client area smaller than the smallest window: all of it.
  EXPECT_EQ(PlaceProgramWindow({300, 200}, ChildPosition{40, 30}, ChildPosition{10, 10}, kStep),
            (Rectangle{0, 0, 300, 200}));
}

TEST(ChildPlacement, IconsLineUpAlongTheBottomAndWrapUpwards) {
  const std::vector<ChildPosition> places = ArrangeIcons({500, 400}, {160, 30}, 4);
  ASSERT_EQ(places.size(), 4u);
  EXPECT_EQ(places[0].x, 0);
  EXPECT_EQ(places[0].y, 370);
  EXPECT_EQ(places[2].x, 320);
  EXPECT_EQ(places[3].x, 0);  // three fit in a row of 500 pixels
  EXPECT_EQ(places[3].y, 340);
  EXPECT_TRUE(ArrangeIcons({500, 400}, {0, 0}, 2).empty());
}

}  // namespace
}  // namespace velto::shell
