#pragma once
// The farthest pair of a point list, exactly as the scan over every ordered pair finds it, in
// about n log n for the outlines a user brings.
#include <cstddef>
#include <optional>
#include <vector>

#include "lynstd/vector.h"

namespace sgcntr {

struct FarthestPair {
  std::size_t first, second;  // first < second
  double distance;            // points[first].distance(points[second])
};

/// The first ordered pair (i, j), in the order i = 0..n-1 and, inside, j = 0..n-1, whose computed
/// distance points[i].distance(points[j]) exceeds that of every pair before it and is the
/// largest: the farthest pair the plain double loop with a strict comparison keeps, bit for bit.
/// Empty when no pair lies at a positive distance.
std::optional<FarthestPair> firstFarthestPair(const std::vector<sgVector<2>>& points);

}  // namespace sgcntr
