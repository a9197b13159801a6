// Segment crossings and self-intersection of random contours against an independent brute-force
// evaluation of the same rules, and robustness against non-finite and huge coordinates.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <optional>
#include <random>
#include <vector>

#include "cntr/contourprobe.h"

namespace {

using V = sgVector<2>;
using Points = std::vector<V>;

using ProbeContour = ContourProbe;

constexpr double kTol = 1e-6;

/// Uniform numbers from the raw generator output, so the inputs do not depend on how the
/// standard library implements its distributions.
class Draw {
 public:
  explicit Draw(std::uint32_t seed) : gen_(seed) {}
  double unit() { return static_cast<double>(gen_()) / 4294967296.0; }
  int below(int n) { return static_cast<int>(unit() * n); }
  bool chance(double p) { return unit() < p; }

 private:
  std::mt19937 gen_;
};

double cross(const V& a, const V& b) { return a.x() * b.y() - a.y() * b.x(); }

/// Distance from q to the closed segment p0 p1 (by projection parameter).
double pointSegmentDistance(const V& q, const V& p0, const V& p1) {
  const V d = p1 - p0;
  const double dd = d * d;
  const double t = dd == 0.0 ? 0.0 : std::clamp(((q - p0) * d) / dd, 0.0, 1.0);
  const V foot = p0 + d * t;
  return std::hypot(q.x() - foot.x(), q.y() - foot.y());
}

struct Edge {
  V from, to;
};

std::vector<Edge> edgesOf(const Points& points, bool closed) {
  std::vector<Edge> edges;
  const std::size_t n = points.size();
  if (closed && n > 0) edges.push_back({points[n - 1], points[0]});
  for (std::size_t i = 1; i < n; ++i) edges.push_back({points[i - 1], points[i]});
  return edges;
}

struct Expected {
  Points positions;
  std::vector<int> edges;
  std::vector<double> keys;
  double runGap = 0.0;     // keys closer than this belong to one crossing point
  bool ambiguous = false;  // a decision fell where rounding could legitimately tip it
};

/// A distance that is neither clearly zero nor clearly beyond the tolerance.
bool nearThreshold(double distance) { return distance > 1e-9 && distance < 1e-4; }

/// The crossing rules evaluated directly: every non-degenerate, non-parallel edge whose crossing
/// with the segment's line lies on both (and, without endPoints, that stays clear of both ends
/// of the segment), sorted along the segment.
Expected bruteForceCrossings(const Points& points, bool closed, const V& a, const V& b, bool endPoints) {
  Expected out;
  const std::vector<Edge> edges = edgesOf(points, closed);
  const V ab = b - a;
  struct Rec {
    V x;
    int edge;
    double key;
  };
  std::vector<Rec> recs;
  for (std::size_t k = 0; k < edges.size(); ++k) {
    const V p = edges[k].from, c = edges[k].to, pc = c - p;
    if (std::fabs(pc.x()) <= 1e-15 && std::fabs(pc.y()) <= 1e-15) continue;
    const double denom = cross(ab, pc);
    if (denom == 0.0) continue;  // exactly parallel
    const double sine = denom / (std::hypot(ab.x(), ab.y()) * std::hypot(pc.x(), pc.y()));
    if (std::fabs(sine) < 1e-9) {
      out.ambiguous = true;
      continue;
    }
    if (!endPoints) {
      const double da = pointSegmentDistance(a, p, c), db = pointSegmentDistance(b, p, c);
      if (nearThreshold(da) || nearThreshold(db)) out.ambiguous = true;
      if (da <= kTol || db <= kTol) continue;
    }
    const double s = cross(p - a, pc) / denom;
    const V x = a + ab * s;
    const double onEdge = pointSegmentDistance(x, p, c), onSeg = pointSegmentDistance(x, a, b);
    if (nearThreshold(onEdge) || nearThreshold(onSeg)) out.ambiguous = true;
    if (onEdge < kTol && onSeg < kTol) recs.push_back({x, static_cast<int>(k), (x - a) * ab});
  }
  std::stable_sort(recs.begin(), recs.end(), [](const Rec& l, const Rec& r) { return l.key < r.key; });
  const double scale = std::max(1.0, ab * ab);
  out.runGap = 1e-9 * scale;
  for (std::size_t i = 0; i < recs.size(); ++i) {
    // Two distinct but nearly equal keys could be ordered either way by rounding.
    if (i > 0) {
      const double gap = recs[i].key - recs[i - 1].key;
      if (gap > out.runGap && gap < 1e-6 * scale) out.ambiguous = true;
    }
    out.positions.push_back(recs[i].x);
    out.edges.push_back(recs[i].edge);
    out.keys.push_back(recs[i].key);
  }
  return out;
}

/// Same positions in the same order; within a run of one crossing point (a vertex met by
/// several edges) the edge indices are compared as sets, since their order there is decided by
/// the last bits of the computed keys.
void expectSameCrossings(const Points& positions, const std::vector<int>& edges, const Expected& expected) {
  ASSERT_EQ(positions.size(), expected.positions.size());
  ASSERT_EQ(edges.size(), positions.size());
  for (std::size_t i = 0; i < positions.size(); ++i) {
    EXPECT_NEAR(positions[i].x(), expected.positions[i].x(), 1e-9) << "crossing " << i;
    EXPECT_NEAR(positions[i].y(), expected.positions[i].y(), 1e-9) << "crossing " << i;
  }
  for (std::size_t first = 0; first < edges.size();) {
    std::size_t last = first + 1;
    while (last < edges.size() && expected.keys[last] - expected.keys[first] <= expected.runGap) ++last;
    std::vector<int> got(edges.begin() + first, edges.begin() + last);
    std::vector<int> want(expected.edges.begin() + first, expected.edges.begin() + last);
    std::sort(got.begin(), got.end());
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want) << "crossings " << first << " to " << last - 1;
    first = last;
  }
}

