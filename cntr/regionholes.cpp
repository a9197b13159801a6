// The check of a region's hole list: every hole lies in the outer boundary, and no two holes
// share interior. Boundaries may touch at vertices and along edges, as the outlines traced from
// a pixel mask do where a hole is one pixel from the outside or from another hole.
//
// Everything is decided with exact predicates on the given vertices: edges that cross at a
// point inside both are refused at once; at every other point where the boundaries meet (always
// a vertex of one of them) the edges around the point are ordered by angle and each polygon's
// winding number is followed from sector to sector, which tells on which sides of the point each
// figure lies. Boundaries that never meet are told apart by one exact point-in-polygon test.
#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "cntr/region.h"
#include "lynstd/orientation.h"
#include "pointorder.h"

namespace {

using Points = std::vector<sgVector<2>>;
using sgcntr::lexLess;

/// What the figures of two polygons A and B must satisfy.
enum class Relation { bInsideA, apart };

struct Edge {
  sgVector<2> from, to;
};

/// Edge k in the contour's edge order: edge 0 joins the last vertex to the first.
Edge edgeOf(const Points& p, int k) {
  const std::size_t i = static_cast<std::size_t>(k);
  return {p[(i + p.size() - 1) % p.size()], p[i]};
}

struct PointLess {
  bool operator()(const sgVector<2>& a, const sgVector<2>& b) const { return lexLess(a, b); }
};

/// Whether q, known to lie on the line of the edge, lies on the closed edge.
bool withinBox(const Edge& e, const sgVector<2>& q) {
  return std::min(e.from.x(), e.to.x()) <= q.x() && q.x() <= std::max(e.from.x(), e.to.x()) &&
         std::min(e.from.y(), e.to.y()) <= q.y() && q.y() <= std::max(e.from.y(), e.to.y());
}

bool liesOn(const Edge& e, const sgVector<2>& q) {
  return sfOrientation(e.from, e.to, q) == 0 && withinBox(e, q);
}

/// Orientation of the polygon: +1 counter-clockwise (or no area), -1 clockwise.
int orientationOf(const Points& p) {
  double twiceArea = 0.0;
  const sgVector<2> origin = p.front();
  for (std::size_t i = 0; i < p.size(); ++i) {
    const sgVector<2> a = p[i] - origin, b = p[(i + 1) % p.size()] - origin;
    twiceArea += a.x() * b.y() - a.y() * b.x();
  }
  return twiceArea < 0.0 ? -1 : 1;
}

bool allFinite(const Points& p) {
  return std::all_of(p.begin(), p.end(),
                     [](const sgVector<2>& v) { return std::isfinite(v.x()) && std::isfinite(v.y()); });
}

/// A boundary leaving the point towards `toward`: crossing it counter-clockwise changes the
/// winding number of A by deltaA and that of B by deltaB.
struct Ray {
  sgVector<2> toward;
  int deltaA = 0, deltaB = 0;
};

/// The edges of A and of B through one meeting point.
struct Meeting {
  std::vector<int> edgesA, edgesB;
};

using Meetings = std::map<sgVector<2>, Meeting, PointLess>;

/// An edge through q adds a ray towards each end other than q. Leaving along it, the figure lies
/// on the ray's counter-clockwise side (for a counter-clockwise polygon, sign +1); arriving
/// along it, on the clockwise side.
void addRays(const Edge& e, const sgVector<2>& q, int sign, bool forA, std::vector<Ray>& rays) {
  const auto add = [&](const sgVector<2>& toward, int delta) {
    Ray r{toward};
    (forA ? r.deltaA : r.deltaB) = delta;
    rays.push_back(r);
  };
  if (!(e.from == q)) add(e.from, -sign);
  if (!(e.to == q)) add(e.to, sign);
}

/// Directions about q ordered by angle from the positive x axis, exactly: first the half-turn
/// [0, pi), then [pi, 2 pi); within a half by the turn from one to the other.
bool upperHalf(const sgVector<2>& q, const sgVector<2>& d) {
  return d.y() > q.y() || (d.y() == q.y() && d.x() > q.x());
}

int angleOrder(const sgVector<2>& q, const sgVector<2>& a, const sgVector<2>& b) {
  const bool ua = upperHalf(q, a), ub = upperHalf(q, b);
  if (ua != ub) return ua ? -1 : 1;
  return -sfOrientation(q, a, b);
}

/// Follows both winding numbers once around q and checks the relation in every sector between
/// two neighbouring ray directions. The lowest winding number met is taken as the outside: the
/// boundaries of a simple outline always leave some outside sector at a boundary point.
bool sectorsAgree(const sgVector<2>& q, std::vector<Ray>& rays, Relation relation) {
  std::sort(rays.begin(), rays.end(),
            [&](const Ray& a, const Ray& b) { return angleOrder(q, a.toward, b.toward) < 0; });
  struct Sector {
    int a, b;
  };
  std::vector<Sector> sectors;
  int a = 0, b = 0;
  for (std::size_t i = 0; i < rays.size(); ++i) {
    a += rays[i].deltaA;
    b += rays[i].deltaB;
    const bool lastOfDirection =
        i + 1 == rays.size() || angleOrder(q, rays[i].toward, rays[i + 1].toward) != 0;
    if (lastOfDirection) sectors.push_back({a, b});
  }
  int outsideA = sectors.front().a, outsideB = sectors.front().b;
  for (const Sector& s : sectors) {
    outsideA = std::min(outsideA, s.a);
    outsideB = std::min(outsideB, s.b);
  }
  for (const Sector& s : sectors) {
    const bool inA = s.a != outsideA, inB = s.b != outsideB;
    if (relation == Relation::bInsideA ? inB && !inA : inA && inB) return false;
  }
  return true;
}

/// Exact winding number of the polygon about a point not on its boundary, from the edges that
/// meet the horizontal ray from the point to beyond the polygon's box, on the nearer side (the
/// segment query's cost grows with the ray's length).
template <class Candidates>
bool windsAround(const sgContour& polygon, const sgVector<2>& q, Candidates candidates) {
  const sgRect box = polygon.encloseRect(sgXform<2>::I);
  const double left = box.x(), right = box.x() + box.width();
  if (!(left <= q.x() && q.x() <= right) || q.y() < box.y() || q.y() > box.y() + box.height()) return false;
  const bool rightwards = right - q.x() <= q.x() - left;
  const double margin = std::fmax(1.0, std::fmax(std::fabs(left), std::fabs(right)));
  const sgVector<2> end(rightwards ? right + margin : left - margin, q.y());
  std::vector<int> edges;
  candidates(polygon, sgLineSeg(q, end), edges);
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  // An upward edge passing to the right of q, or a downward one to its left, winds once
  // counter-clockwise; the half-open test counts an edge through the ray's line at a vertex once.
  const int side = rightwards ? 1 : -1;
  int winding = 0;
  for (int k : edges) {
    const Edge e = edgeOf(polygon.points(), k);
    const int turn = sfOrientation(e.from, e.to, q);
    if (e.from.y() <= q.y() && q.y() < e.to.y() && turn == side) winding += side;
    if (e.to.y() <= q.y() && q.y() < e.from.y() && turn == -side) winding -= side;
  }
  return winding != 0;
}

/// Whether the figures of A and B, of finite coordinates, stand in the relation. Walks B's edges
/// and asks A's segment query for the edges of A near each.
template <class Candidates>
bool related(const sgContour& A, const sgContour& B, Relation relation, Candidates candidates) {
  const Points& pa = A.points();
  const Points& pb = B.points();
  Meetings meetings;
  std::vector<int> near;
  std::vector<sgVector<2>> onEdge;
  for (int k = 0; k < static_cast<int>(pb.size()); ++k) {
    const Edge e = edgeOf(pb, k);
    if (e.from == e.to) continue;  // its point is an end of the neighbouring edges
    near.clear();
    candidates(A, sgLineSeg(e.from, e.to), near);
    // The points where e meets A are ends of one edge lying on the other; a crossing inside
    // both edges is refused at once.
    onEdge.clear();
    for (int f : near) {
      const Edge g = edgeOf(pa, f);
      const int oFrom = sfOrientation(g.from, g.to, e.from), oTo = sfOrientation(g.from, g.to, e.to);
      const int gFrom = sfOrientation(e.from, e.to, g.from), gTo = sfOrientation(e.from, e.to, g.to);
      if (oFrom * oTo < 0 && gFrom * gTo < 0) return false;
      if (oFrom == 0 && withinBox(g, e.from)) onEdge.push_back(e.from);
      if (oTo == 0 && withinBox(g, e.to)) onEdge.push_back(e.to);
      if (gFrom == 0 && withinBox(e, g.from)) onEdge.push_back(g.from);
      if (gTo == 0 && withinBox(e, g.to)) onEdge.push_back(g.to);
    }
    std::sort(onEdge.begin(), onEdge.end(), lexLess);
    onEdge.erase(std::unique(onEdge.begin(), onEdge.end()), onEdge.end());
    // Every edge of A through such a point is among the candidates, since it meets e there.
    for (const sgVector<2>& q : onEdge) {
      Meeting& m = meetings[q];
      m.edgesB.push_back(k);
      for (int f : near)
        if (liesOn(edgeOf(pa, f), q)) m.edgesA.push_back(f);
    }
  }
  if (meetings.empty()) {
    if (pb.empty() || pa.empty()) return relation == Relation::apart;
    const bool bInA = windsAround(A, pb.front(), candidates);
    return relation == Relation::bInsideA ? bInA : !bInA && !windsAround(B, pa.front(), candidates);
  }
  const int signA = orientationOf(pa), signB = orientationOf(pb);
  std::vector<Ray> rays;
  for (auto& [q, m] : meetings) {
    for (std::vector<int>* edges : {&m.edgesA, &m.edgesB}) {
      std::sort(edges->begin(), edges->end());
      edges->erase(std::unique(edges->begin(), edges->end()), edges->end());
    }
    rays.clear();
    for (int f : m.edgesA) addRays(edgeOf(pa, f), q, signA, true, rays);
    for (int k : m.edgesB) addRays(edgeOf(pb, k), q, signB, false, rays);
    if (!sectorsAgree(q, rays, relation)) return false;
  }
  return true;
}

}  // namespace

