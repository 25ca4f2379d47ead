#include "multicrystal/Monochromator.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "core/Units.h"
#include "crystal/Bragg.h"
#include "multicrystal/ConvolutionInput.h"
#include "twobeam/BraggCrystal.h"
#include "twobeam/BraggScan.h"
#include "twobeam/CurveScan.h"

namespace velto::multicrystal {
namespace {

namespace field = monochromator_field;
using twobeam::BraggCrystal;
using twobeam::Polarization;

// Energy-scan points at or below this photon energy (eV) are left at 0 (a
// scan that reaches 0 eV is refused before it starts).
constexpr double kLowestEnergy = 1.0;
constexpr double kSmallestPhi = 1e-12;        // degrees
constexpr double kSmallestProposal = 1e-9;    // arcsec

bool Within(double value, double low, double high) { return value >= low && value <= high; }
bool InsideHalfTurn(double angle) { return angle > 0 && angle < core::kPi; }

std::optional<Refusal> CheckCrystal(const CrystalReflection& crystal, double energy, double asymmetryDegrees,
                                    const char* braggField, const char* asymmetryField, double& braggAngle) {
  const auto angle = crystal::BraggAngle(energy, crystal.d);
  if (!angle) return Refusal{kNoDiffractionMessage, core::MessageIcon::None, braggField};
  if (std::fabs(asymmetryDegrees * core::kDegree) >= *angle)
    return Refusal{kOffcutMessage, core::MessageIcon::None, asymmetryField};
  braggAngle = *angle;
  return std::nullopt;
}

struct Crystals {
  BraggCrystal first, second;
};

Crystals BuildCrystals(const MonochromatorInput& in) {
  return {BraggCrystal(in.energy, in.first.d, in.firstAsymmetry * core::kDegree, -1, in.first.chi),
          BraggCrystal(in.energy, in.second.d, in.secondAsymmetry * core::kDegree, -1, in.second.chi)};
}

double Reflect(BraggCrystal& crystal, Polarization p, double incidence, double energy, bool rigorous) {
  return rigorous ? crystal.ReflectRigorousSemiInfinite(p, incidence, energy)
                  : crystal.ReflectSemiInfinite(p, incidence, energy);
}

double SecondIncidence(double exit1, double totalOrientation, bool nonDispersive) {
  return nonDispersive ? exit1 - totalOrientation : core::kPi - totalOrientation - exit1;
}

// The standard theory's scan a block of points at a time: both crystals
// through the vector kernel, at the angles the point-by-point loop computes.
void ScanBlocks(const MonochromatorInput& in, const MonochromatorGeometry& g, double step,
                const twobeam::BraggScanKernel& firstKernel, const twobeam::BraggScanKernel& secondKernel,
                MonochromatorCurve& curve) {
  const int n = in.points;
  const bool angular = in.mode == ScanMode::Angular;
  const bool nonDispersive = in.arrangement == Arrangement::NonDispersive;
  const twobeam::AngleSweep sweep(g.incidence0, in.from, step, core::kArcsecond);
  const BraggCrystal::GlancingAngle fixed =
      BraggCrystal::GlancingAngle::Of(g.incidence0 + in.deltaOmega * core::kArcsecond);
  auto first = std::make_unique<twobeam::BraggScanPoints>();
  auto second = std::make_unique<twobeam::BraggScanPoints>();
  std::vector<char> passes(twobeam::BraggScanPoints::kCapacity);
  for (int start = 0; start < n; start += twobeam::BraggScanPoints::kCapacity) {
    const int count = std::min(n - start, twobeam::BraggScanPoints::kCapacity);
    if (angular) {
      // The library's sine and cosine: a double-crystal scan is short, and
      // so the first crystal's curve is its single-point curve to the bit.
      for (int m = 0; m < count; ++m) {
        const BraggCrystal::GlancingAngle angle = BraggCrystal::GlancingAngle::Of(sweep.Angle(start + m));
        first->radians[m] = angle.radians;
        first->sine[m] = angle.sine;
        first->cosine[m] = angle.cosine;
      }
      first->SetEnergy(count, in.energy);
    } else {
      for (int m = 0; m < count; ++m) {
        const double energy = in.energy + in.from + (start + m) * step;
        // A point without photons is put outside (0, π): zeros.
        const bool photons = energy > kLowestEnergy;
        first->energy[m] = photons ? energy : in.energy;
        first->radians[m] = photons ? fixed.radians : 0.0;
        first->sine[m] = fixed.sine;
        first->cosine[m] = fixed.cosine;
      }
    }
    firstKernel.Evaluate(*first, count, true);
    for (int m = 0; m < count; ++m) {
      const double theta2 = SecondIncidence(first->exitAngle[m], g.totalOrientation, nonDispersive);
      // Without an exit beam there is nothing to follow to the second crystal.
      passes[m] = first->hasExit[m] != 0 && InsideHalfTurn(theta2);
      const BraggCrystal::GlancingAngle angle = BraggCrystal::GlancingAngle::Of(passes[m] ? theta2 : 0.0);
      second->radians[m] = angle.radians;
      second->sine[m] = angle.sine;
      second->cosine[m] = angle.cosine;
      second->energy[m] = first->energy[m];
    }
    secondKernel.Evaluate(*second, count, true);
    for (int m = 0; m < count; ++m) {
      if (!passes[m]) continue;
      const int i = start + m;
      double r1 = first->reflectivity[m];
      if (in.firstChannelCut) r1 = r1 * r1;
      double r2 = second->reflectivity[m];
      if (in.secondChannelCut) r2 = r2 * r2;
      curve.trace.values[i] = in.onlyFirst ? r1 : r1 * r2;
      if (second->hasExit[m] != 0) curve.deviation[i] = second->exitAngle[m] - g.exit0;
    }
  }
}

}  // namespace

std::variant<MonochromatorGeometry, Refusal> CheckMonochromatorGeometry(const MonochromatorInput& in) {
  if (!Within(in.firstAsymmetry, -kMaxAsymmetryDegrees, kMaxAsymmetryDegrees))
    return NumberOutOfLimits(-kMaxAsymmetryDegrees, kMaxAsymmetryDegrees, field::kFirstAsymmetry);
  if (!Within(in.secondAsymmetry, -kMaxAsymmetryDegrees, kMaxAsymmetryDegrees))
    return NumberOutOfLimits(-kMaxAsymmetryDegrees, kMaxAsymmetryDegrees, field::kSecondAsymmetry);
  if (in.points < kMinScanPoints || in.points > kMaxScanPoints)
    return IntegerOutOfLimits(kMinScanPoints, kMaxScanPoints, field::kPoints);
  if (!in.first.defined) return Refusal{kNoFirstCrystalMessage, core::MessageIcon::None, field::kDefineFirst};
  if (!in.second.defined) return Refusal{kNoSecondCrystalMessage, core::MessageIcon::None, field::kDefineSecond};

  MonochromatorGeometry g;
  if (auto refusal = CheckCrystal(in.first, in.energy, in.firstAsymmetry, field::kFirstBragg, field::kFirstAsymmetry,
                                  g.firstBragg))
    return *refusal;
  if (auto refusal = CheckCrystal(in.second, in.energy, in.secondAsymmetry, field::kSecondBragg,
                                  field::kSecondAsymmetry, g.secondBragg))
    return *refusal;

  const double phi1 = in.firstAsymmetry * core::kDegree;
  const double phi2 = in.secondAsymmetry * core::kDegree;
  const double phi = in.arrangement == Arrangement::NonDispersive
                         ? g.firstBragg + phi1 - (g.secondBragg - phi2)
                         : core::kPi - g.firstBragg - phi1 - (g.secondBragg - phi2);
  g.phi = phi / core::kDegree;
  if (std::fabs(g.phi) < kSmallestPhi) g.phi = 0;
  g.totalOrientation = g.phi * core::kDegree + in.deltaPhi * core::kArcsecond;
  g.incidence0 = g.firstBragg - phi1;
  g.exit0 = g.secondBragg + phi2;
  return g;
}

std::variant<MonochromatorResult, Refusal> ComputeMonochromatorScan(const MonochromatorInput& in) {
  auto checked = CheckMonochromatorGeometry(in);
  if (auto* refusal = std::get_if<Refusal>(&checked)) return *refusal;
  MonochromatorResult result;
  result.geometry = std::get<MonochromatorGeometry>(checked);
  const MonochromatorGeometry& g = result.geometry;
  if (!Within(in.to - in.from, kMinScanRange, kMaxScanRange))
    return Refusal{kRockingRangeMessage, core::MessageIcon::None, field::kFrom};
  if (in.mode == ScanMode::Energy && twobeam::ReachesNoPhotons(in.energy, std::min(in.from, in.to)))
    return Refusal{twobeam::kNoPhotonEnergyMessage, core::MessageIcon::None, field::kFrom};

  const int n = in.points;
  MonochromatorCurve curve;
  try {
    curve.trace.values.assign(n, 0.0);
    curve.deviation.assign(n, 0.0);
  } catch (const std::bad_alloc&) {
    return Refusal{kNoMemoryMessage, core::MessageIcon::None, ""};
  }
  const double step = (in.to - in.from) / (n - 1);
  Crystals crystals = BuildCrystals(in);
  const Polarization p = in.polarization;
  const bool angular = in.mode == ScanMode::Angular;
  const bool nonDispersive = in.arrangement == Arrangement::NonDispersive;

  const twobeam::BraggScanKernel firstKernel(crystals.first, p, -1), secondKernel(crystals.second, p, -1);
  if (!in.rigorous && firstKernel.Usable() && secondKernel.Usable()) {
    ScanBlocks(in, g, step, firstKernel, secondKernel, curve);
  } else {
    for (int i = 0; i < n; ++i) {
      double theta1, energy;
      if (angular) {
        energy = in.energy;
        theta1 = g.incidence0 + (in.from + i * step) * core::kArcsecond;
        if (!InsideHalfTurn(theta1)) continue;
      } else {
        energy = in.energy + in.from + i * step;
        theta1 = g.incidence0 + in.deltaOmega * core::kArcsecond;
        if (energy <= kLowestEnergy) continue;
      }
      double r1 = Reflect(crystals.first, p, theta1, energy, in.rigorous);
      // Without an exit beam there is nothing to follow to the second crystal.
      if (!crystals.first.HasExitBeam()) continue;
      if (in.firstChannelCut) r1 = r1 * r1;
      const double exit1 = crystals.first.ExitAngle();
      const double theta2 = SecondIncidence(exit1, g.totalOrientation, nonDispersive);
      if (!InsideHalfTurn(theta2)) continue;
      double r2 = Reflect(crystals.second, p, theta2, energy, in.rigorous);
      if (in.secondChannelCut) r2 = r2 * r2;
      curve.trace.values[i] = in.onlyFirst ? r1 : r1 * r2;
      if (crystals.second.HasExitBeam()) curve.deviation[i] = crystals.second.ExitAngle() - g.exit0;
    }
  }

  const HalfMaximum half = FindHalfMaximum(curve.trace.values);
  if (!(half.maximum > kSmallestPeak)) return result;
  curve.mode = in.mode;
  curve.trace.from = in.from;
  curve.trace.to = in.to;
  curve.trace.step = step;
  curve.trace.count = n;
  curve.trace.peak = half.maximum;
  curve.trace.reference = angular ? g.incidence0 : in.energy;
  curve.exit0 = g.exit0;
  result.analysis = AnalyseMonochromatorCurve(curve.trace);
  result.curve = std::move(curve);
  return result;
}

MonochromatorAnalysis AnalyseMonochromatorCurve(const CurveTrace& trace) {
  const HalfMaximum half = FindHalfMaximum(trace.values);
  MonochromatorAnalysis a;
  a.maximum = half.maximum;
  a.maxPosition = trace.Coordinate(half.maxIndex);
  if (!half.hasWidth || !(half.WidthInSamples() > 0)) return a;
  a.hasWidth = true;
  a.left = trace.from + half.left * trace.step;
  a.right = trace.from + half.right * trace.step;
  a.fwhm = half.WidthInSamples() * trace.step;
  a.centre = trace.from + half.CentreIndex() * trace.step;
  a.centreReflectivity = ValueAt(trace.values, half.CentreIndex());
  return a;
}

std::variant<AutoSetProposal, Refusal> ProposeAutoSet(const MonochromatorInput& in) {
  auto checked = CheckMonochromatorGeometry(in);
  if (auto* refusal = std::get_if<Refusal>(&checked)) return *refusal;
  const MonochromatorGeometry& g = std::get<MonochromatorGeometry>(checked);
  Crystals crystals = BuildCrystals(in);
  BraggCrystal& c1 = crystals.first;
  // The standard theory's peak lies at the analytical centre shift; the
  // exit beam there leaves at θB + φ1 + dΩ1p (dΩ1p = dΩ1/|b|).
  c1.ReflectSemiInfinite(Polarization::Sigma, g.incidence0 + c1.CentreShift(), 0);
  const double exitShift = c1.ExitAngle() - c1.ExitAtBragg();
  const double secondShift = crystals.second.CentreShift();
  const double deltaPhi = in.arrangement == Arrangement::NonDispersive ? exitShift - secondShift
                                                                         : -exitShift - secondShift;
  AutoSetProposal proposal;
  proposal.phi = g.phi;
  proposal.deltaPhi = deltaPhi / core::kArcsecond;
  if (std::fabs(proposal.deltaPhi) < kSmallestProposal) proposal.deltaPhi = 0;
  proposal.deltaOmega = c1.CentreShift() / core::kArcsecond;
  return proposal;
}

double MonochromatorExportIncidence(const MonochromatorCurve& curve, int i, AngleUnit unit, bool absolute) {
  const double x = curve.trace.Coordinate(i);
  const double reference = curve.trace.reference;
  if (curve.mode == ScanMode::Energy) return absolute ? reference + x : x;
  switch (unit) {
    case AngleUnit::Microradian:
      return absolute ? (x * core::kArcsecond + reference) * 1000000 : x * core::kArcsecond * 1000000;
    case AngleUnit::Degree:
      return absolute ? x / 3600 + reference / core::kDegree : x / 3600;
    case AngleUnit::Arcsecond:
      break;
  }
  return absolute ? x + reference / core::kDegree * 3600 : x;
}

double MonochromatorExportExit(const MonochromatorCurve& curve, int i, AngleUnit unit, bool absolute) {
  const double deviation = curve.deviation[static_cast<std::size_t>(i)];
  return InAngleUnit(absolute ? deviation + curve.exit0 : deviation, unit);
}

}  // namespace velto::multicrystal
