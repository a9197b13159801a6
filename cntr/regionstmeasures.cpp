// sgRegionSet measures and queries: each is built from the member regions' answers, taken one
// by one, so overlapping regions count twice until the set is regularized.
#include <cmath>
#include <limits>

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

// Whether the outer boundaries of two different regions of the list meet; the first pair found
// ends the search.
bool someBoundariesMeet(const std::vector<sgPtrHandle_const<sgRegion>>& regions) {
  for (std::size_t i = 0; i < regions.size(); ++i)
    for (std::size_t j = i + 1; j < regions.size(); ++j)
      if (!outerBoundary(regions[i]).intersections(outerBoundary(regions[j])).empty()) return true;
  return false;
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
