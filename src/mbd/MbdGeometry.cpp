#include "mbd/MbdGeometry.h"

#include <algorithm>
#include <cmath>

#include "core/Units.h"

namespace velto::mbd {

std::string_view FrameMessage(FrameStatus status) {
  switch (status) {
    case FrameStatus::Ok:
      return {};
    case FrameStatus::NoCrystal:
      return "You have to Define/Import a crystal structure and select the Primary Reflection!";
    case FrameStatus::ReferenceNotSet:
      return "Horizontal Reference Direction has not been defined!";
    case FrameStatus::ReferenceNotPerpendicular:
      return "The Horizontal Reference Direction is not perpendicular to the Primary Reflection!";
    case FrameStatus::PrincipalAzimuthNotSet:
      return "The Principal Azimuth Angle of Incidence has not been set!";
    case FrameStatus::SurfaceNotEntered:
      return "It seems that the Crystal Surface Offcut made the Incidence Angle with respect to the Surface "
             "negative. Please check!";
  }
  return {};
}

double MbdGeometry::ClampOffcut(double degrees) {
  if (std::isnan(degrees)) return 0;
  return std::clamp(degrees, -180.0, 180.0);
}

double MbdGeometry::ReduceOffcutAzimuth(double degrees) {
  if (!std::isfinite(degrees)) return 0;
  // fmod removes whole turns and keeps the sign: 725 → 5, −360 → 0, 359 stays.
  return std::fmod(degrees, 360.0) + 0.0;
}

double MbdGeometry::ReducePrincipalAzimuth(double degrees) {
  if (!std::isfinite(degrees)) return 0;
  double reduced = std::fmod(degrees, 360.0);
  if (reduced > 180) reduced -= 360;
  if (reduced <= -180) reduced += 360;
  return reduced + 0.0;
}

FrameStatus MbdGeometry::Build(bool crystalDefined, const LatticeBasis& lattice, Miller g, Vec3 reference,
                               double offcutDeg, double offcutAzimuthDeg) {
  if (!crystalDefined || IsOrigin(g)) return FrameStatus::NoCrystal;
  if (reference.x == 0 && reference.y == 0 && reference.z == 0) return FrameStatus::ReferenceNotSet;
  const Vec3 gVector = lattice.Reciprocal(g);
  const Vec3 hVector = lattice.Reciprocal(reference.x, reference.y, reference.z);
  if (!(std::fabs(Dot(gVector, hVector)) <= 1e-10)) return FrameStatus::ReferenceNotPerpendicular;

  lattice_ = lattice;
  g_ = g;
  reference_ = reference;
  gHat_ = gVector / Norm(gVector);
  hHat_ = hVector / Norm(hVector);
  cHat_ = Cross(gHat_, hHat_);

  const double offcut = ClampOffcut(offcutDeg);
  const double azimuth = ReduceOffcutAzimuth(offcutAzimuthDeg);
  surfaceChanged_ = std::fabs(offcut - offcutDeg_) > 1e-10 || std::fabs(azimuth - offcutAzimuthDeg_) > 1e-10;
  offcutDeg_ = offcut;
  offcutAzimuthDeg_ = azimuth;

  const double alpha = offcut * core::kDegree;
  const double phiA = azimuth * core::kDegree;
  normal_ = std::cos(alpha) * gHat_ + std::sin(alpha) * (std::cos(phiA) * hHat_ + std::sin(phiA) * cHat_);
  surfaceW_ = std::cos(phiA) * cHat_ - std::sin(phiA) * hHat_;
  surfaceX_ = Cross(surfaceW_, normal_);
  SetEnergy(energy_);
  return FrameStatus::Ok;
}

void MbdGeometry::SetEnergy(double energyEv) {
  energy_ = energyEv;
  const double d = IsOrigin(g_) ? 0.0 : lattice_.DSpacing(g_);
  const double sine = energyEv > 0 && d > 0 ? core::WavelengthOf(energyEv) / (2 * d) : 2.0;
  hasBraggAngle_ = sine <= 1;
  thetaB_ = hasBraggAngle_ ? std::asin(sine) : core::kPi / 2;
}

void MbdGeometry::SetPrincipalAzimuth(std::optional<double> degrees) {
  principalAzimuthDeg_.reset();
  if (degrees) principalAzimuthDeg_ = ReducePrincipalAzimuth(*degrees);
}

Vec3 MbdGeometry::IncidentDirection(double theta, double phi) const {
  return std::cos(theta) * (std::cos(phi) * hHat_ + std::sin(phi) * cHat_) - std::sin(theta) * gHat_;
}

Vec3 MbdGeometry::Sigma(double phi) const { return std::cos(phi) * cHat_ - std::sin(phi) * hHat_; }

Vec3 MbdGeometry::Pi(double theta, double phi) const {
  return std::sin(theta) * (std::cos(phi) * hHat_ + std::sin(phi) * cHat_) + std::cos(theta) * gHat_;
}

FrameStatus MbdGeometry::CheckIncidence() const {
  if (!principalAzimuthDeg_) return FrameStatus::PrincipalAzimuthNotSet;
  return Enters(thetaB_, *principalAzimuthDeg_ * core::kDegree) ? FrameStatus::Ok : FrameStatus::SurfaceNotEntered;
}

void MbdGeometry::DirectVectorsInSolverFrame(Vec3& a1, Vec3& a2, Vec3& a3) const {
  a1 = ToSolverFrame(lattice_.a1);
  a2 = ToSolverFrame(lattice_.a2);
  a3 = ToSolverFrame(lattice_.a3);
}

double MbdGeometry::BraggAngleOf(Miller g) const {
  const double d = lattice_.DSpacing(g);
  if (!(d > 0) || !(energy_ > 0)) return kNoAngle;
  const double sine = core::WavelengthOf(energy_) / (2 * d);
  return sine > 1 ? kNoAngle : std::asin(sine);
}

AzimuthRoots MbdGeometry::ReflectionAzimuths(Miller g, double thetaI) const {
  const Vec3 gVector = lattice_.Reciprocal(g);
  const Vec3 unit = gVector / Norm(gVector);
  const double cosB = std::cos(thetaB_);
  return SolveAzimuthEquation(Dot(unit, hHat_) * cosB, Dot(unit, cHat_) * cosB,
                              std::sin(thetaI) - std::sin(thetaB_) * Dot(unit, gHat_));
}

}  // namespace velto::mbd
