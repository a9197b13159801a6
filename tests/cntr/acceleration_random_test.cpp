// The edge index, the edge screening by the segment's line, the partial probe-gap search and the
// reused query buffers must leave every result bit for bit as the plain algorithms give it. The
// plain algorithms are written out here (every edge scanned, every angle sorted) and compared
// with the library on random contours and regions: positions with ==, indices and order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <iterator>
#include <limits>
#include <numbers>
#include <optional>
#include <random>
#include <set>
#include <vector>

#include "cntr/region.h"
#include "cntr/regionst.h"
#include "edgesweep.h"
#include "lynstd/orientation.h"
#include "probedirection.h"
#include "segmentreach.h"
#include "vertexcrossing.h"

using V = sgVector<2>;
using Points = std::vector<V>;

/// Reaches the inside count, which the library keeps private.
class sgRegionTestAccess {
 public:
  static long insideCount(const sgRegion& region, const V& p, bool twoWay) {
    return region.insideCount(p, twoWay);
  }
};

namespace {

constexpr double kTol = 1e-6;

class ProbeContour : public sgContour {
 public:
  using sgContour::candidateEdges;
  using sgContour::intersections;
  using sgContour::lineSegs;
  using sgContour::sgContour;
  using sgContour::validLine;
};

class ProbeRegion : public sgRegion {
 public:
  // The virtual base is built by the most derived class, so it gets the points here.
  explicit ProbeRegion(const Points& points)
      : sgContour(points, true, 0), sgRegion(points, sgContourDefs::eIgnore) {}
  using sgContour::intersections;
  using sgContour::lineSegs;
  using sgContour::medianFeatureSize;
  using sgContour::validLine;
};

// ---- the plain algorithms -----------------------------------------------------------------------

/// Every edge through the exact crossing tests, unscreened, then the exchange sort: the library's
/// screens may only save work, never drop a crossing these tests accept.
template <class C>
Points plainCrossings(const C& c, const sgLineSeg& seg, bool endPoints, std::vector<int>& indices) {
  indices.clear();
  const V a = seg.p1(), b = seg.p2();
  const sgLine line = seg.line();
  struct Record {
    V x;
    int edge;
    double key;
  };
  std::vector<Record> records;
  const std::vector<sgLineSeg>& edges = c.lineSegs();
  for (std::size_t k = 0; k < edges.size(); ++k) {
    if (!c.validLine()[k]) continue;
    const sgLineSeg& e = edges[k];
    const sgLine el = e.line();
    if (el.isParallel(line)) continue;
    if (!endPoints && (e.distToPoint(a) <= kTol || e.distToPoint(b) <= kTol)) continue;
    const V x = el.intersect(line).position();
    if (e.distToPoint(x) < kTol && seg.distToPoint(x) < kTol)
      records.push_back({x, static_cast<int>(k), (x - a) * (b - a)});
  }
  for (std::size_t i = 0; i + 1 < records.size(); ++i)
    for (std::size_t j = i + 1; j < records.size(); ++j)
      if (records[j].key < records[i].key) std::swap(records[i], records[j]);
  Points positions;
  for (const Record& r : records) {
    positions.push_back(r.x);
    indices.push_back(r.edge);
  }
  return positions;
}

template <class C>
Points plainCrossings(const C& c, const sgLineSeg& seg, bool endPoints) {
  std::vector<int> unused;
  return plainCrossings(c, seg, endPoints, unused);
}

/// Every edge asked, then the strands through repeated vertices.
template <class C>
bool plainSelfIntersecting(const C& c) {
  for (std::size_t k = 0; k < c.lineSegs().size(); ++k)
    if (c.validLine()[k] && !plainCrossings(c, c.lineSegs()[k], false).empty()) return true;
  return sgcntr::strandsCrossAtRepeatedVertex(c.points(), c.isClosed());
}

Points plainCrossingsWith(const ProbeContour& c, const sgContour& other) {
  Points result;
  const Points& q = other.points();
  const std::size_t n = q.size();
  if (n == 0) return result;
  std::size_t previous = other.isClosed() ? n - 1 : 0;
  for (std::size_t i = other.isClosed() ? 0 : 1; i < n; ++i) {
    const Points part = plainCrossings(c, sgLineSeg(q[previous], q[i]), true);
    result.insert(result.end(), part.begin(), part.end());
    previous = i;
  }
  return result;
}

/// Every angle computed and sorted, the gaps searched from the smallest angle.
std::optional<V> plainProbeDirection(const Points& vertices, const V& p) {
  std::vector<double> angles;
  for (const V& v : vertices) {
    const V d = v - p;
    if (d.len() <= kTol) return std::nullopt;
    angles.push_back(d.angle().norm().toDouble());
  }
  const double step = std::numbers::pi / static_cast<double>(vertices.size());
  std::sort(angles.begin(), angles.end());
  for (std::size_t i = 0; i < angles.size(); ++i) {
    const std::size_t j = (i + 1 == angles.size()) ? 0 : i + 1;
    const double gap = sgRadian(angles[j] - angles[i]).norm().toDouble();
    if (gap > step) return V(1.0, sgRadian(angles[i] + 0.5 * gap));
  }
  return V(1.0, 0.0);
}

long plainInsideCount(const ProbeRegion& r, const V& p, bool twoWay) {
  if (!r.encloseRect(sgXform<2>::I).within(p)) return 0;
  const std::optional<V> u = plainProbeDirection(r.points(), p);
  if (!u) return 1;
  const double reach = 2.0 * r.encloseCircle(sgContourDefs::eApproximate).radius();
  const auto count = [&](const V& dir) {
    return static_cast<long>(plainCrossings(r, sgLineSeg(p, p + dir * reach), false).size());
  };
  const long forward = count(*u);
  return twoWay ? std::min(forward, count(-*u)) : forward;
}

/// Every ordered pair, the first strictly farthest one kept.
sgCircle plainDiameterCircle(const Points& points) {
  sgCircle circle(points.front(), 0.0);
  double farthest = 0.0;
  for (const V& a : points) {
    for (const V& b : points) {
      const double d = a.distance(b);
      if (d > farthest) {
        farthest = d;
        circle = sgCircle((a + b) * 0.5, d * 0.5);
      }
    }
  }
  return circle;
}

// ---- random inputs ------------------------------------------------------------------------------

using Rng = std::mt19937_64;

int randomSize(Rng& rng, int largest) {
  // Log-uniform from 3: most contours small, some large enough for the edge index.
  std::uniform_real_distribution<double> logSize(std::log(3.0), std::log(static_cast<double>(largest)));
  return static_cast<int>(std::lround(std::exp(logSize(rng))));
}

/// Integer coordinates in a small square: ties, collinear edges and crossings everywhere; some
/// vertices repeated (zero-length edges) and some straight runs.
Points integerOutline(Rng& rng, int n) {
  const int side = std::max(4, static_cast<int>(std::sqrt(static_cast<double>(n))) * 3);
  std::uniform_int_distribution<int> coordinate(0, side);
  std::uniform_int_distribution<int> kind(0, 9);
  Points points;
  while (static_cast<int>(points.size()) < n) {
    const int k = kind(rng);
    if (k == 0 && !points.empty()) {
      points.push_back(points.back());
    } else if (k == 1 && !points.empty()) {
      const V delta(coordinate(rng) % 3 - 1, coordinate(rng) % 3 - 1);
      for (int i = 0; i < 3 && static_cast<int>(points.size()) < n; ++i)
        points.push_back(points.back() + delta);
    } else {
      points.emplace_back(coordinate(rng), coordinate(rng));
    }
  }
  return points;
}

/// A simple star-shaped polygon with real coordinates, optionally with a few crossing twists.
Points starOutline(Rng& rng, int n, bool twisted) {
  std::uniform_real_distribution<double> radius(50.0, 100.0);
  Points points;
  for (int i = 0; i < n; ++i) {
    const double a = 2.0 * std::numbers::pi * i / n;
    const double r = radius(rng);
    points.emplace_back(r * std::cos(a), r * std::sin(a));
  }
  if (twisted) {
    for (int i = 1; i + 2 < n; i += 17)
      std::swap(points[static_cast<std::size_t>(i)], points[static_cast<std::size_t>(i + 1)]);
  }
  return points;
}

Points randomOutline(Rng& rng, int n) {
  switch (std::uniform_int_distribution<int>(0, 2)(rng)) {
    case 0:
      return integerOutline(rng, n);
    case 1:
      return starOutline(rng, n, false);
    default:
      return starOutline(rng, n, true);
  }
}

/// Query points: vertices, edge midpoints, points next to vertices, and anywhere around.
V randomPoint(Rng& rng, const Points& outline) {
  std::uniform_int_distribution<std::size_t> pick(0, outline.size() - 1);
  std::uniform_real_distribution<double> spread(-1.2, 1.2);
  double extent = 1.0;
  for (const V& v : outline) extent = std::max({extent, std::fabs(v.x()), std::fabs(v.y())});
  switch (std::uniform_int_distribution<int>(0, 4)(rng)) {
    case 0:
      return outline[pick(rng)];
    case 1:
      return (outline[pick(rng)] + outline[pick(rng)]) * 0.5;
    case 2:
      return outline[pick(rng)] + V(std::ldexp(1.0, -40), -std::ldexp(1.0, -60));
    case 3:
      return V(std::round(spread(rng) * extent), std::round(spread(rng) * extent));
    default:
      return V(spread(rng) * extent, spread(rng) * extent);
  }
}

void expectSameCrossings(const Points& actual, const std::vector<int>& actualEdges, const Points& expected,
                         const std::vector<int>& expectedEdges) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < actual.size(); ++i) {
    EXPECT_EQ(actual[i].x(), expected[i].x()) << "crossing " << i;
    EXPECT_EQ(actual[i].y(), expected[i].y()) << "crossing " << i;
  }
  EXPECT_EQ(actualEdges, expectedEdges);
}

