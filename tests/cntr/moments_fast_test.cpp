// sf_InertiaDataPolygon and sg_InertiaData::operator+ against a plain transcription of the
// algorithm (centroid fan of triangle records, three accumulation passes), bit for bit, on
// thousands of random polygons: star-shaped of both orientations, self-crossing, with collinear
// and repeated vertices, on integer grids, at scales from 1e-3 to 1e7, and some with non-finite
// coordinates.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "cntr/moments.h"

namespace {

using V = sgVector<2>;
using Points = std::vector<V>;

// ---- The plain algorithm -----------------------------------------------------------------------

namespace plain {

double cross(const V& a, const V& b) { return a.x() * b.y() - a.y() * b.x(); }

struct Frame {
  V from, to, apex, unit;
  double length, foot, cross;
};

Frame frame(const V& from, const V& to, const V& apex) {
  const V base = to - from;
  const double length = base.len();
  const V unit = base / length;
  const V rise = apex - from;
  return {from, to, apex, unit, length, rise * unit, plain::cross(base, rise)};
}

double height(const Frame& f) { return std::fabs(f.cross) / f.length; }

bool apexOutside(const Frame& f) {
  const double lineDist = height(f);
  const double segDist = f.foot < 0.0        ? f.apex.distance(f.from)
                         : f.foot > f.length ? f.apex.distance(f.to)
                                             : lineDist;
  return segDist - 1e-10 > lineDist;
}

sg_InertiaData triangle(const V& p1, const V& p2, const V& p3) {
  if (plain::cross(p2 - p1, p3 - p1) == 0.0) return sg_InertiaData();
  Frame f = frame(p1, p2, p3);
  for (int turn = 0; turn < 2 && apexOutside(f); ++turn) f = frame(f.to, f.apex, f.from);
  const double d1 = f.foot;
  const double d2 = f.length - f.foot;
  const double h = height(f);
  double area = (d1 + d2) * h * 0.5;
  const double cx = (d2 - d1) * (1.0 / 3.0);
  double cy = h * (1.0 / 3.0);
  const double ly = (d1 + d2) * h * h * h * (1.0 / 12.0) - cy * cy * area;
  double lxy = (d2 * d2 - d1 * d1) * h * h * (1.0 / 24.0) - cy * cx * area;
  const double lx = h * (d2 * d2 * d2 + d1 * d1 * d1) * (1.0 / 12.0) - cx * cx * area;
  if (f.cross < 0.0) {
    area = -area;
    cy = -cy;
    lxy = -lxy;
  }
  const double c = f.unit.x();
  const double s = f.unit.y();
  const V foot = f.from + f.unit * f.foot;
  const V center = V(c * cx - s * cy, s * cx + c * cy) + foot;
  const double m00 = c * c * lx - 2.0 * s * c * lxy + s * s * ly;
  const double m01 = (c * c - s * s) * lxy + s * c * lx - s * c * ly;
  const double m11 = 2.0 * s * c * lxy + s * s * lx + c * c * ly;
  return sg_InertiaData(area, center, sgMatrix<2>(m00, m01, m01, m11));
}

sg_InertiaData sum(const sg_InertiaData& a, const sg_InertiaData& b) {
  const double areaA = a.area();
  const double areaB = b.area();
  if (areaA == 0.0) return b;
  if (areaB == 0.0) return a;
  const double areaSum = areaA + areaB;
  V center;
  if (std::fabs(areaSum) > 1e-16)
    center = (a.centerOfMass() * areaA + b.centerOfMass() * areaB) * (1.0 / areaSum);
  const V dA = center - a.centerOfMass();
  const V dB = center - b.centerOfMass();
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
  const sgMatrix<2>& mA = a.inertiaMatrix();
  const sgMatrix<2>& mB = b.inertiaMatrix();
  const double m00 =
      signA * mA(0, 0) + weightA * dA.x() * dA.x() + signB * mB(0, 0) + weightB * dB.x() * dB.x();
  const double m01 =
      signA * mA(0, 1) + weightA * dA.x() * dA.y() + signB * mB(0, 1) + weightB * dB.x() * dB.y();
  const double m11 =
      signA * mA(1, 1) + weightA * dA.y() * dA.y() + signB * mB(1, 1) + weightB * dB.y() * dB.y();
  return sg_InertiaData(areaSum, center, sgMatrix<2>(m00, m01, m01, m11));
}

template <class Select>
void addSelected(const std::vector<sg_InertiaData>& fan, std::vector<bool>& added, sg_InertiaData& total,
                 Select select) {
  for (std::size_t i = 0; i < fan.size(); ++i) {
    if (added[i] || !select(fan[i].area())) continue;
    total = plain::sum(total, fan[i]);
    added[i] = true;
  }
}

sg_InertiaData polygon(const Points& points) {
  const std::size_t n = points.size();
  if (n < 3) return sg_InertiaData();
  const V center = snContour::centerOfMass(points);
  std::vector<sg_InertiaData> fan;
  double areaSum = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    fan.push_back(triangle(center, points[(i + n - 1) % n], points[i]));
    areaSum += fan.back().area();
  }
  const double mean = areaSum / static_cast<double>(n);
  sg_InertiaData total;
  std::vector<bool> added(n, false);
  addSelected(fan, added, total, [mean](double a) { return a > mean || (mean < 0.0 && a < mean); });
  const double threshold = mean > 0.0 ? 1e-6 : -1e-6;
  addSelected(fan, added, total,
              [threshold](double a) { return a > threshold || (threshold < 0.0 && a < threshold); });
  addSelected(fan, added, total, [](double) { return true; });
  return total;
}

}  // namespace plain

