#include "python/RockingCurve.h"

#include <pybind11/stl.h>

#include <cmath>
#include <string>
#include <utility>

#include "core/TextNumbers.h"
#include "core/Units.h"
#include "crystal/Susceptibility.h"
#include "programs/crystal_dialog/ReflectionChecks.h"
#include "programs/curve_export/CurveExport.h"
#include "programs/single_crystal/SingleCrystalCalculation.h"
#include "python/Arrays.h"
#include "python/CallGuard.h"
#include "python/FormSession.h"

namespace velto::python {
namespace py = pybind11;
using twobeam::ScanKind;

namespace {

std::optional<double> ShownIf(bool shown, double value) { return shown ? std::optional<double>(value) : std::nullopt; }

py::object ArrayOrNone(bool available, std::vector<double>& values) {
  if (!available) {
    std::vector<double>().swap(values);
    return py::none();
  }
  return OwningArray(std::move(values));
}

}  // namespace

RockingCurveResult RockingCurve(const Crystal& crystal, const Hkl& hkl, double energyKev, bool laue,
                                const std::string& polarization, const std::string& scan, double offset,
                                const std::optional<std::pair<double, double>>& range, int points, double asymmetryDeg,
                                const std::optional<double>& thicknessUm, bool rigorous) {
  programs::SingleCrystalInputs in;
  in.laue = laue;
  in.energy = energyKev * core::kEvPerKev;
  RefuseIf(programs::CheckPhotonEnergy(in.energy));
  RefuseIf(programs::CheckAtomicDataEnergy(in.energy));
  if (polarization != "sigma" && polarization != "pi") Refuse("polarization takes 'sigma' or 'pi'.");
  if (scan != "angle" && scan != "energy") Refuse("scan takes 'angle' or 'energy'.");
  RefuseIf(programs::CheckRigorousTheory(laue, rigorous));
  RefuseIf(programs::CheckMillerIndices(hkl));

  RecordingNotifier notifier;
  crystal::CrystalStructure structure = crystal.Structure();
  // A crystal without atoms is refused by the form's own check.
  in.crystalDefined = structure.IsLoaded();
  in.dSpacing = structure.DSpacing(hkl[0], hkl[1], hkl[2]);
  if (in.crystalDefined) {
    in.chi = crystal::ComputeReflectionChi(structure, in.energy, hkl[0], hkl[1], hkl[2], notifier);
    // The atomic data have said why (an energy outside their tables).
    if (in.chi.Failed()) Refuse(notifier.Joined());
  }

  in.polarization = polarization == "pi" ? twobeam::Polarization::Pi : twobeam::Polarization::Sigma;
  in.scanKind = scan == "energy" ? ScanKind::EnergyScan : ScanKind::RockingCurve;
  in.rigorous = rigorous;
  in.offsetText = FieldText(offset);
  // The defaults of the form (and of velto-cli) depend on the scan and the case.
  const programs::ScanRangeTexts defaults = programs::DefaultScanRange(in.scanKind);
  in.fromText = range ? FieldText(range->first) : defaults.from;
  in.toText = range ? FieldText(range->second) : defaults.to;
  in.pointsText = std::to_string(points);
  in.asymmetryText = FieldText(asymmetryDeg);
  in.thicknessText = thicknessUm ? FieldText(*thicknessUm) : programs::DefaultThicknessText(laue);

  auto prepared = programs::PrepareSingleCrystal(in);
  if (auto* refusal = std::get_if<programs::Refusal>(&prepared)) Refuse(refusal->message);
  const programs::PreparedCalculation& p = std::get<programs::PreparedCalculation>(prepared);

  programs::SingleCrystalOutcome o = RunInterruptible(
      [&p, &notifier](core::Progress& progress) { return programs::RunSingleCrystal(p, notifier, progress); });
  notifier.Publish();
  if (o.status == twobeam::ScanStatus::OutOfMemory) {
    PyErr_SetString(PyExc_MemoryError, Trimmed(programs::kNoMemoryMessage).c_str());
    throw py::error_already_set();
  }

  RockingCurveResult r;
  const bool rocking = p.scan.kind == ScanKind::RockingCurve;
  r.scan = rocking ? "angle" : "energy";
  r.laue = p.laue;
  r.points = p.scan.points;
  r.thetaBDeg = p.braggAngle / core::kDegree;
  if (p.laue) {
    r.b = twobeam::LaueCrystal(p.energy, p.dSpacing, p.asymmetry, p.scan.thickness, p.chi).AsymmetryFactor();
  } else {
    r.b = -twobeam::BraggCrystal(p.energy, p.dSpacing, p.asymmetry, p.scan.thickness, p.chi).AsymmetryRatio();
  }
  r.failedPoints = o.curve.failedPoints;

  const twobeam::CurveAnalysis& a = o.analysis;
  const bool shown = a.HasWidth() && o.curve.HasData();
  const double scanUnit = rocking ? core::kArcsecond : 1.0;  // internal units per display unit
  r.maxR = ShownIf(shown, a.maxR);
  r.xMax = ShownIf(shown, a.xMax / scanUnit);
  r.xMaxExit = ShownIf(shown, a.dMax / core::kArcsecond);
  r.rCentre = ShownIf(shown, a.rCentre);
  r.xCentre = ShownIf(shown, a.xCentre / scanUnit);
  r.xCentreExit = ShownIf(shown, a.dCentre / core::kArcsecond);
  r.fwhm = ShownIf(shown, a.fwhm / scanUnit);
  r.fwhmExit = ShownIf(shown, a.fwhmExit / core::kArcsecond);
  r.xLeft = ShownIf(shown, a.xLeft / scanUnit);
  r.xRight = ShownIf(shown, a.xRight / scanUnit);
  r.absMax = ShownIf(shown, a.absMax);
  r.absCentre = ShownIf(shown, a.absCentre);
  r.analyticShift = ShownIf(shown && rocking, a.analyticShift / core::kArcsecond);
  r.analyticFwhm = ShownIf(shown && rocking && !p.laue && a.analyticFwhm > 0, a.analyticFwhm / core::kArcsecond);
  r.duMondSlope = ShownIf(shown, a.duMondSlope);
  r.minDepthUm = ShownIf(shown && !p.laue && a.minDepth > 0, a.minDepth / core::kAngstromPerMicrometre);
  r.extinctionUm = ShownIf(shown && a.extinction > 0, a.extinction / core::kAngstromPerMicrometre);

  // The columns the export dialog offers for this curve are the arrays that
  // hold something; the others are None rather than zeros.
  programs::ExportAvailability availability;
  availability.laue = p.laue;
  availability.transmissivityAvailable = p.thicknessMicrometres > 0;
  availability.rigorous = p.scan.rigorous;
  availability.kind = o.curve.kind;
  const programs::CurveExportDialog columns(availability);
  twobeam::CurveSet& c = o.curve;
  std::vector<double> x(static_cast<std::size_t>(c.HasData() ? c.points : 0));
  for (std::size_t i = 0; i < x.size(); ++i) x[i] = c.DisplayCoordinate(static_cast<int>(i));
  for (double& exit : c.exitDeviation) exit /= core::kArcsecond;
  for (double& depth : c.depth) depth /= core::kAngstromPerMicrometre;
  r.x = OwningArray(std::move(x));
  r.r = OwningArray(std::move(c.reflectivity));
  r.exit = OwningArray(std::move(c.exitDeviation));
  r.t = ArrayOrNone(columns.TransmissivityEnabled(), c.transmissivity);
  r.depth = ArrayOrNone(columns.DepthEnabled(), c.depth);
  r.specular = ArrayOrNone(columns.SpecularEnabled(), c.specular);

  if (r.failedPoints > 0) {
    notifier.Notify(programs::FailedPointsMessage(r.failedPoints, r.points), core::MessageIcon::Warning);
    notifier.Publish();
  }
  return r;
}

void BindRockingCurve(py::module_& m) {
  py::class_<RockingCurveResult>(m, "RockingCurveResult",
                                 "A rocking curve or energy scan with the analysis velto-cli rc prints.")
      .def_readonly("x", &RockingCurveResult::x)
      .def_readonly("r", &RockingCurveResult::r)
      .def_readonly("t", &RockingCurveResult::t)
      .def_readonly("exit", &RockingCurveResult::exit)
      .def_readonly("depth", &RockingCurveResult::depth)
      .def_readonly("specular", &RockingCurveResult::specular)
      .def_readonly("scan", &RockingCurveResult::scan)
      .def_readonly("laue", &RockingCurveResult::laue)
      .def_readonly("points", &RockingCurveResult::points)
      .def_readonly("failed_points", &RockingCurveResult::failedPoints)
      .def_readonly("theta_b_deg", &RockingCurveResult::thetaBDeg)
      .def_readonly("b", &RockingCurveResult::b)
      .def_readonly("max_r", &RockingCurveResult::maxR)
      .def_readonly("x_max", &RockingCurveResult::xMax)
      .def_readonly("x_max_exit", &RockingCurveResult::xMaxExit)
      .def_readonly("r_centre", &RockingCurveResult::rCentre)
      .def_readonly("x_centre", &RockingCurveResult::xCentre)
      .def_readonly("x_centre_exit", &RockingCurveResult::xCentreExit)
      .def_readonly("fwhm", &RockingCurveResult::fwhm)
      .def_readonly("fwhm_exit", &RockingCurveResult::fwhmExit)
      .def_readonly("x_left", &RockingCurveResult::xLeft)
      .def_readonly("x_right", &RockingCurveResult::xRight)
      .def_readonly("abs_max", &RockingCurveResult::absMax)
      .def_readonly("abs_centre", &RockingCurveResult::absCentre)
      .def_readonly("analytic_shift", &RockingCurveResult::analyticShift)
      .def_readonly("analytic_fwhm", &RockingCurveResult::analyticFwhm)
      .def_readonly("dumond_slope", &RockingCurveResult::duMondSlope)
      .def_readonly("min_depth_um", &RockingCurveResult::minDepthUm)
      .def_readonly("extinction_um", &RockingCurveResult::extinctionUm);

  m.def("rocking_curve", &RockingCurve, py::arg("crystal"), py::arg("hkl"), py::arg("energy_kev"), py::kw_only(),
        py::arg("laue") = false, py::arg("polarization") = "sigma", py::arg("scan") = "angle", py::arg("offset") = 0.0,
        py::arg("range") = py::none(), py::arg("points") = 2001, py::arg("asymmetry_deg") = 0.0,
        py::arg("thickness_um") = py::none(), py::arg("rigorous") = false,
        "A rocking curve (scan='angle', arcsec) or energy scan (scan='energy', eV) of one two-beam reflection, "
        "computed and analysed as velto-cli rc does.");
}

}  // namespace velto::python