void expectSamePoints(const Points& actual, const Points& expected) {
  expectSameCrossings(actual, {}, expected, {});
}

/// Equal as doubles bit for bit, NaN payloads aside: -0 differs from +0.
bool sameDouble(double a, double b) {
  return (std::isnan(a) && std::isnan(b)) || (a == b && std::signbit(a) == std::signbit(b));
}

/// Segment queries of every kind against one contour, each compared with the plain scan.
template <class C>
void compareSegmentQueries(Rng& rng, const C& c, int count) {
  for (int q = 0; q < count; ++q) {
    const V a = randomPoint(rng, c.points());
    const V b = randomPoint(rng, c.points());
    const bool endPoints = (q % 2) == 0;
    std::vector<int> edges, expectedEdges;
    const Points found = c.intersections(sgLineSeg(a, b), edges, endPoints);
    const Points expected = plainCrossings(c, sgLineSeg(a, b), endPoints, expectedEdges);
    expectSameCrossings(found, edges, expected, expectedEdges);
    expectSamePoints(c.intersections(sgLineSeg(a, b), endPoints), expected);
  }
}

// ---- the tests ----------------------------------------------------------------------------------

TEST(AcceleratedQueries, SegmentCrossingsAndSelfIntersectionMatchThePlainScan) {
  Rng rng(20240611u);
  for (int trial = 0; trial < 300; ++trial) {
    const int n = randomSize(rng, 3000);
    const bool closed = trial % 4 != 0;
    const ProbeContour c(randomOutline(rng, n), closed);
    compareSegmentQueries(rng, c, 12);
    // The plain test is quadratic on a simple outline: every size up to 600, a sample above.
    if (n <= 600 || trial % 10 == 0) {
      EXPECT_EQ(c.isSelfIntersecting(), plainSelfIntersecting(c));
    }
    const sgContour other(randomOutline(rng, randomSize(rng, 60)), trial % 3 != 0);
    expectSamePoints(c.intersections(other), plainCrossingsWith(c, other));
    if (HasFailure()) FAIL() << "trial " << trial << ", " << n << " vertices";
  }
}

