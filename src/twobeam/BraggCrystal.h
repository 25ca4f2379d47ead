#pragma once
#include <armadillo>
#include <cmath>
#include <complex>

#include "core/Notifier.h"
#include "core/Units.h"
#include "crystal/CrystalParams.h"
#include "twobeam/BraggWaves.h"
#include "twobeam/ComplexMath.h"
#include "twobeam/Polarization.h"

namespace velto::twobeam {

// One crystal in one two-beam reflection, Bragg case (the diffracted beam
// leaves through the entrance surface), constructed at one photon energy and
// then evaluated once per scan point. Energies in eV, lengths in Å, angles
// in radians. Every evaluation takes the incidence glancing angle θi and the
// energy E (E ≤ 0 selects the construction energy) and keeps its results in
// the object until the next evaluation; nothing is allocated per call, so a
// copy per thread makes a scan parallel.
class BraggCrystal {
 public:
  // A glancing angle with its sine and cosine, for loops that obtain them by
  // rotating a known angle instead of calling sin and cos at every point.
  struct GlancingAngle {
    double radians = 0, sine = 0, cosine = 1;
    static GlancingAngle Of(double radians) { return {radians, std::sin(radians), std::cos(radians)}; }
  };

  // `thickness` ≤ 0 means semi-infinite. A χ−h of (almost) zero is taken
  // equal to χh; an all-zero π pair is taken equal to the σ pair.
  BraggCrystal(double energy, double dSpacing, double asymmetry, double thickness, Complex chi0, Complex chih,
               Complex chimh, Complex chihPi, Complex chimhPi);
  BraggCrystal(double energy, double dSpacing, double asymmetry, double thickness, const crystal::ReflectionChi& chi);

  // Standard (linearised) two-beam theory.
  double ReflectSemiInfinite(Polarization p, double incidence, double energy) {
    return ReflectSemiInfinite(p, GlancingAngle::Of(incidence), energy);
  }
  double ReflectSemiInfinite(Polarization p, const GlancingAngle& incidence, double energy);
  // Plate of `thickness` Å (< 0: the constructed thickness). Also sets T.
  double ReflectFinite(Polarization p, double incidence, double energy, double thickness = -1) {
    return ReflectFinite(p, GlancingAngle::Of(incidence), energy, thickness);
  }
  double ReflectFinite(Polarization p, const GlancingAngle& incidence, double energy, double thickness = -1);
  // 1/e depth (Å) of the intensity of the excited wave field; 0 where the
  // evaluation stops early or the field is not attenuated.
  double PenetrationDepth(Polarization p, double incidence, double energy);

  // Rigorous theory for grazing incidence or exit: exact dispersion
  // equation and the specularly reflected wave.
  double ReflectRigorousSemiInfinite(Polarization p, double incidence, double energy);
  double ReflectRigorousFinite(Polarization p, double incidence, double energy, double thickness = -1);
  // The semi-infinite rigorous case solved as an eigenvalue problem. When the
  // number of decaying waves is not two, `notifier` hears the program's
  // message and R = 0; the count is kept in DecayingWaveCount().
  double ReflectEigenSemiInfinite(Polarization p, double incidence, double energy, core::Notifier& notifier);
  double PenetrationDepthRigorous(Polarization p, double incidence, double energy);

  // Inputs (after the χ defaults).
  double Energy() const { return energy_; }
  double DSpacing() const { return d_; }
  double Asymmetry() const { return alpha_; }
  double Thickness() const { return thickness_; }
  Complex Chi0() const { return chi0_; }
  Complex ChiH(Polarization p) const { return p == Polarization::Sigma ? chih_ : chihPi_; }
  Complex ChiMinusH(Polarization p) const { return p == Polarization::Sigma ? chimh_ : chimhPi_; }

  // Geometry at the construction energy.
  double BraggAngle() const { return thetaB_; }
  double IncidenceAtBragg() const { return thetaB_ - alpha_; }  // θB − α
  double ExitAtBragg() const { return thetaB_ + alpha_; }       // θB + α
  double Gamma0() const { return gamma0_; }
  double AsymmetryRatio() const { return ratioB_; }  // B = |γh/γ0|; the programs show b = −B
  double PolarizationFactor() const { return cos2ThetaB_; }  // C = cos 2θB

  // Closed-form values; 0 when θB is 90°.
  double CentreShift() const { return centreShift_; }
  double DarwinWidth(Polarization p) const { return p == Polarization::Sigma ? widthSigma_ : widthPi_; }
  // Å; 0 for π when the π reflection vanishes (θB = 45°), where it is infinite.
  double ExtinctionLength(Polarization p) const { return p == Polarization::Sigma ? extinctionSigma_ : extinctionPi_; }
  // False at θB = 45°, where cos 2θB = 0: π-polarized X-rays are not
  // diffracted there, and every π evaluation gives R = 0.
  bool PiReflects() const { return piReflects_; }

