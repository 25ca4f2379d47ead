#include "programs/canvas/SvgCanvas.h"

#include <cstdio>

namespace velto::programs {
namespace {

std::string ColorText(Color c) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", c.red, c.green, c.blue);
  return buffer;
}

std::string Escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

SvgCanvas::SvgCanvas(int width, int height, int fontSize) : width_(width), height_(height), fontSize_(fontSize) {}

std::string SvgCanvas::Stroke() const {
  return "stroke=\"" + ColorText(pen_.color) + "\" stroke-width=\"" + std::to_string(pen_.width) + "\"";
}

void SvgCanvas::Fill(Rect r, Color color) {
  body_ += "<rect x=\"" + std::to_string(r.left) + "\" y=\"" + std::to_string(r.top) + "\" width=\"" +
           std::to_string(r.Width()) + "\" height=\"" + std::to_string(r.Height()) + "\" fill=\"" + ColorText(color) +
           "\"/>\n";
}

void SvgCanvas::Line(Point from, Point to) {
  body_ += "<line x1=\"" + std::to_string(from.x) + "\" y1=\"" + std::to_string(from.y) + "\" x2=\"" +
           std::to_string(to.x) + "\" y2=\"" + std::to_string(to.y) + "\" " + Stroke() + "/>\n";
}

void SvgCanvas::Polyline(const std::vector<Point>& points) {
  if (points.empty()) return;
  body_ += "<polyline fill=\"none\" " + Stroke() + " points=\"";
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (i > 0) body_ += ' ';
    body_ += std::to_string(points[i].x) + "," + std::to_string(points[i].y);
  }
  body_ += "\"/>\n";
}

void SvgCanvas::Outline(Rect r) {
  body_ += "<rect x=\"" + std::to_string(r.left) + "\" y=\"" + std::to_string(r.top) + "\" width=\"" +
           std::to_string(r.Width()) + "\" height=\"" + std::to_string(r.Height()) + "\" fill=\"none\" " + Stroke() +
           "/>\n";
}

void SvgCanvas::Text(Point topLeft, std::string_view text) {
  // SVG places text by its baseline; the font's ascent is about 0.8 em.
  const int baseline = topLeft.y + (fontSize_ * 4) / 5;
  body_ += "<text x=\"" + std::to_string(topLeft.x) + "\" y=\"" + std::to_string(baseline) +
           "\" font-family=\"monospace\" font-size=\"" + std::to_string(fontSize_) + "\" fill=\"" +
           ColorText(pen_.color) + "\">" + Escaped(text) + "</text>\n";
}

void SvgCanvas::VerticalText(Point topLeft, std::string_view text) {
  // Turned about its start: the baseline runs upwards from the box's bottom,
  // the letters standing to its left.
  const int baselineX = topLeft.x + (fontSize_ * 4) / 5;
  const int startY = topLeft.y + TextExtent(text).width;
  body_ += "<text transform=\"translate(" + std::to_string(baselineX) + " " + std::to_string(startY) +
           ") rotate(-90)\" font-family=\"monospace\" font-size=\"" + std::to_string(fontSize_) + "\" fill=\"" +
           ColorText(pen_.color) + "\">" + Escaped(text) + "</text>\n";
}

TextSize SvgCanvas::TextExtent(std::string_view text) const {
  // One advance per character, not per byte: "Δθ" is two characters.
  int characters = 0;
  for (char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
  return {characters * (fontSize_ * 3) / 5, fontSize_ + 2};
}

std::string SvgCanvas::Document() const {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
         std::to_string(width_) + "\" height=\"" + std::to_string(height_) + "\" viewBox=\"0 0 " +
         std::to_string(width_) + " " + std::to_string(height_) + "\">\n" + body_ + "</svg>\n";
}

}  // namespace velto::programs
