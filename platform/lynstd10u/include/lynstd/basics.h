#pragma once
#include <cmath>
#include <compare>

#include "lynstd/export.h"

/// An ordered pair; `first` and `second` are also readable as `x()` and `y()`.
/// Pairs order by `first`, then `second`.
template <class T>
struct sgPair {
  T first{};
  T second{};
  constexpr sgPair() = default;
  constexpr sgPair(T a, T b) : first(a), second(b) {}
  constexpr T x() const { return first; }
  constexpr T y() const { return second; }
  friend constexpr auto operator<=>(const sgPair&, const sgPair&) = default;
};

class sgDegree;

/// An angle in radians. `norm()` brings it into [0, 2*pi).
class sgRadian {
 public:
  constexpr sgRadian() = default;
  constexpr explicit sgRadian(double v) : v_(v) {}
  inline sgRadian(const sgDegree& d);  // NOLINT: angles convert freely between units
  constexpr double toDouble() const { return v_; }
  sgRadian norm() const {
    double r = std::fmod(v_, kTwoPi);
    if (r < 0) r += kTwoPi;
    if (r >= kTwoPi) r = 0.0;  // fmod of a tiny negative value can round up to 2*pi
    return sgRadian(r);
  }
  constexpr sgRadian operator+(sgRadian o) const { return sgRadian(v_ + o.v_); }
  constexpr sgRadian operator-(sgRadian o) const { return sgRadian(v_ - o.v_); }
  constexpr sgRadian operator-() const { return sgRadian(-v_); }
  constexpr sgRadian operator*(double s) const { return sgRadian(v_ * s); }
  constexpr bool operator==(const sgRadian&) const = default;
  static constexpr double kTwoPi = 6.283185307179586476925286766559;

 private:
  double v_ = 0.0;
};

/// An angle in degrees.
class sgDegree {
 public:
  constexpr sgDegree() = default;
  constexpr explicit sgDegree(double v) : v_(v) {}
  constexpr sgDegree(const sgRadian& r) : v_(r.toDouble() * 57.295779513082320876798154814105) {}  // NOLINT
  constexpr double toDouble() const { return v_; }
  constexpr bool operator==(const sgDegree&) const = default;

 private:
  double v_ = 0.0;
};

inline sgRadian::sgRadian(const sgDegree& d) : v_(d.toDouble() * 0.017453292519943295769236907684886) {}

inline double cos(sgRadian a) { return std::cos(a.toDouble()); }
inline double sin(sgRadian a) { return std::sin(a.toDouble()); }

/// Largest integer not above v. Values outside the range of long (and NaN) saturate:
/// NaN gives 0, so a caller indexing with the result never sees an indeterminate value.
inline long sfIFloor(double v) {
  if (!(v == v)) return 0;
  const double f = std::floor(v);
  if (f >= 9.2233720368547758e18) return __LONG_MAX__;
  if (f < -9.2233720368547758e18) return -__LONG_MAX__ - 1;
  return static_cast<long>(f);
}

/// |a - b| <= tol. A NaN operand never compares equal.
inline bool sfRealEq(double a, double b, double tol) { return std::fabs(a - b) <= tol; }