// ---- Bitwise comparison ------------------------------------------------------------------------

/// Same bits, or both NaN (a NaN's sign and payload are not part of the result).
bool sameDouble(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  std::uint64_t ba = 0;
  std::uint64_t bb = 0;
  std::memcpy(&ba, &a, sizeof a);
  std::memcpy(&bb, &b, sizeof b);
  return ba == bb;
}

::testing::AssertionResult sameRecord(const sg_InertiaData& got, const sg_InertiaData& want) {
  const sgMatrix<2>& g = got.inertiaMatrix();
  const sgMatrix<2>& w = want.inertiaMatrix();
  const double gotValues[] = {
      got.area(), got.centerOfMass().x(), got.centerOfMass().y(), g(0, 0), g(0, 1), g(1, 0),
      g(1, 1),    g.determinant()};
  const double wantValues[] = {
      want.area(), want.centerOfMass().x(), want.centerOfMass().y(), w(0, 0), w(0, 1), w(1, 0),
      w(1, 1),     w.determinant()};
  const char* names[] = {"area", "cx", "cy", "m00", "m01", "m10", "m11", "det"};
  for (int k = 0; k < 8; ++k) {
    if (sameDouble(gotValues[k], wantValues[k])) continue;
    return ::testing::AssertionFailure()
           << names[k] << ": got " << gotValues[k] << ", want " << wantValues[k] << " (" << std::hexfloat
           << gotValues[k] << " vs " << wantValues[k] << ")";
  }
  return ::testing::AssertionSuccess();
}

// ---- Random polygons ---------------------------------------------------------------------------

class PolygonSource {
 public:
  explicit PolygonSource(unsigned long seed) : rng_(seed) {}

