// The proof has three parts, each a condition the sweep checks:
//  1. no two edges meet except at a shared end point, and edges sharing one meet only there
//     (the classic sweep of Shamos and Hoey, with the exact orientation predicate);
//  2. no two distinct end points lie within 1.5 clearances of each other (compared per axis);
//  3. at every end point P, the edges just above and below P among those spanning P's abscissa
//     and not ending at P lie more than 1.5 clearances away vertically; the same sweep over the
//     transposed coordinates checks the horizontal gaps.
// Why that suffices: two disjoint segments are closest at an end point P of one, with Q the
// nearest point of the other, B. If Q is an end point of B, part 2 covers it. Otherwise PQ is
// perpendicular to B. When B rises at most 45 degrees and spans P's abscissa, its vertical gap
// to P is at most sqrt(2)|PQ|, and part 3 finds it or a nearer edge between them; when it does
// not span P's abscissa, its end point nearer to P lies within sqrt(2)|PQ| of P (part 2).
// Steeper edges are the transposed case.
#include "edgesweep.h"

#include <algorithm>
#include <cmath>
#include <memory_resource>
#include <optional>
#include <set>
#include <tuple>
#include <utility>

#include "lynstd/orientation.h"
#include "pointorder.h"

namespace sgcntr {

namespace {

using V = sgVector<2>;
using EdgePair = std::pair<int, int>;

// Up to this magnitude the rounding of a gap or a distance stays below 1e-7, far under the 6%
// of the clearance that separates 1.5 clearances from sqrt(2) clearances.
constexpr double kMaxMagnitude = 1e8;
constexpr double kNear = 1.5 * kSweepClearance;

struct Edge {
  V left, right;
  int index;
};

class EdgeSweep {
 public:
  explicit EdgeSweep(std::vector<Edge> edges) : edges_(std::move(edges)) {}

  /// Two edges that meet other than at a shared end point, or whose gap at an end point is
  /// within kNear; nothing when there is none.
  std::optional<EdgePair> findSuspect();

 private:
  /// An end point being located among the active edges, with an edge it belongs to.
  struct Probe {
    V point;
    int owner;
  };
  /// Bottom-to-top order of the active edges. Two active edges that do not meet badly never
  /// change order while both are active; where the order is undefined (an end point on another
  /// edge, collinear edges) the sweep records a suspect and stops after the current operation.
  /// The tree holds copies of the edges, so that a comparison reads only the nodes on its path.
  struct Below {
    using is_transparent = void;
    EdgeSweep* sweep;
    bool operator()(const Edge& a, const Edge& b) const { return sweep->isBelow(a, b); }
    bool operator()(const Edge& a, const Probe& p) const { return sweep->sideOf(a, p) > 0; }
    bool operator()(const Probe& p, const Edge& a) const { return sweep->sideOf(a, p) < 0; }
  };
  using Active = std::pmr::set<Edge, Below>;

  bool isBelow(const Edge& a, const Edge& b);
  /// Orientation of the probe point against the edge: positive above it.
  int sideOf(const Edge& e, const Probe& p);
  static bool meetBadly(const Edge& a, const Edge& b);
  static bool nearVertically(const Edge& e, const V& p);
  bool suspect(int first, int second) {
    suspect_ = EdgePair(first, second);
    return true;
  }

