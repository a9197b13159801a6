// sgContour's smallest enclosing circle: Welzl's algorithm, in its iterative form, over the
// vertices in a shuffled order.
#include <cmath>
#include <utility>
#include <vector>

#include "cntr/contour.h"
#include "randomsource.h"

namespace {

// Points this little (relative) beyond a circle count as on it: rounding must not make the
// loops below rebuild the circle for a point that lies on it.
constexpr double kOnCircleSlack = 1e-14;

bool holds(const sgCircle& circle, const sgVector<2>& p) {
  return p.distance(circle.center()) <= circle.radius() * (1.0 + kOnCircleSlack);
}

sgCircle circleOnDiameter(const sgVector<2>& a, const sgVector<2>& b) {
  const sgVector<2> center = (a + b) * 0.5;
  return sgCircle(center, std::fmax(center.distance(a), center.distance(b)));
}

/// The circle through the three points, its radius the largest of the three computed distances
/// so that all three lie in it despite rounding. Collinear points (no such circle) give the
/// circle on the farthest pair, which holds the third.
sgCircle circleThrough(const sgVector<2>& a, const sgVector<2>& b, const sgVector<2>& c) {
  // Taken about a: the differences are small for a small circle far from the origin.
  const sgVector<2> ab = b - a;
  const sgVector<2> ac = c - a;
  const double det = 2.0 * (ab.x() * ac.y() - ab.y() * ac.x());
  const double ab2 = ab * ab;
  const double ac2 = ac * ac;
  const sgVector<2> offset((ac.y() * ab2 - ab.y() * ac2) / det, (ab.x() * ac2 - ac.x() * ab2) / det);
  const sgVector<2> center = a + offset;
  if (det != 0.0 && std::isfinite(center.x()) && std::isfinite(center.y()))
    return sgCircle(center, std::fmax(center.distance(a), std::fmax(center.distance(b), center.distance(c))));
  const double bc2 = (c - b) * (c - b);
  if (ab2 >= ac2 && ab2 >= bc2) return circleOnDiameter(a, b);
  return ac2 >= bc2 ? circleOnDiameter(a, c) : circleOnDiameter(b, c);
}

/// Welzl's algorithm (1991) without recursion: each loop level fixes one more point on the
/// circle. In a random order a point lies outside the circle of the points before it with
/// probability at most 3 / i, so the expected work is linear.
sgCircle smallestCircleOf(const std::vector<sgVector<2>>& p) {
  sgCircle circle(p[0], 0.0);
  for (std::size_t i = 1; i < p.size(); ++i) {
    if (holds(circle, p[i])) continue;
    circle = sgCircle(p[i], 0.0);
    for (std::size_t j = 0; j < i; ++j) {
      if (holds(circle, p[j])) continue;
      circle = circleOnDiameter(p[i], p[j]);
      for (std::size_t k = 0; k < j; ++k) {
        if (!holds(circle, p[k])) circle = circleThrough(p[i], p[j], p[k]);
      }
    }
  }
  return circle;
}

}  // namespace

sgCircle sgContour::minEnclosingCircle() const {
  if (points_.empty()) throw sgContourDefs::EmptyContour();
  if (minEnclosingCircleValid_) return minEnclosingCircleCache_;
  // A fixed shuffle (each thread's generator starts from the same seed) rather than the given
  // order, whose sorted or circular runs are the algorithm's quadratic worst case.
  std::vector<sgVector<2>> shuffled = points_;
  for (std::size_t i = shuffled.size() - 1; i > 0; --i)
    std::swap(shuffled[i], shuffled[static_cast<std::size_t>(sgcntr::randomIndex(static_cast<int>(i + 1)))]);
  const sgCircle circle = smallestCircleOf(shuffled);
  // The slack above may leave a vertex a rounding step outside: the radius takes it in.
  double radius = circle.radius();
  for (const sgVector<2>& p : points_) radius = std::fmax(radius, p.distance(circle.center()));
  minEnclosingCircleCache_ = sgCircle(circle.center(), radius);
  minEnclosingCircleValid_ = true;
  return minEnclosingCircleCache_;
}
