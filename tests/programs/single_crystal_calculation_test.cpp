#include <gtest/gtest.h>

#include <cmath>

#include "core/Units.h"
#include "programs/single_crystal/SingleCrystalCalculation.h"
#include "programs/single_crystal/SingleCrystalResults.h"
#include "support/RecordingNotifier.h"

namespace velto::programs {
namespace {

using twobeam::Polarization;
using twobeam::ScanKind;

constexpr double kEnergy = core::kCuKalpha1Kev * 1000;
constexpr double kD111 = 5.431020511 / 1.7320508075688772;
constexpr double kArcsec = core::kArcsecond;

// Silicon 1 1 1 at Cu Kα1 (xrt 1.4 with the Chantler tables).
SingleCrystalInputs SiliconInputs(bool laue = false) {
  SingleCrystalInputs in;
  in.laue = laue;
  in.crystalDefined = true;
  in.energy = kEnergy;
  in.dSpacing = kD111;
  const std::complex<double> strength{8.251e-6, 0.248e-6};
  in.chi.chi0 = {-15.170e-6, -0.351e-6};
  in.chi.chih = -std::complex<double>{1, -1} / std::sqrt(2.0) * strength;
  in.chi.chimh = -std::complex<double>{1, 1} / std::sqrt(2.0) * strength;
  in.chi.chihPi = in.chi.chih;
  in.chi.chimhPi = in.chi.chimh;
  if (laue) in.thicknessText = "50";
  return in;
}

Refusal RefusalOf(const SingleCrystalInputs& in) {
  auto result = PrepareSingleCrystal(in);
  EXPECT_TRUE(std::holds_alternative<Refusal>(result));
  return std::holds_alternative<Refusal>(result) ? std::get<Refusal>(result) : Refusal{};
}

PreparedCalculation Prepared(const SingleCrystalInputs& in) {
  auto result = PrepareSingleCrystal(in);
  if (auto* refusal = std::get_if<Refusal>(&result)) ADD_FAILURE() << refusal->message;
  return std::holds_alternative<PreparedCalculation>(result) ? std::get<PreparedCalculation>(result)
                                                             : PreparedCalculation{};
}

TEST(SingleCrystalChecks, RefuseInTheProgramsOrderWithFocus) {
  SingleCrystalInputs none = SiliconInputs();
  none.crystalDefined = false;
  none.pointsText = "1";  // the crystal is checked first
  EXPECT_EQ(RefusalOf(none), (Refusal{"You need to Define Crystal !   ", core::MessageIcon::None, "Define Crystal..."}));

  SingleCrystalInputs in = SiliconInputs();
  in.pointsText = "2";
  EXPECT_EQ(RefusalOf(in), (Refusal{"Enter an integer between 3 and 100000.", core::MessageIcon::Warning, "Points"}));
  in.pointsText = "lots";
  EXPECT_EQ(RefusalOf(in).message, "Enter an integer.");
  in.pointsText = "100000 points";  // text after the number is ignored
  EXPECT_EQ(Prepared(in).scan.points, 100000);

  in = SiliconInputs();
  in.asymmetryText = "90";
  EXPECT_EQ(RefusalOf(in), (Refusal{"Enter a number between -89.9999 and 89.9999.", core::MessageIcon::Warning, "Asymmetry"}));
  in.asymmetryText = "";
  EXPECT_EQ(RefusalOf(in), (Refusal{"Enter a number.", core::MessageIcon::Warning, "Asymmetry"}));

  in = SiliconInputs();
  in.fromText = "10";
  in.toText = "-10";
  EXPECT_EQ(RefusalOf(in), (Refusal{"The scan range is not correct !   ", core::MessageIcon::None, "From"}));
  in.toText = "10";  // an empty range is accepted
  EXPECT_EQ(Prepared(in).scan.step, 0.0);

  in = SiliconInputs();
  in.asymmetryText = "14.3";  // θB = 14.22°
  EXPECT_EQ(RefusalOf(in), (Refusal{"The absolte value of Offcut Angle should be less than the Bragg angle !  ",
                                    core::MessageIcon::None, "Asymmetry"}));
  in.asymmetryText = "-14.2";
  EXPECT_NO_FATAL_FAILURE(Prepared(in));
}

TEST(SingleCrystalChecks, ScansThatReachNoPhotonEnergyAreRefused) {
  SingleCrystalInputs in = SiliconInputs();
  in.scanKind = ScanKind::EnergyScan;
  in.fromText = "-9000";  // 8048 eV − 9000 eV
  in.toText = "3";
  EXPECT_EQ(RefusalOf(in), (Refusal{kNoPhotonEnergyMessage, core::MessageIcon::None, "From"}));
  in.fromText = "-8047";  // one eV is left
  EXPECT_NO_FATAL_FAILURE(Prepared(in));

  in = SiliconInputs();
  in.offsetText = "-8048";  // a rocking curve at E + offset
  EXPECT_EQ(RefusalOf(in), (Refusal{kNoPhotonEnergyMessage, core::MessageIcon::None, "Offset"}));
}

TEST(SingleCrystalChecks, LaueRefusals) {
  SingleCrystalInputs in = SiliconInputs(true);
  in.asymmetryText = "76";  // θB + α above 90°
  EXPECT_EQ(RefusalOf(in), (Refusal{"The Offcut Angle (phi) is out of range!  ", core::MessageIcon::None, "Asymmetry"}));
  in.asymmetryText = "-76";
  EXPECT_EQ(RefusalOf(in).message, "The Offcut Angle (phi) is out of range!  ");
  in.asymmetryText = "0";
  // Back reflection: λ/2d just above 1 has no Bragg angle in the Laue case,
  // while the Bragg case computes it at θB = 90°.
  in.dSpacing = core::WavelengthOf(kEnergy) / 2 / 1.0000001;
  EXPECT_EQ(RefusalOf(in), (Refusal{"Laue case does not allow thetaB = 90 deg.!   ", core::MessageIcon::None, ""}));
  SingleCrystalInputs bragg = SiliconInputs();
  bragg.dSpacing = in.dSpacing;
  EXPECT_DOUBLE_EQ(Prepared(bragg).braggAngle, core::kPi / 2);
}

TEST(SingleCrystalChecks, ThicknessRules) {
  SingleCrystalInputs in = SiliconInputs();
  in.thicknessText = "-5";
  PreparedCalculation p = Prepared(in);
  EXPECT_EQ(p.thicknessText, "-1");
  EXPECT_EQ(p.scan.thickness, -1);  // semi-infinite
  in.thicknessText = "0";
  p = Prepared(in);
  EXPECT_EQ(p.thicknessText, "1e-06");
  EXPECT_DOUBLE_EQ(p.scan.thickness, 1e-6 * 1e4);
  in.thicknessText = "12.50000 um";
  p = Prepared(in);
  EXPECT_EQ(p.thicknessText, "12.5");
  EXPECT_DOUBLE_EQ(p.scan.thickness, 12.5e4);
  in.thicknessText = "thick";  // reads as 0
  EXPECT_EQ(Prepared(in).thicknessText, "1e-06");

  SingleCrystalInputs laue = SiliconInputs(true);
  laue.thicknessText = "0";
  EXPECT_EQ(Prepared(laue).thicknessText, "1e-05");
  laue.thicknessText = "-1";
  EXPECT_EQ(Prepared(laue).thicknessText, "1e-05");
  laue.thicknessText = "50";
  EXPECT_DOUBLE_EQ(Prepared(laue).scan.thickness, 50e4);
}

TEST(SingleCrystalScan, RockingCurveAndEnergyScanCoordinates) {
  SingleCrystalInputs in = SiliconInputs();
  in.offsetText = "0.5";
  in.asymmetryText = "3";
  PreparedCalculation p = Prepared(in);
  EXPECT_EQ(p.stepLabel, "Stepsize = 0.05 \"");
  EXPECT_DOUBLE_EQ(p.scan.start, -50 * kArcsec);
  EXPECT_DOUBLE_EQ(p.scan.step, 0.05 * kArcsec);
  EXPECT_DOUBLE_EQ(p.scan.fixedEnergy, kEnergy + 0.5);
  EXPECT_DOUBLE_EQ(p.asymmetry, 3 * core::kDegree);

  in.scanKind = ScanKind::EnergyScan;
  in.fromText = "-2";
  in.toText = "3";
  in.offsetText = "4";  // arcseconds
  p = Prepared(in);
  EXPECT_EQ(p.stepLabel, "Stepsize = 0.0025 eV");
  EXPECT_DOUBLE_EQ(p.scan.start, -2);
  EXPECT_DOUBLE_EQ(p.scan.step, 0.0025);
  EXPECT_DOUBLE_EQ(p.scan.fixedEnergy, kEnergy);
  EXPECT_DOUBLE_EQ(p.scan.fixedIncidence, p.braggAngle - 3 * core::kDegree + 4 * kArcsec);
  EXPECT_EQ(StepLabel(ScanKind::RockingCurve, -50, 50, 3), "Stepsize = 50 \"");
}

TEST(SingleCrystalRun, EvaluatesEachOfTheEightCasesByItsTheory) {
  core::SilentNotifier quiet;
  core::NoProgress progress;
  for (const Polarization p : {Polarization::Sigma, Polarization::Pi}) {
    for (const bool finite : {false, true}) {
      for (const bool rigorous : {false, true}) {
        SingleCrystalInputs in = SiliconInputs();
        in.asymmetryText = "10";
        in.polarization = p;
        in.rigorous = rigorous;
        in.thicknessText = finite ? "2" : "-1";
        in.fromText = "-100";
        in.toText = "200";
        in.pointsText = "301";
        const PreparedCalculation prepared = Prepared(in);
        SingleCrystalOutcome outcome = RunSingleCrystal(prepared, quiet, progress);
        ASSERT_EQ(outcome.status, twobeam::ScanStatus::Completed);
        const twobeam::CurveSet& curve = outcome.curve;
        ASSERT_TRUE(curve.HasData());

        twobeam::BraggCrystal crystal(kEnergy, kD111, prepared.asymmetry, prepared.scan.thickness, in.chi);
        const int i = 150;
        const double incidence = crystal.IncidenceAtBragg() + curve.Coordinate(i);
        double expected;
        if (!rigorous) {
          expected = finite ? crystal.ReflectFinite(p, incidence, kEnergy) : crystal.ReflectSemiInfinite(p, incidence, kEnergy);
        } else if (finite) {
          expected = crystal.ReflectRigorousFinite(p, incidence, kEnergy);
        } else if (p == Polarization::Sigma) {
          expected = crystal.ReflectRigorousSemiInfinite(p, incidence, kEnergy);
        } else {
          expected = crystal.ReflectEigenSemiInfinite(p, incidence, kEnergy, quiet);
        }
        // The standard theory's scan runs on the vector units, with sines
        // and cosines rotated from the library's every 64 points and the
        // vector arc cosine: its points agree with the single-point call to
        // the last bits only (tests/twobeam/bragg_scan_test.cpp). The
        // rigorous theory runs point by point.
        if (rigorous) {
          EXPECT_EQ(curve.reflectivity[i], expected);
          EXPECT_EQ(curve.exitDeviation[i], crystal.ExitAngle() - crystal.ExitAtBragg());
        } else {
          EXPECT_NEAR(curve.reflectivity[i], expected, 1e-10);
          EXPECT_NEAR(curve.exitDeviation[i], crystal.ExitAngle() - crystal.ExitAtBragg(), 1e-15);
        }
        EXPECT_EQ(curve.transmissivity[i] > 0, finite);
        EXPECT_EQ(curve.specular[i] > 0, rigorous);

        // Depth bookkeeping: the smallest depth of the computed points, and
        // the extinction length of the polarization.
        double smallest = 1e10;
        for (const double z : curve.depth) {
          if (z > 0) smallest = std::min(smallest, z);
        }
        EXPECT_EQ(curve.minDepth, smallest);
        EXPECT_EQ(curve.extinction, crystal.ExtinctionLength(p));
        EXPECT_EQ(outcome.analysis.extinction, curve.extinction);
      }
    }
  }
}

TEST(SingleCrystalRun, AsymmetryFactorTexts) {
  core::SilentNotifier quiet;
  core::NoProgress progress;
  SingleCrystalInputs in = SiliconInputs();
  in.pointsText = "3";
  EXPECT_EQ(RunSingleCrystal(Prepared(in), quiet, progress).asymmetryFactorText, "-1  (-1)");
  in.asymmetryText = "10";
  const double b = std::sin((14.22125 + 10) * core::kDegree) / std::sin((14.22125 - 10) * core::kDegree);
  const std::string text = RunSingleCrystal(Prepared(in), quiet, progress).asymmetryFactorText;
  EXPECT_EQ(text.substr(0, 3), "-5.");
  EXPECT_NEAR(std::stod(text), -b, 1e-3);
  SingleCrystalInputs laue = SiliconInputs(true);
  laue.pointsText = "3";
  EXPECT_EQ(RunSingleCrystal(Prepared(laue), quiet, progress).asymmetryFactorText, "1");
}

TEST(SingleCrystalRun, LaueCurveHasTransmissionAndNoDepth) {
  core::SilentNotifier quiet;
  core::NoProgress progress;
  SingleCrystalInputs in = SiliconInputs(true);
  in.thicknessText = "20";
  in.rigorous = true;  // not offered in the Laue case
  const PreparedCalculation prepared = Prepared(in);
  EXPECT_FALSE(prepared.scan.rigorous);
  SingleCrystalOutcome outcome = RunSingleCrystal(prepared, quiet, progress);
  ASSERT_TRUE(outcome.analysis.HasWidth());
  EXPECT_EQ(outcome.curve.minDepth, -1);
  EXPECT_GT(outcome.curve.extinction, 0);
  EXPECT_GT(outcome.analysis.maxT, 0);
  for (const double z : outcome.curve.depth) EXPECT_EQ(z, 0.0);
}

TEST(SingleCrystalResults, CheckBoxesFollowThicknessAndCurve) {
  EXPECT_EQ(CheckBoxesAfterCalculation(true, 5, true).enabled, true);
  EXPECT_EQ(CheckBoxesAfterCalculation(true, 5, true).drawTransmissivity, true);
  const CurveCheckBoxes semi = CheckBoxesAfterCalculation(true, -1, true);
  EXPECT_FALSE(semi.enabled);
  EXPECT_FALSE(semi.transmissivityChecked);
  EXPECT_FALSE(semi.drawTransmissivity);
  EXPECT_FALSE(CheckBoxesAfterCalculation(false, 5, true).enabled);
}

twobeam::CurveAnalysis SampleAnalysis() {
  twobeam::CurveAnalysis a;
  a.hasCurve = true;
  a.maxR = 0.941604321;
  a.rCentre = 0.8123456789;
  a.iLeft = 10.5;
  a.iRight = 20.75;
  a.widthIndex = 10.25;
  a.iCentre = 15.625;
  a.xMax = 4.05 * kArcsec;
  a.xCentre = 6.5397 * kArcsec;
  a.xLeft = 2.742 * kArcsec;
  a.xRight = 10.337 * kArcsec;
  a.fwhm = 7.595 * kArcsec;
  a.dMax = -4.05 * kArcsec;
  a.dCentre = 6.5 * kArcsec;
  a.dLeft = 2.5 * kArcsec;
  a.dRight = 10.25 * kArcsec;
  a.fwhmExit = -7.75 * kArcsec;
  a.absMax = 14.22237654321;
  a.absCentre = 14.2230;
  a.analyticShift = 6.56912 * kArcsec;
  a.analyticFwhm = 7.146 * kArcsec;
  a.duMondSlope = -8.8612;
  a.minDepth = 14934.2;
  a.extinction = 7297.3;
  return a;
}

TEST(SingleCrystalResults, ResultFieldsOfARockingCurve) {
  const ResultFieldTexts t = FormatResultFields(SampleAnalysis(), ScanKind::RockingCurve);
  EXPECT_EQ(t.fwhm, "7.595\" (-7.75\" of Exit angle)");
  EXPECT_EQ(t.fwhmMicroradian, "36.82 urad (-37.57 Exit)");
  EXPECT_EQ(t.maxReflectivity, "0.9416");
  EXPECT_EQ(t.maxPosition, "4.05\" (-4.05\" Exit)");
  EXPECT_EQ(t.centreReflectivity, "0.81235");
  EXPECT_EQ(t.centrePosition, "6.54\" (6.5\" Exit)");
}

TEST(SingleCrystalResults, ResultFieldsOfAnEnergyScanAndOfACurveWithoutWidth) {
  twobeam::CurveAnalysis a = SampleAnalysis();
  a.xMax = 0.123456;
  a.xCentre = -0.00001;
  a.fwhm = 1.0;
  const ResultFieldTexts t = FormatResultFields(a, ScanKind::EnergyScan);
  EXPECT_EQ(t.fwhm, "1 eV (-7.75\" of Exit angle)");
  EXPECT_EQ(t.fwhmMicroradian, "");
  EXPECT_EQ(t.maxPosition, "0.12346 eV (-4.05\" Exit)");
  EXPECT_EQ(t.centrePosition, "-1e-05 eV (6.5\" Exit)");
  a.widthIndex = 0;
  EXPECT_EQ(FormatResultFields(a, ScanKind::EnergyScan), ResultFieldTexts{});
}

TEST(SingleCrystalResults, DetailsOfABraggRockingCurve) {
  const DetailTexts t = FormatDetails(SampleAnalysis(), ScanKind::RockingCurve, false, 0.5);
  EXPECT_EQ(t.maxReflectivity, "0.94160432");
  EXPECT_EQ(t.maxPosition, "4.05 \"");
  EXPECT_EQ(t.maxExit, "-4.05 \"");
  EXPECT_EQ(t.maxAbsolute, "14.22237654 deg");
  EXPECT_EQ(t.centreReflectivity, "0.81234568");
  EXPECT_EQ(t.centreAbsolute, "14.223");
  EXPECT_EQ(t.analyticShift, "6.569 \"");
  EXPECT_EQ(t.fwhm, "7.595 \"");
  EXPECT_EQ(t.fwhmExit, "-7.75 \"");
  EXPECT_EQ(t.analyticFwhm, "7.146 \"");
  EXPECT_TRUE(t.analyticFwhmVisible);
  EXPECT_EQ(t.halfMaximum, "2.742,   10.337 \",     for dE = 0.5 eV");
  EXPECT_EQ(t.halfMaximumExit, "2.5,   10.25 \",     for dE = 0.5 eV, Exit");
  EXPECT_EQ(t.duMondSlope, "-8.8612  eV/arcsec\"\r\n-1.8278 eV/urad");
  EXPECT_EQ(t.depthLabel, "Minimum Penetration depth:");
  EXPECT_EQ(t.depth, "1.49342");
  EXPECT_EQ(t.extinctionLabel, "Analytical Extinction depth:");
  EXPECT_EQ(t.extinction, "0.72973");

  twobeam::CurveAnalysis noClosedForms = SampleAnalysis();
  noClosedForms.analyticFwhm = 0;
  noClosedForms.extinction = 0;
  noClosedForms.minDepth = -1;
  const DetailTexts bare = FormatDetails(noClosedForms, ScanKind::RockingCurve, false, 0);
  EXPECT_EQ(bare.analyticFwhm, "");
  EXPECT_EQ(bare.extinction, "");
  EXPECT_EQ(bare.depth, "");
}

TEST(SingleCrystalResults, DetailsOfAnEnergyScanAndOfTheLaueCase) {
  twobeam::CurveAnalysis a = SampleAnalysis();
  a.xMax = 0.25;
  a.xCentre = 0.5;
  a.xLeft = -0.125;
  a.xRight = 1.125;
  a.fwhm = 1.25;
  a.absMax = 8.04823794;
  a.absCentre = 8.04848794;
  const DetailTexts t = FormatDetails(a, ScanKind::EnergyScan, false, 3);
  EXPECT_EQ(t.maxPosition, "0.25 eV");
  EXPECT_EQ(t.maxAbsolute, "8.04823794 KeV");
  EXPECT_EQ(t.centreAbsolute, "8.04848794 KeV");
  EXPECT_EQ(t.analyticShift, "");
  EXPECT_EQ(t.fwhm, "1.25 eV");
  EXPECT_EQ(t.analyticFwhm, "");
  EXPECT_EQ(t.halfMaximum, "-0.125, 1.125 eV, for dOmega = 3 \"");
  EXPECT_EQ(t.halfMaximumExit, "2.5, 10.25 \", for dOmega = 3 \", Exit");

  a.extinction = 181000;
  const DetailTexts laue = FormatDetails(a, ScanKind::RockingCurve, true, 0);
  EXPECT_FALSE(laue.analyticFwhmVisible);
  EXPECT_EQ(laue.analyticFwhm, "");
  EXPECT_EQ(laue.depthLabel, "Pendellosung distance:");
  EXPECT_EQ(laue.depth, "");
  EXPECT_EQ(laue.extinctionLabel, "Analytical Pendellosung:");
  EXPECT_EQ(laue.extinction, "18.1  (Half: 9.05)");
}

TEST(SingleCrystalResults, DetailsOpenOnlyForACurveWithAWidth) {
  twobeam::CurveSet curve;
  ASSERT_TRUE(curve.Allocate(5));
  twobeam::CurveAnalysis a = SampleAnalysis();
  EXPECT_TRUE(DetailsAvailable(curve, a));
  a.widthIndex = 0;
  EXPECT_FALSE(DetailsAvailable(curve, a));
  curve.Release();
  EXPECT_FALSE(DetailsAvailable(curve, SampleAnalysis()));
}

TEST(SingleCrystalRun, PeakAtTheFirstSampleShowsNoNumbers) {
  core::SilentNotifier quiet;
  core::NoProgress progress;
  SingleCrystalInputs in = SiliconInputs();
  in.fromText = "4.1";  // just past the peak at +4.05″: the curve only falls
  in.toText = "60";
  SingleCrystalOutcome outcome = RunSingleCrystal(Prepared(in), quiet, progress);
  EXPECT_TRUE(outcome.curve.HasData());
  EXPECT_EQ(outcome.analysis.iMax, 0);
  EXPECT_EQ(FormatResultFields(outcome.analysis, ScanKind::RockingCurve), ResultFieldTexts{});
  EXPECT_FALSE(DetailsAvailable(outcome.curve, outcome.analysis));
}

}  // namespace
}  // namespace velto::programs
