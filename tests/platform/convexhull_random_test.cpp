// The convex hull drops points inside the polygon of extreme points before sorting and chaining
// the rest. That must leave every result bit for bit as the plain monotone chain over all points
// gives it, written out here as it was (with the same exact orientation predicate): the same points, order
// and signs of zero, also where the orientation test is no longer exact (huge or tiny coordinates) and where
// repeats differ only in the sign of a zero.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include "lynstd/lynstd.h"
#include "lynstd/orientation.h"

namespace {

using V = sgVector<2>;
using Points = std::vector<V>;

// ---- the plain chain ----------------------------------------------------------------------------

/// Every finite point sorted by x then y, repeats removed, then the lower and upper chains.
Points plainHull(const Points& points) {
  Points p;
  std::copy_if(points.begin(), points.end(), std::back_inserter(p),
               [](const V& v) { return std::isfinite(v.x()) && std::isfinite(v.y()); });
  std::sort(p.begin(), p.end(),
            [](const V& a, const V& b) { return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y()); });
  p.erase(std::unique(p.begin(), p.end()), p.end());
  const std::size_t n = p.size();
  if (n < 3) return p;
  Points h(2 * n);
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

// ---- random clouds ------------------------------------------------------------------------------

using Rng = std::mt19937_64;

double uniform(Rng& rng, double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); }
int integer(Rng& rng, int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); }

/// 0 with either sign.
double signedZero(Rng& rng) { return integer(rng, 0, 1) == 0 ? 0.0 : -0.0; }

/// A ring of points round a filled middle, on a 1/64 grid as the benchmark's polygons are (so
/// some coordinates round to -0), with the points on the axes given twice, under either sign of
/// zero: which of two such repeats survives depends on the order the sort leaves them in.
Points ringWithTwins(Rng& rng, int n) {
  Points points;
  const double inner = uniform(rng, 0.0, 0.9);
  for (int i = 0; i < n; ++i) {
    const double a = uniform(rng, 0.0, 2.0 * std::numbers::pi), r = 100.0 * uniform(rng, inner, 1.0);
    points.emplace_back(std::round(r * std::cos(a) * 64.0) / 64.0, std::round(r * std::sin(a) * 64.0) / 64.0);
  }
  for (const double r : {100.0, -100.0, 100.0 * uniform(rng, -1.0, 1.0)}) {
    const double zero = signedZero(rng);
    points.insert(points.end(), {V(zero, r), V(-zero, r), V(r, zero), V(r, -zero)});
  }
  return points;
}

/// Points on a line through two random real points, each rounded off it by a few units in the
/// last place, and a few around: which of them are hull vertices is decided at the last bits,
/// where the cross product's rounding is as large as its value.
Points nearLine(Rng& rng, int n) {
  const V a(uniform(rng, -1.0, 1.0), uniform(rng, -1.0, 1.0)),
      b(uniform(rng, -1.0, 1.0), uniform(rng, -1.0, 1.0));
  Points points;
  for (int i = 0; i < n; ++i) points.push_back(a + (b - a) * uniform(rng, -1.0, 2.0));
  for (int i = 0; i < 3; ++i) points.emplace_back(uniform(rng, -2.0, 2.0), uniform(rng, -2.0, 2.0));
  return points;
}

/// Integer points in a small square: repeats, collinear runs and ties for every extreme.
Points integerGrid(Rng& rng, int n) {
  const int side = integer(rng, 1, 12);
  Points points;
  for (int i = 0; i < n; ++i) points.emplace_back(integer(rng, -side, side), integer(rng, -side, side));
  return points;
}

/// Points on one line, or on two crossing ones.
Points lines(Rng& rng, int n) {
  const V start(integer(rng, -5, 5), integer(rng, -5, 5));
  const V step(integer(rng, -3, 3), integer(rng, -3, 3)), other(integer(rng, -3, 3), integer(rng, -3, 3));
  const bool crossing = integer(rng, 0, 1) == 1;
  Points points;
  for (int i = 0; i < n; ++i)
    points.push_back(start + (crossing && i % 2 == 1 ? other : step) * integer(rng, -9, 9));
  return points;
}

