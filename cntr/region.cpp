// Region construction, copying, closed-ness and the hole list.
#include "cntr/region.h"

namespace {

std::vector<sgPtrHandle_const<sgRegion>> toConstHandles(const std::vector<sgPtrHandle<sgRegion>>& holes) {
  return std::vector<sgPtrHandle_const<sgRegion>>(holes.begin(), holes.end());
}

// Unknown mode values are kept as eIgnore rather than refused: callers pass raw enum values.
void applyIntersectionMode(sgRegion& region, sgContourDefs::IntersectionMode mode) {
  if (mode == sgContourDefs::eOuterHull)
    region.outerHull(region);
  else if (mode == sgContourDefs::eRegularize)
    region.regularize(region);
}

}  // namespace

sgRegion::sgRegion(const std::vector<sgVector<2>>& points, sgContourDefs::IntersectionMode mode)
    : sgContour(points, true, 0) {
  initializeCaches();
  sgContour::cleanCacheInfo();
  sgRegion::cleanCacheInfo();
  applyIntersectionMode(*this, mode);
}

sgRegion::sgRegion(const sgPolygon& polygon, sgContourDefs::IntersectionMode mode) : sgContour(polygon, 0) {
  initializeCaches();
  sgContour::cleanCacheInfo();
  sgRegion::cleanCacheInfo();
  applyIntersectionMode(*this, mode);
}

sgRegion::sgRegion(const sgContour& contour, sgContourDefs::IntersectionMode mode) : sgContour(contour) {
  initializeCaches();
  sgContour::cleanCacheInfo();
  sgRegion::cleanCacheInfo();
  applyIntersectionMode(*this, mode);
}

// The virtual bases start empty; everything, caches included, comes from the assignment.
sgRegion::sgRegion(const sgRegion& other) : sgPersistent(), sgRepBase(), sgContour() {
  initializeCaches();
  *this = other;
}

sgRegion& sgRegion::operator=(const sgRegion& other) {
  if (this == &other) return *this;
  sgContour::operator=(other);
  holes_ = other.holes_;
  centerOfMassHolesValid_ = other.centerOfMassHolesValid_;
  centerOfMassHoles_ = other.centerOfMassHoles_;
  centerOfMassOuterValid_ = other.centerOfMassOuterValid_;
  centerOfMassOuter_ = other.centerOfMassOuter_;
  areaHolesValid_ = other.areaHolesValid_;
  areaHoles_ = other.areaHoles_;
  areaOuterValid_ = other.areaOuterValid_;
  areaOuter_ = other.areaOuter_;
  inertiaHolesValid_ = other.inertiaHolesValid_;
  inertiaHoles_ = other.inertiaHoles_;
  inertiaOuterValid_ = other.inertiaOuterValid_;
  inertiaOuter_ = other.inertiaOuter_;
  regularizedCacheValid_ = other.regularizedCacheValid_;
  regularizedCache_ = other.regularizedCache_;
  outerHullCacheValid_ = other.outerHullCacheValid_;
  outerHullCache_ = other.outerHullCache_;
  return *this;
}

sgRegion::~sgRegion() = default;

bool sgRegion::operator==(const sgRegion& other) const { return sgContour::operator==(other); }

bool sgRegion::isClosed() const { return true; }

void sgRegion::isClosed(bool closed) {
  if (!closed) throw sgContourDefs::RegionCannotBeSetOpen();
}

void sgRegion::checkEmptyContour() const {
  if (points().size() < 3) throw sgContourDefs::EmptyContour();
}

void sgRegion::holes(const std::vector<sgPtrHandle_const<sgRegion>>& holes) {
  cleanCacheInfo();
  makeDataConsistentWithPoints();
  // Every hole is checked before any is stored, so a refusal keeps the old list whole.
  checkHoles(holes);
  holes_ = holes;
}

void sgRegion::holes(const std::vector<sgPtrHandle<sgRegion>>& holes) { this->holes(toConstHandles(holes)); }

long sgRegion::closestVertexIndex(const sgVector<2>& point) const {
  return sgContour::closestVertexIndex(point);
}

void sgRegion::cleanCacheInfo() {
  sgContour::cleanCacheInfo();
  areaHoles_ = 0.0;
  areaOuter_ = 0.0;
  centerOfMassHolesValid_ = false;
  centerOfMassOuterValid_ = false;
  areaHolesValid_ = false;
  areaOuterValid_ = false;
  inertiaHolesValid_ = false;
  inertiaOuterValid_ = false;
  regularizedCacheValid_ = false;
  outerHullCacheValid_ = false;
}

void sgRegion::initializeCaches() {
  holes_.clear();
  centerOfMassHolesValid_ = false;
  centerOfMassHoles_ = sgVector<2>();
  centerOfMassOuterValid_ = false;
  centerOfMassOuter_ = sgVector<2>();
  areaHolesValid_ = false;
  areaHoles_ = 0.0;
  areaOuterValid_ = false;
  areaOuter_ = 0.0;
  inertiaHolesValid_ = false;
  inertiaHoles_ = sgMatrix<2>();
  inertiaOuterValid_ = false;
  inertiaOuter_ = sgMatrix<2>();
  regularizedCacheValid_ = false;
  regularizedCache_.reset();
  outerHullCacheValid_ = false;
  outerHullCache_.reset();
}

sgPersistent* sgRegion::make() { return new sgRegion(std::vector<sgVector<2>>(), sgContourDefs::eIgnore); }
