#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "MbdTestSetup.h"
#include "core/Progress.h"
#include "mbd/MbdScan.h"
#include "shell/NumberText.h"
#include "support/RecordingNotifier.h"
#include "support/ScramblingRunner.h"

namespace velto::mbd {
namespace {
using namespace velto::mbd::testing;
using velto::testing::RecordingNotifier;

std::string Format(double value, int decimals) { return shell::FormatNumber(value, decimals); }

TEST(ResultLine, WritesTheChosenGroupsJoinedByCommas) {
  PointResult point;
  point.deltaPhiArcsec = -20;
  point.deltaThetaArcsec = 1.5;
  point.value = 0.25;
  point.component1 = 0.125;
  point.component2 = 0.125;
  point.amplitude1 = 1;
  point.phase1 = 90;
  point.amplitude2 = 0.5;
  point.phase2 = 359.5;
  point.kDotH = 0.5;
  point.kDotC = -0.25;
  point.kDotG = 1e-9;
  ResultOptions options;
  options.reflectivity = false;
  EXPECT_EQ(FormatResultLine(point, options, false, Format), "-20, 1.5\n");
  options.reflectivity = true;
  options.components = options.amplitudes = options.waveVector = true;
  EXPECT_EQ(FormatResultLine(point, options, false, Format),
            "-20, 1.5, 0.25, 0.125, 0.125, 1, 90, 0.5, 359.5, 0.5, -0.25, 1e-09\n");
  // The convolution has no amplitudes and no wave vectors.
  EXPECT_EQ(FormatResultLine(point, options, true, Format), "-20, 1.5, 0.25, 0.125, 0.125\n");
  // At an exact back-reflection the polarisation groups are left out.
  point.polarisationDefined = false;
  EXPECT_EQ(FormatResultLine(point, options, false, Format), "-20, 1.5, 0.25\n");
  ResultOptions none;
  none.deltaPhi = none.deltaTheta = none.reflectivity = false;
  EXPECT_EQ(FormatResultLine(point, none, false, Format), "");
}

TEST(ResultLine, MicroradiansConvertTheAngles) {
  PointResult point;
  point.deltaPhiArcsec = 1;
  point.deltaThetaArcsec = -2;
  ResultOptions options;
  options.reflectivity = false;
  options.microradians = true;
  // One arcsecond is π/(180·3600)·10⁶ µrad = 4.84813681... µrad.
  EXPECT_EQ(FormatResultLine(point, options, false, Format), "4.84813681, -9.69627362\n");
}

// A silicon 1 1 1 frame with the 1 1 −1 beam, synthetic absorbing chi and
// φ0 at the three-beam azimuth.
struct ThreeBeamCase {
  MbdGeometry geometry = SiliconFrame(8000);
  MbdReflectionTable table{{1, 1, 1}};
  MbdSolver solver{3, 8000};
  ThreeBeamCase() {
    table.Add({1, 1, -1}, geometry, false);
    geometry.SetPrincipalAzimuth(table[2].azimuth1);
    solver = SolverFor(geometry, table);
    SetSyntheticChi(solver, 0.02);
  }
};

std::vector<PointResult> ScanPoints(const ThreeBeamCase& c, const ScanSetup& setup, int threads, RecordingNotifier& notifier,
                             ScanSummary* summary = nullptr) {
  std::vector<PointResult> points;
  core::NoProgress progress;
  const ScanSummary s = RunPlaneWaveScan(c.solver, c.geometry, setup, progress, notifier,
                                         [&](const PointResult& p) { points.push_back(p); }, threads);
  if (summary) *summary = s;
  return points;
}

TEST(PlaneWaveScan, ComponentsAddUpToTheReflectivity) {
  ThreeBeamCase c;
  ScanSetup setup;
  setup.thetaPoints = 11;
  setup.phiPoints = 5;
  setup.polarisationDeg = 35;
  setup.options.rotationDeg = 20;
  RecordingNotifier notifier;
  for (int beam : {0, 1, 2}) {
    setup.options.beam = beam;
    const std::vector<PointResult> points = ScanPoints(c, setup, 1, notifier);
    ASSERT_EQ(points.size(), 55u);
    for (const PointResult& p : points) {
      EXPECT_NEAR(p.component1 + p.component2, p.value, 1e-12 + 1e-10 * p.value);
      EXPECT_NEAR(p.kDotH * p.kDotH + p.kDotC * p.kDotC + p.kDotG * p.kDotG, 1, 1e-12);
    }
  }
  EXPECT_TRUE(notifier.messages.empty());
}

TEST(PlaneWaveScan, SigmaIncidenceOnTheTwoBeamCaseReflectsSigma) {
  // Only 000 and G: a symmetric Bragg case keeps σ polarisation, and with
  // ψ′ = 0 the σ′ part carries all of R.
  const MbdGeometry geometry = [] {
    MbdGeometry g = SiliconFrame(8000);
    g.SetPrincipalAzimuth(0);
    return g;
  }();
  MbdReflectionTable table({1, 1, 1});
  MbdSolver solver = SolverFor(geometry, table);
  SetSyntheticChi(solver, 0.02);
  ScanSetup setup;
  setup.thetaPoints = 26;
  setup.phiFromArcsec = 0;
  setup.phiToArcsec = 1;
  setup.phiPoints = 1;
  RecordingNotifier notifier;
  core::NoProgress progress;
  double peak = 0;
  RunPlaneWaveScan(solver, geometry, setup, progress, notifier, [&](const PointResult& p) {
    EXPECT_EQ(p.deltaPhiArcsec, 0);
    EXPECT_NEAR(p.component2, 0, 1e-12);
    EXPECT_NEAR(p.component1, p.value, 1e-12);
    EXPECT_NEAR(p.kDotG, std::sin(geometry.BraggAngle() + p.deltaThetaArcsec * core::kArcsecond), 1e-9);
    peak = std::max(peak, p.value);
  });
  EXPECT_GT(peak, 0.8);  // near total reflection in the Darwin range
}

TEST(PlaneWaveScan, ParallelRunGivesTheSameBitsInTheSameOrder) {
  ThreeBeamCase c;
  ScanSetup setup;
  setup.thetaPoints = 13;
  setup.phiPoints = 7;
  setup.polarisationDeg = 10;
  setup.thicknessAngstrom = 50000;
  setup.options.components = setup.options.amplitudes = setup.options.waveVector = true;
  RecordingNotifier notifier;
  const std::vector<PointResult> serial = ScanPoints(c, setup, 1, notifier);
  const std::vector<PointResult> parallel = ScanPoints(c, setup, 2, notifier);
  ASSERT_EQ(serial.size(), parallel.size());
  for (std::size_t i = 0; i < serial.size(); ++i) {
    EXPECT_EQ(FormatResultLine(serial[i], setup.options, false, Format),
              FormatResultLine(parallel[i], setup.options, false, Format));
    EXPECT_EQ(serial[i].value, parallel[i].value);
    EXPECT_EQ(serial[i].phase2, parallel[i].phase2);
  }
}

TEST(PlaneWaveScan, PointsThatDoNotEnterTheSurfaceWriteNoLine) {
  ThreeBeamCase c;
  // A 14.3° offcut towards the incident azimuth leaves the beam just above
  // the surface for the upper half of a ±1° scan.
  c.geometry.Build(true, CubicLattice(kSiliconLattice), {1, 1, 1}, {1, -1, 0}, 14.3077, *c.geometry.PrincipalAzimuthDeg());
  c.solver = SolverFor(c.geometry, c.table);
  SetSyntheticChi(c.solver, 0.02);
  ScanSetup setup;
  setup.thetaFromArcsec = -100;
  setup.thetaToArcsec = 100;
  setup.thetaPoints = 21;
  setup.phiPoints = 1;
  RecordingNotifier notifier;
  ScanSummary summary;
  const std::vector<PointResult> points = ScanPoints(c, setup, 2, notifier, &summary);
  EXPECT_GT(summary.pointsSkipped, 0);
  EXPECT_EQ(summary.pointsSkipped + static_cast<long>(points.size()), 21);
  for (const PointResult& p : points) {
    const double theta = c.geometry.BraggAngle() + p.deltaThetaArcsec * core::kArcsecond;
    EXPECT_TRUE(c.geometry.Enters(theta, *c.geometry.PrincipalAzimuthDeg() * core::kDegree));
  }
}

TEST(PlaneWaveScan, ExactBackReflectionIsToldOnceAndDropsThePolarisationGroups) {
  // 0 0 4 at λ = 2d: the reflected beam runs straight back.
  const Miller g{0, 0, 4};
  const double energy = core::kHcEvAngstrom / (2 * kSiliconLattice / 4);
  MbdGeometry geometry = SiliconFrame(energy, 0, 0, g, {1, 0, 0});
  geometry.SetPrincipalAzimuth(0);
  MbdReflectionTable table(g);
  MbdSolver solver = SolverFor(geometry, table);
  SetSyntheticChi(solver, 0.02);
  ScanSetup setup;
  setup.thetaFromArcsec = 0;
  setup.thetaToArcsec = 1;
  setup.thetaPoints = 1;
  setup.phiPoints = 3;
  setup.options.components = true;
  RecordingNotifier notifier;
  core::NoProgress progress;
  std::vector<std::string> lines;
  RunPlaneWaveScan(solver, geometry, setup, progress, notifier, [&](const PointResult& p) {
    lines.push_back(FormatResultLine(p, setup.options, false, Format));
  });
  ASSERT_EQ(lines.size(), 3u);
  for (const std::string& line : lines) EXPECT_EQ(std::count(line.begin(), line.end(), ','), 2) << line;
  ASSERT_EQ(notifier.messages.size(), 1u);
  EXPECT_EQ(notifier.messages[0].text,
            "Exact 180 deg backward diffraction occurred at some point(s), Amplitudes not treated!");
}

TEST(Convolution, WithoutSpreadItReproducesThePlaneWaveRun) {
  ThreeBeamCase c;
  ScanSetup setup;
  setup.thetaPoints = 9;
  setup.phiPoints = 3;
  setup.polarisationDeg = 30;
  setup.options.components = true;
  ConvolutionSetup none{1, 0, 11, 0, 11, 0, 11};
  RecordingNotifier notifier;
  core::NoProgress progress;
  const std::vector<PointResult> plane = ScanPoints(c, setup, 1, notifier);
  std::vector<PointResult> convolved;
  RunConvolution(c.solver, c.geometry, setup, none, progress, notifier,
                 [&](const PointResult& p) { convolved.push_back(p); }, 2);
  ASSERT_EQ(convolved.size(), plane.size());
  for (std::size_t i = 0; i < plane.size(); ++i) {
    EXPECT_EQ(convolved[i].value, plane[i].value);
    EXPECT_NEAR(convolved[i].component1, plane[i].component1, 1e-15);
    EXPECT_NEAR(convolved[i].component2, plane[i].component2, 1e-12);
    EXPECT_EQ(convolved[i].deltaThetaArcsec, plane[i].deltaThetaArcsec);
  }
}

TEST(Convolution, OneEnergyPointSitsAtTheLowEdgeOfTheRange) {
  ThreeBeamCase c;
  ScanSetup setup;
  setup.thetaPoints = 5;
  setup.phiPoints = 1;
  ConvolutionSetup conv{0, 4, 1, 0, 1, 0, 1};
  RecordingNotifier notifier;
  core::NoProgress progress;
  std::vector<PointResult> convolved;
  RunConvolution(c.solver, c.geometry, setup, conv, progress, notifier,
                 [&](const PointResult& p) { convolved.push_back(p); }, 1);
  setup.energyOffsetEv = -2;
  const std::vector<PointResult> plane = ScanPoints(c, setup, 1, notifier);
  ASSERT_EQ(convolved.size(), plane.size());
  for (std::size_t i = 0; i < plane.size(); ++i) EXPECT_EQ(convolved[i].value, plane[i].value);
}

TEST(Convolution, IntegratesWithTrapezoidFreeSumsAndIsThreadIndependent) {
  ThreeBeamCase c;
  ScanSetup setup;
  setup.thetaPoints = 4;
  setup.phiPoints = 2;
  ConvolutionSetup conv{1, 2, 3, 4, 3, 6, 2};
  RecordingNotifier notifier;
  core::NoProgress progress;
  std::vector<PointResult> serial, parallel;
  RunConvolution(c.solver, c.geometry, setup, conv, progress, notifier,
                 [&](const PointResult& p) { serial.push_back(p); }, 1);
  RunConvolution(c.solver, c.geometry, setup, conv, progress, notifier,
                 [&](const PointResult& p) { parallel.push_back(p); }, 2);
  ASSERT_EQ(serial.size(), 8u);
  for (std::size_t i = 0; i < serial.size(); ++i) EXPECT_EQ(serial[i].value, parallel[i].value);

  // The first point by hand: dE·Σ w_i dφ Σ dθ Σ R over the sub-points.
  const double e = 8000, fwhm = 1;
  const double dl = core::kHcEvAngstrom * fwhm / (e * e);
  double expected = 0;
  for (int i = 0; i < 3; ++i) {
    const double ei = e - 1 + i;
    const double w = std::exp(-4 * std::log(2.0) / (dl * dl) * std::pow(core::kHcEvAngstrom / ei - core::kHcEvAngstrom / e, 2));
    for (int j = 0; j < 2; ++j) {
      for (int k = 0; k < 3; ++k) {
        const double theta = c.geometry.BraggAngle() - 20 * core::kArcsecond + (k * 2.0 - 2.0) * 1e-6;
        const double phi = *c.geometry.PrincipalAzimuthDeg() * core::kDegree - 20 * core::kArcsecond + (j * 6.0 - 3.0) * 1e-6;
        Vec3 k0;
        ComplexVec3 h0;
        IncidentWave(c.geometry, theta, phi, 0, k0, h0);
        expected += 1.0 * w * 6.0 * 2.0 * c.solver.HalfSpace(ei, k0, h0, 1).value;
      }
    }
  }
  EXPECT_NEAR(serial[0].value, expected, 1e-12 * expected);
}

class CancelAfter final : public core::Progress {
 public:
  explicit CancelAfter(int percent) : limit_(percent) {}
  void Report(int percent) override { last_ = percent; }
  bool Cancelled() const override { return last_ >= limit_; }

