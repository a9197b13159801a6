#pragma once
#include <cmath>

#include "lynstd/basics.h"

template <int N>
class sgVector;

/// A point or displacement in the plane. `*` between two vectors is the dot product;
/// `==` compares both coordinates exactly (a NaN coordinate is never equal).
template <>
class sgVector<2> {
 public:
  constexpr sgVector() = default;
  constexpr sgVector(double x, double y) : v_{x, y} {}
  /// Polar form: length `len` in direction `angle` (counter-clockwise from the x axis).
  sgVector(double len, sgRadian angle) : v_{len * cos(angle), len * sin(angle)} {}
  constexpr explicit sgVector(const sgPair<long>& p)
      : v_{static_cast<double>(p.first), static_cast<double>(p.second)} {}

  constexpr double x() const { return v_[0]; }
  constexpr double y() const { return v_[1]; }
  constexpr double operator[](int i) const { return v_[i]; }
  constexpr double& operator[](int i) { return v_[i]; }

  constexpr sgVector operator+(const sgVector& o) const { return {v_[0] + o.v_[0], v_[1] + o.v_[1]}; }
  constexpr sgVector operator-(const sgVector& o) const { return {v_[0] - o.v_[0], v_[1] - o.v_[1]}; }
  constexpr sgVector operator-() const { return {-v_[0], -v_[1]}; }
  constexpr sgVector operator*(double s) const { return {v_[0] * s, v_[1] * s}; }
  constexpr sgVector operator/(double s) const { return {v_[0] / s, v_[1] / s}; }
  /// Dot product.
  constexpr double operator*(const sgVector& o) const { return v_[0] * o.v_[0] + v_[1] * o.v_[1]; }
  constexpr sgVector& operator+=(const sgVector& o) { return *this = *this + o; }
  constexpr sgVector& operator-=(const sgVector& o) { return *this = *this - o; }
  constexpr bool operator==(const sgVector& o) const { return v_[0] == o.v_[0] && v_[1] == o.v_[1]; }
  constexpr bool operator!=(const sgVector& o) const { return !(*this == o); }

  /// Euclidean length (hypot: no overflow for huge coordinates).
  double len() const { return std::hypot(v_[0], v_[1]); }
  double distance(const sgVector& o) const { return (*this - o).len(); }
  /// Unit vector in the same direction; the zero vector gives NaN coordinates.
  sgVector unit() const { return *this / len(); }
  /// Direction counter-clockwise from the x axis, in (-pi, pi].
  sgRadian angle() const { return sgRadian(std::atan2(v_[1], v_[0])); }

 private:
  double v_[2] = {0.0, 0.0};
};

inline constexpr sgVector<2> operator*(double s, const sgVector<2>& v) { return v * s; }

/// Element-wise |a - b| <= tol.
inline bool sfRealEq(const sgVector<2>& a, const sgVector<2>& b, double tol) {
  return sfRealEq(a.x(), b.x(), tol) && sfRealEq(a.y(), b.y(), tol);
}
