// Direct least-squares ellipse fit: Fitzgibbon, Pilu and Fisher, "Direct least square fitting of
// ellipses" (1999), in the numerically stable form of Halir and Flusser, "Numerically stable direct
// least squares fitting of ellipses" (1998).
#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "fit_detail.h"
#include "lynstd/fit.h"

namespace {

using Vec3 = std::array<double, 3>;
using Mat3 = std::array<Vec3, 3>;

constexpr double kPi = 3.141592653589793238462643383279502884;

Mat3 mul(const Mat3& a, const Mat3& b) {
  Mat3 r{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) r[i][j] += a[i][k] * b[k][j];
  return r;
}

Vec3 mul(const Mat3& a, const Vec3& v) {
  Vec3 r{};
  for (int i = 0; i < 3; ++i)
    for (int k = 0; k < 3; ++k) r[i] += a[i][k] * v[k];
  return r;
}

Mat3 transpose(const Mat3& a) {
  Mat3 r{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r[i][j] = a[j][i];
  return r;
}

Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

double norm(const Vec3& v) { return std::hypot(v[0], v[1], v[2]); }

double det(const Mat3& a) {
  return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
         a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
         a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
}

/// Inverse by cofactors; false when the matrix is singular (or not finite).
bool inverse(const Mat3& a, Mat3& inv) {
  const double d = det(a);
  if (!(d != 0.0) || !std::isfinite(d)) return false;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      // Cofactor of a[j][i] (transposed for the adjugate), with cyclic indices for the sign.
      const int r0 = (j + 1) % 3, r1 = (j + 2) % 3, c0 = (i + 1) % 3, c1 = (i + 2) % 3;
      inv[i][j] = (a[r0][c0] * a[r1][c1] - a[r0][c1] * a[r1][c0]) / d;
    }
  return true;
}

/// The real eigenvalues of a 3 x 3 matrix, largest first, from its characteristic polynomial
/// (trigonometric form for three real roots, Cardano for one), each polished by Newton steps.
std::vector<double> realEigenvalues(const Mat3& m) {
  const double tr = m[0][0] + m[1][1] + m[2][2];
  const double c1 = m[0][0] * m[1][1] - m[0][1] * m[1][0] + m[0][0] * m[2][2] - m[0][2] * m[2][0] +
                    m[1][1] * m[2][2] - m[1][2] * m[2][1];
  const double c0 = det(m);
  // lambda^3 - tr lambda^2 + c1 lambda - c0 = 0; lambda = t + tr/3 gives t^3 + p t + q = 0.
  const double s = tr / 3.0;
  const double p = c1 - tr * s;
  const double q = -2.0 * s * s * s + s * c1 - c0;
  std::vector<double> roots;
  if (p < 0.0) {
    const double r = std::sqrt(-p / 3.0);
    const double arg = std::clamp(-q / (2.0 * r * r * r), -1.0, 1.0);
    const double phi = std::acos(arg) / 3.0;
    for (int k = 0; k < 3; ++k) roots.push_back(s + 2.0 * r * std::cos(phi - 2.0 * kPi * k / 3.0));
  } else {
    const double disc = std::sqrt(q * q / 4.0 + p * p * p / 27.0);
    roots.push_back(s + std::cbrt(-q / 2.0 + disc) + std::cbrt(-q / 2.0 - disc));
  }
  auto f = [&](double l) { return ((l - tr) * l + c1) * l - c0; };
  auto df = [&](double l) { return (3.0 * l - 2.0 * tr) * l + c1; };
  for (double& l : roots) {
    for (int it = 0; it < 3; ++it) {
      const double d = df(l);
      if (d == 0.0) break;
      const double next = l - f(l) / d;
      if (!std::isfinite(next) || !(std::fabs(f(next)) < std::fabs(f(l)))) break;
      l = next;
    }
  }
  std::sort(roots.begin(), roots.end(), [](double a, double b) { return a > b; });
  return roots;
}

/// A unit eigenvector of m for eigenvalue l: the null vector of m - l I, as the largest cross
/// product of two of its rows (the rows span the plane orthogonal to it). False when none is found.
bool eigenvector(const Mat3& m, double l, Vec3& v) {
  Mat3 a = m;
  for (int i = 0; i < 3; ++i) a[i][i] -= l;
  const Vec3 c[3] = {cross(a[0], a[1]), cross(a[0], a[2]), cross(a[1], a[2])};
  int best = 0;
  double bestNorm = norm(c[0]);
  for (int i = 1; i < 3; ++i)
    if (norm(c[i]) > bestNorm) best = i, bestNorm = norm(c[i]);
  if (!(bestNorm > 0.0) || !std::isfinite(bestNorm)) return false;
  for (int i = 0; i < 3; ++i) v[i] = c[best][i] / bestNorm;
  return true;
}

/// The conditioning frame of the ellipse fit: u = W (p - mean), with W = diag(1/sx, 1/sy) R' the
/// rotation R' onto the points' principal axes followed by division by the RMS spread along each
/// axis. The fit's points then have mean 0 and unit spread in every direction.
///
/// Why an affine frame and not only a uniform scale: the direct fit is affine-invariant (the
/// residuals f(p) are unchanged when the conic is carried along, and 4AC - B^2 = 4 det Q changes by
/// the constant factor det(W)^2), so the frame changes nothing but the rounding. With a uniform scale
/// the conic of a thin ellipse has coefficients of very different sizes and the fit loses about
/// 1/aspect^2 in precision (0.6% in the radii at an aspect of 1000); in this frame it does not.
struct AffineFrame {
  sgVector<2> mean;
  double scale = 1.0;             // uniform scale applied first (guards the squares against overflow)
  double cosA = 1.0, sinA = 0.0;  // principal axes
  double sx = 1.0, sy = 1.0;      // RMS spread along them, after the uniform scale