/// Turns the points by `angle` about the origin, then shifts and scales them: the rounding moves
/// every vertex a little, so exact ties become near ties of either sign.
Points placed(const Points& points, double angle, double scale, const V& shift) {
  const double c = std::cos(angle), s = std::sin(angle);
  Points out;
  for (const V& p : points) out.push_back(V(c * p.x() - s * p.y(), s * p.x() + c * p.y()) * scale + shift);
  return out;
}

/// A square with a V-shaped notch from the top whose tip ends `gap` above the bottom edge (below
/// it for a negative gap) or, when `atCorner`, above the bottom right corner, where the outline
/// turns down and away.
Points notchedSquare(double gap, bool atCorner) {
  const double tipX = atCorner ? 10.0 : 5.0;
  Points points{V(0, 0),         V(10, 0),     V(12, -5),       V(12, 10),
                V(tipX + 1, 10), V(tipX, gap), V(tipX - 1, 10), V(0, 10)};
  // The left side in 150 straight steps: enough edges for the self-intersection test to sweep.
  for (int i = 1; i < 150; ++i) points.emplace_back(0.0, 10.0 - i / 15.0);
  return points;
}

/// A skyline over unit columns of random integer heights: a simple rectilinear outline with
/// straight runs (equal neighbouring heights), repeated vertices, and, where `pinched`, two
/// skylines touching at one corner.
Points skyline(Rng& rng, int columns, bool pinched) {
  std::uniform_int_distribution<int> height(1, 4), repeat(0, 7);
  Points points{V(0, 0), V(columns, 0)};
  for (int i = columns; i > 0; --i) {
    const double h = height(rng);
    points.emplace_back(i, h);
    if (repeat(rng) == 0) points.emplace_back(i, h);
    points.emplace_back(i - 1, h);
  }
  if (!pinched) return points;
  // A second skyline hanging below, sharing only the corner (0, 0).
  for (const V& p : Points{V(0, 0), V(-columns, 0), V(-columns, -3), V(0, -3)}) points.push_back(p);
  return points;
}

TEST(AcceleratedQueries, SelfIntersectionMatchesThePlainScanAtTheTolerance) {
  Rng rng(424242u);
  std::uniform_real_distribution<double> angle(0.0, 2.0 * std::numbers::pi), offset(-50.0, 50.0);
  // Around the crossing tolerance (1e-6) and the sweep's clearance (1e-5), on both sides.
  const double gaps[] = {-1e-3,  -1e-6,  0.0,  5e-7,   9.99e-7, 1.001e-6,
                         1.5e-6, 2.5e-6, 9e-6, 1.4e-5, 2e-5,    1e-3};
  for (int trial = 0; trial < 20; ++trial) {
    for (const double gap : gaps) {
      for (const bool atCorner : {false, true}) {
        // The first turns make the bottom edge (nearly) vertical, the case only the sweep over
        // transposed coordinates sees.
        const double turns[] = {0.0, std::numbers::pi / 2, std::numbers::pi / 2 + 0.01,
                                1.5 * std::numbers::pi - 0.005};
        const double turn = trial < 4 ? turns[trial] : angle(rng);
        const ProbeContour c(placed(notchedSquare(gap, atCorner), turn, 1.0, V(offset(rng), offset(rng))));
        EXPECT_EQ(c.isSelfIntersecting(), plainSelfIntersecting(c)) << "gap " << gap << ", turn " << turn;
      }
    }
  }
  // Unturned, the answers are known: the tip crossing the edge, even by 1e-6, is a crossing; so
  // is stopping short of it within the tolerance, though the edges' boxes then do not meet.
  EXPECT_TRUE(ProbeContour(notchedSquare(-1e-6, false)).isSelfIntersecting());
  EXPECT_TRUE(ProbeContour(notchedSquare(5e-7, false)).isSelfIntersecting());
  EXPECT_FALSE(ProbeContour(notchedSquare(1.5e-6, false)).isSelfIntersecting());
}

