#include "outertrace.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <map>
#include <unordered_set>

#include "cntr/contourdefs.h"
#include "lynstd/orientation.h"
#include "pointorder.h"
#include "turnorder.h"

namespace sgcntr {

namespace {

constexpr double kTol = kJunctionTolerance;

/// A point where another edge meets an edge.
struct Meeting {
  double t;  // along the edge: 0 at its start, 1 at its end
  sgVector<2> at;
  int edge;     // the other edge
  bool vertex;  // an input vertex rather than a computed crossing
};

/// The meetings of one edge that lie within the tolerance of each other: one point of the walk.
struct Junction {
  double t;
  // Where the walk passes: an input vertex when one is there, since vertices are exact and a
  // crossing is rounded; among several, the lowest, so every edge through the point picks the same.
  sgVector<2> at;
  bool atVertex;
  std::vector<int> edges;  // the other edges meeting here, possibly repeated
};

double cross(const sgVector<2>& u, const sgVector<2>& v) { return u.x() * v.y() - u.y() * v.x(); }

/// Whether the segments cross at a point interior to both, decided exactly.
bool properlyCross(const sgVector<2>& a, const sgVector<2>& b, const sgVector<2>& c, const sgVector<2>& d) {
  return sfOrientation(a, b, c) * sfOrientation(a, b, d) < 0 &&
         sfOrientation(c, d, a) * sfOrientation(c, d, b) < 0;
}

/// Where the walk stands: at a junction of an edge, about to leave along it (sense +1 toward the
/// edge's end, -1 toward its start).
struct State {
  int edge;
  long junction;
  int sense;
  bool operator==(const State& o) const {
    return edge == o.edge && junction == o.junction && sense == o.sense;
  }
  std::uint64_t key() const {
    return (static_cast<std::uint64_t>(edge) << 33) | (static_cast<std::uint64_t>(junction) << 1) |
           (sense > 0 ? 1u : 0u);
  }
};

/// The outline cut at its junctions, computed edge by edge as the walk reaches them: the outer
/// boundary usually touches a small part of a large outline.
class Arrangement {
 public:
  Arrangement(const std::vector<sgLineSeg>& edges, const EdgeCandidates& candidates)
      : edges_(edges), candidates_(candidates), junctions_(edges.size()), built_(edges.size(), false) {}

  const std::vector<Junction>& junctionsOf(int edge);

  sgVector<2> direction(int edge) const {
    const sgLineSeg& s = edges_[static_cast<std::size_t>(edge)];
    return s.p2() - s.p1();
  }

  /// The way out of junction `junction` of `edge`, arriving with the way back `back`: the first
  /// outgoing direction turning counter-clockwise from it, so that the outside stays on the
  /// right. Going back the way the walk came (or along an edge overlapping it) is the last
  /// choice: only the tip of a spike leaves nothing else.
  State leave(int edge, long junction, const sgVector<2>& back);

 private:
  void appendMeetings(int m, int e, std::vector<Meeting>& out) const;
  sgVector<2> crossingOf(int i, int j) const;
  /// The junction of `edge` nearest to `p`.
  long junctionNear(int edge, const sgVector<2>& p);

