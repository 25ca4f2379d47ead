#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <variant>

#include "SiliconReflections.h"
#include "multicrystal/Monochromator.h"
#include "twobeam/BraggCrystal.h"
#include "twobeam/CurveScan.h"

namespace velto::multicrystal::testing {
namespace {

using twobeam::BraggCrystal;
using twobeam::Polarization;

MonochromatorInput TwoCrystals(const CrystalReflection& first, const CrystalReflection& second) {
  MonochromatorInput in;
  in.energy = kEnergy;
  in.first = first;
  in.second = second;
  return in;
}

MonochromatorResult ResultOf(const MonochromatorInput& in) {
  auto result = ComputeMonochromatorScan(in);
  if (auto* refusal = std::get_if<Refusal>(&result)) ADD_FAILURE() << refusal->message;
  return std::get<MonochromatorResult>(std::move(result));
}

Refusal RefusalOf(const MonochromatorInput& in) {
  auto result = ComputeMonochromatorScan(in);
  EXPECT_TRUE(std::holds_alternative<Refusal>(result));
  return std::holds_alternative<Refusal>(result) ? std::get<Refusal>(result) : Refusal{};
}

TEST(Monochromator, IdenticalSymmetricCrystalsSquareTheReflectivity) {
  MonochromatorInput in = TwoCrystals(Si111(), Si111());
  const MonochromatorResult both = ResultOf(in);
  EXPECT_EQ(both.geometry.phi, 0);
  ASSERT_TRUE(both.curve.has_value());
  in.onlyFirst = true;
  const MonochromatorResult first = ResultOf(in);
  in.onlyFirst = false;
  in.firstChannelCut = true;
  const MonochromatorResult channelCut = ResultOf(in);

  // The second crystal sees the glancing angle of the first: R(θ)².
  BraggCrystal crystal(kEnergy, Si111().d, 0, -1, Si111().chi);
  const auto& values = both.curve->trace.values;
  ASSERT_EQ(values.size(), 2001u);
  for (int i = 0; i < 2001; i += 10) {
    const double theta = crystal.BraggAngle() + (-50 + i * 0.05) * core::kArcsecond;
    const double r = crystal.ReflectSemiInfinite(Polarization::Sigma, theta, kEnergy);
    EXPECT_NEAR(values[i], r * r, 1e-9) << i;
    EXPECT_NEAR(first.curve->trace.values[i], r, 1e-12) << i;
    EXPECT_NEAR(channelCut.curve->trace.values[i], r * r * r, 1e-9) << i;
  }
  // Squaring narrows the curve: the double reflection is narrower than one.
  ASSERT_TRUE(both.analysis->hasWidth && first.analysis->hasWidth);
  EXPECT_LT(both.analysis->fwhm, first.analysis->fwhm);
  EXPECT_GT(both.analysis->fwhm, 0.7 * first.analysis->fwhm);
  // Si 1 1 1 at 8 keV: Darwin width about 7" (Authier, Dynamical Theory of
  // X-ray Diffraction, table of Si reflections: 7.4" for Cu Kα1 σ), peak
  // shifted by the refraction of about 7.5".
  EXPECT_NEAR(first.analysis->fwhm, 7.4, 0.8);
  EXPECT_NEAR(first.analysis->centre, crystal.CentreShift() / core::kArcsecond, 0.5);
  EXPECT_GT(first.analysis->maximum, 0.9);
  EXPECT_NEAR(first.analysis->centreReflectivity, first.analysis->maximum, 0.05);
}

TEST(Monochromator, OnlyFirstStillLeavesPointsWithoutASecondBeamAtZero) {
  MonochromatorInput in = TwoCrystals(Si111(), Si111());
  in.onlyFirst = true;
  in.arrangement = Arrangement::Dispersive;
  in.deltaPhi = -700000;  // turns the second crystal so far that the beam meets it from behind
  in.from = -10;
  in.to = 10;
  in.points = 5;
  const MonochromatorResult result = ResultOf(in);
  EXPECT_FALSE(result.curve.has_value());
}

TEST(Monochromator, ExitBeamOfANonDispersivePairKeepsTheIncidentDirection) {
  MonochromatorInput in = TwoCrystals(Si111(), Si111());
  const MonochromatorResult result = ResultOf(in);
  ASSERT_TRUE(result.curve.has_value());
  const MonochromatorCurve& curve = *result.curve;
  // Two parallel mirrors: the beam leaves parallel to the incident beam, so
  // the exit deviation equals the rocking angle.
  for (int i = 0; i < 2001; i += 100) {
    EXPECT_NEAR(MonochromatorExportExit(curve, i, AngleUnit::Arcsecond, false),
                MonochromatorExportIncidence(curve, i, AngleUnit::Arcsecond, false), 1e-6);
  }
  EXPECT_NEAR(MonochromatorExportExit(curve, 0, AngleUnit::Degree, true), curve.exit0 / core::kDegree - 50.0 / 3600,
              1e-9);
  EXPECT_NEAR(MonochromatorExportIncidence(curve, 2000, AngleUnit::Microradian, true),
              (result.geometry.incidence0 + 50 * core::kArcsecond) * 1e6, 1e-6);
}

// DuMond: a plane wave at a fixed angle passes the band that the Darwin
// curve covers, ΔE/E = Δθ/tan θB; the energy scan and the angular scan of
// the same pair must agree on it.
TEST(Monochromator, EnergyBandwidthMatchesTheAngularWidth) {
  MonochromatorInput in = TwoCrystals(Si111(), Si111());
  const MonochromatorResult angular = ResultOf(in);
  in.mode = ScanMode::Energy;
  in.from = -3;
  in.to = 3;
  in.deltaOmega = 0;
  const MonochromatorResult energy = ResultOf(in);
  ASSERT_TRUE(angular.analysis->hasWidth && energy.analysis->hasWidth);
  const double thetaB = angular.geometry.firstBragg;
  const double expected = angular.analysis->fwhm * core::kArcsecond * kEnergy / std::tan(thetaB);
  EXPECT_NEAR(energy.analysis->fwhm, expected, 0.01 * expected);
  // Refraction puts the peak Δθc above θB; at θB itself the crystal
  // reflects the wavelength whose Bragg angle is θB − Δθc, a higher energy.
  EXPECT_NEAR(energy.analysis->centre, angular.analysis->centre * core::kArcsecond * kEnergy / std::tan(thetaB),
              0.02);
  EXPECT_EQ(energy.curve->trace.reference, kEnergy);
  EXPECT_DOUBLE_EQ(MonochromatorExportIncidence(*energy.curve, 0, AngleUnit::Degree, true), kEnergy - 3);
  EXPECT_DOUBLE_EQ(MonochromatorExportIncidence(*energy.curve, 0, AngleUnit::Degree, false), -3);
}

// No photon has an energy at or below 0 eV: a scan that reaches one is
// refused as a whole; one that stays above computes every point above 1 eV.
TEST(Monochromator, EnergyScansThatReachZeroElectronVoltsAreRefused) {
  MonochromatorInput in = TwoCrystals(Si111(), Si111());
  in.mode = ScanMode::Energy;
  in.from = -kEnergy - 10;
  in.to = -kEnergy + 30;
  in.points = 41;
  in.onlyFirst = true;
  const Refusal refusal = RefusalOf(in);
  EXPECT_EQ(refusal.message, twobeam::kNoPhotonEnergyMessage);
  EXPECT_EQ(refusal.field, monochromator_field::kFrom);
  in.from = -kEnergy;  // exactly 0 eV
  EXPECT_EQ(RefusalOf(in).message, twobeam::kNoPhotonEnergyMessage);

  in.from = -kEnergy + 0.5;  // 0.5 eV, then 1.5, 2.5, ...
  in.to = -kEnergy + 40.5;
  const MonochromatorResult result = ResultOf(in);
  ASSERT_TRUE(result.curve.has_value());
  const auto& values = result.curve->trace.values;
  EXPECT_EQ(values[0], 0);  // at or below 1 eV: not computed
  for (int i = 1; i < 41; ++i) EXPECT_GT(values[i], 0) << i;
}

TEST(Monochromator, AutoSetAlignsTheSecondCrystalOnTheFirstCrystalsPeak) {
  MonochromatorInput in = TwoCrystals(Si111(), Si111());
  auto proposal = std::get<AutoSetProposal>(ProposeAutoSet(in));
  BraggCrystal crystal(kEnergy, Si111().d, 0, -1, Si111().chi);
  EXPECT_EQ(proposal.phi, 0);
  // Identical parallel crystals need no correction.
  EXPECT_EQ(proposal.deltaPhi, 0);
  EXPECT_DOUBLE_EQ(proposal.deltaOmega, crystal.CentreShift() / core::kArcsecond);

  // Dispersive: the second crystal must turn by twice the refraction shift.
  in.arrangement = Arrangement::Dispersive;
  proposal = std::get<AutoSetProposal>(ProposeAutoSet(in));
  EXPECT_NEAR(proposal.phi, 180 - 2 * crystal.BraggAngle() / core::kDegree, 1e-9);
  EXPECT_NEAR(proposal.deltaPhi, -2 * crystal.CentreShift() / core::kArcsecond, 1e-6);
  const double unset = ResultOf(in).analysis->maximum;
  in.deltaPhi = proposal.deltaPhi;
  const MonochromatorResult aligned = ResultOf(in);
  EXPECT_GT(aligned.analysis->maximum, 0.8);
  EXPECT_GT(aligned.analysis->maximum, unset + 0.1);
  // The (+,+) pair of identical crystals passes only where both curves
  // overlap at one wavelength: narrower than the single crystal.
  EXPECT_LT(aligned.analysis->fwhm, 7.4);
}

TEST(Monochromator, RigorousTheoryAgreesAwayFromGrazingIncidence) {
  MonochromatorInput in = TwoCrystals(Si111(), Si400());
  in.secondAsymmetry = 10;
  auto proposal = std::get<AutoSetProposal>(ProposeAutoSet(in));
  in.deltaPhi = proposal.deltaPhi;
  in.from = -40;
  in.to = 60;
  const MonochromatorResult standard = ResultOf(in);
  in.rigorous = true;
  const MonochromatorResult rigorous = ResultOf(in);
  ASSERT_TRUE(standard.analysis->hasWidth && rigorous.analysis->hasWidth);
  EXPECT_NEAR(rigorous.analysis->maximum, standard.analysis->maximum, 0.01);
  EXPECT_NEAR(rigorous.analysis->fwhm, standard.analysis->fwhm, 0.02 * standard.analysis->fwhm);
  EXPECT_NEAR(rigorous.analysis->centre, standard.analysis->centre, 0.2);
}

TEST(Monochromator, RefusalsOfTheGeometryCheckAndTheRange) {
  MonochromatorInput in = TwoCrystals(Si111(), Si111());
  in.points = 100001;
  EXPECT_EQ(RefusalOf(in), (Refusal{"Enter an integer between 3 and 100000.", core::MessageIcon::Warning, "points"}));
  in.points = 2001;
  in.secondAsymmetry = -90;
  EXPECT_EQ(RefusalOf(in).message, "Enter a number between -89.9999 and 89.9999.");
  in.secondAsymmetry = 0;
  in.first.defined = false;
  EXPECT_EQ(RefusalOf(in),
            (Refusal{"You have to define 1st Crystal !  ", core::MessageIcon::None, "Define 1st Crystal..."}));
  in.first.defined = true;
  in.second.defined = false;
  EXPECT_EQ(RefusalOf(in).message, "You have to define 2nd Crystal !  ");
  in.second.defined = true;
  in.second.d = 0.7;
  EXPECT_EQ(RefusalOf(in), (Refusal{"No diffraction!", core::MessageIcon::None, "2nd Bragg angle"}));
  in.second.d = Si111().d;
  in.firstAsymmetry = 20;
  EXPECT_EQ(RefusalOf(in).field, "phi1");
  EXPECT_EQ(std::get<Refusal>(ProposeAutoSet(in)).field, "phi1");
  in.firstAsymmetry = 0;
  in.to = in.from + 0.0005;
  EXPECT_EQ(RefusalOf(in), (Refusal{"The rocking range must between 0.001 and 360,000 arcsec !  ",
                                    core::MessageIcon::None, "from"}));
}

TEST(Monochromator, MaximumAtAnEndHasNoWidth) {
  MonochromatorInput in = TwoCrystals(Si111(), Si111());
  in.from = 10;  // the whole scan on the high-angle tail
  in.to = 100;
  const MonochromatorResult result = ResultOf(in);
  ASSERT_TRUE(result.curve.has_value());
  EXPECT_EQ(result.analysis->maxPosition, 10);
  EXPECT_FALSE(result.analysis->hasWidth);
}

}  // namespace
}  // namespace velto::multicrystal::testing
