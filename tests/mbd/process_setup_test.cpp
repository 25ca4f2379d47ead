#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "core/ProcessSetup.h"

extern "C" int openblas_get_num_threads() __attribute__((weak));
extern "C" void openblas_set_num_threads(int threads) __attribute__((weak));

namespace velto::core {
namespace {

// The solver's small eigenproblems must not start BLAS threads of their own;
// this program links the same BLAS as the executables.
TEST(ProcessSetup, OpenBlasIsLimitedToOneThread) {
  if (openblas_get_num_threads == nullptr) GTEST_SKIP() << "the BLAS in use is not OpenBLAS";
  SetUpComputingProcess();
  EXPECT_EQ(openblas_get_num_threads(), 1);
}

// Hosted in another program (the Python module), the suite's code keeps
// BLAS to one thread only while it computes, and hands the host's count back
// when the last of its calls, on whatever thread, has ended.
TEST(ProcessSetup, HostedCallsGiveTheHostItsBlasThreadsBack) {
  if (openblas_get_num_threads == nullptr) GTEST_SKIP() << "the BLAS in use is not OpenBLAS";
  openblas_set_num_threads(2);
  if (openblas_get_num_threads() != 2) GTEST_SKIP() << "this OpenBLAS was built for fewer threads";
  {
    SingleThreadedLinearAlgebra call;
    EXPECT_EQ(openblas_get_num_threads(), 1);
    auto other = std::make_unique<SingleThreadedLinearAlgebra>();
    std::thread([] { SingleThreadedLinearAlgebra nested; }).join();
    EXPECT_EQ(openblas_get_num_threads(), 1) << "another call is still computing";
    other.reset();
    EXPECT_EQ(openblas_get_num_threads(), 1);
  }
  EXPECT_EQ(openblas_get_num_threads(), 2);
  openblas_set_num_threads(1);
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