void sgRegion::checkHoles(const std::vector<sgPtrHandle_const<sgRegion>>& holes) const {
  const auto candidates = [](const sgContour& c, const sgLineSeg& seg, std::vector<int>& edges) {
    c.candidateEdges(seg, edges);
  };
  const auto refuse = [] { throw sgContourDefs::BadParams(L"holes cannot intersect region"); };
  if (holes.empty()) return;
  sgContour::checkEmptyContour();
  // The predicates need finite coordinates; a non-finite one leaves nothing to decide with.
  if (!allFinite(points())) refuse();
  // A hole of fewer than two vertices has no boundary and no area: nothing to check. The checks
  // ask the holes' own segment queries, which fill caches; they run on private copies, since a
  // hole may be shared with regions that other threads are setting up at the same time.
  std::vector<sgContour> checked;
  checked.reserve(holes.size());
  for (const auto& handle : holes) {
    const sgRegion& hole = *handle;
    if (hole.points().size() < 2) continue;
    if (!allFinite(hole.points())) refuse();
    checked.emplace_back(hole.points(), true, 0);
    if (!related(*this, checked.back(), Relation::bInsideA, candidates)) refuse();
  }
  // Only holes whose boxes meet can share interior: a sweep over the boxes' left sides.
  std::vector<std::pair<const sgContour*, sgRect>> boxes;
  for (const sgContour& hole : checked) boxes.emplace_back(&hole, hole.encloseRect(sgXform<2>::I));
  std::sort(boxes.begin(), boxes.end(),
            [](const auto& a, const auto& b) { return a.second.x() < b.second.x(); });
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const sgRect& r = boxes[i].second;
    for (std::size_t j = i + 1; j < boxes.size() && boxes[j].second.x() <= r.x() + r.width(); ++j) {
      const sgRect& s = boxes[j].second;
      if (s.y() > r.y() + r.height() || r.y() > s.y() + s.height()) continue;
      // Edges of the smaller walk, the larger's segment queries answer.
      const sgContour* a = boxes[i].first;
      const sgContour* b = boxes[j].first;
      if (a->points().size() < b->points().size()) std::swap(a, b);
      if (!related(*a, *b, Relation::apart, candidates)) refuse();
    }
  }
}
