#include "mbd/MbdLineMap.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>

#include "core/TextNumbers.h"
#include "core/Units.h"
#include "mbd/AzimuthEquation.h"
#include "mbd/ReflectionRules.h"

namespace velto::mbd {
namespace {

struct Candidate {
  Miller hkl;
  Vec3 unit;       // ĝ
  double d = 0;    // 1/|g|
  double couplingLength2 = 0;  // |G − g|²
};

// What the sweeps already know about a reflection, indexed by its indices.
enum : unsigned char { kUnknown = 0, kLine = 1, kRejected = 2, kSteep = 3 };

class ReflectionStates {
 public:
  // A box too large to hold is refused as a lack of memory, before its
  // size could wrap around.
  ReflectionStates(int hMax, int kMax, int lMax)
      : hMax_(hMax), kMax_(kMax), lMax_(lMax), kSpan_(2 * std::size_t(kMax) + 1), lSpan_(2 * std::size_t(lMax) + 1) {
    const double size = (2.0 * hMax + 1) * (2.0 * kMax + 1) * (2.0 * lMax + 1);
    if (!(size <= static_cast<double>(states_.max_size()))) throw std::length_error("reflection box");
    states_.assign(static_cast<std::size_t>(size), kUnknown);
  }
  unsigned char& operator[](Miller m) {
    return states_[(std::size_t(m.h + hMax_) * kSpan_ + std::size_t(m.k + kMax_)) * lSpan_ + std::size_t(m.l + lMax_)];
  }

 private:
  int hMax_, kMax_, lMax_;
  std::size_t kSpan_, lSpan_;
  std::vector<unsigned char> states_;
};

// Index bounds are taken in floating point and clamped before they become
// integers: a tiny reciprocal vector must not overflow them.
constexpr double kLargestIndexBound = 1e9;

int TruncatedIndex(double bound) { return static_cast<int>(std::min(bound, kLargestIndexBound)); }

int IndexBound(int limit, double twoOverLambda, double starLength) {
  return TruncatedIndex(std::min(static_cast<double>(limit), twoOverLambda / starLength));
}

// Half the wavelength and the glancing angle of G at `energy` (eV), or
// nothing where G does not diffract.
struct BraggOfG {
  double halfLambda, sinTheta, cosTheta;
};
std::optional<BraggOfG> BraggAt(const MapFrame& frame, double halfLambda) {
  const double sinTheta = halfLambda / frame.dG;
  if (!(halfLambda > 0) || !(sinTheta <= 1)) return std::nullopt;
  return BraggOfG{halfLambda, sinTheta, std::sqrt(1 - sinTheta * sinTheta)};
}

// Reports the share done of a run and asks whether it was cancelled: the
// sweeps take the first 90 %, the tracing the rest.
class MapProgress {
 public:
  explicit MapProgress(core::Progress& progress) : progress_(progress) {}
  bool Step(double fraction) {
    const int percent = static_cast<int>(100 * std::clamp(fraction, 0.0, 1.0));
    if (percent > shown_) progress_.Report(shown_ = percent);
    return !progress_.Cancelled();
  }
  bool Cancelled() const { return progress_.Cancelled(); }

