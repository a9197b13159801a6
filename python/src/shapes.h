#pragma once
#include <pybind11/pybind11.h>

#include <mutex>
#include <utility>
#include <vector>

#include "cntr/region.h"
#include "cntr/regionst.h"

namespace lyncntr_py {

namespace py = pybind11;

/// A library object as Python holds it. The library's const queries write caches, so each
/// object is used by one thread at a time: every call takes the object's lock. Calls that may
/// run long release the GIL first and take the lock afterwards (and give it back before they
/// take the GIL again), so a thread waiting for the lock never holds what the owner needs.
template <class T>
class Guarded {
 public:
  explicit Guarded(sgPtrHandle<T> object) : object_(std::move(object)) {}
  virtual ~Guarded() = default;

  template <class F>
  auto locked(F&& f) const {
    std::lock_guard<std::mutex> hold(mutex_);
    return f(static_cast<const T&>(*object_));
  }
  template <class F>
  auto lockedMutable(F&& f) {
    std::lock_guard<std::mutex> hold(mutex_);
    return f(*object_);
  }
  template <class F>
  auto released(F&& f) const {
    py::gil_scoped_release noGil;
    return locked(std::forward<F>(f));
  }

 private:
  sgPtrHandle<T> object_;
  mutable std::mutex mutex_;
};

/// Contour, Region and RegionSet as the module binds them. A Python Region is a Python Contour;
/// both views lock the same mutex, that of the contour part.
class PyContour : public Guarded<sgContour> {
 public:
  using Guarded<sgContour>::Guarded;
};

class PyRegion : public PyContour {
 public:
  explicit PyRegion(const sgPtrHandle<sgRegion>& region) : PyContour(region), region_(region) {}

  // Hide the contour forms: a Region's own methods see the region.
  template <class F>
  auto locked(F&& f) const {
    return PyContour::locked([&](const sgContour&) { return f(static_cast<const sgRegion&>(*region_)); });
  }
  template <class F>
  auto released(F&& f) const {
    return PyContour::released([&](const sgContour&) { return f(static_cast<const sgRegion&>(*region_)); });
  }

 private:
  sgPtrHandle<sgRegion> region_;
};

using PyRegionSet = Guarded<sgRegionSet>;

/// A region that shares nothing with `region`: holes (and their islands) are copied too, so the
/// copy may go to another thread.
sgPtrHandle<sgRegion> cloneRegion(const sgRegion& region);
/// A set of cloned regions.
sgPtrHandle<sgRegionSet> cloneSet(const sgRegionSet& set);
/// A region from an array of outer points or from a Python Region (cloned), without holes given.
sgPtrHandle<sgRegion> regionFrom(py::handle item);

/// The other contour of an intersection query, copied so that only one lock is held at a time
/// (the other may be this very object).
sgContour contourCopy(const PyContour& other);

/// The classes Contour, Region and RegionSet.
void bindContour(py::module_& m);
void bindRegion(py::module_& m);
void bindRegionSet(py::module_& m);

}  // namespace lyncntr_py