  double real(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng_); }
  int count(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }
  /// Mostly small polygons, some of a few thousand vertices.
  int vertexCount() { return chance(0.9) ? count(3, 60) : count(61, 3000); }
  /// A scale from 1e-3 to 1e7, log-uniform.
  double scale() { return std::pow(10.0, real(-3.0, 7.0)); }
  V offset(double scale) { return chance(0.5) ? V() : V(real(-50, 50) * scale, real(-50, 50) * scale); }

  /// Vertices at sorted random angles and random radii: counter-clockwise, or clockwise.
  Points star(bool clockwise) { return star(clockwise, vertexCount()); }
  Points star(bool clockwise, int n) {
    const double s = scale();
    const V at = offset(s);
    std::vector<double> angles(static_cast<std::size_t>(n));
    for (double& a : angles) a = real(0, 2 * std::numbers::pi);
    std::sort(angles.begin(), angles.end());
    const double inner = real(0.0, 1.0);
    Points out;
    for (double a : angles) out.push_back(at + V(real(inner, 1.0) * s, sgRadian(a)));
    if (clockwise) std::reverse(out.begin(), out.end());
    return out;
  }

  /// Uniform random vertices: a polygon crossing itself many times.
  Points crossing() {
    const double s = scale();
    const V at = offset(s);
    Points out(static_cast<std::size_t>(vertexCount()));
    for (V& p : out) p = at + V(real(-1, 1) * s, real(-1, 1) * s);
    return out;
  }

  /// Small integer coordinates: many collinear triples and fan triangles of exactly zero area.
  Points grid() {
    const int side = count(1, 6);
    Points out(static_cast<std::size_t>(vertexCount()));
    for (V& p : out) p = V(count(-side, side), count(-side, side));
    return out;
  }

  /// A polygon with repeated vertices and vertices inserted on its edges.
  Points withRepeatsAndCollinear(Points base) {
    Points out;
    for (std::size_t i = 0; i < base.size(); ++i) {
      const V& p = base[i];
      const V& q = base[(i + 1) % base.size()];
      out.push_back(p);
      if (chance(0.2)) out.push_back(p);
      if (chance(0.2)) out.push_back(p + (q - p) * 0.5);
      if (chance(0.1)) out.push_back(p + (q - p) * 0.25);
    }
    return out;
  }

 private:
  std::mt19937_64 rng_;
};

void expectLikePlain(const Points& points, const std::string& kind, int index) {
  EXPECT_TRUE(sameRecord(sf_InertiaDataPolygon(points), plain::polygon(points)))
      << kind << " #" << index << ", " << points.size() << " vertices";
}

constexpr int kPolygonsPerKind = 600;

TEST(InertiaDataPolygonBitwise, StarPolygonsOfBothOrientations) {
  PolygonSource source(11);
  for (int i = 0; i < kPolygonsPerKind; ++i) {
    expectLikePlain(source.star(false), "counter-clockwise star", i);
    expectLikePlain(source.star(true), "clockwise star", i);
  }
}

TEST(InertiaDataPolygonBitwise, SelfCrossingPolygons) {
  PolygonSource source(12);
  for (int i = 0; i < kPolygonsPerKind; ++i) expectLikePlain(source.crossing(), "crossing", i);
}

TEST(InertiaDataPolygonBitwise, CollinearAndRepeatedVertices) {
  PolygonSource source(13);
  for (int i = 0; i < kPolygonsPerKind; ++i) {
    expectLikePlain(source.grid(), "grid", i);
    expectLikePlain(source.withRepeatsAndCollinear(source.star(source.chance(0.5))), "star with repeats", i);
    expectLikePlain(source.withRepeatsAndCollinear(source.crossing()), "crossing with repeats", i);
  }
}

