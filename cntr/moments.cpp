// Polygon moments: the inertia record and its combination rule, and the polygon area, centroid
// and moments by Green's theorem in one pass over the edges.
#include "cntr/moments.h"

#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "edgeletpositions.h"

namespace {

constexpr double kSixth = 1.0 / 6.0;
constexpr double kTwelfth = 1.0 / 12.0;
constexpr double kTwentyFourth = 1.0 / 24.0;

double crossOf(const sgVector<2>& a, const sgVector<2>& b) { return a.x() * b.y() - a.y() * b.x(); }

/// The working form of sg_InertiaData: the three distinct entries of the symmetric matrix; the
/// determinant is computed once, when the record is handed out.
struct InertiaRecord {
  double area = 0.0;
  sgVector<2> center;
  double m00 = 0.0;
  double m01 = 0.0;
  double m11 = 0.0;
};

InertiaRecord recordOf(const sg_InertiaData& data) {
  const sgMatrix<2>& m = data.inertiaMatrix();
  return {data.area(), data.centerOfMass(), m(0, 0), m(0, 1), m(1, 1)};
}

sg_InertiaData dataOf(const InertiaRecord& r) {
  return sg_InertiaData(r.area, r.center, sgMatrix<2>(r.m00, r.m01, r.m01, r.m11));
}

/// The union of two figures of nonzero area, their moments moved to the common centre.
InertiaRecord sumOfNonZero(const InertiaRecord& a, const InertiaRecord& b) {
  const double areaA = a.area;
  const double areaB = b.area;
  const double areaSum = areaA + areaB;
  sgVector<2> center;  // pieces that cancel leave no centre to speak of
  if (std::fabs(areaSum) > 1e-16) center = (a.center * areaA + b.center * areaB) * (1.0 / areaSum);
  const sgVector<2> dA = center - a.center;
  const sgVector<2> dB = center - b.center;

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

  const double m00 = signA * a.m00 + weightA * dA.x() * dA.x() + signB * b.m00 + weightB * dB.x() * dB.x();
  const double m01 = signA * a.m01 + weightA * dA.x() * dA.y() + signB * b.m01 + weightB * dB.x() * dB.y();
  const double m11 = signA * a.m11 + weightA * dA.y() * dA.y() + signB * b.m11 + weightB * dB.y() * dB.y();
  return {areaSum, center, m00, m01, m11};
}

/// Where the polygon's sums are taken, and at what scale. Terms taken about a point inside the
/// box stay of the size of the figure, so a figure far from the origin keeps its digits; scaling
/// by a power of two (exact) keeps the products of huge or tiny coordinates in range.
struct LocalFrame {
  sgVector<2> origin;  // centre of the bounding box
  double scale = 1.0;  // 2^-k with the larger box side times scale in [1, 2)
  double unit = 1.0;   // 1 / scale
};

LocalFrame localFrameOf(const std::vector<sgVector<2>>& points) {
  double minX = points[0].x(), maxX = minX, minY = points[0].y(), maxY = minY;
  // Plain comparisons (a NaN is skipped; it makes the sums NaN anyway) compile to min and max
  // instructions, where fmin and fmax may not.
  for (const sgVector<2>& p : points) {
    minX = p.x() < minX ? p.x() : minX;
    maxX = p.x() > maxX ? p.x() : maxX;
    minY = p.y() < minY ? p.y() : minY;
    maxY = p.y() > maxY ? p.y() : maxY;
  }
  LocalFrame frame;
  // Halving before adding keeps the centre finite for coordinates near the largest double.
  frame.origin = sgVector<2>(minX * 0.5 + maxX * 0.5, minY * 0.5 + maxY * 0.5);
  const double extent = std::fmax(maxX - minX, maxY - minY);
  if (extent > 0.0 && std::isfinite(extent)) {
    int exponent = 0;
    std::frexp(extent, &exponent);
    frame.scale = std::ldexp(1.0, 1 - exponent);
    frame.unit = std::ldexp(1.0, exponent - 1);
  }
  return frame;
}

/// Green's theorem over the closed polygon, in the local frame: twice the area, and the
/// integrals of x, y (times 6) and of x^2, y^2 (times 12) and xy (times 24); for the first-order
/// pass also the largest local coordinate met.
struct GreenSums {
  double area2 = 0.0;
  double x6 = 0.0, y6 = 0.0;
  double xx12 = 0.0, yy12 = 0.0, xy24 = 0.0;
  double reach = 0.0;
};

/// Adds the terms of the edge from (x0, y0) to (x1, y1).
template <bool secondOrder>
void addEdge(GreenSums& s, double x0, double y0, double x1, double y1) {
  const double cross = x0 * y1 - x1 * y0;
  s.area2 += cross;
  s.x6 += (x0 + x1) * cross;
  s.y6 += (y0 + y1) * cross;
  if constexpr (secondOrder) {
    s.xx12 += (x0 * x0 + x0 * x1 + x1 * x1) * cross;
    s.yy12 += (y0 * y0 + y0 * y1 + y1 * y1) * cross;
    s.xy24 += (x0 * (y0 + y0 + y1) + x1 * (y0 + y1 + y1)) * cross;
  } else {
    // Off the sums' chains of dependent additions, so nearly free.
    const double r = std::fabs(x1) > std::fabs(y1) ? std::fabs(x1) : std::fabs(y1);
    s.reach = r > s.reach ? r : s.reach;
  }
}

template <bool secondOrder>
GreenSums greenSumsOf(const std::vector<sgVector<2>>& points, const LocalFrame& frame) {
  const double ox = frame.origin.x(), oy = frame.origin.y(), k = frame.scale;
  const auto local = [&](std::size_t i) {
    return std::pair{(points[i].x() - ox) * k, (points[i].y() - oy) * k};
  };
  // Even and odd edges go to sums of their own: each addition waits on the one before it in its
  // sum, and two independent chains keep the processor twice as busy.
  GreenSums even, odd;
  auto [x0, y0] = local(points.size() - 1);
  std::size_t i = 0;
  for (; i + 1 < points.size(); i += 2) {
    const auto [x1, y1] = local(i);
    const auto [x2, y2] = local(i + 1);
    addEdge<secondOrder>(even, x0, y0, x1, y1);
    addEdge<secondOrder>(odd, x1, y1, x2, y2);
    x0 = x2;
    y0 = y2;
  }
  if (i < points.size()) {
    const auto [x1, y1] = local(i);
    addEdge<secondOrder>(even, x0, y0, x1, y1);
  }
  even.area2 += odd.area2;
  even.x6 += odd.x6;
  even.y6 += odd.y6;
  even.xx12 += odd.xx12;
  even.yy12 += odd.yy12;
  even.xy24 += odd.xy24;
  even.reach = std::fmax(even.reach, odd.reach);
  return even;
}

/// A figure whose area is at most about 1e-12 of its squared extent has no centroid to speak
/// of: its weights are rounding noise. (In the box frame the extent lies in [1, 2).)
bool hasNoArea(double area2, double extent = 1.0) { return std::fabs(area2) <= 2e-12 * extent * extent; }

/// The centroid's offset from the local origin, in the local frame.
sgVector<2> localCentroidOf(const GreenSums& s) {
  const double third = 1.0 / (3.0 * s.area2);
  return sgVector<2>(s.x6 * third, s.y6 * third);
}

sgVector<2> toWorld(const sgVector<2>& local, const LocalFrame& frame) {
  return frame.origin + local * frame.unit;
}

/// The record of the polygon of at least 3 points.
InertiaRecord polygonRecord(const std::vector<sgVector<2>>& points) {
  const LocalFrame frame = localFrameOf(points);
  const GreenSums s = greenSumsOf<true>(points, frame);
  if (hasNoArea(s.area2)) return {};
  // Central moments: the moments about the local origin less the transfer to the centroid.
  const sgVector<2> c = localCentroidOf(s);
  const double cx = c.x(), cy = c.y();
  // A clockwise outline gives every integral negated; the matrix is that of the figure.
  const double sign = s.area2 < 0.0 ? -1.0 : 1.0;
  const double unit2 = frame.unit * frame.unit;
  const double fourth = sign * unit2 * unit2;
  InertiaRecord r;
  r.area = s.area2 * 0.5 * unit2;
  r.center = toWorld(c, frame);
  r.m00 = (s.xx12 * kTwelfth - cx * s.x6 * kSixth) * fourth;
  r.m11 = (s.yy12 * kTwelfth - cy * s.y6 * kSixth) * fourth;
  r.m01 = (s.xy24 * kTwentyFourth - cx * s.y6 * kSixth) * fourth;
  return r;
}

}  // namespace

