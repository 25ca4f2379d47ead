#pragma once

namespace velto::core {

// What every program of the suite does first, before any computation:
// both of the settings below.
void SetUpComputingProcess();

// Keeps the BLAS library from starting threads of its own. The suite's
// matrices are small (at most a few dozen rows) and its long loops already
// run one point per OpenMP thread; BLAS threads inside every small call only
// add start-up cost and fight the workers for the cores.
void KeepLinearAlgebraSingleThreaded();

// The same for the suite's code hosted in another program's process (the
// Python module), which must leave that process as it found it: while at
// least one scope lives, on any thread, the BLAS library runs one thread;
// when the last ends, the host's own thread count comes back (numpy in the
// same interpreter calls the same OpenBLAS). Besides the cost, the count
// changes the last bits of the results: the small solves take another path
// through OpenBLAS with more than one thread, and the numbers would then
// differ from velto-cli's.
class SingleThreadedLinearAlgebra {
 public:
  SingleThreadedLinearAlgebra();
  ~SingleThreadedLinearAlgebra();
  SingleThreadedLinearAlgebra(const SingleThreadedLinearAlgebra&) = delete;
  SingleThreadedLinearAlgebra& operator=(const SingleThreadedLinearAlgebra&) = delete;
};

// Keeps the memory of freed result arrays (a 100000-point curve holds
// about 5 MB) in the process for the next calculation. By default the C
// library hands such blocks back to the system on every free, and each new
// calculation then pays a page fault per 4 KiB, as much as the calculation
// itself. At most kKeptFreeMemory bytes stay unused.
void KeepFreedMemoryForReuse();
inline constexpr int kKeptFreeMemory = 256 << 20;

}  // namespace velto::core
