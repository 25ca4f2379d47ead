#include "shell/ChildPlacement.h"

#include <algorithm>

namespace velto::shell {

namespace {

// From `corner` to the far edges of the client area, at most the programs' size.
Rectangle Reaching(Size client, ChildPosition corner) {
  return {corner.x, corner.y, std::clamp(client.width - corner.x, 0, kChildWidth),
          std::clamp(client.height - corner.y, 0, kChildHeight)};
}

}  // namespace

Rectangle PlaceProgramWindow(Size client, std::optional<ChildPosition> position, std::optional<ChildPosition> front,
                             int step) {
  const int smallestWidth = std::min(kSmallestProgramWindow.width, client.width);
  const int smallestHeight = std::min(kSmallestProgramWindow.height, client.height);
  if (!front) {
    // Too far right or down to leave a usable window: slide back towards
    // the corner, as far as the client area allows.
    ChildPosition corner = position.value_or(ChildPosition{});
    corner.x = std::clamp(corner.x, 0, std::max(0, client.width - smallestWidth));
    corner.y = std::clamp(corner.y, 0, std::max(0, client.height - smallestHeight));
    return Reaching(client, corner);
  }

  const ChildPosition offset = position.value_or(ChildPosition{step, step});
  ChildPosition corner{front->x + std::max(offset.x, step), front->y + std::max(offset.y, step)};
  // Slide back as before, but never nearer to the window in front than one
  // step: sliding all the way put a new window exactly on top of the last
  // one in a small main window. Such a window is smaller and its form scrolls.
  corner.x = std::max({std::min(corner.x, client.width - smallestWidth), front->x + step, 0});
  corner.y = std::max({std::min(corner.y, client.height - smallestHeight), front->y + step, 0});
  if (client.width - corner.x >= kSmallestCascadedWindow.width &&
      client.height - corner.y >= kSmallestCascadedWindow.height)
    return Reaching(client, corner);

  // No room below and right of the window in front: a new cascade from the
  // client's corner, ending where that window begins when it leaves room.
  Rectangle restart = Reaching(client, {0, 0});
  if (front->x >= kSmallestCascadedWindow.width)
    restart.width = std::min(restart.width, front->x);
  else if (front->y >= kSmallestCascadedWindow.height)
    restart.height = std::min(restart.height, front->y);
  return restart;
}

std::vector<ChildPosition> ArrangeIcons(Size client, Size icon, int count) {
  std::vector<ChildPosition> positions;
  if (icon.width <= 0 || icon.height <= 0) return positions;
  const int perRow = std::max(1, client.width / icon.width);
  for (int i = 0; i < count; ++i) {
    const int row = i / perRow;
    const int column = i % perRow;
    positions.push_back({column * icon.width, std::max(0, client.height - (row + 1) * icon.height)});
  }
  return positions;
}

}  // namespace velto::shell
