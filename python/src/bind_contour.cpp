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

// Bound only when the library offers the smallest enclosing circle.
template <class C>
void bindMinEnclosingCircle(py::class_<PyContour>& cls) {
  if constexpr (requires(const C& c) { c.minEnclosingCircle(); }) {
    cls.def_property_readonly(
        "min_enclosing_circle",
        [](const PyContour& self) {
          const sgCircle c = self.released([](const C& contour) { return contour.minEnclosingCircle(); });
          return py::make_tuple(toArray(c.center()), c.radius());
        },
        "Smallest circle holding every vertex: (centre (2,), radius).");
  }
}

}  // namespace

void bindContour(py::module_& m) {
  py::class_<PyContour> cls(
      m, "Contour",
      "An open or closed polyline of float64 vertices with a user label.\n\n"
      "Coordinates are in the caller's units (pixels for OpenCV outlines); angles are\n"
      "radians counter-clockwise from the x axis with y up (clockwise on screen when y\n"
      "points down, as in images).");
  cls.def(py::init([](py::handle points, bool closed, unsigned long label) {
            return std::make_unique<PyContour>(
                sgPtrHandle<sgContour>(new sgContour(toPoints(points), closed, label)));
          }),
          "points"_a, "closed"_a = true, "label"_a = 0)
      .def_property_readonly(
          "points",
          [](const PyContour& self) {
            return toArray(self.locked([](const sgContour& c) { return c.points(); }));
          },
          "The vertices as a new (N, 2) float64 array.")
      .def_property_readonly(
          "closed",
          [](const PyContour& self) { return self.locked([](const sgContour& c) { return c.isClosed(); }); })
      .def_property(
          "label",
          [](const PyContour& self) { return self.locked([](const sgContour& c) { return c.label(); }); },
          [](PyContour& self, unsigned long label) {
            self.lockedMutable([&](sgContour& c) { c.label(label); });
          })
      .def("__len__",
           [](const PyContour& self) {
             return self.locked([](const sgContour& c) { return c.points().size(); });
           })
      .def_property_readonly(
          "length",
          [](const PyContour& self) { return self.locked([](const sgContour& c) { return c.length(); }); },
          "Sum of the edge lengths.")
      .def(
          "centroid",
          [](const PyContour& self) {
            return toArray(self.locked([](const sgContour& c) { return c.meanPosition(); }));
          },
          "Centre of the contour as a uniform wire (length-weighted edge midpoints).")
      .def_property_readonly(
          "bounding_rect",
          [](const PyContour& self) {
            return rectTuple(self.locked([](const sgContour& c) { return c.encloseRect(sgXform<2>()); }));
          },
          "(x, y, width, height) of the vertices.")
      .def(
          "diameter",
          [](const PyContour& self, bool exact) {
            return self.locked([&](const sgContour& c) {
              return c.diameter(exact ? sgContourDefs::eExact : sgContourDefs::eApproximate);
            });
          },
          "exact"_a = true,
          "Largest vertex distance (exact) or twice the largest distance from the first vertex.")
      .def(
          "fit_ellipse",
          [](const PyContour& self) {
            sgEllipse e;
            double error = 0.0;
            self.released([&](const sgContour& c) {
              c.fitEllipse(e, error);
              return 0;
            });
            return ellipseTuple(e, error);
          },
          "Least-squares ellipse: (centre (2,), (r1, r2), angle of r1 in radians, error); error -1.0\n"
          "when no ellipse or circle fits.")
      .def_property_readonly(
          "convex_hull",
          [](const PyContour& self) {
            sgRegion hull;
            self.released([&](const sgContour& c) {
              c.convexHull(hull);
              return 0;
            });
            return std::make_unique<PyRegion>(cloneRegion(hull));
          },
          "Convex hull of the vertices as a Region.")
      .def_property_readonly(
          "is_self_intersecting",
          [](const PyContour& self) {
            return self.released([](const sgContour& c) { return c.isSelfIntersecting(); });
          })
      .def(
          "closest_point",
          [](const PyContour& self, py::handle point, bool vertexOnly) {
            const auto p = pointFrom(point);
            return toArray(self.locked([&](const sgContour& c) { return c.closestPoint(p, vertexOnly); }));
          },
          "point"_a, "vertex_only"_a = false)
      .def(
          "distance",
          [](const PyContour& self, py::handle points, bool vertexOnly) {
            return eachPoint<double>(self, points, [=](const sgContour& c, const sgVector<2>& p) {
              return c.distToPoint(p, vertexOnly);
            });
          },
          "points"_a, "vertex_only"_a = false,
          "Distance of each point (M, 2) to the edges (or vertices); GIL released.")
      .def(
          "intersections",
          [](const PyContour& self, py::handle other, bool endPoints) {
            if (py::isinstance<PyContour>(other)) {
              const sgContour copy = contourCopy(other.cast<const PyContour&>());
              return toArray(self.released([&](const sgContour& c) { return c.intersections(copy); }));
            }
            const sgLineSeg seg = segmentFrom(other);
            return toArray(
                self.released([&](const sgContour& c) { return c.intersections(seg, endPoints); }));
          },
          "other"_a, "end_points"_a = true,
          "Crossings with a Contour (grouped by its edges) or a segment ((x0, y0), (x1, y1)) (ordered\n"
          "from its first end) as an (K, 2) array.")
      .def("__repr__",
           [](const PyContour& self) {
             return self.locked([](const sgContour& c) {
               return "<lyncntr.Contour " + std::to_string(c.points().size()) + " points, " +
                      (c.isClosed() ? "closed>" : "open>");
             });
           })
      .def("__reduce__", [](PyContour& self) { return reduceWith(self); });
  bindMinEnclosingCircle<sgContour>(cls);
}

}  // namespace lyncntr_py
