#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <string>
#include <thread>

#include "arrays.h"
#include "shapes.h"

namespace lyncntr_py {

using namespace pybind11::literals;

namespace {

sgContourDefs::IntersectionMode modeFrom(const py::object& repair) {
  if (repair.is_none()) return sgContourDefs::eIgnore;
  const auto name = repair.cast<std::string>();
  if (name == "regularize") return sgContourDefs::eRegularize;
  if (name == "outer_hull") return sgContourDefs::eOuterHull;
  throw sgContourDefs::BadParams(L"repair must be None, \"regularize\" or \"outer_hull\"");
}

py::tuple rectTuple(const sgRect& r) { return py::make_tuple(r.x(), r.y(), r.width(), r.height()); }

py::array_t<double> matrixArray(const sgMatrix<2>& m) {
  py::array_t<double> a({py::ssize_t{2}, py::ssize_t{2}});
  auto out = a.mutable_unchecked<2>();
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 2; ++c) out(r, c) = m(r, c);
  return a;
}

py::tuple ellipseTuple(const sgEllipse& e, double error) {
  return py::make_tuple(toArray(e.center()), py::make_tuple(e.r1(), e.r2()), e.rotation().toDouble(), error);
}

sgVector<2> pointFrom(py::handle point) {
  bool single = false;
  auto q = toQueryPoints(point, single);
  if (!single) throw sgContourDefs::BadParams(L"a point must be a pair (x, y)");
  return sgVector<2>(q.at(0, 0), q.at(0, 1));
}

// Copies for the helper threads of a point query: each thread queries an object of its own.
sgPtrHandle<sgContour> copyOf(const sgContour& c) { return sgPtrHandle<sgContour>(new sgContour(c)); }
sgPtrHandle<sgRegion> copyOf(const sgRegion& r) { return cloneRegion(r); }
sgPtrHandle<sgRegionSet> copyOf(const sgRegionSet& s) { return cloneSet(s); }

// Below this many points a second thread costs more (a copy of the object) than it saves.
constexpr py::ssize_t kPointsPerThread = 16384;

// Answers one query per point with the GIL released for the whole loop; large arrays are split
// over the cores. A single pair gives a scalar. `query(object, point)` runs on the object the
// guard hands out or on a copy of it.
template <class R, class G, class Q>
py::object eachPoint(const G& guarded, py::handle points, Q query) {
  bool single = false;
  const py::array_t<double> q = toQueryPoints(points, single);
  const auto in = q.template unchecked<2>();
  const py::ssize_t n = in.shape(0);
  py::array_t<R> out(n);
  R* o = out.mutable_data();
  guarded.released([&](const auto& object) {
    auto loop = [&](const auto& target, py::ssize_t begin, py::ssize_t end) {
      for (py::ssize_t i = begin; i < end; ++i) o[i] = query(target, sgVector<2>(in(i, 0), in(i, 1)));
    };
    const auto cores = static_cast<py::ssize_t>(std::max(1u, std::thread::hardware_concurrency()));
    const py::ssize_t threads = std::clamp<py::ssize_t>(n / kPointsPerThread, 1, cores);
    const py::ssize_t chunk = (n + threads - 1) / threads;
    std::vector<std::exception_ptr> errors(static_cast<std::size_t>(threads));
    std::vector<std::thread> helpers;
    for (py::ssize_t t = 1; t < threads; ++t)
      helpers.emplace_back([&, t, copy = copyOf(object)] {
        try {
          loop(*copy, t * chunk, std::min(n, (t + 1) * chunk));
        } catch (...) {
          errors[static_cast<std::size_t>(t)] = std::current_exception();
        }
      });
    try {
      loop(object, 0, std::min(n, chunk));
    } catch (...) {
      errors[0] = std::current_exception();
    }
    for (auto& h : helpers) h.join();
    for (const auto& e : errors)
      if (e) std::rethrow_exception(e);
    return 0;
  });
  if (single) return py::cast(o[0]);
  return out;
}

// The other contour of an intersection query, copied so that only one lock is held at a time
// (the other may be this very object).
sgContour contourCopy(const PyContour& other) {
  return other.PyContour::locked(
      [](const sgContour& c) { return sgContour(c.points(), c.isClosed(), c.label()); });
}

sgLineSeg segmentFrom(py::handle obj) {
  const auto ends = toPoints(obj);
  if (ends.size() != 2) throw sgContourDefs::BadParams(L"a segment must be two points ((x0, y0), (x1, y1))");
  return sgLineSeg(ends[0], ends[1]);
}

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

sgPtrHandle<sgRegionSet> repairedSet(const PyRegionSet& self, bool outerHull) {
  return self.released([&](const sgRegionSet& s) {
    sgRegionSet result;
    outerHull ? s.outerHull(result) : s.regularize(result);
    return cloneSet(result);
  });
}

py::bytes archiveBytes(sgPersistent& object) {
  sgArchive archive;
  sgPersistent* unused = nullptr;
  sgPersistent::serializePointer(archive, &object, unused);
  const auto& b = archive.bytes();
  return py::bytes(reinterpret_cast<const char*>(b.data()), b.size());
}

// Rebuilds what __reduce__ wrote: the most derived Python class that fits the loaded object.
py::object fromArchive(const py::bytes& data) {
  const std::string raw = data;
  sgArchive archive(std::vector<unsigned char>(raw.begin(), raw.end()));
  sgPersistent* loaded = nullptr;
  sgPersistent::serializePointer(archive, nullptr, loaded);
  if (auto* region = dynamic_cast<sgRegion*>(loaded))
    return py::cast(std::make_unique<PyRegion>(sgPtrHandle<sgRegion>(region)));
  if (auto* set = dynamic_cast<sgRegionSet*>(loaded))
    return py::cast(std::make_unique<PyRegionSet>(sgPtrHandle<sgRegionSet>(set)));
  if (auto* contour = dynamic_cast<sgContour*>(loaded))
    return py::cast(std::make_unique<PyContour>(sgPtrHandle<sgContour>(contour)));
  sgPersistent::discardLoaded(archive, loaded);
  throw sgArchive::Corrupt(L"the bytes hold no contour, region or region set");
}

// Pickle refers to the package's Python function: a compiled function cannot be pickled by name.
template <class G>
py::tuple reduceWith(G& self) {
  const py::bytes bytes = self.lockedMutable([](auto& object) { return archiveBytes(object); });
  return py::make_tuple(py::module_::import("lyncntr").attr("_from_archive"), py::make_tuple(bytes));
}

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

}  // namespace

