// Objects derived from a contour: its convex hull, a fitted ellipse, a mapped copy, a drawing.
#include <vector>

#include "cntr/contour.h"
#include "cntr/moments.h"
#include "cntr/region.h"
#include "edgewalk.h"
#include "lynstd/fit.h"

void sgContour::convexHull(sgRegion& hull) const {
  checkEmptyContour();
  if (!convexHullValid_) {
    std::vector<sgVector<2>> hullPoints;
    sfConvexHull(points_, hullPoints);
    // The hull is convex by construction, so the region takes it without any repair.
    convexHullCache_ = sgPtrHandle_const<sgRegion>(new sgRegion(hullPoints, sgContourDefs::eIgnore));
    convexHullValid_ = true;
  }
  // A copy of the handle keeps the region alive through the assignment even when `hull` is the
  // object that holds this cache.
  const sgPtrHandle_const<sgRegion> shared = convexHullCache_;
  if (shared.isNull()) throw sgBadPointer();
  hull = *shared;
}

void sgContour::fitEllipse(sgEllipse& ellipse, double& error) const {
  checkEmptyContour();
  if (!fitEllipseValid_) {
    sf_FitEllipse(points_, fitEllipseCache_, fitEllipseError_);
    fitEllipseValid_ = true;
  }
  ellipse = fitEllipseCache_;
  error = fitEllipseError_;
}

void sgContour::map(const sgXform<2>& xform, sgContour& result) const {
  // Mapped into a list of its own first: `result` may be this contour.
  std::vector<sgVector<2>> mapped;
  mapped.reserve(points_.size());
  for (const sgVector<2>& p : points_) mapped.push_back(xform * p);
  result = sgContour(mapped, isClosed(), label_);
}

void sgContour::draw(sgUITablet& tablet, sgContourDefs::DrawMode /*mode*/, const sgColor& color,
                     const sgUITablet::Layers& layer) const {
  sgcntr::forEachEdge(points_, isClosed(), [&](const sgVector<2>& p, const sgVector<2>& c) {
    tablet.drawLineSeg(sgPair<double>(p.x(), p.y()), sgPair<double>(c.x(), c.y()), color, layer);
  });
}
