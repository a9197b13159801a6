// sgContour's measuring queries: length, mean position, median edge length, nearest vertex and
// point, and the grid lookup of vertices near a point.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "cntr/contour.h"
#include "edgewalk.h"
#include "nanorder.h"

namespace {

// Grid cell coordinate of v (a coordinate divided by the tolerance): rounded half away from
// zero, then clamped to the 32-bit signed range. Clamping keeps cells of points closer than one
// cell width at most one apart, so the 3 x 3 lookup stays complete even for huge coordinates or
// a tiny tolerance; they only crowd into the edge cells. NaN goes to cell 0: a NaN distance never
// passes the strict tolerance test, so where it is filed does not matter.
long gridCell(double v) {
  if (std::isnan(v)) return 0;
  const double rounded = v >= 0.0 ? std::trunc(v + 0.5) : std::trunc(v - 0.5);
  constexpr double kLowest = std::numeric_limits<std::int32_t>::min();
  constexpr double kHighest = std::numeric_limits<std::int32_t>::max();
  if (rounded <= kLowest) return std::numeric_limits<std::int32_t>::min();
  if (rounded >= kHighest) return std::numeric_limits<std::int32_t>::max();
  return static_cast<long>(rounded);
}

sgPair<long> gridKey(const sgVector<2>& p, double tolerance) {
  return sgPair<long>(gridCell(p.x() / tolerance), gridCell(p.y() / tolerance));
}

// The point of the closed segment a-b nearest to p. A zero-length edge is its common vertex.
sgVector<2> nearestOnEdge(const sgVector<2>& a, const sgVector<2>& b, const sgVector<2>& p,
                          const sgLineSeg& segment) {
  const double dx = b.x() - a.x();
  const double dy = b.y() - a.y();
  const double squaredLength = dx * dx + dy * dy;
  if (squaredLength == 0.0) return a;
  const double t = ((p.x() - a.x()) * dx + (p.y() - a.y()) * dy) / squaredLength;
  if (t <= 0.0) return a;
  if (t >= 1.0) return b;
  return segment.line().proj(p).position();
}

}  // namespace

double sgContour::length() const {
  if (points_.empty()) return 0.0;
  if (lengthValid_) return lengthCache_;
  lengthCache_ = 0.0;
  sgcntr::forEachEdge(points_, isClosed(),
                      [this](const sgVector<2>& a, const sgVector<2>& b) { lengthCache_ += a.distance(b); });
  lengthValid_ = true;
  return lengthCache_;
}

sgVector<2> sgContour::meanPosition() const {
  checkEmptyContour();
  if (meanPositionValid_) return meanPositionCache_;
  double total = 0.0, sumX = 0.0, sumY = 0.0;
  sgcntr::forEachEdge(points_, isClosed(), [&](const sgVector<2>& a, const sgVector<2>& b) {
    const double d = a.distance(b);
    total += d;
    sumX += (a.x() + b.x()) * 0.5 * d;
    sumY += (a.y() + b.y()) * 0.5 * d;
  });
  // All vertices coinciding give 0 / 0: NaN coordinates, by design no error.
  const double inverse = 1.0 / total;
  meanPositionCache_ = sgVector<2>(sumX * inverse, sumY * inverse);
  meanPositionValid_ = true;
  return meanPositionCache_;
}

double sgContour::medianFeatureSize() const {
  checkEmptyContour();
  if (medianFeatureSizeValid_) return medianFeatureSizeCache_;
  std::vector<double> lengths;
  lengths.reserve(points_.size());
  sgcntr::forEachEdge(points_, isClosed(), [&lengths](const sgVector<2>& a, const sgVector<2>& b) {
    lengths.push_back(a.distance(b));
  });
  // Edges with non-finite vertices have NaN lengths; they sort last.
  std::sort(lengths.begin(), lengths.end(), sgcntr::lessNaNLast);
  medianFeatureSizeCache_ = lengths[lengths.size() / 2];
  medianFeatureSizeValid_ = true;
  return medianFeatureSizeCache_;
}

long sgContour::closestVertexIndex(const sgVector<2>& point) const {
  checkEmptyContour();
  double best = std::numeric_limits<double>::infinity();
  long index = 0;
  for (std::size_t i = 0; i < points_.size(); ++i) {
    const double d = point.distance(points_[i]);
    if (d < best) {
      best = d;
      index = static_cast<long>(i);
    }
  }
  return index;
}

sgVector<2> sgContour::closestPoint(const sgVector<2>& point, bool vertexOnly) const {
  checkEmptyContour();
  if (vertexOnly) return points_[static_cast<std::size_t>(closestVertexIndex(point))];
  sgVector<2> result(0.0, 0.0);
  double best = std::numeric_limits<double>::infinity();
  sgcntr::forEachEdge(points_, isClosed(), [&](const sgVector<2>& a, const sgVector<2>& b) {
    const sgLineSeg segment(a, b);
    const double d = segment.distToPoint(point);
    if (d < best) {
      best = d;
      result = nearestOnEdge(a, b, point, segment);
    }
  });
  return result;
}

double sgContour::distToPoint(const sgVector<2>& point, bool vertexOnly) const {
  return closestPoint(point, vertexOnly).distance(point);
}

std::vector<int> sgContour::vertexIndex(const sgVector<2>& point, double tolerance) const {
  checkEmptyContour();
  if (!vertexGridCache_) vertexGridCache_ = std::make_unique<VertexGrids>();
  // Exact match: a NaN tolerance never finds its grid and builds a new one each time.
  auto found = std::find_if(vertexGridCache_->begin(), vertexGridCache_->end(),
                            [tolerance](const auto& entry) { return entry.first == tolerance; });
  if (found == vertexGridCache_->end()) {
    vertexGridCache_->emplace_back(tolerance, VertexGrid());
    VertexGrid& built = vertexGridCache_->back().second;
    for (std::size_t i = 0; i < points_.size(); ++i)
      built[gridKey(points_[i], tolerance)].push_back(static_cast<int>(i));
    found = std::prev(vertexGridCache_->end());
  }
  const VertexGrid& grid = found->second;

  // A vertex closer than the tolerance differs by less than one cell width in each coordinate,
  // so it lies in the 3 x 3 cells around the point's cell.
  const sgPair<long> center = gridKey(point, tolerance);
  std::vector<int> result;
  for (long column = center.first - 1; column <= center.first + 1; ++column) {
    for (long row = center.second - 1; row <= center.second + 1; ++row) {
      const auto cell = grid.find(sgPair<long>(column, row));
      if (cell == grid.end()) continue;
      for (int j : cell->second)
        if (points_[static_cast<std::size_t>(j)].distance(point) < tolerance) result.push_back(j);
    }
  }
  return result;
}
