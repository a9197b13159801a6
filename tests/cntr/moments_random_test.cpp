// sf_InertiaDataPolygon and the centroid against Green's theorem evaluated in long double about
// the first vertex (the coordinate differences are exact there, the sums carry eleven more bits
// than the library's), on thousands of random simple polygons: star-shaped, x-monotone with deep
// notches (seldom star-shaped) and pixel staircases, of 3 to 2000 vertices, both orientations,
// rotated start vertices, scales from 1e-6 to 1e6 and offsets up to 1e6. Also the combination
// rule of sg_InertiaData against a plain transcription of it, bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "cntr/moments.h"

namespace {

using V = sgVector<2>;
using Points = std::vector<V>;
using Real = long double;

// ---- The reference evaluation -------------------------------------------------------------------

struct Exact {
  Real area = 0, cx = 0, cy = 0, m00 = 0, m01 = 0, m11 = 0;
};

Exact exactMoments(const Points& p) {
  const Real ox = p[0].x(), oy = p[0].y();
  Real a2 = 0, x6 = 0, y6 = 0, xx12 = 0, yy12 = 0, xy24 = 0;
  for (std::size_t i = 0; i < p.size(); ++i) {
    const V& u = p[i];
    const V& v = p[(i + 1) % p.size()];
    const Real x0 = u.x() - ox, y0 = u.y() - oy, x1 = v.x() - ox, y1 = v.y() - oy;
    const Real c = x0 * y1 - x1 * y0;
    a2 += c;
    x6 += (x0 + x1) * c;
    y6 += (y0 + y1) * c;
    xx12 += (x0 * x0 + x0 * x1 + x1 * x1) * c;
    yy12 += (y0 * y0 + y0 * y1 + y1 * y1) * c;
    xy24 += (x0 * (2 * y0 + y1) + x1 * (y0 + 2 * y1)) * c;
  }
  Exact e;
  e.area = a2 / 2;
  const Real cx = x6 / (3 * a2), cy = y6 / (3 * a2);
  e.cx = ox + cx;
  e.cy = oy + cy;
  const Real sign = a2 < 0 ? -1 : 1;
  e.m00 = sign * (xx12 / 12 - e.area * cx * cx);
  e.m11 = sign * (yy12 / 12 - e.area * cy * cy);
  e.m01 = sign * (xy24 / 24 - e.area * cx * cy);
  return e;
}

// ---- Random simple polygons ---------------------------------------------------------------------

class PolygonSource {
 public:
  explicit PolygonSource(unsigned long seed) : rng_(seed) {}

  double real(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng_); }
  int count(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }
  /// Mostly small polygons, some of up to 2000 vertices.
  int vertexCount() { return chance(0.8) ? count(3, 60) : count(61, 2000); }

  /// Vertices at sorted random angles and random radii about the origin.
  Points star() {
    std::vector<double> angles(static_cast<std::size_t>(vertexCount()));
    for (double& a : angles) a = real(0, 2 * std::numbers::pi);
    std::sort(angles.begin(), angles.end());
    const double inner = real(0.0, 0.9);
    Points out;
    for (double a : angles) out.push_back(V(real(inner, 1.0), sgRadian(a)));
    return out;
  }

  /// Zig-zag lower and upper chains over increasing x: notches deep enough that no point sees
  /// the whole polygon.
  Points xMonotone() {
    const int n = std::max(2, vertexCount() / 2);
    Points lower, upper;
    double x = 0.0;
    for (int i = 0; i < n; ++i) {
      x += real(0.01, 1.0);
      const bool deep = i % 2 == 1;
      lower.push_back(V(x, deep ? real(0.5, 0.95) : real(-1.0, 0.0)));
      upper.push_back(V(x, deep ? real(1.05, 1.5) : real(1.96, 3.0)));
    }
    std::reverse(upper.begin(), upper.end());
    lower.insert(lower.end(), upper.begin(), upper.end());
    return lower;
  }

  /// The outline of columns of random integer heights standing on the x axis: the rectilinear
  /// staircase a pixel mask gives.
  Points staircase() {
    const int columns = std::max(1, vertexCount() / 4);
    std::vector<int> tops;
    for (int c = 0; c < columns; ++c) tops.push_back(count(1, 12));
    // The floor left to right, then the tops right to left.
    Points out = {V(0, 0), V(columns, 0)};
    for (int c = columns - 1; c >= 0; --c) {
      out.push_back(V(c + 1, tops[static_cast<std::size_t>(c)]));
      out.push_back(V(c, tops[static_cast<std::size_t>(c)]));
    }
    return out;
  }

  /// Scaled (1e-6 .. 1e6), moved (up to 1e6), perhaps reversed, perhaps started elsewhere.
  Points placed(Points p) {
    const double scale = std::pow(10.0, real(-6, 6));
    const double reach = chance(0.3) ? 0.0 : std::pow(10.0, real(-6, 6));
    const V offset(real(-1, 1) * reach, real(-1, 1) * reach);
    for (V& v : p) v = offset + v * scale;
    if (chance(0.5)) std::reverse(p.begin(), p.end());
    std::rotate(p.begin(), p.begin() + count(0, static_cast<int>(p.size()) - 1), p.end());
    return p;
  }