TEST(AcceleratedQueries, SelfIntersectionMatchesThePlainScanOnDegenerateOutlines) {
  Rng rng(5150u);
  std::uniform_real_distribution<double> angle(0.0, 2.0 * std::numbers::pi);
  for (int trial = 0; trial < 200; ++trial) {
    Points points = skyline(rng, randomSize(rng, 300), trial % 3 == 0);
    if (trial % 4 == 1) points = placed(points, angle(rng), 1.0 + trial, V(0.5, -0.25));
    // Huge coordinates leave the sweep's range: the plain scan must still decide.
    if (trial % 10 == 7) points = placed(points, 0.0, 1e9, V(0, 0));
    const ProbeContour c(points, trial % 5 != 0);
    EXPECT_EQ(c.isSelfIntersecting(), plainSelfIntersecting(c)) << "trial " << trial;
    // A spike out and back along itself, and a vertex moved onto a far edge.
    Points spiked = points;
    spiked.insert(spiked.begin() + 3, {spiked[2] + V(0.5, 7), spiked[2]});
    const ProbeContour s(spiked);
    EXPECT_EQ(s.isSelfIntersecting(), plainSelfIntersecting(s)) << "trial " << trial;
  }
}

/// Distance between two segments: zero when they cross, else the least end-to-segment distance.
double segmentDistance(const sgLineSeg& s, const sgLineSeg& t) {
  const auto side = [](const V& a, const V& b, const V& p) {
    return (b.x() - a.x()) * (p.y() - a.y()) - (b.y() - a.y()) * (p.x() - a.x());
  };
  if (side(s.p1(), s.p2(), t.p1()) * side(s.p1(), s.p2(), t.p2()) < 0.0 &&
      side(t.p1(), t.p2(), s.p1()) * side(t.p1(), t.p2(), s.p2()) < 0.0)
    return 0.0;
  return std::min(
      {s.distToPoint(t.p1()), s.distToPoint(t.p2()), t.distToPoint(s.p1()), t.distToPoint(s.p2())});
}

/// The least distance between two valid edges that share no end point position.
double leastClearance(const ProbeContour& c) {
  double least = std::numeric_limits<double>::infinity();
  const auto& segs = c.lineSegs();
  for (std::size_t k = 0; k < segs.size(); ++k) {
    for (std::size_t j = k + 1; j < segs.size(); ++j) {
      if (!c.validLine()[k] || !c.validLine()[j]) continue;
      const V ends[] = {segs[k].p1(), segs[k].p2()};
      if (std::count(std::begin(ends), std::end(ends), segs[j].p1()) +
              std::count(std::begin(ends), std::end(ends), segs[j].p2()) >
          0)
        continue;
      least = std::min(least, segmentDistance(segs[k], segs[j]));
    }
  }
  return least;
}

/// A rectangle with a wedge cut in from each side; the two tips point at each other `gap` apart.
Points facingTips(double gap) {
  return {V(-10, -1), V(0, 0),   V(-10, 1), V(-10, 5), V(10, 5),
          V(10, 1),   V(gap, 0), V(10, -1), V(10, -5), V(-10, -5)};
}

TEST(EdgeSweep, ClearMeansEveryTwoEdgesStayBeyondTheClearance) {
  Rng rng(31337u);
  std::uniform_real_distribution<double> angle(0.0, 2.0 * std::numbers::pi);
  std::uniform_real_distribution<double> logGap(std::log(1e-7), std::log(1e-3));
  int clear = 0, suspect = 0;
  for (int trial = 0; trial < 300; ++trial) {
    const double gap = std::exp(logGap(rng));
    const Points shape = trial % 3 == 0 ? facingTips(gap) : notchedSquare(gap, trial % 3 == 1);
    const ProbeContour c(placed(shape, angle(rng), 1.0, V(3.0, -7.0)));
    const sgcntr::SweepVerdict verdict = sgcntr::sweepEdges(c.lineSegs(), c.validLine());
    if (verdict.kind == sgcntr::SweepVerdict::Clear) {
      EXPECT_GT(leastClearance(c), sgcntr::kSweepClearance) << "gap " << gap;
      ++clear;
    } else {
      ++suspect;
    }
  }
  // Both verdicts occur: the gaps straddle the clearance.
  EXPECT_GT(clear, 50);
  EXPECT_GT(suspect, 50);
}

TEST(EdgeSweep, ProvesSimpleOutlinesFreeOfCrossingsAndNamesNearEdges) {
  Rng rng(77u);
  const auto verdictOf = [](const ProbeContour& c) {
    return sgcntr::sweepEdges(c.lineSegs(), c.validLine());
  };
  for (int trial = 0; trial < 50; ++trial) {
    const ProbeContour star(starOutline(rng, randomSize(rng, 5000), false));
    EXPECT_EQ(verdictOf(star).kind, sgcntr::SweepVerdict::Clear);
    // Straight runs, repeated vertices and a pinch point are no reason for doubt.
    const ProbeContour rectilinear(skyline(rng, randomSize(rng, 300), trial % 2 == 0));
    EXPECT_EQ(verdictOf(rectilinear).kind, sgcntr::SweepVerdict::Clear);
  }
  // The notch tip (edges 5 and 6) within the clearance of the bottom edge (edge 1) or of the
  // corner vertex that edges 1 and 2 share.
  for (const bool atCorner : {false, true}) {
    const sgcntr::SweepVerdict near = verdictOf(ProbeContour(notchedSquare(5e-6, atCorner)));
    ASSERT_EQ(near.kind, sgcntr::SweepVerdict::Suspect);
    const std::set<int> named{near.first, near.second};
    EXPECT_TRUE(named.count(5) + named.count(6) == 1 && named.count(1) + (atCorner ? named.count(2) : 0) == 1)
        << near.first << ", " << near.second;
    EXPECT_EQ(verdictOf(ProbeContour(notchedSquare(1e-4, atCorner))).kind, sgcntr::SweepVerdict::Clear);
  }
  EXPECT_EQ(verdictOf(ProbeContour(placed(notchedSquare(1.0, false), 0.0, 2e8, V(0, 0)))).kind,
            sgcntr::SweepVerdict::Undecided);
}

