// The structure-file reader on arbitrary bytes: it refuses them with a
// reason or gives a crystal whose lattice and chi are finite numbers.
#include <cmath>

#include "FuzzInput.h"
#include "core/DataDirectory.h"
#include "crystal/CrystalStructure.h"
#include "crystal/Susceptibility.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velto;
  const auto path = fuzz::WriteInput("input.struct", data, size);
  crystal::CrystalStructure structure;
  core::SilentNotifier notifier;
  crystal::StructFileFailure failure;
  if (!crystal::LoadStructFile(structure, path, 293.15, core::DataDirectory(), notifier, &failure)) {
    fuzz::Require(!failure.what.empty());
    return 0;
  }
  fuzz::Require(std::isfinite(structure.volume) && structure.volume > 0);
  if (!structure.IsLoaded()) return 0;
  const double d = structure.DSpacing(1, 1, 1);
  fuzz::Require(std::isfinite(d) && d > 0);
  const crystal::ReflectionChi chi = crystal::ComputeReflectionChi(structure, 8048.0, 1, 1, 1, notifier);
  if (!chi.Failed()) {
    for (std::size_t i = 0; i < crystal::ReflectionChi::kComponents; ++i)
      fuzz::Require(std::isfinite(chi[i].real()) && std::isfinite(chi[i].imag()));
  }
  return 0;
}
