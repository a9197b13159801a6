// Regularization and outer hull of generated self-crossing outlines, checked against loop areas
// and winding numbers found here by brute force, independently of the library.
//
// What the trace gives depends on how the outline winds. At a crossing on the outside of the
// figure, the four corners around the crossing have winding numbers 0 (the outside), w1 and w2
// (both +-1) and w1 + w2. Turning onto the crossing edge against its sense, as the trace does, is
// the outward turn exactly when w1 + w2 = 0. So where the outline winds at most once around every
// point (bow ties, figure eights, chains of lobes, about half the walks) the trace follows the outside of
// the figure, and its area is at least that of the largest simple loop of the outline. Where it
// winds twice, the trace can turn inward: a loop folding back into the outline is run around
// against its sense (the outline touches itself there and the inner loop counts as cut out, and
// the outer hull drops it again), and the crossings of a star can close the trace around one of
// its points. Every call must still either throw one of the library's errors or give an outline
// that does not cross itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "cntr/region.h"

namespace {

using V = sgVector<2>;
using Points = std::vector<V>;

constexpr double kPi = std::numbers::pi;

// ---- independent geometry -------------------------------------------------------------------------

double cross(const V& a, const V& b) { return a.x() * b.y() - a.y() * b.x(); }

// Taken about the first vertex, so that small loops far from the origin keep their digits.
double signedArea(const Points& loop) {
  double twice = 0.0;
  for (std::size_t i = 1; i + 1 < loop.size(); ++i) twice += cross(loop[i] - loop[0], loop[i + 1] - loop[0]);
  return twice / 2.0;
}

double diameterOf(const Points& points) {
  double lo[2] = {points[0].x(), points[0].y()}, hi[2] = {lo[0], lo[1]};
  for (const V& p : points) {
    lo[0] = std::min(lo[0], p.x()), hi[0] = std::max(hi[0], p.x());
    lo[1] = std::min(lo[1], p.y()), hi[1] = std::max(hi[1], p.y());
  }
  return std::hypot(hi[0] - lo[0], hi[1] - lo[1]);
}

// Parameters along a0-a1 and b0-b1 of the meeting point of their lines; false when (nearly)
// parallel: edges that meet at a computed crossing point on one line differ in direction only by
// its rounding.
bool lineParameters(const V& a0, const V& a1, const V& b0, const V& b1, double& t, double& u) {
  const V da = a1 - a0;
  const V db = b1 - b0;
  const double denominator = cross(da, db);
  if (std::abs(denominator) <= 1e-8 * da.len() * db.len()) return false;
  t = cross(b0 - a0, db) / denominator;
  u = cross(b0 - a0, da) / denominator;
  return true;
}

double distanceToSegment(const V& p, const V& a, const V& b) {
  const V d = b - a;
  const double length2 = d * d;
  const double t = length2 > 0 ? std::clamp(((p - a) * d) / length2, 0.0, 1.0) : 0.0;
  return (a + d * t - p).len();
}

double distanceToOutline(const V& p, const Points& outline) {
  double best = INFINITY;
  for (std::size_t i = 0; i < outline.size(); ++i)
    best = std::min(best, distanceToSegment(p, outline[i], outline[(i + 1) % outline.size()]));
  return best;
}

// Whether two edges that are not neighbours cross at a point inside both. Meetings at an end of
// either do not count, nor do those within rounding (a billionth of the outline's size) of one: a
// crossing point computed twice, from two query segments, may differ in its last digits.
bool crossesItself(const Points& outline) {
  const std::size_t m = outline.size();
  const double nearEnd = 1e-9 * diameterOf(outline);
  for (std::size_t i = 0; i < m; ++i) {
    for (std::size_t j = i + 2; j < m; ++j) {
      if (i == 0 && j == m - 1) continue;
      const V& a0 = outline[i];
      const V& a1 = outline[(i + 1) % m];
      const V& b0 = outline[j];
      const V& b1 = outline[(j + 1) % m];
      double t, u;
      if (!lineParameters(a0, a1, b0, b1, t, u) || t <= 0 || t >= 1 || u <= 0 || u >= 1) continue;
      const V at = a0 + (a1 - a0) * t;
      if (std::min({at.distance(a0), at.distance(a1), at.distance(b0), at.distance(b1)}) > nearEnd)
        return true;
    }
  }
  return false;
}

Points cyclicPart(const Points& loop, std::size_t from, std::size_t count) {
  Points out;
  for (std::size_t i = 0; i < count; ++i) out.push_back(loop[(from + i) % loop.size()]);
  return out;
}

// Cuts the outline at the first place where two edges that are not neighbours meet (a crossing, or
// a point it passes twice) into the loops on either side. False when it is simple.
bool cutAtFirstMeeting(const Points& loop, Points& first, Points& second) {
  const std::size_t m = loop.size();
  constexpr double kSlack = 1e-9;
  for (std::size_t i = 0; i < m; ++i) {
    for (std::size_t j = i + 2; j < m; ++j) {
      if (i == 0 && j == m - 1) continue;
      double t, u;
      if (!lineParameters(loop[i], loop[(i + 1) % m], loop[j], loop[(j + 1) % m], t, u) || t < -kSlack ||
          t > 1 + kSlack || u < -kSlack || u > 1 + kSlack)
        continue;
      const V at = loop[i] + (loop[(i + 1) % m] - loop[i]) * t;
      first = cyclicPart(loop, i + 1, j - i);
      first.insert(first.begin(), at);
      second = cyclicPart(loop, j + 1, m - (j - i));
      second.insert(second.begin(), at);
      return true;
    }
  }
  return false;
}

// The simple loops the outline falls into when cut at its crossings and at the points it passes
// twice. Every cut gives two shorter loops, so the cutting ends.
std::vector<Points> simpleLoops(const Points& outline) {
  std::vector<Points> loops;
  std::vector<Points> pending{outline};
  while (!pending.empty()) {
    const Points loop = pending.back();
    pending.pop_back();
    Points first, second;
    if (loop.size() >= 4 && cutAtFirstMeeting(loop, first, second)) {
      pending.push_back(first);
      pending.push_back(second);
    } else if (std::abs(signedArea(loop)) > 0) {
      loops.push_back(loop);
    }
  }
  return loops;
}

int windingNumber(const V& p, const Points& outline) {
  int winding = 0;
  for (std::size_t i = 0; i < outline.size(); ++i) {
    const V& a = outline[i];
    const V& b = outline[(i + 1) % outline.size()];
    const double side = cross(b - a, p - a);
    if (a.y() <= p.y() && b.y() > p.y() && side > 0) ++winding;
    if (b.y() <= p.y() && a.y() > p.y() && side < 0) --winding;
  }
  return winding;
}

// Every face of the figure borders a piece of an edge between two crossings, so points just off
// both sides of the middle of every such piece meet every winding number the outline has.
int largestWinding(const Points& outline) {
  const std::size_t m = outline.size();
  int largest = 0;
  for (std::size_t i = 0; i < m; ++i) {
    const V a = outline[i];
    const V b = outline[(i + 1) % m];
    if (a == b) continue;
    std::vector<double> cuts{0.0, 1.0};
    for (std::size_t j = 0; j < m; ++j) {
      double t, u;
      if (j != i && lineParameters(a, b, outline[j], outline[(j + 1) % m], t, u) && t > 0 && t < 1 &&
          u >= 0 && u <= 1)
        cuts.push_back(t);
    }
    std::sort(cuts.begin(), cuts.end());
    const V offset = V(a.y() - b.y(), b.x() - a.x()) * 1e-9;
    for (std::size_t k = 0; k + 1 < cuts.size(); ++k) {
      const V mid = a + (b - a) * ((cuts[k] + cuts[k + 1]) / 2);
      largest = std::max({largest, std::abs(windingNumber(mid + offset, outline)),
                          std::abs(windingNumber(mid - offset, outline))});
    }
  }
  return largest;
}

struct LoopStructure {
  double largest = 0.0;  // area of the largest simple loop
  double total = 0.0;    // summed areas of all loops
  int winding = 0;       // the largest number of times the outline winds around a point
};

LoopStructure loopStructureOf(const Points& outline) {
  LoopStructure out;
  for (const Points& loop : simpleLoops(outline)) {
    out.largest = std::max(out.largest, std::abs(signedArea(loop)));
    out.total += std::abs(signedArea(loop));
  }
  out.winding = largestWinding(outline);
  return out;
}

bool onOutline(const V& p, const Points& outline) {
  return distanceToOutline(p, outline) <= 1e-9 * diameterOf(outline);
}

// ---- generated outlines ---------------------------------------------------------------------------

class OutlineMaker {
 public:
  explicit OutlineMaker(unsigned seed) : rng_(seed) {}

