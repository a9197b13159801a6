#pragma once
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "cntr/contourdefs.h"
#include "lynstd/matrix.h"
#include "lynstd/shapes.h"

namespace lyncntr_py {

namespace py = pybind11;

/// None, "regularize" or "outer_hull"; anything else throws BadParams.
sgContourDefs::IntersectionMode modeFrom(const py::object& repair);
/// (x, y, width, height).
py::tuple rectTuple(const sgRect& r);
/// A 2 x 2 float64 array.
py::array_t<double> matrixArray(const sgMatrix<2>& m);
/// (centre (2,), (r1, r2), angle of r1 in radians, error).
py::tuple ellipseTuple(const sgEllipse& e, double error);
/// One (x, y) pair; anything else throws BadParams.
sgVector<2> pointFrom(py::handle point);
/// Two points ((x0, y0), (x1, y1)); anything else throws BadParams.
sgLineSeg segmentFrom(py::handle obj);

}  // namespace lyncntr_py
