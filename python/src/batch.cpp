#include "batch.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <iterator>
#include <mutex>
#include <thread>

#include "arrays.h"
#include "errors.h"
#include "shapes.h"

namespace lyncntr_py {

using namespace pybind11::literals;

namespace {

// Items are taken in chunks so that threads do not contend on the counter for small shapes.
constexpr std::size_t kChunk = 32;

// Runs work(i) for every item on `threads` threads (0: one per core) with the GIL released.
// Each item's objects belong to the thread that handles it. The first failure by item order
// stops the run and is raised with its index.
template <class Work>
void forEachItem(std::size_t count, unsigned threads, Work work) {
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<std::size_t>(threads, (count + kChunk - 1) / kChunk));
  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> failedAt{count};
  std::exception_ptr firstError;
  std::mutex errorMutex;
  auto run = [&] {
    for (std::size_t begin; (begin = next.fetch_add(kChunk)) < count;) {
      for (std::size_t i = begin; i < std::min(count, begin + kChunk); ++i) {
        if (i > failedAt.load()) return;
        try {
          work(i);
        } catch (...) {
          std::lock_guard<std::mutex> hold(errorMutex);
          if (i < failedAt.load()) {
            failedAt = i;
            firstError = std::current_exception();
          }
          return;
        }
      }
    }
  };
  {
    py::gil_scoped_release noGil;
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) pool.emplace_back(run);
    run();
    for (auto& t : pool) t.join();
  }
  if (failedAt.load() < count) raiseForItem(firstError, failedAt.load());
}

// What an item becomes while the GIL is held: its outer points, or a copy of a Python Region
// (with its holes). The threads build the regions from these.
struct Item {
  std::vector<sgVector<2>> points;
  sgPtrHandle<sgRegion> region;
};

std::vector<Item> itemsOf(const py::sequence& items) {
  std::vector<Item> out(items.size());
  std::size_t i = 0;
  for (py::handle item : items) {
    Item& it = out[i++];
    if (py::isinstance<PyRegion>(item))
      it.region = regionFrom(item);
    else if (py::isinstance<PyContour>(item))
      it.points = item.cast<const PyContour&>().locked([](const sgContour& c) { return c.points(); });
    else
      it.points = toPoints(item);
  }
  return out;
}

sgPtrHandle<sgRegion> regionOf(const Item& item) {
  return item.region ? item.region : sgPtrHandle<sgRegion>(new sgRegion(item.points));
}

py::dict measureAll(const py::sequence& items, unsigned threads) {
  const auto regions = itemsOf(items);
  const auto n = static_cast<py::ssize_t>(regions.size());
  const char* names[] = {"vertices", "length", "area", "cx", "cy",    "ixx",
                         "ixy",      "iyy",    "x",    "y",  "width", "height"};
  constexpr std::size_t kColumns = std::size(names);
  std::vector<py::array_t<double>> columns;
  std::vector<double*> data;
  for (std::size_t c = 0; c < kColumns; ++c) {
    columns.emplace_back(n);
    data.push_back(columns.back().mutable_data());
  }
  forEachItem(regions.size(), threads, [&](std::size_t i) {
    const sgPtrHandle<sgRegion> region = regionOf(regions[i]);
    const sgRegion& r = *region;
    const sgVector<2> centre = r.centerOfMass(true);
    const sgMatrix<2> inertia = r.inertiaMatrix(false);
    const sgRect box = r.encloseRect(sgXform<2>());
    const double row[] = {static_cast<double>(r.points().size()),
                          r.length(),
                          r.area(true),
                          centre.x(),
                          centre.y(),
                          inertia(0, 0),
                          inertia(0, 1),
                          inertia(1, 1),
                          box.x(),
                          box.y(),
                          box.width(),
                          box.height()};
    for (std::size_t c = 0; c < kColumns; ++c) data[c][i] = row[c];
  });
  py::dict result;
  for (std::size_t c = 0; c < kColumns; ++c) result[names[c]] = columns[c];
  return result;
}

std::vector<std::unique_ptr<PyRegion>> regularizeAll(const py::sequence& items, bool outerHull,
                                                     unsigned threads) {
  const auto regions = itemsOf(items);
  std::vector<sgPtrHandle<sgRegion>> results(regions.size());
  forEachItem(regions.size(), threads, [&](std::size_t i) {
    const sgPtrHandle<sgRegion> region = regionOf(regions[i]);
    results[i] = sgPtrHandle<sgRegion>(new sgRegion());
    outerHull ? region->outerHull(*results[i]) : region->regularize(*results[i]);
  });
  std::vector<std::unique_ptr<PyRegion>> out;
  out.reserve(results.size());
  for (auto& r : results) out.push_back(std::make_unique<PyRegion>(r));
  return out;
}

}  // namespace

void bindBatch(py::module_& m) {
  m.def("_measure", &measureAll, "items"_a, "threads"_a = 0);
  m.def("regularize_all", &regularizeAll, "items"_a, "outer_hull"_a = false, "threads"_a = 0,
        "Repairs every outline (arrays of outer points or Regions) on all cores; a list of Regions.\n"
        "A failing item raises the library's error with its position as `index`.");
}

}  // namespace lyncntr_py
