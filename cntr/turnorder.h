#pragma once
// Directions around a point, ordered by the counter-clockwise turn from a reference direction:
// how a walk picks its way at a junction and how strands passing one point are told crossing
// from touching.
#include "lynstd/orientation.h"
#include "lynstd/vector.h"

namespace sgcntr {

/// Where `u` lies turning counter-clockwise from `r`: 0 within the first half turn, 1 exactly
/// opposite, 2 within the second half turn, 3 along `r` itself (a full turn, so last).
inline int halfTurnClass(const sgVector<2>& r, const sgVector<2>& u) {
  const int side = sfOrientation(sgVector<2>(0.0, 0.0), r, u);
  if (side > 0) return 0;
  if (side < 0) return 2;
  return r * u < 0.0 ? 1 : 3;
}

/// Whether `u` comes strictly before `v` turning counter-clockwise from `r` (a direction along
/// `r` counts as a full turn). Exact on the given vectors.
inline bool turnsBefore(const sgVector<2>& r, const sgVector<2>& u, const sgVector<2>& v) {
  const int cu = halfTurnClass(r, u), cv = halfTurnClass(r, v);
  if (cu != cv) return cu < cv;
  return (cu == 0 || cu == 2) && sfOrientation(sgVector<2>(0.0, 0.0), u, v) > 0;
}

/// Whether `u` and `v` point the same way.
inline bool sameDirection(const sgVector<2>& u, const sgVector<2>& v) { return halfTurnClass(u, v) == 3; }

}  // namespace sgcntr
