#include "programs/crystal_dialog/ReflectionChecks.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "programs/single_crystal/SingleCrystalCalculation.h"
#include "programs/single_crystal/SingleCrystalForm.h"
#include "shell/MainFrameState.h"

namespace velto::programs {
namespace {

TEST(ReflectionChecks, IndicesWithinTheDialogsLimitsAndNotAllZero) {
  EXPECT_FALSE(CheckMillerIndices(std::array{999, -999, 0}));
  EXPECT_EQ(CheckMillerIndices(std::array{1000, 1, 1}), "Enter an integer between -999 and 999.");
  EXPECT_EQ(CheckMillerIndices(std::array{1, -1000, 1}), "Enter an integer between -999 and 999.");
  EXPECT_EQ(CheckMillerIndices(std::array{0, 0, 0}), kAllZeroHklMessage);
  EXPECT_FALSE(CheckMillerIndices(std::array{0, 0, 0}, AllZeroHkl::Accept));
  // An index out of range is said before the zeros would be.
  EXPECT_EQ(CheckMillerIndices(std::array{0, 0, 1000}, AllZeroHkl::Accept), "Enter an integer between -999 and 999.");
}

TEST(ReflectionChecks, PhotonEnergyIsPositiveFiniteAndWithinTheAtomicData) {
  const double inf = std::numeric_limits<double>::infinity();
  for (double refused : {0.0, -8000.0, inf, std::nan("")})
    EXPECT_EQ(CheckPhotonEnergy(refused), "The photon energy must be a positive number of keV.") << refused;
  EXPECT_FALSE(CheckPhotonEnergy(1e-3));

  EXPECT_FALSE(CheckAtomicDataEnergy(kHighestAtomicDataEnergyEv));
  const auto beyond = CheckAtomicDataEnergy(std::nextafter(kHighestAtomicDataEnergyEv, inf));
  ASSERT_TRUE(beyond);
  EXPECT_NE(beyond->find("> 99.9 keV"), std::string::npos);
}

TEST(ReflectionChecks, RigorousTheoryOnlyInTheBraggCase) {
  EXPECT_FALSE(CheckRigorousTheory(false, true));
  EXPECT_FALSE(CheckRigorousTheory(true, false));
  EXPECT_EQ(CheckRigorousTheory(true, true), "The rigorous theory for grazing geometry is for the Bragg case only.");
}

TEST(ReflectionChecks, BraggConditionMissedOnlyBeyondRounding) {
  EXPECT_FALSE(TooSmallForBragg(1.0));
  EXPECT_FALSE(TooSmallForBragg(1.0 + 5e-8));
  EXPECT_TRUE(TooSmallForBragg(1.0 + 2e-7));
  EXPECT_FALSE(TooSmallForBragg(std::nan("")));
}

// The faces take the single-crystal form's own defaults for what is left out.
TEST(SingleCrystalDefaults, AreWhatTheFormShowsForEachScanAndCase) {
  shell::MainFrameState state;
  AppContext app(state);
  for (const bool laue : {false, true}) {
    SingleCrystalForm form(app, laue);
    EXPECT_EQ(form.Field(SingleCrystalField::Thickness).text, DefaultThicknessText(laue));
    for (const auto kind : {twobeam::ScanKind::EnergyScan, twobeam::ScanKind::RockingCurve}) {
      form.SetScanKind(kind);
      EXPECT_EQ(form.Field(SingleCrystalField::From).text, DefaultScanRange(kind).from);
      EXPECT_EQ(form.Field(SingleCrystalField::To).text, DefaultScanRange(kind).to);
    }
  }
}

}  // namespace
}  // namespace velto::programs
