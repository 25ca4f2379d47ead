#pragma once
#include <gtest/gtest.h>

#include "MbdTestSetup.h"
#include "crystal/CrystalStructure.h"
#include "support/RecordingNotifier.h"
#include "support/TestFiles.h"

namespace velto::mbd::testing {

// Tests that need silicon's scattering factors: the built-in diamond-type
// silicon the map program starts with.
class WithSilicon : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(crystal::MakeDiamondCrystal(silicon_, 14, kSiliconLattice, 530.82, 293.15,
                                            velto::testing::BuildDataDirectory(), notifier_));
    silicon_.name = "Si";
  }
  crystal::CrystalStructure silicon_;
  velto::testing::RecordingNotifier notifier_;
};

}  // namespace velto::mbd::testing
