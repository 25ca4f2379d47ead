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

TEST(ChildPlacement, AWindowThatWouldBeTooSmallSlidesBackButNeverOntoTheOneInFront) {
  const Size client{800, 636};
  // Slid back to keep the smallest size, but no nearer than a step to the front.
  EXPECT_EQ(PlaceProgramWindow(client, ChildPosition{70, 70}, ChildPosition{300, 200}, kStep),
            (Rectangle{300 + kStep, 270, 800 - 300 - kStep, 636 - 270}));
  EXPECT_EQ(PlaceProgramWindow(client, ChildPosition{70, 70}, ChildPosition{100, 250}, kStep),
            (Rectangle{170, 250 + kStep, 630, 636 - 250 - kStep}));
  // Smaller than that, but beside the front window, while there is room.
  EXPECT_EQ(PlaceProgramWindow(client, ChildPosition{70, 70}, ChildPosition{500, 400}, kStep),
            (Rectangle{500 + kStep, 400 + kStep, 800 - 500 - kStep, 636 - 400 - kStep}));
  // None: a new cascade from the corner that ends where the front window begins.
  EXPECT_EQ(PlaceProgramWindow(client, ChildPosition{70, 70}, ChildPosition{600, 500}, kStep),
            (Rectangle{0, 0, 600, 636}));
  EXPECT_EQ(PlaceProgramWindow(client, ChildPosition{70, 70}, ChildPosition{100, 500}, kStep),
            (Rectangle{0, 0, 800, 500}));
  // A client area smaller than the smallest window: all of it.
  EXPECT_EQ(PlaceProgramWindow({300, 200}, ChildPosition{40, 30}, ChildPosition{10, 10}, kStep),
            (Rectangle{0, 0, 300, 200}));
}

TEST(ChildPlacement, InASmallClientAreaEachNewWindowLeavesTheTitleBarOfTheLastInSight) {
  // Windows opened one after the other, each in front of the last; the
  // window system puts the first at the corner.
  for (const Size client : {Size{640, 400}, Size{520, 380}, Size{800, 636}}) {
    ChildPosition front{0, 0};
    int restarts = 0;
    for (int i = 0; i < 30; ++i) {
      const Rectangle place = PlaceProgramWindow(client, std::nullopt, front, kStep);
      EXPECT_FALSE(place.x == front.x && place.y == front.y) << i;
      EXPECT_GE(place.x, 0);
      EXPECT_GE(place.y, 0);
      EXPECT_LE(place.Right(), client.width);
      EXPECT_LE(place.Bottom(), client.height);
      EXPECT_GE(place.width, kSmallestCascadedWindow.width) << i;
      // A point of the title bar of the window beneath stays uncovered.
      const int titleX = front.x + 4, titleY = front.y + 4;
      EXPECT_FALSE(titleX >= place.x && titleX < place.Right() && titleY >= place.y && titleY < place.Bottom())
          << client.width << "x" << client.height << " window " << i << " at " << place.x << "," << place.y;
      if (place.x == 0 && place.y == 0) ++restarts;
      front = {place.x, place.y};
    }
    EXPECT_GT(restarts, 0) << "thirty windows fill any of these client areas";
  }
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
