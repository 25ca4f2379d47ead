#include "core/ProcessSetup.h"

#include <malloc.h>

// Declared weak so that the program links and runs with any BLAS; the call
// only happens when the OpenBLAS in use provides it.
extern "C" void openblas_set_num_threads(int threads) __attribute__((weak));

namespace velto::core {

void SetUpComputingProcess() {
  KeepLinearAlgebraSingleThreaded();
  KeepFreedMemoryForReuse();
}

void KeepLinearAlgebraSingleThreaded() {
  if (openblas_set_num_threads != nullptr) openblas_set_num_threads(1);
}

void KeepFreedMemoryForReuse() {
  // Blocks up to 32 MB come from the heap rather than from their own
  // mapping (which is unmapped on free), and the heap is trimmed only when
  // more than kKeptFreeMemory lies free at its top.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, kKeptFreeMemory);
}

}  // namespace velto::core
