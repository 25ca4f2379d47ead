#pragma once
#include <vector>

#include "twobeam/Polarization.h"

namespace velto::twobeam {

// What a single-crystal scan varies: the incidence angle at a fixed energy,
// or the photon energy at a fixed incidence angle.
enum class ScanKind { RockingCurve, EnergyScan };

// How one scan is computed: the sampled coordinate, the fixed one and the
// choice of theory. Internal units (eV, Å, radians).
struct ScanSetting {
  ScanKind kind = ScanKind::RockingCurve;
  int points = 0;
  double start = 0;  // first deviation: radians of incidence angle, or eV
  double step = 0;
  double displayStart = 0;  // the same in arcseconds or eV, for drawing and export
  double displayStep = 0;
  double fixedEnergy = 0;     // rocking curve: E0 + offset (eV)
  double fixedIncidence = 0;  // energy scan: θB − α + offset (rad)
  Polarization polarization = Polarization::Sigma;
  double thickness = -1;  // Å; ≤ 0 is a semi-infinite Bragg crystal
  bool rigorous = false;  // Bragg case only
};

// The stored result of one scan. Points whose angle or energy is out of
// range, or that have no exit beam, keep their zeros.
struct CurveSet {
  ScanKind kind = ScanKind::RockingCurve;
  int points = 0;
  double start = 0, step = 0;                // internal coordinate of point i: start + i·step
  double displayStart = 0, displayStep = 0;  // arcseconds or eV
  double fixedEnergy = 0;
  double fixedIncidence = 0;

  std::vector<double> reflectivity;
  std::vector<double> exitDeviation;   // θe − (θB + α), radians
  std::vector<double> transmissivity;  // finite thickness only
  std::vector<double> depth;           // penetration depth in Å, Bragg case only
  std::vector<double> specular;        // rigorous theory only

  int failedPoints = 0;   // points whose computation failed; they hold zeros
  double minDepth = -1;   // Å; −1 when not defined
  double extinction = 0;  // extinction length (Bragg) or Pendellösung distance (Laue), Å

  bool drawReflectivity = true;
  bool drawTransmissivity = false;

  bool HasData() const { return !reflectivity.empty(); }
  double Coordinate(int i) const { return start + i * step; }
  double DisplayCoordinate(int i) const { return displayStart + i * displayStep; }

  // N zeroed points in every array; false (and no data) when memory runs out.
  bool Allocate(int n);
  void Release();
};

}  // namespace velto::twobeam
