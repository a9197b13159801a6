// Convex hull by Andrew's monotone chain (A. M. Andrew, "Another efficient algorithm for convex
// hulls in two dimensions", 1979), with an exact orientation predicate so that the result is
// convex and free of collinear vertices for any finite input, not only up to rounding.
//
// Before the sort, the points certainly inside the octagon of extreme points are dropped (Akl
// and Toussaint's heuristic): on a typical outline most points are, and sorting and chaining the
// rest is most of the work. While every orientation test is exact, the chain yields the hull's
// vertices whichever interior points it sees, so the result stays the same to the bit.
#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <optional>
#include <vector>

#include "fit_detail.h"
#include "lynstd/fit.h"
#include "lynstd/orientation.h"

namespace {

// Coordinates of these magnitudes (or zero) keep every difference and product of the
// orientation test far from overflow and underflow, where it decides exactly.
constexpr double kExactRangeLargest = 0x1p400;
constexpr double kExactRangeSmallest = 0x1p-400;

bool withinExactRange(double c) {
  const double magnitude = std::fabs(c);
  return (magnitude >= kExactRangeSmallest && magnitude <= kExactRangeLargest) || c == 0.0;
}

/// The points extreme in eight directions, from the leftmost counter-clockwise (the first of
/// ties); none when there are no points or a coordinate lies outside the exact range. The diagonal ones are
/// chosen by rounded sums, so the octagon may be a little off convex; that does not matter (see
/// dropInteriorPoints).
std::optional<std::array<sgVector<2>, 8>> extremeOctagon(const std::vector<sgVector<2>>& p) {
  if (p.empty()) return std::nullopt;
  std::size_t west = 0, southWest = 0, south = 0, southEast = 0, east = 0, northEast = 0, north = 0,
              northWest = 0;
  const auto sum = [&](std::size_t i) { return p[i].x() + p[i].y(); };
  const auto difference = [&](std::size_t i) { return p[i].x() - p[i].y(); };
  for (std::size_t i = 0; i < p.size(); ++i) {
    if (!withinExactRange(p[i].x()) || !withinExactRange(p[i].y())) return std::nullopt;
    if (p[i].x() < p[west].x()) west = i;
    if (sum(i) < sum(southWest)) southWest = i;
    if (p[i].y() < p[south].y()) south = i;
    if (difference(i) > difference(southEast)) southEast = i;
    if (p[i].x() > p[east].x()) east = i;
    if (sum(i) > sum(northEast)) northEast = i;
    if (p[i].y() > p[north].y()) north = i;
    if (difference(i) < difference(northWest)) northWest = i;
  }
  return std::array<sgVector<2>, 8>{p[west], p[southWest], p[south], p[southEast],
                                    p[east], p[northEast], p[north], p[northWest]};
}

/// A directed edge of the extreme octagon, with a margin above which the rounded cross product of
/// the edge with (point - start) proves the point strictly left of it, for any point within the
/// bounding box of `extent`: the product's rounding error stays below sfOrientationErrorBound (|detLeft| +
/// |detRight|), and each term is at most an edge component times an extent (the factor 2 covers
/// the rounding of the margin and of the extent).
class LeftTest {
 public:
  LeftTest(const sgVector<2>& a, const sgVector<2>& b, const sgVector<2>& extent)
      : a_(a),
        edge_(b - a),
        margin_(2.0 * sfOrientationErrorBound *
                (std::fabs(edge_.x()) * extent.y() + std::fabs(edge_.y()) * extent.x())) {}
  bool certainlyLeft(const sgVector<2>& c) const {
    return edge_.x() * (c.y() - a_.y()) - edge_.y() * (c.x() - a_.x()) > margin_;
  }

 private:
  sgVector<2> a_, edge_;
  double margin_;
};

/// Drops the points strictly left of every edge of the extreme octagon, unless a coordinate leaves
/// the exact range; true when it dropped any. Seen from such a point, each edge turns strictly
/// counter-clockwise, so the octagon winds around it: it lies inside the hull of the octagon's
/// vertices, whatever their shape, and is none of the hull's vertices.
bool dropInteriorPoints(std::vector<sgVector<2>>& p) {
  const auto corners = extremeOctagon(p);
  if (!corners) return false;
  const std::array<sgVector<2>, 8>& c = *corners;
  const sgVector<2> extent(c[4].x() - c[0].x(), c[6].y() - c[2].y());  // east - west, north - south
  const LeftTest edges[] = {{c[0], c[1], extent}, {c[1], c[2], extent}, {c[2], c[3], extent},
                            {c[3], c[4], extent}, {c[4], c[5], extent}, {c[5], c[6], extent},
                            {c[6], c[7], extent}, {c[7], c[0], extent}};
  return std::erase_if(p, [&](const sgVector<2>& q) {
           return std::all_of(std::begin(edges), std::end(edges),
                              [&](const LeftTest& e) { return e.certainlyLeft(q); });
         }) > 0;
}

/// Sorts in the order of the hull's start point and removes repeats. False when two repeats
/// differ in the sign of a zero coordinate: the sort orders them either way, so which of them
/// survives depends on all the other points.
bool sortDistinct(std::vector<sgVector<2>>& p) {
  // Through a lambda, so that the comparison is inlined rather than called through a pointer.
  std::sort(p.begin(), p.end(),
            [](const sgVector<2>& a, const sgVector<2>& b) { return sgfitdetail::lessXY(a, b); });
  const auto differentZeros = [](const sgVector<2>& a, const sgVector<2>& b) {
    return a == b &&
           (std::signbit(a.x()) != std::signbit(b.x()) || std::signbit(a.y()) != std::signbit(b.y()));
  };
  const bool settled = std::adjacent_find(p.begin(), p.end(), differentZeros) == p.end();
  p.erase(std::unique(p.begin(), p.end()), p.end());
  return settled;
}

/// The hull of distinct points in the order of sortDistinct.
std::vector<sgVector<2>> monotoneChain(std::vector<sgVector<2>> p) {
  const std::size_t n = p.size();
  if (n < 3) return p;
  // Lower chain left to right, then upper chain right to left; a vertex is kept only where the
  // chain turns strictly left, which drops collinear points. The last point of each chain is the
  // first of the other and is not repeated.
  std::vector<sgVector<2>> h(2 * n);
  std::size_t k = 0;
  for (std::size_t i = 0; i < n; ++i) {
    while (k >= 2 && sfOrientation(h[k - 2], h[k - 1], p[i]) <= 0) --k;
    h[k++] = p[i];
  }
  const std::size_t lower = k + 1;
  for (std::size_t i = n - 1; i-- > 0;) {
    while (k >= lower && sfOrientation(h[k - 2], h[k - 1], p[i]) <= 0) --k;
    h[k++] = p[i];
  }
  h.resize(k - 1);
  return h;
}

}  // namespace

void sfConvexHull(const std::vector<sgVector<2>>& points, std::vector<sgVector<2>>& hull) {
  std::vector<sgVector<2>> p = sgfitdetail::finitePoints(points);
  const bool dropped = dropInteriorPoints(p);
  if (!sortDistinct(p) && dropped) {
    // Which of the repeats survived depended on the dropped points: sort them all.
    p = sgfitdetail::finitePoints(points);
    sortDistinct(p);
  }
  hull = monotoneChain(std::move(p));
}
