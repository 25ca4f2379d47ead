#include "programs/convoluted_curve/GeometrySketch.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <vector>

namespace velto::programs {
namespace {

constexpr Color kCrystalGrey{190, 190, 200};
constexpr Color kBeamColour{200, 0, 0};
constexpr double kWidth = 200, kHeight = 110;  // the sketch's own units

// Maps sketch units onto the frame, keeping the proportions.
struct Sketch {
  Canvas& canvas;
  double scale;
  double left, top;

  Point At(double x, double y) const { return {static_cast<int>(left + x * scale), static_cast<int>(top + y * scale)}; }
  void Slab(double x0, double y0, double x1, double y1) const {
    const Point a = At(x0, y0), b = At(x1, y1);
    canvas.Fill({a.x, a.y, b.x, b.y}, kCrystalGrey);
  }
  void Label(double x, double y, std::string_view text) const {
    if (!text.empty()) canvas.Text(At(x, y), text);
  }
  // A line with an arrowhead at its end.
  void Arrow(double x0, double y0, double x1, double y1) const {
    canvas.Line(At(x0, y0), At(x1, y1));
    const double angle = std::atan2(y1 - y0, x1 - x0);
    for (double side : {-0.45, 0.45}) {
      const double back = angle + 3.14159265358979 + side;
      canvas.Line(At(x1, y1), At(x1 + 6 * std::cos(back), y1 + 6 * std::sin(back)));
    }
  }
  // A quarter-turn arrow about (cx, cy), for a rotation.
  void TurnArrow(double cx, double cy, double radius, double fromAngle, double toAngle) const {
    std::vector<Point> arc;
    const int steps = 12;
    for (int i = 0; i <= steps; ++i) {
      const double a = fromAngle + (toAngle - fromAngle) * i / steps;
      arc.push_back(At(cx + radius * std::cos(a), cy + radius * std::sin(a)));
    }
    canvas.Polyline(arc);
    const double a = toAngle, b = toAngle - (toAngle - fromAngle) / steps;
    Arrow(cx + radius * std::cos(b), cy + radius * std::sin(b), cx + radius * std::cos(a), cy + radius * std::sin(a));
  }
};

}  // namespace

void DrawPairSketch(Canvas& canvas, Rect frame, multicrystal::Arrangement arrangement, const PairSketchLabels& labels) {
  canvas.Fill(frame, kWhite);
  const double scale = std::min(frame.Width() / kWidth, frame.Height() / kHeight);
  const Sketch s{canvas, scale, frame.left + (frame.Width() - kWidth * scale) / 2,
                 frame.top + (frame.Height() - kHeight * scale) / 2};
  const bool dispersive = arrangement == multicrystal::Arrangement::Dispersive;

  // The first crystal reflects from below; its surface faces down.
  s.Slab(40, 22, 100, 32);
  s.Label(4, 16, labels.first);
  s.canvas.SetPen(Pen{});
  s.Arrow(62, 15, 92, 15);
  s.Label(66, 1, labels.firstAsymmetry);
  s.Label(44, 35, labels.firstBragg);

  s.canvas.SetPen(Pen{kBeamColour, 1});
  s.canvas.Line(s.At(8, 90), s.At(70, 32));
  if (!dispersive) {
    // Parallel surfaces: the beam leaves the second crystal parallel to the
    // incident beam.
    s.canvas.SetPen(Pen{kBeamColour, 1});
    s.canvas.Line(s.At(70, 32), s.At(135, 84));
    s.Arrow(135, 84, 196, 30);
    s.canvas.SetPen(Pen{});
    s.Slab(105, 84, 165, 94);
    s.Label(62, 86, labels.second);
    s.Arrow(118, 100, 148, 100);
    s.Label(152, 96, labels.secondAsymmetry);
    if (*labels.rocking) s.TurnArrow(165, 89, 9, -1.3, 1.3);
    s.Label(176, 84, labels.rocking);
    s.Label(126, 62, labels.secondBragg);
    s.Label(108, 40, labels.orientation);
  } else {
    // The second crystal deflects the beam in the same sense as the first.
    s.canvas.SetPen(Pen{kBeamColour, 1});
    s.canvas.Line(s.At(70, 32), s.At(150, 80));
    s.Arrow(150, 80, 96, 108);
    s.canvas.SetPen(Pen{});
    s.Slab(150, 46, 160, 106);
    s.Label(163, 92, labels.second);
    s.Arrow(166, 50, 166, 74);
    s.Label(170, 56, labels.secondAsymmetry);
    if (*labels.rocking) s.TurnArrow(155, 46, 9, -2.9, -0.3);
    s.Label(166, 28, labels.rocking);
    s.Label(126, 74, labels.secondBragg);
    s.Label(122, 18, labels.orientation);
  }
}

}  // namespace velto::programs
