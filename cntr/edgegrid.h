#pragma once
// A uniform grid over the bounding rectangles of a contour's edges, so that a segment query meets
// only the edges filed in the cells along the segment instead of every edge of the contour.
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "lynstd/shapes.h"
#include "segmentreach.h"

namespace sgcntr {

class EdgeGrid {
 public:
  /// Contours with fewer valid edges are scanned directly: the grid would not pay for itself.
  static constexpr std::size_t kMinEdges = 32;

  /// Files every valid edge (by its position in `rects`) in the cells its rectangle covers.
  /// Null when the edges are too few or span no finite extent.
  static std::shared_ptr<const EdgeGrid> build(const std::vector<sgRect>& rects,
                                               const std::vector<bool>& valid);

  /// Appends, ascending and without repeats, every edge accepted by `keep` whose rectangle
  /// `reach.mayMeet` (`keep` must imply that). False (nothing appended) when the segment has no
  /// finite extent; the caller must then look at every edge.
  bool appendCandidates(const SegmentReach& reach, const std::function<bool(int)>& keep,
                        std::vector<int>& edges) const;

 private:
  struct CellRange {
    long first, last;
  };
  /// The cells along `axis` (0: columns, 1: rows) that values in [lo, hi] fall in.
  CellRange cellsOf(int axis, double lo, double hi) const;
  void appendCell(long column, long row, const std::function<bool(int)>& keep, std::vector<int>& edges) const;

  std::array<double, 2> origin_{0.0, 0.0};
  std::array<double, 2> cellSize_{1.0, 1.0};
  std::array<long, 2> cellCount_{1, 1};
  // Largest absolute coordinate of a filed rectangle: bounds the reach of any query.
  double magnitude_ = 0.0;
  // Compressed cell lists: the edges of cell c are cellEdges_[cellStart_[c] .. cellStart_[c+1]),
  // ascending because edges are filed in edge order.
  std::vector<std::size_t> cellStart_;
  std::vector<int> cellEdges_;
  // Edges whose rectangle has no finite extent or covers too many cells are not filed; every
  // query returns them.
  std::vector<int> unfiled_;
};

}  // namespace sgcntr