TEST(InertiaDataPolygonBitwise, DegenerateAndExtremePolygons) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<Points> cases = {
      {V(1, 1), V(1, 1), V(1, 1)},            // one point
      {V(0, 0), V(1, 1), V(2, 2), V(5, 5)},   // all collinear
      {V(0, 0), V(2, 2), V(2, 0), V(0, 2)},   // bow tie: the areas cancel
      {V(0, 0), V(1e-160, 0), V(0, 1e-160)},  // underflowing areas
      {V(1e-155, 0), V(0, 1e-155), V(-1e-155, 0), V(0, -1e-155)},
      {V(1e150, 0), V(0, 1e150), V(-1e150, 0), V(0, -1e150)},  // overflowing products
      {V(1e7, 1e7), V(1e7 + 1e-3, 1e7), V(1e7, 1e7 + 1e-3)},   // tiny triangle far out
      {V(0, 0), V(4, 0), V(nan, 1), V(0, 2)},
      {V(0, 0), V(4, 0), V(inf, 1), V(0, 2)},
      {V(0, 0), V(4, 0), V(-inf, inf), V(0, 2)},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) expectLikePlain(cases[i], "case", static_cast<int>(i));
  PolygonSource source(14);
  for (int i = 0; i < 200; ++i) {
    Points p = source.crossing();
    p[static_cast<std::size_t>(source.count(0, static_cast<int>(p.size()) - 1))] =
        V(source.chance(0.5) ? nan : inf, 1);
    expectLikePlain(p, "crossing with a non-finite vertex", i);
  }
}

TEST(InertiaDataPolygonBitwise, CallsOfChangingSizesAndConcurrentThreads) {
  // The working memory is kept per thread between calls: sizes that shrink and grow, one beyond
  // what a thread keeps, and threads measuring at the same time must not disturb one another.
  PolygonSource source(16);
  std::vector<Points> polygons;
  for (int n : {2000, 50, 140000, 7, 3000, 300}) polygons.push_back(source.star(source.chance(0.5), n));
  std::vector<sg_InertiaData> want;
  for (const Points& p : polygons) want.push_back(plain::polygon(p));
  for (std::size_t i = 0; i < polygons.size(); ++i)
    EXPECT_TRUE(sameRecord(sf_InertiaDataPolygon(polygons[i]), want[i])) << "polygon " << i;

  constexpr std::size_t kThreads = 4;
  std::vector<std::vector<sg_InertiaData>> got(kThreads);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (std::size_t k = 0; k < 2 * polygons.size(); ++k)
        got[t].push_back(sf_InertiaDataPolygon(polygons[(k + t) % polygons.size()]));
    });
  for (std::thread& thread : threads) thread.join();
  for (std::size_t t = 0; t < kThreads; ++t)
    for (std::size_t k = 0; k < got[t].size(); ++k)
      EXPECT_TRUE(sameRecord(got[t][k], want[(k + t) % polygons.size()])) << "thread " << t << ", call " << k;
}

// ---- The combination rule ----------------------------------------------------------------------

TEST(InertiaDataSumBitwise, RandomRecordsOfEitherSignCancellingAndZero) {
  PolygonSource source(15);
  const auto randomRecord = [&source]() {
    const double scale = std::pow(10.0, source.real(-20, 20));
    // Exact zeros, areas whose sums fall within 1e-16 of zero, areas whose products underflow,
    // and ordinary ones of either sign. The matrix need not be symmetric: a zero-area operand
    // hands back the other operand whole.
    const int pick = source.count(0, 9);
    const double area = pick == 0   ? 0.0
                        : pick == 1 ? source.real(-1, 1) * 1e-16
                        : pick == 2 ? source.real(-1, 1) * 1e-170
                                    : source.real(-1, 1) * scale;
    return sg_InertiaData(area, V(source.real(-1, 1) * scale, source.real(-1, 1) * scale),
                          sgMatrix<2>(source.real(0, 1) * scale, source.real(-1, 1) * scale,
                                      source.real(-1, 1) * scale, source.real(0, 1) * scale));
  };
  for (int i = 0; i < 20000; ++i) {
    const sg_InertiaData a = randomRecord();
    const sg_InertiaData b = randomRecord();
    EXPECT_TRUE(sameRecord(a + b, plain::sum(a, b))) << "pair " << i;
    const sg_InertiaData opposite(-a.area(), b.centerOfMass(), b.inertiaMatrix());
    EXPECT_TRUE(sameRecord(a + opposite, plain::sum(a, opposite))) << "cancelling pair " << i;
  }
}

}  // namespace
