// Repairs of self-crossing outlines and of overlapping region sets, against GEOS.
//
// An outline's repair must enclose what the outline's outer boundary encloses: GEOS nodes the
// outline, polygonizes its faces, unites them and fills the holes. A set's repair must enclose the
// area inside the exterior rings of the GEOS union of its regions. Both sides compute crossing
// points in double precision from the same vertices, so areas agree to 1e-9 relative; a lost
// face, a doubled overlap or a wrong turn changes them by far more. Every result must also be an
// outline that does not cross itself, and no outline that encloses area may be refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cntr/geosoracle.h"
#include "cntr/regionsetshapes.h"

namespace {

using V = sgVector<2>;
using geostest::Points;
using regionsettest::makeRegion;
using regionsettest::RegionHandles;

constexpr double kRelTol = 1e-9;

std::string wkt(const Points& points) {
  std::ostringstream out;
  out.precision(17);
  out << "POLYGON ((";
  for (const V& p : points) out << p.x() << ' ' << p.y() << ", ";
  out << points[0].x() << ' ' << points[0].y() << "))";
  return out.str();
}

// ---- generators ---------------------------------------------------------------------------------

using Rng = std::mt19937;

int uniformInt(Rng& rng, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
double uniformReal(Rng& rng, double lo, double hi) {
  return std::uniform_real_distribution<double>(lo, hi)(rng);
}

/// Random points in a disc joined in random order: crossings everywhere, of both orientations,
/// at scales from 1 to 1e4 and some far from the origin.
Points discOutline(Rng& rng) {
  const double radius = std::pow(10.0, uniformInt(rng, 0, 4));
  const V centre = uniformInt(rng, 0, 3) == 0 ? V(3e5, -2e5) : V(0, 0);
  Points points(static_cast<std::size_t>(uniformInt(rng, 5, 60)));
  for (V& p : points) {
    const double r = radius * std::sqrt(uniformReal(rng, 0, 1)),
                 a = uniformReal(rng, 0, 2 * std::numbers::pi);
    p = centre + V(r * std::cos(a), r * std::sin(a));
  }
  return points;
}

/// An 8-connected pixel walk that returns to its start: repeated vertices, collinear and
/// overlapping edges, spikes, crossings on vertices.
Points pixelWalk(Rng& rng) {
  Points points{V(0, 0)};
  const int steps = uniformInt(rng, 4, 40);
  for (int k = 0; k < steps; ++k)
    points.push_back(points.back() + V(uniformInt(rng, -1, 1), uniformInt(rng, -1, 1)));
  // Home along a staircase.
  for (V p = points.back(); p != V(0, 0);) {
    p = p - V((p.x() > 0) - (p.x() < 0), (p.y() > 0) - (p.y() < 0));
    if (p != V(0, 0)) points.push_back(p);
  }
  return points;
}

/// Points of a small lattice in random order: crossings fall on vertices and on lattice points,
/// edges overlap collinearly.
Points latticeOutline(Rng& rng) {
  Points points(static_cast<std::size_t>(uniformInt(rng, 4, 14)));
  for (V& p : points) p = V(uniformInt(rng, 0, 4), uniformInt(rng, 0, 4));
  return points;
}

/// A region for a set: a random convex polygon, a star, or a lattice rectangle (shared collinear
/// sides), either orientation.
Points setMember(Rng& rng) {
  const V centre(uniformInt(rng, 0, 12), uniformInt(rng, 0, 12));
  Points points;
  switch (uniformInt(rng, 0, 2)) {
    case 0:
      points = regionsettest::rectanglePoints(centre.x(), centre.y(), centre.x() + uniformInt(rng, 1, 5),
                                              centre.y() + uniformInt(rng, 1, 5));
      break;
    default: {
      const bool convex = uniformInt(rng, 0, 1) == 0;
      // Angles a little apart, so that the polygon stays simple: star-shaped about its centre.
      const int n = uniformInt(rng, 3, 12);
      const double step = 2 * std::numbers::pi / n, turn = uniformReal(rng, 0, step);
      const double radius = uniformReal(rng, 1.5, 4);
      for (int k = 0; k < n; ++k) {
        const double a = turn + step * (k + uniformReal(rng, 0, 0.9));
        const double r = convex ? radius : radius * uniformReal(rng, 0.3, 1);
        points.push_back(centre + V(r * std::cos(a), r * std::sin(a)));
      }
    }
  }
  if (uniformInt(rng, 0, 1) == 0) std::reverse(points.begin(), points.end());
  return points;
}

// ---- comparisons --------------------------------------------------------------------------------

struct Tally {
  int outlines = 0, crossing = 0, agree = 0, refused = 0, nearTouching = 0;
};

double distanceToSegment(const V& p, const V& a, const V& b) {
  const V d = b - a;
  const double t = std::clamp(((p - a) * d) / (d * d), 0.0, 1.0);
  return (a + d * t - p).len();
}

/// Whether a vertex comes within the library's 1e-6 of an edge it is not on: the library takes
/// it to touch the edge, where GEOS sees a gap, and a long sliver beyond it can change the area.
bool hasNearTouch(const Points& outline) {
  const std::size_t n = outline.size();
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t k = 0; k < n; ++k) {
      const V& a = outline[k];
      const V& b = outline[(k + 1) % n];
      if (a == b || outline[i] == a || outline[i] == b) continue;
      const double d = distanceToSegment(outline[i], a, b);
      if (d > 0.0 && d <= 1e-6) return true;
    }
  }
  return false;
}

