#include <gtest/gtest.h>

#include <cmath>

#include "mbd/AzimuthEquation.h"
#include "mbd/ReflectionRules.h"

namespace velto::mbd {
namespace {

TEST(DiamondAllowed, FollowsTheDiamondStructureFactor) {
  EXPECT_EQ(DiamondAllowed(1, 1, 1), 1);
  EXPECT_EQ(DiamondAllowed(0, 0, 4), 1);
  EXPECT_EQ(DiamondAllowed(-2, -2, 0), 1);
  EXPECT_EQ(DiamondAllowed(0, 0, 0), 1);
  EXPECT_EQ(DiamondAllowed(-3, 1, -1), 1);
  EXPECT_EQ(DiamondAllowed(0, 0, 2), 0);
  EXPECT_EQ(DiamondAllowed(2, 0, 0), 0);
  EXPECT_EQ(DiamondAllowed(1, 1, 0), 0);
  EXPECT_EQ(DiamondAllowed(2, 2, 2), 0);
  EXPECT_EQ(DiamondAllowed(-2, 0, 0), 0);
  EXPECT_EQ(DiamondAllowed(-2, -4, 2), 1);  // sum -4
  EXPECT_EQ(DiamondAllowed(-2, -2, -2), 0);  // sum -6
}

TEST(DiamondStructureName, RecognisesSiliconGermaniumAndDiamondInAnyCase) {
  for (const char* name : {"Silicon", "SI", "si", "Ge", "germanium", "C", "c", "DIAMOND"})
    EXPECT_TRUE(IsDiamondStructureName(name)) << name;
  for (const char* name : {"GaAs", "Sil", "", "Si ", "Quartz"}) EXPECT_FALSE(IsDiamondStructureName(name)) << name;
}

double Residual(double p, double q, double r, double phiDeg) {
  const double phi = phiDeg * 3.14159265358979323846 / 180;
  return p * std::cos(phi) + q * std::sin(phi) + r;
}

TEST(SolveAzimuthEquation, CosineBranchOrdersRootsByMagnitude) {
  const AzimuthRoots roots = SolveAzimuthEquation(1, 1, -1);
  ASSERT_EQ(roots.count, 2);
  EXPECT_NEAR(roots.root1, 0, 1e-12);
  EXPECT_NEAR(roots.root2, 90, 1e-12);
}

TEST(SolveAzimuthEquation, SineBranchKeepsEqualMagnitudesInOrder) {
  const AzimuthRoots roots = SolveAzimuthEquation(1, 0, 0);
  ASSERT_EQ(roots.count, 2);
  EXPECT_NEAR(roots.root1, 90, 1e-12);
  EXPECT_NEAR(roots.root2, -90, 1e-12);
}

TEST(SolveAzimuthEquation, NegativeDiscriminantHasNoRoot) {
  const AzimuthRoots roots = SolveAzimuthEquation(0, 0.5, 1);
  EXPECT_EQ(roots.count, 0);
  EXPECT_EQ(roots.root1, kNoAngle);
  EXPECT_EQ(roots.root2, kNoAngle);
  EXPECT_EQ(SolveAzimuthEquation(0, 0, 0.3).count, 0);
  EXPECT_EQ(SolveAzimuthEquation(0, 0, 0).count, 0);
}

TEST(SolveAzimuthEquation, RootsSatisfyTheUnsquaredEquationOnBothBranches) {
  // Coefficients spread over both branches and all quadrants.
  const double cases[][3] = {{0.3, -0.7, 0.2}, {-0.6, 0.5, -0.1}, {0.8, 2e-5, -0.3}, {-0.4, -5e-5, 0.35},
                             {0.1, 0.9, 0.85}, {-0.9, -0.2, -0.5}};
  for (const auto& c : cases) {
    const AzimuthRoots roots = SolveAzimuthEquation(c[0], c[1], c[2]);
    ASSERT_EQ(roots.count, 2) << c[0] << " " << c[1] << " " << c[2];
    EXPECT_LE(std::fabs(roots.root1), std::fabs(roots.root2));
    for (double root : {roots.root1, roots.root2}) {
      EXPECT_GT(root, -180);
      EXPECT_LE(root, 180);
      EXPECT_NEAR(Residual(c[0], c[1], c[2], root), 0, 1e-9) << root;
    }
  }
}

TEST(SolveAzimuthEquation, TangentCaseGivesOneDoubleRootOrASingleKeptRoot) {
  // p cos φ + r = 0 with |r| = |p| touches at φ = 180 only.
  const AzimuthRoots touching = SolveAzimuthEquation(1, 2e-5, 1);
  ASSERT_GE(touching.count, 1);
  EXPECT_NEAR(std::fabs(touching.root1), 180, 0.01);
}

}  // namespace
}  // namespace velto::mbd
