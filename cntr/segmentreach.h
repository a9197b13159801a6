#pragma once
// Which edges a segment query must look at. An edge can give a crossing only if a point lies
// within 1e-6 of both the edge and the segment (the acceptance test of the crossing loop), so an
// edge whose bounding rectangle stays well clear of the segment's line never gives one. Leaving
// such edges out changes no result; it keeps a long probe ray from testing every edge its
// bounding box happens to cover.
#include <algorithm>
#include <cmath>

#include "lynstd/shapes.h"

namespace sgcntr {

/// Whether two closed rectangles, each widened by `margin`, overlap; touching counts. A NaN
/// coordinate never separates them.
inline bool rectsOverlap(const sgRect& a, const sgRect& b, double margin = 0.0) {
  return !(a.x() + a.width() + margin < b.x() || b.x() + b.width() + margin < a.x() ||
           a.y() + a.height() + margin < b.y() || b.y() + b.height() + margin < a.y());
}

/// The largest absolute coordinate of a rectangle.
inline double magnitudeOf(const sgRect& rect) {
  return std::max({std::fabs(rect.x()), std::fabs(rect.y()), std::fabs(rect.x() + rect.width()),
                   std::fabs(rect.y() + rect.height())});
}

/// Whether `v` lies outside `rect` by more than 2e-6 plus 1e-9 of the largest coordinate along
/// some axis. Then v lies that far from anything inside the rectangle, so a computed distance
/// from v to an edge in it exceeds 1e-6 even after rounding, and need not be computed. A NaN
/// fails every comparison and counts as not clear.
inline bool liesClearOf(const sgRect& rect, const sgVector<2>& v) {
  const double x1 = rect.x() + rect.width(), y1 = rect.y() + rect.height();
  const double widen = 2e-6 + 1e-9 * std::max({std::fabs(v.x()), std::fabs(v.y()), std::fabs(rect.x()),
                                               std::fabs(rect.y()), std::fabs(x1), std::fabs(y1)});
  return v.x() < rect.x() - widen || v.x() > x1 + widen || v.y() < rect.y() - widen || v.y() > y1 + widen;
}

class SegmentReach {
 public:
  explicit SegmentReach(const sgLineSeg& seg)
      : a_(seg.p1()),
        b_(seg.p2()),
        box_(sgRect(a_, sgVector<2>(0.0, 0.0)).enclose(sgRect(b_, sgVector<2>(0.0, 0.0)))),
        vx_(b_.x() - a_.x()),
        vy_(b_.y() - a_.y()),
        lineScale_(std::fabs(vx_) + std::fabs(vy_)),
        magnitude_(std::max({std::fabs(a_.x()), std::fabs(a_.y()), std::fabs(b_.x()), std::fabs(b_.y())})) {}

  /// Whether `rect` comes within the reach of the segment's box. A crossing is accepted up to
  /// 1e-6 off both segments, so a crossing near an end of the query can lie just outside its box;
  /// an exact box test would drop it.
  bool mayReach(const sgRect& rect) const { return rectsOverlap(rect, box_, reachFor(magnitudeOf(rect))); }