  // Steps of random length in random directions, closed by the edge back to the start.
  Points randomWalk() {
    Points out{V(0, 0)};
    const int n = pick(5, 24);
    for (int i = 1; i < n; ++i)
      out.push_back(out.back() + V(uniform(0.3, 1.5), sgRadian(uniform(-kPi, kPi))));
    return placed(out);
  }

  // The star polygon {n/k}, its radii and angles jittered.
  Points jitteredStar() {
    static const int kStars[][2] = {{5, 2}, {7, 2}, {7, 3}, {8, 3}, {9, 2}, {9, 4}, {11, 3}, {12, 5}};
    const auto& star = kStars[pick(0, 7)];
    Points out;
    for (int i = 0; i < star[0]; ++i) {
      const double angle = 2 * kPi * ((i * star[1]) % star[0]) / star[0] + uniform(-0.15, 0.15);
      out.push_back(V(uniform(0.8, 1.2), sgRadian(angle)));
    }
    return placed(out);
  }

  Points bowTie() {
    const double w = uniform(0.5, 2.0), h = uniform(0.5, 2.0);
    return placed({V(-w, -h), V(w, h), V(w, -h) + jitter(0.2), V(-w, h) + jitter(0.2)});
  }

  // A sampled lemniscate: two lobes of opposite sense crossing once in the middle.
  Points figureEight() { return placed(lemniscate(2 * pick(4, 10), 0.02)); }

