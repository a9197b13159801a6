#pragma once
#include <vector>

#include "lynstd/matrix.h"

/// A point, as returned by line intersections and projections.
class LYNSTD_API sgPoint {
 public:
  sgPoint() = default;
  explicit sgPoint(const sgVector<2>& p) : p_(p) {}
  const sgVector<2>& position() const { return p_; }
  double distToPoint(const sgVector<2>& q) const { return p_.distance(q); }

 private:
  sgVector<2> p_;
};

/// An infinite line, held as a point on it and a unit direction.
/// The default line is the x axis.
class LYNSTD_API sgLine {
 public:
  sgLine() = default;
  /// The line through two points; equal points give a line with NaN direction.
  sgLine(const sgVector<2>& p1, const sgVector<2>& p2) : p_(p1), u_((p2 - p1).unit()) {}
  const sgVector<2>& point() const { return p_; }
  const sgVector<2>& direction() const { return u_; }

  /// True when the unit directions' cross product is within 1e-15 of 0 (the rounding level of
  /// a unit vector), so that collinear edges computed from different points count as parallel.
  bool isParallel(const sgLine& o) const;
  /// The common point; throws sgMathError::Singular for exactly parallel lines.
  sgPoint intersect(const sgLine& o) const;
  /// Foot of the perpendicular from q.
  sgPoint proj(const sgVector<2>& q) const;
  /// Distance from q to the infinite line.
  double distToPoint(const sgVector<2>& q) const;

 private:
  sgVector<2> p_{0.0, 0.0};
  sgVector<2> u_{1.0, 0.0};
};

/// A closed segment from `p1()` to `p2()`. The default segment is the point (0, 0).
class LYNSTD_API sgLineSeg {
 public:
  sgLineSeg() = default;
  sgLineSeg(const sgVector<2>& p1, const sgVector<2>& p2) : p1_(p1), p2_(p2) {}
  const sgVector<2>& p1() const { return p1_; }
  const sgVector<2>& p2() const { return p2_; }
  sgLine line() const { return sgLine(p1_, p2_); }
  double length() const { return p1_.distance(p2_); }
  /// Distance from q to the nearest point of the closed segment (NaN in, NaN out).
  double distToPoint(const sgVector<2>& q) const;

 private:
  sgVector<2> p1_, p2_;
};

/// An axis-aligned rectangle from an origin (lowest x and y) and a size.
class LYNSTD_API sgRect {
 public:
  sgRect() = default;
  sgRect(const sgVector<2>& origin, const sgVector<2>& size) : o_(origin), s_(size) {}
  const sgVector<2>& origin() const { return o_; }
  const sgVector<2>& size() const { return s_; }
  double x() const { return o_.x(); }
  double y() const { return o_.y(); }
  double width() const { return s_.x(); }
  double height() const { return s_.y(); }
  /// The smallest rectangle holding both.
  sgRect enclose(const sgRect& o) const;
  /// True when p lies in the closed rectangle (edges included).
  bool within(const sgVector<2>& p) const;
  bool operator==(const sgRect& o) const { return o_ == o.o_ && s_ == o.s_; }

 private:
  sgVector<2> o_, s_;
};

/// A circle from centre and radius.
class LYNSTD_API sgCircle {
 public:
  sgCircle() = default;
  sgCircle(const sgVector<2>& center, double radius) : c_(center), r_(radius) {}
  const sgVector<2>& center() const { return c_; }
  double radius() const { return r_; }
  bool operator==(const sgCircle& o) const { return c_ == o.c_ && r_ == o.r_; }

 private:
  sgVector<2> c_;
  double r_ = 0.0;
};

/// An ellipse: centre, radius `r1` along the direction `rotation`, radius `r2` across it.
/// The default ellipse has centre (0, 0) and both radii 0.
class LYNSTD_API sgEllipse {
 public:
  /// The geometry record an ellipse is built from.
  struct sgEllipseGeom {
    sgVector<2> center;
    double r1 = 0.0;
    double r2 = 0.0;
    sgRadian rotation;
    unsigned long flags = 0;
  };
  sgEllipse() = default;
  explicit sgEllipse(const sgEllipseGeom& g) : g_(g) {}
  explicit sgEllipse(const sgCircle& c) : g_{c.center(), c.radius(), c.radius(), sgRadian(0.0), 0} {}
  const sgEllipseGeom& geom() const { return g_; }
  const sgVector<2>& center() const { return g_.center; }
  double r1() const { return g_.r1; }
  double r2() const { return g_.r2; }
  sgRadian rotation() const { return g_.rotation; }
  bool operator==(const sgEllipse& o) const {
    return g_.center == o.g_.center && g_.r1 == o.g_.r1 && g_.r2 == o.g_.r2 && g_.rotation == o.g_.rotation &&
           g_.flags == o.g_.flags;
  }

 private:
  sgEllipseGeom g_;
};

/// A vertex list with a fill rule.
class LYNSTD_API sgPolygon {
 public:
  enum FillMode { eEvenOdd = 0, eNonZeroWinding = 1 };
  sgPolygon() = default;
  sgPolygon(const std::vector<sgVector<2>>& points, FillMode mode) : pts_(points), mode_(mode) {}
  long size() const { return static_cast<long>(pts_.size()); }
  /// Vertex i; throws std::out_of_range outside 0 .. size()-1.
  const sgVector<2>& operator[](long i) const { return pts_.at(static_cast<std::size_t>(i)); }
  const std::vector<sgVector<2>>& points() const { return pts_; }
  FillMode fillMode() const { return mode_; }

 private:
  std::vector<sgVector<2>> pts_;
  FillMode mode_ = eEvenOdd;
};