/// Integer vertices in 0..8 (exact vertex hits, collinear runs, T-junctions) or the same grid
/// perturbed (general position); some vertices repeated at once (zero-length edges) or later.
Points randomContourPoints(Draw& draw, bool integer, int count) {
  Points points;
  auto coordinate = [&] { return draw.below(9) + (integer ? 0.0 : draw.unit() * 0.9 - 0.45); };
  while (static_cast<int>(points.size()) < count) {
    if (!points.empty() && draw.chance(0.1))
      points.push_back(points.back());
    else if (points.size() > 2 && draw.chance(0.05))
      points.push_back(points[static_cast<std::size_t>(draw.below(static_cast<int>(points.size())))]);
    else
      points.emplace_back(coordinate(), coordinate());
  }
  return points;
}

struct Tally {
  int compared = 0, skipped = 0, crossings = 0, selfIntersecting = 0, simple = 0;
};

void checkSegmentQueries(const ProbeContour& contour, Draw& draw, bool integer, Tally& tally) {
  auto coordinate = [&] { return draw.below(11) - 1 + (integer ? 0.0 : draw.unit() * 0.9 - 0.45); };
  for (int q = 0; q < 4; ++q) {
    const V a(coordinate(), coordinate()), b(coordinate(), coordinate());
    if (a == b) continue;
    for (const bool endPoints : {true, false}) {
      const Expected expected = bruteForceCrossings(contour.points(), contour.isClosed(), a, b, endPoints);
      if (expected.ambiguous) {
        ++tally.skipped;
        continue;
      }
      std::vector<int> edges;
      const Points found = contour.intersections(sgLineSeg(a, b), edges, endPoints);
      expectSameCrossings(found, edges, expected);
      EXPECT_EQ(contour.intersections(sgLineSeg(a, b), endPoints), found);
      ++tally.compared;
      tally.crossings += static_cast<int>(found.size());
    }
  }
}

/// Winding number of the closed outline around q, in long double (Sunday's signed crossings).
int windingNumber(const Points& outline, const V& q) {
  int winding = 0;
  for (const Edge& e : edgesOf(outline, true)) {
    const long double side =
        (static_cast<long double>(e.to.x()) - e.from.x()) * (static_cast<long double>(q.y()) - e.from.y()) -
        (static_cast<long double>(q.x()) - e.from.x()) * (static_cast<long double>(e.to.y()) - e.from.y());
    if (e.from.y() <= q.y() && e.to.y() > q.y() && side > 0) ++winding;
    if (e.from.y() > q.y() && e.to.y() <= q.y() && side < 0) --winding;
  }
  return winding;
}

/// Whether a closed outline whose edges do not cross crosses itself where it passes a point
/// more than once: then it cannot be drawn apart into a simple outline, and the winding numbers
/// next to its vertices leave {0, 1} (or {0, -1}): they reach 2, or both signs. Sampled just off
/// every vertex, between its directions; nullopt where two directions almost coincide.
std::optional<bool> windsLikeACrossing(const Points& outline) {
  bool positive = false, negative = false, twice = false;
  for (const V& p : outline) {
    std::vector<double> angles;
    for (const Edge& e : edgesOf(outline, true)) {
      for (const auto& [end, other] : {std::pair{e.from, e.to}, std::pair{e.to, e.from}})
        if (end.distance(p) <= kTol && other.distance(p) > kTol)
          angles.push_back(std::atan2(other.y() - p.y(), other.x() - p.x()));
    }
    std::sort(angles.begin(), angles.end());
    for (std::size_t k = 0; k < angles.size(); ++k) {
      const double next = k + 1 < angles.size() ? angles[k + 1] : angles[0] + 2 * std::numbers::pi;
      if (next - angles[k] == 0.0) continue;
      if (next - angles[k] < 1e-6) return std::nullopt;
      const double mid = (angles[k] + next) / 2;
      const int w = windingNumber(outline, p + V(std::cos(mid), std::sin(mid)) * 1e-7);
      positive = positive || w > 0;
      negative = negative || w < 0;
      twice = twice || std::abs(w) > 1;
    }
  }
  return twice || (positive && negative);
}

