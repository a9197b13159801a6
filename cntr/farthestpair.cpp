// Branch and bound over pairs of boxes of a k-d tree. A cheap lower bound (the farthest point
// from the farthest point, a few times over) first discards every point that, by the triangle
// inequality about the centre of the bounding box, cannot reach it; the tree is built over the
// rest, and a pair of boxes is opened only when the largest distance between them can reach the
// best distance found so far. Pairs whose computed distance ties the best are all visited, so
// the order of the plain scan decides between them.
//
// The bounds are widened by a relative 1e-12: every distance here is a hypot of rounded
// differences, off by a few units in the last place, so no pair the scan could choose is ever
// left out. Input the bounds cannot vouch for (infinite or huge coordinates, where differences
// overflow, or an extent so small that they underflow) goes to the plain scan.
#include "farthestpair.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace sgcntr {

namespace {

constexpr double kWiden = 1.0 + 1e-12;
// Beyond this magnitude a difference of two coordinates may overflow.
constexpr double kLargestMagnitude = 1e300;
// Below this extent the squares inside hypot's error analysis may underflow.
constexpr double kSmallestExtent = 1e-140;
constexpr std::size_t kLeafSize = 8;
// Rounds of "the farthest point from the last one" that give the first lower bound.
constexpr int kBoundRounds = 3;

using Points = std::vector<sgVector<2>>;

/// Keeps the best pair under the scan's order: a larger distance, or the same distance at a
/// lexicographically smaller (first, second).
struct Best {
  FarthestPair pair{0, 0, 0.0};
  bool found = false;

  void offer(std::size_t i, std::size_t j, double d) {
    if (i > j) std::swap(i, j);
    if (!(d >= pair.distance) || d == 0.0) return;
    if (found && d == pair.distance && std::pair(i, j) >= std::pair(pair.first, pair.second)) return;
    pair = {i, j, d};
    found = true;
  }
};

std::optional<FarthestPair> scanEveryPair(const Points& points) {
  Best best;
  for (std::size_t i = 0; i < points.size(); ++i)
    for (std::size_t j = i + 1; j < points.size(); ++j) best.offer(i, j, points[i].distance(points[j]));
  if (!best.found) return std::nullopt;
  return best.pair;
}

struct Box {
  double x0, y0, x1, y1;
};

Box boxOf(const Points& points, const std::size_t* first, const std::size_t* last) {
  Box box{points[*first].x(), points[*first].y(), points[*first].x(), points[*first].y()};
  for (const std::size_t* i = first; i != last; ++i) {
    const sgVector<2>& p = points[*i];
    box = {std::min(box.x0, p.x()), std::min(box.y0, p.y()), std::max(box.x1, p.x()),
           std::max(box.y1, p.y())};
  }
  return box;
}

/// The largest distance between a point of one box and a point of the other, widened.
double farthestBetween(const Box& a, const Box& b) {
  const double dx = std::max(a.x1 - b.x0, b.x1 - a.x0), dy = std::max(a.y1 - b.y0, b.y1 - a.y0);
  return std::hypot(dx, dy) * kWiden;
}

class PairSearch {
 public:
  PairSearch(const Points& points, std::vector<std::size_t> order)
      : points_(points), order_(std::move(order)) {
    nodes_.reserve(2 * (order_.size() / kLeafSize + 1));
    build(0, order_.size());
  }

  void run(Best& best) { visit(0, 0, best); }

 private:
  struct Node {
    Box box;
    std::size_t first, last;          // the range of order_
    std::size_t left = 0, right = 0;  // children; 0 for a leaf (the root is never a child)
  };

  std::size_t build(std::size_t first, std::size_t last) {
    const std::size_t id = nodes_.size();
    nodes_.push_back({boxOf(points_, order_.data() + first, order_.data() + last), first, last});
    if (last - first <= kLeafSize) return id;
    const Box box = nodes_[id].box;
    const bool alongX = box.x1 - box.x0 >= box.y1 - box.y0;
    const std::size_t middle = first + (last - first) / 2;
    std::nth_element(order_.begin() + static_cast<std::ptrdiff_t>(first),
                     order_.begin() + static_cast<std::ptrdiff_t>(middle),
                     order_.begin() + static_cast<std::ptrdiff_t>(last), [&](std::size_t a, std::size_t b) {
                       return alongX ? points_[a].x() < points_[b].x() : points_[a].y() < points_[b].y();
                     });
    const std::size_t left = build(first, middle);
    const std::size_t right = build(middle, last);
    nodes_[id].left = left;
    nodes_[id].right = right;
    return id;
  }

  bool isLeaf(std::size_t id) const { return nodes_[id].left == 0; }