 private:
  int limit_;
  int last_ = 0;
};

TEST(PlaneWaveScan, CancelStopsHandingOnPoints) {
  ThreeBeamCase c;
  ScanSetup setup;
  setup.thetaPoints = 20;
  setup.phiPoints = 10;
  CancelAfter progress(30);
  RecordingNotifier notifier;
  long count = 0;
  const ScanSummary summary =
      RunPlaneWaveScan(c.solver, c.geometry, setup, progress, notifier, [&](const PointResult&) { ++count; }, 1);
  EXPECT_TRUE(summary.cancelled);
  EXPECT_GE(count, 60);
  EXPECT_LT(count, 200);
}

TEST(ScanValidation, RefusesEmptyRangesAndClampsTheRest) {
  ScanSetup setup;
  setup.thetaToArcsec = setup.thetaFromArcsec;
  EXPECT_EQ(ValidateScan(setup), "Invalid Delta omega range!");
  setup.thetaToArcsec = setup.thetaFromArcsec + 0.001;
  setup.phiToArcsec = setup.phiFromArcsec - 1;
  EXPECT_EQ(ValidateScan(setup), "Invalid Delta Phi range!");
  setup.phiFromArcsec = 0;
  setup.phiToArcsec = 1;
  setup.phiPoints = 1;
  setup.thetaPoints = -3;
  setup.polarisationDeg = 120;
  EXPECT_EQ(ValidateScan(setup), "");
  EXPECT_EQ(setup.thetaPoints, 1);
  EXPECT_EQ(setup.polarisationDeg, 90);

  ConvolutionSetup conv{-1, 0, 11, -3, 0, 5, 0};
  ClampConvolution(conv);
  EXPECT_EQ(conv.fwhmEv, 0);
  EXPECT_EQ(conv.energyPoints, 1);
  EXPECT_EQ(conv.thetaDivergenceMicroradians, 0);
  EXPECT_EQ(conv.thetaPoints, 1);
  EXPECT_EQ(conv.phiPoints, 1);
}

// The points of a run shared out as a queue among processes may do: chunks
// computed out of order, each on a copy of its records. The lines and the
// notices are those of the run in one process, bit for bit.
TEST(ScanSharing, ChunksComputedOutOfOrderGiveTheSameLinesAndNotices) {
  ThreeBeamCase c;
  ScanSetup setup;
  setup.thetaPoints = 7;
  setup.phiPoints = 3;
  setup.options.components = setup.options.amplitudes = setup.options.waveVector = true;
  ConvolutionSetup conv{1, 2, 3, 4, 2, 6, 2};
  const auto run = [&](bool convolution, core::PointRunner& runner, RecordingNotifier& notifier) {
    std::vector<std::string> lines;
    core::NoProgress progress;
    const PointSink sink = [&](const PointResult& p) {
      lines.push_back(FormatResultLine(p, setup.options, convolution, Format));
    };
    const ScanSummary summary =
        convolution ? RunConvolution(c.solver, c.geometry, setup, conv, progress, notifier, sink, 2, runner)
                    : RunPlaneWaveScan(c.solver, c.geometry, setup, progress, notifier, sink, 2, runner);
    EXPECT_FALSE(summary.cancelled);
    EXPECT_EQ(summary.linesEmitted, static_cast<long>(lines.size()));
    return lines;
  };
  for (const bool convolution : {false, true}) {
    RecordingNotifier alone, shared;
    velto::testing::ScramblingRunner scrambling(2);
    const std::vector<std::string> expected = run(convolution, core::LocalRunner(), alone);
    ASSERT_EQ(expected.size(), 21u);
    EXPECT_EQ(run(convolution, scrambling, shared), expected) << (convolution ? "convolution" : "plane wave");
    EXPECT_EQ(scrambling.loops, 1);
    ASSERT_EQ(shared.messages.size(), alone.messages.size());
    for (std::size_t i = 0; i < alone.messages.size(); ++i) EXPECT_EQ(shared.messages[i].text, alone.messages[i].text);
  }
}

}  // namespace
}  // namespace velto::mbd
