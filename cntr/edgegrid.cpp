#include "edgegrid.h"

#include <algorithm>
#include <cmath>

namespace sgcntr {

namespace {

/// An edge whose rectangle reaches this many cells is not filed but returned by every query, so
/// that a few long edges cannot make the grid quadratic in size.
constexpr long kMaxCellsPerEdge = 64;

/// Both corners finite and a non-negative size: the only rectangles a cell range can describe.
bool hasFiniteExtent(const sgRect& r) {
  return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.x() + r.width()) &&
         std::isfinite(r.y() + r.height()) && r.width() >= 0.0 && r.height() >= 0.0;
}

long clampCell(long cell, long count) { return std::clamp(cell, 0L, count - 1); }

}  // namespace

bool rectsOverlap(const sgRect& a, const sgRect& b) {
  return !(a.x() + a.width() < b.x() || b.x() + b.width() < a.x() || a.y() + a.height() < b.y() ||
           b.y() + b.height() < a.y());
}

// Cell numbers come from floor((v - origin) / cellSize): a rounded subtraction and a rounded
// division by a positive number never reverse the order of two values, so two intervals that
// overlap under the exact comparisons of rectsOverlap always get overlapping cell ranges. The
// grid therefore never loses an edge that the direct scan would find.
EdgeGrid::CellRange EdgeGrid::columnsOf(double lo, double hi) const {
  return {clampCell(sfIFloor((lo - originX_) / cellWidth_), columns_),
          clampCell(sfIFloor((hi - originX_) / cellWidth_), columns_)};
}

EdgeGrid::CellRange EdgeGrid::rowsOf(double lo, double hi) const {
  return {clampCell(sfIFloor((lo - originY_) / cellHeight_), rows_),
          clampCell(sfIFloor((hi - originY_) / cellHeight_), rows_)};
}

std::shared_ptr<const EdgeGrid> EdgeGrid::build(const std::vector<sgRect>& rects,
                                                const std::vector<bool>& valid) {
  const std::size_t validCount = static_cast<std::size_t>(std::count(valid.begin(), valid.end(), true));
  if (validCount < kMinEdges) return nullptr;

  bool anyFinite = false;
  double minX = 0.0, minY = 0.0, maxX = 0.0, maxY = 0.0;
  for (std::size_t k = 0; k < rects.size(); ++k) {
    const sgRect& r = rects[k];
    if (!valid[k] || !hasFiniteExtent(r)) continue;
    const double hiX = r.x() + r.width(), hiY = r.y() + r.height();
    minX = anyFinite ? std::min(minX, r.x()) : r.x();
    minY = anyFinite ? std::min(minY, r.y()) : r.y();
    maxX = anyFinite ? std::max(maxX, hiX) : hiX;
    maxY = anyFinite ? std::max(maxY, hiY) : hiY;
    anyFinite = true;
  }
  const double width = maxX - minX, height = maxY - minY;
  if (!anyFinite || !std::isfinite(width) || !std::isfinite(height)) return nullptr;

  auto grid = std::make_shared<EdgeGrid>();
  // About one cell per edge, as square as the extent allows; a flat extent gets one row or column.
  const long side = static_cast<long>(std::ceil(std::sqrt(static_cast<double>(validCount))));
  grid->originX_ = minX;
  grid->originY_ = minY;
  grid->columns_ = width > 0.0 ? side : 1;
  grid->rows_ = height > 0.0 ? side : 1;
  grid->cellWidth_ = width > 0.0 ? width / static_cast<double>(grid->columns_) : 1.0;
  grid->cellHeight_ = height > 0.0 ? height / static_cast<double>(grid->rows_) : 1.0;

  // Two passes (count, then fill) build the compressed lists without per-cell vectors.
  const std::size_t cellCount = static_cast<std::size_t>(grid->columns_ * grid->rows_);
  std::vector<std::size_t> start(cellCount + 1, 0);
  std::vector<CellRange> columnRanges(rects.size()), rowRanges(rects.size());
  std::vector<bool> filed(rects.size(), false);
  for (std::size_t k = 0; k < rects.size(); ++k) {
    const sgRect& r = rects[k];
    if (!valid[k]) continue;
    if (hasFiniteExtent(r)) {
      columnRanges[k] = grid->columnsOf(r.x(), r.x() + r.width());
      rowRanges[k] = grid->rowsOf(r.y(), r.y() + r.height());
      const long cells =
          (columnRanges[k].last - columnRanges[k].first + 1) * (rowRanges[k].last - rowRanges[k].first + 1);
      filed[k] = cells < kMaxCellsPerEdge;
    }
    if (!filed[k]) {
      grid->unfiled_.push_back(static_cast<int>(k));
      continue;
    }
    for (long row = rowRanges[k].first; row <= rowRanges[k].last; ++row)
      for (long column = columnRanges[k].first; column <= columnRanges[k].last; ++column)
        ++start[static_cast<std::size_t>(row * grid->columns_ + column) + 1];
  }
  for (std::size_t c = 0; c < cellCount; ++c) start[c + 1] += start[c];
  grid->cellEdges_.resize(start[cellCount]);
  std::vector<std::size_t> next(start.begin(), start.end() - 1);
  for (std::size_t k = 0; k < rects.size(); ++k) {
    if (!filed[k]) continue;
    for (long row = rowRanges[k].first; row <= rowRanges[k].last; ++row)
      for (long column = columnRanges[k].first; column <= columnRanges[k].last; ++column)
        grid->cellEdges_[next[static_cast<std::size_t>(row * grid->columns_ + column)]++] =
            static_cast<int>(k);
  }
  grid->cellStart_ = std::move(start);
  return grid;
}

bool EdgeGrid::appendCandidates(const sgRect& box, std::vector<int>& edges) const {
  if (!hasFiniteExtent(box)) return false;
  const CellRange columns = columnsOf(box.x(), box.x() + box.width());
  const CellRange rows = rowsOf(box.y(), box.y() + box.height());
  const std::size_t first = edges.size();
  for (long row = rows.first; row <= rows.last; ++row) {
    for (long column = columns.first; column <= columns.last; ++column) {
      const std::size_t cell = static_cast<std::size_t>(row * columns_ + column);
      edges.insert(edges.end(), cellEdges_.begin() + static_cast<std::ptrdiff_t>(cellStart_[cell]),
                   cellEdges_.begin() + static_cast<std::ptrdiff_t>(cellStart_[cell + 1]));
    }
  }
  edges.insert(edges.end(), unfiled_.begin(), unfiled_.end());
  // An edge covering several cells of the box was collected once per cell.
  std::sort(edges.begin() + static_cast<std::ptrdiff_t>(first), edges.end());
  edges.erase(std::unique(edges.begin() + static_cast<std::ptrdiff_t>(first), edges.end()), edges.end());
  return true;
}

}  // namespace sgcntr
