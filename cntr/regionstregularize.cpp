// sgRegionSet regularization and outer hull: regions whose outer boundaries meet are spliced
// into one, then every region is repaired with its own regularize or outerHull.
#include <algorithm>
#include <vector>

#include "cntr/regionst.h"
#include "segmentreach.h"

namespace {

using RegionList = std::vector<sgPtrHandle_const<sgRegion>>;

// regularize and outerHull differ only in their cache and in the engine's flag. A set that is
// clean is copied as it is; otherwise the engine runs once and its result is shared by later
// requests and by copies of this set.
template <class Engine>
void assignRepaired(const sgRegionSet& self, bool& valid, sgPtrHandle_const<sgRegionSet>& cache,
                    Engine runEngine, sgRegionSet& result) {
  if (!self.isSelfIntersecting()) {
    result = self;
    return;
  }
  if (!valid) {
    const sgPtrHandle<sgRegionSet> fresh(new sgRegionSet());
    cache = fresh;
    runEngine(*fresh);
    valid = true;
  }
  // When `result` is this set, the assignment replaces the cache handle; this reference keeps
  // the cached set alive until the assignment is done.
  const sgPtrHandle_const<sgRegionSet> cached = cache;
  result = *cached;
}

// The bounding box of a region's outer boundary, and whether two such boxes come near enough
// for the boundaries to meet: within the crossing tolerance, widened as the segment queries
// widen theirs.
sgRect boxOf(const sgRegion& region) { return region.encloseRect(sgXform<2>()); }

bool boxesMayMeet(const sgRect& a, const sgRect& b) {
  return sgcntr::rectsOverlap(
      a, b, sgcntr::SegmentReach::marginFor(std::max(sgcntr::magnitudeOf(a), sgcntr::magnitudeOf(b))));
}

// One merge pass. After a merge at (i, j) the former last region sits in slot j and is compared
// with the grown region i before j advances, so a region moved into a merged slot that overlaps
// the merged region is not left out. Regions whose boxes lie apart cannot meet and are not asked.
// The pass returns whether it merged anything.
template <class Splice>
bool mergeOnce(RegionList& list, std::vector<sgRect>& boxes, Splice splice) {
  bool merged = false;
  for (std::size_t i = 0; i + 1 < list.size(); ++i) {
    std::size_t j = i + 1;
    while (j < list.size()) {
      if (!boxesMayMeet(boxes[i], boxes[j]) || list[i]->intersections(*list[j], false).empty()) {
        ++j;
        continue;
      }
      const sgPtrHandle<sgRegion> joined(new sgRegion());
      splice(*list[i], *list[j], *joined);
      list[i] = joined;
      boxes[i] = boxOf(*joined);
      list[j] = list.back();
      boxes[j] = boxes.back();
      list.pop_back();
      boxes.pop_back();
      merged = true;
    }
  }
  return merged;
}

// Merging is repeated until a whole pass finds no two outer boundaries that meet: a merged
// region has grown and may now meet regions it was already compared with. Every merge removes
// one region, so at most (count - 1) merges happen and at most count passes run; the last pass
// confirms that no pair meets, which is what callers expect of "merge regions that overlap".
template <class Splice>
void mergeMeetingRegions(RegionList& list, Splice splice) {
  std::vector<sgRect> boxes;
  boxes.reserve(list.size());
  for (const auto& region : list) boxes.push_back(boxOf(*region));
  while (mergeOnce(list, boxes, splice)) {
  }
}

void repairEach(RegionList& list, bool outerHullOnly) {
  for (auto& region : list) {
    const sgPtrHandle<sgRegion> repaired(new sgRegion());
    if (outerHullOnly)
      region->outerHull(*repaired);
    else
      region->regularize(*repaired);
    region = repaired;
  }
}

}  // namespace

void sgRegionSet::regularize(sgRegionSet& result) const {
  assignRepaired(
      *this, regularizedCacheValid_, regularizedCache_,
      [this](sgRegionSet& fresh) { outerHullRegularize(fresh, false); }, result);
}

void sgRegionSet::outerHull(sgRegionSet& result) const {
  assignRepaired(
      *this, outerHullCacheValid_, outerHullCache_,
      [this](sgRegionSet& fresh) { outerHullRegularize(fresh, true); }, result);
}

// Works on a copy of the handle list, so this set is unchanged and `result` is assigned only
// once everything has succeeded.
void sgRegionSet::outerHullRegularize(sgRegionSet& result, bool outerHullOnly) const {
  checkEmptyRegionSet();
  RegionList list = regions_;
  mergeMeetingRegions(list, [](const sgRegion& region, const sgRegion& other, sgRegion& joined) {
    region.splice(other, joined);
  });
  repairEach(list, outerHullOnly);
  result = sgRegionSet(list, sgContourDefs::eIgnore);
}
