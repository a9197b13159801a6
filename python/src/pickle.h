#pragma once
#include <pybind11/pybind11.h>

#include "lynstd/archive.h"

namespace lyncntr_py {

namespace py = pybind11;

/// The object's record in the library's archive.
py::bytes archiveBytes(sgPersistent& object);

// Pickle refers to the package's Python function: a compiled function cannot be pickled by name.
template <class G>
py::tuple reduceWith(G& self) {
  const py::bytes bytes = self.lockedMutable([](auto& object) { return archiveBytes(object); });
  return py::make_tuple(py::module_::import("lyncntr").attr("_from_archive"), py::make_tuple(bytes));
}

/// lyncntr._load_archive, the inverse of __reduce__.
void bindPickle(py::module_& m);

}  // namespace lyncntr_py
