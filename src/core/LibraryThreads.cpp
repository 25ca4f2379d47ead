#include "core/LibraryThreads.h"

// Declared weak so that the program links and runs with any BLAS; the call
// only happens when the OpenBLAS in use provides it.
extern "C" void openblas_set_num_threads(int threads) __attribute__((weak));

namespace velto::core {

void KeepLinearAlgebraSingleThreaded() {
  if (openblas_set_num_threads != nullptr) openblas_set_num_threads(1);
}

}  // namespace velto::core