TEST(AcceleratedQueries, CandidateEdgesAreTheSameWithAndWithoutTheIndex) {
  Rng rng(7u);
  for (int trial = 0; trial < 200; ++trial) {
    const ProbeContour c(randomOutline(rng, randomSize(rng, 2000)));
    const V a = randomPoint(rng, c.points()), b = randomPoint(rng, c.points());
    // Without the index: every valid edge through the same screen, in edge order. Appended to
    // what the list already holds.
    const sgcntr::SegmentReach reach(sgLineSeg(a, b));
    std::vector<int> scanned{-1}, indexed{-1};
    for (std::size_t k = 0; k < c.lineSegs().size(); ++k) {
      const sgLineSeg& e = c.lineSegs()[k];
      const sgRect box = sgRect(e.p1(), V(0, 0)).enclose(sgRect(e.p2(), V(0, 0)));
      if (c.validLine()[k] && reach.mayMeet(box, e)) scanned.push_back(static_cast<int>(k));
    }
    c.candidateEdges(sgLineSeg(a, b), indexed);
    EXPECT_EQ(indexed, scanned);
  }
}

TEST(AcceleratedQueries, TheIndexKeepsEdgesPassingJustBesideTheSegment) {
  // A fan of 64 long thin spikes around the origin; the query runs along one spike at 1.5e-6
  // from its side, so that spike's edge must stay a candidate.
  Points star;
  for (int i = 0; i < 64; ++i) {
    const double t = i * std::numbers::pi / 32;
    star.emplace_back(std::cos(t), std::sin(t));
    star.emplace_back(100.0 * std::cos(t + 0.001), 100.0 * std::sin(t + 0.001));
  }
  const ProbeContour c(star);
  const V tip = star[1], base = star[0];
  const V normal = V(base.y() - tip.y(), tip.x() - base.x()) / (tip - base).len();
  const sgLineSeg seg(base + normal * 1.5e-6, tip + normal * 1.5e-6);
  std::vector<int> indexed;
  c.candidateEdges(seg, indexed);
  EXPECT_TRUE(std::count(indexed.begin(), indexed.end(), 1) == 1);
  std::vector<int> plainIndices, indices;
  EXPECT_EQ(c.intersections(seg, indices, false), plainCrossings(c, seg, false, plainIndices));
  EXPECT_EQ(indices, plainIndices);
}

TEST(AcceleratedQueries, EdgesFarFromTheSegmentsLineAreNotCandidates) {
  // A 40-gon; the segment's box covers the whole outline, its line passes near two vertices only.
  Points ring;
  for (int i = 0; i < 40; ++i)
    ring.emplace_back(std::cos(i * std::numbers::pi / 20), std::sin(i * std::numbers::pi / 20));
  const ProbeContour c(ring);
  std::vector<int> edges;
  c.candidateEdges(sgLineSeg(V(-1, -1), V(1, 1)), edges);
  // The diagonal meets the edges around the vertices at 45 and 225 degrees (vertices 5 and 25).
  EXPECT_EQ(edges, (std::vector<int>{5, 6, 25, 26}));
  // This one's box overlaps the boxes of the two edges at vertex 0, (1, 0), and its line runs
  // through that vertex, but the segment stops 0.01 short of their lines.
  edges.clear();
  c.candidateEdges(sgLineSeg(V(0, 0), V(0.99, 0)), edges);
  EXPECT_TRUE(edges.empty());
}

TEST(AcceleratedQueries, InsideCountsMatchThePlainSortedGapSearch) {
  Rng rng(99u);
  for (int trial = 0; trial < 300; ++trial) {
    const int n = randomSize(rng, 2500);
    const ProbeRegion r(randomOutline(rng, n));
    for (int q = 0; q < 12; ++q) {
      const V p = randomPoint(rng, r.points());
      const bool twoWay = q % 2 == 1;
      EXPECT_EQ(sgRegionTestAccess::insideCount(r, p, twoWay), plainInsideCount(r, p, twoWay));
      EXPECT_EQ(r.inside(p, false), plainInsideCount(r, p, false) % 2 == 1);
    }
    if (HasFailure()) FAIL() << "trial " << trial << ", " << n << " vertices";
  }
}

/// Even-odd parity with exact orientation signs (half-open rule along +x); empty on the outline.
std::optional<bool> exactEvenOdd(const Points& outline, const V& p) {
  bool odd = false;
  for (std::size_t i = 0; i < outline.size(); ++i) {
    const V& a = outline[i == 0 ? outline.size() - 1 : i - 1];
    const V& b = outline[i];
    const int side = sfOrientation(a, b, p);
    if (side == 0 && std::min(a.x(), b.x()) <= p.x() && p.x() <= std::max(a.x(), b.x()) &&
        std::min(a.y(), b.y()) <= p.y() && p.y() <= std::max(a.y(), b.y()))
      return std::nullopt;
    if ((a.y() > p.y()) != (b.y() > p.y()) && side == (b.y() > a.y() ? 1 : -1)) odd = !odd;
  }
  return odd;
}

