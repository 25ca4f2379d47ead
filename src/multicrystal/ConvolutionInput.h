#pragma once
#include <optional>
#include <variant>

#include "multicrystal/Reflection.h"
#include "multicrystal/Refusal.h"
#include "twobeam/BraggCrystal.h"

// The convoluted rocking curve: a divergent, polychromatic beam prepared by
// a monochromator (one crystal, or a channel-cut or double-crystal pair)
// falls on a sample crystal (one crystal or a channel-cut) that is rocked.
namespace velto::multicrystal {

// "Random " is a σ pass followed by a π pass added to the same curve.
enum class PolarizationChoice { Random, Sigma, Pi };

// The inputs of one calculation in the form's units.
struct ConvolutionInput {
  double energy = 0;          // eV, the centre of the spectrum
  double spectrumFwhm = 20;   // eV; ≤ 0 is a flat spectrum
  double spectrumRange = 60;  // eV
  int spectralPoints = 501;
  double divergence = 30;  // µrad, flat distribution
  int divergencePoints = 101;
  double angularCentre = 0;  // arcsec, offset of the beam centre from the monochromator's Bragg angle

  CrystalReflection monochromator;
  bool doubleMonochromator = true;  // "DCM": channel-cut or double-crystal monochromator
  double monochromatorAsymmetry = 0;  // degrees
  CrystalReflection sample;
  bool sampleChannelCut = false;
  double sampleAsymmetry = 0;   // degrees
  double sampleThickness = -1;  // µm; ≤ 0 is semi-infinite

  Arrangement arrangement = Arrangement::NonDispersive;
  PolarizationChoice polarization = PolarizationChoice::Sigma;
  double from = -50, to = 50;  // arcsec of sample rocking
  int points = 201;
  bool rigorous = false;
};

// Limits of the bound fields.
inline constexpr int kMaxIntegrationPoints = 1000000;
inline constexpr double kMaxDivergenceMicroradians = 3141593;
inline constexpr double kMaxAsymmetryDegrees = 89.9999;
inline constexpr int kMinScanPoints = 3;
inline constexpr int kMaxScanPoints = 100000;
inline constexpr double kMinScanRange = 0.001;
inline constexpr double kMaxScanRange = 360000;

// Fields that a refusal of this program focuses.
namespace convolution_field {
inline constexpr const char* kDefineMonochromator = "Define ...";
inline constexpr const char* kDefineSample = "Define Sample ...";
inline constexpr const char* kSpectralPoints = "Spectrum Range: points";
inline constexpr const char* kDivergence = "Beam Divergence:";
inline constexpr const char* kDivergencePoints = "Beam Divergence: points";
inline constexpr const char* kFrom = "from";
inline constexpr const char* kTo = "to";
inline constexpr const char* kPoints = "points";
inline constexpr const char* kMonochromatorBragg = "monochromator Bragg angle";
inline constexpr const char* kMonochromatorAsymmetry = "monochromator asymmetry";
inline constexpr const char* kSampleBragg = "sample Bragg angle";
inline constexpr const char* kSampleAsymmetry = "sample asymmetry";
inline constexpr const char* kSpectrumFwhm = "FWHM:";
inline constexpr const char* kSpectrumRange = "Spectrum Range:";
inline constexpr const char* kSampleThickness = "Sample Thickness:";
inline constexpr const char* kAngularCentre = "Angular Center:";
}  // namespace convolution_field

inline constexpr const char* kNoMonochromatorMessage = "You have to define Momochromator !  ";
inline constexpr const char* kNoSampleMessage = "You have to define Sample !  ";

// Everything one convolution needs, in internal units (eV, Å, radians),
// with the four two-beam objects built at the photon energy.
struct ConvolutionPlan {
  double energy = 0;
  double wavelength = 0;  // λ0, Å
  PolarizationChoice polarization = PolarizationChoice::Sigma;
  Arrangement arrangement = Arrangement::NonDispersive;
  bool doubleMonochromator = true;
  bool sampleChannelCut = false;
  bool rigorous = false;

  double gaussCoefficient = 0;  // g = −4 ln 2/ΔλF² (Å⁻²); 0 for a flat spectrum
  int spectralPoints = 1;
  double spectralStart = 0;  // Δλ0 = −ΔλR/2, Å
  double spectralStep = 0;   // δλ, Å
  int divergencePoints = 1;
  double divergenceStart = 0;  // −D/2, rad
  double divergenceStep = 0;   // δε, rad
  int points = 0;
  double from = 0, to = 0, step = 0;  // arcsec
  double thickness = -1;               // Å; −1 semi-infinite
  double angularCentre = 0;            // c0, rad
  double sampleNominalIncidence = 0;   // θB^S − φ, rad

  std::optional<twobeam::BraggCrystal> m1, m2, s1, s2;

  // Rocking angle of point i, radians.
  double RockingAngle(int i) const;
  // The incidence angle on M1 of the first divergence component.
  double FirstMonochromatorIncidence() const;
  int PassCount() const { return polarization == PolarizationChoice::Random ? 2 : 1; }
};

// The spectrum as the calculation takes it: a FWHM whose wavelength width is
// not positive becomes −1 (a flat spectrum); a negative range becomes 0 with
// one spectral point.
void NormaliseSpectrum(ConvolutionInput& input);

// The checks of "Calculate" in their order, and the plan when they pass.
// `input` is brought to the values the form then shows: a flat spectrum's
// FWHM becomes −1, a negative range 0 with 1 point, a divergence of 0 gets 1
// point, a thickness ≤ 0 (or a channel-cut sample) becomes −1. The bound
// limits are checked here too, for callers without an input framework.
std::variant<ConvolutionPlan, Refusal> PrepareConvolution(ConvolutionInput& input);

}  // namespace velto::multicrystal
