#pragma once
// The contour edge order, for code that walks the vertex list of a contour it does not own the
// edge caches of (another contour's edges, drawing).
#include <cstddef>
#include <vector>

#include "lynstd/vector.h"

namespace sgcntr {

/// Calls visit(previous, current) for every edge in edge order: closed, edge 0 joins the last
/// vertex to the first and edge k >= 1 joins vertex k-1 to k; open, edge k joins k to k+1.
/// A closed single vertex gives one zero-length edge; no vertices give no edge.
template <class Visit>
void forEachEdge(const std::vector<sgVector<2>>& points, bool closed, Visit&& visit) {
  const std::size_t n = points.size();
  if (n == 0) return;
  std::size_t previous = closed ? n - 1 : 0;
  for (std::size_t i = closed ? 0 : 1; i < n; ++i) {
    visit(points[previous], points[i]);
    previous = i;
  }
}

}  // namespace sgcntr
