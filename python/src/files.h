#pragma once
#include <pybind11/pybind11.h>

namespace lyncntr_py {

namespace py = pybind11;

/// lyncntr.read, lyncntr.write and lyncntr.FileError.
void bindFiles(py::module_& m);

}  // namespace lyncntr_py
