// The even-odd parity of a point through the edge tree. Away from the outline, every ray from the
// point crosses it an odd number of times exactly when the point is inside, so the ray may be
// chosen for speed: along the axis that leaves the bounding rectangle soonest. A crossing is
// counted by the half-open rule (an edge counts when exactly one end lies strictly beyond the
// ray's line), so a ray through a vertex counts it once, or twice at a tip, as parity needs.
// Near the outline, where the probe ray's tolerances decide what counts, the caller takes the
// probe ray instead.
#include <algorithm>
#include <array>
#include <cmath>

#include "cntr/contour.h"
#include "edgetree.h"

namespace {

/// Distance within which a point counts as lying on an edge for the crossing tests.
constexpr double kOnSegment = 1e-6;

/// The point turned by quarter turns so that the ray runs along +x. Quarter turns are exact.
sgVector<2> turned(const sgVector<2>& v, int quarterTurns) {
  switch (quarterTurns) {
    case 1:
      return sgVector<2>(v.y(), -v.x());
    case 2:
      return sgVector<2>(-v.x(), -v.y());
    case 3:
      return sgVector<2>(-v.y(), v.x());
    default:
      return v;
  }
}

/// Whether the ray from p along +x crosses the edge (a, b), by the half-open rule.
bool rayCrosses(const sgVector<2>& a, const sgVector<2>& b, const sgVector<2>& p) {
  if ((a.y() > p.y()) == (b.y() > p.y())) return false;
  const double x = a.x() + (p.y() - a.y()) * (b.x() - a.x()) / (b.y() - a.y());
  return x > p.x();
}

}  // namespace

bool sgContour::insideParity(const sgVector<2>& point, bool& odd) const {
  if (!std::isfinite(point.x()) || !std::isfinite(point.y())) return false;
  const sgcntr::EdgeTree* tree = edgeIndex();
  if (!tree || tree->hasUnboxedEdges()) return false;

  // Beyond this distance from every edge no edge is within the probe ray's tolerance of the
  // point, and the ray's crossing positions are far larger than their rounding.
  const double near =
      2.0 * kOnSegment + 1e-9 * std::max({tree->magnitude(), std::fabs(point.x()), std::fabs(point.y())});
  bool nearEdge = false;
  tree->search([&](const sgcntr::Box& box) { return nearEdge || sgcntr::distanceToBox(box, point) > near; },
               [](const sgcntr::Box&) { return 0.0; },
               [&](int k) {
                 const auto [previous, current] = edgeEnds(k);
                 if (sgLineSeg(points_[previous], points_[current]).distToPoint(point) <= near)
                   nearEdge = true;
               });
  if (nearEdge) return false;

  // The axis direction that leaves the bounding rectangle soonest meets the fewest edges on
  // outlines around a centre.
  const sgRect bounds = encloseRect(sgXform<2>::I);
  const std::array<double, 4> exits{bounds.x() + bounds.width() - point.x(),
                                    bounds.y() + bounds.height() - point.y(), point.x() - bounds.x(),
                                    point.y() - bounds.y()};
  // Quarter turns 0, 1, 2, 3 take +x, +y, -x, -y to +x.
  const int turns = static_cast<int>(std::min_element(exits.begin(), exits.end()) - exits.begin());
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  const double rx0 = turns == 2 ? -kInfinity : point.x(), rx1 = turns == 0 ? kInfinity : point.x();
  const double ry0 = turns == 3 ? -kInfinity : point.y(), ry1 = turns == 1 ? kInfinity : point.y();
  const sgVector<2> p = turned(point, turns);
  long crossings = 0;
  tree->search(
      [&](const sgcntr::Box& box) { return box.x1 < rx0 || box.x0 > rx1 || box.y1 < ry0 || box.y0 > ry1; },
      [](const sgcntr::Box&) { return 0.0; },
      [&](int k) {
        const auto [previous, current] = edgeEnds(k);
        if (rayCrosses(turned(points_[previous], turns), turned(points_[current], turns), p)) ++crossings;
      });
  odd = crossings % 2 == 1;
  return true;
}