  /// False only for an edge that cannot give a crossing: its bounding rectangle `rect` misses the
  /// segment's box widened by the reach, or the edge lies wholly on one side of the segment's line, or the
  /// segment wholly on one side of the edge's line, farther than the reach. Side values are affine along a
  /// segment, so its end points bound them.
  ///
  /// Why that is safe: a recorded crossing x passed both distance tests, so x lies within
  /// 1e-6 + e of the edge and of the segment, e being the rounding of those computations (a few
  /// units of 1e-16 times the largest coordinate involved). The edge then comes within 2e-6 + 2e
  /// of the segment, hence of its line, and the other way round. The reach, 4e-6 plus 1e-9 times
  /// the largest coordinate, exceeds that and the rounding of this test by orders of magnitude.
  /// Non-finite or NaN values make the comparisons fail, which keeps the edge; so does a
  /// vanishing direction.
  bool mayMeet(const sgRect& rect, const sgLineSeg& edge) const {
    const sgVector<2> p = edge.p1(), q = edge.p2();
    const double reach =
        reachFor(std::max({std::fabs(p.x()), std::fabs(p.y()), std::fabs(q.x()), std::fabs(q.y())}));
    if (!rectsOverlap(rect, box_, reach)) return false;
    const double ex = q.x() - p.x(), ey = q.y() - p.y();
    const double edgeScale = std::fabs(ex) + std::fabs(ey);
    if (!(lineScale_ >= kMinLineScale) || !(edgeScale >= kMinLineScale)) return true;
    const auto clear = [reach](double s1, double s2, double scale) {
      const double bound = reach * scale;
      return (s1 > bound && s2 > bound) || (s1 < -bound && s2 < -bound);
    };
    const auto sideOfQuery = [&](const sgVector<2>& v) {
      return vx_ * (v.y() - a_.y()) - vy_ * (v.x() - a_.x());
    };
    const auto sideOfEdge = [&](const sgVector<2>& v) { return ex * (v.y() - p.y()) - ey * (v.x() - p.x()); };
    return !clear(sideOfQuery(p), sideOfQuery(q), lineScale_) &&
           !clear(sideOfEdge(a_), sideOfEdge(b_), edgeScale);
  }

  /// False only when no edge lying within the box from (x0, y0) to (x1, y1) can pass mayMeet:
  /// the box, widened by twice the reach for its largest coordinate, misses the segment's box, or
  /// lies wholly on one side of the segment's line, that far from it. The doubled reach covers
  /// the rounding of the edges' rectangles (origin and size) against the box's exact bounds and
  /// that of the side values; an edge's own reach is never larger, its coordinates being within
  /// the box's.
  bool mayMeetWithin(double x0, double y0, double x1, double y1) const {
    const double reach =
        2.0 * reachFor(std::max({std::fabs(x0), std::fabs(y0), std::fabs(x1), std::fabs(y1)}));
    if (x1 + reach < box_.x() || box_.x() + box_.width() + reach < x0 || y1 + reach < box_.y() ||
        box_.y() + box_.height() + reach < y0)
      return false;
    if (!(lineScale_ >= kMinLineScale)) return true;
    const double bound = reach * lineScale_;
    const auto side = [&](double x, double y) { return vx_ * (y - a_.y()) - vy_ * (x - a_.x()); };
    const double s00 = side(x0, y0), s01 = side(x0, y1), s10 = side(x1, y0), s11 = side(x1, y1);
    const bool above = s00 > bound && s01 > bound && s10 > bound && s11 > bound;
    const bool below = s00 < -bound && s01 < -bound && s10 < -bound && s11 < -bound;
    return !above && !below;
  }

  /// A margin wider than the reach of any segment and edge whose coordinates stay within
  /// `magnitude` in absolute value: rectangles of two contours that can meet, widened by it,
  /// overlap.
  static double marginFor(double magnitude) { return 2.0 * (kAbsoluteReach + kRelativeReach * magnitude); }

  const sgVector<2>& first() const { return a_; }
  const sgVector<2>& second() const { return b_; }

 private:
  // Below this direction size the products of the side test could lose their relative accuracy
  // to underflow; such a segment is not screened by its line.
  static constexpr double kMinLineScale = 1e-150;
  static constexpr double kAbsoluteReach = 4e-6;
  static constexpr double kRelativeReach = 1e-9;

  double reachFor(double magnitude) const {
    return kAbsoluteReach + kRelativeReach * std::max(magnitude, magnitude_);
  }

  sgVector<2> a_, b_;
  sgRect box_;
  double vx_, vy_;
  double lineScale_;
  double magnitude_;
};

}  // namespace sgcntr
