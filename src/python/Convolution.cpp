#include <pybind11/stl.h>

#include <optional>
#include <string>
#include <vector>

#include "core/Units.h"
#include "programs/convoluted_curve/ConvolutedCurveForm.h"
#include "python/Arrays.h"
#include "python/Bindings.h"
#include "python/CallGuard.h"
#include "python/FormSession.h"
#include "shell/NumberText.h"

namespace velto::python {
namespace py = pybind11;

namespace {

using programs::ConvolutedCurveForm;
using F = programs::ConvolutedCurveField;

// The convoluted curve and what velto-cli conv --json prints with it: the
// fields as the calculation left them, the peak and the FWHM.
struct ConvolutionResult {
  py::object x, values;
  bool curve = false;
  double energyKev = 0;
  double spectrumFwhmEv = 0, spectrumRangeEv = 0, thicknessUm = 0;
  int spectralPoints = 0, divergencePoints = 0, points = 0;
  double fromArcsec = 0, toArcsec = 0, stepArcsec = 0;
  std::optional<double> peak, peakAtArcsec, fwhmArcsec, fwhmDeg, fwhmUrad;
};

ConvolutionResult Convolution(const Crystal* monochromator, const Hkl& monochromatorHkl, const Crystal* sample,
                              const Hkl& sampleHkl, const std::optional<double>& energyKev, bool dcm, bool channelCut,
                              const std::string& geometry, const std::string& polarization, bool rigorous,
                              const std::optional<double>& monochromatorAsymmetryDeg,
                              const std::optional<double>& sampleAsymmetryDeg, const std::optional<double>& thicknessUm,
                              const std::optional<double>& spectrumFwhmEv, const std::optional<double>& spectrumRangeEv,
                              const std::optional<int>& spectralPoints, const std::optional<double>& divergenceUrad,
                              const std::optional<int>& divergencePoints, const std::optional<double>& centreArcsec,
                              const std::optional<std::pair<double, double>>& range, const std::optional<int>& points,
                              bool force) {
  if (geometry != "nondispersive" && geometry != "dispersive")
    Refuse("geometry takes 'nondispersive' or 'dispersive'.");
  if (polarization != "sigma" && polarization != "pi" && polarization != "random")
    Refuse("polarization takes 'sigma', 'pi' or 'random'.");

  FormSession session(force);
  ConvolutedCurveForm form(session.App());
  using programs::UserInterface;
  if (energyKev) session.SetEnergy(FieldText(*energyKev), [&form](UserInterface& ui) { form.PhotonEnergy(ui); });
  session.DefineCrystal(
      monochromator, monochromatorHkl, [&form](UserInterface& ui) { form.DefineMonochromator(ui); },
      [&form]() -> const crystal::CrystalParams& { return form.Monochromator(); });
  session.DefineCrystal(
      sample, sampleHkl, [&form](UserInterface& ui) { form.DefineSample(ui); },
      [&form]() -> const crystal::CrystalParams& { return form.Sample(); });

  // In the order of velto-cli's options, so that a locked field keeps its text alike.
  TypeField(form, F::MonochromatorAsymmetry, monochromatorAsymmetryDeg);
  TypeField(form, F::SampleAsymmetry, sampleAsymmetryDeg);
  TypeField(form, F::SampleThickness, thicknessUm);
  TypeField(form, F::SpectrumFwhm, spectrumFwhmEv);
  TypeField(form, F::SpectrumRange, spectrumRangeEv);
  TypeField(form, F::SpectralPoints, spectralPoints);
  TypeField(form, F::Divergence, divergenceUrad);
  TypeField(form, F::DivergencePoints, divergencePoints);
  TypeField(form, F::AngularCentre, centreArcsec);
  if (range) {
    TypeField(form, F::From, std::optional<double>(range->first));
    TypeField(form, F::To, std::optional<double>(range->second));
  }
  TypeField(form, F::Points, points);
  form.Field(F::Dcm).checked = dcm;
  if (channelCut) form.ClickChannelCut();
  form.SetArrangement(geometry == "dispersive" ? multicrystal::Arrangement::Dispersive
                                               : multicrystal::Arrangement::NonDispersive);
  form.SetPolarization(polarization == "random" ? multicrystal::PolarizationChoice::Random
                       : polarization == "pi"   ? multicrystal::PolarizationChoice::Pi
                                                : multicrystal::PolarizationChoice::Sigma);
  form.Field(F::Rigorous).checked = rigorous;
  session.Run([&form](UserInterface& ui) { form.Calculate(ui); });
  session.Publish();

  ConvolutionResult r;
  const auto text = [&form](F id) { return form.Field(id).text; };
  const std::optional<multicrystal::CurveTrace>& trace = form.Curves().Current();
  const std::optional<multicrystal::ConvolutionAnalysis>& analysis = form.Analysis();
  r.energyKev = form.Energy() / core::kEvPerKev;
  r.spectrumFwhmEv = shell::ParseNumber(text(F::SpectrumFwhm));
  r.spectrumRangeEv = shell::ParseNumber(text(F::SpectrumRange));
  r.spectralPoints = shell::ParseInteger(text(F::SpectralPoints));
  r.divergencePoints = shell::ParseInteger(text(F::DivergencePoints));
  r.thicknessUm = shell::ParseNumber(text(F::SampleThickness));
  r.fromArcsec = shell::ParseNumber(text(F::From));
  r.toArcsec = shell::ParseNumber(text(F::To));
  r.points = shell::ParseInteger(text(F::Points));
  r.stepArcsec = (r.toArcsec - r.fromArcsec) / (r.points - 1);
  r.curve = trace.has_value();
  std::vector<double> x, values;
  if (trace) {
    r.peak = analysis->peak;
    r.peakAtArcsec = trace->Coordinate(analysis->peakIndex);
    x.resize(trace->values.size());
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = trace->Coordinate(static_cast<int>(i));
    // The form keeps its curve (to overlay the next one); this is the one copy.
    values = trace->values;
  }
  if (analysis && analysis->fwhm) {
    const double fwhm = *analysis->fwhm;
    r.fwhmArcsec = fwhm;
    r.fwhmDeg = fwhm / 3600;
    r.fwhmUrad = fwhm * core::kArcsecond * 1000000;
  }
  r.x = OwningArray(std::move(x));
  r.values = OwningArray(std::move(values));
  return r;
}

}  // namespace

void BindConvolution(py::module_& m) {
  py::class_<ConvolutionResult>(m, "ConvolutionResult",
                                "A convoluted rocking curve with what velto-cli conv --json prints.")
      .def_readonly("x", &ConvolutionResult::x)
      .def_readonly("values", &ConvolutionResult::values)
      .def_readonly("curve", &ConvolutionResult::curve)
      .def_readonly("energy_kev", &ConvolutionResult::energyKev)
      .def_readonly("spectrum_fwhm_ev", &ConvolutionResult::spectrumFwhmEv)
      .def_readonly("spectrum_range_ev", &ConvolutionResult::spectrumRangeEv)
      .def_readonly("spectral_points", &ConvolutionResult::spectralPoints)
      .def_readonly("divergence_points", &ConvolutionResult::divergencePoints)
      .def_readonly("thickness_um", &ConvolutionResult::thicknessUm)
      .def_readonly("from_arcsec", &ConvolutionResult::fromArcsec)
      .def_readonly("to_arcsec", &ConvolutionResult::toArcsec)
      .def_readonly("points", &ConvolutionResult::points)
      .def_readonly("step_arcsec", &ConvolutionResult::stepArcsec)
      .def_readonly("peak", &ConvolutionResult::peak)
      .def_readonly("peak_at_arcsec", &ConvolutionResult::peakAtArcsec)
      .def_readonly("fwhm_arcsec", &ConvolutionResult::fwhmArcsec)
      .def_readonly("fwhm_deg", &ConvolutionResult::fwhmDeg)
      .def_readonly("fwhm_urad", &ConvolutionResult::fwhmUrad);

  m.def("convolution", &Convolution, py::arg("monochromator"), py::arg("monochromator_hkl"), py::arg("sample"),
        py::arg("sample_hkl"), py::arg("energy_kev") = py::none(), py::kw_only(), py::arg("dcm") = true,
        py::arg("channel_cut") = false, py::arg("geometry") = "nondispersive", py::arg("polarization") = "sigma",
        py::arg("rigorous") = false, py::arg("monochromator_asymmetry_deg") = py::none(),
        py::arg("sample_asymmetry_deg") = py::none(), py::arg("thickness_um") = py::none(),
        py::arg("spectrum_fwhm_ev") = py::none(), py::arg("spectrum_range_ev") = py::none(),
        py::arg("spectral_points") = py::none(), py::arg("divergence_urad") = py::none(),
        py::arg("divergence_points") = py::none(), py::arg("centre_arcsec") = py::none(), py::arg("range") = py::none(),
        py::arg("points") = py::none(), py::arg("force") = false,
        "The convoluted rocking curve of a sample behind a monochromator in a divergent, polychromatic beam, "
        "computed by the program's form as velto-cli conv does. None: the form's default.");
}

}  // namespace velto::python
