// Polygon moments: the inertia record and its combination rule, the moments of a triangle, and
// the polygon area, centroid and moments built from them.
#include "cntr/moments.h"

#include <cmath>
#include <cstddef>
#include <vector>

#include "edgeletpositions.h"

namespace {

constexpr double kThird = 1.0 / 3.0;
constexpr double kTwelfth = 1.0 / 12.0;
constexpr double kTwentyFourth = 1.0 / 24.0;

double crossOf(const sgVector<2>& a, const sgVector<2>& b) { return a.x() * b.y() - a.y() * b.x(); }

/// Calls visit(prev, cur) for every edge of the closed polygon, starting with the edge from the
/// last point to the first.
template <class Visit>
void forEachEdge(const std::vector<sgVector<2>>& points, Visit visit) {
  if (points.empty()) return;
  const sgVector<2>* prev = &points.back();
  for (const sgVector<2>& cur : points) {
    visit(*prev, cur);
    prev = &cur;
  }
}

/// A triangle seen from one side: the base runs from `from` to `to`, the third corner is the apex.
struct BaseFrame {
  sgVector<2> from;
  sgVector<2> to;
  sgVector<2> apex;
  sgVector<2> unit;  // direction of the base: the cosine and sine of its angle
  double length;
  double foot;   // signed position along the base, from `from`, of the apex's perpendicular foot
  double cross;  // (to - from) x (apex - from): twice the signed area
};

BaseFrame frameOnBase(const sgVector<2>& from, const sgVector<2>& to, const sgVector<2>& apex) {
  const sgVector<2> base = to - from;
  const double length = base.len();
  const sgVector<2> unit = base / length;
  const sgVector<2> rise = apex - from;
  return {from, to, apex, unit, length, rise * unit, crossOf(base, rise)};
}

double heightOf(const BaseFrame& f) { return std::fabs(f.cross) / f.length; }

/// True when the apex is farther from the base segment than from its line by more than 1e-10:
/// the perpendicular foot then lies outside the base.
bool apexProjectsOutsideBase(const BaseFrame& f) {
  const double lineDist = heightOf(f);
  const double segDist = f.foot < 0.0        ? f.apex.distance(f.from)
                         : f.foot > f.length ? f.apex.distance(f.to)
                                             : lineDist;
  return segDist - 1e-10 > lineDist;
}

/// The record of triangle p1 p2 p3: its moments as a figure of positive area, its area signed by
/// the orientation of the corners.
sg_InertiaData triangleInertiaData(const sgVector<2>& p1, const sgVector<2>& p2, const sgVector<2>& p3) {
  // Collinear or coincident corners enclose nothing; coincident ones would also leave the base
  // direction undefined. A zero area makes the record vanish from any sum.
  if (crossOf(p2 - p1, p3 - p1) == 0.0) return sg_InertiaData();
  BaseFrame f = frameOnBase(p1, p2, p3);
  // A side whose foot lies on it keeps the local coordinates well conditioned. Some side of a
  // true triangle always qualifies; the bound only stops rounding at extreme coordinates from
  // turning forever.
  for (int turn = 0; turn < 2 && apexProjectsOutsideBase(f); ++turn) f = frameOnBase(f.to, f.apex, f.from);

  // Local frame: origin at the foot, x along the base, apex at (0, h). The end positions are kept
  // signed, so that a foot lying outside the base by less than the tolerance above still places
  // both ends correctly.
  const double d1 = f.foot;
  const double d2 = f.length - f.foot;
  const double h = heightOf(f);
  double area = (d1 + d2) * h * 0.5;
  const double cx = (d2 - d1) * kThird;
  double cy = h * kThird;
  const double ly = (d1 + d2) * h * h * h * kTwelfth - cy * cy * area;
  double lxy = (d2 * d2 - d1 * d1) * h * h * kTwentyFourth - cy * cx * area;
  const double lx = h * (d2 * d2 * d2 + d1 * d1 * d1) * kTwelfth - cx * cx * area;
  if (f.cross < 0.0) {
    // The apex really lies below the base: mirror the local frame and record the orientation.
    area = -area;
    cy = -cy;
    lxy = -lxy;
  }

  const double c = f.unit.x();
  const double s = f.unit.y();
  const sgVector<2> foot = f.from + f.unit * f.foot;
  const sgVector<2> center = sgVector<2>(c * cx - s * cy, s * cx + c * cy) + foot;
  const double m00 = c * c * lx - 2.0 * s * c * lxy + s * s * ly;
  const double m01 = (c * c - s * s) * lxy + s * c * lx - s * c * ly;
  const double m11 = 2.0 * s * c * lxy + s * s * lx + c * c * ly;
  return sg_InertiaData(area, center, sgMatrix<2>(m00, m01, m01, m11));
}

/// Adds, in index order, every record not yet added whose area `select` accepts, and marks it.
template <class Select>
void addSelectedRecords(const std::vector<sg_InertiaData>& records, std::vector<bool>& added,
                        sg_InertiaData& sum, Select select) {
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (added[i] || !select(records[i].area())) continue;
    sum = sum + records[i];
    added[i] = true;
  }
}

}  // namespace

