#pragma once
// The criterion that the direct least-squares ellipse fit minimises (Fitzgibbon, Pilu and Fisher
// 1999): over conics a = (A, B, C, D, E, F) with 4AC - B^2 > 0, the ratio
//   J(a) = sum over the points of f_a(p)^2 / (4AC - B^2),
// which does not depend on the scale of a. Evaluated in the frame u = (p - m) / s of the points'
// mean m and RMS spread s, to keep the sums well conditioned; the frame changes J by a constant
// factor only (the criterion is affine-invariant), so comparisons within one frame are exact.
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
  for (const sgVector<2>& p : pts) f.mean += p;
  f.mean = f.mean / static_cast<double>(pts.size());
  double ss = 0.0;
  for (const sgVector<2>& p : pts) ss += (p - f.mean) * (p - f.mean);
  f.scale = std::sqrt(ss / static_cast<double>(pts.size()));
  return f;
}

/// The conic of an ellipse (centre c, radius ra along angle th, rb across), in the frame.
inline Conic conicOf(const Frame& f, const sgVector<2>& c, double ra, double rb, double th) {
  const double cs = std::cos(th), sn = std::sin(th);
  // Radii and centre in frame units.
  const double a = ra / f.scale, b = rb / f.scale;
  const sgVector<2> u0 = (c - f.mean) / f.scale;
  const double A = cs * cs / (a * a) + sn * sn / (b * b);
  const double C = sn * sn / (a * a) + cs * cs / (b * b);
  const double B = 2.0 * cs * sn * (1.0 / (a * a) - 1.0 / (b * b));
  const double D = -2.0 * A * u0.x() - B * u0.y();
  const double E = -B * u0.x() - 2.0 * C * u0.y();
  const double F = A * u0.x() * u0.x() + B * u0.x() * u0.y() + C * u0.y() * u0.y() - 1.0;
  return {A, B, C, D, E, F};
}

inline Conic conicOf(const Frame& f, const sgEllipse& e) {
  return conicOf(f, e.center(), e.r1(), e.r2(), e.rotation().toDouble());
}

/// J(a); infinity when 4AC - B^2 <= 0.
inline double criterion(const Frame& f, const std::vector<sgVector<2>>& pts, const Conic& k) {
  const double den = 4.0 * k[0] * k[2] - k[1] * k[1];
  if (!(den > 0.0)) return INFINITY;
  double sum = 0.0;
  for (const sgVector<2>& p : pts) {
    const sgVector<2> u = (p - f.mean) / f.scale;
    const double x = u.x(), y = u.y();
    const double v = k[0] * x * x + k[1] * x * y + k[2] * y * y + k[3] * x + k[4] * y + k[5];
    sum += v * v;
  }
  return sum / den;
}

}  // namespace fitcriterion