void checkSelfIntersection(const ProbeContour& contour, Tally& tally) {
  bool crossing = false, ambiguous = false;
  for (const Edge& e : edgesOf(contour.points(), contour.isClosed())) {
    if (std::fabs(e.to.x() - e.from.x()) <= 1e-15 && std::fabs(e.to.y() - e.from.y()) <= 1e-15) continue;
    const Expected expected = bruteForceCrossings(contour.points(), contour.isClosed(), e.from, e.to, false);
    ambiguous = ambiguous || expected.ambiguous;
    crossing = crossing || !expected.positions.empty();
  }
  // Without an edge crossing, strands may still cross where the outline passes a point twice.
  if (!crossing && !ambiguous) {
    if (contour.isClosed()) {
      const std::optional<bool> atVertex = windsLikeACrossing(contour.points());
      ambiguous = !atVertex;
      crossing = atVertex.value_or(false);
    } else {
      // An open outline winds around nothing; where it passes a point twice, the tabled cases
      // pin the answer.
      const Points& p = contour.points();
      for (std::size_t i = 0; i < p.size(); ++i)
        for (std::size_t j = i + 2; j < p.size(); ++j) ambiguous = ambiguous || p[i].distance(p[j]) <= kTol;
    }
  }
  if (ambiguous) {
    ++tally.skipped;
    return;
  }
  EXPECT_EQ(contour.isSelfIntersecting(), crossing);
  ++(crossing ? tally.selfIntersecting : tally.simple);
}

/// The contour-against-contour form runs its segment tests through the edge grid of larger
/// contours; it must agree bit for bit with the single segment queries, which scan every edge.
void checkAgainstOtherContour(const ProbeContour& contour, Draw& draw, bool integer) {
  const sgContour other(randomContourPoints(draw, integer, 2 + draw.below(12)), draw.chance(0.5));
  Points concatenated;
  for (const Edge& e : edgesOf(other.points(), other.isClosed())) {
    const Points part = contour.intersections(sgLineSeg(e.from, e.to), true);
    concatenated.insert(concatenated.end(), part.begin(), part.end());
  }
  EXPECT_EQ(contour.intersections(other), concatenated);
}

TEST(ContourCrossingsRandom, AgreeWithBruteForceEvaluation) {
  Draw draw(20240611);
  Tally tally;
  for (int trial = 0; trial < 3000; ++trial) {
    const bool integer = draw.chance(0.5);
    // Every fourth contour is long enough for the edge grid.
    const int count = trial % 4 == 0 ? 40 + draw.below(80) : 2 + draw.below(14);
    const ProbeContour contour(randomContourPoints(draw, integer, count), draw.chance(0.5));
    SCOPED_TRACE(testing::Message() << "trial " << trial);
    checkSegmentQueries(contour, draw, integer, tally);
    checkSelfIntersection(contour, tally);
    checkAgainstOtherContour(contour, draw, integer);
    if (HasFailure()) break;
  }
  // The comparison must have covered real work, not mostly skipped inputs.
  EXPECT_GT(tally.compared, 15000);
  EXPECT_LT(tally.skipped * 20, tally.compared);
  EXPECT_GT(tally.crossings, 60000);
  EXPECT_GT(tally.selfIntersecting, 1000);
  EXPECT_GT(tally.simple, 300);
}

TEST(ContourCrossingsRandom, NonFiniteAndHugeCoordinatesNeverCrash) {
  const double unusual[] = {std::numeric_limits<double>::quiet_NaN(),
                            std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(),
                            1e300,
                            -1e300,
                            1.7976931348623157e308,
                            1e-300};
  Draw draw(77);
  auto coordinate = [&] { return draw.chance(0.2) ? unusual[draw.below(7)] : draw.unit() * 10.0; };
  for (int trial = 0; trial < 400; ++trial) {
    Points points(static_cast<std::size_t>(2 + draw.below(trial % 3 == 0 ? 80 : 10)));
    for (V& p : points) p = V(coordinate(), coordinate());
    const ProbeContour contour(points, draw.chance(0.5));
    const sgLineSeg seg(V(coordinate(), coordinate()), V(coordinate(), coordinate()));
    std::vector<int> edges;
    Points found;
    ASSERT_NO_THROW(found = contour.intersections(seg, edges, draw.chance(0.5)));
    ASSERT_EQ(edges.size(), found.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
      // A NaN position makes both distance tests fail, so it can never be reported.
      EXPECT_FALSE(std::isnan(found[i].x()) || std::isnan(found[i].y()));
      EXPECT_GE(edges[i], 0);
      EXPECT_LT(edges[i], static_cast<int>(points.size()));
    }
    ASSERT_NO_THROW(contour.isSelfIntersecting());
    ASSERT_NO_THROW(contour.intersections(sgContour(points, !contour.isClosed())));
  }
}

}  // namespace
