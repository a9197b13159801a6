#pragma once
#include <pybind11/numpy.h>

#include <algorithm>
#include <exception>
#include <thread>
#include <vector>

#include "arrays.h"
#include "shapes.h"

namespace lyncntr_py {

// Copies for the helper threads of a point query: each thread queries an object of its own.
inline sgPtrHandle<sgContour> copyOf(const sgContour& c) { return sgPtrHandle<sgContour>(new sgContour(c)); }
inline sgPtrHandle<sgRegion> copyOf(const sgRegion& r) { return cloneRegion(r); }
inline sgPtrHandle<sgRegionSet> copyOf(const sgRegionSet& s) { return cloneSet(s); }

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

}  // namespace lyncntr_py