/// Points on the chord between the leftmost and the lowest left point, rounded off it to either
/// side, among points extreme in every other direction and a filled middle: only the exact test
/// can tell which of them are hull vertices, and the rounded cross product with the chord often
/// has the wrong sign.
Points nearChord(Rng& rng, int n) {
  const V west(uniform(rng, -10.0, -9.9), uniform(rng, 1.0, 2.0)),
      southWest(uniform(rng, -7.0, -6.0), uniform(rng, -6.0, -5.0));
  Points points = {west, southWest, V(0, -10), V(7, -7), V(10, 0), V(7, 7), V(0, 10), V(-7, 7)};
  for (int i = 0; i < n; ++i) {
    if (i % 4 == 0)
      points.push_back(west + (southWest - west) * uniform(rng, 0.0, 1.0));
    else
      points.emplace_back(uniform(rng, -5.0, 5.0), uniform(rng, -5.0, 5.0));
  }
  return points;
}

/// A cloud far from the origin, so that turns are decided at the last bits.
Points offsetCloud(Rng& rng, int n) {
  const V offset(1e15 * uniform(rng, -1.0, 1.0), 1e15 * uniform(rng, -1.0, 1.0));
  Points points;
  for (int i = 0; i < n; ++i)
    points.push_back(offset + V(integer(rng, -40, 40), integer(rng, -40, 40)) * 0.125);
  return points;
}

Points randomCloud(Rng& rng) {
  const int n = static_cast<int>(std::exp(uniform(rng, 0.0, std::log(3000.0)))) - 1;  // from none
  Points points;
  switch (integer(rng, 0, 5)) {
    case 0:
      points = ringWithTwins(rng, n);
      break;
    case 1:
      points = integerGrid(rng, n);
      break;
    case 2:
      points = lines(rng, n);
      break;
    case 3:
      points = nearLine(rng, n);
      break;
    case 4:
      points = nearChord(rng, n);
      break;
    default:
      points = offsetCloud(rng, n);
      break;
  }
  // Scaled by a power of two now and then, into and beyond the range where the orientation test
  // is exact (the scaling itself is exact but where it overflows or underflows).
  if (integer(rng, 0, 2) == 0) {
    static const int kExponents[] = {-1100, -1000, -560, -540, -520, -500, -401, -400, -399,
                                     399,   400,   401,  505,  509,  511,  513,  520,  900};
    const int e = kExponents[integer(rng, 0, static_cast<int>(std::size(kExponents)) - 1)];
    for (V& p : points) p = V(std::ldexp(p.x(), e), std::ldexp(p.y(), e));
  }
  if (integer(rng, 0, 9) == 0) {
    const double kInf = std::numeric_limits<double>::infinity();
    points.emplace_back(std::numeric_limits<double>::quiet_NaN(), 1.0);
    points.emplace_back(-kInf, 0.0);
  }
  std::shuffle(points.begin(), points.end(), rng);
  return points;
}

bool sameBits(double a, double b) { return a == b && std::signbit(a) == std::signbit(b); }

TEST(ConvexHullDroppingInteriorPoints, MatchesThePlainChainBitForBit) {
  Rng rng(20240611u);
  for (int trial = 0; trial < 3000; ++trial) {
    const Points points = randomCloud(rng);
    Points hull;
    sfConvexHull(points, hull);
    const Points expected = plainHull(points);
    ASSERT_EQ(hull.size(), expected.size()) << "trial " << trial;
    for (std::size_t i = 0; i < hull.size(); ++i) {
      ASSERT_TRUE(sameBits(hull[i].x(), expected[i].x()) && sameBits(hull[i].y(), expected[i].y()))
          << "trial " << trial << ", vertex " << i << ": (" << hull[i].x() << ", " << hull[i].y()
          << ") against (" << expected[i].x() << ", " << expected[i].y() << ")";
    }
  }
}

}  // namespace
