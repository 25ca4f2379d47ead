#include "shell/ChildPlacement.h"

#include <algorithm>

namespace velto::shell {

Rectangle PlaceProgramWindow(Size client, std::optional<ChildPosition> position, std::optional<ChildPosition> front,
                             int step) {
  ChildPosition corner = position.value_or(ChildPosition{});
  if (front) {
    const ChildPosition offset = position.value_or(ChildPosition{step, step});
    corner = {front->x + std::max(offset.x, step), front->y + std::max(offset.y, step)};
  }
  // Too far right or down to leave a usable window: slide back towards the
  // corner, as far as the client area allows.
  const int smallestWidth = std::min(kSmallestProgramWindow.width, client.width);
  const int smallestHeight = std::min(kSmallestProgramWindow.height, client.height);
  corner.x = std::clamp(corner.x, 0, std::max(0, client.width - smallestWidth));
  corner.y = std::clamp(corner.y, 0, std::max(0, client.height - smallestHeight));
  return {corner.x, corner.y, std::clamp(client.width - corner.x, 0, kChildWidth),
          std::clamp(client.height - corner.y, 0, kChildHeight)};
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
