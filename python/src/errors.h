#pragma once
#include <pybind11/pybind11.h>

#include <cstddef>
#include <exception>

namespace lyncntr_py {

namespace py = pybind11;

/// Creates lyncntr.Error and its subclasses and translates the library's exceptions into them.
void bindErrors(py::module_& m);

/// Raises the Python form of a library error caught in a batch, with the failing item's `index`
/// as an attribute; other exceptions go on as they are.
[[noreturn]] void raiseForItem(std::exception_ptr error, std::size_t index);

}  // namespace lyncntr_py