  // A figure eight with spikes: at some vertices the outline runs out and back along one line.
  Points spikedFigureEight() {
    const Points eight = lemniscate(2 * pick(4, 8), 0.0);
    Points out;
    for (const V& p : eight) {
      out.push_back(p);
      if (pick(0, 3) == 0) {
        out.push_back(p * uniform(1.1, 1.4));
        out.push_back(p);
      }
    }
    return placed(out);
  }

  // A limacon with an inner loop: the outline folds back into itself and winds round a second time.
  Points loopFoldingInside() {
    const int n = pick(12, 30);
    const double b = uniform(0.3, 0.8);
    const double phase = uniform(0.05, 0.45);
    Points out;
    for (int i = 0; i < n; ++i) {
      const double t = 2 * kPi * (i + phase) / n;
      out.push_back(V(b + std::cos(t), sgRadian(t)));
    }
    return placed(out);
  }

  // Steps of one pixel, straight or diagonal, as in an outline traced from an image: edges run
  // back along one another, vertices fall on edges and crossings on vertices.
  Points pixelWalk() {
    static const int kSteps[][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
    Points out{V(pick(-500, 500), pick(-500, 500))};
    const int n = pick(6, 30);
    for (int i = 1; i < n; ++i) {
      const auto& step = kSteps[pick(0, 7)];
      out.push_back(out.back() + V(step[0], step[1]));
    }
    return out;
  }

  Points lemniscate(int n, double noise) {
    const double phase = uniform(0.05, 0.25);
    Points out;
    for (int i = 0; i < n; ++i) {
      const double t = 2 * kPi * (i + phase) / n;
      out.push_back(V(std::cos(t), std::sin(t) * std::cos(t)) + jitter(noise));
    }
    return out;
  }

 private:
  double uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng_); }
  int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  V jitter(double size) { return V(uniform(-size, size), uniform(-size, size)); }

