#include <pybind11/stl.h>

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/Units.h"
#include "mbd/MbdReflectionTable.h"
#include "programs/mbd_map/MapScript.h"
#include "programs/mbd_map/MbdMapForm.h"
#include "python/Arrays.h"
#include "python/Bindings.h"
#include "python/CallGuard.h"
#include "python/FormSession.h"

namespace velto::python {
namespace py = pybind11;

namespace {

using programs::MbdMapForm;

// One line of the map as drawn: the run of points between two breaks (for
// the slow map, which has no breaks, all the points of one reflection).
// Indices reach Python as tuples, as a crystal's reflections are given.
using Indices = std::tuple<int, int, int>;

struct MapPolyline {
  Indices hkl{};
  py::object phiDeg, energyKev;
};

// What velto-cli map prints, with the points of the lines.
struct MapResult {
  std::string crystal;
  bool siMode = false;
  double lowestEnergyEv = 0;
  std::size_t points = 0, rejected = 0;
  std::vector<Indices> lines, steepLines;
  std::vector<MapPolyline> polylines;
};

Indices ToIndices(mbd::Miller m) { return {m.h, m.k, m.l}; }

std::vector<Indices> Reflections(const mbd::ReflectionAzimuthList& list) {
  std::vector<Indices> out;
  out.reserve(list.Count());
  for (const auto& e : list.Entries()) out.push_back(ToIndices(e.hkl));
  return out;
}

struct Run {
  Indices hkl;
  std::vector<double> phi, kev;
};

// A break marker (value2 < 0) ends a line, and two in a row leave no line
// between them; a change of reflection without a break ends one too, so
// that a line never mixes two. The slow map's points are gathered per
// reflection instead.
std::vector<Run> Polylines(const mbd::ReflectionAzimuthList& points, bool slow) {
  std::vector<Run> runs;
  std::map<Indices, std::size_t> runOf;
  bool open = false;
  for (const auto& e : points.Entries()) {
    if (e.value2 < 0) {
      open = false;
      continue;
    }
    const Indices hkl = ToIndices(e.hkl);
    Run* run = nullptr;
    if (slow) {
      auto [at, added] = runOf.emplace(hkl, runs.size());
      if (added) runs.push_back({hkl, {}, {}});
      run = &runs[at->second];
    } else {
      if (!open || runs.back().hkl != hkl) runs.push_back({hkl, {}, {}});
      open = true;
      run = &runs.back();
    }
    run->phi.push_back(e.value1);
    run->kev.push_back(e.value2 / core::kEvPerKev);
  }
  return runs;
}

MapResult MbdMap(const Crystal* crystal, const std::optional<Hkl>& hkl,
                 const std::optional<std::array<double, 3>>& href,
                 const std::optional<std::tuple<double, double, int>>& energyRange,
                 const std::optional<std::tuple<double, double, int>>& phiRange, const std::optional<double>& threshold,
                 const std::optional<std::array<int, 3>>& limits, const std::optional<bool>& siMode, bool slow,
                 bool force) {
  FormSession session(force);
  MbdMapForm form(session.App());
  using programs::UserInterface;

  programs::MapSettingsEntries settings;
  if (crystal) settings.crystal = &crystal->Structure();
  settings.diamondMode = siMode;
  settings.primary = hkl;
  settings.reference = href;
  settings.limits = limits;
  session.Ui().QueueDialog<programs::MapSettingsForm>(
      [&settings](programs::MapSettingsForm& dialog, UserInterface& person) {
        return programs::FillMapSettings(dialog, person, settings);
      });
  session.Require([&form](UserInterface& ui) { return form.ChangeSettings(ui); });

  programs::MapRangeEntries ranges;
  ranges.threshold = threshold;
  if (energyRange) {
    ranges.energyFromKev = std::get<0>(*energyRange);
    ranges.energyToKev = std::get<1>(*energyRange);
    ranges.energyPoints = std::get<2>(*energyRange);
  }
  if (phiRange) {
    ranges.phiFromDeg = std::get<0>(*phiRange);
    ranges.phiToDeg = std::get<1>(*phiRange);
    ranges.phiPoints = std::get<2>(*phiRange);
  }
  programs::TypeMapRanges(form, ranges);
  session.Require([&form, slow](UserInterface& ui) { return slow ? form.SlowMethod(ui) : form.Calculate(ui); });
  session.Publish();

  const mbd::MbdMap& map = form.Map();
  MapResult r;
  r.crystal = form.Crystal().name;
  r.siMode = form.DiamondMode();
  r.lowestEnergyEv = form.LowestEnergy();
  r.points = map.points.Count();
  r.lines = Reflections(map.lines);
  r.steepLines = Reflections(map.steepLines);
  r.rejected = map.rejected.Count();
  for (Run& run : Polylines(map.points, slow))
    r.polylines.push_back({run.hkl, OwningArray(std::move(run.phi)), OwningArray(std::move(run.kev))});
  return r;
}

}  // namespace

void BindMbdMap(py::module_& m) {
  py::class_<MapPolyline>(m, "MapPolyline", "One MBD line of the map: the points of one reflection up to a break.")
      .def_readonly("hkl", &MapPolyline::hkl)
      .def_readonly("phi_deg", &MapPolyline::phiDeg)
      .def_readonly("energy_kev", &MapPolyline::energyKev);
  py::class_<MapResult>(m, "MbdMapResult", "The MBD-line map with what velto-cli map prints.")
      .def_readonly("crystal", &MapResult::crystal)
      .def_readonly("si_mode", &MapResult::siMode)
      .def_readonly("lowest_energy_ev", &MapResult::lowestEnergyEv)
      .def_readonly("points", &MapResult::points)
      .def_readonly("lines", &MapResult::lines)
      .def_readonly("steep_lines", &MapResult::steepLines)
      .def_readonly("rejected", &MapResult::rejected)
      .def_readonly("polylines", &MapResult::polylines);

  m.def("mbd_map", &MbdMap, py::arg("crystal") = py::none(), py::arg("hkl") = py::none(), py::arg("href") = py::none(),
        py::kw_only(), py::arg("energy_range") = py::none(), py::arg("phi_range") = py::none(),
        py::arg("threshold") = py::none(), py::arg("limits") = py::none(), py::arg("si_mode") = py::none(),
        py::arg("slow") = false, py::arg("force") = false,
        "The lines of multiple-beam diffraction (monochromator glitches) of a crystal in the azimuth-energy "
        "plane, computed by the map window's form as velto-cli map does. None: the form's default.");
}

}  // namespace velto::python
