// lyncntr.read and lyncntr.write: the command-line tool's own readers and writers, so a file
// means the same to the module as to `cntr`.
#include "files.h"

#include <pybind11/stl.h>

#include <optional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "cntrio/errors.h"
#include "cntrio/input.h"
#include "cntrio/output_file.h"
#include "cntrio/shape_writer.h"
#include "shapes.h"

namespace lyncntr_py {

namespace {

PyObject* fileError = nullptr;

cntr::Format formatNamed(const std::optional<std::string>& name) {
  if (!name) return cntr::Format::Auto;
  const auto found = cntr::formatNames().find(*name);
  if (found == cntr::formatNames().end())
    throw py::value_error("unknown format '" + *name + "' (auto, json, geojson, wkt or archive)");
  return found->second;
}

// The Python object for a shape read: an edgelet chain is a region of its positions.
py::object toPython(const cntr::Shape& shape) {
  if (!shape.buildError.empty()) {
    PyErr_SetString(fileError, (shape.title() + ": " + shape.buildError).c_str());
    throw py::error_already_set();
  }
  return std::visit(
      [](const auto& handle) -> py::object {
        using T = std::remove_cvref_t<decltype(*handle)>;
        if constexpr (std::is_same_v<T, sgRegionSet>)
          return py::cast(std::make_unique<PyRegionSet>(handle));
        else if constexpr (std::is_base_of_v<sgRegion, T>)
          return py::cast(std::make_unique<PyRegion>(cloneRegion(*handle)));
        else
          return py::cast(std::make_unique<PyContour>(handle));
      },
      shape.object);
}

// A copy of the Python shape's library object, named for the file.
cntr::Shape fromPython(py::handle item, const std::string& name) {
  cntr::Shape shape;
  shape.name = name;
  if (py::isinstance<PyRegion>(item))
    shape.object = item.cast<const PyRegion&>().locked([](const sgRegion& r) { return cloneRegion(r); });
  else if (py::isinstance<PyContour>(item))
    shape.object = item.cast<const PyContour&>().locked(
        [](const sgContour& c) { return sgPtrHandle<sgContour>(new sgContour(c)); });
  else if (py::isinstance<PyRegionSet>(item))
    shape.object = item.cast<const PyRegionSet&>().locked([](const sgRegionSet& s) { return cloneSet(s); });
  else
    throw py::type_error("write takes Contour, Region and RegionSet objects");
  return shape;
}

py::list readFile(const std::string& path, const std::optional<std::string>& format) {
  const cntr::Format form = formatNamed(format);
  std::vector<cntr::Shape> shapes;
  {
    py::gil_scoped_release noGil;
    cntr::readShapes({path}, form, [&](cntr::Shape&& shape) { shapes.push_back(std::move(shape)); });
  }
  py::list out;
  for (const cntr::Shape& shape : shapes) out.append(toPython(shape));
  return out;
}

void writeFile(const std::string& path, const py::sequence& shapes, const std::optional<std::string>& format,
               const std::optional<std::vector<std::string>>& names) {
  if (names && names->size() != shapes.size()) throw py::value_error("names must give one name per shape");
  std::vector<cntr::Shape> copies;
  for (std::size_t k = 0; k < shapes.size(); ++k)
    copies.push_back(fromPython(shapes[k], names ? (*names)[k] : "#" + std::to_string(k + 1)));
  const cntr::Format form = cntr::chooseOutputFormat(formatNamed(format), path);
  py::gil_scoped_release noGil;
  cntr::OutputFile out(path, cntr::needsRewrite(form));
  const std::unique_ptr<cntr::ShapeWriter> writer = cntr::openShapeWriter(out, form, false);
  for (const cntr::Shape& shape : copies) writer->write(shape);
  writer->finish();
  out.commit();
}

}  // namespace

void bindFiles(py::module_& m) {
  fileError =
      PyErr_NewExceptionWithDoc("lyncntr.FileError",
                                "A file that cannot be read or written; the message names the file and, "
                                "for text, the line and column.",
                                m.attr("Error").ptr(), nullptr);
  if (!fileError) throw py::error_already_set();
  m.attr("FileError") = py::reinterpret_borrow<py::object>(fileError);
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const cntr::InputError& e) {
      PyErr_SetString(fileError, e.describe().c_str());
    } catch (const cntr::OutputError& e) {
      PyErr_SetString(fileError, e.what());
    }
  });
  m.def("read", &readFile, py::arg("path"), py::arg("format") = py::none(),
        "The shapes of a file in one of the tool's forms (JSON, GeoJSON, WKT, archive; `format` one of "
        "'auto', 'json', 'geojson', 'wkt', 'archive', by default from the extension or the content), in file "
        "order: Contour, Region (edgelet chains as the region of their positions) or RegionSet. Raises "
        "FileError for a file that cannot be read or holds a shape the library refuses.");
  m.def("write", &writeFile, py::arg("path"), py::arg("shapes"), py::arg("format") = py::none(),
        py::arg("names") = py::none(),
        "Writes the shapes in one of the tool's forms (by `format`, else the extension, else JSON), whole or "
        "not at all; `names` (one per shape) default to '#1', '#2', ... Raises FileError when the file "
        "cannot be written.");
}

}  // namespace lyncntr_py
