#pragma once
#include "lynstd/vector.h"

template <int N>
class sgMatrix;

/// A 2 x 2 matrix with a cached determinant. Elements set with `set` leave the cache stale
/// until `setdt()` recomputes it; every constructor and operator keeps it current.
template <>
class sgMatrix<2> {
 public:
  /// The identity.
  constexpr sgMatrix() = default;
  constexpr sgMatrix(double a00, double a01, double a10, double a11)
      : a_{{a00, a01}, {a10, a11}}, dt_(a00 * a11 - a01 * a10) {}
  /// Rotation and scale: the x axis turned by `xRot` and scaled by `xScale` forms the first
  /// column, the y axis turned by `yRot` and scaled by `yScale` the second. So
  /// sgMatrix<2>(t, t, 1.0, 1.0) is the rotation [[cos t, -sin t], [sin t, cos t]].
  sgMatrix(sgRadian xRot, sgRadian yRot, double xScale, double yScale)
      : sgMatrix(xScale * cos(xRot), -yScale * sin(yRot), xScale * sin(xRot), yScale * cos(yRot)) {}

  constexpr double element(int r, int c) const { return a_[r][c]; }
  constexpr double operator()(int r, int c) const { return a_[r][c]; }
  /// Stores one element; call `setdt()` once all are set.
  constexpr void set(int r, int c, double v) { a_[r][c] = v; }
  constexpr void setdt() { dt_ = a_[0][0] * a_[1][1] - a_[0][1] * a_[1][0]; }
  constexpr double determinant() const { return dt_; }

  constexpr sgMatrix operator*(const sgMatrix& o) const {
    return {a_[0][0] * o.a_[0][0] + a_[0][1] * o.a_[1][0], a_[0][0] * o.a_[0][1] + a_[0][1] * o.a_[1][1],
            a_[1][0] * o.a_[0][0] + a_[1][1] * o.a_[1][0], a_[1][0] * o.a_[0][1] + a_[1][1] * o.a_[1][1]};
  }
  constexpr sgVector<2> operator*(const sgVector<2>& v) const {
    return {a_[0][0] * v.x() + a_[0][1] * v.y(), a_[1][0] * v.x() + a_[1][1] * v.y()};
  }
  constexpr sgMatrix transpose() const { return {a_[0][0], a_[1][0], a_[0][1], a_[1][1]}; }
  /// Throws sgMathError::Singular when the determinant is 0.
  LYNSTD_API sgMatrix inverse() const;
  /// Exact comparison of the four elements.
  constexpr bool operator==(const sgMatrix& o) const {
    return a_[0][0] == o.a_[0][0] && a_[0][1] == o.a_[0][1] && a_[1][0] == o.a_[1][0] &&
           a_[1][1] == o.a_[1][1];
  }

 private:
  double a_[2][2] = {{1.0, 0.0}, {0.0, 1.0}};
  double dt_ = 1.0;
};

/// Element-wise |a - b| <= tol.
inline bool sfRealEq(const sgMatrix<2>& a, const sgMatrix<2>& b, double tol) {
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 2; ++c)
      if (!sfRealEq(a(r, c), b(r, c), tol)) return false;
  return true;
}
