#pragma once
// The direction of the inside test's probe ray: through the middle of the first wide angular gap
// between the vertices as seen from the query point, so that the ray stays clear of them.
#include <optional>
#include <vector>

#include "lynstd/vector.h"

namespace sgcntr {

/// With a_0 <= ... <= a_(n-1) the angles of the vertices seen from `point` (each normalised to
/// [0, 2 pi)), the unit vector at angle a_i + gap / 2 for the first i whose gap to its successor
/// (a_(n-1) wrapping to a_0) exceeds pi / n; (1, 0) when none does. Empty when a vertex lies
/// within `onVertex` of the point.
std::optional<sgVector<2>> probeDirection(const std::vector<sgVector<2>>& vertices, const sgVector<2>& point,
                                          double onVertex);

}  // namespace sgcntr
