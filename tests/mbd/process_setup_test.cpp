#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdlib>
#include <cstring>

#include "core/ProcessSetup.h"

extern "C" int openblas_get_num_threads() __attribute__((weak));

namespace velto::core {
namespace {

// The solver's small eigenproblems must not start BLAS threads of their own;
// this program links the same BLAS as the executables.
TEST(ProcessSetup, OpenBlasIsLimitedToOneThread) {
  if (openblas_get_num_threads == nullptr) GTEST_SKIP() << "the BLAS in use is not OpenBLAS";
  SetUpComputingProcess();
  EXPECT_EQ(openblas_get_num_threads(), 1);
}

// A curve's arrays come from the heap and stay there when freed, ready for
// the next calculation, instead of being mapped and unmapped each time.
TEST(ProcessSetup, FreedResultArraysStayInTheProcess) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer replaces the C library's allocator";
#else
  SetUpComputingProcess();
  constexpr std::size_t kCurveBytes = 6 * 100000 * sizeof(double);
  const std::size_t mappedBefore = mallinfo2().hblkhd;
  void* block = std::malloc(kCurveBytes);
  ASSERT_NE(block, nullptr);
  std::memset(block, 1, kCurveBytes);
  EXPECT_EQ(mallinfo2().hblkhd, mappedBefore) << "the block got a mapping of its own";
  std::free(block);
  EXPECT_GE(mallinfo2().fordblks, kCurveBytes) << "the freed block went back to the system";
#endif
}

}  // namespace
}  // namespace velto::core
