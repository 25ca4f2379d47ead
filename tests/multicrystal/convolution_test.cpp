#include <gtest/gtest.h>
#include <omp.h>

#include <algorithm>
#include <cmath>
#include <variant>
#include <vector>

#include "SiliconReflections.h"
#include "support/ScramblingRunner.h"
#include "multicrystal/Convolution.h"
#include "twobeam/BraggCrystal.h"

namespace velto::multicrystal::testing {
namespace {

using twobeam::BraggCrystal;
using twobeam::Polarization;

ConvolutionInput Small(const CrystalReflection& mono, const CrystalReflection& sample) {
  ConvolutionInput in;
  in.energy = kEnergy;
  in.monochromator = mono;
  in.sample = sample;
  in.spectralPoints = 41;
  in.divergencePoints = 11;
  in.points = 41;
  return in;
}

ConvolutionPlan PlanOf(ConvolutionInput in) {
  auto result = PrepareConvolution(in);
  if (auto* refusal = std::get_if<Refusal>(&result)) ADD_FAILURE() << refusal->message;
  return std::get<ConvolutionPlan>(std::move(result));
}

std::vector<double> Curve(const ConvolutionInput& in, long tableEntries = kDefaultTableEntries) {
  core::NoProgress progress;
  std::vector<double> intensity;
  EXPECT_EQ(ComputeConvolution(PlanOf(in), intensity, progress, tableEntries), ConvolutionStatus::Completed);
  return intensity;
}

double FwhmOf(const ConvolutionInput& in) {
  const ConvolutionPlan plan = PlanOf(in);
  core::NoProgress progress;
  std::vector<double> intensity;
  EXPECT_EQ(ComputeConvolution(plan, intensity, progress), ConvolutionStatus::Completed);
  const auto trace = ConvolutedTrace(plan, intensity);
  EXPECT_TRUE(trace.has_value());
  const ConvolutionAnalysis analysis = AnalyseConvolutedCurve(*trace);
  EXPECT_TRUE(analysis.fwhm.has_value());
  return analysis.fwhm.value_or(0);
}

// A plane monochromatic wave: no divergence, no spectral range, one point
// each. Every rocking point is then the product of the plane-wave
// reflectivities along the beam, and the normalisation is one.
TEST(Convolution, PlaneMonochromaticBeamGivesTheProductOfTheReflectivities) {
  BraggCrystal crystal(kEnergy, Si111().d, 0, -1, Si111().chi);
  const double thetaB = crystal.BraggAngle();
  const double shift = crystal.CentreShift();  // refraction moves the peak by about 7"
  ConvolutionInput in = Small(Si111(), Si111());
  in.divergence = 0;
  in.spectrumRange = 0;
  in.spectralPoints = 1;
  in.angularCentre = shift / core::kArcsecond;  // the beam meets the mono at its peak
  in.from = -20;
  in.to = 20;
  const std::vector<double> dcm = Curve(in);
  in.doubleMonochromator = false;
  const std::vector<double> single = Curve(in);

  // Symmetric crystals send the beam on at the angle it came in, so the
  // sample sees θB + Δθc + ω.
  const double peak = crystal.ReflectSemiInfinite(Polarization::Sigma, thetaB + shift, kEnergy);
  EXPECT_GT(peak, 0.8);
  ASSERT_EQ(dcm.size(), 41u);
  for (int i = 0; i < 41; ++i) {
    const double omega = (-20 + i) * core::kArcsecond;
    const double sample = crystal.ReflectSemiInfinite(Polarization::Sigma, thetaB + shift + omega, kEnergy);
    EXPECT_NEAR(single[i], peak * sample, 1e-9) << i;
    EXPECT_NEAR(dcm[i], peak * peak * sample, 1e-9) << i;
  }
  // Two identical crystals in parallel: the curve peaks within the plateau
  // around ω = 0 (absorption tilts it towards lower angles).
  EXPECT_NEAR(std::max_element(single.begin(), single.end()) - single.begin(), 20, 3);
}

TEST(Convolution, PlaneWaveOnAThinRigorousSampleAndAChannelCut) {
  ConvolutionInput in = Small(Si111(), Si400());
  in.divergence = 0;
  in.spectrumRange = 0;
  in.spectralPoints = 1;
  in.doubleMonochromator = false;
  in.rigorous = true;
  in.sampleThickness = 1.5;  // µm, a fraction of the extinction length
  in.from = -30;
  in.to = 30;
  in.points = 7;
  const std::vector<double> thin = Curve(in);
  in.sampleThickness = -1;
  in.sampleChannelCut = true;
  in.rigorous = false;
  const std::vector<double> channelCut = Curve(in);

  BraggCrystal mono(kEnergy, Si111().d, 0, -1, Si111().chi);
  BraggCrystal plate(kEnergy, Si400().d, 0, 15000, Si400().chi);
  BraggCrystal sample(kEnergy, Si400().d, 0, -1, Si400().chi);
  const double thetaM = mono.BraggAngle();
  const double rMonoRigorous = mono.ReflectRigorousSemiInfinite(Polarization::Sigma, thetaM, kEnergy);
  const double rMono = mono.ReflectSemiInfinite(Polarization::Sigma, thetaM, kEnergy);
  for (int i = 0; i < 7; ++i) {
    const double theta = sample.BraggAngle() + (-30 + 10 * i) * core::kArcsecond;
    const double rPlate = plate.ReflectRigorousFinite(Polarization::Sigma, theta, kEnergy);
    EXPECT_NEAR(thin[i], rMonoRigorous * rPlate, 1e-9) << i;
    // A symmetric channel-cut meets the beam twice at the same angle: R².
    const double r = sample.ReflectSemiInfinite(Polarization::Sigma, theta, kEnergy);
    EXPECT_NEAR(channelCut[i], rMono * r * r, 1e-9) << i;
  }
}

TEST(Convolution, RandomPolarizationIsTheSumOfSigmaAndPi) {
  ConvolutionInput in = Small(Si111(), Si111());
  in.polarization = PolarizationChoice::Sigma;
  const std::vector<double> sigma = Curve(in);
  in.polarization = PolarizationChoice::Pi;
  const std::vector<double> pi = Curve(in);
  in.polarization = PolarizationChoice::Random;
  const std::vector<double> random = Curve(in);
  ASSERT_EQ(random.size(), sigma.size());
  double largestDifference = 0;
  for (std::size_t i = 0; i < random.size(); ++i) {
    EXPECT_NEAR(random[i], sigma[i] + pi[i], 1e-12 * random[i]) << i;
    largestDifference = std::max(largestDifference, std::fabs(sigma[i] - pi[i]));
  }
  // π is reflected more weakly (|cos 2θB| = 0.88 at 14°): the passes differ.
  EXPECT_GT(largestDifference, 0.01 * *std::max_element(sigma.begin(), sigma.end()));
}

TEST(Convolution, FlatSpectrumWeighsEveryWavelengthEqually) {
  ConvolutionInput in = Small(Si111(), Si400());
  in.spectrumFwhm = -1;
  const std::vector<double> flat = Curve(in);
  // A Gaussian far wider than the range has weights of 1 to within 1e-12.
  in.spectrumFwhm = 1e8;
  const std::vector<double> wide = Curve(in);
  in.spectrumFwhm = 2;
  const std::vector<double> narrow = Curve(in);
  double flatSum = 0, narrowSum = 0;
  for (std::size_t i = 0; i < flat.size(); ++i) {
    EXPECT_NEAR(flat[i], wide[i], 1e-10 * flat[i]);
    flatSum += flat[i];
    narrowSum += narrow[i];
  }
  EXPECT_LT(narrowSum, 0.5 * flatSum);
}

// DuMond: in the non-dispersive (+,−) arrangement of two identical
// reflections every wavelength that the first crystal passes at some angle
// meets the second at its Bragg angle at the same rocking angle, so the
// rocking curve is the correlation of two Darwin curves whatever the
// bandwidth and divergence. In the dispersive arrangement of different
// reflections the two Bragg angles change with wavelength at rates tan θ1
// and tan θ2 that add up, so the curve spreads over the whole band that the
// monochromator passes from the divergent beam.
TEST(Convolution, DispersiveArrangementOfDifferentReflectionsIsMuchWider) {
  ConvolutionInput in = Small(Si111(), Si111());
  // The monochromator passes about 3 eV of the spectrum from a 60 µrad
  // beam; the grid must resolve the Si 4 0 0 curve within that band.
  in.divergence = 60;
  in.spectrumRange = 12;
  in.spectralPoints = 161;
  in.divergencePoints = 31;
  in.points = 101;
  in.from = -100;
  in.to = 100;
  const double nonDispersive = FwhmOf(in);
  in.spectrumFwhm = 5;
  const double nonDispersiveNarrowBand = FwhmOf(in);
  in.spectrumFwhm = 20;
  in.sample = Si400();
  in.arrangement = Arrangement::Dispersive;
  const double dispersive = FwhmOf(in);

  // Two Si 1 1 1 Darwin curves of about 7" each correlate to about 10".
  EXPECT_GT(nonDispersive, 6);
  EXPECT_LT(nonDispersive, 14);
  EXPECT_NEAR(nonDispersiveNarrowBand, nonDispersive, 0.05 * nonDispersive);
  // A ray ε off the beam axis carries the wavelength the mono reflects at
  // θM + ε; the sample meets it at θS − ε and reflects it at θS + ε·tan θS/tan θM:
  // the 60 µrad fan spreads over (1 + tan θS/tan θM)·60 µrad of rocking.
  const double tanM = std::tan(PlanOf(in).m1->BraggAngle());
  const double tanS = std::tan(PlanOf(in).s1->BraggAngle());
  const double fan = (1 + tanS / tanM) * 60e-6 / core::kArcsecond;
  EXPECT_GT(dispersive, 0.8 * fan);
  EXPECT_LT(dispersive, 1.5 * fan);
  EXPECT_GT(dispersive, 3 * nonDispersive);
}

// The serial loop as the program describes it: rocking point i outer,
// spectral point j, divergence point k, the crystals in beam order.
std::vector<double> SerialLoop(const ConvolutionPlan& plan) {
  BraggCrystal m1 = *plan.m1, m2 = *plan.m2, s1 = *plan.s1, s2 = *plan.s2;
  std::vector<double> intensity(plan.points, 0.0);
  for (int pass = 0; pass < plan.PassCount(); ++pass) {
    const Polarization p =
        (plan.polarization == PolarizationChoice::Pi || pass == 1) ? Polarization::Pi : Polarization::Sigma;
    for (int i = 0; i < plan.points; ++i) {
      double sum = 0;
      for (int j = 0; j < plan.spectralPoints; ++j) {
        const double dl = plan.spectralStart + j * plan.spectralStep;
        const double e = core::kHcEvAngstrom / (plan.wavelength + dl);
        const double w = std::exp(plan.gaussCoefficient * dl * dl);
        double sk = 0;
        for (int k = 0; k < plan.divergencePoints; ++k) {
          const double theta1 = plan.FirstMonochromatorIncidence() + k * plan.divergenceStep;
          if (theta1 <= 0 || theta1 >= core::kPi) continue;
          double r = m1.ReflectSemiInfinite(p, theta1, e);
          double tx = m1.ExitAngle();
          if (plan.doubleMonochromator) {
            r = r * m2.ReflectSemiInfinite(p, tx, e);
            tx = m2.ExitAngle();
          }
          if (tx <= 0 || tx >= core::kPi) continue;
          const double delta = tx - (plan.doubleMonochromator ? m2 : m1).ExitAtBragg();
          const double ts = (plan.arrangement == Arrangement::NonDispersive ? s1.IncidenceAtBragg() + delta
                                                                            : s1.IncidenceAtBragg() - delta) +
                            plan.RockingAngle(i);
          if (ts <= 0 || ts >= core::kPi) continue;
          r = r * s1.ReflectSemiInfinite(p, ts, e);
          if (plan.sampleChannelCut) r = r * s2.ReflectSemiInfinite(p, s1.ExitAngle(), e);
          sk += r;
        }
        sum = sum + w * sk;
      }
      intensity[i] += sum;
    }
  }
  const double scale = plan.divergenceStep * plan.spectralStep * 1000000000;
  for (double& v : intensity) v *= scale;
  return intensity;
}

TEST(Convolution, ParallelRunIsBitIdenticalAtAnyThreadCountAndAgreesWithTheSerialLoop) {
  ConvolutionInput in = Small(Si111(), Si400());
  in.polarization = PolarizationChoice::Random;
  in.arrangement = Arrangement::Dispersive;
  in.sampleChannelCut = true;
  in.angularCentre = 3;
  in.from = -150;
  in.to = 150;
  const std::vector<double> serial = SerialLoop(PlanOf(in));

  const int threads = omp_get_max_threads();
  omp_set_num_threads(1);
  const std::vector<double> one = Curve(in);
  omp_set_num_threads(2);
  const std::vector<double> two = Curve(in);
  // Blocks of three spectral points each: the table is rebuilt 14 times.
  const std::vector<double> blocks = Curve(in, 3 * 11);
  omp_set_num_threads(threads);

  ASSERT_EQ(serial.size(), one.size());
  for (std::size_t i = 0; i < serial.size(); ++i) {
    // Threads and table blocks change nothing, bit for bit.
    EXPECT_EQ(two[i], one[i]) << i;
    EXPECT_EQ(blocks[i], one[i]) << i;
    // The sample's angle is rotated by the addition theorems rather than
    // taken through sin and cos at each point. Its sine then differs in the
    // last digit, which the deviation from the Bragg condition (a small
    // difference of sines) and the steep flanks of the curve enlarge to some
    // 1e-11 of the intensity; 1e-9 answers to an angle error of some 1e-13 rad.
    EXPECT_NEAR(one[i], serial[i], 1e-9 * serial[i]) << i;
  }
  EXPECT_GT(*std::max_element(serial.begin(), serial.end()), 0);
}

class CancelAfter final : public core::Progress {
 public:
  explicit CancelAfter(int percent) : cancelAt_(percent) {}
  void Report(int percent) override { reports.push_back(percent); }
  bool Cancelled() const override { return !reports.empty() && reports.back() >= cancelAt_; }
  std::vector<int> reports;