  sgVector<2> to(const sgVector<2>& p) const {
    const sgVector<2> q = (p - mean) / scale;
    return {(cosA * q.x() + sinA * q.y()) / sx, (-sinA * q.x() + cosA * q.y()) / sy};
  }
  /// The inverse map p = mean + G u, as the matrix G = scale R diag(sx, sy).
  sgMatrix<2> back() const {
    return {scale * cosA * sx, -scale * sinA * sy, scale * sinA * sx, scale * cosA * sy};
  }
};

/// A conic A x^2 + B x y + C y^2 + D x + E y + F = 0 in the coordinates of the frame, and the
/// ellipse it describes in the caller's coordinates.
struct EllipseModel {
  AffineFrame frame;
  double k[6] = {};
  sgEllipse ellipse;
};

[[noreturn]] void fail(const std::wstring& why) { throw sgFitError(L"sfEllipseFit: " + why); }

/// Spreads across the best line below this fraction of the spread along it count as collinear.
constexpr double kCollinearSpread = 1e-8;

/// The frame of at least two distinct finite points; throws when they are collinear.
AffineFrame affineFrame(const std::vector<sgVector<2>>& pts) {
  const sgfitdetail::Frame iso = sgfitdetail::conditioningFrame(pts);
  AffineFrame f;
  f.mean = iso.mean;
  f.scale = iso.scale;
  double cxx = 0.0, cxy = 0.0, cyy = 0.0;
  for (const sgVector<2>& p : pts) {
    const sgVector<2> q = iso.to(p);
    cxx += q.x() * q.x(), cxy += q.x() * q.y(), cyy += q.y() * q.y();
  }
  const double a = 0.5 * std::atan2(2.0 * cxy, cxx - cyy);  // direction of the larger spread
  f.cosA = std::cos(a);
  f.sinA = std::sin(a);
  // Spreads from the projections themselves: no cancellation for nearly collinear points.
  double ssx = 0.0, ssy = 0.0;
  for (const sgVector<2>& p : pts) {
    const sgVector<2> q = iso.to(p);
    const double x = f.cosA * q.x() + f.sinA * q.y(), y = -f.sinA * q.x() + f.cosA * q.y();
    ssx += x * x, ssy += y * y;
  }
  const double n = static_cast<double>(pts.size());
  f.sx = std::sqrt(ssx / n);
  f.sy = std::sqrt(ssy / n);
  if (!(f.sy > kCollinearSpread * f.sx)) fail(L"the points are collinear");
  return f;
}

/// Centre, radii and orientation of the conic; throws when it is not a real ellipse.
/// r1 is the major radius and `rotation` its direction, in [0, pi).
sgEllipse ellipseOfConic(const AffineFrame& frame, double k[6]) {
  // Make the quadratic part positive definite (the conic is defined up to a factor).
  if (k[0] + k[2] < 0.0)
    for (int i = 0; i < 6; ++i) k[i] = -k[i];
  const double A = k[0], B = k[1], C = k[2], D = k[3], E = k[4], F = k[5];
  const double den = 4.0 * A * C - B * B;
  if (!(den > 0.0))
    fail(L"the best-fitting conic is not an ellipse (4AC - B^2 = " + std::to_wstring(den) + L")");
  const double x0 = (B * E - 2.0 * C * D) / den;
  const double y0 = (B * D - 2.0 * A * E) / den;
  const double f0 = F + 0.5 * (D * x0 + E * y0);  // conic value at the centre
  if (!(-f0 > 0.0)) fail(L"the best-fitting conic is an imaginary or point ellipse");
  // In the frame the ellipse is (u - u0)' Q (u - u0) = -f0, Q = [[A, B/2], [B/2, C]]. With Q's
  // eigenvalues l1 >= l2 > 0 (the smaller from the product, to keep its precision) along the
  // rotation V, it is u = u0 + V diag(rho1, rho2) (cos t, sin t), rho = sqrt(-f0 / l).
  const double root = std::hypot(0.5 * (A - C), 0.5 * B);
  const double l1 = 0.5 * (A + C) + root;
  const double l2 = (0.25 * den) / l1;
  const double rho1 = std::sqrt(-f0 / l1), rho2 = std::sqrt(-f0 / l2);
  const double v = 0.5 * std::atan2(B, A - C);
  const double cv = std::cos(v), sv = std::sin(v);
  // In the caller's coordinates: p = c + M (cos t, sin t), M = back() V diag(rho1, rho2). The radii
  // are M's singular values and r1's direction its first left singular vector (closed-form 2 x 2
  // SVD, J. Blinn, "Consider the lowly 2x2 matrix", 1996); the smaller singular value comes from
  // |det M| = scale^2 sx sy rho1 rho2, again to keep its precision for thin ellipses.
  const sgMatrix<2> g = frame.back();
  const sgMatrix<2> m = g * sgMatrix<2>(cv * rho1, -sv * rho2, sv * rho1, cv * rho2);
  const double e = 0.5 * (m(0, 0) + m(1, 1)), ff = 0.5 * (m(0, 0) - m(1, 1));
  const double gg = 0.5 * (m(1, 0) + m(0, 1)), hh = 0.5 * (m(1, 0) - m(0, 1));
  const double q = std::hypot(e, hh), r = std::hypot(ff, gg);
  const double r1 = q + r;
  const double r2 = (frame.scale * frame.sx) * (frame.scale * frame.sy) * rho1 * rho2 / r1;
  double rot = 0.0;
  if (r > 0.0) {  // otherwise a circle: any direction, 0 is taken
    rot = std::fmod(0.5 * (std::atan2(hh, e) + std::atan2(gg, ff)), kPi);
    if (rot < 0.0) rot += kPi;
    if (rot >= kPi) rot = 0.0;
  }
  sgEllipse::sgEllipseGeom geom;
  geom.center = frame.mean + g * sgVector<2>(x0, y0);
  geom.r1 = r1;
  geom.r2 = std::min(r2, r1);  // equal up to rounding for a circle
  geom.rotation = sgRadian(rot);
  if (!std::isfinite(geom.center.x()) || !std::isfinite(geom.center.y()) || !std::isfinite(geom.r1) ||
      !(geom.r2 > 0.0))
    fail(L"the best-fitting conic gives no finite ellipse");
  return sgEllipse(geom);
}

/// The direct least-squares fit of the given finite points (at least 5 distinct).
EllipseModel fitEllipse(const std::vector<sgVector<2>>& pts) {
  const std::size_t distinct = sgfitdetail::distinctCount(pts);
  if (distinct < 5)
    fail(L"at least 5 distinct points with finite coordinates are needed, got " + std::to_wstring(distinct));
  EllipseModel m;
  m.frame = affineFrame(pts);

  // Scatter matrices of the quadratic terms d1 = (x^2, xy, y^2) and linear terms d2 = (x, y, 1),
  // averaged over the points: S1 = <d1 d1'>, S2 = <d1 d2'>, S3 = <d2 d2'>.
  Mat3 s1{}, s2{}, s3{};
  for (const sgVector<2>& p : pts) {
    const sgVector<2> u = m.frame.to(p);
    const Vec3 d1 = {u.x() * u.x(), u.x() * u.y(), u.y() * u.y()};
    const Vec3 d2 = {u.x(), u.y(), 1.0};
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) {
        s1[i][j] += d1[i] * d1[j];
        s2[i][j] += d1[i] * d2[j];
        s3[i][j] += d2[i] * d2[j];
      }
  }
  const double n = static_cast<double>(pts.size());
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) s1[i][j] /= n, s2[i][j] /= n, s3[i][j] /= n;

  Mat3 s3inv;
  if (!inverse(s3, s3inv)) fail(L"the points are collinear");

  // The linear part follows from the quadratic part: a2 = T a1 with T = -S3^-1 S2'. What remains
  // is the reduced scatter R = S1 + S2 T (symmetric positive semi-definite) and the generalised
  // problem R a1 = lambda C1 a1, C1 = [[0,0,2],[0,-1,0],[2,0,0]] (a1' C1 a1 = 4AC - B^2).
  Mat3 t = mul(s3inv, transpose(s2));
  for (auto& row : t)
    for (double& x : row) x = -x;
  Mat3 r = mul(s2, t);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r[i][j] += s1[i][j];
  for (int i = 0; i < 3; ++i)
    for (int j = i + 1; j < 3; ++j) r[i][j] = r[j][i] = 0.5 * (r[i][j] + r[j][i]);
  // M = C1^-1 R. Since a1' R a1 = lambda a1' C1 a1 with R positive (semi-)definite and C1 of one
  // positive and two negative eigenvalues, exactly one eigenvalue is >= 0 and its eigenvector is
  // the ellipse (a1' C1 a1 > 0); it is the largest one. (It is 0 for points exactly on an ellipse.)
  Mat3 mm;
  for (int j = 0; j < 3; ++j) {
    mm[0][j] = 0.5 * r[2][j];
    mm[1][j] = -r[1][j];
    mm[2][j] = 0.5 * r[0][j];
  }
  const std::vector<double> eig = realEigenvalues(mm);
  bool found = false;
  Vec3 a1{};
  for (double l : eig) {  // largest first; later ones only if rounding spoiled the first
    Vec3 v;
    if (!std::isfinite(l) || !eigenvector(mm, l, v)) continue;
    if (4.0 * v[0] * v[2] - v[1] * v[1] > 0.0) {
      a1 = v;
      found = true;
      break;
    }
  }
  if (!found) fail(L"the eigenvector solve found no ellipse solution");
  const Vec3 a2 = mul(t, a1);
  for (int i = 0; i < 3; ++i) m.k[i] = a1[i], m.k[i + 3] = a2[i];
  m.ellipse = ellipseOfConic(m.frame, m.k);
  return m;
}

