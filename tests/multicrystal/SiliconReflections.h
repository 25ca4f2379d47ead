#pragma once
// Silicon reflections at Cu Kα1 for the multi-crystal tests, with chi
// computed by the crystal layer from the shipped atomic data.
#include <gtest/gtest.h>

#include "core/Notifier.h"
#include "core/Units.h"
#include "crystal/CrystalStructure.h"
#include "crystal/Susceptibility.h"
#include "multicrystal/Reflection.h"
#include "support/TestFiles.h"

namespace velto::multicrystal::testing {

inline constexpr double kSiliconLattice = 5.43102064;
inline constexpr double kEnergy = core::kCuKalpha1Kev * 1000.0;  // eV

inline CrystalReflection SiliconReflection(int h, int k, int l, double energy = kEnergy) {
  core::SilentNotifier quiet;
  crystal::CrystalStructure silicon;
  const bool made = crystal::MakeDiamondCrystal(silicon, 14, kSiliconLattice, 530.82, 293.15,
                                                velto::testing::BuildDataDirectory(), quiet);
  EXPECT_TRUE(made);
  CrystalReflection reflection;
  reflection.defined = silicon.IsLoaded();
  reflection.d = silicon.DSpacing(h, k, l);
  reflection.chi = crystal::ComputeReflectionChi(silicon, energy, h, k, l, quiet);
  EXPECT_FALSE(reflection.chi.Failed());
  return reflection;
}

// Computed once per test program: the structure set-up reads data files.
inline const CrystalReflection& Si111() {
  static const CrystalReflection reflection = SiliconReflection(1, 1, 1);
  return reflection;
}
inline const CrystalReflection& Si400() {
  static const CrystalReflection reflection = SiliconReflection(4, 0, 0);
  return reflection;
}

}  // namespace velto::multicrystal::testing