  // A random scale (over five decades), rotation and position.
  Points placed(const Points& points) {
    const double scale = std::pow(10.0, uniform(-2, 3));
    const double c = std::cos(uniform(-kPi, kPi)), s = std::sin(uniform(-kPi, kPi));
    const double norm = std::hypot(c, s);
    const V offset(uniform(-1000, 1000), uniform(-1000, 1000));
    Points out;
    for (const V& p : points)
      out.push_back(offset + V(p.x() * c - p.y() * s, p.x() * s + p.y() * c) * (scale / norm));
    return out;
  }

  std::mt19937 rng_;
};

std::string describe(const Points& points) {
  std::string out;
  char buffer[64];
  for (const V& p : points) {
    std::snprintf(buffer, sizeof buffer, " (%.17g, %.17g)", p.x(), p.y());
    out += buffer;
  }
  return out;
}

// ---- the properties -------------------------------------------------------------------------------

enum class Repair { eRegularize, eOuterHull };

struct Outcome {
  bool refused = false;
  Points outline;
  double area = 0.0;
};

// Runs one repair; a library error is a refusal, anything else escapes and fails the test.
Outcome repairOf(const Points& input, Repair repair) {
  const sgRegion region(input);
  sgRegion result;
  try {
    if (repair == Repair::eRegularize)
      region.regularize(result);
    else
      region.outerHull(result);
  } catch (const sgContourDefs::Errors&) {
    return {true, {}, 0.0};
  }
  EXPECT_FALSE(result.isSelfIntersecting());
  EXPECT_FALSE(crossesItself(result.points()));
  for (const V& p : result.points()) EXPECT_TRUE(onOutline(p, input)) << p.x() << ", " << p.y();
  return {false, result.points(), result.points().size() < 3 ? 0.0 : result.area(false)};
}

struct Counts {
  int outlines = 0;
  int refused = 0;           // by regularize, and so by outerHull, which runs the same trace first
  int hullRefusedAlone = 0;  // by outerHull only
  int degenerate = 0;        // results of fewer than 3 points
  int smallerThanLargestLoop = 0;
};

// Checks both repairs of `count` outlines of one kind; returns how many were refused and how many
// came out smaller than the input's largest simple loop.
template <class Expect>
Counts checkOutlines(Points (OutlineMaker::*make)(), unsigned seed, int count, Expect expectForStructure) {
  OutlineMaker maker(seed);
  Counts counts;
  while (counts.outlines < count) {
    const Points input = (maker.*make)();
    if (!sgRegion(input).isSelfIntersecting()) continue;
    ++counts.outlines;
    SCOPED_TRACE("outline" + describe(input));
    const LoopStructure loops = loopStructureOf(input);
    const Outcome regularized = repairOf(input, Repair::eRegularize);
    const Outcome hull = repairOf(input, Repair::eOuterHull);
    if (regularized.refused) {
      EXPECT_TRUE(hull.refused);
      ++counts.refused;
      continue;
    }
    if (hull.refused) {
      ++counts.hullRefusedAlone;
      continue;
    }
    if (regularized.outline.size() < 3 || hull.outline.size() < 3) {
      ++counts.degenerate;
      continue;
    }
    if (regularized.area < loops.largest * (1 - 1e-6)) ++counts.smallerThanLargestLoop;
    expectForStructure(loops, regularized, hull);
  }
  return counts;
}

void expectNear(double actual, double expected) { EXPECT_NEAR(actual, expected, 1e-6 * expected); }

