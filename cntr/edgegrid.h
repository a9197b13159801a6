#pragma once
// A uniform grid over a contour's edges, each edge filed in the cells its segment passes through,
// so that a segment query meets only the edges along its own path instead of every edge whose
// bounding box it happens to overlap (long spikes of a star-shaped outline have boxes that
// overlap a fixed share of all others).
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "lynstd/basics.h"
#include "lynstd/shapes.h"
#include "segmentreach.h"

namespace sgcntr {

class EdgeGrid {
 public:
  /// Contours with fewer valid edges are scanned directly: the grid would not pay for itself.
  static constexpr std::size_t kMinEdges = 32;

  /// Files every valid edge (by its position in `segs`) in the cells near its segment. Null when
  /// the edges are too few or span no finite extent.
  static std::shared_ptr<const EdgeGrid> build(const std::vector<sgLineSeg>& segs,
                                               const std::vector<sgRect>& rects,
                                               const std::vector<bool>& valid);

  /// Appends, ascending, every edge accepted by `keep` whose segment comes near the query
  /// segment; every edge that can give a crossing with it is among them. An edge filed in several
  /// of the cells walked is offered to `keep` once per cell, so `keep` must accept it at most
  /// once. False (nothing appended) when the segment has no finite extent; the caller must then
  /// look at every edge.
  template <class Keep>
  bool appendCandidates(const SegmentReach& reach, Keep keep, std::vector<int>& edges) const;

 private:
  struct CellRange {
    long first, last;
  };
  /// The cells along `axis` (0: columns, 1: rows) that values in [lo, hi] fall in.
  CellRange cellsOf(int axis, double lo, double hi) const;
  /// Calls visit(cell) for every cell that a point within `margin` (along both axes) of the
  /// segment from `a` to `b` can fall in, and perhaps a few more. The segment and the margin
  /// must be finite (see isFiniteWalk).
  template <class Visit>
  void forEachCellNear(const sgVector<2>& a, const sgVector<2>& b, double margin, Visit visit) const;
  static bool isFiniteWalk(const sgVector<2>& a, const sgVector<2>& b, double margin);
  /// Calls visit(cell) for the cells an edge is filed in: those of its rectangle widened by the
  /// margin when they are at most four (a short edge, cheaply), else those the walk along it
  /// visits. Either covers the cell of every point of the edge, which is what queries rely on.
  template <class Visit>
  void forEachCellOf(const sgLineSeg& edge, const sgRect& rect, double margin, Visit visit) const;
  /// Shortens the segment to its part within the grid's extent widened by `margin`; false when
  /// no part lies there.
  bool clipToGrid(sgVector<2>& a, sgVector<2>& b, double margin) const;

