#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <array>
#include <cstddef>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/Units.h"
#include "mbd/MbdScan.h"
#include "programs/multiple_beam/MbdForm.h"
#include "programs/multiple_beam/MbdScript.h"
#include "programs/ui/FormSession.h"
#include "python/Arrays.h"
#include "python/Bindings.h"
#include "python/CallGuard.h"
#include "python/FormSession.h"

namespace velto::python {
namespace py = pybind11;

namespace {

using programs::MbdForm;
using Indices = std::tuple<int, int, int>;
using OptionalAngle = std::optional<double>;

// One beam of the table, as velto-cli mbd prints it.
struct MbdBeam {
  int index = 0;
  Indices hkl{};
  OptionalAngle braggDeg;
  std::pair<OptionalAngle, OptionalAngle> azimuthsDeg;
};

// The scan as grids over Δθ (rows) and Δφ (columns), with what velto-cli mbd
// prints beside its results file.
struct MbdScanResult {
  std::string crystal;
  bool siMode = false;
  double energyKev = 0;
  double thetaBDeg = 0, offcutDeg = 0, offcutAzimuthDeg = 0;
  OptionalAngle azimuthDeg;
  std::vector<MbdBeam> beams;
  int beam = 1;
  bool convolution = false;
  long lines = 0, pointsNotEntering = 0, solverFailures = 0;
  py::object deltaThetaArcsec, deltaPhiArcsec, r;
  py::object rSigma = py::none(), rPi = py::none(), amplitudes = py::none(), waveVector = py::none();
  std::optional<std::filesystem::path> file;
};

// The values of the points a run writes, gathered on its worker into grids
// of Δθ rows and Δφ columns; a grid for each column group the save dialog
// chose. A point that was not written (its incident direction does not
// enter the crystal) stays not-a-number, and so do the groups the results
// file leaves out at an exact back reflection.
class PointGrids {
 public:
  enum Quantity { Value, Sigma, Pi, Amplitude1, Phase1, Amplitude2, Phase2, KDotH, KDotC, KDotG, Count };

  void Start(const mbd::ScanSetup& setup, bool convolution) {
    theta_ = mbd::ThetaAxisArcsec(setup);
    phi_ = mbd::PhiAxisArcsec(setup);
    rows_ = static_cast<py::ssize_t>(theta_.size());
    columns_ = static_cast<py::ssize_t>(phi_.size());
    const mbd::ResultOptions& o = setup.options;
    const bool chosen[Count] = {true,
                                o.components,
                                o.components,
                                !convolution && o.amplitudes,
                                !convolution && o.amplitudes,
                                !convolution && o.amplitudes,
                                !convolution && o.amplitudes,
                                !convolution && o.waveVector,
                                !convolution && o.waveVector,
                                !convolution && o.waveVector};
    const std::size_t size = theta_.size() * phi_.size();
    for (int q = 0; q < Count; ++q) grids_[q].assign(chosen[q] ? size : 0, std::numeric_limits<double>::quiet_NaN());
  }

  void Add(const mbd::PointResult& p) {
    const auto at = static_cast<std::size_t>(p.index);
    grids_[Value][at] = p.value;
    if (!p.polarisationDefined) return;
    const double values[Count] = {p.value,      p.component1, p.component2, p.amplitude1, p.phase1,
                                  p.amplitude2, p.phase2,     p.kDotH,      p.kDotC,      p.kDotG};
    for (int q = Sigma; q < Count; ++q)
      if (!grids_[q].empty()) grids_[q][at] = values[q];
  }

  bool Has(Quantity q) const { return !grids_[q].empty(); }
  // Hands the grid over to numpy (once).
  py::object Take(Quantity q) {
    if (!Has(q)) return py::none();
    return OwningArray(std::move(grids_[q]), rows_, columns_);
  }
  py::object TakeThetaAxis() { return OwningArray(std::move(theta_)); }
  py::object TakePhiAxis() { return OwningArray(std::move(phi_)); }

