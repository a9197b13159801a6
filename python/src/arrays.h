#pragma once
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <vector>

#include "lynstd/vector.h"

namespace lyncntr_py {

namespace py = pybind11;

/// The vertices of an outline given as an (N, 2) or OpenCV (N, 1, 2) array of any real or
/// integer type, or anything NumPy turns into one (a list of pairs). Copied once, here.
/// Anything else throws BadParams naming the shape that was expected.
std::vector<sgVector<2>> toPoints(py::handle obj);

/// Query points as a float64 (M, 2) array (a single pair becomes one row); `single` tells
/// whether the caller gave one pair, so that it can answer with a scalar.
py::array_t<double> toQueryPoints(py::handle obj, bool& single);

/// The vertices as a new (N, 2) float64 array.
py::array_t<double> toArray(const std::vector<sgVector<2>>& points);
/// One point as a (2,) float64 array.
py::array_t<double> toArray(const sgVector<2>& point);

}  // namespace lyncntr_py
