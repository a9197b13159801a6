#include "edgegrid.h"

#include <algorithm>
#include <cmath>

namespace sgcntr {

namespace {

/// Both corners finite and a non-negative size: the only rectangles a cell range can describe.
bool hasFiniteExtent(const sgRect& r) {
  return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.x() + r.width()) &&
         std::isfinite(r.y() + r.height()) && r.width() >= 0.0 && r.height() >= 0.0;
}

/// Cells along one axis: about one per edge over the whole grid, but none narrower than the
/// filing margin, so that an edge passes near a bounded number of cells per slab.
long cellCountAlong(double extent, long side, double margin) {
  if (!(extent > 0.0)) return 1;
  return std::clamp(static_cast<long>(extent / margin), 1L, side);
}

}  // namespace

std::shared_ptr<const EdgeGrid> EdgeGrid::build(const std::vector<sgLineSeg>& segs,
                                                const std::vector<sgRect>& rects,
                                                const std::vector<bool>& valid) {
  const std::size_t validCount = static_cast<std::size_t>(std::count(valid.begin(), valid.end(), true));
  if (validCount < kMinEdges) return nullptr;

  auto grid = std::make_shared<EdgeGrid>();
  std::vector<bool> finite(rects.size(), false);
  bool anyFinite = false;
  double minX = 0.0, minY = 0.0, maxX = 0.0, maxY = 0.0;
  for (std::size_t k = 0; k < rects.size(); ++k) {
    const sgRect& r = rects[k];
    if (!valid[k]) continue;
    finite[k] = hasFiniteExtent(r);
    if (!finite[k]) {
      grid->unfiled_.push_back(static_cast<int>(k));
      continue;
    }
    const double hiX = r.x() + r.width(), hiY = r.y() + r.height();
    minX = anyFinite ? std::min(minX, r.x()) : r.x();
    minY = anyFinite ? std::min(minY, r.y()) : r.y();
    maxX = anyFinite ? std::max(maxX, hiX) : hiX;
    maxY = anyFinite ? std::max(maxY, hiY) : hiY;
    grid->magnitude_ = std::max(grid->magnitude_, magnitudeOf(r));
    anyFinite = true;
  }
  const double width = maxX - minX, height = maxY - minY;
  if (!anyFinite || !std::isfinite(width) || !std::isfinite(height)) return nullptr;

  const double margin = SegmentReach::marginFor(grid->magnitude_);
  const long side = static_cast<long>(std::ceil(std::sqrt(static_cast<double>(validCount))));
  grid->origin_ = {minX, minY};
  grid->cellCount_ = {cellCountAlong(width, side, margin), cellCountAlong(height, side, margin)};
  grid->cellSize_ = {width > 0.0 ? width / static_cast<double>(grid->cellCount_[0]) : 1.0,
                     height > 0.0 ? height / static_cast<double>(grid->cellCount_[1]) : 1.0};
  // A segment passes near a few cells per slab; one reaching far more is degenerate (rounding
  // at extreme coordinates) and is returned to every query instead.
  const long maxCellsPerEdge = 8 * (std::max(grid->cellCount_[0], grid->cellCount_[1]) + 2);

  // The cells of every edge are listed once, in edge order, then spread into compressed lists
  // by a counting sort: no per-cell vectors, and no second walk.
  const std::size_t cellCount = static_cast<std::size_t>(grid->cellCount_[0] * grid->cellCount_[1]);
  std::vector<std::size_t> start(cellCount + 1, 0);
  std::vector<std::pair<std::size_t, int>> filings;
  filings.reserve(2 * validCount);
  for (std::size_t k = 0; k < rects.size(); ++k) {
    if (!finite[k]) continue;
    const std::size_t before = filings.size();
    grid->forEachCellOf(segs[k], rects[k], margin,
                        [&](std::size_t cell) { filings.emplace_back(cell, static_cast<int>(k)); });
    if (static_cast<long>(filings.size() - before) > maxCellsPerEdge) {
      filings.resize(before);
      grid->unfiled_.push_back(static_cast<int>(k));
    }
  }
  std::sort(grid->unfiled_.begin(), grid->unfiled_.end());
  for (const auto& filing : filings) ++start[filing.first + 1];
  for (std::size_t c = 0; c < cellCount; ++c) start[c + 1] += start[c];
  grid->cellEdges_.resize(start[cellCount]);
  std::vector<std::size_t> next(start.begin(), start.end() - 1);
  for (const auto& [cell, edge] : filings) grid->cellEdges_[next[cell]++] = edge;
  grid->cellStart_ = std::move(start);
  return grid;
}

}  // namespace sgcntr