  std::array<double, 2> origin_{0.0, 0.0};
  std::array<double, 2> cellSize_{1.0, 1.0};
  std::array<long, 2> cellCount_{1, 1};
  // Largest absolute coordinate of a filed edge: bounds the reach of any query.
  double magnitude_ = 0.0;
  // Compressed cell lists: the edges of cell c are cellEdges_[cellStart_[c] .. cellStart_[c+1]),
  // ascending because edges are filed in edge order.
  std::vector<std::size_t> cellStart_;
  std::vector<int> cellEdges_;
  // Edges without a finite extent, or passing near too many cells, are not filed; every query
  // returns them.
  std::vector<int> unfiled_;
};

// Cell numbers come from floor((v - origin) / cellSize): a rounded subtraction and a rounded
// division by a positive number never reverse the order of two values, so a value inside an
// interval always falls in a cell of the interval's cell range.
inline EdgeGrid::CellRange EdgeGrid::cellsOf(int axis, double lo, double hi) const {
  const auto at = static_cast<std::size_t>(axis);
  const auto cell = [&](double v) {
    return std::clamp(sfIFloor((v - origin_[at]) / cellSize_[at]), 0L, cellCount_[at] - 1);
  };
  return {cell(lo), cell(hi)};
}

inline bool EdgeGrid::isFiniteWalk(const sgVector<2>& a, const sgVector<2>& b, double margin) {
  return std::isfinite(a.x()) && std::isfinite(a.y()) && std::isfinite(b.x()) && std::isfinite(b.y()) &&
         std::isfinite(margin);
}

// Liang and Barsky's clipping of the segment's parameter range by the two slabs of the box.
inline bool EdgeGrid::clipToGrid(sgVector<2>& a, sgVector<2>& b, double margin) const {
  const std::array<double, 2> start{a.x(), a.y()}, direction{b.x() - a.x(), b.y() - a.y()};
  double t0 = 0.0, t1 = 1.0;
  for (std::size_t axis = 0; axis < 2; ++axis) {
    const double lo = origin_[axis] - margin;
    const double hi = origin_[axis] + static_cast<double>(cellCount_[axis]) * cellSize_[axis] + margin;
    if (direction[axis] == 0.0) {
      if (start[axis] < lo || start[axis] > hi) return false;
      continue;
    }
    const double enter = (lo - start[axis]) / direction[axis], leave = (hi - start[axis]) / direction[axis];
    t0 = std::max(t0, std::min(enter, leave));
    t1 = std::min(t1, std::max(enter, leave));
  }
  if (t0 > t1) return false;
  const sgVector<2> from = a;
  if (t0 > 0.0) a = from + (b - from) * t0;
  if (t1 < 1.0) b = from + (b - from) * t1;
  return true;
}

// Walks the segment along its major axis one cell slab at a time and takes, in each slab, the
// cells across the part of the segment over that slab, everything widened by the margin: a long
// segment visits about as many cells as it crosses. The margin also absorbs the rounding of the
// slab bounds and of the interpolated minor coordinate.
template <class Visit>
void EdgeGrid::forEachCellNear(const sgVector<2>& a, const sgVector<2>& b, double margin, Visit visit) const {
  const std::array<double, 2> from{a.x(), a.y()}, to{b.x(), b.y()};
  const std::array<double, 2> direction{to[0] - from[0], to[1] - from[1]};
  const int major = std::fabs(direction[0]) >= std::fabs(direction[1]) ? 0 : 1;
  const int minor = 1 - major;
  const auto M = static_cast<std::size_t>(major), m = static_cast<std::size_t>(minor);
  const double lo = std::min(from[M], to[M]), hi = std::max(from[M], to[M]);
  // The minor coordinate of the segment at a major coordinate within [lo, hi].
  const auto minorAt = [&](double t) {
    return direction[M] == 0.0 ? from[m] : from[m] + (t - from[M]) * (direction[m] / direction[M]);
  };
  const CellRange slabs = cellsOf(major, lo - margin, hi + margin);
  for (long slab = slabs.first; slab <= slabs.last; ++slab) {
    const double slabLo = origin_[M] + static_cast<double>(slab) * cellSize_[M] - margin;
    const double slabHi = origin_[M] + static_cast<double>(slab + 1) * cellSize_[M] + margin;
    // The first and last slabs also take whatever lies beyond the grid, as cellsOf clamps.
    const double t0 = std::max(slab == slabs.first ? lo : slabLo, lo);
    const double t1 = std::min(slab == slabs.last ? hi : slabHi, hi);
    if (t0 > t1) continue;
    const double m0 = minorAt(t0), m1 = minorAt(t1);
    const CellRange across = cellsOf(minor, std::min(m0, m1) - margin, std::max(m0, m1) + margin);
    for (long cell = across.first; cell <= across.last; ++cell)
      visit(static_cast<std::size_t>(major == 0 ? cell * cellCount_[0] + slab : slab * cellCount_[0] + cell));
  }
}

template <class Visit>
void EdgeGrid::forEachCellOf(const sgLineSeg& edge, const sgRect& rect, double margin, Visit visit) const {
  const CellRange columns = cellsOf(0, rect.x() - margin, rect.x() + rect.width() + margin);
  const CellRange rows = cellsOf(1, rect.y() - margin, rect.y() + rect.height() + margin);
  if ((columns.last - columns.first + 1) * (rows.last - rows.first + 1) > 4) {
    forEachCellNear(edge.p1(), edge.p2(), margin, visit);
    return;
  }
  for (long row = rows.first; row <= rows.last; ++row)
    for (long column = columns.first; column <= columns.last; ++column)
      visit(static_cast<std::size_t>(row * cellCount_[0] + column));
}

// Why no edge that can give a crossing is lost: its recorded crossing lies within 1e-6 (plus
// rounding) of both segments, so some point P of the edge lies within 2e-6 of the query
// segment. The edge was filed in P's cell, and the query, widened by a margin larger than that
// distance, visits P's cell too.
template <class Keep>
bool EdgeGrid::appendCandidates(const SegmentReach& reach, Keep keep, std::vector<int>& edges) const {
  const std::size_t first = edges.size();
  sgVector<2> from = reach.first(), to = reach.second();
  const double margin = reach.walkMargin(magnitude_);
  if (!isFiniteWalk(from, to, margin)) return false;
  // Only the part of the segment over the grid can come near a filed edge. Clipping moves the
  // ends along the line by rounding only; the doubled margin of the clip box and the walk margin
  // absorb that.
  if (clipToGrid(from, to, 2.0 * margin)) {
    forEachCellNear(from, to, margin, [&](std::size_t cell) {
      for (std::size_t i = cellStart_[cell]; i < cellStart_[cell + 1]; ++i)
        if (keep(cellEdges_[i])) edges.push_back(cellEdges_[i]);
    });
  }
  for (const int k : unfiled_)
    if (keep(k)) edges.push_back(k);
  std::sort(edges.begin() + static_cast<std::ptrdiff_t>(first), edges.end());
  return true;
}

}  // namespace sgcntr
