#include "multicrystal/Reflection.h"

#include "core/Units.h"

namespace velto::multicrystal {

double InAngleUnit(double radians, AngleUnit unit) {
  switch (unit) {
    case AngleUnit::Microradian:
      return radians * 1000000;
    case AngleUnit::Degree:
      return radians / core::kDegree;
    case AngleUnit::Arcsecond:
      break;
  }
  return radians / core::kArcsecond;
}

}  // namespace velto::multicrystal
