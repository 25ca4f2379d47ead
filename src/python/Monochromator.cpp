#include <pybind11/stl.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/Units.h"
#include "programs/monochromator/MonochromatorForm.h"
#include "python/Arrays.h"
#include "python/Bindings.h"
#include "python/CallGuard.h"
#include "python/FormSession.h"
#include "shell/NumberText.h"

namespace velto::python {
namespace py = pybind11;

namespace {

using multicrystal::ScanMode;
using programs::MonochromatorForm;
using F = programs::MonochromatorField;

// The curve of the crystal pair and what velto-cli dcm --json prints with
// it, in the scan's units (arcsec, or eV relative to the photon energy).
struct MonochromatorResult {
  py::object x, values, exitDeviationArcsec;
  std::string scan, unit;
  double phiDeg = 0, deltaPhiArcsec = 0, deltaOmegaArcsec = 0;
  double from = 0, to = 0, step = 0;
  int points = 0;
  bool curve = false;
  std::optional<double> max, maxAt, fwhm, centre, centreReflectivity;
  std::optional<std::pair<double, double>> halfMaxima;
  py::object autoSet = py::none();
};

MonochromatorResult Monochromator(
    const Crystal* first, const Hkl& firstHkl, const Crystal* second, const Hkl& secondHkl,
    const std::optional<double>& energyKev, bool firstChannelCut, bool secondChannelCut, const std::string& geometry,
    const std::string& polarization, const std::string& scan, bool onlyFirst, bool rigorous, bool autoSet,
    const std::optional<double>& firstAsymmetryDeg, const std::optional<double>& secondAsymmetryDeg,
    const std::optional<double>& deltaPhiArcsec, const std::optional<double>& deltaOmegaArcsec,
    const std::optional<std::pair<double, double>>& range, const std::optional<int>& points, bool force) {
  if (geometry != "nondispersive" && geometry != "dispersive")
    Refuse("geometry takes 'nondispersive' or 'dispersive'.");
  if (polarization != "sigma" && polarization != "pi") Refuse("polarization takes 'sigma' or 'pi'.");
  if (scan != "angle" && scan != "energy") Refuse("scan takes 'angle' or 'energy'.");

  FormSession session(force);
  MonochromatorForm form(session.App());
  using programs::UserInterface;
  if (energyKev) session.SetEnergy(FieldText(*energyKev), [&form](UserInterface& ui) { form.PhotonEnergy(ui); });
  session.DefineCrystal(
      first, firstHkl, [&form](UserInterface& ui) { form.DefineFirst(ui); },
      [&form]() -> const crystal::CrystalParams& { return form.First(); });
  session.DefineCrystal(
      second, secondHkl, [&form](UserInterface& ui) { form.DefineSecond(ui); },
      [&form]() -> const crystal::CrystalParams& { return form.Second(); });

  form.SetScanMode(scan == "energy" ? ScanMode::Energy : ScanMode::Angular);
  // After the scan mode, so that the range replaces that mode's values; Δω
  // cannot be typed while the angular scan, which does not use it, is shown.
  TypeField(form, F::FirstAsymmetry, firstAsymmetryDeg);
  TypeField(form, F::SecondAsymmetry, secondAsymmetryDeg);
  TypeField(form, F::DeltaPhi, deltaPhiArcsec);
  TypeField(form, F::DeltaOmega, deltaOmegaArcsec);
  if (range) {
    TypeField(form, F::From, std::optional<double>(range->first));
    TypeField(form, F::To, std::optional<double>(range->second));
  }
  TypeField(form, F::Points, points);
  form.Field(F::FirstChannelCut).checked = firstChannelCut;
  form.Field(F::SecondChannelCut).checked = secondChannelCut;
  form.Field(F::OnlyFirst).checked = onlyFirst;
  form.Field(F::Rigorous).checked = rigorous;
  form.SetArrangement(geometry == "dispersive" ? multicrystal::Arrangement::Dispersive
                                               : multicrystal::Arrangement::NonDispersive);
  form.SetPolarization(polarization == "pi" ? twobeam::Polarization::Pi : twobeam::Polarization::Sigma);

  MonochromatorResult r;
  if (autoSet) {
    std::optional<multicrystal::AutoSetProposal> proposal;
    session.Ui().QueueDialog<programs::DcmPhiDialog>([&proposal](programs::DcmPhiDialog& dialog, UserInterface&) {
      proposal = dialog.proposal;
      return programs::DialogResult::Ok;
    });
    session.Run([&form](UserInterface& ui) { form.AutoSet(ui); });
    if (proposal) {
      py::dict taken;
      taken["phi_deg"] = proposal->phi;
      taken["delta_phi_arcsec"] = proposal->deltaPhi;
      taken["delta_omega_arcsec"] = proposal->deltaOmega;
      r.autoSet = taken;
    }
  }
  session.Run([&form](UserInterface& ui) { form.Calculate(ui); });
  session.Publish();

  const auto text = [&form](F id) { return form.Field(id).text; };
  const std::optional<multicrystal::MonochromatorCurve>& curve = form.Curve();
  const multicrystal::MonochromatorAnalysis a = form.Analysis().value_or(multicrystal::MonochromatorAnalysis{});
  const bool width = curve && a.hasWidth;
  const bool energyScan = form.GetScanMode() == ScanMode::Energy;
  r.phiDeg = shell::ParseNumber(text(F::Phi));
  r.deltaPhiArcsec = shell::ParseNumber(text(F::DeltaPhi));
  r.deltaOmegaArcsec = shell::ParseNumber(text(F::DeltaOmega));
  r.scan = energyScan ? "energy" : "angle";
  r.unit = energyScan ? "eV" : "arcsec";
  r.from = shell::ParseNumber(text(F::From));
  r.to = shell::ParseNumber(text(F::To));
  r.points = shell::ParseInteger(text(F::Points));
  r.step = (r.to - r.from) / (r.points - 1);
  r.curve = curve.has_value();
  if (curve) {
    r.max = a.maximum;
    r.maxAt = a.maxPosition;
  }
  if (width) {
    r.fwhm = a.fwhm;
    r.centre = a.centre;
    r.halfMaxima = std::make_pair(a.left, a.right);
    r.centreReflectivity = a.centreReflectivity;
  }
  std::vector<double> x, values, exit;
  if (curve) {
    x.resize(curve->trace.values.size());
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = curve->trace.Coordinate(static_cast<int>(i));
    // The form keeps its curve; this is the one copy.
    values = curve->trace.values;
    exit.reserve(curve->deviation.size());
    for (double deviation : curve->deviation) exit.push_back(deviation / core::kArcsecond);
  }
  r.x = OwningArray(std::move(x));
  r.values = OwningArray(std::move(values));
  r.exitDeviationArcsec = OwningArray(std::move(exit));
  return r;
}

}  // namespace

void BindMonochromator(py::module_& m) {
  py::class_<MonochromatorResult>(m, "MonochromatorResult",
                                  "A double-crystal monochromator curve with what velto-cli dcm --json prints.")
      .def_readonly("x", &MonochromatorResult::x)
      .def_readonly("values", &MonochromatorResult::values)
      .def_readonly("exit_deviation_arcsec", &MonochromatorResult::exitDeviationArcsec)
      .def_readonly("scan", &MonochromatorResult::scan)
      .def_readonly("unit", &MonochromatorResult::unit)
      .def_readonly("phi_deg", &MonochromatorResult::phiDeg)
      .def_readonly("delta_phi_arcsec", &MonochromatorResult::deltaPhiArcsec)
      .def_readonly("delta_omega_arcsec", &MonochromatorResult::deltaOmegaArcsec)
      .def_property_readonly("range", [](const MonochromatorResult& r) { return py::make_tuple(r.from, r.to); })
      .def_readonly("points", &MonochromatorResult::points)
      .def_readonly("step", &MonochromatorResult::step)
      .def_readonly("curve", &MonochromatorResult::curve)
      .def_readonly("max", &MonochromatorResult::max)
      .def_readonly("max_at", &MonochromatorResult::maxAt)
      .def_readonly("fwhm", &MonochromatorResult::fwhm)
      .def_readonly("centre", &MonochromatorResult::centre)
      .def_readonly("half_maxima", &MonochromatorResult::halfMaxima)
      .def_readonly("centre_reflectivity", &MonochromatorResult::centreReflectivity)
      .def_readonly("auto_set", &MonochromatorResult::autoSet);

  m.def("monochromator", &Monochromator, py::arg("first"), py::arg("first_hkl"), py::arg("second"),
        py::arg("second_hkl"), py::arg("energy_kev") = py::none(), py::kw_only(), py::arg("first_channel_cut") = false,
        py::arg("second_channel_cut") = false, py::arg("geometry") = "nondispersive", py::arg("polarization") = "sigma",
        py::arg("scan") = "angle", py::arg("only_first") = false, py::arg("rigorous") = false,
        py::arg("auto_set") = false, py::arg("first_asymmetry_deg") = py::none(),
        py::arg("second_asymmetry_deg") = py::none(), py::arg("delta_phi_arcsec") = py::none(),
        py::arg("delta_omega_arcsec") = py::none(), py::arg("range") = py::none(), py::arg("points") = py::none(),
        py::arg("force") = false,
        "A double-crystal monochromator under a plane wave, rocked as one assembly or scanned in energy, "
        "computed by the program's form as velto-cli dcm does. None: the form's default.");
}

}  // namespace velto::python
