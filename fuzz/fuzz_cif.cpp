// The CIF import on arbitrary bytes: it refuses them with a reason, or gives
// a crystal that the structure-file reader either refuses with a reason or
// loads with a finite lattice.
#include <cmath>

#include "FuzzInput.h"
#include "core/DataDirectory.h"
#include "crystal/CifImport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velto;
  const auto path = fuzz::WriteInput("input.cif", data, size);
  crystal::CrystalStructure structure;
  core::SilentNotifier notifier;
  crystal::StructFileFailure failure;
  // Every element gets a Debye temperature, so that the whole path is run.
  std::map<int, double> given;
  for (int z = 1; z <= 92; ++z) given[z] = 300;
  if (!crystal::LoadCifFile(structure, path, 293.15, core::DataDirectory(), notifier, &failure, given)) {
    fuzz::Require(!failure.what.empty());
    return 0;
  }
  fuzz::Require(std::isfinite(structure.volume) && structure.volume > 0);
  return 0;
}
