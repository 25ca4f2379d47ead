#pragma once
#include <optional>
#include <string>
#include <vector>

#include "core/Notifier.h"
#include "core/Progress.h"
#include "crystal/CrystalStructure.h"
#include "mbd/LatticeBasis.h"
#include "mbd/MbdResults.h"
#include "mbd/ReflectionAzimuthList.h"

namespace velto::mbd {

// What the MBD-line map is computed from: crystal orientation, index limits
// and the rectangle of the azimuth–energy plane (energies in eV, azimuths in
// degrees).
struct MapSettings {
  Miller g{1, 1, 1};
  Vec3 reference{1, -1, 0};
  bool diamondMode = true;
  double threshold = 1e-8;
  int hLimit = 99, kLimit = 99, lLimit = 99;
  double energyMin = 7000, energyMax = 9000;
  int energyPoints = 51;
  double phiMin = -10, phiMax = 10;
  int phiPoints = 201;

  double EnergyStep() const { return (energyMax - energyMin) / (energyPoints - 1); }
  double PhiStep() const { return (phiMax - phiMin) / (phiPoints - 1); }
};

// The quantities derived when the settings are applied.
struct MapFrame {
  LatticeBasis lattice;
  Miller g;
  Vec3 gHat, hHat, cHat;
  Vec3 gVector;            // Cartesian G without 2π
  double dG = 0;           // Å
  double lowestEnergy = 0; // E0 = hc/(2 dG): below it G does not diffract
  double aStar = 0, bStar = 0, cStar = 0;
  int gAllowed = 1;
};

// Builds the frame: Ĝ, Ĥ, Ĉ = Ĝ × Ĥ, dG, E0, the reciprocal lengths and the
// allowed flag of G (diamond rule in diamond mode, else the χ threshold).
MapFrame ApplyMapSettings(const MapSettings& settings, const LatticeBasis& lattice,
                          crystal::CrystalStructure& crystal, core::Notifier& notifier);

// The four lists of a map. A point with value2 < 0 is a break marker that
// ends the current polyline.
struct MbdMap {
  ReflectionAzimuthList points{2000};
  ReflectionAzimuthList lines{200};       // found by the azimuth sweep
  ReflectionAzimuthList steepLines{200};  // found only by the energy sweep
  ReflectionAzimuthList rejected{200};    // weak by the χ threshold (a cache)
  void Clear() {
    points.Clear();
    lines.Clear();
    steepLines.Clear();
    rejected.Clear();
  }
};

// The energy (eV) of the MBD line of reflection g at azimuth φ (degrees),
// inside [energyMin, energyMax], or nothing.
std::optional<double> MbdLineEnergy(const MapFrame& frame, Miller g, double phiDeg, double energyMin,
                                    double energyMax);

// How a map computation ended. A map that ran out of memory keeps what was
// found so far (and the person was told); a cancelled one is incomplete.
enum class MapStatus { Completed, Cancelled, OutOfMemory };

// Computes the map: an azimuth sweep and an energy sweep find the
// reflections, then each is traced into polylines. The cost grows with the
// candidate reflections and the points found, each handled a fixed number
// of times. `crystal` is changed by the χ tests (f′, f″ and their energy).
MapStatus ComputeMap(const MapFrame& frame, const MapSettings& settings, crystal::CrystalStructure& crystal,
                     MbdMap& map, core::Notifier& notifier, core::Progress& progress);

// The brute-force diagnostic map: 10 nE energies stepped by δE from Emin,
// every reflection inside the limiting sphere (the user limits are not
// applied), points only (no break markers).
MapStatus ComputeSlowMap(const MapFrame& frame, const MapSettings& settings, MbdMap& map, core::Notifier& notifier,
                         core::Progress& progress);

// The export file: per point "φ, E,  h, k, l" ("%g"), an empty line per break.
std::string MapExportText(const MbdMap& map);

// The points of the line reflections on the vertical line φ = phiDeg, in
// ascending energy: "E,  h, k, l" with E in the field format.
std::string VerticalLineText(const MapFrame& frame, const MapSettings& settings, const MbdMap& map, double phiDeg,
                             NumberFormatter format);

}  // namespace velto::mbd
