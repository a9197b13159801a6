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

sgPtrHandle<sgRegionSet> repairedSet(const PyRegionSet& self, bool outerHull) {
  return self.released([&](const sgRegionSet& s) {
    sgRegionSet result;
    outerHull ? s.outerHull(result) : s.regularize(result);
    return cloneSet(result);
  });
}

}  // namespace

void bindRegionSet(py::module_& m) {
  py::class_<PyRegionSet>(m, "RegionSet", "Regions treated as one figure; measures add up region by region.")
      .def(py::init([](const py::iterable& regions, const py::object& repair) {
             std::vector<sgPtrHandle<sgRegion>> members;
             for (py::handle r : regions) members.push_back(regionFrom(r));
             return std::make_unique<PyRegionSet>(
                 sgPtrHandle<sgRegionSet>(new sgRegionSet(members, modeFrom(repair))));
           }),
           "regions"_a = py::tuple(), "repair"_a = py::none())
      .def_property_readonly("regions",
                             [](const PyRegionSet& self) {
                               return self.locked([](const sgRegionSet& s) {
                                 std::vector<std::unique_ptr<PyRegion>> copies;
                                 for (const auto& r : s.regions())
                                   copies.push_back(std::make_unique<PyRegion>(cloneRegion(*r)));
                                 return copies;
                               });
                             })
      .def("__len__",
           [](const PyRegionSet& self) {
             return self.locked([](const sgRegionSet& s) { return s.regions().size(); });
           })
      .def(
          "area",
          [](const PyRegionSet& self, bool holes) {
            return self.locked([=](const sgRegionSet& s) { return s.area(holes); });
          },
          "holes"_a = true)
      .def(
          "centroid",
          [](const PyRegionSet& self, bool holes) {
            return toArray(self.locked([=](const sgRegionSet& s) { return s.centerOfMass(holes); }));
          },
          "holes"_a = true)
      .def(
          "inertia",
          [](const PyRegionSet& self, bool holes) {
            return matrixArray(self.locked([=](const sgRegionSet& s) { return s.inertiaMatrix(holes); }));
          },
          "holes"_a = true)
      .def(
          "contains",
          [](const PyRegionSet& self, py::handle points, bool holes) {
            return eachPoint<bool>(
                self, points, [=](const sgRegionSet& s, const sgVector<2>& p) { return s.inside(p, holes); });
          },
          "points"_a, "holes"_a = true)
      .def(
          "distance",
          [](const PyRegionSet& self, py::handle points, bool holes, bool filled, bool vertexOnly) {
            return eachPoint<double>(self, points, [=](const sgRegionSet& s, const sgVector<2>& p) {
              return s.distToPoint(p, vertexOnly, holes, filled);
            });
          },
          "points"_a, "holes"_a = true, "filled"_a = false, "vertex_only"_a = false)
      .def_property_readonly(
          "is_self_intersecting",
          [](const PyRegionSet& self) {
            return self.released([](const sgRegionSet& s) { return s.isSelfIntersecting(); });
          })
      .def_property_readonly(
          "bounding_rect",
          [](const PyRegionSet& self) {
            return rectTuple(self.locked([](const sgRegionSet& s) { return s.encloseRect(sgXform<2>()); }));
          })
      .def(
          "regularize",
          [](const PyRegionSet& self) { return std::make_unique<PyRegionSet>(repairedSet(self, false)); },
          "Regions that meet become the outline of their union.")
      .def("outer_hull",
           [](const PyRegionSet& self) { return std::make_unique<PyRegionSet>(repairedSet(self, true)); })
      .def("__reduce__", [](PyRegionSet& self) { return reduceWith(self); });
}

}  // namespace lyncntr_py
