#include <gtest/gtest.h>

#include <cmath>
#include <variant>

#include "SiliconReflections.h"
#include "multicrystal/ConvolutionInput.h"

namespace velto::multicrystal::testing {
namespace {

ConvolutionInput SiliconOnSilicon() {
  ConvolutionInput in;
  in.energy = kEnergy;
  in.monochromator = Si111();
  in.sample = Si111();
  return in;
}

Refusal RefusalOf(ConvolutionInput in) {
  auto result = PrepareConvolution(in);
  EXPECT_TRUE(std::holds_alternative<Refusal>(result));
  return std::holds_alternative<Refusal>(result) ? std::get<Refusal>(result) : Refusal{};
}

ConvolutionPlan PlanOf(ConvolutionInput& in) {
  auto result = PrepareConvolution(in);
  if (auto* refusal = std::get_if<Refusal>(&result)) ADD_FAILURE() << refusal->message;
  return std::get<ConvolutionPlan>(std::move(result));
}

TEST(ConvolutionChecks, RefusalsComeInTheOrderOfTheCalculation) {
  ConvolutionInput in = SiliconOnSilicon();
  in.monochromator.defined = false;
  in.sample.defined = false;
  in.to = in.from;  // also a bad range: the undefined crystal is named first
  EXPECT_EQ(RefusalOf(in), (Refusal{"You have to define Momochromator !  ", core::MessageIcon::None, "Define ..."}));
  in.monochromator.defined = true;
  EXPECT_EQ(RefusalOf(in), (Refusal{"You have to define Sample !  ", core::MessageIcon::None, "Define Sample ..."}));
  in.sample.defined = true;
  EXPECT_EQ(RefusalOf(in), (Refusal{"The rocking range must between 0.001 and 360,000 arcsec !  ",
                                    core::MessageIcon::None, "from"}));
  in.to = in.from + 360000.5;
  EXPECT_EQ(RefusalOf(in).field, "from");
  in.to = in.from + 360000;
  EXPECT_TRUE(std::holds_alternative<ConvolutionPlan>(PrepareConvolution(in)));
}

TEST(ConvolutionChecks, BoundFieldsUseTheStandardMessages) {
  ConvolutionInput in = SiliconOnSilicon();
  in.points = 2;
  EXPECT_EQ(RefusalOf(in), (Refusal{"Enter an integer between 3 and 100000.", core::MessageIcon::Warning, "points"}));
  in = SiliconOnSilicon();
  in.spectralPoints = 1000001;
  EXPECT_EQ(RefusalOf(in).message, "Enter an integer between 0 and 1000000.");
  in = SiliconOnSilicon();
  in.divergence = -1;
  EXPECT_EQ(RefusalOf(in),
            (Refusal{"Enter a number between 0 and 3141593.", core::MessageIcon::Warning, "Beam Divergence:"}));
  in = SiliconOnSilicon();
  in.sampleAsymmetry = 90;
  EXPECT_EQ(RefusalOf(in).message, "Enter a number between -89.9999 and 89.9999.");
  in.sampleAsymmetry = NAN;
  EXPECT_EQ(RefusalOf(in).field, "sample asymmetry");
}

TEST(ConvolutionChecks, CrystalsMustDiffractWithAnOffcutBelowTheBraggAngle) {
  ConvolutionInput in = SiliconOnSilicon();
  in.monochromator.d = 0.5;  // λ/2d > 1 at 8 keV
  EXPECT_EQ(RefusalOf(in), (Refusal{"No diffraction!", core::MessageIcon::None, "monochromator Bragg angle"}));
  in = SiliconOnSilicon();
  in.sample.d = 0.5;
  EXPECT_EQ(RefusalOf(in).field, "sample Bragg angle");
  // Si 1 1 1 at Cu Kα1 has θB = 14.22°.
  in = SiliconOnSilicon();
  in.monochromatorAsymmetry = -14.3;
  EXPECT_EQ(RefusalOf(in), (Refusal{"The absolte value of Offcut Angle should be less than the Bragg angle !  ",
                                    core::MessageIcon::None, "monochromator asymmetry"}));
  in.monochromatorAsymmetry = 14.2;
  in.sampleAsymmetry = 14.3;
  EXPECT_EQ(RefusalOf(in).field, "sample asymmetry");
  in.sampleAsymmetry = -14.2;
  EXPECT_TRUE(std::holds_alternative<ConvolutionPlan>(PrepareConvolution(in)));
}

TEST(ConvolutionChecks, InputsAreBroughtToTheValuesTheFormShows) {
  ConvolutionInput in = SiliconOnSilicon();
  in.spectrumFwhm = 0;
  in.spectrumRange = -3;
  in.spectralPoints = 40;
  in.divergence = 0;
  in.divergencePoints = 17;
  in.sampleThickness = 0;
  ConvolutionPlan plan = PlanOf(in);
  EXPECT_EQ(in.spectrumFwhm, -1);
  EXPECT_EQ(in.spectrumRange, 0);
  EXPECT_EQ(in.spectralPoints, 1);
  EXPECT_EQ(in.divergencePoints, 1);
  EXPECT_EQ(in.sampleThickness, -1);
  EXPECT_EQ(plan.gaussCoefficient, 0);  // flat: every weight exp(0) = 1
  EXPECT_EQ(plan.thickness, -1);
  // Single points: the steps that make the normalisation δε·δλ·10⁹ one.
  EXPECT_EQ(plan.spectralStep, 0.001);
  EXPECT_EQ(plan.divergenceStep, 0.000001);

  // A channel-cut sample is semi-infinite whatever the thickness field says.
  in = SiliconOnSilicon();
  in.sampleThickness = 100;
  in.sampleChannelCut = true;
  plan = PlanOf(in);
  EXPECT_EQ(in.sampleThickness, -1);
  EXPECT_EQ(plan.s1->Thickness(), -1);
  in.sampleChannelCut = false;
  in.sampleThickness = 2.5;
  plan = PlanOf(in);
  EXPECT_DOUBLE_EQ(plan.thickness, 25000);  // Å
}

TEST(ConvolutionChecks, GridsFollowTheDefaults) {
  ConvolutionInput in = SiliconOnSilicon();
  const ConvolutionPlan plan = PlanOf(in);
  const double lambda = core::kHcEvAngstrom / kEnergy;
  // ΔλR = hc·60 eV/E² spread over 501 points, centred on λ0.
  const double range = core::kHcEvAngstrom * 60 / (kEnergy * kEnergy);
  EXPECT_DOUBLE_EQ(plan.wavelength, lambda);
  EXPECT_DOUBLE_EQ(plan.spectralStart, -range / 2);
  EXPECT_DOUBLE_EQ(plan.spectralStart + 500 * plan.spectralStep, range / 2);
  // A Gaussian of 20 eV FWHM: the weight is 1/2 at ±10 eV.
  const double half = core::kHcEvAngstrom * 10 / (kEnergy * kEnergy);
  EXPECT_NEAR(std::exp(plan.gaussCoefficient * half * half), 0.5, 1e-12);
  EXPECT_DOUBLE_EQ(plan.divergenceStart, -15e-6);
  EXPECT_DOUBLE_EQ(plan.divergenceStart + 100 * plan.divergenceStep, 15e-6);
  EXPECT_DOUBLE_EQ(plan.step, 0.5);
  EXPECT_DOUBLE_EQ(plan.RockingAngle(200), 50 * core::kArcsecond);
  // The mono and the sample: two objects each, asymmetries of opposite sign.
  EXPECT_NEAR(plan.sampleNominalIncidence / core::kDegree, 14.2207, 1e-3);
  EXPECT_EQ(plan.m1->Asymmetry(), -plan.m2->Asymmetry());
}

}  // namespace
}  // namespace velto::multicrystal::testing
