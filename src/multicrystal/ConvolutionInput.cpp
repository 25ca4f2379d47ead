#include "multicrystal/ConvolutionInput.h"

#include <cmath>

#include "core/Units.h"
#include "crystal/Bragg.h"

namespace velto::multicrystal {
namespace {

namespace field = convolution_field;

// The wavelength width (Å) of an energy width (eV) at energy E: hc·ΔE/E².
double WavelengthWidth(double energyWidth, double energy) {
  return core::kHcEvAngstrom * energyWidth / (energy * energy);
}

bool Within(double value, double low, double high) { return value >= low && value <= high; }

std::optional<Refusal> CheckLimits(const ConvolutionInput& in) {
  if (in.spectralPoints < 0 || in.spectralPoints > kMaxIntegrationPoints)
    return IntegerOutOfLimits(0, kMaxIntegrationPoints, field::kSpectralPoints);
  if (in.divergencePoints < 0 || in.divergencePoints > kMaxIntegrationPoints)
    return IntegerOutOfLimits(0, kMaxIntegrationPoints, field::kDivergencePoints);
  if (in.points < kMinScanPoints || in.points > kMaxScanPoints)
    return IntegerOutOfLimits(kMinScanPoints, kMaxScanPoints, field::kPoints);
  if (!Within(in.divergence, 0, kMaxDivergenceMicroradians))
    return NumberOutOfLimits(0, kMaxDivergenceMicroradians, field::kDivergence);
  if (!Within(in.monochromatorAsymmetry, -kMaxAsymmetryDegrees, kMaxAsymmetryDegrees))
    return NumberOutOfLimits(-kMaxAsymmetryDegrees, kMaxAsymmetryDegrees, field::kMonochromatorAsymmetry);
  if (!Within(in.sampleAsymmetry, -kMaxAsymmetryDegrees, kMaxAsymmetryDegrees))
    return NumberOutOfLimits(-kMaxAsymmetryDegrees, kMaxAsymmetryDegrees, field::kSampleAsymmetry);
  return std::nullopt;
}

// The Bragg angle of a crystal at the energy, or the refusal of a crystal
// that does not diffract or whose offcut reaches its Bragg angle.
std::variant<double, Refusal> CheckCrystal(const CrystalReflection& crystal, double energy, double asymmetryDegrees,
                                           const char* braggField, const char* asymmetryField) {
  const auto braggAngle = crystal::BraggAngle(energy, crystal.d);
  if (!braggAngle) return Refusal{kNoDiffractionMessage, core::MessageIcon::None, braggField};
  if (std::fabs(asymmetryDegrees * core::kDegree) >= *braggAngle)
    return Refusal{kOffcutMessage, core::MessageIcon::None, asymmetryField};
  return *braggAngle;
}

}  // namespace

double ConvolutionPlan::RockingAngle(int i) const { return (from + i * step) * core::kArcsecond; }

double ConvolutionPlan::FirstMonochromatorIncidence() const {
  return m1->IncidenceAtBragg() + divergenceStart + angularCentre;
}

void NormaliseSpectrum(ConvolutionInput& in) {
  if (!(WavelengthWidth(in.spectrumFwhm, in.energy) > 0)) in.spectrumFwhm = -1;
  if (WavelengthWidth(in.spectrumRange, in.energy) < 0) {
    in.spectrumRange = 0;
    in.spectralPoints = 1;
  }
}

std::variant<ConvolutionPlan, Refusal> PrepareConvolution(ConvolutionInput& in) {
  if (!in.monochromator.defined) return Refusal{kNoMonochromatorMessage, core::MessageIcon::None, field::kDefineMonochromator};
  if (!in.sample.defined) return Refusal{kNoSampleMessage, core::MessageIcon::None, field::kDefineSample};
  const double energy = in.energy;
  if (!(energy > 0) || !std::isfinite(energy))
    return Refusal{kNoDiffractionMessage, core::MessageIcon::None, field::kMonochromatorBragg};

  NormaliseSpectrum(in);
  const double fwhmWidth = WavelengthWidth(in.spectrumFwhm, energy);  // ≤ 0: flat
  const double rangeWidth = WavelengthWidth(in.spectrumRange, energy);
  if (auto refusal = CheckLimits(in)) return *refusal;
  if (in.divergence == 0) in.divergencePoints = 1;
  const double range = in.to - in.from;
  if (!Within(range, kMinScanRange, kMaxScanRange))
    return Refusal{kRockingRangeMessage, core::MessageIcon::None, field::kFrom};

  const auto mono = CheckCrystal(in.monochromator, energy, in.monochromatorAsymmetry, field::kMonochromatorBragg,
                                 field::kMonochromatorAsymmetry);
  if (const auto* refusal = std::get_if<Refusal>(&mono)) return *refusal;
  const auto sample =
      CheckCrystal(in.sample, energy, in.sampleAsymmetry, field::kSampleBragg, field::kSampleAsymmetry);
  if (const auto* refusal = std::get_if<Refusal>(&sample)) return *refusal;

  ConvolutionPlan plan;
  plan.energy = energy;
  plan.wavelength = core::WavelengthOf(energy);
  plan.polarization = in.polarization;
  plan.arrangement = in.arrangement;
  plan.doubleMonochromator = in.doubleMonochromator;
  plan.sampleChannelCut = in.sampleChannelCut;
  plan.rigorous = in.rigorous;

  plan.gaussCoefficient = fwhmWidth > 0 ? -4 * std::log(2.0) / (fwhmWidth * fwhmWidth) : 0;
  plan.spectralPoints = in.spectralPoints;
  plan.spectralStart = -rangeWidth / 2;
  plan.spectralStep = in.spectralPoints > 1 ? rangeWidth / (in.spectralPoints - 1) : 0.001;
  const double divergence = in.divergence * core::kMicroradian;
  plan.divergencePoints = in.divergencePoints;
  plan.divergenceStart = -divergence / 2;
  plan.divergenceStep = in.divergencePoints > 1 ? divergence / (in.divergencePoints - 1) : 0.000001;
  plan.points = in.points;
  plan.from = in.from;
  plan.to = in.to;
  plan.step = range / (in.points - 1);

  // A channel-cut sample is two semi-infinite reflections.
  double thickness = in.sampleChannelCut ? -1 : in.sampleThickness * core::kAngstromPerMicrometre;
  if (!(thickness > 0)) {
    thickness = -1;
    in.sampleThickness = -1;
  }
  plan.thickness = thickness;
  plan.angularCentre = in.angularCentre * core::kArcsecond;

  const double phiM = in.monochromatorAsymmetry * core::kDegree;
  const double phiS = in.sampleAsymmetry * core::kDegree;
  plan.m1.emplace(energy, in.monochromator.d, phiM, -1, in.monochromator.chi);
  plan.m2.emplace(energy, in.monochromator.d, -phiM, -1, in.monochromator.chi);
  plan.s1.emplace(energy, in.sample.d, phiS, thickness, in.sample.chi);
  plan.s2.emplace(energy, in.sample.d, -phiS, thickness, in.sample.chi);
  plan.sampleNominalIncidence = std::get<double>(sample) - phiS;
  return plan;
}

}  // namespace velto::multicrystal
