#pragma once
// Edgelets, transforms and agreement checks shared by the edgelet template tests.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "cntr/cntrtmpl.h"

namespace edgelettest {

using V = sgVector<2>;
using Points = std::vector<V>;
using Edgelets = std::vector<sgEdgelet>;
using Xform = sgPtrHandle_const<sg2XformBase>;
using ContourT = sgContourT<sgEdgelet>;
using RegionT = sgRegionT<sgEdgelet>;
using RegionSetT = sgRegionSetT<sgEdgelet>;
using TypedHandles = std::vector<sgPtrHandle_const<RegionT>>;

inline sgEdgelet edgelet(double x, double y, unsigned short magnitude = 100, unsigned char code = 32) {
  return sgEdgelet(V(x, y), magnitude, sgAngle8(code));
}

/// Edgelets on the corners of the axis-aligned rectangle, counter-clockwise, with distinct
/// magnitudes and direction codes so that a lost or reordered datum shows.
inline Edgelets rectangleEdgelets(double x0, double y0, double x1, double y1) {
  return {edgelet(x0, y0, 11, 1), edgelet(x1, y0, 12, 2), edgelet(x1, y1, 13, 3), edgelet(x0, y1, 14, 4)};
}

inline Points positions(const Edgelets& data) {
  Points result;
  for (const sgEdgelet& e : data) result.push_back(e.position());
  return result;
}

inline Xform rigid(double degrees, double tx, double ty) {
  return Xform(new sg2Rigid(sgDegree(degrees), V(tx, ty)));
}

inline void expectNear(const V& actual, const V& expected, double tol) {
  EXPECT_NEAR(actual.x(), expected.x(), tol);
  EXPECT_NEAR(actual.y(), expected.y(), tol);
}

/// One datum per point, and each point's image under the contour's transform lies on its
/// datum's position (to `tol`, relative to the coordinates' size).
inline void expectPointsMatchData(const ContourT& contour, double tol = 1e-9) {
  const Points& points = contour.points();
  const Edgelets& data = contour.data();
  ASSERT_EQ(points.size(), data.size());
  const Xform xform = contour.dataFromPointsXform();
  for (std::size_t i = 0; i < points.size(); ++i) {
    const V mapped = xform->mapPoint(points[i]);
    const double scale = 1.0 + std::abs(data[i].position().x()) + std::abs(data[i].position().y());
    EXPECT_NEAR(mapped.x(), data[i].position().x(), tol * scale) << "vertex " << i;
    EXPECT_NEAR(mapped.y(), data[i].position().y(), tol * scale) << "vertex " << i;
  }
}

/// Every datum is one made from a point: no magnitude, direction code 0.
inline void expectDataFromPoints(const Edgelets& data) {
  for (const sgEdgelet& e : data) {
    EXPECT_EQ(e.magnitude(), 0u);
    EXPECT_EQ(e.angle().code(), 0u);
  }
}

}  // namespace edgelettest