 private:
  std::mt19937_64 rng_;
};

// ---- Comparison ----------------------------------------------------------------------------------

constexpr double kRelative = 1e-12;
// Two rounding steps of a coordinate, as a share of kRelative.
constexpr double kUlps = 2 * std::numeric_limits<double>::epsilon() / kRelative;

/// Area within 1e-12 of itself, centre within 1e-12 of the box (and the rounding of a coordinate
/// of its size: a tiny figure far out has a centre of few digits), the matrix within 1e-12 of
/// its trace (the polar moment, its scale).
::testing::AssertionResult matchesExact(const Points& p, const sg_InertiaData& d) {
  const Exact e = exactMoments(p);
  double minX = p[0].x(), maxX = minX, minY = p[0].y(), maxY = minY;
  for (const V& v : p) {
    minX = std::min(minX, v.x()), maxX = std::max(maxX, v.x());
    minY = std::min(minY, v.y()), maxY = std::max(maxY, v.y());
  }
  const double box = std::hypot(maxX - minX, maxY - minY);
  const double trace = static_cast<double>(e.m00 + e.m11);
  const sgMatrix<2>& m = d.inertiaMatrix();
  const struct {
    const char* name;
    double got;
    Real want;
    double scale;
  } checks[] = {{"area", d.area(), e.area, std::fabs(static_cast<double>(e.area))},
                {"cx", d.centerOfMass().x(), e.cx, box + kUlps * std::fabs(static_cast<double>(e.cx))},
                {"cy", d.centerOfMass().y(), e.cy, box + kUlps * std::fabs(static_cast<double>(e.cy))},
                {"m00", m(0, 0), e.m00, trace},
                {"m01", m(0, 1), e.m01, trace},
                {"m10", m(1, 0), e.m01, trace},
                {"m11", m(1, 1), e.m11, trace}};
  for (const auto& c : checks) {
    const double error = static_cast<double>(std::fabs(static_cast<Real>(c.got) - c.want));
    if (!(error <= kRelative * c.scale))
      return ::testing::AssertionFailure() << c.name << ": " << c.got << " vs " << static_cast<double>(c.want)
                                           << ", error " << error / c.scale << " of the scale";
  }
  const V centroid = sf_CenterOfMass(p);
  const auto near = [&](double a, double b) {
    return std::fabs(a - b) <= kRelative * (box + kUlps * std::fabs(b));
  };
  if (!(near(centroid.x(), d.centerOfMass().x()) && near(centroid.y(), d.centerOfMass().y())))
    return ::testing::AssertionFailure() << "sf_CenterOfMass differs from the record's centre";
  if (!(std::fabs(sf_Area(p) - std::fabs(d.area())) <= kRelative * std::fabs(d.area())))
    return ::testing::AssertionFailure() << "sf_Area differs from the record's area";
  return ::testing::AssertionSuccess();
}

Points reversed(Points p) {
  std::reverse(p.begin(), p.end());
  return p;
}

constexpr int kPolygonsPerKind = 1100;

template <class Make>
void checkMany(unsigned long seed, const char* kind, Make make) {
  PolygonSource source(seed);
  for (int i = 0; i < kPolygonsPerKind && !::testing::Test::HasFailure(); ++i) {
    const Points p = source.placed(make(source));
    const sg_InertiaData d = sf_InertiaDataPolygon(p);
    EXPECT_TRUE(matchesExact(p, d)) << kind << " #" << i << ", " << p.size() << " vertices";
    // The reversed outline: the negated area, the same centre and matrix within rounding.
    const sg_InertiaData r = sf_InertiaDataPolygon(reversed(p));
    EXPECT_EQ(r.area() < 0.0, d.area() > 0.0) << kind << " #" << i;
    EXPECT_TRUE(matchesExact(reversed(p), r)) << kind << " #" << i << " reversed";
    EXPECT_GE(d.inertiaMatrix()(0, 0), 0.0);
    EXPECT_GE(d.inertiaMatrix()(1, 1), 0.0);
  }
}

TEST(InertiaDataPolygonExact, StarShapedPolygons) {
  checkMany(11, "star", [](PolygonSource& s) { return s.star(); });
}

TEST(InertiaDataPolygonExact, XMonotonePolygonsWithDeepNotches) {
  checkMany(12, "x-monotone", [](PolygonSource& s) { return s.xMonotone(); });
}

TEST(InertiaDataPolygonExact, PixelStaircases) {
  checkMany(13, "staircase", [](PolygonSource& s) { return s.staircase(); });
}

TEST(InertiaDataPolygonExact, EveryStartVertexGivesTheSameRecord) {
  PolygonSource source(14);
  for (int i = 0; i < 40; ++i) {
    const Points p = source.placed(i % 2 ? source.xMonotone() : source.staircase());
    for (std::size_t k = 0; k < std::min<std::size_t>(p.size(), 64); ++k) {
      Points turned = p;
      std::rotate(turned.begin(), turned.begin() + static_cast<long>(k), turned.end());
      ASSERT_TRUE(matchesExact(p, sf_InertiaDataPolygon(turned))) << "polygon " << i << ", start " << k;
    }
  }
}

// ---- The combination rule ------------------------------------------------------------------------

namespace plain {

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

}  // namespace plain

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