TEST(AcceleratedQueries, InsideTestsMatchThePlainProbeOrTheExactParity) {
  Rng rng(1618u);
  int compared = 0, exceptions = 0;
  for (int trial = 0; trial < 150; ++trial) {
    const int n = randomSize(rng, 3000);
    const ProbeRegion r(randomOutline(rng, n));
    const sgRect box = r.encloseRect(sgXform<2>::I);
    std::uniform_real_distribution<double> corner(0.0, 0.05);
    for (int q = 0; q < 40; ++q) {
      // Every fourth point near a corner of the bounding rectangle, where the plain probe ray,
      // 2 x the approximate radius long, may end inside the outline.
      V p = randomPoint(rng, r.points());
      if (q % 4 == 3)
        p = V(q % 8 == 3 ? box.x() + corner(rng) * box.width() : box.x() + (1 - corner(rng)) * box.width(),
              q % 16 < 8 ? box.y() + corner(rng) * box.height() : box.y() + (1 - corner(rng)) * box.height());
      const bool plain = plainInsideCount(r, p, false) % 2 == 1;
      const bool found = r.inside(p, false);
      ++compared;
      if (found == plain) continue;
      // Only the plain probe may miscount, never the indexed parity, and only away from the outline.
      const std::optional<bool> exact = exactEvenOdd(r.points(), p);
      ASSERT_TRUE(exact.has_value()) << "trial " << trial;
      EXPECT_EQ(found, *exact) << "trial " << trial;
      ++exceptions;
    }
    if (HasFailure()) FAIL() << "trial " << trial << ", " << n << " vertices";
  }
  std::cout << "inside: " << exceptions << " of " << compared << " points differ from the plain probe, "
            << "all matching the exact even-odd parity\n";
  EXPECT_LT(exceptions * 50, compared);
}

/// Nearest vertex and nearest point by the plain scans: ties to the lowest index, the earliest edge.
long plainClosestVertex(const Points& points, const V& p) {
  double best = std::numeric_limits<double>::infinity();
  long index = 0;
  for (std::size_t i = 0; i < points.size(); ++i)
    if (p.distance(points[i]) < best) {
      best = p.distance(points[i]);
      index = static_cast<long>(i);
    }
  return index;
}

V plainClosestPoint(const sgContour& c, const V& p) {
  const Points& v = c.points();
  V result(0, 0);
  double best = std::numeric_limits<double>::infinity();
  const std::size_t n = v.size();
  for (std::size_t i = c.isClosed() ? 0 : 1; i < n; ++i) {
    const V a = v[c.isClosed() && i == 0 ? n - 1 : i - 1], b = v[i];
    const sgLineSeg s(a, b);
    const double d = s.distToPoint(p);
    if (d < best) {
      best = d;
      const double dx = b.x() - a.x(), dy = b.y() - a.y();
      const double t = dx * dx + dy * dy == 0.0
                           ? 0.0
                           : ((p.x() - a.x()) * dx + (p.y() - a.y()) * dy) / (dx * dx + dy * dy);
      result = t <= 0.0 ? a : (t >= 1.0 ? b : s.line().proj(p).position());
    }
  }
  return result;
}

TEST(AcceleratedQueries, NearestVertexAndPointMatchThePlainScans) {
  Rng rng(141421u);
  for (int trial = 0; trial < 200; ++trial) {
    const int n = randomSize(rng, 3000);
    const sgContour c(randomOutline(rng, n), trial % 4 != 0);
    for (int q = 0; q < 20; ++q) {
      const V p = randomPoint(rng, c.points());
      EXPECT_EQ(c.closestVertexIndex(p), plainClosestVertex(c.points(), p));
      const V found = c.closestPoint(p, false), expected = plainClosestPoint(c, p);
      EXPECT_TRUE(sameDouble(found.x(), expected.x()) && sameDouble(found.y(), expected.y()));
      EXPECT_EQ(c.distToPoint(p, false), expected.distance(p));
    }
    if (HasFailure()) FAIL() << "trial " << trial << ", " << n << " vertices";
  }
}

TEST(AcceleratedQueries, ProbeDirectionsMatchThePlainSortedGapSearchBitForBit) {
  Rng rng(4242u);
  for (int trial = 0; trial < 3000; ++trial) {
    const int n = randomSize(rng, 400);
    const Points outline = randomOutline(rng, n);
    const V p = randomPoint(rng, outline);
    const std::optional<V> found = sgcntr::probeDirection(outline, p, kTol);
    const std::optional<V> expected = plainProbeDirection(outline, p);
    ASSERT_EQ(found.has_value(), expected.has_value()) << "trial " << trial;
    if (found) {
      EXPECT_EQ(found->x(), expected->x()) << "trial " << trial;
      EXPECT_EQ(found->y(), expected->y()) << "trial " << trial;
    }
  }
}

TEST(AcceleratedQueries, ProbeDirectionsAcrossTheFullTurnAndAtEqualAngles) {
  // Directions just below a full turn normalise to 0 or to just under 2 pi; a regular polygon
  // seen from its centre has equal gaps; collinear vertices give equal angles.
  std::vector<Points> outlines;
  Points nearTurn;
  for (int i = 0; i < 50; ++i) nearTurn.emplace_back(5.0 + i, -std::ldexp(1.0, -60 + i));
  nearTurn.emplace_back(5.0, 3.0);
  outlines.push_back(nearTurn);
  Points regular;
  for (int i = 0; i < 64; ++i)
    regular.emplace_back(std::cos(i * std::numbers::pi / 32), std::sin(i * std::numbers::pi / 32));
  outlines.push_back(regular);
  Points rays;
  for (int i = 1; i <= 40; ++i) rays.emplace_back(i % 2 == 0 ? i : -i, i % 3 == 0 ? 0 : i);
  outlines.push_back(rays);
  for (const Points& outline : outlines) {
    const std::optional<V> found = sgcntr::probeDirection(outline, V(0, 0), kTol);
    const std::optional<V> expected = plainProbeDirection(outline, V(0, 0));
    ASSERT_TRUE(found && expected);
    EXPECT_EQ(found->x(), expected->x());
    EXPECT_EQ(found->y(), expected->y());
  }
}

