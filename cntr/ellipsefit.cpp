// Summary shapes and numbers of point data: the ellipse with the moments of an inertia record,
// the ellipse fit with its fall-backs, and the standard deviation.
#include <cmath>
#include <limits>
#include <vector>

#include "cntr/moments.h"
#include "edgeletpositions.h"
#include "lynstd/fit.h"

namespace {

constexpr double kPiSquared = 9.869604401089358;
constexpr double kInfinity = std::numeric_limits<double>::infinity();

double eighthRoot(double v) { return std::sqrt(std::sqrt(std::sqrt(v))); }

}  // namespace

sgEllipse sf_EllipseFromInertiaData(const sg_InertiaData& data) {
  const sgMatrix<2>& m = data.inertiaMatrix();
  const sgRadian theta(0.5 * std::atan2(2.0 * m(0, 1), m(0, 0) - m(1, 1)));
  const sgMatrix<2> toPrincipal =
      sgMatrix<2>(-theta, -theta, 1.0, 1.0) * m * sgMatrix<2>(theta, theta, 1.0, 1.0);
  const double a = std::fabs(toPrincipal(0, 0));
  const double b = std::fabs(toPrincipal(1, 1));
  // Written so that a NaN moment is refused too.
  if (!(a > 1e-12) || !(b > 1e-12)) throw sgMathError::Singular();
  // A solid ellipse of radii r1, r2 has principal moments pi r1^3 r2 / 4 and pi r1 r2^3 / 4.
  sgEllipse::sgEllipseGeom geom;
  geom.center = data.centerOfMass();
  geom.r1 = eighthRoot(16.0 * a * a * a / (kPiSquared * b));
  geom.r2 = eighthRoot(16.0 * b * b * b / (kPiSquared * a));
  geom.rotation = theta;
  return sgEllipse(geom);
}

void sf_FitEllipse(const std::vector<sgVector<2>>& points, sgEllipse& ellipse, double& error) {
  try {
    sgEllipseFitResults results;
    sfEllipseFit(sgEllipseFitParams(eFitLeastSquares, sgRadian(0.0), 0, kInfinity), points, results);
    ellipse = results.ellipse;
    error = results.error;
    return;
  } catch (const sgException&) {
    // Too few or degenerate points for an ellipse: a circle may still fit.
  }
  try {
    sgCircleFitResults results;
    sfCircleFit(sgCircleFitParams(eFitLeastSquares, 1.0, 0, kInfinity), points, results);
    ellipse = sgEllipse(results.circle);
    error = results.error;
  } catch (const sgException&) {
    ellipse = sgEllipse();
    error = -1.0;
  }
}

void sf_FitEllipse(const std::vector<sgEdgelet>& edgelets, sgEllipse& ellipse, double& error) {
  sf_FitEllipse(sgcntr::positionsOf(edgelets), ellipse, error);
}

double sf_StdDev(const std::vector<double>& values) {
  if (values.empty()) return std::numeric_limits<double>::quiet_NaN();
  const double n = static_cast<double>(values.size());
  double sum = 0.0;
  for (double v : values) sum += v;
  const double mean = sum / n;
  double squares = 0.0;
  for (double v : values) squares += (v - mean) * (v - mean);
  return std::sqrt(squares / n);
}
