#pragma once
// A bounding-box hierarchy over a contour's edges for the queries about a point: nearest edge,
// nearest vertex, edges near the point, edges a ray from it crosses. The edges of an outline
// follow each other in space, so runs of consecutive edges already make tight boxes: the tree is
// packed in edge order, eight children to a node, and builds in one linear pass without sorting.
#include <cmath>
#include <cstddef>
#include <memory>
#include <vector>

#include "lynstd/shapes.h"

namespace sgcntr {

struct Box {
  double x0, y0, x1, y1;
};

class EdgeTree {
 public:
  /// Contours with fewer edges are scanned directly: the tree would not pay for itself.
  static constexpr std::size_t kMinEdges = 32;

  /// The tree over the edges of the vertex list in edge order (zero-length edges included); null
  /// when the edges are too few.
  static std::shared_ptr<const EdgeTree> build(const std::vector<sgVector<2>>& points, bool closed);

  /// Calls visit(k) for every edge k whose box is not refused by `refuse(box)`, and for every edge
  /// without a finite box. `refuse` is asked about node boxes too, each containing the boxes of
  /// the edges below it, so it must refuse a box only when it refuses every box inside it. Nodes
  /// are opened in order of `rank(box)`, lowest first, so that a search for a least value can
  /// tighten `refuse` early.
  template <class Refuse, class Rank, class Visit>
  void search(Refuse refuse, Rank rank, Visit visit) const;

  /// The largest absolute coordinate of a finite edge box.
  double magnitude() const { return magnitude_; }
  /// Whether some edge has a non-finite end.
  bool hasUnboxedEdges() const { return !unboxed_.empty(); }

 private:
  static constexpr std::size_t kFanOut = 8;

  template <class Refuse, class Rank, class Visit>
  void searchNode(std::size_t level, std::size_t node, Refuse& refuse, Rank& rank, Visit& visit) const;

  // levels_[0] holds the edge boxes; levels_[l + 1][i] encloses levels_[l][8 i .. 8 i + 7].
  // A non-finite edge has an empty box (x0 > x1) that every refusal test rejects, and is listed
  // in unboxed_ instead.
  std::vector<std::vector<Box>> levels_;
  std::vector<int> unboxed_;
  double magnitude_ = 0.0;
};

/// The smallest distance from `p` to a point of the box; 0 inside.
inline double distanceToBox(const Box& box, const sgVector<2>& p) {
  const double dx = std::fmax(std::fmax(box.x0 - p.x(), p.x() - box.x1), 0.0);
  const double dy = std::fmax(std::fmax(box.y0 - p.y(), p.y() - box.y1), 0.0);
  return std::hypot(dx, dy);
}

template <class Refuse, class Rank, class Visit>
void EdgeTree::search(Refuse refuse, Rank rank, Visit visit) const {
  for (const int k : unboxed_) visit(k);
  const std::size_t top = levels_.size() - 1;
  searchNode(top, 0, refuse, rank, visit);
}

template <class Refuse, class Rank, class Visit>
void EdgeTree::searchNode(std::size_t level, std::size_t node, Refuse& refuse, Rank& rank,
                          Visit& visit) const {
  const Box& box = levels_[level][node];
  if (!(box.x0 <= box.x1) || refuse(box)) return;
  if (level == 0) {
    visit(static_cast<int>(node));
    return;
  }
  const std::vector<Box>& below = levels_[level - 1];
  const std::size_t first = node * kFanOut, last = std::min(first + kFanOut, below.size());
  // The children by rank, by insertion into a short array.
  std::size_t order[kFanOut];
  double ranks[kFanOut];
  std::size_t count = 0;
  for (std::size_t child = first; child < last; ++child) {
    const double r = rank(below[child]);
    std::size_t at = count++;
    for (; at > 0 && ranks[at - 1] > r; --at) {
      ranks[at] = ranks[at - 1];
      order[at] = order[at - 1];
    }
    ranks[at] = r;
    order[at] = child;
  }
  for (std::size_t i = 0; i < count; ++i) searchNode(level - 1, order[i], refuse, rank, visit);
}

}  // namespace sgcntr