sg_InertiaData sg_InertiaData::operator+(const sg_InertiaData& other) const {
  // An operand of area exactly 0 stands for no figure, whatever its other members hold.
  if (area_ == 0.0) return other;
  if (other.area_ == 0.0) return *this;
  return dataOf(sumOfNonZero(recordOf(*this), recordOf(other)));
}

sg_InertiaData sf_InertiaDataPolygon(const std::vector<sgVector<2>>& points) {
  if (points.size() < 3) return sg_InertiaData();
  return dataOf(polygonRecord(points));
}

double sf_Area(const std::vector<sgVector<2>>& points) {
  if (points.empty()) return 0.0;
  // About the first vertex rather than the origin: a figure far out keeps its digits. Two sums,
  // of the even and the odd edges, for the reason given at greenSumsOf.
  const sgVector<2> origin = points.front();
  double even = 0.0, odd = 0.0;
  sgVector<2> prev = points.back() - origin;
  std::size_t i = 0;
  for (; i + 1 < points.size(); i += 2) {
    const sgVector<2> a = points[i] - origin, b = points[i + 1] - origin;
    even += crossOf(prev, a);
    odd += crossOf(a, b);
    prev = b;
  }
  if (i < points.size()) even += crossOf(prev, points[i] - origin);
  return std::fabs((even + odd) * 0.5);
}

double sf_Area(const std::vector<sgEdgelet>& edgelets) {
  if (edgelets.size() < 3) return 0.0;
  return sf_Area(sgcntr::positionsOf(edgelets));
}

sgVector<2> snContour::centerOfMass(const std::vector<sgVector<2>>& points) {
  if (points.size() < 3) return sgVector<2>();
  // First about the first vertex, without the pass over the box: the first-order terms are of
  // the size of the figure, and their products stay in range unless the figure is huge or tiny.
  LocalFrame frame{points.front()};
  GreenSums s = greenSumsOf<false>(points, frame);
  // The largest offset from the first vertex lies between half the box's extent and all of it.
  double extent = s.reach;
  if (!(extent > 1e-100 && extent < 1e100)) {
    frame = localFrameOf(points);
    s = greenSumsOf<false>(points, frame);
    extent = 1.0;
  }
  // NaN sums also give the origin: there is no centre to report.
  if (hasNoArea(s.area2, extent) || std::isnan(s.area2)) return sgVector<2>();
  return toWorld(localCentroidOf(s), frame);
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
