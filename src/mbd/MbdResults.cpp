#include "mbd/MbdResults.h"

#include <cmath>

#include "core/Units.h"
#include "crystal/Susceptibility.h"

namespace velto::mbd {
namespace {

Complex Project(const ComplexVec3& v, Vec3 u) { return v[0] * u.x + v[1] * u.y + v[2] * u.z; }

ComplexVec3 FromSolverFrame(const MbdGeometry& geometry, const ComplexVec3& h) {
  const Vec3 x = geometry.SurfaceX();
  const Vec3 w = geometry.SurfaceW();
  const Vec3 n = geometry.Normal();
  return {h[0] * x.x - h[1] * w.x - h[2] * n.x, h[0] * x.y - h[1] * w.y - h[2] * n.y,
          h[0] * x.z - h[1] * w.z - h[2] * n.z};
}

}  // namespace

ExitBeam AnalyseExitBeam(const MbdSolver& solver, const MbdGeometry& geometry, const ResultOptions& options, Vec3 k0,
                         Vec3 sigma, Vec3 pi, bool amplitudeValid) {
  const int b = options.beam;
  ExitBeam exit;
  const Complex gamma = solver.Gamma(b);
  exit.r = gamma.real() / solver.Gamma(0).real();
  const double side = options.exitSide ? -1.0 : 1.0;
  exit.direction = solver.Kx(b) * geometry.SurfaceX() - solver.Ky(b) * geometry.SurfaceW() +
                   side * gamma.real() * geometry.Normal();
  Vec3 sigmaB, piB;
  if (b == 0 && options.exitSide) {
    // The forward beam keeps the incident polarisation axes.
    sigmaB = sigma;
    piB = pi;
  } else {
    const Vec3 normal = Cross(k0, exit.direction);
    const double length = Norm(normal);
    if (length <= 1e-12) return exit;
    sigmaB = normal / length;
    piB = Cross(exit.direction, sigmaB);
  }
  exit.basisDefined = true;
  if (!amplitudeValid) return exit;
  const ComplexVec3 h = FromSolverFrame(geometry, solver.ExitAmplitude(options.exitSide));
  const double rotation = options.rotationDeg * core::kDegree;
  const Complex hs = Project(h, sigmaB);
  const Complex hp = Project(h, piB);
  exit.a1 = std::cos(rotation) * hs + std::sin(rotation) * hp;
  exit.a2 = std::cos(rotation) * hp - std::sin(rotation) * hs;
  return exit;
}

void FillPlaneWavePoint(PointResult& point, const ExitBeam& exit, const MbdGeometry& geometry, double value,
                        bool amplitudeValid) {
  point.value = value;
  point.polarisationDefined = exit.basisDefined;
  if (!exit.basisDefined) return;
  if (amplitudeValid) {
    point.component1 = std::norm(exit.a2) * exit.r;
    point.component2 = std::norm(exit.a1) * exit.r;
    const crystal::PolarForm first = crystal::ModulusPhase(exit.a1);
    const crystal::PolarForm second = crystal::ModulusPhase(exit.a2);
    point.amplitude1 = first.modulus;
    point.phase1 = first.phaseDegrees;
    point.amplitude2 = second.modulus;
    point.phase2 = second.phaseDegrees;
  }
  point.kDotH = Dot(exit.direction, geometry.HHat());
  point.kDotC = Dot(exit.direction, geometry.CHat());
  point.kDotG = Dot(exit.direction, geometry.GHat());
}

std::string FormatResultLine(const PointResult& point, const ResultOptions& options, bool convolution,
                             NumberFormatter format) {
  std::string line;
  auto add = [&](double value) {
    if (!line.empty()) line += ", ";
    line += format(value, 8);
  };
  // µrad per arcsec: π/(180·3600)·10⁶.
  const double angleScale = options.microradians ? core::kArcsecond / core::kMicroradian : 1.0;
  if (options.deltaPhi) add(point.deltaPhiArcsec * angleScale);
  if (options.deltaTheta) add(point.deltaThetaArcsec * angleScale);
  if (options.reflectivity) add(point.value);
  if (point.polarisationDefined) {
    if (options.components) {
      add(point.component1);
      add(point.component2);
    }
    if (!convolution && options.amplitudes) {
      add(point.amplitude1);
      add(point.phase1);
      add(point.amplitude2);
      add(point.phase2);
    }
    if (!convolution && options.waveVector) {
      add(point.kDotH);
      add(point.kDotC);
      add(point.kDotG);
    }
  }
  if (!line.empty()) line += "\n";
  return line;
}

}  // namespace velto::mbd
