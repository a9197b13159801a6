#pragma once
// Random inputs for the differential tests: outlines a user brings (star-shaped, notched, pixel
// staircases and walks, lattices full of ties, self-crossing), sets of regions, and the turn, scale
// and shift that carry them to tiny and far-away places; also the plain measures the checks share.
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include "lynstd/lynstd.h"

namespace shapes {

using V = sgVector<2>;
using Points = std::vector<V>;
using Rng = std::mt19937_64;
constexpr double kPi = std::numbers::pi, kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

inline double real(Rng& rng, double lo, double hi) {
  return std::uniform_real_distribution<double>(lo, hi)(rng);
}
inline int integer(Rng& rng, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
inline bool coin(Rng& rng, int sides = 2) { return integer(rng, 1, sides) == 1; }

/// Log-uniform from 3: mostly small outlines, some large enough for the edge index.
inline int size(Rng& rng, int largest) {
  return static_cast<int>(std::lround(std::exp(real(rng, std::log(3.0), std::log(largest)))));
}

/// Simple and star-shaped about `centre`: jittered, evenly spread angles and radii in [rMin, rMax].
/// From six vertices on no angular gap reaches 2 pi / 3, so every edge stays rMin / 2 from the centre.
inline Points star(Rng& rng, int n, double rMin = 0.5, double rMax = 1.0, V centre = V(0, 0)) {
  Points points;
  for (int k = 0; k < n; ++k)
    points.push_back(centre +
                     V(real(rng, rMin, rMax), sgRadian(2 * std::numbers::pi * (k + real(rng, 0, 0.9)) / n)));
  return points;
}

/// Simple and x-monotone, with notches so deep that seldom one point sees the whole outline.
inline Points notched(Rng& rng, int n) {
  Points lower, upper;
  double x = 0.0;
  for (int i = 0; i < std::max(2, n / 2); ++i) {
    x += real(rng, 0.01, 1.0);
    lower.emplace_back(x, i % 2 ? real(rng, 0.5, 0.95) : real(rng, -1.0, 0.0));
    upper.emplace_back(x, i % 2 ? real(rng, 1.05, 1.5) : real(rng, 1.96, 3.0));
  }
  lower.insert(lower.end(), upper.rbegin(), upper.rend());
  return lower;
}

/// A skyline over unit columns of heights 1 to `top`: the rectilinear outline of a pixel mask,
/// with straight runs (equal neighbours) and, where `repeats`, now and then a repeated vertex.
inline Points staircase(Rng& rng, int columns, int top, bool repeats) {
  Points points{V(0, 0), V(columns, 0)};
  for (int c = columns; c > 0; --c) {
    const double h = integer(rng, 1, top);
    points.emplace_back(c, h);
    if (repeats && coin(rng, 8)) points.emplace_back(c, h);
    points.emplace_back(c - 1, h);
  }
  return points;
}

/// Points of the lattice [0, side]^2 in random order, some repeated at once and some in straight
/// runs: crossings on vertices, collinear overlaps, zero-length edges.
inline Points lattice(Rng& rng, int n, int side) {
  Points points;
  while (static_cast<int>(points.size()) < n) {
    const int kind = integer(rng, 0, 9);
    if (kind == 0 && !points.empty()) {
      points.push_back(points.back());
    } else if (kind == 1 && !points.empty()) {
      const V step(integer(rng, -1, 1), integer(rng, -1, 1));
      for (int i = 0; i < 3 && static_cast<int>(points.size()) < n; ++i)
        points.push_back(points.back() + step);
    } else {
      points.emplace_back(integer(rng, 0, side), integer(rng, 0, side));
    }
  }
  return points;
}

/// Random points in a disc, joined in random order: crossings everywhere.
inline Points disc(Rng& rng, int n, double radius, V centre = V(0, 0)) {
  Points points;
  for (int k = 0; k < n; ++k)
    points.push_back(centre +
                     V(radius * std::sqrt(real(rng, 0, 1)), sgRadian(real(rng, 0, 2 * std::numbers::pi))));
  return points;
}

/// An 8-connected pixel walk home along a staircase: repeated vertices, spikes, overlapping edges.
inline Points pixelWalk(Rng& rng, int steps) {
  Points points{V(0, 0)};
  for (int k = 0; k < steps; ++k)
    points.push_back(points.back() + V(integer(rng, -1, 1), integer(rng, -1, 1)));
  for (V p = points.back(); p != V(0, 0);) {
    p = p - V((p.x() > 0) - (p.x() < 0), (p.y() > 0) - (p.y() < 0));
    if (p != V(0, 0)) points.push_back(p);
  }
  return points;
}

/// Turned by `angle` about the origin, scaled and shifted: rounding turns exact ties into near ties.
inline Points transformed(const Points& points, double angle, double scale, V shift) {
  const double c = std::cos(angle), s = std::sin(angle);
  Points out;
  for (const V& p : points) out.push_back(V(c * p.x() - s * p.y(), s * p.x() + c * p.y()) * scale + shift);
  return out;
}

/// Outlines of a set of regions on a small field: lattice rectangles (shared collinear sides),
/// convex and star polygons, either orientation; apart, touching, nested and overlapping.
inline std::vector<Points> regionOutlines(Rng& rng, int count) {
  std::vector<Points> set;
  for (int k = 0; k < count; ++k) {
    const V at(integer(rng, 0, 12), integer(rng, 0, 12));
    const double w = integer(rng, 1, 5), h = integer(rng, 1, 5), r = real(rng, 1.5, 4);
    Points p = coin(rng, 3) ? Points{at, at + V(w, 0), at + V(w, h), at + V(0, h)}
                            : star(rng, integer(rng, 3, 12), coin(rng) ? r : 0.3 * r, r, at);
    if (coin(rng)) std::reverse(p.begin(), p.end());
    set.push_back(p);
  }
  return set;
}

/// Equal bit for bit, NaN payloads aside: -0 differs from +0.
inline bool same(double a, double b) {
  return (a != a && b != b) || (a == b && std::signbit(a) == std::signbit(b));
}
inline bool same(const V& a, const V& b) { return same(a.x(), b.x()) && same(a.y(), b.y()); }
inline bool same(const Points& a, const Points& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](auto& p, auto& q) { return same(p, q); });
}

/// Distance from p to the closed segment ab.
inline double distanceToSegment(const V& p, const V& a, const V& b) {
  const V d = b - a;
  const double t = d * d == 0.0 ? 0.0 : std::clamp(((p - a) * d) / (d * d), 0.0, 1.0);
  return (a + d * t - p).len();
}

/// Winding number of the closed outline around q: signed crossings, sides in long double.
inline int windingNumber(const Points& p, const V& q) {
  int w = 0;
  for (std::size_t i = 0; i < p.size(); ++i) {
    const V &a = p[i], &b = p[(i + 1) % p.size()];
    const long double side = (static_cast<long double>(b.x()) - a.x()) * (q.y() - a.y()) -
                             (static_cast<long double>(q.x()) - a.x()) * (b.y() - a.y());
    w += (a.y() <= q.y() && b.y() > q.y() && side > 0) - (a.y() > q.y() && b.y() <= q.y() && side < 0);
  }
  return w;
}

}  // namespace shapes
