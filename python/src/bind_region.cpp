#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <memory>
#include <string>

#include "arrays.h"
#include "pickle.h"
#include "point_queries.h"
#include "shapes.h"
#include "values.h"

namespace lyncntr_py {

using namespace pybind11::literals;

namespace {

// Repaired forms come out of the library sharing caches with their source; Python gets a copy
// of its own so that each object stays with one thread.
sgPtrHandle<sgRegion> repaired(const PyRegion& self, bool outerHull) {
  sgRegion result;
  self.released([&](const sgRegion& r) {
    outerHull ? r.outerHull(result) : r.regularize(result);
    return 0;
  });
  return cloneRegion(result);
}

}  // namespace

void bindRegion(py::module_& m) {
  py::class_<PyRegion, PyContour>(
      m, "Region",
      "A closed outer boundary minus holes (each a Region). Areas are unsigned, in the\n"
      "square of the caller's units, whatever the orientation of the boundary.")
      .def(py::init([](py::handle outer, const py::iterable& holes, unsigned long label,
                       const py::object& repair) {
             sgPtrHandle<sgRegion> region(new sgRegion(toPoints(outer), modeFrom(repair)));
             region->label(label);
             std::vector<sgPtrHandle<sgRegion>> inner;
             for (py::handle h : holes) inner.push_back(regionFrom(h));
             if (!inner.empty()) region->holes(inner);
             return std::make_unique<PyRegion>(region);
           }),
           "outer"_a, "holes"_a = py::tuple(), "label"_a = 0, "repair"_a = py::none(),
           "repair: None keeps the outline, \"regularize\" or \"outer_hull\" repairs it first.")
      .def_property_readonly(
          "holes",
          [](const PyRegion& self) {
            auto holes = self.locked([](const sgRegion& r) {
              std::vector<std::unique_ptr<PyRegion>> copies;
              for (const auto& h : r.holes()) copies.push_back(std::make_unique<PyRegion>(cloneRegion(*h)));
              return copies;
            });
            return holes;
          },
          "Copies of the holes, in the order given.")
      .def(
          "area",
          [](const PyRegion& self, bool holes) {
            return self.locked([=](const sgRegion& r) { return r.area(holes); });
          },
          "holes"_a = true)
      .def(
          "centroid",
          [](const PyRegion& self, bool holes) {
            return toArray(self.locked([=](const sgRegion& r) { return r.centerOfMass(holes); }));
          },
          "holes"_a = true, "Centre of mass (2,).")
      .def(
          "inertia",
          [](const PyRegion& self, bool holes) {
            return matrixArray(self.locked([=](const sgRegion& r) { return r.inertiaMatrix(holes); }));
          },
          "holes"_a = true,
          "Central second moments, not divided by the area: [[mu20, mu11], [mu11, mu02]]. With holes\n"
          "and a region that has holes this raises BadParams; pass holes=False for the outer boundary.")
      .def(
          "contains",
          [](const PyRegion& self, py::handle points, bool holes) {
            return eachPoint<bool>(
                self, points, [=](const sgRegion& r, const sgVector<2>& p) { return r.inside(p, holes); });
          },
          "points"_a, "holes"_a = true, "Inside test per point (M, 2) -> bool (M,); GIL released.")
      .def(
          "distance",
          [](const PyRegion& self, py::handle points, bool holes, bool filled, bool vertexOnly) {
            return eachPoint<double>(self, points, [=](const sgRegion& r, const sgVector<2>& p) {
              return r.distToPoint(p, vertexOnly, holes, filled);
            });
          },
          "points"_a, "holes"_a = true, "filled"_a = false, "vertex_only"_a = false,
          "Distance to the boundary (filled: 0 inside); GIL released.")
      .def(
          "closest_point",
          [](const PyRegion& self, py::handle point, bool vertexOnly, bool holes) {
            const auto p = pointFrom(point);
            return toArray(
                self.locked([&](const sgRegion& r) { return r.closestPoint(p, vertexOnly, holes); }));
          },
          "point"_a, "vertex_only"_a = false, "holes"_a = true)
      .def(
          "intersections",
          [](const PyRegion& self, py::handle other, bool endPoints, bool holes) {
            if (py::isinstance<PyContour>(other)) {
              const sgContour copy = contourCopy(other.cast<const PyContour&>());
              return toArray(self.released([&](const sgRegion& r) { return r.intersections(copy, holes); }));
            }
            const sgLineSeg seg = segmentFrom(other);
            return toArray(
                self.released([&](const sgRegion& r) { return r.intersections(seg, endPoints, holes); }));
          },
          "other"_a, "end_points"_a = true, "holes"_a = true)
      .def(
          "regularize",
          [](const PyRegion& self) { return std::make_unique<PyRegion>(repaired(self, false)); },
          "The outline of everything the boundary encloses, counter-clockwise (y up), no holes.")
      .def(
          "outer_hull", [](const PyRegion& self) { return std::make_unique<PyRegion>(repaired(self, true)); },
          "As regularize, with loops that only touch cut apart and nested loops dropped.")
      .def("__repr__",
           [](const PyRegion& self) {
             return self.locked([](const sgRegion& r) {
               return "<lyncntr.Region " + std::to_string(r.points().size()) + " points, " +
                      std::to_string(r.holes().size()) + " holes>";
             });
           })
      .def("__reduce__", [](PyRegion& self) { return reduceWith(self); });
}

}  // namespace lyncntr_py
