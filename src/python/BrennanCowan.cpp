// The two programs over the Brennan–Cowan engine: the atomic scattering
// factors of one element, and the structure factors of a crystal.
#include <pybind11/complex.h>
#include <pybind11/stl.h>

#include <complex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/TextNumbers.h"
#include "core/Units.h"
#include "crystal/ElementTable.h"
#include "crystal/Susceptibility.h"
#include "programs/energy_dialogs/ChangeWavelengthForm.h"
#include "programs/form_factor/FormFactorForm.h"
#include "programs/structure_factor/StructureFactorForm.h"
#include "python/Bindings.h"
#include "python/CallGuard.h"
#include "python/FormSession.h"

namespace velto::python {
namespace py = pybind11;

namespace {

// What the form showed since `from`, one message a line, as velto-cli
// prints it before it ends.
std::string MessagesSince(const PythonUserInterface& ui, std::size_t from) {
  std::string joined;
  for (std::size_t i = from; i < ui.messages.size(); ++i) {
    if (!joined.empty()) joined += '\n';
    joined += Trimmed(ui.messages[i].text);
  }
  return joined;
}

int ElementNumber(const std::variant<int, std::string>& element) {
  if (const int* z = std::get_if<int>(&element)) return *z >= 1 && *z <= crystal::ElementTable::kCount ? *z : 0;
  return crystal::ElementTable::Find(std::get<std::string>(element));
}

struct FormFactorResult {
  std::string element;
  int z = 0;
  double energyKev = 0, thetaDeg = 0, sinThetaOverLambda = 0;
  double f0 = 0, f1 = 0, f2 = 0, fCompton = 0, fReal = 0, fImaginary = 0;
};

FormFactorResult FormFactor(const std::variant<int, std::string>& element, double energyKev, double thetaDeg) {
  const int z = ElementNumber(element);
  if (z == 0) Refuse(programs::kInvalidElementMessage);
  FormSession session(false);
  programs::FormFactorForm form(session.App(), programs::FormFactorStartOf(session.App().DefaultEnergy(), 0, 0, 0, 0),
                                {});
  // Without a crystal the list holds H..U, one row per atomic number.
  form.SelectElement(z - 1);
  form.EnergyEdited(FieldText(energyKev));
  form.ThetaEdited(FieldText(thetaDeg));
  form.Calculate(session.Ui());
  const auto& values = form.Values();
  // The dialog or the engine has said why.
  if (!values) Refuse(MessagesSince(session.Ui(), 0));
  session.Publish();
  FormFactorResult r;
  r.element = std::string(crystal::ElementTable::Symbol(z));
  r.z = z;
  r.energyKev = form.EnergyEv() / core::kEvPerKev;
  r.thetaDeg = form.ThetaDegrees();
  r.sinThetaOverLambda = programs::SinThetaOverLambda(form.ThetaDegrees(), form.Wavelength());
  r.f0 = values->f0;
  r.f1 = values->fPrime;
  r.f2 = values->fDoublePrime;
  r.fCompton = values->compton;
  r.fReal = values->realPart();
  r.fImaginary = values->imaginaryPart();
  return r;
}

struct StructureFactorsResult {
  std::string crystal;
  double energyKev = 0, temperatureK = 0;
  Hkl hkl{};
  std::optional<double> d, thetaBDeg;
  py::dict structureFactors, moduli, phasesDeg, chi;
  double muPerMicrometre = 0;
  std::optional<double> penetrationMicrometres;
  std::optional<std::string> clipboard;
};

const char* const kNames[] = {"F0", "Fh", "F-h", "Fh_pi", "F-h_pi"};
const char* const kChiNames[] = {"chi0", "chih", "chimh", "chihp", "chimhp"};

StructureFactorsResult StructureFactors(const Crystal& crystal, const Hkl& hkl, double energyKev) {
  using programs::StructureFactorForm;
  using F = programs::StructureFactorField;
  FormSession session(false);
  PythonUserInterface& ui = session.Ui();
  StructureFactorForm form(session.App());
  // A file the form cannot use is reported by the file flow, and then by
  // "Calculate !!!", as the window reports it.
  ui.QueueOpenFile(crystal.Path());
  form.ImportStructure(ui);

  const std::string energy = FieldText(energyKev);
  ui.QueueDialog<programs::ChangeWavelengthForm>(
      [&energy](programs::ChangeWavelengthForm& dialog, programs::UserInterface& inner) {
        dialog.EnergyEdited(energy);
        return dialog.Ok(inner) ? programs::DialogResult::Ok : programs::DialogResult::Cancel;
      });
  const std::size_t shownBefore = ui.messages.size();
  form.PhotonEnergy(ui);
  if (ui.messages.size() != shownBefore) Refuse(MessagesSince(ui, 0));

  form.Field(F::Temperature).text = FieldText(crystal.Temperature());
  form.TemperatureLeft();
  form.Field(F::H).text = std::to_string(hkl[0]);
  form.Field(F::K).text = std::to_string(hkl[1]);
  form.Field(F::L).text = std::to_string(hkl[2]);
  form.Calculate(ui);
  if (form.Stale()) Refuse(MessagesSince(ui, 0));
  if (form.Results()->reflection) form.CopyChi(ui);
  session.Publish();

  const programs::StructureFactorResults& results = *form.Results();
  std::vector<std::complex<double>> f = {results.f0}, chi = {results.chi0};
  if (results.reflection) {
    f.insert(f.end(), results.reflection->structureFactor.begin(), results.reflection->structureFactor.end());
    chi.insert(chi.end(), results.reflection->chi.begin(), results.reflection->chi.end());
  }
  StructureFactorsResult r;
  r.crystal = form.Structure().name;
  r.energyKev = form.EnergyEv() / core::kEvPerKev;
  r.temperatureK = form.Temperature();
  r.hkl = hkl;
  if (results.reflectionRequested) r.d = results.dSpacing;
  if (results.braggAngle) r.thetaBDeg = *results.braggAngle / core::kDegree;
  for (std::size_t i = 0; i < f.size(); ++i) {
    const auto polar = crystal::ModulusPhase(f[i]);
    r.structureFactors[kNames[i]] = f[i];
    r.moduli[kNames[i]] = polar.modulus;
    r.phasesDeg[kNames[i]] = polar.phaseDegrees;
    r.chi[kChiNames[i]] = chi[i];
  }
  r.muPerMicrometre = results.absorption;
  r.penetrationMicrometres = results.penetrationDepth;
  if (!ui.clipboard.empty()) r.clipboard = ui.clipboard;
  return r;
}

}  // namespace

void BindBrennanCowan(py::module_& m) {
  py::class_<FormFactorResult>(m, "FormFactor", "The atomic scattering factors velto-cli ff prints.")
      .def_readonly("element", &FormFactorResult::element)
      .def_readonly("z", &FormFactorResult::z)
      .def_readonly("energy_kev", &FormFactorResult::energyKev)
      .def_readonly("theta_deg", &FormFactorResult::thetaDeg)
      .def_readonly("sin_theta_over_lambda", &FormFactorResult::sinThetaOverLambda)
      .def_readonly("f0", &FormFactorResult::f0)
      .def_readonly("f1", &FormFactorResult::f1)
      .def_readonly("f2", &FormFactorResult::f2)
      .def_readonly("f_cmpt", &FormFactorResult::fCompton)
      .def_readonly("f_real", &FormFactorResult::fReal)
      .def_readonly("f_imag", &FormFactorResult::fImaginary);
  m.def("form_factor", &FormFactor, py::arg("element"), py::arg("energy_kev") = core::kCuKalpha1Kev,
        py::arg("theta_deg") = 0.0,
        "f0, f', f'', f_cmpt of one element (symbol or atomic number) from the Brennan-Cowan engine, "
        "as the scattering-factor dialog and velto-cli ff compute them.");

  py::class_<StructureFactorsResult>(m, "StructureFactors", "What velto-cli sf --json prints.")
      .def_readonly("crystal", &StructureFactorsResult::crystal)
      .def_readonly("energy_kev", &StructureFactorsResult::energyKev)
      .def_readonly("temperature_k", &StructureFactorsResult::temperatureK)
      .def_property_readonly(
          "hkl", [](const StructureFactorsResult& r) { return py::make_tuple(r.hkl[0], r.hkl[1], r.hkl[2]); })
      .def_readonly("d", &StructureFactorsResult::d)
      .def_readonly("theta_b_deg", &StructureFactorsResult::thetaBDeg)
      .def_readonly("structure_factors", &StructureFactorsResult::structureFactors)
      .def_readonly("moduli", &StructureFactorsResult::moduli)
      .def_readonly("phases_deg", &StructureFactorsResult::phasesDeg)
      .def_readonly("chi", &StructureFactorsResult::chi)
      .def_readonly("mu_per_um", &StructureFactorsResult::muPerMicrometre)
      .def_readonly("penetration_um", &StructureFactorsResult::penetrationMicrometres)
      .def_readonly("clipboard", &StructureFactorsResult::clipboard);
  m.def("structure_factors", &StructureFactors, py::arg("crystal"), py::arg("hkl"),
        py::arg("energy_kev") = core::kCuKalpha1Kev,
        "Structure factors F0, Fh, F-h (and their pi values), chi, absorption and penetration depth from the "
        "Brennan-Cowan engine, as the structure-factor program and velto-cli sf compute them. hkl 0 0 0: forward "
        "only.");
}

}  // namespace velto::python