  void visit(std::size_t a, std::size_t b, Best& best) {
    if (farthestBetween(nodes_[a].box, nodes_[b].box) < best.pair.distance) return;
    if (isLeaf(a) && isLeaf(b)) {
      compareLeaves(a, b, best);
      return;
    }
    if (a == b) {
      const std::size_t l = nodes_[a].left, r = nodes_[a].right;
      visit(l, r, best);
      visit(l, l, best);
      visit(r, r, best);
      return;
    }
    // Open the larger box (or the one that can be opened); the more promising child pair first.
    const auto spanOf = [&](std::size_t id) {
      const Box& box = nodes_[id].box;
      return std::max(box.x1 - box.x0, box.y1 - box.y0);
    };
    if (isLeaf(a) || (!isLeaf(b) && spanOf(b) > spanOf(a))) std::swap(a, b);
    std::size_t first = nodes_[a].left, second = nodes_[a].right;
    if (farthestBetween(nodes_[second].box, nodes_[b].box) >
        farthestBetween(nodes_[first].box, nodes_[b].box))
      std::swap(first, second);
    visit(first, b, best);
    visit(second, b, best);
  }

  void compareLeaves(std::size_t a, std::size_t b, Best& best) const {
    const Node &na = nodes_[a], &nb = nodes_[b];
    for (std::size_t s = na.first; s < na.last; ++s) {
      const std::size_t i = order_[s];
      for (std::size_t t = (a == b ? s + 1 : nb.first); t < nb.last; ++t) {
        const std::size_t j = order_[t];
        best.offer(i, j, points_[i].distance(points_[j]));
      }
    }
  }

  const Points& points_;
  std::vector<std::size_t> order_;
  std::vector<Node> nodes_;
};

double squaredDistance(const sgVector<2>& a, const sgVector<2>& b) {
  const double dx = a.x() - b.x(), dy = a.y() - b.y();
  return dx * dx + dy * dy;
}

/// The farthest point from `from` (by squared distance, NaN points never chosen), offered to
/// `best` as a pair.
std::size_t farthestFrom(const Points& points, std::size_t from, Best& best) {
  std::size_t farthest = from;
  double largest = 0.0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const double d = squaredDistance(points[from], points[i]);
    if (d > largest) {
      largest = d;
      farthest = i;
    }
  }
  best.offer(from, farthest, points[from].distance(points[farthest]));
  return farthest;
}

}  // namespace

std::optional<FarthestPair> firstFarthestPair(const Points& points) {
  // A point with a NaN coordinate is at a NaN distance from every other and never chosen; the
  // passes below leave it out by comparisons that NaN fails.
  std::size_t first = points.size();
  double x0 = 0.0, y0 = 0.0, x1 = 0.0, y1 = 0.0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const sgVector<2>& p = points[i];
    if (std::isnan(p.x()) || std::isnan(p.y())) continue;
    if (!(std::fabs(p.x()) <= kLargestMagnitude && std::fabs(p.y()) <= kLargestMagnitude))
      return scanEveryPair(points);
    if (first == points.size()) {
      first = i;
      x0 = x1 = p.x();
      y0 = y1 = p.y();
    }
    x0 = std::min(x0, p.x());
    y0 = std::min(y0, p.y());
    x1 = std::max(x1, p.x());
    y1 = std::max(y1, p.y());
  }
  if (first == points.size()) return std::nullopt;

  Best best;
  std::size_t from = first;
  for (int round = 0; round < kBoundRounds; ++round) from = farthestFrom(points, from, best);
  if (!best.found) return std::nullopt;  // every usable point coincides with the first
  if (best.pair.distance < kSmallestExtent) return scanEveryPair(points);

  const sgVector<2> centre((x0 + x1) * 0.5, (y0 + y1) * 0.5);
  double largest = 0.0;
  for (const sgVector<2>& p : points) largest = std::fmax(largest, squaredDistance(centre, p));
  const double radius = std::sqrt(largest) * kWiden;
  // |p - q| <= |p - c| + |q - c| <= |p - c| + radius: a point nearer the centre than the best
  // distance less the radius (both widened) cannot be in a farthest pair.
  const double near = best.pair.distance / kWiden - radius;
  const double nearSquared = near > 0.0 ? near * near / (kWiden * kWiden) : -1.0;
  std::vector<std::size_t> reaching;
  for (std::size_t i = 0; i < points.size(); ++i)
    if (squaredDistance(centre, points[i]) >= nearSquared) reaching.push_back(i);
  PairSearch(points, std::move(reaching)).run(best);
  return best.pair;
}

}  // namespace sgcntr