/// Outlines about a point that the probe search's filters must get exactly right: exact angle ties
/// on rays from the point, vertices on its horizontal line (differences of +0 and -0 on either
/// side), directions just below a full turn, far clusters whose first wide gap comes after several
/// rounds or only at the wrap, and now and then a vertex within or just beyond the on-vertex
/// tolerance, or with huge, infinite or NaN coordinates.
class ProbeStress {
 public:
  explicit ProbeStress(Rng& rng) : rng_(rng) {}

  V point() {
    if (coin(2)) return V(0.0, 0.0);
    std::uniform_int_distribution<int> coordinate(-50, 50);
    return V(coordinate(rng_), coordinate(rng_));
  }

  Points outline(const V& p, int n) {
    Points points;
    const bool clustered = coin(3);
    const V centre = p + V(1e4, sgRadian(uniform(0.0, 2.0 * std::numbers::pi)));
    // The cluster spans a few to a few hundred gap widths: runs of narrow gaps of any length.
    const double spread = 1e4 * std::numbers::pi / n * std::exp(uniform(std::log(2.0), std::log(2.0 * n)));
    for (int i = 0; i < n; ++i)
      points.push_back(clustered ? centre + V(uniform(-spread, spread), uniform(-spread, spread))
                                 : nearPoint(p));
    if (coin(3)) {
      const std::size_t at = std::uniform_int_distribution<std::size_t>(0, points.size() - 1)(rng_);
      points[at] = rareVertex(p);
    }
    if (coin(2)) std::reverse(points.begin(), points.end());
    return points;
  }

 private:
  bool coin(int sides) { return std::uniform_int_distribution<int>(1, sides)(rng_) == 1; }
  double uniform(double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng_); }
  int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(rng_); }

  V nearPoint(const V& p) {
    static const V kRays[] = {V(1, 0), V(-1, 0), V(0, 1), V(0, -1), V(1, 1), V(-2, 1), V(3, -1), V(-1, -3)};
    const double k = std::uniform_int_distribution<int>(1, 20)(rng_);
    switch (pick(4)) {
      case 0:
        return p + kRays[pick(8)] * k;
      case 1:  // on the horizontal line; y = -0 against a point at y = +0 gives dy = -0
        return V(p.x() + (coin(2) ? k : -k), coin(2) ? -p.y() : p.y());
      case 2:  // just below a full turn
        return V(p.x() + k, p.y() - std::ldexp(k, -std::uniform_int_distribution<int>(20, 1070)(rng_)));
      default:
        return p + V(uniform(-20.0, 20.0), uniform(-20.0, 20.0));
    }
  }

  V rareVertex(const V& p) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    static const double kToleranceFactors[] = {0.5, 1.0 - 1e-12, 1.0, 1.0 + 1e-12, 1.0 + 1e-7, 1.0 + 2e-6};
    switch (pick(4)) {
      case 0:
        return p + V(kTol * kToleranceFactors[pick(6)], 0.0);
      case 1:
        return V(coin(2) ? 1e308 : -1e308, coin(2) ? 1e308 : -3e307);
      case 2:
        return V(coin(2) ? kInf : 1.0, coin(2) ? -kInf : 2.0);
      default:
        return V(coin(2) ? std::numeric_limits<double>::quiet_NaN() : 1.0, 1.0);
    }
  }

  Rng& rng_;
};

TEST(AcceleratedQueries, ProbeDirectionsMatchThePlainSearchOnDegenerateOutlines) {
  Rng rng(8088u);
  ProbeStress stress(rng);
  int onVertex = 0;
  for (int trial = 0; trial < 4000; ++trial) {
    const V p = stress.point();
    const Points outline = stress.outline(p, randomSize(rng, 600));
    const std::optional<V> found = sgcntr::probeDirection(outline, p, kTol);
    const std::optional<V> expected = plainProbeDirection(outline, p);
    ASSERT_EQ(found.has_value(), expected.has_value()) << "trial " << trial;
    if (!found) {
      ++onVertex;
      continue;
    }
    EXPECT_TRUE(sameDouble(found->x(), expected->x()) && sameDouble(found->y(), expected->y()))
        << "trial " << trial << ": (" << found->x() << ", " << found->y() << ") against (" << expected->x()
        << ", " << expected->y() << ")";
  }
  // Both outcomes occur, so neither branch went untested.
  EXPECT_GT(onVertex, 50);
  EXPECT_LT(onVertex, 2000);
}

