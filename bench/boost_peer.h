#pragma once
// Boost.Geometry models of the inputs: counter-clockwise open rings, as the inputs come.
// Boost 1.74 includes some of its own deprecated headers.
#define BOOST_ALLOW_DEPRECATED_HEADERS
#include <boost/geometry.hpp>
#include <boost/geometry/geometries/linestring.hpp>
#include <boost/geometry/geometries/multi_point.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/polygon.hpp>

#include "inputs.h"

namespace bench {

namespace bg = boost::geometry;
using BoostPoint = bg::model::d2::point_xy<double>;
using BoostPolygon = bg::model::polygon<BoostPoint, /*clockwise=*/false, /*closed=*/false>;
using BoostLine = bg::model::linestring<BoostPoint>;
using BoostPoints = bg::model::multi_point<BoostPoint>;

inline BoostPoint toBoost(const sgVector<2>& p) { return {p.x(), p.y()}; }

inline BoostPolygon toBoostPolygon(const Points& points) {
  BoostPolygon polygon;
  for (const sgVector<2>& p : points) polygon.outer().push_back(toBoost(p));
  return polygon;
}

/// The outline as a closed polyline (first vertex repeated at the end).
inline BoostLine toBoostOutline(const Points& points) {
  BoostLine line;
  for (const sgVector<2>& p : points) line.push_back(toBoost(p));
  line.push_back(toBoost(points.front()));
  return line;
}

inline BoostLine toBoostLine(const sgLineSeg& seg) { return {toBoost(seg.p1()), toBoost(seg.p2())}; }

}  // namespace bench
