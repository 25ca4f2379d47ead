#include "core/ProcessSetup.h"

#include <malloc.h>

#include <mutex>

// Declared weak so that the program links and runs with any BLAS; the call
// only happens when the OpenBLAS in use provides it.
extern "C" void openblas_set_num_threads(int threads) __attribute__((weak));
extern "C" int openblas_get_num_threads() __attribute__((weak));

namespace velto::core {

void SetUpComputingProcess() {
  KeepLinearAlgebraSingleThreaded();
  KeepFreedMemoryForReuse();
}

void KeepLinearAlgebraSingleThreaded() {
  if (openblas_set_num_threads != nullptr) openblas_set_num_threads(1);
}

namespace {
std::mutex scopesMutex;
int scopes = 0;
int hostThreads = 1;
}  // namespace

SingleThreadedLinearAlgebra::SingleThreadedLinearAlgebra() {
  if (openblas_set_num_threads == nullptr || openblas_get_num_threads == nullptr) return;
  std::lock_guard lock(scopesMutex);
  if (scopes++ > 0) return;
  hostThreads = openblas_get_num_threads();
  if (hostThreads != 1) openblas_set_num_threads(1);
}

SingleThreadedLinearAlgebra::~SingleThreadedLinearAlgebra() {
  if (openblas_set_num_threads == nullptr || openblas_get_num_threads == nullptr) return;
  std::lock_guard lock(scopesMutex);
  if (--scopes > 0) return;
  if (hostThreads != 1) openblas_set_num_threads(hostThreads);
}

void KeepFreedMemoryForReuse() {
  // Blocks up to 32 MB come from the heap rather than from their own
  // mapping (which is unmapped on free), and the heap is trimmed only when
  // more than kKeptFreeMemory lies free at its top.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, kKeptFreeMemory);
}

}  // namespace velto::core
