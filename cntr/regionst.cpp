// sgRegionSet: construction, copying, the region-list mutators and the cache bookkeeping.
#include "cntr/regionst.h"

namespace {

std::vector<sgPtrHandle_const<sgRegion>> toConstHandles(const std::vector<sgPtrHandle<sgRegion>>& regions) {
  return std::vector<sgPtrHandle_const<sgRegion>>(regions.begin(), regions.end());
}

}  // namespace

sgRegionSet::sgRegionSet(const std::vector<sgPtrHandle_const<sgRegion>>& regions,
                         sgContourDefs::IntersectionMode mode)
    : regions_(regions) {
  cleanCacheInfo();
  applyMode(mode);
}

sgRegionSet::sgRegionSet(const std::vector<sgPtrHandle<sgRegion>>& regions,
                         sgContourDefs::IntersectionMode mode)
    : sgRegionSet(toConstHandles(regions), mode) {}

// The persistence identity (notification flag, observer) and the reference count belong to the
// object, not to its value, so the virtual bases start afresh.
sgRegionSet::sgRegionSet(const sgRegionSet& other) : sgPersistent(), sgRepBase() { *this = other; }

sgRegionSet& sgRegionSet::operator=(const sgRegionSet& other) {
  if (this == &other) return *this;
  regions_ = other.regions_;
  cachedVectorSize_ = other.cachedVectorSize_;
  centerOfMassHolesValid_ = other.centerOfMassHolesValid_;
  centerOfMassHoles_ = other.centerOfMassHoles_;
  centerOfMassOuterValid_ = other.centerOfMassOuterValid_;
  centerOfMassOuter_ = other.centerOfMassOuter_;
  areaHolesValid_ = other.areaHolesValid_;
  areaHoles_ = other.areaHoles_;
  areaOuterValid_ = other.areaOuterValid_;
  areaOuter_ = other.areaOuter_;
  // The rectangle cache is owned: each set gets its own entries so that clearing one leaves
  // the other intact.
  if (other.encloseRectCache_) {
    if (!encloseRectCache_) encloseRectCache_ = std::make_unique<RectCache>();
    *encloseRectCache_ = *other.encloseRectCache_;
  } else {
    encloseRectCache_.reset();
  }
  inertiaHolesValid_ = other.inertiaHolesValid_;
  inertiaHoles_ = other.inertiaHoles_;
  inertiaOuterValid_ = other.inertiaOuterValid_;
  inertiaOuter_ = other.inertiaOuter_;
  selfIntersecting_ = other.selfIntersecting_;
  selfIntersectingValid_ = other.selfIntersectingValid_;
  // The repaired sets are immutable once built, so copies share them.
  regularizedCacheValid_ = other.regularizedCacheValid_;
  regularizedCache_ = other.regularizedCache_;
  outerHullCacheValid_ = other.outerHullCacheValid_;
  outerHullCache_ = other.outerHullCache_;
  return *this;
}

sgRegionSet::~sgRegionSet() = default;

void sgRegionSet::makeDataConsistentWithPoints() { cleanCacheInfo(); }

void sgRegionSet::makePointsConsistentWithData() { cleanCacheInfo(); }

void sgRegionSet::cleanCacheInfo() {
  notifyMutation();
  encloseRectCache_.reset();
  areaHoles_ = 0.0;
  areaOuter_ = 0.0;
  centerOfMassHolesValid_ = false;
  centerOfMassOuterValid_ = false;
  areaHolesValid_ = false;
  areaOuterValid_ = false;
  inertiaHolesValid_ = false;
  inertiaOuterValid_ = false;
  selfIntersectingValid_ = false;
  regularizedCacheValid_ = false;
  outerHullCacheValid_ = false;
}

void sgRegionSet::regions(const std::vector<sgPtrHandle_const<sgRegion>>& regions,
                          sgContourDefs::IntersectionMode mode) {
  cleanCacheInfo();
  regions_ = regions;
  makeDataConsistentWithPoints();
  applyMode(mode);
}

void sgRegionSet::regions(const std::vector<sgPtrHandle<sgRegion>>& regions,
                          sgContourDefs::IntersectionMode mode) {
  this->regions(toConstHandles(regions), mode);
}

void sgRegionSet::add(const sgPtrHandle_const<sgRegion>& region, sgContourDefs::IntersectionMode mode) {
  cleanCacheInfo();
  regions_.push_back(region);
  makeDataConsistentWithPoints();
  applyMode(mode);
}

void sgRegionSet::setRegions(const std::vector<sgPtrHandle_const<sgRegion>>& regions) { regions_ = regions; }

// The rectangle cache is not trimmed here: a smaller bound takes effect as entries are replaced.
void sgRegionSet::cachedVectorSize(long size) {
  if (size < 0) throw sgContourDefs::BadParams();
  cachedVectorSize_ = size;
  notifyMutation();
}

void sgRegionSet::checkEmptyRegionSet() const {
  if (regions_.empty()) throw sgContourDefs::EmptyRegionSet();
}

void sgRegionSet::notifyMutation() {
  if (notifyOnChange()) mutating_();
}

// Values other than the two repairing modes are accepted and leave the list as it is.
void sgRegionSet::applyMode(sgContourDefs::IntersectionMode mode) {
  if (mode == sgContourDefs::eOuterHull)
    outerHull(*this);
  else if (mode == sgContourDefs::eRegularize)
    regularize(*this);
}

sgPersistent* sgRegionSet::make() { return new sgRegionSet(); }
