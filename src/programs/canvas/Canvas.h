#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

// The small drawing surface every plot of the suite is drawn on. The GUI
// implements it with its painter, tests record the calls, and the
// command-line tool writes SVG. Coordinates are pixels, y growing downwards.
namespace velto::programs {

struct Color {
  std::uint8_t red = 0, green = 0, blue = 0;
  friend constexpr bool operator==(Color, Color) = default;
};

inline constexpr Color kWhite{255, 255, 255};
inline constexpr Color kBlack{0, 0, 0};
inline constexpr Color kRed{255, 0, 0};
inline constexpr Color kBlue{0, 0, 255};

struct Pen {
  Color color = kBlack;
  int width = 1;
  friend constexpr bool operator==(Pen, Pen) = default;
};

struct Point {
  int x = 0, y = 0;
  friend constexpr bool operator==(Point, Point) = default;
};

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

struct TextSize {
  int width = 0, height = 0;
};

class Canvas {
 public:
  virtual ~Canvas() = default;
  // Fills a rectangle (right and bottom exclusive) with a solid colour.
  virtual void Fill(Rect rect, Color color) = 0;
  // The pen of the following lines, polylines, outlines and texts.
  virtual void SetPen(Pen pen) = 0;
  virtual void Line(Point from, Point to) = 0;
  virtual void Polyline(const std::vector<Point>& points) = 0;
  // The outline of a rectangle with the current pen.
  virtual void Outline(Rect rect) = 0;
  // Text in the surface's font with its top-left corner at `topLeft`, in the
  // pen's colour on the background.
  virtual void Text(Point topLeft, std::string_view text) = 0;
  // Text turned a quarter turn counter-clockwise, reading upwards, in the
  // box at `topLeft` whose size is the text's extent turned (an axis title
  // beside the axis). A surface that cannot turn text writes it level.
  virtual void VerticalText(Point topLeft, std::string_view text) { Text(topLeft, text); }
  virtual TextSize TextExtent(std::string_view text) const = 0;
};

}  // namespace velto::programs
