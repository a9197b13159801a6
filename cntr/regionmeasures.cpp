// Region area, centre of mass, inertia, the inside test, nearest points and intersections.
#include <algorithm>
#include <optional>

#include "cntr/moments.h"
#include "cntr/region.h"
#include "probedirection.h"

namespace {

using HoleList = std::vector<sgPtrHandle_const<sgRegion>>;

// Points closer than this to a vertex count as lying on the boundary.
constexpr double kOnVertexTolerance = 1e-6;

struct AreaAndMoment {
  double area;
  sgVector<2> moment;  // centroid times area
};

// Refuses empty handles and holes without an area before anything is computed, so that a
// failing measure leaves every cache as it was.
void requireMeasurableHoles(const HoleList& holes) {
  for (const auto& hole : holes) {
    if (hole->points().size() < 3) throw sgContourDefs::EmptyContour();
  }
}

// Takes each hole's outer boundary out of the outer measures, in hole order; islands inside a
// hole are not added back.
AreaAndMoment subtractHoles(AreaAndMoment outer, const HoleList& holes, bool withMoment) {
  for (const auto& hole : holes) {
    const double holeArea = hole->area(false);
    if (withMoment) outer.moment -= hole->centerOfMass(false) * holeArea;
    outer.area -= holeArea;
  }
  return outer;
}

// The points of the outer boundary and then, with considerHoles, of each hole in order.
template <class Query>
std::vector<sgVector<2>> collectFromBoundaries(const sgContour& outer, const HoleList& holes,
                                               bool considerHoles, Query query) {
  std::vector<sgVector<2>> result = query(outer);
  if (!considerHoles) return result;
  for (const auto& hole : holes) {
    const std::vector<sgVector<2>> more = query(static_cast<const sgContour&>(*hole));
    result.insert(result.end(), more.begin(), more.end());
  }
  return result;
}

}  // namespace

double sgRegion::area(bool considerHoles) const {
  checkEmptyContour();
  if (!considerHoles) {
    if (!areaOuterValid_) {
      areaOuter_ = sf_Area(points());
      areaOuterValid_ = true;
    }
    return areaOuter_;
  }
  if (!areaHolesValid_) {
    requireMeasurableHoles(holes_);
    areaHoles_ = subtractHoles({area(false), sgVector<2>()}, holes_, false).area;
    areaHolesValid_ = true;
  }
  return areaHoles_;
}

sgVector<2> sgRegion::centerOfMass(bool considerHoles) const {
  checkEmptyContour();
  if (!considerHoles || holes_.empty()) {
    if (!centerOfMassOuterValid_) {
      centerOfMassOuter_ = sf_CenterOfMass(points());
      centerOfMassOuterValid_ = true;
    }
    return centerOfMassOuter_;
  }
  if (!centerOfMassHolesValid_) {
    requireMeasurableHoles(holes_);
    const double outerArea = area(false);
    const AreaAndMoment rest = subtractHoles({outerArea, centerOfMass(false) * outerArea}, holes_, true);
    centerOfMassHoles_ = rest.moment * (1.0 / rest.area);
    centerOfMassHolesValid_ = true;
  }
  return centerOfMassHoles_;
}

sgMatrix<2> sgRegion::inertiaMatrix(bool considerHoles) const {
  checkEmptyContour();
  if (!inertiaOuterValid_) {
    inertiaOuter_ = sf_InertiaDataPolygon(points()).inertiaMatrix();
    inertiaOuterValid_ = true;
  }
  if (!considerHoles || holes_.empty()) return inertiaOuter_;
  if (!inertiaHolesValid_) {
    requireMeasurableHoles(holes_);
    // Each hole enters as a figure of negative area, so the combination rule subtracts its
    // moments, moved to the common centre; the outer figure, added first, is the larger.
    sg_InertiaData sum(area(false), centerOfMass(false), inertiaOuter_);
    for (const auto& hole : holes_)
      sum = sum + sg_InertiaData(-hole->area(false), hole->centerOfMass(false), hole->inertiaMatrix(false));
    inertiaHoles_ = sum.inertiaMatrix();
    inertiaHolesValid_ = true;
  }
  return inertiaHoles_;
}

