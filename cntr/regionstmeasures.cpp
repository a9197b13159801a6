// sgRegionSet measures and queries: each is built from the member regions' answers, taken one
// by one, so overlapping regions count twice until the set is regularized.
#include <algorithm>
#include <cmath>
#include <limits>

#include "boxpairs.h"
#include "cntr/moments.h"
#include "cntr/regionst.h"
#include "keyedcache.h"

namespace {

// The measures cached per considerHoles flag share this pattern. A failing computation leaves
// the flag clear, so the next call tries again.
template <class T, class Compute, class Notify>
T answerCached(bool& valid, T& value, Compute compute, Notify notify) {
  if (valid) return value;
  value = compute();
  valid = true;
  notify();
  return value;
}

const sgContour& outerBoundary(const sgPtrHandle_const<sgRegion>& region) { return *region; }

// The bounding rectangle of a boundary, including those that encloseRect refuses: a single
// vertex is its own rectangle; no vertex gives a NaN one, which overlaps everything.
sgRect boundsOf(const sgContour& boundary) {
  const std::vector<sgVector<2>>& points = boundary.points();
  if (points.size() >= 2) return boundary.encloseRect(sgXform<2>::I);
  if (points.size() == 1) return sgRect(points.front(), sgVector<2>(0.0, 0.0));
  const double nan = std::numeric_limits<double>::quiet_NaN();
  return sgRect(sgVector<2>(nan, nan), sgVector<2>(nan, nan));
}

// Whether the outer boundaries of two different regions of the list meet; the first pair found
// ends the search. Boundaries meet only where their rectangles, widened by the crossing
// tolerance, overlap, so only those pairs are asked, in the order of the loop over every pair.
// That loop would stop with EmptyContour at the first region of fewer than two vertices that
// it asks about (any but the last), after every pair before it.
bool someBoundariesMeet(const std::vector<sgPtrHandle_const<sgRegion>>& regions) {
  std::size_t firstEmpty = regions.size();
  for (std::size_t i = 0; i + 1 < regions.size() && firstEmpty == regions.size(); ++i)
    if (regions[i]->points().size() < 2) firstEmpty = i;
  std::vector<sgRect> rects;
  rects.reserve(regions.size());
  double magnitude = 0.0;
  for (const auto& region : regions) {
    rects.push_back(boundsOf(outerBoundary(region)));
    if (std::isfinite(sgcntr::magnitudeOf(rects.back())))
      magnitude = std::max(magnitude, sgcntr::magnitudeOf(rects.back()));
  }
  bool met = false;
  sgcntr::forEachOverlappingPair(
      rects,
      [&](std::size_t i, std::size_t j) {
        if (i >= firstEmpty) return true;
        met = !outerBoundary(regions[i]).intersections(outerBoundary(regions[j])).empty();
        return met;
      },
      sgcntr::SegmentReach::marginFor(magnitude));
  if (!met && firstEmpty < regions.size())
    outerBoundary(regions[firstEmpty]).intersections(outerBoundary(regions[firstEmpty + 1]));  // throws
  return met;
}

}  // namespace

double sgRegionSet::area(bool considerHoles) const {
  return answerCached(
      considerHoles ? areaHolesValid_ : areaOuterValid_, considerHoles ? areaHoles_ : areaOuter_,
      [&] {
        double sum = 0.0;
        for (const auto& region : regions_) sum += region->area(considerHoles);
        return sum;
      },
      [this] { const_cast<sgRegionSet*>(this)->notifyMutation(); });
}

sgVector<2> sgRegionSet::centerOfMass(bool considerHoles) const {
  checkEmptyRegionSet();
  return answerCached(
      considerHoles ? centerOfMassHolesValid_ : centerOfMassOuterValid_,
      considerHoles ? centerOfMassHoles_ : centerOfMassOuter_,
      [&] {
        double weight = 0.0;
        sgVector<2> weighted;
        for (const auto& region : regions_) {
          const double a = region->area(considerHoles);
          weight += a;
          weighted += region->centerOfMass(considerHoles) * a;
        }
        // A set without area has no meaningful centre; the origin keeps the result finite.
        return std::fabs(weight) > 1e-15 ? weighted * (1.0 / weight) : sgVector<2>();
      },
      [this] { const_cast<sgRegionSet*>(this)->notifyMutation(); });
}

sgMatrix<2> sgRegionSet::inertiaMatrix(bool considerHoles) const {
  checkEmptyRegionSet();
  return answerCached(
      considerHoles ? inertiaHolesValid_ : inertiaOuterValid_, considerHoles ? inertiaHoles_ : inertiaOuter_,
      [&] {
        sg_InertiaData sum;
        for (const auto& region : regions_)
          sum = sum + sg_InertiaData(region->area(considerHoles), region->centerOfMass(considerHoles),
                                     region->inertiaMatrix(considerHoles));
        return sum.inertiaMatrix();
      },
      [this] { const_cast<sgRegionSet*>(this)->notifyMutation(); });
}

bool sgRegionSet::inside(const sgVector<2>& point, bool considerHoles) const {
  for (const auto& region : regions_)
    if (region->inside(point, considerHoles)) return true;
  return false;
}

// Holes are not examined, and a region nested in another without the boundaries meeting does
// not count: only crossings of outer boundaries stop the set from being one clean figure.
bool sgRegionSet::isSelfIntersecting() const {
  if (regions_.empty()) return false;
  if (selfIntersectingValid_) return selfIntersecting_;
  bool crossing = false;
  for (const auto& region : regions_)
    if (outerBoundary(region).isSelfIntersecting()) crossing = true;
  // Every pair is still examined after a self-crossing region: a region that cannot be
  // intersected reports its error whatever the other regions look like.
  if (someBoundariesMeet(regions_)) crossing = true;
  selfIntersecting_ = crossing;
  selfIntersectingValid_ = true;
  return crossing;
}

double sgRegionSet::distToPoint(const sgVector<2>& point, bool vertexOnly, bool considerHoles,
                                bool fillInterior) const {
  checkEmptyRegionSet();
  double best = std::numeric_limits<double>::infinity();
  for (const auto& region : regions_) {
    const double d = region->distToPoint(point, vertexOnly, considerHoles, fillInterior);
    if (d < best) best = d;
  }
  return best;
}

bool sgRegionSet::operator==(const sgRegionSet& other) const {
  if (regions_.size() != other.regions_.size()) return false;
  for (std::size_t k = 0; k < regions_.size(); ++k)
    if (!(*regions_[k] == *other.regions_[k])) return false;
  return true;
}

sgRect sgRegionSet::encloseRect(const sgXform<2>& xform) const {
  checkEmptyRegionSet();
  if (!encloseRectCache_) encloseRectCache_ = std::make_unique<RectCache>();
  const auto found = encloseRectCache_->find(xform);
  if (found != encloseRectCache_->end()) return found->second;
  sgRect rect = outerBoundary(regions_.front()).encloseRect(xform);
  for (std::size_t k = 1; k < regions_.size(); ++k)
    rect = rect.enclose(outerBoundary(regions_[k]).encloseRect(xform));
  sgcntr::storeKeyedResult(*encloseRectCache_, xform, rect, cachedVectorSize_);
  const_cast<sgRegionSet*>(this)->notifyMutation();
  return rect;
}

void sgRegionSet::draw(sgUITablet& tablet, const sgColor& color, const sgUITablet::Layers& layer) const {
  for (const auto& region : regions_) region->draw(tablet, color, layer);
}