 private:
  core::Progress& progress_;
  int shown_ = 0;
};

constexpr double kSweepShare = 0.9;

// The grazing angle θ(E) of G and the azimuth equation of candidate c.
AzimuthRoots EnergyRoots(const MapFrame& frame, const Candidate& c, double halfLambda, double sinTheta,
                         double cosTheta) {
  return SolveAzimuthEquation(Dot(c.unit, frame.hHat) * cosTheta, Dot(c.unit, frame.cHat) * cosTheta,
                              halfLambda / c.d - sinTheta * Dot(c.unit, frame.gHat));
}

bool InsideOpen(double phi, const MapSettings& s) { return phi > s.phiMin && phi < s.phiMax; }

// The horizontal direction cos φ Ĥ + sin φ Ĉ of azimuth φ (degrees).
Vec3 AzimuthDirection(const MapFrame& frame, double phiDeg) {
  const double phi = phiDeg * core::kDegree;
  return std::cos(phi) * frame.hHat + std::sin(phi) * frame.cHat;
}

// The energy of the MBD line of a reflection at the azimuth whose direction
// is given (computed once per azimuth, not per reflection); `sweep` adds the
// azimuth sweep's guard against the near-degenerate case A ≈ 0, b ≈ 0.
std::optional<double> LineEnergy(const MapFrame& frame, Vec3 unit, double d, Vec3 direction, double energyMin,
                                 double energyMax, bool sweep) {
  const double a = Dot(unit, frame.gHat);
  const double b = Dot(unit, direction);
  const double dG = frame.dG;
  const double bigA = (a * a + b * b) / (4 * dG * dG) + 1 / (4 * d * d) - a / (2 * dG * d);
  if (bigA <= 0) return std::nullopt;
  if (sweep && bigA < 1e-8 && b * b < 1e-8) return std::nullopt;
  const double lambda = std::sqrt(b * b / bigA);
  const double energy = core::kHcEvAngstrom / lambda;
  const double sinTheta = lambda / (2 * dG);
  if (!(sinTheta <= 1)) return std::nullopt;
  const double cosTheta = std::sqrt(1 - sinTheta * sinTheta);
  // The unsquared Bragg condition of g rejects the branch that squaring added.
  if (!(std::fabs(cosTheta * b - sinTheta * a + lambda / (2 * d)) <= 1e-10)) return std::nullopt;
  if (!(energy >= energyMin && energy <= energyMax)) return std::nullopt;
  return energy;
}

Candidate CandidateOf(const MapFrame& frame, Miller m) {
  Candidate c;
  c.hkl = m;
  const Vec3 vector = frame.lattice.Reciprocal(m);
  const double length = Norm(vector);
  c.unit = vector / length;
  c.d = 1 / length;
  const Vec3 coupling = frame.gVector - vector;
  c.couplingLength2 = Dot(coupling, coupling);
  return c;
}

bool Append(ReflectionAzimuthList& list, Miller m, double value1, double value2, core::Notifier& notifier) {
  return list.AppendWithValues(m, value1, value2, notifier);
}

// A map that needs more memory than there is ends as a full list does: the
// person is told, and what was found so far stays.
template <typename Run>
MapStatus Guarded(Run run, core::Notifier& notifier) {
  try {
    return run();
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  notifier.Notify(kOutOfMemoryMessage, core::MessageIcon::Stop);
  return MapStatus::OutOfMemory;
}

}  // namespace

MapFrame ApplyMapSettings(const MapSettings& settings, const LatticeBasis& lattice,
                          crystal::CrystalStructure& crystal, core::Notifier& notifier) {
  MapFrame frame;
  frame.lattice = lattice;
  frame.g = settings.g;
  frame.gVector = lattice.Reciprocal(settings.g);
  const Vec3 h = lattice.Reciprocal(settings.reference.x, settings.reference.y, settings.reference.z);
  frame.gHat = frame.gVector / Norm(frame.gVector);
  frame.hHat = h / Norm(h);
  frame.cHat = Cross(frame.gHat, frame.hHat);
  frame.dG = lattice.DSpacing(settings.g);
  frame.lowestEnergy = core::kHalfHcEvAngstrom / frame.dG;
  frame.aStar = Norm(lattice.b1);
  frame.bStar = Norm(lattice.b2);
  frame.cStar = Norm(lattice.b3);
  frame.gAllowed = settings.diamondMode ? DiamondAllowed(settings.g)
                                        : ChiAllowed(crystal, -1, settings.g, settings.threshold, notifier);
  return frame;
}

std::optional<double> MbdLineEnergy(const MapFrame& frame, Miller g, double phiDeg, double energyMin,
                                    double energyMax) {
  if (IsOrigin(g)) return std::nullopt;
  const Candidate c = CandidateOf(frame, g);
  return LineEnergy(frame, c.unit, c.d, AzimuthDirection(frame, phiDeg), energyMin, energyMax, false);
}

namespace {

MapStatus TraceMap(const MapFrame& frame, const MapSettings& s, crystal::CrystalStructure& crystal, MbdMap& map,
                   core::Notifier& notifier, core::Progress& reporter) {
  constexpr MapStatus kFull = MapStatus::OutOfMemory;
  MapProgress progress(reporter);
  map.Clear();
  const double twoOverLambdaMax = 2 * s.energyMax / core::kHcEvAngstrom;
  const int hMax = IndexBound(s.hLimit, twoOverLambdaMax, frame.aStar);
  const int kMax = IndexBound(s.kLimit, twoOverLambdaMax, frame.bStar);
  const int lMax = IndexBound(s.lLimit, twoOverLambdaMax, frame.cStar);
  if (hMax < 0 || kMax < 0 || lMax < 0) return MapStatus::Completed;

  ReflectionStates states(hMax, kMax, lMax);
  std::vector<Candidate> candidates;
  for (int h = -hMax; h <= hMax; ++h) {
    if (progress.Cancelled()) return MapStatus::Cancelled;
    for (int k = -kMax; k <= kMax; ++k)
      for (int l = -lMax; l <= lMax; ++l) {
        const Miller m{h, k, l};
        if (IsOrigin(m) || m == frame.g) continue;
        if (s.diamondMode && DiamondAllowed(m - frame.g) + DiamondAllowed(m) + frame.gAllowed < 2) continue;
        candidates.push_back(CandidateOf(frame, m));
      }
  }
  // Outside the diamond mode a reflection is traced when it or its coupling
  // g − G is strong enough (with G allowed); each is judged once per map.
  auto strongEnough = [&](Miller m, double energy) {
    return ChiAllowed(crystal, energy, m - frame.g, s.threshold, notifier) +
               ChiAllowed(crystal, energy, m, s.threshold, notifier) + frame.gAllowed >=
           2;
  };

  // Azimuth sweep.
  const double phiStep = s.PhiStep();
  std::vector<Vec3> directions(static_cast<std::size_t>(s.phiPoints));
  for (int i = 0; i < s.phiPoints; ++i) directions[i] = AzimuthDirection(frame, s.phiMin + i * phiStep);
  const double sweeps = static_cast<double>(s.phiPoints) + s.energyPoints;
  for (int i = 0; i < s.phiPoints; ++i) {
    if (!progress.Step(kSweepShare * i / sweeps)) return MapStatus::Cancelled;
    const Vec3 direction = directions[i];
    for (const Candidate& c : candidates) {
      unsigned char& state = states[c.hkl];
      if (state != kUnknown) continue;
      const std::optional<double> energy = LineEnergy(frame, c.unit, c.d, direction, s.energyMin, s.energyMax, true);
      if (!energy) continue;
      const bool strong = s.diamondMode || strongEnough(c.hkl, *energy);
      if (!Append(strong ? map.lines : map.rejected, c.hkl, kNoAngle, kNoAngle, notifier)) return kFull;
      state = strong ? kLine : kRejected;
    }
  }

  // Energy sweep: lines too steep to be met at the azimuth grid points.
  const double energyStep = s.EnergyStep();
  for (int j = 0; j < s.energyPoints; ++j) {
    if (!progress.Step(kSweepShare * (s.phiPoints + j) / sweeps)) return MapStatus::Cancelled;
    const double energy = s.energyMin + j * energyStep;
    const std::optional<BraggOfG> bragg = BraggAt(frame, core::kHalfHcEvAngstrom / energy);
    if (!bragg) continue;
    const auto [halfLambda, sinTheta, cosTheta] = *bragg;
    const double twoOverLambda = 2 * energy / core::kHcEvAngstrom;
    const int hBound = IndexBound(s.hLimit, twoOverLambda, frame.aStar);
    const int kBound = IndexBound(s.kLimit, twoOverLambda, frame.bStar);
    const int lBound = IndexBound(s.lLimit, twoOverLambda, frame.cStar);
    for (const Candidate& c : candidates) {
      if (std::abs(c.hkl.h) > hBound || std::abs(c.hkl.k) > kBound || std::abs(c.hkl.l) > lBound) continue;
      unsigned char& state = states[c.hkl];
      if (state != kUnknown) continue;
      if (halfLambda / c.d > 1 || c.couplingLength2 * halfLambda * halfLambda > 1) continue;
      const AzimuthRoots roots = EnergyRoots(frame, c, halfLambda, sinTheta, cosTheta);
      const bool inside = (roots.count >= 1 && InsideOpen(roots.root1, s)) || (roots.count == 2 && InsideOpen(roots.root2, s));
      if (!inside) continue;
      const bool strong = s.diamondMode || strongEnough(c.hkl, energy);
      if (!Append(strong ? map.steepLines : map.rejected, c.hkl, kNoAngle, kNoAngle, notifier)) return kFull;
      state = strong ? kSteep : kRejected;
    }
  }

  // Tracing the lines along the azimuth grid.
  const double traced = static_cast<double>(map.lines.Count() + map.steepLines.Count());
  for (std::size_t r = 0; r < map.lines.Count(); ++r) {
    if (!progress.Step(kSweepShare + (1 - kSweepShare) * r / traced)) return MapStatus::Cancelled;
    const Candidate c = CandidateOf(frame, map.lines[r].hkl);
    int previous = -1;
    for (int i = 0; i < s.phiPoints; ++i) {
      const double phi = s.phiMin + i * phiStep;
      const std::optional<double> energy = LineEnergy(frame, c.unit, c.d, directions[i], s.energyMin, s.energyMax, false);
      if (!energy) continue;
      if (previous + 1 < i && !Append(map.points, c.hkl, phi, -1, notifier)) return kFull;
      if (!Append(map.points, c.hkl, phi, *energy, notifier)) return kFull;
      previous = i;
    }
    if (!Append(map.points, c.hkl, s.phiMax, -1, notifier)) return kFull;
  }

  // Tracing the steep lines along the energy grid.
  for (std::size_t r = 0; r < map.steepLines.Count(); ++r) {
    if (!progress.Step(kSweepShare + (1 - kSweepShare) * (map.lines.Count() + r) / traced))
      return MapStatus::Cancelled;
    const Candidate c = CandidateOf(frame, map.steepLines[r].hkl);
    bool any = false;
    for (int j = 0; j < s.energyPoints; ++j) {
      const double energy = s.energyMin + j * energyStep;
      const std::optional<BraggOfG> bragg = BraggAt(frame, core::kHalfHcEvAngstrom / energy);
      if (!bragg || bragg->halfLambda / c.d > 1) continue;
      const AzimuthRoots roots = EnergyRoots(frame, c, bragg->halfLambda, bragg->sinTheta, bragg->cosTheta);
      for (int k = 0; k < roots.count; ++k) {
        const double root = k == 0 ? roots.root1 : roots.root2;
        if (!InsideOpen(root, s)) continue;
        if (!Append(map.points, c.hkl, root, energy, notifier)) return kFull;
        any = true;
      }
    }
    if (any && !Append(map.points, c.hkl, s.phiMax, -1, notifier)) return kFull;
  }
  progress.Step(1);
  return MapStatus::Completed;
}

MapStatus TraceSlowMap(const MapFrame& frame, const MapSettings& s, MbdMap& map, core::Notifier& notifier,
                       core::Progress& reporter) {
  constexpr MapStatus kFull = MapStatus::OutOfMemory;
  MapProgress progress(reporter);
  map.points.Clear();
  map.lines.Clear();
  map.steepLines.Clear();
  const double energyStep = s.EnergyStep();
  const long energies = 10L * s.energyPoints;
  for (long j = 0; j < energies; ++j) {
    if (!progress.Step(static_cast<double>(j) / energies)) return MapStatus::Cancelled;
    const double energy = s.energyMin + j * energyStep;
    const std::optional<BraggOfG> bragg = BraggAt(frame, core::kHcEvAngstrom / (2 * energy));
    if (!bragg) continue;
    const auto [halfLambda, sinTheta, cosTheta] = *bragg;
    const double twoOverLambda = 1 / halfLambda;
    const int hMax = TruncatedIndex(twoOverLambda / frame.aStar);
    const int kMax = TruncatedIndex(twoOverLambda / frame.bStar);
    const int lMax = TruncatedIndex(twoOverLambda / frame.cStar);
    for (int h = -hMax; h <= hMax; ++h) {
      // A large cell at a high energy holds many planes of reflections.
      if (progress.Cancelled()) return MapStatus::Cancelled;
      for (int k = -kMax; k <= kMax; ++k)
        for (int l = -lMax; l <= lMax; ++l) {
          const Miller m{h, k, l};
          if (IsOrigin(m) || m == frame.g) continue;
          if (s.diamondMode && DiamondAllowed(m - frame.g) + DiamondAllowed(m) + frame.gAllowed < 2) continue;
          const Candidate c = CandidateOf(frame, m);
          if (halfLambda / c.d > 1 || c.couplingLength2 * halfLambda * halfLambda > 1) continue;
          const AzimuthRoots roots = EnergyRoots(frame, c, halfLambda, sinTheta, cosTheta);
          if (roots.count >= 1 && InsideOpen(roots.root1, s) &&
              !Append(map.points, m, roots.root1, energy, notifier))
            return kFull;
          if (roots.count == 2 && InsideOpen(roots.root2, s)) {
            if (!Append(map.points, m, roots.root2, energy, notifier)) return kFull;
            if (map.lines.AppendBare(m, true, notifier) == ReflectionAzimuthList::Append::OutOfMemory) return kFull;
          }
        }
    }
  }
  progress.Step(1);
  return MapStatus::Completed;
}

}  // namespace

MapStatus ComputeMap(const MapFrame& frame, const MapSettings& settings, crystal::CrystalStructure& crystal,
                     MbdMap& map, core::Notifier& notifier, core::Progress& progress) {
  return Guarded([&] { return TraceMap(frame, settings, crystal, map, notifier, progress); }, notifier);
}

MapStatus ComputeSlowMap(const MapFrame& frame, const MapSettings& settings, MbdMap& map, core::Notifier& notifier,
                         core::Progress& progress) {
  return Guarded([&] { return TraceSlowMap(frame, settings, map, notifier, progress); }, notifier);
}


std::string MapExportText(const MbdMap& map) {
  std::string text;
  for (const ReflectionAzimuthList::Entry& e : map.points.Entries()) {
    if (e.value2 < 0) {
      text += "\n";
      continue;
    }
    text += core::FormatGeneral(e.value1) + ", " + core::FormatGeneral(e.value2) + ",  " + std::to_string(e.hkl.h) +
            ", " + std::to_string(e.hkl.k) + ", " + std::to_string(e.hkl.l) + "\n";
  }
  return text;
}

std::string VerticalLineText(const MapFrame& frame, const MapSettings& settings, const MbdMap& map, double phiDeg,
                             NumberFormatter format) {
  struct Hit {
    double energy;
    Miller hkl;
  };
  std::vector<Hit> hits;
  for (const ReflectionAzimuthList::Entry& e : map.lines.Entries()) {
    const std::optional<double> energy = MbdLineEnergy(frame, e.hkl, phiDeg, settings.energyMin, settings.energyMax);
    if (energy) hits.push_back({*energy, e.hkl});
  }
  std::stable_sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) { return a.energy < b.energy; });
  std::string text;
  for (const Hit& hit : hits)
    text += format(hit.energy, 8) + ",  " + std::to_string(hit.hkl.h) + ", " + std::to_string(hit.hkl.k) + ", " +
            std::to_string(hit.hkl.l) + "\n";
  return text;
}

}  // namespace velto::mbd
