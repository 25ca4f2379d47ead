#pragma once
#include <optional>
#include <string_view>

#include "mbd/AzimuthEquation.h"
#include "mbd/LatticeBasis.h"
#include "mbd/Vec3.h"

namespace velto::mbd {

// Why the frame of a multiple-beam computation cannot be built.
enum class FrameStatus {
  Ok,
  NoCrystal,                  // no crystal defined, or no primary reflection
  ReferenceNotSet,            // the horizontal reference direction was never given
  ReferenceNotPerpendicular,  // H does not lie in the Bragg plane of G
  PrincipalAzimuthNotSet,     // the azimuth of incidence field is empty
  SurfaceNotEntered,          // the offcut turns the incident beam away from the surface
};

// The program's own text for a refusal; empty for Ok.
std::string_view FrameMessage(FrameStatus status);

// The laboratory frame of one multiple-beam window: built on the primary
// reflection G and the horizontal reference direction H (azimuth zero), with
// the crystal surface given by an offcut and its azimuth. All vectors are in
// the Cartesian crystal frame; angles are radians unless a name says Deg.
class MbdGeometry {
 public:
  // Builds the frame. `offcutDeg` is clamped to [−180, 180] and
  // `offcutAzimuthDeg` reduced into (−360, 360); the stored values are
  // available afterwards (the caller writes them back into its fields).
  FrameStatus Build(bool crystalDefined, const LatticeBasis& lattice, Miller g, Vec3 reference, double offcutDeg,
                    double offcutAzimuthDeg);
  // Whether the last successful Build moved the surface (offcut or its
  // azimuth) by more than 1e-10 from the values stored before; such a change
  // invalidates the solver.
  bool SurfaceChanged() const { return surfaceChanged_; }

  // The photon energy (eV) at which Bragg angles and azimuths are taken; θB
  // is π/2 when G has no Bragg angle at that energy.
  void SetEnergy(double energyEv);
  double Energy() const { return energy_; }
  double BraggAngle() const { return thetaB_; }
  bool HasBraggAngle() const { return hasBraggAngle_; }

  // The azimuth of incidence φ0 in degrees, reduced into (−180, 180]; empty
  // means the field is empty.
  void SetPrincipalAzimuth(std::optional<double> degrees);
  std::optional<double> PrincipalAzimuthDeg() const { return principalAzimuthDeg_; }

  static double ClampOffcut(double degrees);
  static double ReduceOffcutAzimuth(double degrees);
  static double ReducePrincipalAzimuth(double degrees);

  // k̂0 for glancing angle θ (from the plane perpendicular to G) and azimuth φ
  // (from Ĥ towards Ĉ), and the σ̂, π̂ polarisation vectors; σ̂ × π̂ = k̂0.
  Vec3 IncidentDirection(double theta, double phi) const;
  Vec3 Sigma(double phi) const;
  Vec3 Pi(double theta, double phi) const;
  // The wave enters the crystal only when k̂0 · n̂ < 0.
  bool Enters(double theta, double phi) const { return Dot(IncidentDirection(theta, phi), normal_) < 0; }
  // The incidence check at (θB, φ0): SurfaceNotEntered or Ok (and
  // PrincipalAzimuthNotSet without φ0).
  FrameStatus CheckIncidence() const;

  // Solver frame: x = x̂s, y = −ŵ, z = −n̂ (z points into the crystal).
  Vec3 ToSolverFrame(Vec3 v) const { return {Dot(v, surfaceX_), -Dot(v, surfaceW_), -Dot(v, normal_)}; }
  Vec3 FromSolverFrame(Vec3 v) const { return v.x * surfaceX_ - v.y * surfaceW_ - v.z * normal_; }
  // The direct lattice vectors a1, a2, a3 in the solver frame.
  void DirectVectorsInSolverFrame(Vec3& a1, Vec3& a2, Vec3& a3) const;

  // The azimuths (degrees) at which reflection g, with Bragg angle θi,
  // is excited together with G at the glancing angle θB.
  AzimuthRoots ReflectionAzimuths(Miller g, double thetaI) const;
  // θi of reflection g at the current energy, or kNoAngle.
  double BraggAngleOf(Miller g) const;

  const LatticeBasis& Lattice() const { return lattice_; }
  Miller PrimaryReflection() const { return g_; }
  Vec3 Reference() const { return reference_; }
  double OffcutDeg() const { return offcutDeg_; }
  double OffcutAzimuthDeg() const { return offcutAzimuthDeg_; }
  Vec3 GHat() const { return gHat_; }
  Vec3 HHat() const { return hHat_; }
  Vec3 CHat() const { return cHat_; }
  Vec3 Normal() const { return normal_; }
  Vec3 SurfaceW() const { return surfaceW_; }
  Vec3 SurfaceX() const { return surfaceX_; }

 private:
  LatticeBasis lattice_;
  Miller g_;
  Vec3 reference_;
  Vec3 gHat_, hHat_, cHat_;
  Vec3 normal_, surfaceW_, surfaceX_;
  double offcutDeg_ = 0;
  double offcutAzimuthDeg_ = 0;
  bool surfaceChanged_ = false;
  double energy_ = 0;
  double thetaB_ = 0;
  bool hasBraggAngle_ = false;
  std::optional<double> principalAzimuthDeg_;
};

}  // namespace velto::mbd
