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

/// Whether two closed rectangles overlap; touching counts. Exact comparisons, so a NaN
/// coordinate never separates them.
inline bool rectsOverlap(const sgRect& a, const sgRect& b) {
  return !(a.x() + a.width() < b.x() || b.x() + b.width() < a.x() || a.y() + a.height() < b.y() ||
           b.y() + b.height() < a.y());
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

  /// The bounding box of the segment's end points.
  const sgRect& box() const { return box_; }

  /// False only for an edge inside `rect` that cannot give a crossing: the rectangle misses the
  /// segment's box, or it lies wholly on one side of the segment's line, farther than the reach.
  ///
  /// Why that is safe: a recorded crossing x passed both distance tests, so x lies within
  /// 1e-6 + e of the edge and of the segment, e being the rounding of those computations (a few
  /// units of 1e-16 times the largest coordinate involved). The edge then comes within 2e-6 + 2e
  /// of the segment, hence of its line. The reach, 4e-6 plus 1e-9 times the largest coordinate,
  /// exceeds that and the rounding of this test by orders of magnitude. Non-finite or NaN values
  /// make the comparisons fail, which keeps the edge; so does a vanishing segment direction.
  bool mayMeet(const sgRect& rect) const {
    if (!rectsOverlap(rect, box_)) return false;
    if (!(lineScale_ >= kMinLineScale)) return true;
    const double x0 = rect.x(), x1 = rect.x() + rect.width();
    const double y0 = rect.y(), y1 = rect.y() + rect.height();
    const double reach = reachFor(std::max({std::fabs(x0), std::fabs(x1), std::fabs(y0), std::fabs(y1)}));
    // side(p) = v x (p - a) is affine, so its extremes over the rectangle sit at the corners
    // picked by the signs of the direction v.
    const double highest = vx_ * ((vx_ >= 0.0 ? y1 : y0) - a_.y()) - vy_ * ((vy_ >= 0.0 ? x0 : x1) - a_.x());
    const double lowest = vx_ * ((vx_ >= 0.0 ? y0 : y1) - a_.y()) - vy_ * ((vy_ >= 0.0 ? x1 : x0) - a_.x());
    // |v x (p - a)| / (|vx| + |vy|) is at most the distance of p from the line.
    const double bound = reach * lineScale_;
    return !(lowest > bound || highest < -bound);
  }

  /// False only for an edge that cannot give a crossing, by the reasoning of mayMeet applied to
  /// the segments themselves: the edge lies wholly on one side of the query's line, or the query
  /// wholly on one side of the edge's line, farther than the reach. Side values are affine along
  /// a segment, so its end points bound them.
  bool mayMeet(const sgLineSeg& edge) const {
    const sgVector<2> p = edge.p1(), q = edge.p2();
    const double ex = q.x() - p.x(), ey = q.y() - p.y();
    const double edgeScale = std::fabs(ex) + std::fabs(ey);
    if (!(lineScale_ >= kMinLineScale) || !(edgeScale >= kMinLineScale)) return true;
    const double reach =
        reachFor(std::max({std::fabs(p.x()), std::fabs(p.y()), std::fabs(q.x()), std::fabs(q.y())}));
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

  /// A margin such that every rectangle accepted by mayMeet whose coordinates stay within
  /// `magnitude` in absolute value meets the segment widened by the margin along both axes.
  /// An accepted rectangle meets the box of the segment and, widened by the reach, its line; as
  /// the segment is the diagonal of its box, the rectangle widened by the reach then meets the
  /// segment itself. Twice the reach also covers the rounding of the cell bounds of a grid over
  /// such coordinates.
  double walkMargin(double magnitude) const { return marginFor(std::max(magnitude, magnitude_)); }

  /// The walk margin of a segment whose coordinates stay within `magnitude` in absolute value.
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