sgPtrHandle<sgRegion> cloneRegion(const sgRegion& region) {
  sgPtrHandle<sgRegion> copy(new sgRegion(static_cast<const sgContour&>(region), sgContourDefs::eIgnore));
  std::vector<sgPtrHandle<sgRegion>> holes;
  for (const auto& h : region.holes()) holes.push_back(cloneRegion(*h));
  if (!holes.empty()) copy->holes(holes);
  return copy;
}

sgPtrHandle<sgRegionSet> cloneSet(const sgRegionSet& set) {
  std::vector<sgPtrHandle<sgRegion>> regions;
  for (const auto& r : set.regions()) regions.push_back(cloneRegion(*r));
  return sgPtrHandle<sgRegionSet>(new sgRegionSet(regions, sgContourDefs::eIgnore));
}

sgPtrHandle<sgRegion> regionFrom(py::handle item) {
  if (py::isinstance<PyRegion>(item))
    return item.cast<const PyRegion&>().locked([](const sgRegion& r) { return cloneRegion(r); });
  if (py::isinstance<PyContour>(item))
    return sgPtrHandle<sgRegion>(
        new sgRegion(item.cast<const PyContour&>().locked([](const sgContour& c) { return c.points(); })));
  return sgPtrHandle<sgRegion>(new sgRegion(toPoints(item)));
}

void bindShapes(py::module_& m) {
  bindContour(m);
  bindRegion(m);
  bindRegionSet(m);
  m.def("_load_archive", &fromArchive, "Rebuilds a shape from the bytes its __reduce__ wrote.");
}

}  // namespace lyncntr_py
