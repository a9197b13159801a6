#pragma once
// A uniform grid over the bounding rectangles of a contour's edges, so that a query box meets
// only the edges filed in the cells it covers instead of every edge of the contour.
#include <memory>
#include <vector>

#include "lynstd/shapes.h"

namespace sgcntr {

/// Whether two closed rectangles overlap; touching counts. Exact comparisons, so a NaN
/// coordinate never separates them.
bool rectsOverlap(const sgRect& a, const sgRect& b);

class EdgeGrid {
 public:
  /// Contours with fewer valid edges are scanned directly: the grid would not pay for itself.
  static constexpr std::size_t kMinEdges = 32;

  /// Files every valid edge (by its position in `rects`) in the cells its rectangle covers.
  /// Null when the edges are too few or span no finite extent.
  static std::shared_ptr<const EdgeGrid> build(const std::vector<sgRect>& rects,
                                               const std::vector<bool>& valid);

  /// Appends, ascending and without repeats, a superset of the edges whose rectangle overlaps
  /// `box`. False (nothing appended) when the box has no finite extent; the caller must then
  /// look at every edge.
  bool appendCandidates(const sgRect& box, std::vector<int>& edges) const;

 private:
  struct CellRange {
    long first, last;
  };
  CellRange columnsOf(double lo, double hi) const;
  CellRange rowsOf(double lo, double hi) const;

  double originX_ = 0.0, originY_ = 0.0;
  double cellWidth_ = 1.0, cellHeight_ = 1.0;
  long columns_ = 1, rows_ = 1;
  // Compressed cell lists: the edges of cell c are cellEdges_[cellStart_[c] .. cellStart_[c+1]),
  // ascending because edges are filed in edge order.
  std::vector<std::size_t> cellStart_;
  std::vector<int> cellEdges_;
  // Edges whose rectangle has no finite extent cannot be filed; every query returns them.
  std::vector<int> unfiled_;
};

}  // namespace sgcntr
