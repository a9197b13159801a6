// Convex hull by Andrew's monotone chain (A. M. Andrew, "Another efficient algorithm for convex
// hulls in two dimensions", 1979), with an exact orientation predicate so that the result is
// convex and free of collinear vertices for any finite input, not only up to rounding.
#include <algorithm>
#include <cmath>
#include <vector>

#include "fit_detail.h"
#include "lynstd/fit.h"

namespace {

/// Error-free transformations (Knuth's two-sum, and the product through one fused multiply-add):
/// a + b = s + e and a * b = p + e exactly, barring overflow.
void twoSum(double a, double b, double& s, double& e) {
  s = a + b;
  const double bb = s - a;
  e = (a - (s - bb)) + (b - bb);
}
void twoProduct(double a, double b, double& p, double& e) {
  p = a * b;
  e = std::fma(a, b, -p);
}

/// Exact sign of (b - a) x (c - a), evaluated as the sum of six exact products of the inputs
/// (each split into two doubles) accumulated into a nonoverlapping expansion (Shewchuk 1997,
/// grow-expansion with zero elimination); the expansion's largest component carries the sign.
int orientationExact(const sgVector<2>& a, const sgVector<2>& b, const sgVector<2>& c) {
  // (b - a) x (c - a) = ax*by - ax*cy - ay*bx + ay*cx + bx*cy - by*cx.
  const double f[6][2] = {{a.x(), b.y()}, {-a.x(), c.y()}, {-a.y(), b.x()},
                          {a.y(), c.x()}, {b.x(), c.y()},  {-b.y(), c.x()}};
  std::vector<double> h;
  h.reserve(13);
  auto grow = [&h](double b0) {
    double q = b0;
    std::vector<double> next;
    next.reserve(h.size() + 1);
    for (double e : h) {
      double s, err;
      twoSum(q, e, s, err);
      if (err != 0.0) next.push_back(err);
      q = s;
    }
    if (q != 0.0) next.push_back(q);
    h.swap(next);
  };
  for (const auto& t : f) {
    double p, e;
    twoProduct(t[0], t[1], p, e);
    grow(e);
    grow(p);
  }
  if (h.empty()) return 0;
  return h.back() > 0.0 ? 1 : -1;
}

/// Sign of the orientation of (a, b, c): positive for a left (counter-clockwise) turn, 0 for
/// collinear points. The floating-point value decides when it exceeds Shewchuk's error bound
/// for this formula (ccwerrboundA); otherwise the exact evaluation does.
int orientation(const sgVector<2>& a, const sgVector<2>& b, const sgVector<2>& c) {
  const double detLeft = (a.x() - c.x()) * (b.y() - c.y());
  const double detRight = (a.y() - c.y()) * (b.x() - c.x());
  const double det = detLeft - detRight;
  double detSum;
  if (detLeft > 0.0) {
    if (detRight <= 0.0) return det > 0.0 ? 1 : (det < 0.0 ? -1 : 0);
    detSum = detLeft + detRight;
  } else if (detLeft < 0.0) {
    if (detRight >= 0.0) return det > 0.0 ? 1 : (det < 0.0 ? -1 : 0);
    detSum = -detLeft - detRight;
  } else {
    if (detRight == 0.0) return orientationExact(a, b, c);  // may be an underflow to 0
    return det > 0.0 ? 1 : -1;
  }
  constexpr double kEps = 1.1102230246251565e-16;  // 2^-53
  constexpr double kBound = (3.0 + 16.0 * kEps) * kEps;
  const double bound = kBound * detSum;
  if (det > bound) return 1;
  if (-det > bound) return -1;
  return orientationExact(a, b, c);
}

}  // namespace

void sfConvexHull(const std::vector<sgVector<2>>& points, std::vector<sgVector<2>>& hull) {
  std::vector<sgVector<2>> p = sgfitdetail::finitePoints(points);
  std::sort(p.begin(), p.end(), sgfitdetail::lessXY);
  p.erase(std::unique(p.begin(), p.end()), p.end());
  const std::size_t n = p.size();
  if (n < 3) {
    hull = std::move(p);
    return;
  }

  // Lower chain left to right, then upper chain right to left; a vertex is kept only where the
  // chain turns strictly left, which drops collinear points. The last point of each chain is the
  // first of the other and is not repeated.
  std::vector<sgVector<2>> h(2 * n);
  std::size_t k = 0;
  for (std::size_t i = 0; i < n; ++i) {
    while (k >= 2 && orientation(h[k - 2], h[k - 1], p[i]) <= 0) --k;
    h[k++] = p[i];
  }
  const std::size_t lower = k + 1;
  for (std::size_t i = n - 1; i-- > 0;) {
    while (k >= lower && orientation(h[k - 2], h[k - 1], p[i]) <= 0) --k;
    h[k++] = p[i];
  }
  h.resize(k - 1);
  hull = std::move(h);
}
