#pragma once
#include <cmath>
#include <complex>

#include "crystal/CrystalParams.h"
#include "twobeam/ComplexMath.h"
#include "twobeam/Polarization.h"

namespace velto::twobeam {

// One crystal plate in one two-beam reflection, Laue case (the diffracted
// beam leaves through the back surface). Angles are measured from the inward
// surface normal; α is the angle between the reflecting planes and the
// normal. Energies in eV, lengths in Å.
class LaueCrystal {
 public:
  // When λ/(2d) ≥ 1 there is no Bragg angle: the object is not usable
  // (Usable() is false) and every evaluation gives 0. A zero π component
  // is replaced by its σ counterpart, each separately.
  LaueCrystal(double energy, double dSpacing, double asymmetry, double thickness, Complex chi0, Complex chih,
              Complex chimh, Complex chihPi, Complex chimhPi);
  LaueCrystal(double energy, double dSpacing, double asymmetry, double thickness, const crystal::ReflectionChi& chi);

  // Reflectivity at incidence angle θi from the normal and energy E (≤ 0:
  // the construction energy) through `thickness` Å (< 0: the constructed
  // one). Also sets T, the exit angle and the Bragg angle at E.
  double LaueEvaluate(double incidence, double energy, Polarization p, double thickness = -1);

  bool Usable() const { return d_ > 0; }
  double Energy() const { return energy_; }
  double DSpacing() const { return d_; }
  double Asymmetry() const { return alpha_; }
  double Thickness() const { return thickness_; }
  double BraggAngle() const { return thetaB_; }
  double IncidenceAtBragg() const { return thetaB_ - alpha_; }
  double ExitAtBragg() const { return thetaB_ + alpha_; }
  double AsymmetryFactor() const { return b_; }  // b = γh/γ0
  double PolarizationFactor() const { return cos2ThetaB_; }
  bool PiReflects() const { return piReflects_; }
  double CentreShift() const { return centreShift_; }
  // Pendellösung distance in Å; 0 for π when the π reflection vanishes.
  double PendellosungDistance(Polarization p) const { return p == Polarization::Sigma ? pendellosungSigma_ : pendellosungPi_; }

  double Reflectivity() const { return reflectivity_; }
  double Transmissivity() const { return transmissivity_; }
  // Exit angle from the normal; valid only when HasExitBeam().
  double ExitAngle() const { return hasExit_ ? std::asin(exitSine_) : 0.0; }
  bool HasExitBeam() const { return hasExit_; }
  double BraggAngleAtEnergy() const { return braggAngleAtEnergy_; }
  Complex DiffractedAmplitude() const { return diffractedAmplitude_; }
  Complex TransmittedAmplitude() const { return transmittedAmplitude_; }

 private:
  struct Constants {
    Complex p, q0, g, a;
  };

  double energy_, d_, alpha_, thickness_;
  Complex chi0_, chih_, chimh_, chihPi_, chimhPi_;
  double thetaB_ = 0, cos2ThetaB_ = 0, gamma0_ = 0, gammaH_ = 0, b_ = 0, tangential_ = 0;
  bool piReflects_ = true;
  double centreShift_ = 0, pendellosungSigma_ = 0, pendellosungPi_ = 0;
  Constants sigma_{}, pi_{};
  Complex d0_{};

  double reflectivity_ = 0, transmissivity_ = 0, exitSine_ = 0, braggAngleAtEnergy_ = 0;
  bool hasExit_ = false;
  Complex diffractedAmplitude_{}, transmittedAmplitude_{};
};

}  // namespace velto::twobeam