/// First-order (Sampson) distance |f| / |grad f| from p to the model's conic, in the caller's
/// units: f is the same in both coordinates and the caller's gradient is W' times the frame's,
/// whose length is |diag(1/sx, 1/sy) grad| / scale. At the centre, where the gradient vanishes,
/// the exact distance is the minor radius.
double sampsonDistance(const EllipseModel& m, const sgVector<2>& p) {
  const sgVector<2> u = m.frame.to(p);
  const double x = u.x(), y = u.y();
  const double* k = m.k;
  const double f = k[0] * x * x + k[1] * x * y + k[2] * y * y + k[3] * x + k[4] * y + k[5];
  const double gx = (2.0 * k[0] * x + k[1] * y + k[3]) / m.frame.sx;
  const double gy = (k[1] * x + 2.0 * k[2] * y + k[4]) / m.frame.sy;
  const double g = std::hypot(gx, gy) / m.frame.scale;
  if (g == 0.0) return m.ellipse.r2();
  return std::fabs(f) / g;
}

}  // namespace

void sfEllipseFit(const sgEllipseFitParams& params, const std::vector<sgVector<2>>& points,
                  sgEllipseFitResults& results) {
  // eFitLeastSquares is the only mode; rotationHint is not used by it.
  if (params.mode != eFitLeastSquares)
    fail(L"unknown fit mode " + std::to_wstring(static_cast<long>(params.mode)));
  const std::vector<sgVector<2>> usable = sgfitdetail::finitePoints(points);
  std::vector<sgVector<2>> used;
  const EllipseModel model =
      sgfitdetail::fitWithRefinement(usable, params.refineIterations, params.outlierDistance, 5,
                                     L"sfEllipseFit", fitEllipse, sampsonDistance, used);
  double ss = 0.0;
  for (const sgVector<2>& p : used) {
    const double d = sampsonDistance(model, p);
    ss += d * d;
  }
  results.ellipse = model.ellipse;
  results.error = std::sqrt(ss / static_cast<double>(used.size()));
}
