#include "twobeam/CurveAnalysis.h"

#include <cmath>

#include "core/Units.h"
#include "twobeam/CurveScan.h"

namespace velto::twobeam {
namespace {

constexpr double kNoCurve = 1e-50;
constexpr double kHighestAnalyticBraggAngle = 89.5;  // degrees

struct Evaluated {
  double reflectivity = 0;
  double exitDeviation = 0;
};

// Steps 1 to 7: maximum and half-maximum points. False when the analysis
// ends there.
bool FindWidth(CurveSet& curve, CurveAnalysis& a) {
  const int n = static_cast<int>(curve.reflectivity.size());
  for (int i = 0; i < n; ++i) {
    if (curve.reflectivity[i] > a.maxR) {
      a.maxR = curve.reflectivity[i];
      a.iMax = i;
    }
    if (curve.transmissivity[i] > a.maxT) a.maxT = curve.transmissivity[i];
  }
  if (!(a.maxR > kNoCurve)) {
    curve.Release();
    return false;
  }
  a.hasCurve = true;
  const std::vector<double>& r = curve.reflectivity;
  const double half = a.maxR / 2;
  if (a.iMax > 0 && a.iMax < n - 1) {
    for (int i = a.iMax - 1; i >= 0; --i) {
      if (r[i] <= half) {
        a.iLeft = i + (half - r[i]) / (r[i + 1] - r[i]);
        break;
      }
    }
    if (a.iLeft >= 0) {
      for (int j = a.iMax + 1; j < n; ++j) {
        if (r[j] <= half) {
          a.iRight = j - (half - r[j]) / (r[j - 1] - r[j]);
          break;
        }
      }
    }
    if (a.iRight >= 0) {
      a.widthIndex = a.iRight - a.iLeft;
      a.iCentre = (a.iLeft + a.iRight) / 2;
    }
  }
  return a.widthIndex > 0;
}

// Steps 8 to 11, with `evaluate(x, full)` giving the exit deviation (and,
// when full, the reflectivity of the scan's own theory) at coordinate x.
template <typename Evaluate>
void EvaluateAtPoints(const CurveSet& curve, CurveAnalysis& a, Evaluate evaluate) {
  a.xMax = curve.start + a.iMax * curve.step;
  a.xCentre = curve.start + a.iCentre * curve.step;
  a.xLeft = curve.start + a.iLeft * curve.step;
  a.xRight = curve.start + a.iRight * curve.step;
  a.dMax = evaluate(a.xMax, false).exitDeviation;
  const Evaluated centre = evaluate(a.xCentre, true);
  a.rCentre = centre.reflectivity;
  a.dCentre = centre.exitDeviation;
  a.dLeft = evaluate(a.xLeft, false).exitDeviation;
  a.dRight = evaluate(a.xRight, false).exitDeviation;
  a.fwhm = curve.step * a.widthIndex;
  a.fwhmExit = a.dRight - a.dLeft;
}

void Finish(CurveAnalysis& a, const CurveSet& curve, double energy, double braggAngle, double asymmetry, double d) {
  a.duMondSlope = -2.0 * d * std::cos(braggAngle) * energy * energy / core::kHcEvAngstrom * core::kArcsecond;
  if (curve.kind == ScanKind::RockingCurve) {
    a.absMax = (a.xMax + braggAngle - asymmetry) / core::kDegree;
    a.absCentre = (a.xCentre + braggAngle - asymmetry) / core::kDegree;
  } else {
    a.absMax = (a.xMax + energy) / core::kEvPerKev;
    a.absCentre = (a.xCentre + energy) / core::kEvPerKev;
  }
}

}  // namespace

CurveAnalysis AnalyseCurve(CurveSet& curve, BraggCrystal& crystal, const ScanSetting& setting) {
  CurveAnalysis a;
  a.minDepth = curve.minDepth;
  a.extinction = curve.extinction;
  if (!FindWidth(curve, a)) return a;

  const double exitAtBragg = crystal.ExitAtBragg();
  core::SilentNotifier quiet;
  auto evaluate = [&](double x, bool full) {
    double incidence = setting.fixedIncidence;
    double energy = setting.fixedEnergy;
    if (curve.kind == ScanKind::RockingCurve) {
      incidence = crystal.IncidenceAtBragg() + x;
    } else {
      energy = setting.fixedEnergy + x;
    }
    Evaluated result;
    if (full) {
      // The centre is evaluated like the curve itself, except that the
      // semi-infinite rigorous π case uses the quartic form.
      PointResult point;
      if (setting.rigorous && setting.thickness <= 0) {
        result.reflectivity = crystal.ReflectRigorousSemiInfinite(setting.polarization, incidence, energy);
        point.hasExit = crystal.HasExitBeam();
        point.exitAngle = crystal.ExitAngle();
      } else {
        EvaluateBraggPoint(crystal, setting, incidence, energy, quiet, point);
        result.reflectivity = point.reflectivity;
      }
      if (point.hasExit) result.exitDeviation = point.exitAngle - exitAtBragg;
      return result;
    }
    if (setting.rigorous) {
      crystal.ReflectRigorousSemiInfinite(Polarization::Sigma, incidence, energy);
    } else {
      crystal.ReflectSemiInfinite(Polarization::Sigma, incidence, energy);
    }
    if (crystal.HasExitBeam()) result.exitDeviation = crystal.ExitAngle() - exitAtBragg;
    return result;
  };
  EvaluateAtPoints(curve, a, evaluate);
  Finish(a, curve, crystal.Energy(), crystal.BraggAngle(), crystal.Asymmetry(), crystal.DSpacing());
  if (curve.kind == ScanKind::RockingCurve && crystal.BraggAngle() / core::kDegree < kHighestAnalyticBraggAngle) {
    a.analyticShift = crystal.CentreShift();
    a.analyticFwhm = crystal.DarwinWidth(setting.polarization);
  }
  return a;
}

CurveAnalysis AnalyseCurve(CurveSet& curve, LaueCrystal& crystal, const ScanSetting& setting) {
  CurveAnalysis a;
  a.minDepth = curve.minDepth;
  a.extinction = curve.extinction;
  if (!FindWidth(curve, a)) return a;

  const double exitAtBragg = crystal.ExitAtBragg();
  auto evaluate = [&](double x, bool full) {
    double incidence = setting.fixedIncidence;
    double energy = setting.fixedEnergy;
    if (curve.kind == ScanKind::RockingCurve) {
      incidence = crystal.IncidenceAtBragg() + x;
    } else {
      energy = setting.fixedEnergy + x;
    }
    Evaluated result;
    result.reflectivity = crystal.LaueEvaluate(incidence, energy, full ? setting.polarization : Polarization::Sigma);
    if (crystal.HasExitBeam()) result.exitDeviation = crystal.ExitAngle() - exitAtBragg;
    return result;
  };
  EvaluateAtPoints(curve, a, evaluate);
  Finish(a, curve, crystal.Energy(), crystal.BraggAngle(), crystal.Asymmetry(), crystal.DSpacing());
  if (curve.kind == ScanKind::RockingCurve) a.analyticShift = crystal.CentreShift();
  return a;
}

}  // namespace velto::twobeam
