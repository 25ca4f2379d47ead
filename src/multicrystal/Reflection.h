#pragma once
#include "crystal/CrystalParams.h"

namespace velto::multicrystal {

// The two beam arrangements of two crystals: non-dispersive (antiparallel
// reflections, the second crystal sees the same wavelength at the same
// angle as the first) or dispersive (both crystals deflect the beam in the
// same sense).
enum class Arrangement { NonDispersive, Dispersive };

// What the computations need of one crystal of a program window.
struct CrystalReflection {
  bool defined = false;  // its structure has been loaded
  double d = -1;         // Å
  crystal::ReflectionChi chi;
};

inline CrystalReflection ReflectionOf(const crystal::CrystalParams& params) {
  return {params.structure.IsLoaded(), params.d, params.chi};
}

// Angle units of the exports.
enum class AngleUnit { Microradian, Arcsecond, Degree };

// A radian value in `unit`.
double InAngleUnit(double radians, AngleUnit unit);

}  // namespace velto::multicrystal