  std::vector<Edge> edges_;
  std::optional<EdgePair> suspect_;
};

bool EdgeSweep::isBelow(const Edge& a, const Edge& b) {
  if (a.index == b.index) return false;
  // Compare at the later start, where both are active: its start against the other edge.
  int side;
  if (a.left == b.left)
    side = sfOrientation(a.left, a.right, b.right);
  else if (lexLess(a.left, b.left))
    side = sfOrientation(a.left, a.right, b.left);
  else
    side = -sfOrientation(b.left, b.right, a.left);
  if (side == 0) {
    suspect(a.index, b.index);
    return a.index < b.index;  // any consistent answer: the sweep stops after this operation
  }
  return side > 0;
}

int EdgeSweep::sideOf(const Edge& e, const Probe& p) {
  const int side = sfOrientation(e.left, e.right, p.point);
  if (side == 0) suspect(e.index, p.owner);
  return side;
}

bool EdgeSweep::meetBadly(const Edge& a, const Edge& b) {
  const int o1 = sfOrientation(a.left, a.right, b.left), o2 = sfOrientation(a.left, a.right, b.right);
  if (o1 * o2 > 0) return false;
  const int o3 = sfOrientation(b.left, b.right, a.left), o4 = sfOrientation(b.left, b.right, a.right);
  if (o3 * o4 > 0) return false;
  // They meet. Two edges on different lines that share an end point meet only there; collinear
  // ones sharing one meet only there when they leave it to opposite sides.
  const V* shared = a.left == b.left || a.left == b.right     ? &a.left
                    : a.right == b.left || a.right == b.right ? &a.right
                                                              : nullptr;
  if (!shared) return true;
  if (o1 != 0 || o2 != 0) return false;
  const V& restA = shared == &a.left ? a.right : a.left;
  const V& restB = *shared == b.left ? b.right : b.left;
  return lexLess(restA, *shared) == lexLess(restB, *shared);
}

bool EdgeSweep::nearVertically(const Edge& e, const V& p) {
  const double dx = e.right.x() - e.left.x();
  if (!(dx > 0.0)) return true;  // an active vertical edge would pass through p
  const double y = e.left.y() + (p.x() - e.left.x()) * ((e.right.y() - e.left.y()) / dx);
  return std::fabs(y - p.y()) <= kNear;
}

std::optional<EdgePair> EdgeSweep::findSuspect() {
  struct Event {
    V point;
    int edge;
    bool start;
  };
  std::vector<Event> events;
  events.reserve(2 * edges_.size());
  for (std::size_t k = 0; k < edges_.size(); ++k) {
    events.push_back({edges_[k].left, static_cast<int>(k), true});
    events.push_back({edges_[k].right, static_cast<int>(k), false});
  }
  // At one point, edges ending there leave before edges starting there arrive.
  std::sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
    const double ax = a.point.x(), bx = b.point.x(), ay = a.point.y(), by = b.point.y();
    return ax < bx || (ax == bx && (ay < by || (ay == by && !a.start && b.start)));
  });

  // Nodes come from one arena released with the sweep: no allocation per insertion.
  std::pmr::monotonic_buffer_resource arena;
  Active active(Below{this}, &arena);
  std::vector<Active::iterator> position(edges_.size(), active.end());
  const auto checkPair = [&](Active::iterator lower, Active::iterator upper) {
    return lower != active.end() && upper != active.end() && meetBadly(*lower, *upper) &&
           suspect(lower->index, upper->index);
  };
  for (std::size_t i = 0; i < events.size();) {
    const V point = events[i].point;
    std::size_t groupEnd = i;
    while (groupEnd < events.size() && events[groupEnd].point == point) ++groupEnd;

    for (; i < groupEnd && !events[i].start; ++i) {
      const Active::iterator it = position[static_cast<std::size_t>(events[i].edge)];
      const Active::iterator upper = std::next(it);
      const Active::iterator lower = it == active.begin() ? active.end() : std::prev(it);
      active.erase(it);
      if (checkPair(lower, upper)) return suspect_;
    }

    const Probe probe{point, edges_[static_cast<std::size_t>(events[i == groupEnd ? i - 1 : i].edge)].index};
    const auto nearProbe = [&](Active::iterator it) {
      return it != active.end() && nearVertically(*it, point) && suspect(it->index, probe.owner);
    };
    const Active::iterator above = active.lower_bound(probe);
    if (suspect_ || nearProbe(above) || (above != active.begin() && nearProbe(std::prev(above))))
      return suspect_;

    for (; i < groupEnd; ++i) {
      const Active::iterator it = active.insert(edges_[static_cast<std::size_t>(events[i].edge)]).first;
      if (suspect_) return suspect_;
      position[static_cast<std::size_t>(events[i].edge)] = it;
      const Active::iterator lower = it == active.begin() ? active.end() : std::prev(it);
      if (checkPair(lower, it) || checkPair(it, std::next(it))) return suspect_;
    }
  }
  return std::nullopt;
}

