// The exact orientation behind the inline filter (Shewchuk, "Adaptive precision floating-point
// arithmetic and fast robust geometric predicates", 1997).
#include "lynstd/orientation.h"

#include <cmath>
#include <vector>

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
}  // namespace

int sfOrientationExact(const sgVector<2>& a, const sgVector<2>& b, const sgVector<2>& c) {
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
