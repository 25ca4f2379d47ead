#pragma once
#include <string_view>

#include "programs/canvas/Canvas.h"

// Texts that a plot writes into its picture beside the axes' own labels.
namespace velto::programs {

// "1e-k" with its top-left corner at `topLeft`, framed: it names the full
// scale of a linear axis a decade or more below 1 and must not read as one
// more tick value. Nothing is drawn for k = 0, where the axis labels its top
// with a plain "1.0".
void DrawFullScaleDecade(Canvas& canvas, Point topLeft, int exponent);

// A text tied to the point `at` inside `box` (the indices of a map line):
// written below and to the right of the point at the end of a short leader
// line, or turned to the left or above where it would run past the right or
// bottom edge of the box, so that every label stays whole inside it.
void DrawPointLabel(Canvas& canvas, Point at, std::string_view text, Rect box);

}  // namespace velto::programs
