#include "shapes.h"

#include "arrays.h"

namespace lyncntr_py {

sgContour contourCopy(const PyContour& other) {
  return other.PyContour::locked(
      [](const sgContour& c) { return sgContour(c.points(), c.isClosed(), c.label()); });
}

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

}  // namespace lyncntr_py
