#include <gtest/gtest.h>

#include "core/LibraryThreads.h"

extern "C" int openblas_get_num_threads() __attribute__((weak));

namespace velto::core {
namespace {

// The solver's small eigenproblems must not start BLAS threads of their own
// (see KeepLinearAlgebraSingleThreaded); this program links the same BLAS as
// the executables.
TEST(LinearAlgebraThreads, OpenBlasIsLimitedToOneThread) {
  if (openblas_get_num_threads == nullptr) GTEST_SKIP() << "the BLAS in use is not OpenBLAS";
  KeepLinearAlgebraSingleThreaded();
  EXPECT_EQ(openblas_get_num_threads(), 1);
}

}  // namespace
}  // namespace velto::core
