#pragma once

namespace velto::core {

// Keeps the BLAS library from starting threads of its own. The suite's
// matrices are small (at most a few dozen rows) and its long loops already
// run one point per OpenMP thread; BLAS threads inside every small call only
// add start-up cost and fight the workers for the cores.
void KeepLinearAlgebraSingleThreaded();

}  // namespace velto::core