  // What the scan loops (BraggScan) evaluate the standard theory with.
  const bragg_waves::Constants& ConstantsOf(Polarization p) const { return p == Polarization::Sigma ? sigma_ : pi_; }
  Complex D0() const { return d0_; }  // −χ0/(2γ0)
  double SinAlpha() const { return sinAlpha_; }
  double CosAlpha() const { return cosAlpha_; }
  // B·|X|² on the plateau of total reflection: |χh|/|χ−h|.
  double Plateau(Polarization p) const { return p == Polarization::Sigma ? plateauSigma_ : plateauPi_; }

  // Results of the last evaluation.
  double Reflectivity() const { return reflectivity_; }
  double Transmissivity() const { return transmissivity_; }
  double SpecularReflectivity() const { return specular_; }
  double BackDiffracted() const { return backDiffracted_; }  // Th of a rigorous finite plate
  // Exit glancing angle; valid only when HasExitBeam(). Found from its
  // cosine on request: many callers never ask, and the arc cosine costs a
  // third of a standard evaluation.
  double ExitAngle() const { return hasExit_ ? std::acos(exitCosine_) : 0.0; }
  bool HasExitBeam() const { return hasExit_; }
  Complex DiffractedAmplitude() const { return diffractedAmplitude_; }
  Complex SpecularAmplitude() const { return specularAmplitude_; }
  Complex TransmittedAmplitude() const { return transmittedAmplitude_ * ExpTwoPi(transmittedPhase_); }
  int DecayingWaveCount() const { return decayingWaves_; }
  // The penetration depth (Å) at the point of the last evaluation, found on
  // the way: by the standard theory after ReflectSemiInfinite and
  // ReflectFinite, by the rigorous theory after ReflectRigorousSemiInfinite
  // and ReflectRigorousFinite (not after the eigenvalue form). It equals
  // what PenetrationDepth or PenetrationDepthRigorous would return there.
  double LastPenetrationDepth() const {
    return attenuation_ > 0 ? depthLambda_ / (4.0 * core::kPi * attenuation_) : 0.0;
  }

 private:
  using Constants = bragg_waves::Constants;
  struct Waves : bragg_waves::Waves {
    double lambda;
  };
  struct Grazing {
    double lambda, hz, ci, si, ce, se;
  };

  void ResetResults();
  bool Prepare(Polarization p, const GlancingAngle& incidence, double energy, Waves& waves);
  bool PrepareGrazing(double incidence, double energy, Grazing& g);
  void Quartic(Polarization p, const Grazing& g, std::array<Complex, 4>& roots);
  void Residual(Polarization p, const Grazing& g, Complex u, Complex& value, Complex& slope) const;
  struct BoundaryTerms {
    Complex x, a, aBack, b, bBack;
  };
  BoundaryTerms BoundaryOf(Polarization p, const Grazing& g, Complex u) const;
  double NoPiReflection(double energy, double thickness);
  double EffectiveThickness(double thickness) const { return thickness < 0 ? thickness_ : thickness; }

  // Inputs.
  double energy_, d_, alpha_, thickness_;
  Complex chi0_, chih_, chimh_, chihPi_, chimhPi_;
  // Geometry.
  double thetaB_ = 0, sinAlpha_ = 0, cosAlpha_ = 0, gamma0_ = 0, ratioB_ = 0, cos2ThetaB_ = 0;
  bool piReflects_ = true;
  double plateauSigma_ = 1, plateauPi_ = 1;
  double centreShift_ = 0, widthSigma_ = 0, widthPi_ = 0, extinctionSigma_ = 0, extinctionPi_ = 0;
  Constants sigma_{}, pi_{};
  Complex d0_{};
  // Last results.
  double reflectivity_ = 0, transmissivity_ = 0, specular_ = 0, backDiffracted_ = 0, exitCosine_ = 1;
  // The penetration depth is depthLambda_/(4π·attenuation_), found on request.
  double attenuation_ = 0, depthLambda_ = 0;
  // λ and λ/d of the last energy evaluated.
  double lastEnergy_ = std::nan(""), lastLambda_ = 0, lastQ_ = 0;
  bool hasExit_ = false;
  Complex diffractedAmplitude_{}, specularAmplitude_{};
  // The transmitted amplitude is transmittedAmplitude_·ExpTwoPi(transmittedPhase_);
  // T needs only the modulus of the phase factor, a real exponential.
  Complex transmittedAmplitude_{}, transmittedPhase_{};
  int decayingWaves_ = 0;
  // Work storage of the eigenvalue form; fixed size, so copies allocate nothing.
  arma::cx_mat::fixed<4, 4> eigenMatrix_;
  arma::cx_mat::fixed<4, 4> eigenVectors_;
  arma::cx_vec::fixed<4> eigenValues_;
};

}  // namespace velto::twobeam
