#pragma once
// The outer boundary of a closed outline that may cross, touch or overlap itself, traced along
// the edges of the outline's arrangement: the outline cut at every point where two of its edges
// meet.
#include <functional>
#include <vector>

#include "lynstd/shapes.h"

namespace sgcntr {

/// Appends to `edges` every edge that may come within a few 1e-6 of the segment (the contour's
/// candidate edge query).
using EdgeCandidates = std::function<void(const sgLineSeg& segment, std::vector<int>& edges)>;

/// Distance within which two edges meet and within which two meeting points are one junction:
/// the library's tolerance for a point lying on a segment or a vertex.
inline constexpr double kJunctionTolerance = 1e-6;

/// The outer boundary of the closed outline whose edges are `edges` (edge k from the end of edge
/// k - 1; every edge longer than kJunctionTolerance), counter-clockwise. The walk starts at the
/// lowest-leftmost vertex, leaves it along the first edge turning counter-clockwise from (-1, 0),
/// and at every junction takes the first outgoing direction turning counter-clockwise from the
/// way back, which keeps the unbounded outside on its right. The list runs from the first
/// junction after the start vertex round to the start vertex; a point where the boundary touches
/// itself appears once per pass. Throws BadParams when the walk is caught in a cycle that misses
/// the start, which only degenerate input can cause.
std::vector<sgVector<2>> traceOuterBoundary(const std::vector<sgLineSeg>& edges,
                                            const EdgeCandidates& candidates);

}  // namespace sgcntr
