#include <gtest/gtest.h>

#include <cmath>

#include "MbdTestSetup.h"

namespace velto::mbd {
namespace {
using namespace velto::mbd::testing;

constexpr double kEnergy = 8000;

// Beams 000, G = 1 1 1 and the given reflections, each added as the person
// would (questions answered Yes).
MbdReflectionTable TableWith(const MbdGeometry& geometry, std::initializer_list<Miller> extra) {
  MbdReflectionTable table({1, 1, 1});
  for (Miller m : extra) EXPECT_EQ(table.Add(m, geometry, false, {true, true}).status, AddStatus::Added);
  return table;
}

// Σ over beams of the entrance-side reflectivities and exit-side
// transmissivities of a slab.
double EnergyBalance(MbdSolver& solver, Vec3 k0, const ComplexVec3& h0, double thickness) {
  double sum = 0;
  for (int b = 0; b < solver.BeamCount(); ++b) {
    const SolverOutcome reflected = solver.Slab(kEnergy, k0, h0, thickness, b, false);
    const SolverOutcome transmitted = solver.Slab(kEnergy, k0, h0, thickness, b, true);
    EXPECT_NE(reflected.status, SolverStatus::ModeCountMismatch);
    EXPECT_NE(reflected.status, SolverStatus::NoBoundarySolution);
    sum += reflected.value + transmitted.value;
  }
  return sum;
}

// Without absorption, every photon that enters leaves through one of the two
// surfaces in one of the beams.
void ExpectConservation(const MbdGeometry& geometry, const MbdReflectionTable& table, double azimuthDeg) {
  MbdSolver solver = SolverFor(geometry, table);
  SetSyntheticChi(solver);
  for (double psi : {0.0, 0.7, core::kPi / 2}) {
    for (int arcsec = -20; arcsec <= 40; arcsec += 4) {
      for (double dphi : {-30.0, 0.0, 17.0}) {
        Vec3 k0;
        ComplexVec3 h0;
        IncidentWave(geometry, geometry.BraggAngle() + arcsec * core::kArcsecond,
                     azimuthDeg * core::kDegree + dphi * core::kArcsecond, psi, k0, h0);
        EXPECT_NEAR(EnergyBalance(solver, k0, h0, 20 * core::kAngstromPerMicrometre), 1.0, 1e-8)
            << "psi " << psi << " dtheta " << arcsec << " dphi " << dphi;
      }
    }
  }
}

TEST(MbdSolverConservation, ThreeBeamSlabWithoutAbsorptionConservesEnergy) {
  const MbdGeometry geometry = SiliconFrame(kEnergy);
  const MbdReflectionTable table = TableWith(geometry, {{1, 1, -1}});
  ASSERT_NE(table[2].azimuth1, kNoAngle);
  ExpectConservation(geometry, table, table[2].azimuth1);
}

TEST(MbdSolverConservation, SixBeamSlabWithoutAbsorptionConservesEnergy) {
  // Around the 1 1 −1 azimuth, with further beams of which some propagate
  // towards the back surface and some are evanescent.
  const MbdGeometry geometry = SiliconFrame(kEnergy);
  const MbdReflectionTable table = TableWith(geometry, {{1, 1, -1}, {0, 0, 2}, {-1, 1, 1}, {2, 0, 2}});
  ASSERT_EQ(table.Count(), 6);
  ExpectConservation(geometry, table, table[2].azimuth1);
}

TEST(MbdSolverConservation, OffcutSurfaceStillConservesEnergy) {
  const MbdGeometry geometry = SiliconFrame(kEnergy, 5.0, 30.0);
  const MbdReflectionTable table = TableWith(geometry, {{1, 1, -1}, {0, 0, 2}});
  ExpectConservation(geometry, table, table[2].azimuth1);
}

TEST(MbdSolver, ThickAbsorbingSlabReflectsLikeAHalfSpace) {
  const MbdGeometry geometry = SiliconFrame(kEnergy);
  const MbdReflectionTable table = TableWith(geometry, {{1, 1, -1}, {0, 0, 2}});
  MbdSolver solver = SolverFor(geometry, table);
  SetSyntheticChi(solver, 0.02);
  const double thickness = 3000 * core::kAngstromPerMicrometre;  // many absorption lengths
  for (int arcsec = -10; arcsec <= 30; arcsec += 5) {
    Vec3 k0;
    ComplexVec3 h0;
    IncidentWave(geometry, geometry.BraggAngle() + arcsec * core::kArcsecond, table[2].azimuth1 * core::kDegree, 0.4,
                 k0, h0);
    for (int b = 0; b < table.Count(); ++b) {
      const SolverOutcome half = solver.HalfSpace(kEnergy, k0, h0, b);
      const ComplexVec3 halfAmplitude = solver.ExitAmplitude(false);
      const SolverOutcome slab = solver.Slab(kEnergy, k0, h0, thickness, b, false);
      if (half.status == SolverStatus::Evanescent) {
        EXPECT_EQ(slab.status, SolverStatus::Evanescent);
        continue;
      }
      ASSERT_EQ(half.status, SolverStatus::Ok);
      ASSERT_EQ(slab.status, SolverStatus::Ok);
      EXPECT_NEAR(slab.value, half.value, 1e-10 + 1e-9 * half.value) << "beam " << b << " dtheta " << arcsec;
      for (int c = 0; c < 3; ++c) EXPECT_NEAR(std::abs(solver.ExitAmplitude(false)[c] - halfAmplitude[c]), 0, 1e-9);
      // Nothing comes through the back of a crystal this thick.
      EXPECT_LT(solver.Slab(kEnergy, k0, h0, thickness, b, true).value, 1e-20);
    }
  }
}

TEST(MbdSolver, EvanescentBeamGivesZeroAndKeepsThePreviousAmplitude) {
  const MbdGeometry geometry = SiliconFrame(kEnergy);
  // 2 0 2 is far from its Bragg condition at the 1 1 −1 azimuth; at 8 keV its
  // vacuum wave cannot propagate there.
  const MbdReflectionTable table = TableWith(geometry, {{1, 1, -1}, {2, 0, 2}});
  MbdSolver solver = SolverFor(geometry, table);
  SetSyntheticChi(solver, 0.02);
  Vec3 k0;
  ComplexVec3 h0;
  IncidentWave(geometry, geometry.BraggAngle(), table[2].azimuth1 * core::kDegree, 0, k0, h0);
  const SolverOutcome primary = solver.HalfSpace(kEnergy, k0, h0, 1);
  ASSERT_EQ(primary.status, SolverStatus::Ok);
  const ComplexVec3 amplitude = solver.ExitAmplitude(false);
  const SolverOutcome evanescent = solver.HalfSpace(kEnergy, k0, h0, 3);
  ASSERT_LT(solver.Gamma(3).imag(), 0);
  EXPECT_EQ(evanescent.status, SolverStatus::Evanescent);
  EXPECT_EQ(evanescent.value, 0.0);
  EXPECT_EQ(SolverMessage(evanescent), "");
  EXPECT_EQ(solver.ExitAmplitude(false), amplitude);
}

TEST(MbdSolver, ChiMatricesFollowTheDifferenceRule) {
  MbdSolver solver(3, kEnergy);
  EXPECT_TRUE(solver.ChiNotSet());
  solver.SetChi(0, 0, {-2e-5, -1e-7});
  solver.SetChi(0, 2, {3e-6, 4e-8});
  EXPECT_EQ(solver.Chi(0, 0), std::complex<double>(-2e-5, -1e-7));
  EXPECT_EQ(solver.Chi(0, 2), std::complex<double>(3e-6, 4e-8));
  EXPECT_EQ(solver.Chi(1, 1), std::complex<double>(0, 0));  // untouched diagonal: ε = 1
  EXPECT_TRUE(solver.ChiNotSet());
}

TEST(MbdSolver, ModeCountFailureMessageNamesTheCount) {
  SolverOutcome outcome;
  outcome.status = SolverStatus::ModeCountMismatch;
  outcome.decayingModes = 5;
  EXPECT_EQ(SolverMessage(outcome), "Error! ZGEEV: 5 negative-imaginary q's!!!");
}

}  // namespace
}  // namespace velto::mbd
