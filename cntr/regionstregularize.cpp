// sgRegionSet regularization and outer hull: regions whose outer boundaries meet are spliced
// into one and traced to the outer boundary of their union; every other region is repaired with
// its own regularize or outerHull.
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

// A region of the list being merged: its box, and whether it was spliced from several.
struct Member {
  sgPtrHandle_const<sgRegion> region;
  sgRect box;
  bool spliced;
};

// One merge pass. After a merge at (i, j) the former last region sits in slot j and is compared
// with the grown region i before j advances, so a region moved into a merged slot that overlaps
// the merged region is not left out. Regions whose boxes lie apart cannot meet and are not asked.
// The pass returns whether it merged anything.
template <class Splice>
bool mergeOnce(std::vector<Member>& list, Splice splice) {
  bool merged = false;
  for (std::size_t i = 0; i + 1 < list.size(); ++i) {
    std::size_t j = i + 1;
    while (j < list.size()) {
      if (!boxesMayMeet(list[i].box, list[j].box) ||
          list[i].region->intersections(*list[j].region, false).empty()) {
        ++j;
        continue;
      }
      const sgPtrHandle<sgRegion> joined(new sgRegion());
      splice(*list[i].region, *list[j].region, *joined);
      list[i] = {joined, boxOf(*joined), true};
      list[j] = list.back();
      list.pop_back();
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
std::vector<Member> mergeMeetingRegions(const RegionList& regions, Splice splice) {
  std::vector<Member> list;
  list.reserve(regions.size());
  for (const auto& region : regions) list.push_back({region, boxOf(*region), false});
  while (mergeOnce(list, splice)) {
  }
  return list;
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
// once everything has succeeded. A spliced region is always traced: its outline runs around
// each merged region in that region's own sense, so regions of opposite senses that cover each
// other add up to an outline that neither crosses itself nor encloses their union.
void sgRegionSet::outerHullRegularize(sgRegionSet& result, bool outerHullOnly) const {
  checkEmptyRegionSet();
  const std::vector<Member> merged = mergeMeetingRegions(
      regions_,
      [](const sgRegion& region, const sgRegion& other, sgRegion& joined) { region.splice(other, joined); });
  RegionList list;
  list.reserve(merged.size());
  for (const Member& member : merged) {
    const sgPtrHandle<sgRegion> repaired(new sgRegion());
    if (member.spliced)
      member.region->outerHullRegularize(*repaired, outerHullOnly);
    else if (outerHullOnly)
      member.region->outerHull(*repaired);
    else
      member.region->regularize(*repaired);
    list.push_back(repaired);
  }
  result = sgRegionSet(list, sgContourDefs::eIgnore);
}