 private:
  int cancelAt_;
};

TEST(Convolution, ProgressGrowsInWholePercentsAndCancelLeavesTheCurve) {
  ConvolutionInput in = Small(Si111(), Si111());
  in.polarization = PolarizationChoice::Random;
  CancelAfter never(101);
  std::vector<double> intensity;
  ASSERT_EQ(ComputeConvolution(PlanOf(in), intensity, never), ConvolutionStatus::Completed);
  ASSERT_FALSE(never.reports.empty());
  for (std::size_t i = 1; i < never.reports.size(); ++i) EXPECT_GT(never.reports[i], never.reports[i - 1]);
  EXPECT_EQ(never.reports.back(), 100);
  // 2 × 41 rocking points: the percentage grows by one or two per point.
  EXPECT_GE(never.reports.size(), 41u);

  const std::vector<double> before = intensity;
  CancelAfter early(10);
  EXPECT_EQ(ComputeConvolution(PlanOf(in), intensity, early), ConvolutionStatus::Cancelled);
  EXPECT_EQ(intensity, before);
  EXPECT_LT(early.reports.back(), 60);
}

TEST(Convolution, UnphysicalWavelengthsAndUnreachableAnglesContributeNothing) {
  // A spectrum of 20 keV around 8 keV reaches negative wavelengths.
  ConvolutionInput in = Small(Si111(), Si111());
  in.spectrumRange = 20000;
  in.spectralPoints = 5;
  const std::vector<double> wide = Curve(in);
  for (double v : wide) EXPECT_TRUE(std::isfinite(v) && v >= 0);

  // Rocking the sample below grazing incidence leaves nothing to reflect:
  // the curve is dropped.
  in = Small(Si111(), Si111());
  in.from = -100000;
  in.to = -60000;
  const ConvolutionPlan plan = PlanOf(in);
  core::NoProgress progress;
  std::vector<double> intensity;
  ASSERT_EQ(ComputeConvolution(plan, intensity, progress), ConvolutionStatus::Completed);
  for (double v : intensity) EXPECT_EQ(v, 0);
  EXPECT_FALSE(ConvolutedTrace(plan, intensity).has_value());
}

TEST(Convolution, TraceKeepsItsRangeAndTheAbsoluteAnglesOfTheExport) {
  ConvolutionInput in = Small(Si111(), Si111());
  in.sampleAsymmetry = 5;
  const ConvolutionPlan plan = PlanOf(in);
  core::NoProgress progress;
  std::vector<double> intensity;
  ASSERT_EQ(ComputeConvolution(plan, intensity, progress), ConvolutionStatus::Completed);
  const auto trace = ConvolutedTrace(plan, intensity);
  ASSERT_TRUE(trace.has_value());
  EXPECT_EQ(trace->count, 41);
  EXPECT_EQ(trace->from, -50);
  EXPECT_EQ(trace->to, 50);
  EXPECT_DOUBLE_EQ(trace->step, 2.5);
  EXPECT_EQ(trace->peak, *std::max_element(intensity.begin(), intensity.end()));
  const double theta0 = plan.s1->BraggAngle() - 5 * core::kDegree;
  EXPECT_DOUBLE_EQ(ConvolutionExportAngle(*trace, 4, AngleUnit::Arcsecond, false), -40);
  EXPECT_DOUBLE_EQ(ConvolutionExportAngle(*trace, 4, AngleUnit::Degree, false), -40.0 / 3600);
  EXPECT_NEAR(ConvolutionExportAngle(*trace, 4, AngleUnit::Microradian, false), -193.925472, 1e-6);
  EXPECT_NEAR(ConvolutionExportAngle(*trace, 4, AngleUnit::Arcsecond, true), theta0 / core::kArcsecond - 40, 1e-9);
  EXPECT_NEAR(ConvolutionExportAngle(*trace, 4, AngleUnit::Degree, true), theta0 / core::kDegree - 40.0 / 3600,
              1e-12);
  EXPECT_NEAR(ConvolutionExportAngle(*trace, 4, AngleUnit::Microradian, true), theta0 * 1e6 - 193.925472, 1e-6);
}

// The rocking points shared out as a queue among processes may do, chunks
// computed out of order on copies of their records, with the table in one
// block and in several (whose partial sums travel in the records): the
// curve of one process, bit for bit, one loop per pass and block.
TEST(Convolution, RockingPointsComputedOutOfOrderGiveTheSameCurve) {
  ConvolutionInput in = Small(Si111(), Si111());
  in.polarization = PolarizationChoice::Random;
  const std::vector<double> expected = Curve(in);
  for (const long tableEntries : {kDefaultTableEntries, 4L * 11}) {
    velto::testing::ScramblingRunner scrambling(3);
    core::NoProgress progress;
    std::vector<double> intensity;
    ASSERT_EQ(ComputeConvolution(PlanOf(in), intensity, progress, tableEntries, scrambling),
              ConvolutionStatus::Completed);
    EXPECT_EQ(intensity, expected) << tableEntries;
    const int blocks = tableEntries == kDefaultTableEntries ? 1 : (41 + 3) / 4;
    EXPECT_EQ(scrambling.loops, 2 * blocks);
  }
}

}  // namespace
}  // namespace velto::multicrystal::testing
