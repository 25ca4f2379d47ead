#pragma once
#include "multicrystal/Reflection.h"
#include "programs/canvas/Canvas.h"

// The sketch of two crystals in the beam that both multi-crystal programs
// show beside their controls: the first crystal above left, the beam
// reflected down to the second one and on, in the non-dispersive (+, −) or
// the dispersive (+, +) arrangement.
namespace velto::programs {

// The names written on the sketch; an empty text leaves its mark out.
struct PairSketchLabels {
  const char* first = "";            // beside the first crystal
  const char* second = "";           // beside the second crystal
  const char* firstAsymmetry = "";   // on the arrow of the first crystal's positive asymmetry
  const char* secondAsymmetry = "";  // likewise for the second crystal
  const char* rocking = "";          // on the arrow that rocks the second crystal
  const char* orientation = "";      // between the two surfaces
  const char* firstBragg = "";       // at the first reflection
  const char* secondBragg = "";      // at the second reflection
};

void DrawPairSketch(Canvas& canvas, Rect frame, multicrystal::Arrangement arrangement, const PairSketchLabels& labels);

}  // namespace velto::programs
