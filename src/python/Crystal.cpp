#include "python/Crystal.h"

#include <pybind11/complex.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <array>
#include <charconv>
#include <cmath>
#include <string_view>
#include <system_error>

#include "core/Units.h"
#include "crystal/Bragg.h"
#include "crystal/CifImport.h"
#include "crystal/Susceptibility.h"
#include "programs/crystal_dialog/ReflectionChecks.h"
#include "programs/ui/FormSession.h"
#include "python/CallGuard.h"

namespace velto::python {
namespace py = pybind11;

Crystal Crystal::Load(const std::filesystem::path& path, double temperature) {
  // velto-cli's numeric options refuse what is not finite before anything runs.
  if (!std::isfinite(temperature)) Refuse("The temperature must be a finite number of K.");
  // The number as Python would write it, in the fewest digits that give it back.
  std::array<char, 32> text{};
  const auto written = std::to_chars(text.data(), text.data() + text.size(), temperature);
  RefuseIf(programs::CheckTemperature(temperature, std::string_view(text.data(), written.ptr - text.data())));
  Crystal crystal;
  crystal.temperature_ = temperature;
  // The programs driven through their forms read the file again, perhaps
  // after the script has changed its working directory.
  std::error_code error;
  crystal.path_ = std::filesystem::absolute(path, error);
  if (error) crystal.path_ = path;
  RecordingNotifier notifier;
  crystal::StructFileFailure failure;
  if (!crystal::LoadStructureFile(crystal.structure_, path, crystal.temperature_, DataDirectory(), notifier,
                                  &failure)) {
    Refuse(programs::UnreadableStructureMessage(path, failure));
  }
  notifier.Publish();
  return crystal;
}

double Crystal::D(const Hkl& hkl) const {
  RefuseIf(programs::CheckMillerIndices(hkl));
  return structure_.DSpacing(hkl[0], hkl[1], hkl[2]);
}

ChiResult ComputeChi(const Crystal& crystal, const Hkl& hkl, double energyKev) {
  ChiResult r;
  const double energyEv = energyKev * core::kEvPerKev;
  RefuseIf(programs::CheckPhotonEnergy(energyEv));
  if (!crystal.Structure().IsLoaded()) Refuse(programs::kNoStructureMessage);
  RefuseIf(programs::CheckMillerIndices(hkl));
  crystal::CrystalStructure structure = crystal.Structure();
  RecordingNotifier notifier;
  r.name = structure.name;
  r.energyKev = energyKev;
  r.temperature = crystal.Temperature();
  r.hkl = hkl;
  r.d = structure.DSpacing(hkl[0], hkl[1], hkl[2]);
  const std::optional<double> braggAngle = crystal::BraggAngle(energyEv, r.d);
  r.bragg = braggAngle.has_value();
  if (braggAngle) r.thetaBDeg = *braggAngle / core::kDegree;
  if (programs::TooSmallForBragg(core::WavelengthOf(energyEv) / (2 * r.d)))
    notifier.Notify(programs::kTooSmallForBraggMessage, core::MessageIcon::Warning);
  notifier.Publish();
  RefuseIf(programs::CheckAtomicDataEnergy(energyEv));

  const crystal::ReflectionChi chi =
      crystal::ComputeReflectionChi(structure, energyEv, hkl[0], hkl[1], hkl[2], notifier);
  // The atomic data have said why (an energy outside their tables).
  if (chi.Failed()) Refuse(notifier.Joined());
  notifier.Publish();
  r.chi0 = chi.chi0;
  r.chih = chi.chih;
  r.chimh = chi.chimh;
  r.chihp = chi.chihPi;
  r.chimhp = chi.chimhPi;
  const double chiPerF = crystal::ChiPerStructureFactor(structure, energyEv);
  r.f0 = chi.chi0 / chiPerF;
  r.fh = chi.chih / chiPerF;
  r.fmh = chi.chimh / chiPerF;
  r.muPerMicrometre = crystal::AbsorptionOf(chi.chi0.imag(), energyEv);
  if (r.muPerMicrometre > 0) r.penetrationMicrometres = 1.0 / r.muPerMicrometre;
  return r;
}

void BindCrystal(py::module_& m) {
  py::class_<Crystal>(m, "Crystal", "A crystal read from a structure file at one temperature.")
      .def_static("load", &Crystal::Load, py::arg("path"), py::arg("temperature") = 293.15,
                  "Reads a structure file; the temperature (K) sets the Debye-Waller factors.")
      .def_property_readonly("name", [](const Crystal& c) { return c.Structure().name; })
      .def_property_readonly("temperature", &Crystal::Temperature)
      .def_property_readonly("path", &Crystal::Path)
      .def_property_readonly(
          "defined", [](const Crystal& c) { return c.Structure().IsLoaded(); },
          "Whether the file gave atoms (a lattice alone still has d-spacings).")
      .def("d", &Crystal::D, py::arg("hkl"), "The d-spacing of the reflection h k l in angstrom.")
      .def("chi", &ComputeChi, py::arg("hkl"), py::arg("energy_kev"),
           "The five susceptibility components, the structure factors and the absorption of one reflection.")
      .def("__repr__", [](const Crystal& c) {
        return "<velto.Crystal '" + c.Structure().name + "' at " + std::to_string(c.Temperature()) + " K>";
      });

  py::class_<ChiResult>(m, "Chi", "What velto-cli chi prints for one reflection, in its units.")
      .def_readonly("name", &ChiResult::name)
      .def_readonly("energy_kev", &ChiResult::energyKev)
      .def_readonly("temperature", &ChiResult::temperature)
      .def_property_readonly("hkl", [](const ChiResult& r) { return py::make_tuple(r.hkl[0], r.hkl[1], r.hkl[2]); })
      .def_readonly("d", &ChiResult::d)
      .def_readonly("theta_b_deg", &ChiResult::thetaBDeg)
      .def_readonly("bragg", &ChiResult::bragg)
      .def_readonly("chi0", &ChiResult::chi0)
      .def_readonly("chih", &ChiResult::chih)
      .def_readonly("chimh", &ChiResult::chimh)
      .def_readonly("chihp", &ChiResult::chihp)
      .def_readonly("chimhp", &ChiResult::chimhp)
      .def_property_readonly(
          "components", [](const ChiResult& r) { return py::make_tuple(r.chi0, r.chih, r.chimh, r.chihp, r.chimhp); })
      .def_readonly("f0", &ChiResult::f0)
      .def_readonly("fh", &ChiResult::fh)
      .def_readonly("fmh", &ChiResult::fmh)
      .def_readonly("mu_per_um", &ChiResult::muPerMicrometre)
      .def_readonly("penetration_um", &ChiResult::penetrationMicrometres);
}

}  // namespace velto::python
