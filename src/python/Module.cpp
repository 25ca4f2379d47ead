// The `velto` Python module: the programs of the suite called from Python,
// through the same functions as the windows and velto-cli.
#include <pybind11/pybind11.h>
#include <pybind11/stl/filesystem.h>

#include "python/CallGuard.h"
#include "python/Crystal.h"
#include "python/Bindings.h"
#include "python/RockingCurve.h"

PYBIND11_MODULE(_velto, m) {
  namespace py = pybind11;
  m.doc() = "X-ray dynamical diffraction from perfect crystals (VELTO).";
  py::object warning = py::reinterpret_steal<py::object>(PyErr_NewExceptionWithDoc(
      "velto.VeltoWarning", "A notice of the program (velto-cli prints it on stderr).", PyExc_UserWarning, nullptr));
  if (!warning) throw py::error_already_set();
  m.attr("VeltoWarning") = warning;
  velto::python::SetWarningCategory(warning);
  m.def("_set_data_directory", &velto::python::SetDataDirectory, py::arg("directory"));
  velto::python::BindCrystal(m);
  velto::python::BindRockingCurve(m);
  velto::python::BindConvolution(m);
  velto::python::BindMonochromator(m);
  velto::python::BindBrennanCowan(m);
  velto::python::BindMbdMap(m);
  velto::python::BindMbdScan(m);
}
