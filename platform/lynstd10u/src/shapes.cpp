#include "lynstd/shapes.h"

#include <cmath>
#include <limits>

#include "lynstd/exceptions.h"

namespace {

/// z component of the cross product a x b.
double cross(const sgVector<2>& a, const sgVector<2>& b) { return a.x() * b.y() - a.y() * b.x(); }

bool hasNaN(const sgVector<2>& v) { return std::isnan(v.x()) || std::isnan(v.y()); }

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

/// The interval covered by an origin coordinate and a size (a negative size extends downwards).
struct Interval {
  double lo, hi;
};
Interval span(double origin, double size) {
  const double end = origin + size;
  return size >= 0.0 ? Interval{origin, end} : Interval{end, origin};
}

/// min and max that give NaN when either operand is NaN (std::min/max would depend on the
/// operand order, fmin/fmax would drop the NaN).
double minOf(double a, double b) { return (std::isnan(a) || std::isnan(b)) ? kNaN : (b < a ? b : a); }
double maxOf(double a, double b) { return (std::isnan(a) || std::isnan(b)) ? kNaN : (b > a ? b : a); }

/// Closed-interval test written with the same subtraction that enclose() uses to compute the
/// size: a coordinate that produced the far edge then tests inside exactly, with no rounding gap.
bool inSpan(double p, double origin, double size) {
  if (size >= 0.0) return p >= origin && p - origin <= size;
  return p <= origin && origin - p <= -size;
}

}  // namespace

// ---- sgLine ------------------------------------------------------------------------------------

bool sgLine::isParallel(const sgLine& o) const {
  // Both directions are unit vectors, so the cross product is the sine of the angle between
  // them; 1e-15 is a few roundings of a unit vector. A NaN direction is parallel to nothing.
  return std::fabs(cross(u_, o.u_)) <= 1e-15;
}

sgPoint sgLine::intersect(const sgLine& o) const {
  // p + s u = q + t v  =>  s = ((q - p) x v) / (u x v).
  const double d = cross(u_, o.u_);
  if (d == 0.0) throw sgMathError::Singular();
  const double s = cross(o.p_ - p_, o.u_) / d;
  return sgPoint(p_ + u_ * s);
}

sgPoint sgLine::proj(const sgVector<2>& q) const { return sgPoint(p_ + u_ * ((q - p_) * u_)); }

double sgLine::distToPoint(const sgVector<2>& q) const { return std::fabs(cross(u_, q - p_)); }

// ---- sgLineSeg ---------------------------------------------------------------------------------

double sgLineSeg::distToPoint(const sgVector<2>& q) const {
  // Explicit, because hypot(inf, NaN) is inf: a NaN anywhere must give NaN.
  if (hasNaN(q) || hasNaN(p1_) || hasNaN(p2_)) return kNaN;
  const sgVector<2> d = p2_ - p1_;
  const double len = d.len();
  if (len == 0.0) return q.distance(p1_);
  // Working with the unit direction (rather than t = (q - p1).d / |d|^2) avoids overflow of |d|^2
  // for huge coordinates, and the perpendicular distance from the cross product is more accurate
  // than the distance to a computed foot point.
  const sgVector<2> u = d / len;
  const sgVector<2> w = q - p1_;
  const double s = w * u;
  if (s <= 0.0) return q.distance(p1_);
  if (s >= len) return q.distance(p2_);
  return std::fabs(cross(u, w));
}

// ---- sgRect ------------------------------------------------------------------------------------

sgRect sgRect::enclose(const sgRect& o) const {
  const Interval ax = span(o_.x(), s_.x()), ay = span(o_.y(), s_.y());
  const Interval bx = span(o.o_.x(), o.s_.x()), by = span(o.o_.y(), o.s_.y());
  const double x0 = minOf(ax.lo, bx.lo), x1 = maxOf(ax.hi, bx.hi);
  const double y0 = minOf(ay.lo, by.lo), y1 = maxOf(ay.hi, by.hi);
  return sgRect(sgVector<2>(x0, y0), sgVector<2>(x1 - x0, y1 - y0));
}

bool sgRect::within(const sgVector<2>& p) const {
  return inSpan(p.x(), o_.x(), s_.x()) && inSpan(p.y(), o_.y(), s_.y());
}