 private:
  std::vector<double> theta_, phi_;
  py::ssize_t rows_ = 0, columns_ = 0;
  std::array<std::vector<double>, Count> grids_;
};

// Runs a step of the script: its own refusal raises ValueError with its
// words, a refusal of the form with the form's message.
void Require(FormSession& session, const std::function<programs::MbdStep(programs::ScriptedUserInterface&)>& step) {
  std::string refusal;
  session.Require([&](programs::UserInterface&) {
    const programs::MbdStep done = step(session.Ui());
    refusal = done.refusal;
    return done.done || !refusal.empty();
  });
  if (!refusal.empty()) Refuse(refusal);
}

using ConvolutionArguments = std::tuple<double, double, int, double, int, double, int>;

MbdScanResult MbdScan(const Crystal* crystal, const std::optional<Hkl>& hkl, const std::optional<double>& energyKev,
                      const std::optional<std::array<double, 3>>& href, const std::optional<double>& offcutDeg,
                      const std::optional<double>& offcutAzimuthDeg, const std::optional<double>& azimuthDeg,
                      const std::vector<Hkl>& add, bool force, const std::optional<bool>& siMode,
                      const std::optional<double>& thicknessUm, const std::optional<double>& polarizationDeg,
                      const std::optional<std::tuple<double, double, int>>& dtheta,
                      const std::optional<std::tuple<double, double, int>>& dphi, const std::optional<double>& deEv,
                      const std::optional<int>& beam, bool transmission,
                      const std::optional<std::filesystem::path>& chiImport,
                      const std::optional<ConvolutionArguments>& convolution, const std::optional<std::string>& columns,
                      bool microradians, const std::optional<std::filesystem::path>& file) {
  // As velto-cli mbd: force answers the script's questions (a forbidden G,
  // the reflections added), not those of the runs.
  FormSession session(false);
  MbdForm form(session.App());
  PointGrids grids;
  form.ObserveRuns({[&grids](const mbd::ScanSetup& setup, bool isConvolution) { grids.Start(setup, isConvolution); },
                    [&grids](const mbd::PointResult& point) { grids.Add(point); }});

  programs::MbdCrystalEntries crystalEntries;
  crystalEntries.structFile = crystal ? crystal->Path() : DataDirectory() / "Silicon.struct";
  crystalEntries.temperature = FieldText(crystal ? crystal->Temperature() : 293.15);
  if (hkl) crystalEntries.primary = *hkl;
  crystalEntries.energyKev = energyKev;
  crystalEntries.force = force;
  Require(session, [&](auto& ui) { return programs::DefineMbdCrystal(form, ui, crystalEntries); });

  programs::MbdDirectionEntries directions;
  directions.diamondMode = siMode;
  directions.reference = href;
  directions.offcutDeg = offcutDeg.value_or(directions.offcutDeg);
  directions.offcutAzimuthDeg = offcutAzimuthDeg.value_or(directions.offcutAzimuthDeg);
  directions.azimuthDeg = azimuthDeg;
  Require(session, [&](auto& ui) { return programs::SetMbdDirections(form, ui, directions); });

  std::vector<mbd::Miller> leftOut;
  Require(session, [&](auto& ui) {
    return programs::AddMbdReflections(form, ui, add, force,
                                       [&leftOut](const mbd::Miller& m) { leftOut.push_back(m); });
  });
  session.Publish();
  for (const mbd::Miller& m : leftOut) {
    RecordingNotifier notifier;
    notifier.Notify(mbd::IndicesText(m) + " not included (force=True includes it).", core::MessageIcon::Warning);
    notifier.Publish();
  }

  Require(session,
          [&](auto& ui) { return programs::ComputeMbdChi(form, ui, chiImport.value_or(std::filesystem::path())); });

  programs::MbdRunEntries run;
  run.thicknessUm = thicknessUm.value_or(run.thicknessUm);
  run.polarisationDeg = polarizationDeg.value_or(run.polarisationDeg);
  if (dtheta) std::tie(run.thetaFromArcsec, run.thetaToArcsec, run.thetaPoints) = *dtheta;
  if (dphi) std::tie(run.phiFromArcsec, run.phiToArcsec, run.phiPoints) = *dphi;
  run.energyOffsetEv = deEv.value_or(run.energyOffsetEv);
  run.beam = beam.value_or(run.beam);
  run.transmission = transmission;
  run.microradians = microradians;
  run.columns = columns.value_or(run.columns);
  if (convolution) {
    programs::MbdConvolutionEntries& c = run.convolution.emplace();
    std::tie(c.fwhmEv, c.energyRangeEv, c.energyPoints, c.thetaDivergenceUrad, c.thetaPoints, c.phiDivergenceUrad,
             c.phiPoints) = *convolution;
  }
  // Without a file the window's writer still writes every line, to the
  // null device, which it writes to in place.
  run.file = file ? *file : std::filesystem::path("/dev/null");
  Require(session, [&](auto& ui) { return programs::RunMbdScan(form, ui, run); });
  // The window's "finished" note is no news to a script.
  session.Publish(MbdForm::kSuccess);

  MbdScanResult r;
  const mbd::MbdGeometry& geometry = form.Geometry();
  r.crystal = form.Crystal().structure.name;
  r.siMode = form.DiamondMode();
  r.energyKev = form.Energy() / core::kEvPerKev;
  r.thetaBDeg = geometry.BraggAngle() / core::kDegree;
  r.offcutDeg = geometry.OffcutDeg();
  r.offcutAzimuthDeg = geometry.OffcutAzimuthDeg();
  r.azimuthDeg = geometry.PrincipalAzimuthDeg();
  for (const programs::MbdBeamRow& row : programs::MbdBeamTable(form))
    r.beams.push_back(
        {row.index, {row.hkl.h, row.hkl.k, row.hkl.l}, row.braggDeg, {row.azimuthsDeg[0], row.azimuthsDeg[1]}});
  r.beam = run.beam;
  r.convolution = run.convolution.has_value();
  const mbd::ScanSummary& summary = *form.LastRun();
  r.lines = summary.linesEmitted;
  r.pointsNotEntering = summary.pointsSkipped;
  r.solverFailures = summary.solverFailures;
  r.file = file;

  using Q = PointGrids::Quantity;
  r.deltaThetaArcsec = grids.TakeThetaAxis();
  r.deltaPhiArcsec = grids.TakePhiAxis();
  r.r = grids.Take(Q::Value);
  r.rSigma = grids.Take(Q::Sigma);
  r.rPi = grids.Take(Q::Pi);
  if (grids.Has(Q::Amplitude1))
    r.amplitudes = py::make_tuple(grids.Take(Q::Amplitude1), grids.Take(Q::Phase1), grids.Take(Q::Amplitude2),
                                  grids.Take(Q::Phase2));
  if (grids.Has(Q::KDotH))
    r.waveVector = py::make_tuple(grids.Take(Q::KDotH), grids.Take(Q::KDotC), grids.Take(Q::KDotG));

  if (summary.solverFailures > 0) {
    // velto-cli counts the failures among the points of a plane-wave scan;
    // a convolution's are sub-points, too many to name.
    const long total = r.convolution ? 0 : summary.linesEmitted + summary.pointsSkipped;
    RecordingNotifier notifier;
    notifier.Notify(programs::FailedPointsMessage(summary.solverFailures, total), core::MessageIcon::Warning);
    notifier.Publish();
  }
  return r;
}

}  // namespace

void BindMbdScan(py::module_& m) {
  py::class_<MbdBeam>(m, "MbdBeam", "One beam of the multiple-beam table, as velto-cli mbd prints it.")
      .def_readonly("index", &MbdBeam::index)
      .def_readonly("hkl", &MbdBeam::hkl)
      .def_readonly("bragg_deg", &MbdBeam::braggDeg)
      .def_readonly("azimuths_deg", &MbdBeam::azimuthsDeg)
      .def("__repr__", [](const MbdBeam& b) {
        return "<velto.MbdBeam " + std::to_string(b.index) + ": " + std::to_string(std::get<0>(b.hkl)) + " " +
               std::to_string(std::get<1>(b.hkl)) + " " + std::to_string(std::get<2>(b.hkl)) + ">";
      });
  py::class_<MbdScanResult>(m, "MbdScanResult",
                            "A multiple-beam scan as grids over delta theta (rows) and delta phi (columns), with what "
                            "velto-cli mbd prints beside its results file.")
      .def_readonly("crystal", &MbdScanResult::crystal)
      .def_readonly("si_mode", &MbdScanResult::siMode)
      .def_readonly("energy_kev", &MbdScanResult::energyKev)
      .def_readonly("theta_b_deg", &MbdScanResult::thetaBDeg)
      .def_readonly("offcut_deg", &MbdScanResult::offcutDeg)
      .def_readonly("offcut_azimuth_deg", &MbdScanResult::offcutAzimuthDeg)
      .def_readonly("azimuth_deg", &MbdScanResult::azimuthDeg)
      .def_readonly("beams", &MbdScanResult::beams)
      .def_readonly("beam", &MbdScanResult::beam)
      .def_readonly("convolution", &MbdScanResult::convolution)
      .def_readonly("lines", &MbdScanResult::lines)
      .def_readonly("points_not_entering", &MbdScanResult::pointsNotEntering)
      .def_readonly("solver_failures", &MbdScanResult::solverFailures)
      .def_readonly("delta_theta_arcsec", &MbdScanResult::deltaThetaArcsec)
      .def_readonly("delta_phi_arcsec", &MbdScanResult::deltaPhiArcsec)
      .def_readonly("r", &MbdScanResult::r)
      .def_readonly("r_sigma", &MbdScanResult::rSigma)
      .def_readonly("r_pi", &MbdScanResult::rPi)
      .def_readonly("amplitudes", &MbdScanResult::amplitudes)
      .def_readonly("wave_vector", &MbdScanResult::waveVector)
      .def_readonly("file", &MbdScanResult::file);

  m.def("mbd_scan", &MbdScan, py::arg("crystal") = py::none(), py::arg("hkl") = py::none(), py::kw_only(),
        py::arg("energy_kev") = py::none(), py::arg("href") = py::none(), py::arg("offcut_deg") = py::none(),
        py::arg("offcut_azimuth_deg") = py::none(), py::arg("azimuth_deg") = py::none(),
        py::arg("add") = std::vector<Hkl>(), py::arg("force") = false, py::arg("si_mode") = py::none(),
        py::arg("thickness_um") = py::none(), py::arg("polarization_deg") = py::none(), py::arg("dtheta") = py::none(),
        py::arg("dphi") = py::none(), py::arg("de_ev") = py::none(), py::arg("beam") = py::none(),
        py::arg("transmission") = false, py::arg("chi_import") = py::none(), py::arg("convolution") = py::none(),
        py::arg("columns") = py::none(), py::arg("microradians") = false, py::arg("file") = py::none(),
        "The N-beam (multiple-beam) dynamical diffraction of a primary reflection G and the reflections added, "
        "scanned over delta theta and delta phi (a plane wave, or convoluted over a Gaussian spectrum and the "
        "divergences), computed by the multiple-beam window's form as velto-cli mbd does. None: the program's "
        "default.");
}

}  // namespace velto::python
