// sgContour's measuring queries: length, mean position, median edge length, nearest vertex and
// point, and the grid lookup of vertices near a point.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "cntr/contour.h"
#include "edgetree.h"
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

bool isFinite(const sgVector<2>& v) { return std::isfinite(v.x()) && std::isfinite(v.y()); }

/// Widening of the tree's box distances: a computed distance is off by a few units in the last
/// place of the coordinates involved, so a box farther than the best distance by this much holds
/// nothing that could equal it.
double roundingSlack(const sgcntr::EdgeTree& tree, const sgVector<2>& p) {
  return 1e-12 * std::max({tree.magnitude(), std::fabs(p.x()), std::fabs(p.y())});
}

/// The least (distance, index) over the candidates offered: the order of a scan in index order
/// that keeps the first strictly smaller distance. Infinite and NaN distances never win.
struct Nearest {
  double distance = std::numeric_limits<double>::infinity();
  long index = -1;

  void offer(long i, double d) {
    if (d < distance || (d == distance && i < index)) {
      distance = d;
      index = i;
    }
  }
};

/// Offers every edge (or vertex, through `offerEdge`) the tree cannot rule out, nearest boxes
/// first.
template <class OfferEdge>
void searchNearest(const sgcntr::EdgeTree& tree, const sgVector<2>& p, const Nearest& best,
                   OfferEdge offerEdge) {
  const double slack = roundingSlack(tree, p);
  tree.search([&](const sgcntr::Box& box) { return sgcntr::distanceToBox(box, p) > best.distance + slack; },
              [&](const sgcntr::Box& box) { return sgcntr::distanceToBox(box, p); }, offerEdge);
}

}  // namespace

std::pair<std::size_t, std::size_t> sgContour::edgeEnds(int k) const {
  const auto edge = static_cast<std::size_t>(k);
  if (!isClosed()) return {edge, edge + 1};
  return {edge == 0 ? points_.size() - 1 : edge - 1, edge};
}

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
  const sgcntr::EdgeTree* tree = isFinite(point) ? edgeIndex() : nullptr;
  if (!tree) {
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
  // Every vertex ends an edge, so the edges' boxes hold every vertex.
  Nearest best;
  searchNearest(*tree, point, best, [&](int k) {
    const auto [previous, current] = edgeEnds(k);
    best.offer(static_cast<long>(previous), point.distance(points_[previous]));
    best.offer(static_cast<long>(current), point.distance(points_[current]));
  });
  return best.index < 0 ? 0 : best.index;
}

sgVector<2> sgContour::closestPoint(const sgVector<2>& point, bool vertexOnly) const {
  checkEmptyContour();
  if (vertexOnly) return points_[static_cast<std::size_t>(closestVertexIndex(point))];
  const sgcntr::EdgeTree* tree = isFinite(point) ? edgeIndex() : nullptr;
  if (!tree) {
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
  Nearest best;
  searchNearest(*tree, point, best, [&](int k) {
    const auto [previous, current] = edgeEnds(k);
    best.offer(k, sgLineSeg(points_[previous], points_[current]).distToPoint(point));
  });
  if (best.index < 0) return sgVector<2>(0.0, 0.0);
  const auto [previous, current] = edgeEnds(static_cast<int>(best.index));
  const sgVector<2>&a = points_[previous], &b = points_[current];
  return nearestOnEdge(a, b, point, sgLineSeg(a, b));
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
