// Algebraic least-squares circle fit (I. Kasa, "A circle fitting procedure and its error
// analysis", 1976): minimises the sum of (|p - c|^2 - r^2)^2, a linear problem.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "fit_detail.h"
#include "lynstd/fit.h"

namespace {

[[noreturn]] void fail(const std::wstring& why) { throw sgFitError(L"sfCircleFit: " + why); }

/// The fitted circle of the given finite points (at least 3 distinct, not collinear).
sgCircle fitCircle(const std::vector<sgVector<2>>& pts) {
  const std::size_t distinct = sgfitdetail::distinctCount(pts);
  if (distinct < 3)
    fail(L"at least 3 distinct points with finite coordinates are needed, got " + std::to_wstring(distinct));
  const sgfitdetail::Frame frame = sgfitdetail::conditioningFrame(pts);
  // In the centred, scaled frame: u^2 + v^2 = a u + b v + c, with centre (a/2, b/2) and
  // r^2 = c + (a^2 + b^2)/4. The normal equations, with the first moments kept (they are 0 only up
  // to rounding), are solved for a and b after eliminating c.
  double su = 0, sv = 0, suu = 0, suv = 0, svv = 0, sz = 0, suz = 0, svz = 0;
  for (const sgVector<2>& p : pts) {
    const sgVector<2> w = frame.to(p);
    const double u = w.x(), v = w.y(), z = u * u + v * v;
    su += u, sv += v, suu += u * u, suv += u * v, svv += v * v, sz += z, suz += u * z, svz += v * z;
  }
  const double n = static_cast<double>(pts.size());
  // Centred second moments (eliminating c) and right-hand sides.
  const double cuu = suu - su * su / n, cuv = suv - su * sv / n, cvv = svv - sv * sv / n;
  const double ru = suz - su * sz / n, rv = svz - sv * sz / n;
  if (sgfitdetail::nearlyCollinear({cuu / n, cuv / n, cvv / n})) fail(L"the points are collinear");
  const double d = cuu * cvv - cuv * cuv;
  const double a = (ru * cvv - rv * cuv) / d;
  const double b = (rv * cuu - ru * cuv) / d;
  const double c = (sz - a * su - b * sv) / n;
  const double r2 = c + 0.25 * (a * a + b * b);
  const sgCircle circle(frame.from(sgVector<2>(0.5 * a, 0.5 * b)),
                        std::sqrt(std::max(r2, 0.0)) * frame.scale);
  if (!std::isfinite(circle.center().x()) || !std::isfinite(circle.center().y()) ||
      !std::isfinite(circle.radius()))
    fail(L"the fit gives no finite circle");
  return circle;
}

double circleDistance(const sgCircle& c, const sgVector<2>& p) {
  return std::fabs(p.distance(c.center()) - c.radius());
}

}  // namespace

void sfCircleFit(const sgCircleFitParams& params, const std::vector<sgVector<2>>& points,
                 sgCircleFitResults& results) {
  // eFitLeastSquares is the only mode. Refinement measures distances to the fitted (unscaled)
  // circle; the reported error is measured against the returned circle, radius scaled.
  if (params.mode != eFitLeastSquares)
    fail(L"unknown fit mode " + std::to_wstring(static_cast<long>(params.mode)));
  const std::vector<sgVector<2>> usable = sgfitdetail::finitePoints(points);
  std::vector<sgVector<2>> used;
  const sgCircle fitted =
      sgfitdetail::fitWithRefinement(usable, params.refineIterations, params.outlierDistance, 3,
                                     L"sfCircleFit", fitCircle, circleDistance, used);
  results.circle = sgCircle(fitted.center(), fitted.radius() * params.radiusScale);
  double ss = 0.0;
  for (const sgVector<2>& p : used) {
    const double e = circleDistance(results.circle, p);
    ss += e * e;
  }
  results.error = std::sqrt(ss / static_cast<double>(used.size()));
}
