#pragma once
// What the direct least-squares ellipse fit minimises (Fitzgibbon, Pilu and Fisher 1999): over
// conics a = (A, B, C, D, E, F) with 4AC - B^2 > 0, J(a) = sum of f_a(p)^2 / (4AC - B^2), free of
// a's scale. Evaluated in the frame u = (p - m) / s of the points' mean m and RMS spread s, for
// well-conditioned sums; the frame scales J by a constant only, so comparisons within it are exact.
#include <array>
#include <cmath>
#include <vector>

#include "lynstd/lynstd.h"

namespace fitcriterion {

using Conic = std::array<double, 6>;
struct Frame {
  sgVector<2> mean;
  double scale = 1.0;
};

inline Frame frameOf(const std::vector<sgVector<2>>& pts) {
  Frame f;
  double ss = 0.0;
  for (const sgVector<2>& p : pts) f.mean += p;
  f.mean = f.mean / static_cast<double>(pts.size());
  for (const sgVector<2>& p : pts) ss += (p - f.mean) * (p - f.mean);
  f.scale = std::sqrt(ss / static_cast<double>(pts.size()));
  return f;
}

/// The conic of an ellipse (centre c, radius ra along angle th, rb across), in the frame.
inline Conic conicOf(const Frame& f, const sgVector<2>& c, double ra, double rb, double th) {
  const double cs = std::cos(th), sn = std::sin(th), a = ra / f.scale, b = rb / f.scale;
  const sgVector<2> u = (c - f.mean) / f.scale;
  const double A = cs * cs / (a * a) + sn * sn / (b * b), C = sn * sn / (a * a) + cs * cs / (b * b),
               B = 2.0 * cs * sn * (1.0 / (a * a) - 1.0 / (b * b)), x = u.x(), y = u.y();
  return {A, B, C, -2.0 * A * x - B * y, -B * x - 2.0 * C * y, A * x * x + B * x * y + C * y * y - 1.0};
}
inline Conic conicOf(const Frame& f, const sgEllipse& e) {
  return conicOf(f, e.center(), e.r1(), e.r2(), e.rotation().toDouble());
}

/// J(a); infinity when 4AC - B^2 <= 0.
inline double criterion(const Frame& f, const std::vector<sgVector<2>>& pts, const Conic& k) {
  const double den = 4.0 * k[0] * k[2] - k[1] * k[1];
  double sum = 0.0;
  for (const sgVector<2>& p : pts) {
    const sgVector<2> u = (p - f.mean) / f.scale;
    const double x = u.x(), y = u.y(),
                 v = k[0] * x * x + k[1] * x * y + k[2] * y * y + k[3] * x + k[4] * y + k[5];
    sum += v * v;
  }
  return den > 0.0 ? sum / den : INFINITY;
}

}  // namespace fitcriterion
