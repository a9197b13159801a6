#pragma once
#include "lynstd/matrix.h"

template <int N>
class sgXform;

/// An affine map p -> matrix * p + translation.
template <>
class LYNSTD_API sgXform<2> {
 public:
  /// The identity.
  sgXform() = default;
  sgXform(const sgMatrix<2>& m, const sgVector<2>& t) : m_(m), t_(t) {}

  const sgMatrix<2>& matrix() const { return m_; }
  const sgVector<2>& trans() const { return t_; }

  sgVector<2> operator*(const sgVector<2>& p) const { return m_ * p + t_; }
  /// Composition: (a * b) * p == a * (b * p).
  sgXform operator*(const sgXform& o) const { return {m_ * o.m_, m_ * o.t_ + t_}; }
  /// Throws sgMathError::Singular when the matrix is singular.
  sgXform inverse() const;
  bool operator==(const sgXform& o) const { return m_ == o.m_ && t_ == o.t_; }

  static const sgXform I;

 private:
  sgMatrix<2> m_;
  sgVector<2> t_;
};
