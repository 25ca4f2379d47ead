#include "programs/plot/PlotLabels.h"

#include <string>

namespace velto::programs {
namespace {

// The leader goes this far across and down (or up) from the point.
constexpr int kLeaderX = 5, kLeaderY = 12;

}  // namespace

void DrawFullScaleDecade(Canvas& canvas, Point topLeft, int exponent) {
  if (exponent == 0) return;
  const std::string label = "1e-" + std::to_string(exponent);
  canvas.Text(topLeft, label);
  const TextSize size = canvas.TextExtent(label);
  canvas.Outline({topLeft.x - 2, topLeft.y - 1, topLeft.x + size.width + 2, topLeft.y + size.height});
}

void DrawPointLabel(Canvas& canvas, Point at, std::string_view text, Rect box) {
  const TextSize size = canvas.TextExtent(text);
  const bool left = at.x + size.width > box.right;
  const bool above = at.y + kLeaderY + size.height > box.bottom;
  const Point end{left ? at.x - kLeaderX : at.x + kLeaderX, above ? at.y - kLeaderY : at.y + kLeaderY};
  canvas.Line(at, end);
  canvas.Text({left ? at.x - size.width : at.x, above ? end.y - size.height : end.y}, text);
}

}  // namespace velto::programs
