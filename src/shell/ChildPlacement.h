#pragma once
#include <optional>
#include <vector>

#include "shell/ProgramSlots.h"

// Where program windows go inside the client area of the main window. The
// programs ask for 1500 x 1200 pixels at their own corner, which no laptop
// screen holds; these rules keep every window whole, inside the client area
// and reachable.
namespace velto::shell {

struct Size {
  int width = 0;
  int height = 0;
  bool operator==(const Size&) const = default;
};

struct Rectangle {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Rectangle&) const = default;
  int Right() const { return x + width; }
  int Bottom() const { return y + height; }
};

// The smallest program window worth opening; a window that would be smaller
// at its place is moved towards the top-left corner instead.
inline constexpr Size kSmallestProgramWindow{480, 360};
// A window opened beside the one in front may be smaller still, down to
// this; with less room the cascade starts again at the client's corner.
inline constexpr Size kSmallestCascadedWindow{240, 180};

// The rectangle of a new program window in a client area of `client` pixels.
// `position` is the program's own corner (none: left to the window system).
// `front` is the top-left corner of the program window in front, if one is
// open: the new window then opens at the program's offset from it, always at
// least `step` pixels right and down, so that the title bar of the window
// beneath stays visible. Where that leaves too little room, the new window
// starts a new cascade at the client's corner and ends short of the window in
// front when it can. The window keeps the programs' size where it fits and
// is shrunk to the client area where it does not; its form then scrolls.
Rectangle PlaceProgramWindow(Size client, std::optional<ChildPosition> position,
                             std::optional<ChildPosition> front, int step);

// Where "Arrange Icons" puts the minimised windows (each `icon` pixels):
// along the bottom of the client area from the left, a new row above when a
// row is full.
std::vector<ChildPosition> ArrangeIcons(Size client, Size icon, int count);

}  // namespace velto::shell
