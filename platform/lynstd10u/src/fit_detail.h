#pragma once
// Helpers shared by the fitting sources (convex hull, ellipse and circle fits); not installed.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "lynstd/exceptions.h"
#include "lynstd/vector.h"

namespace sgfitdetail {

inline bool isFinite(const sgVector<2>& p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

/// The points with two finite coordinates, in their order.
inline std::vector<sgVector<2>> finitePoints(const std::vector<sgVector<2>>& points) {
  std::vector<sgVector<2>> out;
  out.reserve(points.size());
  for (const sgVector<2>& p : points)
    if (isFinite(p)) out.push_back(p);
  return out;
}

/// Lexicographic order by x, then y (the order of the hull's start point).
inline bool lessXY(const sgVector<2>& a, const sgVector<2>& b) {
  return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y());
}

/// Number of distinct points among finite points.
inline std::size_t distinctCount(std::vector<sgVector<2>> pts) {
  std::sort(pts.begin(), pts.end(), lessXY);
  return static_cast<std::size_t>(std::unique(pts.begin(), pts.end()) - pts.begin());
}

/// A conditioning frame: u = (p - mean) / scale has mean 0 and root-mean-square length 1, so that
/// the fits' sums of fourth powers stay well scaled whatever the units and position of the data.
struct Frame {
  sgVector<2> mean;
  double scale = 1.0;
  sgVector<2> to(const sgVector<2>& p) const { return (p - mean) / scale; }
  sgVector<2> from(const sgVector<2>& u) const { return mean + u * scale; }
};

/// The frame of finite points; scale 0 when all points coincide.
inline Frame conditioningFrame(const std::vector<sgVector<2>>& pts) {
  Frame f;
  const double n = static_cast<double>(pts.size());
  sgVector<2> sum;
  for (const sgVector<2>& p : pts) sum += p;
  f.mean = sum / n;
  // One correction pass: the mean of the residuals removes most of the rounding of the first sum.
  sgVector<2> res;
  for (const sgVector<2>& p : pts) res += p - f.mean;
  f.mean += res / n;
  // RMS spread, computed on deviations divided by the largest one so that squares cannot overflow.
  double big = 0.0;
  for (const sgVector<2>& p : pts)
    big = std::max({big, std::fabs(p.x() - f.mean.x()), std::fabs(p.y() - f.mean.y())});
  if (big == 0.0) {
    f.scale = 0.0;
    return f;
  }
  double ss = 0.0;
  for (const sgVector<2>& p : pts) {
    const sgVector<2> d = (p - f.mean) / big;
    ss += d * d;
  }
  f.scale = big * std::sqrt(ss / n);
  return f;
}

/// Sums of the centred, scaled coordinates' second moments; used for the collinearity test.
struct SecondMoments {
  double uu = 0.0, uv = 0.0, vv = 0.0;
};

/// True when the points (in a conditioning frame) are collinear or coincide, within rounding:
/// the covariance determinant is at most 1e-12 of the trace squared (its largest possible value
/// is a quarter of that). So spreads across the best line below about 1e-6 of the spread along it
/// count as a line; such data cannot determine a curve in double precision anyway.
inline bool nearlyCollinear(const SecondMoments& m) {
  const double det = m.uu * m.vv - m.uv * m.uv;
  const double tr = m.uu + m.vv;
  return !(det > 1e-12 * tr * tr);
}

/// The least-squares fit followed by the refinement passes documented in fit.h: each pass keeps
/// the usable points within `outlierDistance` of the current fit (chosen anew from all usable
/// points, so a point dropped once may return) and fits again; passes stop early when the kept
/// set no longer changes. `used` receives the points of the final fit.
/// fit(points) -> Model (throws sgFitError); dist(model, point) -> double.
template <class FitFn, class DistFn>
auto fitWithRefinement(const std::vector<sgVector<2>>& usable, unsigned long iterations,
                       double outlierDistance, std::size_t minPoints, const wchar_t* name, FitFn fit,
                       DistFn dist, std::vector<sgVector<2>>& used) {
  used = usable;
  auto model = fit(used);
  for (unsigned long pass = 0; pass < iterations; ++pass) {
    std::vector<sgVector<2>> kept;
    kept.reserve(usable.size());
    for (const sgVector<2>& p : usable)
      if (dist(model, p) <= outlierDistance) kept.push_back(p);
    if (kept == used) break;
    if (distinctCount(kept) < minPoints)
      throw sgFitError(std::wstring(name) + L": only " + std::to_wstring(distinctCount(kept)) +
                       L" distinct points lie within outlierDistance of the fit in refinement pass " +
                       std::to_wstring(pass + 1) + L"; at least " + std::to_wstring(minPoints) +
                       L" are needed");
    used = std::move(kept);
    model = fit(used);
  }
  return model;
}

}  // namespace sgfitdetail
