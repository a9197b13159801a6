#include "inputs.h"

#include <cmath>
#include <numbers>
#include <random>

namespace bench {
namespace {

constexpr double kInnerRadius = 4000.0;
constexpr double kOuterRadius = 8000.0;
// One twist per this many vertices; twists lie this far apart, so no two of them interact.
constexpr int kTwistSpacing = 100;

/// The nearest multiple of 1/64; at these magnitudes a float holds it exactly.
double grid(double v) { return std::round(v * 64.0) / 64.0; }

sgVector<2> polar(double radius, double angle) {
  return sgVector<2>(grid(radius * std::cos(angle)), grid(radius * std::sin(angle)));
}

double angleOf(int i, int n) { return 2.0 * std::numbers::pi * i / n; }

}  // namespace

Points starPolygon(int n) {
  std::mt19937_64 rng(1000003u + static_cast<unsigned>(n));
  std::uniform_real_distribution<double> radius(kInnerRadius, kOuterRadius);
  Points points;
  points.reserve(static_cast<std::size_t>(n));
  // Vertices at strictly increasing angles about an interior origin: a simple polygon. The
  // angular step keeps neighbours far apart compared with the grid.
  for (int i = 0; i < n; ++i) points.push_back(polar(radius(rng), angleOf(i, n)));
  return points;
}

Points noisyCircle(int n) {
  std::mt19937_64 rng(5000003u + static_cast<unsigned>(n));
  constexpr double kRadius = 0.5 * (kInnerRadius + kOuterRadius);
  const double spacing = 2.0 * std::numbers::pi * kRadius / n;
  std::uniform_real_distribution<double> radius(kRadius - spacing, kRadius + spacing);
  Points points;
  points.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) points.push_back(polar(radius(rng), angleOf(i, n)));
  return points;
}

Points outline(int kind, int n) { return kind == 0 ? starPolygon(n) : noisyCircle(n); }

const char* outlineName(int kind) { return kind == 0 ? "star" : "noisy circle"; }

Points crossingPolygon(int n) {
  Points points = starPolygon(n);
  // Vertices a, b, c, d in angle order, with a and d on the inner rim and b and c on the outer
  // one, visited as a, c, b, d: the edge a-c passes below b and reaches c, the edge b-d leaves
  // b and passes below c, so they cross exactly once, whatever the angular step.
  for (int i = 1; i + 2 < n; i += kTwistSpacing) {
    const auto at = [&](int k) -> sgVector<2>& { return points[static_cast<std::size_t>(k)]; };
    at(i - 1) = polar(kInnerRadius, angleOf(i - 1, n));
    at(i) = polar(kOuterRadius, angleOf(i + 1, n));
    at(i + 1) = polar(kOuterRadius, angleOf(i, n));
    at(i + 2) = polar(kInnerRadius, angleOf(i + 2, n));
  }
  return points;
}

Points queryPoints(int count) {
  std::mt19937_64 rng(2000003u);
  std::uniform_real_distribution<double> coordinate(-kOuterRadius, kOuterRadius);
  Points points;
  points.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) points.emplace_back(grid(coordinate(rng)), grid(coordinate(rng)));
  return points;
}

std::vector<sgLineSeg> chords(int count) {
  std::mt19937_64 rng(3000003u);
  std::uniform_real_distribution<double> angle(0.0, 2.0 * std::numbers::pi);
  std::vector<sgLineSeg> segments;
  segments.reserve(static_cast<std::size_t>(count));
  // Through the origin, which every star polygon surrounds, and beyond its outer rim.
  for (int i = 0; i < count; ++i) {
    const double a = angle(rng);
    segments.emplace_back(polar(1.25 * kOuterRadius, a), polar(1.25 * kOuterRadius, a + std::numbers::pi));
  }
  return segments;
}

std::vector<Points> disjointSquares(int count) {
  constexpr double kSide = 400.0, kPitch = 600.0;
  const int columns = static_cast<int>(std::ceil(std::sqrt(count)));
  std::vector<Points> squares;
  squares.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const double x = kPitch * (i % columns), y = kPitch * (i / columns);
    squares.push_back({sgVector<2>(x, y), sgVector<2>(x + kSide, y), sgVector<2>(x + kSide, y + kSide),
                       sgVector<2>(x, y + kSide)});
  }
  return squares;
}

std::vector<Points> overlappingSquares(int count) {
  constexpr double kSide = 400.0;
  // Squares cover the field about twice over on average: most overlap a few others.
  const double field = kSide * std::sqrt(count / 2.0);
  std::mt19937_64 rng(4000003u);
  std::uniform_real_distribution<double> position(0.0, field);
  std::uniform_real_distribution<double> turn(0.0, 0.5 * std::numbers::pi);
  std::vector<Points> squares;
  squares.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const sgVector<2> centre(position(rng), position(rng));
    const double a = turn(rng);
    Points corners;
    for (int k = 0; k < 4; ++k) {
      const sgVector<2> offset = polar(kSide / std::numbers::sqrt2, a + k * 0.5 * std::numbers::pi);
      corners.emplace_back(grid(centre.x() + offset.x()), grid(centre.y() + offset.y()));
    }
    squares.push_back(corners);
  }
  return squares;
}

}  // namespace bench
