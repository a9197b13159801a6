#include "errors.h"

#include "cntr/contourdefs.h"
#include "lynstd/archive.h"

namespace lyncntr_py {

namespace {

// The Python classes, created once by bindErrors and alive as long as the module.
struct ErrorTypes {
  PyObject* error = nullptr;
  PyObject* emptyContour = nullptr;
  PyObject* emptyRegionSet = nullptr;
  PyObject* badParams = nullptr;
  PyObject* regionCannotBeSetOpen = nullptr;
  PyObject* badPointer = nullptr;
  PyObject* archiveError = nullptr;
};
ErrorTypes types;

PyObject* typeFor(const sgException& e) {
  if (dynamic_cast<const sgContourDefs::EmptyContour*>(&e)) return types.emptyContour;
  if (dynamic_cast<const sgContourDefs::EmptyRegionSet*>(&e)) return types.emptyRegionSet;
  if (dynamic_cast<const sgContourDefs::BadParams*>(&e)) return types.badParams;
  if (dynamic_cast<const sgContourDefs::RegionCannotBeSetOpen*>(&e)) return types.regionCannotBeSetOpen;
  if (dynamic_cast<const sgBadPointer*>(&e)) return types.badPointer;
  if (dynamic_cast<const sgArchive::Error*>(&e)) return types.archiveError;
  return types.error;
}

// Sets the Python error: the library's message as the argument, its number as `error_number`.
void setError(const sgException& e, PyObject* index) {
  PyObject* type = typeFor(e);
  py::object instance = py::reinterpret_borrow<py::object>(type)(py::str(e.what()));
  instance.attr("error_number") = e.errorNumber();
  if (index) instance.attr("index") = py::reinterpret_borrow<py::object>(index);
  PyErr_SetObject(type, instance.ptr());
}

PyObject* newError(py::module_& m, const char* name, PyObject* bases, const char* doc) {
  const std::string qualified = std::string("lyncntr.") + name;
  PyObject* type = PyErr_NewExceptionWithDoc(qualified.c_str(), doc, bases, nullptr);
  if (!type) throw py::error_already_set();
  m.attr(name) = py::reinterpret_borrow<py::object>(type);
  return type;
}

}  // namespace

void bindErrors(py::module_& m) {
  types.error = newError(m, "Error", PyExc_Exception,
                         "Base of the library's errors. `error_number` holds the library's number; "
                         "str() gives its message (often empty).");
  types.emptyContour = newError(m, "EmptyContour", types.error,
                                "A contour of fewer than 2 points (a region: 3) was asked a question.");
  types.emptyRegionSet =
      newError(m, "EmptyRegionSet", types.error, "A region set without regions was asked a question.");
  const py::tuple valueBases = py::make_tuple(py::handle(types.error), py::handle(PyExc_ValueError));
  types.badParams =
      newError(m, "BadParams", valueBases.ptr(), "An argument or input the operation cannot work with.");
  types.regionCannotBeSetOpen =
      newError(m, "RegionCannotBeSetOpen", types.error, "A region was asked to become an open contour.");
  types.badPointer =
      newError(m, "BadPointer", types.error, "An empty handle was reached (a missing hole or region).");
  types.archiveError = newError(m, "ArchiveError", types.error,
                                "Archive bytes that cannot be read (truncated, corrupt, unknown version).");

  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const sgException& e) {
      setError(e, nullptr);
    }
  });
}

void raiseForItem(std::exception_ptr error, std::size_t index) {
  try {
    std::rethrow_exception(error);
  } catch (const sgException& e) {
    setError(e, py::int_(index).ptr());
    throw py::error_already_set();
  }
}

}  // namespace lyncntr_py