  const std::vector<sgLineSeg>& edges_;
  const EdgeCandidates& candidates_;
  std::vector<std::vector<Junction>> junctions_;
  std::vector<bool> built_;
  std::vector<int> scratch_;
};

// Computed from the lower-numbered edge, so both edges see the same rounded point.
sgVector<2> Arrangement::crossingOf(int i, int j) const {
  const sgLineSeg& p = edges_[static_cast<std::size_t>(std::min(i, j))];
  const sgLineSeg& q = edges_[static_cast<std::size_t>(std::max(i, j))];
  const sgVector<2> r = p.p2() - p.p1(), s = q.p2() - q.p1();
  const double t = std::clamp(cross(q.p1() - p.p1(), s) / cross(r, s), 0.0, 1.0);
  return p.p1() + r * t;
}

void Arrangement::appendMeetings(int m, int e, std::vector<Meeting>& out) const {
  const sgLineSeg& sm = edges_[static_cast<std::size_t>(m)];
  const sgLineSeg& se = edges_[static_cast<std::size_t>(e)];
  const sgVector<2> a = sm.p1(), b = sm.p2(), c = se.p1(), d = se.p2();
  const sgVector<2> along = b - a;
  const double length2 = along * along;
  const std::size_t first = out.size();
  const auto add = [&](const sgVector<2>& x, bool vertex) {
    for (std::size_t i = first; i < out.size(); ++i)
      if (out[i].at.distance(x) <= kTol) return;
    out.push_back({std::clamp(((x - a) * along) / length2, 0.0, 1.0), x, e, vertex});
  };
  // Vertices first: a vertex within the tolerance of the other edge is where they meet, exactly.
  // That covers touching and overlapping edges, whose lines give no single crossing.
  if (sm.distToPoint(c) <= kTol) add(c, true);
  if (sm.distToPoint(d) <= kTol) add(d, true);
  if (se.distToPoint(a) <= kTol) add(a, true);
  if (se.distToPoint(b) <= kTol) add(b, true);
  if (properlyCross(a, b, c, d)) add(crossingOf(m, e), false);
}

const std::vector<Junction>& Arrangement::junctionsOf(int edge) {
  const auto m = static_cast<std::size_t>(edge);
  if (built_[m]) return junctions_[m];
  const sgLineSeg& s = edges_[m];
  scratch_.clear();
  candidates_(s, scratch_);
  std::vector<Meeting> meetings;
  for (const int e : scratch_)
    if (e != edge) appendMeetings(edge, e, meetings);
  std::sort(meetings.begin(), meetings.end(), [](const Meeting& x, const Meeting& y) { return x.t < y.t; });

  // Meetings within the tolerance of an end point join that end's junction; the others form
  // junctions of points within the tolerance of their neighbour along the edge. The edge is
  // longer than the tolerance, so its two ends stay apart.
  Junction start{0.0, s.p1(), true, {}}, end{1.0, s.p2(), true, {}};
  std::vector<Junction> inner;
  const Meeting* previous = nullptr;
  for (const Meeting& x : meetings) {
    if (x.at.distance(s.p1()) <= kTol) {
      start.edges.push_back(x.edge);
      continue;
    }
    if (x.at.distance(s.p2()) <= kTol) {
      end.edges.push_back(x.edge);
      continue;
    }
    if (previous && !inner.empty() && previous->at.distance(x.at) <= kTol) {
      Junction& j = inner.back();
      j.edges.push_back(x.edge);
      if ((x.vertex && !j.atVertex) || (x.vertex == j.atVertex && lexLess(x.at, j.at))) {
        j.at = x.at;
        j.atVertex = x.vertex;
      }
    } else {
      inner.push_back({x.t, x.at, x.vertex, {x.edge}});
    }
    previous = &x;
  }
  std::vector<Junction>& list = junctions_[m];
  list.reserve(inner.size() + 2);
  list.push_back(std::move(start));
  for (Junction& j : inner) list.push_back(std::move(j));
  list.push_back(std::move(end));
  built_[m] = true;
  return list;
}

long Arrangement::junctionNear(int edge, const sgVector<2>& p) {
  const std::vector<Junction>& list = junctionsOf(edge);
  const sgLineSeg& s = edges_[static_cast<std::size_t>(edge)];
  const sgVector<2> along = s.p2() - s.p1();
  const double length = along.len();
  const double t = ((p - s.p1()) * along) / (length * length);
  // Junctions are ordered along the edge; the nearest lies by the point's own position, give or
  // take the tolerance.
  const auto from = std::lower_bound(list.begin(), list.end(), t,
                                     [](const Junction& j, double value) { return j.t < value; });
  const double reach = 4.0 * kTol / length;
  long first = std::distance(list.begin(), from) - 1, last = first + 1;
  while (first > 0 && list[static_cast<std::size_t>(first - 1)].t >= t - reach) --first;
  while (last + 1 < static_cast<long>(list.size()) && list[static_cast<std::size_t>(last + 1)].t <= t + reach)
    ++last;
  first = std::max(first, 0L);
  last = std::min(last, static_cast<long>(list.size()) - 1);
  long best = first;
  for (long i = first + 1; i <= last; ++i)
    if (list[static_cast<std::size_t>(i)].at.distance(p) <
        list[static_cast<std::size_t>(best)].at.distance(p))
      best = i;
  return best;
}

State Arrangement::leave(int edge, long junction, const sgVector<2>& back) {
  const Junction& here = junctionsOf(edge)[static_cast<std::size_t>(junction)];
  const sgVector<2> at = here.at;
  std::vector<int> through{edge};
  through.insert(through.end(), here.edges.begin(), here.edges.end());
  State best{-1, 0, 0};
  sgVector<2> bestDirection;
  const auto consider = [&](int e, long j, int sense) {
    const long count = static_cast<long>(junctionsOf(e).size());
    if (j + sense < 0 || j + sense >= count) return;
    const sgVector<2> d = direction(e) * static_cast<double>(sense);
    if (best.edge >= 0 && !turnsBefore(back, d, bestDirection)) return;
    best = {e, j, sense};
    bestDirection = d;
  };
  // Ascending edges, so that of two overlapping edges leaving alike the lower one is taken.
  std::sort(through.begin(), through.end());
  through.erase(std::unique(through.begin(), through.end()), through.end());
  for (const int e : through) {
    const long j = e == edge ? junction : junctionNear(e, at);
    consider(e, j, 1);
    consider(e, j, -1);
  }
  // The way back along this edge, or at the start the start edge forward, is always open.
  assert(best.edge >= 0);
  return best;
}

/// The points the walk has put out. A junction seen from two of its edges can be computed from
/// two different pairs of edges, a rounding apart; putting out the first of them every time keeps
/// a point where the boundary touches itself one point.
class EmittedPoints {
 public:
  sgVector<2> canonical(const sgVector<2>& p) {
    const double cx = std::floor(p.x() / kTol), cy = std::floor(p.y() / kTol);
    for (const double dx : {-1.0, 0.0, 1.0})
      for (const double dy : {-1.0, 0.0, 1.0})
        if (const auto found = cells_.find({cx + dx, cy + dy}); found != cells_.end())
          for (const sgVector<2>& q : found->second)
            if (q.distance(p) <= kTol) return q;
    cells_[{cx, cy}].push_back(p);
    return p;
  }

