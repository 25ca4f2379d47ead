#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "programs/canvas/Canvas.h"

namespace velto::testing {

// Keeps every drawing call with the pen it was made with, so that what a
// plot draws can be checked without a screen. Text is six pixels a
// character (bytes that continue a UTF-8 character add nothing) and 14 high.
class RecordingCanvas final : public programs::Canvas {
 public:
  using Color = programs::Color;
  using Pen = programs::Pen;
  using Point = programs::Point;
  using Rect = programs::Rect;

  struct FillCall {
    Rect rect;
    Color color;
  };
  struct LineCall {
    Point from, to;
    Pen pen;
  };
  struct PolylineCall {
    std::vector<Point> points;
    Pen pen;
  };
  struct OutlineCall {
    Rect rect;
    Pen pen;
  };
  struct TextCall {
    Point at;
    std::string text;
    Pen pen;
    bool vertical = false;
  };

  void Fill(Rect rect, Color color) override { fills.push_back({rect, color}); }
  void SetPen(Pen p) override { pen = p; }
  void Line(Point from, Point to) override { lines.push_back({from, to, pen}); }
  void Polyline(const std::vector<Point>& points) override { polylines.push_back({points, pen}); }
  void Outline(Rect rect) override { outlines.push_back({rect, pen}); }
  void Text(Point topLeft, std::string_view text) override { texts.push_back({topLeft, std::string(text), pen}); }
  void VerticalText(Point topLeft, std::string_view text) override {
    texts.push_back({topLeft, std::string(text), pen, true});
  }
  programs::TextSize TextExtent(std::string_view text) const override {
    int characters = 0;
    for (char c : text)
      if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
    return {6 * characters, 14};
  }

  const TextCall* Find(std::string_view text) const {
    for (const TextCall& t : texts)
      if (t.text == text) return &t;
    return nullptr;
  }
  bool HasText(std::string_view text) const { return Find(text) != nullptr; }
  // The texts written level below `y`: the labels under an axis.
  std::vector<TextCall> TextsBelow(int y) const {
    std::vector<TextCall> found;
    for (const TextCall& t : texts)
      if (!t.vertical && t.at.y > y) found.push_back(t);
    return found;
  }

  Pen pen;
  std::vector<FillCall> fills;
  std::vector<LineCall> lines;
  std::vector<PolylineCall> polylines;
  std::vector<OutlineCall> outlines;
  std::vector<TextCall> texts;
};

}  // namespace velto::testing
