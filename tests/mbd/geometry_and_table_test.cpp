#include <gtest/gtest.h>

#include <cmath>

#include "MbdTestSetup.h"
#include "core/Notifier.h"
#include "mbd/ReflectionAzimuthList.h"
#include "support/RecordingNotifier.h"

namespace velto::mbd {
namespace {
using namespace velto::mbd::testing;

void ExpectVector(Vec3 actual, Vec3 expected, double tolerance = 1e-14) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST(MbdGeometry, SurfaceNormalFollowsOffcutAndItsAzimuth) {
  const MbdGeometry flat = SiliconFrame(8000);
  ExpectVector(flat.Normal(), flat.GHat());
  const MbdGeometry tilted = SiliconFrame(8000, 90, 0);
  ExpectVector(tilted.Normal(), tilted.HHat());
  const MbdGeometry sideways = SiliconFrame(8000, 90, 90);
  ExpectVector(sideways.Normal(), sideways.CHat());
  // The surface axes and the normal form a right-handed orthonormal triad.
  const MbdGeometry general = SiliconFrame(8000, 23, -71);
  ExpectVector(Cross(general.SurfaceW(), general.Normal()), general.SurfaceX());
  ExpectVector(Cross(general.SurfaceX(), general.SurfaceW()), general.Normal());
  EXPECT_NEAR(Norm(general.SurfaceX()), 1, 1e-15);
  ExpectVector(general.ToSolverFrame(general.Normal()), {0, 0, -1});
  const Vec3 v{0.3, -0.2, 0.9};
  ExpectVector(general.FromSolverFrame(general.ToSolverFrame(v)), v);
}

TEST(MbdGeometry, ClampsOffcutAndReducesAzimuths) {
  EXPECT_EQ(MbdGeometry::ClampOffcut(200), 180);
  EXPECT_EQ(MbdGeometry::ClampOffcut(-181), -180);
  EXPECT_EQ(MbdGeometry::ReduceOffcutAzimuth(725), 5);
  EXPECT_EQ(MbdGeometry::ReduceOffcutAzimuth(-360), 0);
  EXPECT_FALSE(std::signbit(MbdGeometry::ReduceOffcutAzimuth(-360)));
  EXPECT_EQ(MbdGeometry::ReduceOffcutAzimuth(359), 359);
  EXPECT_EQ(MbdGeometry::ReduceOffcutAzimuth(-359), -359);
  EXPECT_EQ(MbdGeometry::ReducePrincipalAzimuth(180), 180);
  EXPECT_EQ(MbdGeometry::ReducePrincipalAzimuth(-180), 180);
  EXPECT_EQ(MbdGeometry::ReducePrincipalAzimuth(540), 180);
  EXPECT_EQ(MbdGeometry::ReducePrincipalAzimuth(-190), 170);

  MbdGeometry geometry = SiliconFrame(8000, 200, 725);
  EXPECT_EQ(geometry.OffcutDeg(), 180);
  EXPECT_EQ(geometry.OffcutAzimuthDeg(), 5);
  EXPECT_TRUE(geometry.SurfaceChanged());
  geometry.Build(true, CubicLattice(kSiliconLattice), {1, 1, 1}, {1, -1, 0}, 180, 5);
  EXPECT_FALSE(geometry.SurfaceChanged());
}

TEST(MbdGeometry, RefusesWithTheProgramsMessages) {
  MbdGeometry geometry;
  const LatticeBasis lattice = CubicLattice(kSiliconLattice);
  EXPECT_EQ(geometry.Build(false, lattice, {1, 1, 1}, {1, -1, 0}, 0, 0), FrameStatus::NoCrystal);
  EXPECT_EQ(geometry.Build(true, lattice, {0, 0, 0}, {1, -1, 0}, 0, 0), FrameStatus::NoCrystal);
  EXPECT_EQ(FrameMessage(FrameStatus::NoCrystal),
            "You have to Define/Import a crystal structure and select the Primary Reflection!");
  EXPECT_EQ(geometry.Build(true, lattice, {1, 1, 1}, {0, 0, 0}, 0, 0), FrameStatus::ReferenceNotSet);
  EXPECT_EQ(FrameMessage(FrameStatus::ReferenceNotSet), "Horizontal Reference Direction has not been defined!");
  EXPECT_EQ(geometry.Build(true, lattice, {1, 1, 1}, {1, 0, 0}, 0, 0), FrameStatus::ReferenceNotPerpendicular);
  EXPECT_EQ(FrameMessage(FrameStatus::ReferenceNotPerpendicular),
            "The Horizontal Reference Direction is not perpendicular to the Primary Reflection!");
  // Fractional reference directions are allowed.
  EXPECT_EQ(geometry.Build(true, lattice, {1, 1, 1}, {0.5, -0.25, -0.25}, 0, 0), FrameStatus::Ok);
  EXPECT_EQ(geometry.CheckIncidence(), FrameStatus::PrincipalAzimuthNotSet);
}

TEST(MbdGeometry, IncidentWaveAndPolarisationFormARightHandedTriad) {
  const MbdGeometry geometry = SiliconFrame(8000, 3, 40);
  for (double phi : {-2.0, 0.0, 0.4, 2.9}) {
    const double theta = geometry.BraggAngle();
    const Vec3 k = geometry.IncidentDirection(theta, phi);
    ExpectVector(Cross(geometry.Sigma(phi), geometry.Pi(theta, phi)), k);
    EXPECT_NEAR(Dot(k, geometry.GHat()), -std::sin(theta), 1e-15);  // glancing angle from the Bragg plane
    EXPECT_NEAR(Dot(geometry.Sigma(phi), geometry.GHat()), 0, 1e-15);
  }
  // φ is measured from Ĥ towards Ĉ.
  const Vec3 k = geometry.IncidentDirection(0, core::kPi / 2);
  ExpectVector(k, geometry.CHat());
}

TEST(MbdGeometry, OffcutSteeperThanTheBraggAngleStopsTheBeamEntering) {
  // θB(1 1 1) at 8 keV is 14.3°; a surface tilted by 20° towards the
  // incident azimuth turns the beam away from the surface.
  MbdGeometry geometry = SiliconFrame(8000, 20, 30);
  geometry.SetPrincipalAzimuth(30);
  EXPECT_EQ(geometry.CheckIncidence(), FrameStatus::SurfaceNotEntered);
  EXPECT_EQ(FrameMessage(FrameStatus::SurfaceNotEntered),
            "It seems that the Crystal Surface Offcut made the Incidence Angle with respect to the Surface negative. "
            "Please check!");
  geometry.SetPrincipalAzimuth(-150);
  EXPECT_EQ(geometry.CheckIncidence(), FrameStatus::Ok);
}

TEST(MbdGeometry, ReflectionAzimuthsMeetTheThreeBeamCondition) {
  const MbdGeometry geometry = SiliconFrame(8000);
  for (Miller g : {Miller{1, 1, -1}, Miller{0, 0, 4}, Miller{-1, 3, 1}, Miller{2, 2, 0}}) {
    const double thetaI = geometry.BraggAngleOf(g);
    ASSERT_NE(thetaI, kNoAngle);
    const AzimuthRoots roots = geometry.ReflectionAzimuths(g, thetaI);
    ASSERT_EQ(roots.count, 2);
    const Vec3 gVector = geometry.Lattice().Reciprocal(g);
    for (double root : {roots.root1, roots.root2}) {
      const Vec3 k = geometry.IncidentDirection(geometry.BraggAngle(), root * core::kDegree);
      // Bragg's law for g: k̂0 · ĝ = −sin θi, i.e. |k0 + g| = |k0|.
      EXPECT_NEAR(Dot(k, gVector / Norm(gVector)), -std::sin(thetaI), 1e-12);
    }
  }
  EXPECT_EQ(geometry.BraggAngleOf({8, 8, 8}), kNoAngle);
}

TEST(MbdReflectionTable, AddsWithAzimuthsAndRefusesDuplicates) {
  const MbdGeometry geometry = SiliconFrame(8000);
  MbdReflectionTable table({1, 1, 1});
  ASSERT_EQ(table.Count(), 2);
  AddResult duplicate = table.Add({0, 0, 0}, geometry, true);
  EXPECT_EQ(duplicate.status, AddStatus::AlreadyIncluded);
  EXPECT_EQ(duplicate.text, "0 0 0 is already included!");
  EXPECT_EQ(table.Add({1, 1, 1}, geometry, true).text, "1 1 1 is already included!");

  ASSERT_EQ(table.Add({1, 1, -1}, geometry, true).status, AddStatus::Added);
  EXPECT_NEAR(table[2].braggAngle, geometry.BraggAngle(), 1e-15);  // same d-spacing as G
  EXPECT_NE(table[2].azimuth1, kNoAngle);
  EXPECT_NE(table[2].azimuth2, kNoAngle);
  EXPECT_LE(std::fabs(table[2].azimuth1), std::fabs(table[2].azimuth2));
  EXPECT_EQ(table.Add({-2, -2, 0}, geometry, true).text, "");
  EXPECT_EQ(table.Add({-2, -2, 0}, geometry, true).text, "-2 -2 0 is already included!");
}

TEST(MbdReflectionTable, AsksBeforeAddingForbiddenOrUnreachableReflections) {
  const MbdGeometry geometry = SiliconFrame(8000);
  MbdReflectionTable table({1, 1, 1});
  // 1 1 0 and its coupling 0 0 −1 are both forbidden in diamond.
  AddResult forbidden = table.Add({1, 1, 0}, geometry, true);
  EXPECT_EQ(forbidden.status, AddStatus::AskForbidden);
  EXPECT_EQ(forbidden.text,
            "This reflection or its combination with Major Reflection is forbidden for Si/Ge/C. Do you still want to "
            "include it? ");
  EXPECT_EQ(table.Count(), 2);
  // Outside the diamond mode nobody asks.
  EXPECT_EQ(table.Add({1, 1, 0}, geometry, false).status, AddStatus::Added);
  // 0 0 2 couples to G through the allowed −1 −1 1, so it passes.
  EXPECT_EQ(table.Add({0, 0, 2}, geometry, true).status, AddStatus::Added);

  AddResult unreachable = table.Add({8, 8, 8}, geometry, true);
  EXPECT_EQ(unreachable.status, AddStatus::AskNoBraggAngle);
  EXPECT_EQ(unreachable.text,
            "This reflection has no Bragg diffraction at current energy. Do you still want to include it? ");
  EXPECT_EQ(table.Count(), 4);
  ASSERT_EQ(table.Add({8, 8, 8}, geometry, true, {false, true}).status, AddStatus::Added);
  EXPECT_EQ(table[4].braggAngle, kNoAngle);
  EXPECT_EQ(table[4].azimuth1, kNoAngle);
  EXPECT_EQ(table[4].azimuth2, kNoAngle);

  // A forbidden reflection that also has no Bragg angle needs both answers.
  EXPECT_EQ(table.Add({9, 9, 8}, geometry, true, {true, false}).status, AddStatus::AskNoBraggAngle);
  EXPECT_EQ(table.Add({9, 9, 8}, geometry, true, {true, true}).status, AddStatus::Added);
}

TEST(MbdReflectionTable, HoldsAtMostOneHundredBeams) {
  const MbdGeometry geometry = SiliconFrame(8000);
  MbdReflectionTable table({1, 1, 1});
  for (int i = 0; table.Count() < MbdReflectionTable::kCapacity; ++i)
    ASSERT_EQ(table.Add({2 * (i % 7) - 6, 2 * (i / 7) - 8, 1}, geometry, false, {true, true}).status,
              AddStatus::Added);
  const AddResult full = table.Add({1, 1, -1}, geometry, false);
  EXPECT_EQ(full.status, AddStatus::TableFull);
  EXPECT_EQ(full.text, "Maximum 100 reflections!");
  EXPECT_EQ(table.Count(), 100);
}

TEST(MbdReflectionTable, RemovesOnlyAddedBeamsAndKeepsTheOrder) {
  const MbdGeometry geometry = SiliconFrame(8000);
  MbdReflectionTable table({1, 1, 1});
  table.Add({1, 1, -1}, geometry, false);
  table.Add({0, 0, 4}, geometry, false);
  table.Add({2, 2, 0}, geometry, false);
  const MbdBeam last = table[4];
  EXPECT_FALSE(table.Remove(0));
  EXPECT_FALSE(table.Remove(1));
  EXPECT_FALSE(table.Remove(5));
  EXPECT_TRUE(table.Remove(3));
  ASSERT_EQ(table.Count(), 4);
  EXPECT_EQ(table[3].hkl, (Miller{2, 2, 0}));
  EXPECT_EQ(table[3].azimuth1, last.azimuth1);
  table.Reset({0, 0, 4});
  EXPECT_EQ(table.Count(), 2);
  EXPECT_EQ(table[1].hkl, (Miller{0, 0, 4}));
}

TEST(ReflectionAzimuthList, GrowsGeometricallyAndSkipsDuplicatesOnRequest) {
  velto::testing::RecordingNotifier notifier;
  ReflectionAzimuthList list(3);
  EXPECT_EQ(list.Capacity(), 3u);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(list.AppendWithValues({i, 0, 0}, i, -i, notifier));
  EXPECT_EQ(list.Capacity(), 6u);
  for (int i = 4; i < 7; ++i) EXPECT_TRUE(list.AppendWithValues({i, 0, 0}, i, -i, notifier));
  EXPECT_EQ(list.Capacity(), 12u);
  EXPECT_EQ(list.AppendBare({2, 0, 0}, true, notifier), ReflectionAzimuthList::Append::Duplicate);
  EXPECT_EQ(list.AppendBare({2, 0, 0}, false, notifier), ReflectionAzimuthList::Append::Added);
  EXPECT_EQ(list.Count(), 8u);
  EXPECT_EQ(list[7].value1, kNoAngle);
  EXPECT_EQ(list[3].value2, -3);
  EXPECT_TRUE(notifier.messages.empty());
}

TEST(ReflectionAzimuthList, LookupsFindTheFirstEntryBeforeAndAfterLaterAppendsAndClear) {
  velto::testing::RecordingNotifier notifier;
  ReflectionAzimuthList list(2);
  list.AppendWithValues({1, 1, 1}, 1, 2, notifier);
  list.AppendWithValues({2, 0, 0}, 3, 4, notifier);
  list.AppendWithValues({1, 1, 1}, 5, 6, notifier);
  EXPECT_EQ(list.Find({1, 1, 1}), 0);
  EXPECT_EQ(list.Find({-1, -1, -1}), -1);
  // Appends after the first lookup are found too, and a repeat keeps the first index.
  list.AppendWithValues({-1, -1, -1}, 7, 8, notifier);
  list.AppendWithValues({2, 0, 0}, 9, 10, notifier);
  EXPECT_EQ(list.Find({-1, -1, -1}), 3);
  EXPECT_EQ(list.Find({2, 0, 0}), 1);
  list.SetValues(1, -5, -6);
  EXPECT_EQ(list[1].value1, -5);
  EXPECT_EQ(list.Find({2, 0, 0}), 1);
  list.Clear();
  EXPECT_FALSE(list.Contains({1, 1, 1}));
  list.AppendWithValues({0, 0, 4}, 0, 0, notifier);
  EXPECT_EQ(list.Find({0, 0, 4}), 0);
  EXPECT_EQ(list.Find({1, 1, 1}), -1);
}

}  // namespace
}  // namespace velto::mbd