 private:
  std::map<std::pair<double, double>, std::vector<sgVector<2>>> cells_;
};

}  // namespace

std::vector<sgVector<2>> traceOuterBoundary(const std::vector<sgLineSeg>& edges,
                                            const EdgeCandidates& candidates) {
  Arrangement arrangement(edges, candidates);
  // The lowest-leftmost vertex lies on the outer boundary, and the outside sees it from (-1, 0).
  int first = 0;
  for (std::size_t k = 1; k < edges.size(); ++k)
    if (lexLess(edges[k].p1(), edges[static_cast<std::size_t>(first)].p1())) first = static_cast<int>(k);
  const State start = arrangement.leave(first, 0, sgVector<2>(-1.0, 0.0));

  // Each step depends only on the state, so a state seen twice is a cycle that misses the start.
  std::unordered_set<std::uint64_t> seen;
  std::vector<sgVector<2>> out;
  EmittedPoints emitted;
  State state = start;
  do {
    const long next = state.junction + state.sense;
    out.push_back(emitted.canonical(arrangement.junctionsOf(state.edge)[static_cast<std::size_t>(next)].at));
    const sgVector<2> back = arrangement.direction(state.edge) * static_cast<double>(-state.sense);
    state = arrangement.leave(state.edge, next, back);
    if (!seen.insert(state.key()).second)
      throw sgContourDefs::BadParams(
          L"regularization failed: the outline trace does not return to its start");
  } while (!(state == start));
  return out;
}

}  // namespace sgcntr
