// Polygon moments: the inertia record and its combination rule, the moments of a triangle, and
// the polygon area, centroid and moments built from them.
#include "cntr/moments.h"

#include <array>
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

/// The working form of sg_InertiaData: the three distinct entries of the symmetric matrix, and no
/// cached determinant to compute for every partial sum.
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

/// Which operand, if any, a sum equals outright because the other has area exactly 0.
enum class Untouched { none, first, second };

Untouched untouchedOperand(double areaA, double areaB) {
  if (areaA == 0.0) return Untouched::second;
  if (areaB == 0.0) return Untouched::first;
  return Untouched::none;
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

void addRecord(InertiaRecord& sum, const InertiaRecord& piece) {
  switch (untouchedOperand(sum.area, piece.area)) {
    case Untouched::none:
      sum = sumOfNonZero(sum, piece);
      return;
    case Untouched::first:
      return;
    case Untouched::second:
      sum = piece;
      return;
  }
}

/// A triangle of the centroid fan: corner 0 the fan's centre, corners 1 and 2 the ends of a
/// polygon edge. Side k runs from corner k to corner k + 1 (mod 3). The sides through the centre
/// come measured, since neighbouring triangles share them; the polygon edge is measured when a
/// frame first needs it. (A length does not depend on the side's direction.)
class FanTriangle {
 public:
  FanTriangle(const sgVector<2>& center, const sgVector<2>& prev, const sgVector<2>& cur, double prevRadius,
              double curRadius)
      : corners_{center, prev, cur}, sides_{prevRadius, 0.0, curRadius} {}

  const sgVector<2>& corner(int k) const { return corners_[k % 3]; }

  double sideLength(int k) {
    k %= 3;
    if (k == 1 && !edgeMeasured_) {
      sides_[1] = corners_[2].distance(corners_[1]);
      edgeMeasured_ = true;
    }
    return sides_[k];
  }

 private:
  sgVector<2> corners_[3];
  double sides_[3];
  bool edgeMeasured_ = false;
};

/// v / d. Both quotients come from one vector division, which costs what a scalar one does: the
/// divider is the busiest unit of the fan. Each lane is an IEEE quotient, so the values are those
/// of two scalar divisions.
sgVector<2> quotientOf(const sgVector<2>& v, double d) {
  using Pair = double __attribute__((vector_size(16)));
  const Pair q = Pair{v.x(), v.y()} / Pair{d, d};
  return {q[0], q[1]};
}

/// The triangle seen from side k: the base runs from corner k to corner k + 1, the third corner
/// is the apex.
struct BaseFrame {
  int side;
  sgVector<2> from;
  sgVector<2> unit;  // direction of the base: the cosine and sine of its angle
  double length;
  double foot;    // signed position along the base, from `from`, of the apex's perpendicular foot
  double cross;   // base x (apex - from): twice the signed area
  double height;  // distance of the apex from the base's line
};

BaseFrame frameOnSide(FanTriangle& t, int k) {
  const sgVector<2>& from = t.corner(k);
  const sgVector<2> base = t.corner(k + 1) - from;
  const double length = t.sideLength(k);
  const sgVector<2> unit = quotientOf(base, length);
  const sgVector<2> rise = t.corner(k + 2) - from;
  const double cross = crossOf(base, rise);
  return {k, from, unit, length, rise * unit, cross, std::fabs(cross) / length};
}

/// True when the apex is farther from the base segment than from its line by more than 1e-10:
/// the perpendicular foot then lies outside the base.
bool apexProjectsOutsideBase(FanTriangle& t, const BaseFrame& f) {
  const double lineDist = f.height;
  const double segDist = f.foot < 0.0        ? t.sideLength(f.side + 2)
                         : f.foot > f.length ? t.sideLength(f.side + 1)
                                             : lineDist;
  return segDist - 1e-10 > lineDist;
}

/// The record of the triangle: its moments as a figure of positive area, its area signed by the
/// orientation of the corners.
InertiaRecord triangleRecord(FanTriangle t) {
  // Collinear or coincident corners enclose nothing; coincident ones would also leave the base
  // direction undefined. A zero area makes the record vanish from any sum.
  if (crossOf(t.corner(1) - t.corner(0), t.corner(2) - t.corner(0)) == 0.0) return {};
  BaseFrame f = frameOnSide(t, 0);
  // A side whose foot lies on it keeps the local coordinates well conditioned. Some side of a
  // true triangle always qualifies; the bound only stops rounding at extreme coordinates from
  // turning forever.
  for (int turn = 0; turn < 2 && apexProjectsOutsideBase(t, f); ++turn) f = frameOnSide(t, f.side + 1);

  // Local frame: origin at the foot, x along the base, apex at (0, h). The end positions are kept
  // signed, so that a foot lying outside the base by less than the tolerance above still places
  // both ends correctly.
  const double d1 = f.foot;
  const double d2 = f.length - f.foot;
  const double h = f.height;
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
  return {area, center, m00, m01, m11};
}

/// The working memory of one polygon.
struct FanBuffers {
  std::vector<double> radii;           // distance of each vertex from the fan's centre
  std::vector<InertiaRecord> records;  // record i: the triangle over the edge ending at vertex i
  std::vector<std::size_t> passes[3];  // the indices of the records each pass adds
};

// A thread keeps its buffers between calls, so that a call need not allocate, but only while they
// serve polygons of at most this many vertices (about 10 MB).
constexpr std::size_t kKeptVertices = std::size_t{1} << 17;

// Not inlined: inside a loop GCC would look the thread-local address up again on every use.
[[gnu::noinline]] FanBuffers& threadBuffers() {
  thread_local FanBuffers buffers;
  return buffers;
}

/// Fills `records` with the fan of triangles from `center` over the polygon's edges and returns
/// the sum of their areas, taken in index order.
double buildFan(const std::vector<sgVector<2>>& points, const sgVector<2>& center, std::vector<double>& radii,
                std::vector<InertiaRecord>& records) {
  const std::size_t n = points.size();
  // Every vertex's radius serves two triangles. Measured in a loop of their own, where nothing
  // else waits on them.
  radii.resize(n);
  for (std::size_t i = 0; i < n; ++i) radii[i] = points[i].distance(center);
  records.resize(n);
  double areaSum = 0.0;
  std::size_t prev = n - 1;
  for (std::size_t i = 0; i < n; ++i) {
    records[i] = triangleRecord(FanTriangle(center, points[prev], points[i], radii[prev], radii[i]));
    areaSum += records[i].area;
    prev = i;
  }
  return areaSum;
}

/// Lists the record indices of each pass in index order: pass p adds the records of
/// passes[p][0 .. length[p]). Large pieces of the dominant orientation go first, so that every
/// piece of the other orientation is subtracted from a larger accumulated figure; then all but
/// the negligible ones; then the rest.
std::array<std::size_t, 3> sortIntoPasses(const std::vector<InertiaRecord>& records, double mean,
                                          std::vector<std::size_t> (&passes)[3]) {
  std::size_t* list[3];
  for (int p = 0; p < 3; ++p) {
    passes[p].resize(records.size());
    list[p] = passes[p].data();
  }
  const double threshold = mean > 0.0 ? 1e-6 : -1e-6;
  std::array<std::size_t, 3> length = {0, 0, 0};
  for (std::size_t i = 0; i < records.size(); ++i) {
    const double area = records[i].area;
    // Neighbouring pieces fall into the passes at random: no branch on them, which would often be
    // mispredicted. Every list takes the index; only the pass's own list keeps it.
    const bool large = (area > mean) | ((mean < 0.0) & (area < mean));
    const bool notable = (area > threshold) | ((threshold < 0.0) & (area < threshold));
    const bool keep[3] = {large, !large && notable, !large && !notable};
    for (int p = 0; p < 3; ++p) {
      list[p][length[p]] = i;
      length[p] += static_cast<std::size_t>(keep[p]);
    }
  }
  return length;
}

/// The record of the polygon of at least 3 points.
InertiaRecord polygonRecord(const std::vector<sgVector<2>>& points, FanBuffers& buffers) {
  // Fan from the centroid: for a counter-clockwise polygon most pieces are then positive.
  const double areaSum = buildFan(points, snContour::centerOfMass(points), buffers.radii, buffers.records);
  const std::array<std::size_t, 3> length =
      sortIntoPasses(buffers.records, areaSum / static_cast<double>(points.size()), buffers.passes);
  InertiaRecord sum;
  for (int p = 0; p < 3; ++p)
    for (std::size_t k = 0; k < length[p]; ++k) addRecord(sum, buffers.records[buffers.passes[p][k]]);
  return sum;
}

}  // namespace

sg_InertiaData sg_InertiaData::operator+(const sg_InertiaData& other) const {
  switch (untouchedOperand(area_, other.area_)) {
    case Untouched::none:
      break;
    case Untouched::first:
      return *this;
    case Untouched::second:
      return other;
  }
  return dataOf(sumOfNonZero(recordOf(*this), recordOf(other)));
}

sg_InertiaData sf_InertiaDataPolygon(const std::vector<sgVector<2>>& points) {
  if (points.size() < 3) return sg_InertiaData();
  FanBuffers& buffers = threadBuffers();
  const InertiaRecord sum = polygonRecord(points, buffers);
  if (points.size() > kKeptVertices) buffers = FanBuffers();
  return dataOf(sum);
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
