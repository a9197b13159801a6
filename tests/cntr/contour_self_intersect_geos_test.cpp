// Self-intersection of random open and closed contours in general position against GEOS isSimple
// (a line or ring is simple when it meets itself nowhere but at the shared ends of neighbouring
// edges and, for a ring, at its closing point). Half the contours are star-shaped (simple) with
// two vertices swapped half of the time, the others random walks, so both answers are common.
//
// General position, with a clearance of 1e-7 on coordinates up to 100: two edges that do not
// share a vertex are either crossing properly or farther apart than the clearance, and
// neighbouring edges do not fold back onto each other. Within that, the answers must be equal.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "cntr/contour.h"
#include "cntr/geosoracle.h"

namespace {

using V = sgVector<2>;
using geostest::Points;

constexpr double kClearance = 1e-7;
constexpr int kContours = 4000;

double cross(const V& a, const V& b, const V& c) {
  return (b.x() - a.x()) * (c.y() - a.y()) - (b.y() - a.y()) * (c.x() - a.x());
}

double distanceToSegment(const V& p, const V& a, const V& b) {
  const V ab = b - a;
  const double len2 = ab.x() * ab.x() + ab.y() * ab.y();
  const double t = len2 > 0.0 ? std::clamp(((p - a) * ab) / len2, 0.0, 1.0) : 0.0;
  return (a + ab * t - p).len();
}

bool properlyCross(const V& a, const V& b, const V& c, const V& d) {
  return cross(a, b, c) * cross(a, b, d) < 0.0 && cross(c, d, a) * cross(c, d, b) < 0.0;
}

double segmentGap(const V& a, const V& b, const V& c, const V& d) {
  return std::min({distanceToSegment(a, c, d), distanceToSegment(b, c, d), distanceToSegment(c, a, b),
                   distanceToSegment(d, a, b)});
}

// The edges as (start, end) index pairs, in the order the contour walks them.
std::vector<std::pair<int, int>> edgesOf(int n, bool closed) {
  std::vector<std::pair<int, int>> edges;
  for (int k = 0; k + 1 < n; ++k) edges.emplace_back(k, k + 1);
  if (closed) edges.emplace_back(n - 1, 0);
  return edges;
}

bool inGeneralPosition(const Points& p, bool closed) {
  const auto edges = edgesOf(static_cast<int>(p.size()), closed);
  for (std::size_t i = 0; i < edges.size(); ++i)
    for (std::size_t j = i + 1; j < edges.size(); ++j) {
      const auto [a, b] = edges[i];
      const auto [c, d] = edges[j];
      const V& pa = p[a];
      const V& pb = p[b];
      const V& pc = p[c];
      const V& pd = p[d];
      if (b == c || d == a) {
        // Neighbours: the far end of each must stay clear of the other edge.
        const V& far1 = b == c ? pd : pc;
        const V& far2 = b == c ? pa : pb;
        if (distanceToSegment(far1, pa, pb) < kClearance || distanceToSegment(far2, pc, pd) < kClearance)
          return false;
      } else if (!properlyCross(pa, pb, pc, pd) && segmentGap(pa, pb, pc, pd) < kClearance) {
        return false;
      }
    }
  return true;
}

Points randomContour(std::mt19937& rng) {
  std::uniform_int_distribution<int> count(3, 14);
  std::uniform_real_distribution<double> coordinate(-100.0, 100.0);
  std::uniform_real_distribution<double> angle(0.0, 2.0 * std::numbers::pi);
  std::uniform_real_distribution<double> radius(10.0, 100.0);
  const int n = count(rng);
  Points points;
  if (rng() % 2) {
    std::vector<double> angles(static_cast<std::size_t>(n));
    for (double& a : angles) a = angle(rng);
    std::sort(angles.begin(), angles.end());
    for (double a : angles) {
      const double r = radius(rng);
      points.push_back(V(r * std::cos(a), r * std::sin(a)));
    }
    if (rng() % 2) std::swap(points[rng() % n], points[rng() % n]);
  } else {
    for (int k = 0; k < n; ++k) points.push_back(V(coordinate(rng), coordinate(rng)));
  }
  return points;
}

TEST(ContourSelfIntersectGeos, AgreesWithGeosIsSimpleInGeneralPosition) {
  const geostest::Geos geos;
  std::mt19937 rng(31337);
  int simple = 0;
  int crossing = 0;
  for (int trial = 0; trial < kContours; ++trial) {
    const Points points = randomContour(rng);
    const bool closed = trial % 2 == 0;
    if (!inGeneralPosition(points, closed)) continue;
    const bool expected = !geos.isSimple(geos.line(points, closed).get());
    ASSERT_EQ(sgContour(points, closed).isSelfIntersecting(), expected)
        << "trial " << trial << (closed ? ", closed, " : ", open, ") << points.size() << " vertices";
    ++(expected ? crossing : simple);
  }
  EXPECT_GT(simple, kContours / 5);
  EXPECT_GT(crossing, kContours / 5);
}

}  // namespace