/// Regularize and outer hull of one outline against the area its outer boundary encloses. An
/// outline that only touches itself is returned as it is; its own area is then that of the faces
/// it winds around (a loop touching from inside, run the other way, is a hole).
void expectOuterBoundary(const geostest::Geos& geos, const Points& outline, Tally& tally) {
  SCOPED_TRACE(wkt(outline));
  const sgRegion region(outline);
  const bool crossing = region.isSelfIntersecting();
  const double expected =
      crossing ? geos.exteriorArea(geos.enclosedBy(outline).get()) : geos.nonzeroWindingArea(outline);
  ++tally.outlines;
  tally.crossing += crossing;
  bool agree = true;
  for (const bool hull : {false, true}) {
    const char* repair = hull ? "outerHull" : "regularize";
    sgRegion result;
    try {
      hull ? region.outerHull(result) : region.regularize(result);
    } catch (const sgContourDefs::Errors&) {
      // Only an outline that encloses nothing may be refused.
      EXPECT_EQ(expected, 0.0) << repair << " refused";
      ++tally.refused;
      agree = false;
      continue;
    }
    EXPECT_FALSE(result.isSelfIntersecting()) << repair;
    if (hasNearTouch(outline)) {
      ++tally.nearTouching;
      agree = false;
      continue;
    }
    EXPECT_NEAR(result.area(false), expected, kRelTol * expected) << repair;
    agree = agree && !result.isSelfIntersecting() &&
            std::fabs(result.area(false) - expected) <= kRelTol * expected;
  }
  tally.agree += agree;
}

TEST(RegionRepairGeos, OutlinesEncloseTheirOuterBoundary) {
  const geostest::Geos geos;
  Rng rng(15u);
  // What each generator brings: free crossings, pixel walks, crossings on vertices.
  const struct {
    const char* name;
    Points (*make)(Rng&);
    int count;
  } kinds[] = {{"random points in a disc", discOutline, 2000},
               {"pixel walks", pixelWalk, 1000},
               {"lattice outlines", latticeOutline, 1000}};
  for (const auto& kind : kinds) {
    Tally tally;
    for (int k = 0; k < kind.count; ++k) expectOuterBoundary(geos, kind.make(rng), tally);
    std::printf(
        "%s: %d outlines, %d self-intersecting, %d agree with GEOS in both repairs, %d refusals, %d repairs "
        "of "
        "outlines with a vertex within 1e-6 of an edge not compared\n",
        kind.name, tally.outlines, tally.crossing, tally.agree, tally.refused, tally.nearTouching);
    // A degenerate majority would test nothing.
    EXPECT_GT(tally.crossing, kind.count / 2);
  }
}

TEST(RegionRepairGeos, SetsEncloseTheUnionOfTheirRegions) {
  const geostest::Geos geos;
  Rng rng(4300u);
  int compared = 0;
  for (int trial = 0; trial < 1000; ++trial) {
    std::vector<Points> members(static_cast<std::size_t>(uniformInt(rng, 2, 20)));
    RegionHandles regions;
    for (Points& m : members) {
      m = setMember(rng);
      regions.push_back(makeRegion(m));
    }
    std::ostringstream trace;
    for (const Points& m : members) trace << wkt(m) << '\n';
    SCOPED_TRACE(trace.str());
    sgRegionSet result;
    sgRegionSet(regions).regularize(result);
    EXPECT_FALSE(result.isSelfIntersecting());
    std::vector<Points> outlines;
    double area = 0.0;
    for (const auto& region : result.regions()) {
      outlines.push_back(region->points());
      area += region->area(false);
    }
    // No two outlines meet, and a region lying in another without meeting it stays apart (and
    // counts apart), so only sets without such nesting compare with the union's area.
    bool nested = false;
    for (std::size_t i = 0; i < outlines.size(); ++i) {
      for (std::size_t j = i + 1; j < outlines.size(); ++j) {
        EXPECT_FALSE(geos.intersects(geos.line(outlines[i], true).get(), geos.line(outlines[j], true).get()));
        nested = nested || result.regions()[i]->inside(outlines[j][0], false) ||
                 result.regions()[j]->inside(outlines[i][0], false);
      }
    }
    if (nested) continue;
    const double expected = geos.exteriorArea(geos.unionOf(members).get());
    EXPECT_NEAR(area, expected, kRelTol * expected);
    ++compared;
  }
  std::printf(
      "sets: 1000 sets of 2-20 regions, %d compared with the GEOS union, %d with a region nested apart\n",
      compared, 1000 - compared);
  EXPECT_GT(compared, 900);
}

}  // namespace
