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

double magnitudeOf(const sgRect& r) {
  return std::max(
      {std::fabs(r.x()), std::fabs(r.y()), std::fabs(r.x() + r.width()), std::fabs(r.y() + r.height())});
}

}  // namespace

// Cell numbers come from floor((v - origin) / cellSize): a rounded subtraction and a rounded
// division by a positive number never reverse the order of two values, so a value inside an
// interval always falls in a cell of the interval's cell range. The grid therefore never loses
// an edge that the direct scan would keep.
EdgeGrid::CellRange EdgeGrid::cellsOf(int axis, double lo, double hi) const {
  const auto a = static_cast<std::size_t>(axis);
  return {clampCell(sfIFloor((lo - origin_[a]) / cellSize_[a]), cellCount_[a]),
          clampCell(sfIFloor((hi - origin_[a]) / cellSize_[a]), cellCount_[a])};
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
  grid->origin_ = {minX, minY};
  grid->cellCount_ = {width > 0.0 ? side : 1, height > 0.0 ? side : 1};
  grid->cellSize_ = {width > 0.0 ? width / static_cast<double>(grid->cellCount_[0]) : 1.0,
                     height > 0.0 ? height / static_cast<double>(grid->cellCount_[1]) : 1.0};
  const long columns = grid->cellCount_[0];

  // Two passes (count, then fill) build the compressed lists without per-cell vectors.
  const std::size_t cellCount = static_cast<std::size_t>(columns * grid->cellCount_[1]);
  std::vector<std::size_t> start(cellCount + 1, 0);
  std::vector<CellRange> columnRanges(rects.size()), rowRanges(rects.size());
  std::vector<bool> filed(rects.size(), false);
  for (std::size_t k = 0; k < rects.size(); ++k) {
    const sgRect& r = rects[k];
    if (!valid[k]) continue;
    if (hasFiniteExtent(r)) {
      columnRanges[k] = grid->cellsOf(0, r.x(), r.x() + r.width());
      rowRanges[k] = grid->cellsOf(1, r.y(), r.y() + r.height());
      const long cells =
          (columnRanges[k].last - columnRanges[k].first + 1) * (rowRanges[k].last - rowRanges[k].first + 1);
      filed[k] = cells < kMaxCellsPerEdge;
    }
    if (!filed[k]) {
      grid->unfiled_.push_back(static_cast<int>(k));
      continue;
    }
    grid->magnitude_ = std::max(grid->magnitude_, magnitudeOf(r));
    for (long row = rowRanges[k].first; row <= rowRanges[k].last; ++row)
      for (long column = columnRanges[k].first; column <= columnRanges[k].last; ++column)
        ++start[static_cast<std::size_t>(row * columns + column) + 1];
  }
  for (std::size_t c = 0; c < cellCount; ++c) start[c + 1] += start[c];
  grid->cellEdges_.resize(start[cellCount]);
  std::vector<std::size_t> next(start.begin(), start.end() - 1);
  for (std::size_t k = 0; k < rects.size(); ++k) {
    if (!filed[k]) continue;
    for (long row = rowRanges[k].first; row <= rowRanges[k].last; ++row)
      for (long column = columnRanges[k].first; column <= columnRanges[k].last; ++column)
        grid->cellEdges_[next[static_cast<std::size_t>(row * columns + column)]++] = static_cast<int>(k);
  }
  grid->cellStart_ = std::move(start);
  return grid;
}

// Filtering before the edges of all cells are merged keeps the sort below small: many rectangles
// cover the visited cells without coming near the segment.
void EdgeGrid::appendCell(long column, long row, const std::function<bool(int)>& keep,
                          std::vector<int>& edges) const {
  const std::size_t cell = static_cast<std::size_t>(row * cellCount_[0] + column);
  for (std::size_t i = cellStart_[cell]; i < cellStart_[cell + 1]; ++i)
    if (keep(cellEdges_[i])) edges.push_back(cellEdges_[i]);
}

// Walks the segment along its major axis one cell slab at a time and collects, in each slab, the
// cells across the part of the segment over that slab, everything widened by the walk margin
// (see SegmentReach::walkMargin): a long segment then visits about as many cells as it crosses
// instead of every cell of its bounding box.
bool EdgeGrid::appendCandidates(const SegmentReach& reach, const std::function<bool(int)>& keep,
                                std::vector<int>& edges) const {
  const sgVector<2>& a = reach.first();
  const sgVector<2>& b = reach.second();
  const double margin = reach.walkMargin(magnitude_);
  if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) || !std::isfinite(b.y()) ||
      !std::isfinite(margin))
    return false;
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

  const std::size_t first = edges.size();
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
    for (long cell = across.first; cell <= across.last; ++cell) {
      if (major == 0)
        appendCell(slab, cell, keep, edges);
      else
        appendCell(cell, slab, keep, edges);
    }
  }
  for (const int k : unfiled_)
    if (keep(k)) edges.push_back(k);
  // An edge covering several of the visited cells was collected once per cell.
  std::sort(edges.begin() + static_cast<std::ptrdiff_t>(first), edges.end());
  edges.erase(std::unique(edges.begin() + static_cast<std::ptrdiff_t>(first), edges.end()), edges.end());
  return true;
}

}  // namespace sgcntr
