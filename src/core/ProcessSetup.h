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

// Keeps the memory of freed result arrays (a 100000-point curve holds
// about 5 MB) in the process for the next calculation. By default the C
// library hands such blocks back to the system on every free, and each new
// calculation then pays a page fault per 4 KiB, as much as the calculation
// itself. At most kKeptFreeMemory bytes stay unused.
void KeepFreedMemoryForReuse();
inline constexpr int kKeptFreeMemory = 256 << 20;

}  // namespace velto::core