/// Outlines full of farthest-pair ties: regular polygons (all opposite pairs at the same distance
/// up to rounding), squares of integer points with repeats, and random outlines with repeated
/// points and, now and then, a NaN vertex.
Points tiedOutline(Rng& rng, int n) {
  std::uniform_real_distribution<double> angle(0.0, 2.0 * std::numbers::pi), offset(-1e3, 1e3);
  switch (std::uniform_int_distribution<int>(0, 3)(rng)) {
    case 0: {
      Points regular;
      for (int i = 0; i < n; ++i)
        regular.emplace_back(std::cos(2.0 * std::numbers::pi * i / n),
                             std::sin(2.0 * std::numbers::pi * i / n));
      const double scale = std::exp(std::uniform_real_distribution<double>(-5.0, 10.0)(rng));
      return placed(regular, angle(rng), scale, V(offset(rng), offset(rng)));
    }
    case 1: {
      const int side = std::uniform_int_distribution<int>(1, 6)(rng);
      Points square;
      while (static_cast<int>(square.size()) < n)
        square.emplace_back(std::uniform_int_distribution<int>(0, side)(rng),
                            std::uniform_int_distribution<int>(0, side)(rng));
      return square;
    }
    default: {
      Points points = randomOutline(rng, n);
      for (int i = 0; i < n / 10; ++i)
        points.push_back(points[std::uniform_int_distribution<std::size_t>(0, points.size() - 1)(rng)]);
      if (n % 7 == 0) points[points.size() / 2] = V(std::numeric_limits<double>::quiet_NaN(), 1.0);
      std::shuffle(points.begin(), points.end(), rng);
      return points;
    }
  }
}

TEST(AcceleratedQueries, ExactDiameterCircleMatchesThePairwiseScan) {
  Rng rng(271828u);
  for (int trial = 0; trial < 400; ++trial) {
    const Points points = tiedOutline(rng, randomSize(rng, 1200));
    const sgCircle found = sgContour(points).encloseCircle(sgContourDefs::eExact);
    const sgCircle expected = plainDiameterCircle(points);
    EXPECT_TRUE(sameDouble(found.center().x(), expected.center().x()) &&
                sameDouble(found.center().y(), expected.center().y()) &&
                sameDouble(found.radius(), expected.radius()))
        << "trial " << trial << ", " << points.size() << " points";
  }
}

/// The set's self-intersection by the loop over every pair of outer boundaries; empty where that
/// loop throws EmptyContour.
std::optional<bool> plainSetSelfIntersecting(const std::vector<sgPtrHandle_const<sgRegion>>& regions) {
  bool crossing = false;
  for (const auto& r : regions) crossing = r->isSelfIntersecting() || crossing;
  try {
    for (std::size_t i = 0; i < regions.size(); ++i)
      for (std::size_t j = i + 1; j < regions.size(); ++j)
        if (!static_cast<const sgContour&>(*regions[i]).intersections(*regions[j]).empty()) return true;
  } catch (const sgContourDefs::EmptyContour&) {
    return std::nullopt;
  }
  return crossing;
}

TEST(AcceleratedQueries, SetSelfIntersectionMatchesTheLoopOverEveryPair) {
  Rng rng(57721u);
  std::uniform_int_distribution<int> offset(0, 60), kind(0, 19);
  int crossing = 0, clear = 0, refused = 0;
  for (int trial = 0; trial < 300; ++trial) {
    // Small integer outlines on a small field: regions far apart, touching, nested and crossing;
    // now and then one of a single vertex, which the loop refuses when it asks that region.
    std::vector<sgPtrHandle_const<sgRegion>> regions;
    const int count = std::uniform_int_distribution<int>(0, 30)(rng);
    for (int k = 0; k < count; ++k) {
      const int which = kind(rng), w = 1 + offset(rng) % 6, h = 1 + offset(rng) % 6;
      Points outline = which == 0   ? Points{V(0, 0)}
                       : which == 1 ? integerOutline(rng, 4)
                                    : Points{V(0, 0), V(w, 0), V(w, h), V(0, h)};
      const V shift(offset(rng), offset(rng));
      for (V& v : outline) v = v + shift;
      regions.emplace_back(new sgRegion(outline, sgContourDefs::eIgnore));
    }
    const std::optional<bool> expected = plainSetSelfIntersecting(regions);
    const sgRegionSet set(regions);
    if (!expected) {
      EXPECT_THROW(set.isSelfIntersecting(), sgContourDefs::EmptyContour) << "trial " << trial;
      ++refused;
      continue;
    }
    EXPECT_EQ(set.isSelfIntersecting(), *expected) << "trial " << trial;
    (*expected ? crossing : clear) += 1;
  }
  EXPECT_GT(crossing, 30);
  EXPECT_GT(clear, 30);
  EXPECT_GT(refused, 10);
}

TEST(AcceleratedQueries, ChangesRebuildTheIndex) {
  Rng rng(5u);
  for (int trial = 0; trial < 40; ++trial) {
    ProbeContour c(randomOutline(rng, 200 + trial * 10));
    // Two queries build the index on the first outline.
    compareSegmentQueries(rng, c, 3);
    const bool wasSelfIntersecting = c.isSelfIntersecting();
    ProbeContour copy(Points{});
    copy = c;
    c.points(randomOutline(rng, 150 + trial * 7));
    compareSegmentQueries(rng, c, 4);
    EXPECT_EQ(c.isSelfIntersecting(), plainSelfIntersecting(c));
    c.isClosed(!c.isClosed());
    compareSegmentQueries(rng, c, 4);
    EXPECT_EQ(c.isSelfIntersecting(), plainSelfIntersecting(c));
    // The copy keeps answering for the outline it was copied from.
    compareSegmentQueries(rng, copy, 4);
    EXPECT_EQ(copy.isSelfIntersecting(), wasSelfIntersecting);
  }
}

}  // namespace
