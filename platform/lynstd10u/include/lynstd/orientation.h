#pragma once
// The exact orientation predicate: on which side of the line through a and b the point c lies.
#include "lynstd/export.h"
#include "lynstd/vector.h"

/// Shewchuk's relative error bound (ccwerrboundA) of (a - c) x (b - c) evaluated in doubles:
/// the rounded value is off by less than this times |detLeft| + |detRight|.
inline constexpr double sfOrientationErrorBound = (3.0 + 16.0 * 0x1p-53) * 0x1p-53;

/// Sign of (b - a) x (c - a) evaluated exactly (expansion arithmetic): 1 when a, b, c turn left
/// (counter-clockwise), -1 when they turn right, 0 when they are collinear.
LYNSTD_API int sfOrientationExact(const sgVector<2>& a, const sgVector<2>& b, const sgVector<2>& c);

/// The same sign, for any finite input. The floating-point value decides when it exceeds the
/// error bound, which is almost always; otherwise the exact evaluation does. Inline, because sweeps and hulls
/// call it in their inner loops.
inline int sfOrientation(const sgVector<2>& a, const sgVector<2>& b, const sgVector<2>& c) {
  const double detLeft = (a.x() - c.x()) * (b.y() - c.y());
  const double detRight = (a.y() - c.y()) * (b.x() - c.x());
  const double det = detLeft - detRight;
  double detSum;
  if (detLeft > 0.0) {
    if (detRight <= 0.0) return det > 0.0 ? 1 : (det < 0.0 ? -1 : 0);
    detSum = detLeft + detRight;
  } else if (detLeft < 0.0) {
    if (detRight >= 0.0) return det > 0.0 ? 1 : (det < 0.0 ? -1 : 0);
    detSum = -detLeft - detRight;
  } else {
    // Both products vanish: exactly when a factor is zero (a rounded difference is zero only for
    // equal operands); otherwise they underflowed and only the exact sum can tell.
    if (detRight == 0.0) {
      const bool leftZero = a.x() == c.x() || b.y() == c.y(), rightZero = a.y() == c.y() || b.x() == c.x();
      return leftZero && rightZero ? 0 : sfOrientationExact(a, b, c);
    }
    return det > 0.0 ? 1 : -1;
  }
  const double bound = sfOrientationErrorBound * detSum;
  if (det > bound) return 1;
  if (-det > bound) return -1;
  return sfOrientationExact(a, b, c);
}
