#pragma once
// Crossings that the edge tests cannot see: two strands of an outline that pass through one
// vertex position and cross there. Every edge at such a point ends there, so the edge query,
// which leaves out edges touching the ends of the edge it asks about, never pairs them.
#include <vector>

#include "lynstd/vector.h"

namespace sgcntr {

/// Whether the outline passes twice (within 1e-6) through some point with strands that cross
/// there: the four directions around the point interleave. Strands that only touch, or that run
/// along each other, do not count. Consecutive vertices within 1e-6 of each other are one pass.
bool strandsCrossAtRepeatedVertex(const std::vector<sgVector<2>>& points, bool closed);

}  // namespace sgcntr
