#pragma once
#include <cstddef>
#include <vector>

#include "lynstd/vector.h"

namespace sgcntr {

/// Appends `count` points of the closed point list, starting at `from` and wrapping past the end:
/// how boundaries are cut and rejoined at a shared point.
inline void appendCyclicRange(std::vector<sgVector<2>>& out, const std::vector<sgVector<2>>& points,
                              std::size_t from, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) out.push_back(points[(from + i) % points.size()]);
}

}  // namespace sgcntr