/// Two distinct end points within kNear of each other along both axes, if any. Points are
/// binned in cells of that size, so two distinct points in one cell are already near; once that
/// is ruled out every cell holds one point, and each looks at the few neighbouring cells that
/// sort after it (every pair of cells is then seen once).
std::optional<EdgePair> findNearEndPoints(const std::vector<Edge>& edges) {
  struct Binned {
    long column, row;
    V point;
    int edge;
  };
  std::vector<Binned> binned;
  binned.reserve(2 * edges.size());
  for (const Edge& e : edges) {
    for (const V& p : {e.left, e.right}) {
      const auto cell = [](double v) { return static_cast<long>(std::floor(v / kNear)); };
      binned.push_back({cell(p.x()), cell(p.y()), p, e.index});
    }
  }
  const auto cellLess = [](const Binned& a, const Binned& b) {
    return std::tie(a.column, a.row) < std::tie(b.column, b.row);
  };
  std::sort(binned.begin(), binned.end(), [&](const Binned& a, const Binned& b) {
    return cellLess(a, b) || (!cellLess(b, a) && lexLess(a.point, b.point));
  });
  binned.erase(std::unique(binned.begin(), binned.end(),
                           [](const Binned& a, const Binned& b) { return a.point == b.point; }),
               binned.end());
  const auto near = [](const Binned& a, const Binned& b) {
    return std::fabs(a.point.x() - b.point.x()) <= kNear && std::fabs(a.point.y() - b.point.y()) <= kNear;
  };
  for (std::size_t i = 0; i < binned.size(); ++i) {
    const Binned& b = binned[i];
    // The next entry is in the same cell, or the first of a later cell of this column or the next.
    if (i + 1 < binned.size() && near(b, binned[i + 1])) return EdgePair(b.edge, binned[i + 1].edge);
    const Binned key{b.column + 1, b.row - 1, V(), 0};
    for (auto it =
             std::lower_bound(binned.begin() + static_cast<std::ptrdiff_t>(i), binned.end(), key, cellLess);
         it != binned.end() && it->column == key.column && it->row <= b.row + 1; ++it) {
      if (near(b, *it)) return EdgePair(b.edge, it->edge);
    }
  }
  return std::nullopt;
}

bool withinRange(const V& p) {
  return std::fabs(p.x()) <= kMaxMagnitude && std::fabs(p.y()) <= kMaxMagnitude;
}

/// The valid edges with their end points in sweep order, coordinates swapped when `transposed`.
std::vector<Edge> sweepEdgesOf(const std::vector<sgLineSeg>& segs, const std::vector<bool>& valid,
                               bool transposed) {
  std::vector<Edge> edges;
  for (std::size_t k = 0; k < segs.size(); ++k) {
    if (!valid[k]) continue;
    V a = segs[k].p1(), b = segs[k].p2();
    if (transposed) a = V(a.y(), a.x()), b = V(b.y(), b.x());
    if (lexLess(b, a)) std::swap(a, b);
    edges.push_back({a, b, static_cast<int>(k)});
  }
  return edges;
}

}  // namespace

SweepVerdict sweepEdges(const std::vector<sgLineSeg>& segs, const std::vector<bool>& valid) {
  for (std::size_t k = 0; k < segs.size(); ++k) {
    // NaN fails the comparison too.
    if (valid[k] && !(withinRange(segs[k].p1()) && withinRange(segs[k].p2())))
      return {SweepVerdict::Undecided};
  }
  const auto suspectOf = [](const EdgePair& pair) {
    return SweepVerdict{SweepVerdict::Suspect, pair.first, pair.second};
  };
  // The sweep in plain coordinates first: a crossing, the likeliest reason for doubt, ends it.
  std::vector<Edge> edges = sweepEdgesOf(segs, valid, false);
  if (const auto pair = EdgeSweep(edges).findSuspect()) return suspectOf(*pair);
  if (const auto pair = EdgeSweep(sweepEdgesOf(segs, valid, true)).findSuspect()) return suspectOf(*pair);
  if (const auto pair = findNearEndPoints(edges)) return suspectOf(*pair);
  return {SweepVerdict::Clear};
}

}  // namespace sgcntr
