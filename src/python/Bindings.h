#pragma once
#include <pybind11/pybind11.h>

namespace velto::python {

// Each part of the module declares its classes and functions.
void BindConvolution(pybind11::module_& module);
void BindMonochromator(pybind11::module_& module);
void BindBrennanCowan(pybind11::module_& module);
void BindMbdMap(pybind11::module_& module);
void BindMbdScan(pybind11::module_& module);

}  // namespace velto::python
