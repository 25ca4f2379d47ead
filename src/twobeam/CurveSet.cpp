#include "twobeam/CurveSet.h"

#include <new>

namespace velto::twobeam {

bool CurveSet::Allocate(int n) {
  Release();
  if (n <= 0) return false;
  try {
    const auto size = static_cast<std::size_t>(n);
    reflectivity.assign(size, 0.0);
    exitDeviation.assign(size, 0.0);
    transmissivity.assign(size, 0.0);
    depth.assign(size, 0.0);
    specular.assign(size, 0.0);
  } catch (const std::bad_alloc&) {
    Release();
    return false;
  }
  points = n;
  return true;
}

void CurveSet::Release() {
  // Give the memory back, not just the contents.
  std::vector<double>().swap(reflectivity);
  std::vector<double>().swap(exitDeviation);
  std::vector<double>().swap(transmissivity);
  std::vector<double>().swap(depth);
  std::vector<double>().swap(specular);
  points = 0;
}

}  // namespace velto::twobeam