// The probe ray passes through the middle of the first angular gap between the vertices wider
// than pi / n, so that it stays clear of them.
long sgRegion::insideCount(const sgVector<2>& point, bool twoWay) const {
  if (!encloseRect(sgXform<2>::I).within(point)) return 0;
  const std::optional<sgVector<2>> direction = sgcntr::probeDirection(points(), point, kOnVertexTolerance);
  if (!direction) return 1;
  const auto countCrossings = [&](const sgVector<2>& dir) {
    const double reach = 2.0 * encloseCircle(sgContourDefs::eApproximate).radius();
    return static_cast<long>(crossingCount(sgLineSeg(point, point + dir * reach), false));
  };
  const long count = countCrossings(*direction);
  return twoWay ? std::min(count, countCrossings(-*direction)) : count;
}

bool sgRegion::inside(const sgVector<2>& point, bool considerHoles) const {
  // Away from the outline any ray gives the parity, and the edge tree finds its crossings in
  // logarithmic time; near it the probe ray's rules decide.
  bool odd = false;
  if (encloseRect(sgXform<2>::I).within(point) && !insideParity(point, odd))
    odd = insideCount(point, false) % 2 == 1;
  if (odd && considerHoles) {
    for (const auto& hole : holes_) {
      if (hole->inside(point, true)) return false;
    }
  }
  return odd;
}

long sgRegion::closestVertexIndex(const sgVector<2>& point, bool considerHoles, long& holeIndex) const {
  holeIndex = -1;
  const long outerIndex = sgContour::closestVertexIndex(point);
  if (!considerHoles || holes_.empty()) return outerIndex;
  long best = outerIndex;
  double bestDist = point.distance(points()[static_cast<std::size_t>(best)]);
  for (std::size_t i = 0; i < holes_.size(); ++i) {
    const sgRegion& hole = *holes_[i];
    const long k = hole.sgContour::closestVertexIndex(point);
    const double d = point.distance(hole.points()[static_cast<std::size_t>(k)]);
    if (d < bestDist) {  // strict: ties keep the earlier boundary
      bestDist = d;
      best = k;
      holeIndex = static_cast<long>(i);
    }
  }
  return best;
}

sgVector<2> sgRegion::closestPoint(const sgVector<2>& point, bool vertexOnly, bool considerHoles) const {
  if (vertexOnly) {
    long holeIndex = -1;
    const long k = closestVertexIndex(point, considerHoles, holeIndex);
    const sgContour& boundary =
        holeIndex < 0 ? static_cast<const sgContour&>(*this)
                      : static_cast<const sgContour&>(*holes_[static_cast<std::size_t>(holeIndex)]);
    return boundary.points()[static_cast<std::size_t>(k)];
  }
  sgVector<2> best = sgContour::closestPoint(point, false);
  if (!considerHoles) return best;
  double bestDist = point.distance(best);
  for (const auto& hole : holes_) {
    const sgVector<2> candidate = hole->sgContour::closestPoint(point, false);
    const double d = point.distance(candidate);
    if (d < bestDist) {  // strict: ties keep the earlier boundary
      bestDist = d;
      best = candidate;
    }
  }
  return best;
}

double sgRegion::distToPoint(const sgVector<2>& point, bool vertexOnly, bool considerHoles,
                             bool fillInterior) const {
  if (fillInterior && inside(point, considerHoles)) return 0.0;
  return point.distance(closestPoint(point, vertexOnly, considerHoles));
}

std::vector<sgVector<2>> sgRegion::intersections(const sgLineSeg& segment, bool endPoints,
                                                 bool considerHoles) const {
  return collectFromBoundaries(*this, holes_, considerHoles, [&](const sgContour& boundary) {
    return boundary.intersections(segment, endPoints);
  });
}

std::vector<sgVector<2>> sgRegion::intersections(const sgContour& other, bool considerHoles) const {
  return collectFromBoundaries(*this, holes_, considerHoles,
                               [&](const sgContour& boundary) { return boundary.intersections(other); });
}
