// Accelerated routines against plain versions, bit for bit; moments against Green's theorem.
#include <gtest/gtest.h>

#include <optional>
#include <set>

#include "cntr/cntrtmpl.h"
#include "cntr/moments.h"
#include "cntr/regionst.h"
#include "edgesweep.h"
#include "lynstd/orientation.h"
#include "probedirection.h"
#include "segmentreach.h"
#include "support/differential.h"
#include "vertexcrossing.h"

using namespace shapes;
using differential::compare;

/// Reaches the inside count, which the library keeps private.
class sgRegionTestAccess {
 public:
  static long insideCount(const sgRegion& r, const V& p, bool twoWay) { return r.insideCount(p, twoWay); }
};

namespace {

constexpr double kTol = 1e-6;

class ProbeContour : public sgContour {
 public:
  using sgContour::candidateEdges, sgContour::intersections, sgContour::lineSegs, sgContour::sgContour,
      sgContour::validLine;
};

/// Every valid edge through the exact crossing tests, unscreened: the screens may only save work.
template <class C>
Points plainCrossings(const C& c, const sgLineSeg& seg, bool endPoints, std::vector<int>* edges = nullptr) {
  std::vector<std::tuple<double, V, int>> found;
  for (std::size_t k = 0; k < c.lineSegs().size(); ++k) {
    const sgLineSeg& e = c.lineSegs()[k];
    if (!c.validLine()[k] || e.line().isParallel(seg.line())) continue;
    if (!endPoints && (e.distToPoint(seg.p1()) <= kTol || e.distToPoint(seg.p2()) <= kTol)) continue;
    const V x = e.line().intersect(seg.line()).position();
    if (e.distToPoint(x) < kTol && seg.distToPoint(x) < kTol)
      found.emplace_back((x - seg.p1()) * (seg.p2() - seg.p1()), x, static_cast<int>(k));
  }
  for (std::size_t i = 0; i + 1 < found.size(); ++i)
    for (std::size_t j = i + 1; j < found.size(); ++j)
      if (std::get<0>(found[j]) < std::get<0>(found[i])) std::swap(found[i], found[j]);
  Points positions;
  if (edges) edges->clear();
  for (const auto& [key, x, edge] : found) positions.push_back(x), edges ? edges->push_back(edge) : void();
  return positions;
}

template <class C>
bool plainSelfIntersecting(const C& c) {
  for (std::size_t k = 0; k < c.lineSegs().size(); ++k)
    if (c.validLine()[k] && !plainCrossings(c, c.lineSegs()[k], false).empty()) return true;
  return sgcntr::strandsCrossAtRepeatedVertex(c.points(), c.isClosed());
}

/// Every angle computed and sorted, the gaps searched from the smallest angle.
std::optional<V> plainProbeDirection(const Points& vertices, const V& p) {
  std::vector<double> angles;
  for (const V& v : vertices) {
    if ((v - p).len() <= kTol) return std::nullopt;
    angles.push_back((v - p).angle().norm().toDouble());
  }
  std::sort(angles.begin(), angles.end());
  for (std::size_t i = 0; i < angles.size(); ++i) {
    const double gap = sgRadian(angles[(i + 1) % angles.size()] - angles[i]).norm().toDouble();
    if (gap > kPi / static_cast<double>(vertices.size())) return V(1.0, sgRadian(angles[i] + 0.5 * gap));
  }
  return V(1.0, 0.0);
}

long plainInsideCount(const ProbeContour& r, const V& p, bool twoWay) {
  if (!r.encloseRect(sgXform<2>::I).within(p)) return 0;
  const std::optional<V> u = plainProbeDirection(r.points(), p);
  if (!u) return 1;
  const double reach = 2.0 * r.encloseCircle(sgContourDefs::eApproximate).radius();
  const auto count = [&](const V& d) { return plainCrossings(r, sgLineSeg(p, p + d * reach), false).size(); };
  return static_cast<long>(twoWay ? std::min(count(*u), count(-*u)) : count(*u));
}

/// The nearest point by the plain scan: the earliest edge wins ties.
V plainClosestPoint(const sgContour& c, const V& p) {
  const Points& v = c.points();
  V result(0, 0);
  double best = kInf;
  for (std::size_t i = c.isClosed() ? 0 : 1; i < v.size(); ++i) {
    const V a = v[i == 0 ? v.size() - 1 : i - 1], b = v[i], d = b - a;
    const sgLineSeg s(a, b);
    if (s.distToPoint(p) >= best) continue;
    best = s.distToPoint(p);
    const double t = d * d == 0.0 ? 0.0 : (p - a) * d / (d * d);
    result = t <= 0.0 ? a : (t >= 1.0 ? b : s.line().proj(p).position());
  }
  return result;
}

/// A regular `n`-gon, or (`spiked`) a fan of thin spikes whose boxes graze queries they miss.
Points spokes(int n, bool spiked, const V& centre = V(0, 0)) {
  Points p;
  for (int i = 0; i < n; ++i) {
    const int tip = spiked ? i % 2 : 0;
    p.push_back(centre + V(tip ? 100.0 : 1.0, sgRadian(2 * kPi * (i - tip) / n + 0.001 * tip)));
  }
  return p;
}

/// Lattice outlines full of ties, simple stars, stars with crossing twists, fans and regular polygons.
Points randomOutline(Rng& rng, int n) {
  const int kind = integer(rng, 0, 4);
  if (kind == 0) return lattice(rng, n, std::max(4, static_cast<int>(std::sqrt(n)) * 3));
  if (kind > 2) return spokes(n, kind == 3);
  Points p = star(rng, n, 50, 100);
  for (int i = 1; kind == 2 && i + 2 < n; i += 17) std::swap(p[i], p[i + 1]);
  return p;
}

/// Query points: vertices, midpoints, points next to vertices, and anywhere around.
V randomPoint(Rng& rng, const Points& outline) {
  const auto pick = [&] { return outline[integer(rng, 0, static_cast<int>(outline.size()) - 1)]; };
  double e = 1.0;
  for (const V& v : outline) e = std::max({e, std::fabs(v.x()), std::fabs(v.y())});
  const int kind = integer(rng, 0, 4);
  if (kind < 3)
    return kind == 0 ? pick() : kind == 1 ? (pick() + pick()) * 0.5 : pick() + V(0x1p-40, -0x1p-60);
  const V p(real(rng, -1.2, 1.2) * e, real(rng, -1.2, 1.2) * e);
  return kind == 3 ? V(std::round(p.x()), std::round(p.y())) : p;
}

/// A square notched down to `gap` above its bottom edge or (`atCorner`) corner; 150 steps to sweep.
Points notchedSquare(double gap, bool atCorner) {
  const double x = atCorner ? 10.0 : 5.0;
  Points p{V(0, 0), V(10, 0), V(12, -5), V(12, 10), V(x + 1, 10), V(x, gap), V(x - 1, 10), V(0, 10)};
  for (int i = 1; i < 150; ++i) p.emplace_back(0.0, 10.0 - i / 15.0);
  return p;
}

/// Segment queries of every kind, and where `self` the self-crossing test, against the plain scan.
template <class C>
void expectPlainAnswers(Rng& rng, const C& c, int count, bool self = true) {
  for (int q = 0; q < count; ++q) {
    const sgLineSeg seg(randomPoint(rng, c.points()), randomPoint(rng, c.points()));
    std::vector<int> edges, expectedEdges;
    const Points expected = plainCrossings(c, seg, q % 2 == 0, &expectedEdges);
    EXPECT_TRUE(same(c.intersections(seg, edges, q % 2 == 0), expected));
    EXPECT_EQ(edges, expectedEdges);
    EXPECT_TRUE(same(c.intersections(seg, q % 2 == 0), expected));
  }
  EXPECT_TRUE(!self || c.isSelfIntersecting() == plainSelfIntersecting(c));
}

TEST(AcceleratedQueries, MatchThePlainScansAndFollowChanges) {
  compare(
      "crossings, candidates, nearest, inside, changes", 1, 80,
      [](Rng& rng) { return randomOutline(rng, size(rng, 2000)); },
      [](const Points& p, Rng& rng) {
        ProbeContour c(p, !coin(rng, 4)), copy(Points{});
        // The plain self-crossing test is quadratic: every size up to 400, a sample above.
        const bool small = p.size() <= 400 || coin(rng, 10);
        expectPlainAnswers(rng, c, 12, small);
        const sgContour other(randomOutline(rng, size(rng, 60)), coin(rng, 3));
        Points expected;
        for (std::size_t i = other.isClosed() ? 0 : 1; i < other.points().size(); ++i) {
          const V from = other.points()[i == 0 ? other.points().size() - 1 : i - 1];
          const Points part = plainCrossings(c, sgLineSeg(from, other.points()[i]), true);
          expected.insert(expected.end(), part.begin(), part.end());
        }
        EXPECT_TRUE(same(c.intersections(other), expected));
        // Candidates: every valid edge through the same screen, in order, after what is there.
        const sgLineSeg seg(randomPoint(rng, p), randomPoint(rng, p));
        const sgcntr::SegmentReach reach(seg);
        std::vector<int> scanned{-1}, indexed{-1};
        for (std::size_t k = 0; k < c.lineSegs().size(); ++k) {
          const sgLineSeg& e = c.lineSegs()[k];
          const sgRect box = sgRect(e.p1(), V(0, 0)).enclose(sgRect(e.p2(), V(0, 0)));
          if (c.validLine()[k] && reach.mayMeet(box, e)) scanned.push_back(static_cast<int>(k));
        }
        c.candidateEdges(seg, indexed);
        EXPECT_EQ(indexed, scanned);
        const sgRegion r(p, sgContourDefs::eIgnore);
        const ProbeContour outline(p, true, 0);
        for (int q = 0; q < 12; ++q) {
          const V x = randomPoint(rng, p), expectedPoint = plainClosestPoint(c, x);
          long nearest = 0;  // the lowest index wins ties
          for (std::size_t i = 0; i < p.size(); ++i)
            nearest = x.distance(p[i]) < x.distance(p[nearest]) ? i : nearest;
          EXPECT_EQ(c.closestVertexIndex(x), nearest);
          EXPECT_TRUE(same(c.closestPoint(x, false), expectedPoint));
          EXPECT_EQ(c.distToPoint(x, false), expectedPoint.distance(x));
          EXPECT_EQ(sgRegionTestAccess::insideCount(r, x, q % 2), plainInsideCount(outline, x, q % 2));
        }
        // A change rebuilds the index; a copy keeps answering for the outline it was copied from.
        if (!small) return;
        copy = c;
        c.points(randomOutline(rng, size(rng, 600)));
        expectPlainAnswers(rng, c, 4);
        c.isClosed(!c.isClosed());
        for (const ProbeContour* d : {&c, &copy}) expectPlainAnswers(rng, *d, 4);
      });
  // Edges whose box, but not line, meets the segment are dropped; a spike's side 1.5e-6 away is kept.
  std::vector<int> edges, none, beside;
  ProbeContour(spokes(40, false)).candidateEdges(sgLineSeg(V(-1, -1), V(1, 1)), edges);
  ProbeContour(spokes(40, false)).candidateEdges(sgLineSeg(V(0, 0), V(0.99, 0)), none);
  EXPECT_TRUE(edges == (std::vector<int>{5, 6, 25, 26}) && none.empty());
  const Points fan = spokes(128, true);
  const V normal = V(fan[0].y() - fan[1].y(), fan[1].x() - fan[0].x()) / (fan[1] - fan[0]).len();
  ProbeContour(fan).candidateEdges(sgLineSeg(fan[0] + normal * 1.5e-6, fan[1] + normal * 1.5e-6), beside);
  EXPECT_EQ(std::count(beside.begin(), beside.end(), 1), 1);
}

TEST(AcceleratedQueries, SelfIntersectionOfContoursAndSetsMatchesThePlainScans) {
  // Both sides of the crossing tolerance and the sweep's clearance; (nearly) vertical, transposed.
  const double gaps[] = {-1e-3,  -1e-6,  0.0,  5e-7,   9.99e-7, 1.001e-6,
                         1.5e-6, 2.5e-6, 9e-6, 1.4e-5, 2e-5,    1e-3};
  const double turns[] = {0.0, kPi / 2, kPi / 2 + 0.01, 1.5 * kPi - 0.005, 1.0, 2.0, 4.0, 5.0};
  compare(
      "self-intersection near the tolerance, of staircases and lattice outlines", 2, 500,
      [&](Rng& rng) {
        const int kind = integer(rng, 0, 3);
        if (kind == 0)
          return transformed(notchedSquare(gaps[integer(rng, 0, 11)], coin(rng)),
                             turns[integer(rng, 0, 7)] + real(rng, 0, 1e-9), 1.0, V(real(rng, -50, 50), 1));
        // Lattice vertices: exact hits, collinear runs, T-junctions, vertices passed twice.
        if (kind != 2) return lattice(rng, coin(rng, 4) ? integer(rng, 40, 120) : integer(rng, 2, 15), 8);
        Points p = staircase(rng, size(rng, 300), 4, true);
        // Pinched: a second skyline hanging below, sharing only the corner (0, 0).
        if (coin(rng, 3)) p.insert(p.end(), {V(0, 0), V(-9, 0), V(-9, -3), V(0, -3)});
        if (coin(rng, 4)) p = transformed(p, real(rng, 0, 6.3), real(rng, 1, 200), V(0.5, -0.25));
        // Huge coordinates leave the sweep's range: the plain scan must still decide.
        if (coin(rng, 10)) p = transformed(p, 0.0, 1e9, V(0, 0));
        if (coin(rng)) p.insert(p.begin() + 3, {p[2] + V(0.5, 7), p[2]});  // a spike out and back
        return p;
      },
      [](const Points& p, Rng& rng) {
        const ProbeContour c(p, !coin(rng, 5));
        EXPECT_EQ(c.isSelfIntersecting(), plainSelfIntersecting(c));
      });
  // Unturned, the answers are known: crossing by 1e-6, or stopping short within it, is a crossing.
  EXPECT_TRUE(ProbeContour(notchedSquare(-1e-6, false)).isSelfIntersecting());
  EXPECT_TRUE(ProbeContour(notchedSquare(5e-7, false)).isSelfIntersecting());
  EXPECT_FALSE(ProbeContour(notchedSquare(1.5e-6, false)).isSelfIntersecting());
  // A set: every region, then every pair of regions.
  int crossing = 0;
  compare(
      "set self-intersection", 12, 300,
      [](Rng& rng) {
        // Apart, touching, nested and crossing; now and then a lattice outline that crosses itself.
        std::vector<sgPtrHandle_const<sgRegion>> regions;
        for (Points& p : regionOutlines(rng, integer(rng, 0, 30))) {
          const Points outline = coin(rng, 20) ? lattice(rng, 4, 6) : p;
          const V shift(integer(rng, 0, 48), integer(rng, 0, 48));
          regions.emplace_back(new sgRegion(transformed(outline, 0, 1, shift), sgContourDefs::eIgnore));
        }
        return regions;
      },
      [&](const std::vector<sgPtrHandle_const<sgRegion>>& regions, Rng&) {
        bool expected = false;
        for (std::size_t i = 0; i < regions.size(); ++i)
          for (std::size_t j = i; j < regions.size(); ++j)
            expected = expected || (i == j ? regions[i]->isSelfIntersecting()
                                           : !regions[i]->sgContour::intersections(*regions[j]).empty());
        EXPECT_EQ(sgRegionSet(regions).isSelfIntersecting(), expected);
        crossing += expected;
      });
  EXPECT_TRUE(crossing > 30 && crossing < 270) << crossing;  // both outcomes occur
}

TEST(AcceleratedQueries, ProbeDirectionsAndTheDiameterMatchThePlainSearches) {
  // Vertices the gap search's filters must get exactly right: angle ties on rays, on the point's
  // horizontal line (+0 and -0), just below a full turn, far clusters, equal gaps; rarely NaN or huge.
  int onVertex = 0;
  compare(
      "probe directions and diameters", 9, 4000,
      [](Rng& rng) {
        const V p = coin(rng) ? V(0, 0) : V(integer(rng, -50, 50), integer(rng, -50, 50));
        const int n = size(rng, 600), kind = integer(rng, 0, 2);
        Points o = randomOutline(rng, n);
        if (kind == 0) return std::pair(o, randomPoint(rng, o));
        if (kind == 2 && n % 5 == 0) return std::pair(spokes(n, false, p), p);
        const V centre = p + V(1e4, sgRadian(real(rng, 0, 6.3))),
                rays[] = {V(1, 0), V(-1, 0), V(0, 1), V(1, 1), V(3, -1)};
        const double spread = 1e4 * kPi / n * real(rng, 2, 2 * n);
        for (int i = 0; i < n; ++i) {
          const double k = integer(rng, 1, 20), at = kind == 1 ? integer(rng, 0, 3) : 4;
          o[i] = at == 0   ? p + rays[integer(rng, 0, 4)] * (coin(rng) ? k : -k)
                 : at == 1 ? V(p.x() + (coin(rng) ? k : -k), coin(rng) ? -p.y() : p.y())
                 : at == 2 ? V(p.x() + k, p.y() - std::ldexp(k, -integer(rng, 20, 1070)))
                 : at == 3 ? p + V(real(rng, -20, 20), real(rng, -20, 20))
                           : centre + V(real(rng, -spread, spread), real(rng, -spread, spread));
        }
        const double factor[] = {0.5, 1 - 1e-12, 1, 1 + 1e-12, 1 + 1e-7, 1 + 2e-6};
        const V rare[] = {p + V(kTol * factor[integer(rng, 0, 5)], 0), V(coin(rng) ? 1e308 : -1e308, -3e307),
                          V(coin(rng) ? kInf : 1, coin(rng) ? -kInf : 2), V(kNaN, 1)};
        if (coin(rng, 3)) o[integer(rng, 0, n - 1)] = rare[integer(rng, 0, 3)];
        if (coin(rng)) std::reverse(o.begin(), o.end());
        return std::pair(o, p);
      },
      [&](const std::pair<Points, V>& in, Rng&) {
        const std::optional<V> found = sgcntr::probeDirection(in.first, in.second, kTol);
        const std::optional<V> expected = plainProbeDirection(in.first, in.second);
        EXPECT_EQ(found.has_value(), expected.has_value());
        onVertex += !found;
        EXPECT_TRUE(!found || !expected || same(*found, *expected));
        // The same vertices, full of farthest-pair ties, for the diameter; the plain search is quadratic.
        const Points& p = in.first;
        if (p.size() > 150) return;
        sgCircle diameter(p.front(), 0.0);  // every ordered pair, the first strictly farthest kept
        for (const V& a : p)
          for (const V& b : p)
            if (a.distance(b) > 2 * diameter.radius())
              diameter = sgCircle((a + b) * 0.5, a.distance(b) * 0.5);
        const sgCircle circle = sgContour(p).encloseCircle(sgContourDefs::eExact);
        EXPECT_TRUE(same(circle.center(), diameter.center()) && same(circle.radius(), diameter.radius()));
      });
  EXPECT_TRUE(onVertex > 50 && onVertex < 2000) << onVertex;  // both outcomes occur
}

TEST(EdgeSweep, SimpleOutlinesAreClearAndSuspectNamesTheNearEdges) {
  // Simple outlines are clear; a notch tip (edges 5, 6) near the bottom edge (1) or corner (1, 2) is
  // named; beyond the sweep's range it declines.
  const auto verdictOf = [](const Points& p) {
    const ProbeContour c(p);
    return sgcntr::sweepEdges(c.lineSegs(), c.validLine());
  };
  Rng rng(10);
  Points sky = staircase(rng, 300, 4, true);
  sky.insert(sky.end(), {V(0, 0), V(-9, 0), V(-9, -3), V(0, -3)});
  EXPECT_EQ(verdictOf(sky).kind, sgcntr::SweepVerdict::Clear);
  EXPECT_EQ(verdictOf(star(rng, 5000, 50, 100)).kind, sgcntr::SweepVerdict::Clear);
  for (const bool atCorner : {false, true}) {
    const sgcntr::SweepVerdict near = verdictOf(notchedSquare(5e-6, atCorner));
    const std::set<int> named{near.first, near.second};
    EXPECT_EQ(near.kind, sgcntr::SweepVerdict::Suspect);
    EXPECT_TRUE(named.count(5) + named.count(6) == 1 &&
                named.count(1) + (atCorner ? named.count(2) : 0) == 1);
    EXPECT_EQ(verdictOf(notchedSquare(1e-4, atCorner)).kind, sgcntr::SweepVerdict::Clear);
  }
  EXPECT_EQ(verdictOf(transformed(notchedSquare(1.0, false), 0, 2e8, V(0, 0))).kind,
            sgcntr::SweepVerdict::Undecided);
}

/// Twice the area, then the first and second moments times their constants, by Green's theorem
/// about `o` in long double: the differences to o are exact, the sums carry eleven more bits.
struct Green {
  long double a2 = 0, x6 = 0, y6 = 0, xx12 = 0, yy12 = 0, xy24 = 0;
  Green(const std::vector<Points>& outlines, const V& o) {
    for (const Points& p : outlines)
      for (std::size_t i = 0; i < p.size(); ++i) {
        const V& q = p[(i + 1) % p.size()];
        const long double x0 = p[i].x() - o.x(), y0 = p[i].y() - o.y(), x1 = q.x() - o.x(),
                          y1 = q.y() - o.y();
        const long double c = x0 * y1 - x1 * y0;
        a2 += c, x6 += (x0 + x1) * c, y6 += (y0 + y1) * c, xx12 += (x0 * x0 + x0 * x1 + x1 * x1) * c;
        yy12 += (y0 * y0 + y0 * y1 + y1 * y1) * c, xy24 += (x0 * (2 * y0 + y1) + x1 * (y0 + 2 * y1)) * c;
      }
  }
};

/// Within 1e-12 of the area, of the box size (plus two roundings) and of the trace, widened for a
/// `sum`, which moves moments between centres of few digits.
testing::AssertionResult matchesGreen(const sg_InertiaData& d, const Green& g, const V& o, double box,
                                      bool sum = false) {
  const long double area = g.a2 / 2, cx = g.x6 / (3 * g.a2), cy = g.y6 / (3 * g.a2), sign = g.a2 < 0 ? -1 : 1;
  const long double m00 = sign * (g.xx12 / 12 - area * cx * cx), m11 = sign * (g.yy12 / 12 - area * cy * cy);
  const long double m01 = sign * (g.xy24 / 24 - area * cx * cy), x = o.x() + cx, y = o.y() + cy;
  const double ulps = 2 * std::numeric_limits<double>::epsilon() / 1e-12,
               trace = static_cast<double>(m00 + m11) * (sum ? 1 + 8 * ulps * o.len() / box : 1);
  const sgMatrix<2>& m = d.inertiaMatrix();
  const std::tuple<const char*, double, long double, double> checks[] = {
      {"area", d.area(), area, std::fabs(static_cast<double>(area))},
      {"cx", d.centerOfMass().x(), x, box + ulps * std::fabs(static_cast<double>(x))},
      {"cy", d.centerOfMass().y(), y, box + ulps * std::fabs(static_cast<double>(y))},
      {"m00", m(0, 0), m00, trace},
      {"m01", m(0, 1), m01, trace},
      {"m10", m(1, 0), m01, trace},
      {"m11", m(1, 1), m11, trace}};
  for (const auto& [name, got, want, scale] : checks)
    if (!(std::fabs(got - want) <= 1e-12 * scale))
      return testing::AssertionFailure() << name << ": " << got << " against " << static_cast<double>(want);
  return testing::AssertionSuccess();
}

TEST(Moments, PolygonsAndSumsOfRecordsMatchGreensTheorem) {
  compare(
      "moments", 16, 900,
      [](Rng& rng) {
        // A hole inside the star's inner radius, a copy beside; scales and shifts up to 1e6.
        const int kind = integer(rng, 0, 2), n = coin(rng, 5) ? integer(rng, 61, 2000) : integer(rng, 6, 60);
        const Points outer = kind == 0   ? star(rng, n, 0.5, 1.0)
                             : kind == 1 ? notched(rng, n)
                                         : staircase(rng, n / 4 + 1, 12, false);
        std::vector<Points> parts{outer, star(rng, integer(rng, 3, 12), 0.05, 0.2),
                                  transformed(outer, 0, 1, V(2e3, 0))};
        const double scale = std::pow(10.0, real(rng, -6, 6)),
                     reach = coin(rng, 3) ? 0.0 : std::pow(10.0, real(rng, -6, 6));
        const V shift = V(real(rng, -1, 1), real(rng, -1, 1)) * reach;
        for (Points& p : parts) {
          p = transformed(p, 0, scale, shift);
          std::rotate(p.begin(), p.begin() + integer(rng, 0, static_cast<int>(p.size()) - 1), p.end());
          if (coin(rng)) std::reverse(p.begin(), p.end());
        }
        return std::pair(parts, kind == 0);
      },
      [](const std::pair<std::vector<Points>, bool>& in, Rng&) {
        Points p = in.first[0], hole = in.first[1], beside = in.first[2];
        const V o = p[0];
        double box = 0;
        for (const V& v : p) box = std::max(box, v.distance(o));
        const sg_InertiaData d = sf_InertiaDataPolygon(p);
        EXPECT_TRUE(matchesGreen(d, Green({p}, o), o, 2 * box));
        EXPECT_TRUE(d.inertiaMatrix()(0, 0) >= 0 && d.inertiaMatrix()(1, 1) >= 0);
        EXPECT_NEAR(sf_Area(p), std::fabs(d.area()), 1e-12 * std::fabs(d.area()));
        EXPECT_LE((sf_CenterOfMass(p) - d.centerOfMass()).len(),
                  1e-12 * 2 * box + 4e-16 * d.centerOfMass().len());
        // A copy beside of the same orientation adds, a hole of the other subtracts, either order.
        for (auto [q, along] : {std::pair(&beside, true), std::pair(&hole, false)})
          if (((sf_InertiaDataPolygon(*q).area() < 0) != (d.area() < 0)) == along)
            std::reverse(q->begin(), q->end());
        const sg_InertiaData h = sf_InertiaDataPolygon(hole);
        EXPECT_TRUE(matchesGreen(d + sf_InertiaDataPolygon(beside), Green({p, beside}, o), o,
                                 (sf_CenterOfMass(beside) - d.centerOfMass()).len(), true));
        // The rule subtracts the negative operand: right when it is the smaller.
        if (in.second && d.area() > 0) {
          for (const sg_InertiaData& s : {d + h, h + d})
            EXPECT_TRUE(matchesGreen(s, Green({p, hole}, o), o, 2 * box, true));
        }
        const sg_InertiaData z = d + sg_InertiaData();
        EXPECT_TRUE(same(z.area(), d.area()) && same(z.centerOfMass(), d.centerOfMass()) &&
                    z.inertiaMatrix() == d.inertiaMatrix());
      });
}

using Edgelets = std::vector<sgEdgelet>;
using RegionT = sgRegionT<sgEdgelet>;

/// Each mapped point lands on its datum; data rebuilt from points carry magnitude and code 0.
void expectAgreement(const sgContourT<sgEdgelet>& c, bool fromPoints) {
  ASSERT_EQ(c.points().size(), c.data().size());
  for (std::size_t i = 0; i < c.points().size(); ++i) {
    const V at = c.data()[i].position(), mapped = c.dataFromPointsXform()->mapPoint(c.points()[i]);
    EXPECT_LE((mapped - at).len(), 1e-9 * (1 + std::fabs(at.x()) + std::fabs(at.y()))) << i;
    EXPECT_TRUE(!fromPoints || (c.data()[i].magnitude() == 0 && c.data()[i].angle().code() == 0)) << i;
  }
}

TEST(EdgeletContours, PointsAndDataAgreeThroughMutationsCopiesAndViews) {
  const auto edgelets = [](Rng& rng) {
    Edgelets e;
    for (const V& p : star(rng, integer(rng, 6, 12), 10, 1e3))
      e.emplace_back(p, static_cast<unsigned short>(integer(rng, 0, 65535)),
                     sgAngle8(static_cast<unsigned char>(integer(rng, 0, 255))));
    return e;
  };
  compare("edgelet contours", 17, 100, edgelets, [&](const Edgelets& data, Rng& rng) {
    sgPtrHandle_const<sg2XformBase> rigid(
        new sg2Rigid(sgDegree(real(rng, -180, 180)), V(real(rng, -9, 9), 9)));
    sgContourT<sgEdgelet> c(data, rigid), copy(c);
    EXPECT_EQ(c.data(), data);
    c.points(star(rng, 7, 1, 50));
    copy.data(edgelets(rng));
    expectAgreement(c, true), expectAgreement(copy, false);
    RegionT region(edgelets(rng), rigid, 7), fromContour(copy, 1);
    static_cast<sgRegion&>(region).holes({sgPtrHandle_const<sgRegion>(
        new sgRegion(star(rng, 5, 1, 2, region.point(sgEdgelet(V(0, 0), 0, sgAngle8(0))))))});
    EXPECT_THROW(static_cast<sgRegion&>(region).holes(
                     {sgPtrHandle_const<sgRegion>(new sgRegion(star(rng, 3, 1, 2, V(5e3, 5e3))))}),
                 sgContourDefs::BadParams);
    sgRegionSetT<sgEdgelet> set({sgPtrHandle_const<RegionT>(new RegionT(region))});
    set.add(sgPtrHandle_const<sgRegion>(new sgRegion(star(rng, 6))), sgContourDefs::eIgnore);
    expectAgreement(region, true), expectAgreement(fromContour, false);
    EXPECT_EQ(set.regionsT().size(), set.regions().size());
    for (const auto& r : set.regionsT()) expectAgreement(*r, true);
  });
}

}  // namespace
