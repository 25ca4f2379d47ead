#pragma once
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <vector>

namespace velto::python {

// A numpy array over the storage of `values` itself: the vector is moved
// into a capsule that the array keeps alive, so a curve of any length
// reaches Python without being copied. Needs the GIL.
inline pybind11::array_t<double> OwningArray(std::vector<double>&& values) {
  auto* owned = new std::vector<double>(std::move(values));
  pybind11::capsule owner(owned, [](void* pointer) { delete static_cast<std::vector<double>*>(pointer); });
  return pybind11::array_t<double>({static_cast<pybind11::ssize_t>(owned->size())}, {sizeof(double)}, owned->data(),
                                   owner);
}

// The same for a grid of `rows` × `columns` values stored row after row.
inline pybind11::array_t<double> OwningArray(std::vector<double>&& values, pybind11::ssize_t rows,
                                             pybind11::ssize_t columns) {
  auto* owned = new std::vector<double>(std::move(values));
  pybind11::capsule owner(owned, [](void* pointer) { delete static_cast<std::vector<double>*>(pointer); });
  const auto item = static_cast<pybind11::ssize_t>(sizeof(double));
  return pybind11::array_t<double>({rows, columns}, {columns * item, item}, owned->data(), owner);
}

}  // namespace velto::python
