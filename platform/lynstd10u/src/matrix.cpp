#include "lynstd/matrix.h"

#include "lynstd/exceptions.h"

sgMatrix<2> sgMatrix<2>::inverse() const {
  // The determinant is recomputed rather than read from the cache: a matrix whose elements were
  // changed with set() and no setdt() must still be inverted correctly.
  const double d = a_[0][0] * a_[1][1] - a_[0][1] * a_[1][0];
  if (d == 0.0) throw sgMathError::Singular();
  // Dividing each element (rather than multiplying by 1/d) keeps a tiny but nonzero determinant
  // from overflowing to infinity when the elements are small as well.
  return {a_[1][1] / d, -a_[0][1] / d, -a_[1][0] / d, a_[0][0] / d};
}