sg_InertiaData sg_InertiaData::operator+(const sg_InertiaData& other) const {
  const double areaA = area_;
  const double areaB = other.area_;
  if (areaA == 0.0) return other;
  if (areaB == 0.0) return *this;

  const double areaSum = areaA + areaB;
  sgVector<2> center;  // pieces that cancel leave no centre to speak of
  if (std::fabs(areaSum) > 1e-16)
    center = (centerOfMass_ * areaA + other.centerOfMass_ * areaB) * (1.0 / areaSum);
  const sgVector<2> dA = center - centerOfMass_;
  const sgVector<2> dB = center - other.centerOfMass_;

  // Same orientation: both are figures of positive moments. Opposite orientations: the negative
  // operand is a piece cut out of the positive one, so its moments are subtracted.
  double weightA = areaA;
  double weightB = areaB;
  double signA = 1.0;
  double signB = 1.0;
  const double product = areaA * areaB;
  if (product > 0.0) {
    weightA = std::fabs(areaA);
    weightB = std::fabs(areaB);
  } else if (product < 0.0) {
    if (areaB < areaA)
      signB = -1.0;
    else
      signA = -1.0;
  }

  const sgMatrix<2>& mA = inertiaMatrix_;
  const sgMatrix<2>& mB = other.inertiaMatrix_;
  const double m00 =
      signA * mA(0, 0) + weightA * dA.x() * dA.x() + signB * mB(0, 0) + weightB * dB.x() * dB.x();
  const double m01 =
      signA * mA(0, 1) + weightA * dA.x() * dA.y() + signB * mB(0, 1) + weightB * dB.x() * dB.y();
  const double m11 =
      signA * mA(1, 1) + weightA * dA.y() * dA.y() + signB * mB(1, 1) + weightB * dB.y() * dB.y();
  return sg_InertiaData(areaSum, center, sgMatrix<2>(m00, m01, m01, m11));
}

sg_InertiaData sf_InertiaDataPolygon(const std::vector<sgVector<2>>& points) {
  const std::size_t n = points.size();
  if (n < 3) return sg_InertiaData();

  // Fan from the centroid: for a counter-clockwise polygon most pieces are then positive.
  const sgVector<2> center = snContour::centerOfMass(points);
  std::vector<sg_InertiaData> fan;
  fan.reserve(n);
  double areaSum = 0.0;
  forEachEdge(points, [&](const sgVector<2>& prev, const sgVector<2>& cur) {
    fan.push_back(triangleInertiaData(center, prev, cur));
    areaSum += fan.back().area();
  });
  const double mean = areaSum / static_cast<double>(n);

  // Large pieces of the dominant orientation go first, so that every piece of the other
  // orientation is subtracted from a larger accumulated figure.
  sg_InertiaData sum;
  std::vector<bool> added(n, false);
  addSelectedRecords(fan, added, sum, [mean](double a) { return a > mean || (mean < 0.0 && a < mean); });
  const double threshold = mean > 0.0 ? 1e-6 : -1e-6;
  addSelectedRecords(fan, added, sum,
                     [threshold](double a) { return a > threshold || (threshold < 0.0 && a < threshold); });
  addSelectedRecords(fan, added, sum, [](double) { return true; });
  return sum;
}

double sf_Area(const std::vector<sgVector<2>>& points) {
  double twiceArea = 0.0;
  forEachEdge(points,
              [&](const sgVector<2>& prev, const sgVector<2>& cur) { twiceArea += crossOf(prev, cur); });
  return std::fabs(twiceArea * 0.5);
}

double sf_Area(const std::vector<sgEdgelet>& edgelets) {
  if (edgelets.size() < 3) return 0.0;
  return sf_Area(sgcntr::positionsOf(edgelets));
}

sgVector<2> snContour::centerOfMass(const std::vector<sgVector<2>>& points) {
  if (points.size() < 3) return sgVector<2>();
  // Centroids of the triangles (origin, prev, cur), weighted by twice their signed areas.
  double sumX = 0.0;
  double sumY = 0.0;
  double weight = 0.0;
  forEachEdge(points, [&](const sgVector<2>& prev, const sgVector<2>& cur) {
    const double cross = crossOf(prev, cur);
    if (!(std::fabs(cross) > 1e-15)) return;
    const sgVector<2> t = (prev + cur) / 3.0;
    sumX += t.x() * cross;
    sumY += t.y() * cross;
    weight += cross;
  });
  if (!(std::fabs(weight) > 1e-6)) return sgVector<2>();
  return sgVector<2>(sumX / weight, sumY / weight);
}

sgVector<2> snContour::centerOfMass(const std::vector<sgEdgelet>& edgelets) {
  return centerOfMass(sgcntr::positionsOf(edgelets));
}

sgVector<2> sf_CenterOfMass(const std::vector<sgVector<2>>& points) {
  return snContour::centerOfMass(points);
}

sgVector<2> sf_CenterOfMass(const std::vector<sgEdgelet>& edgelets) {
  return snContour::centerOfMass(sgcntr::positionsOf(edgelets));
}