// An outline winding at most once around every point: the trace follows the outside.
void expectLargestLoopKept(const LoopStructure& loops, const Outcome& regularized, const Outcome& hull) {
  if (loops.winding > 1) return;
  EXPECT_GE(regularized.area, loops.largest * (1 - 1e-6));
  EXPECT_GE(hull.area, loops.largest * (1 - 1e-6));
}

TEST(RegionRegularizeRandom, LobesOutsideOneAnotherAreAllKept) {
  for (auto make : {&OutlineMaker::bowTie, &OutlineMaker::figureEight, &OutlineMaker::spikedFigureEight}) {
    const Counts counts = checkOutlines(
        make, 11, 400, [](const LoopStructure& loops, const Outcome& regularized, const Outcome& hull) {
          ASSERT_EQ(loops.winding, 1);
          expectNear(regularized.area, loops.total);
          expectNear(hull.area, loops.total);
        });
    EXPECT_EQ(counts.smallerThanLargestLoop, 0);
    EXPECT_EQ(counts.hullRefusedAlone + counts.degenerate, 0);
    EXPECT_LT(counts.refused, counts.outlines / 10);
  }
}

TEST(RegionRegularizeRandom, LoopFoldingInsideIsCutOutByRegularizeAndDroppedByOuterHull) {
  const Counts counts =
      checkOutlines(&OutlineMaker::loopFoldingInside, 12, 170,
                    [](const LoopStructure& loops, const Outcome& regularized, const Outcome& hull) {
                      ASSERT_EQ(loops.winding, 2);
                      expectNear(regularized.area, 2 * loops.largest - loops.total);
                      expectNear(hull.area, loops.largest);
                    });
  EXPECT_EQ(counts.refused, 0);
}

TEST(RegionRegularizeRandom, WalksWindingOnceKeepTheirLargestLoop) {
  int windingOnce = 0;
  const Counts counts =
      checkOutlines(&OutlineMaker::randomWalk, 13, 500,
                    [&](const LoopStructure& loops, const Outcome& regularized, const Outcome& hull) {
                      windingOnce += loops.winding <= 1 ? 1 : 0;
                      expectLargestLoopKept(loops, regularized, hull);
                    });
  EXPECT_GT(windingOnce, counts.outlines / 3);  // the property is checked on many walks
  EXPECT_EQ(counts.hullRefusedAlone + counts.degenerate, 0);
  RecordProperty("windingOnce", windingOnce);
  RecordProperty("refused", counts.refused);
  RecordProperty("smallerThanLargestLoop", counts.smallerThanLargestLoop);
}

TEST(RegionRegularizeRandom, StarsGiveOutlinesThatDoNotCrossThemselves) {
  const Counts counts = checkOutlines(&OutlineMaker::jitteredStar, 14, 150, expectLargestLoopKept);
  // Every edge of a star is crossed by others unless the jitter frees one: most have no start edge.
  EXPECT_GT(counts.refused, counts.outlines / 2);
  RecordProperty("refused", counts.refused);
  RecordProperty("smallerThanLargestLoop", counts.smallerThanLargestLoop);
}

// Integer outlines are full of degenerate meetings: edges run back along one another and loops
// cut from the trace share edges. Only the general guarantee holds. outerHull alone refuses
// outlines whose trace passes a vertex twice in a row (a crossing found at a vertex, then a step to
// that vertex), as the cut there leaves a one-point loop; and where the first edge of the main
// loop runs along another loop, the nesting test drops the main loop, and what is left first may
// be a spike of two points.
TEST(RegionRegularizeRandom, PixelWalksGiveOutlinesThatDoNotCrossThemselves) {
  const Counts counts = checkOutlines(&OutlineMaker::pixelWalk, 15, 300,
                                      [](const LoopStructure&, const Outcome&, const Outcome&) {});
  RecordProperty("refused", counts.refused);
  RecordProperty("hullRefusedAlone", counts.hullRefusedAlone);
  RecordProperty("degenerate", counts.degenerate);
}

}  // namespace
