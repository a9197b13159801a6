#include "cntr/geosoracle.h"

#include <stdexcept>

namespace geostest {

Geos::Geos() : context_(GEOS_init_r()) {
  if (!context_) throw std::runtime_error("GEOS did not start");
}

Geos::~Geos() { GEOS_finish_r(context_); }

// GEOS reports failures by returning null (or 0 for predicates, 2 for an exception); the tests
// must not compare with an answer GEOS did not give.
Geos::Geometry Geos::own(GEOSGeometry* g) const {
  if (!g) throw std::runtime_error("GEOS failed");
  return Geometry(g, [context = context_](GEOSGeometry* p) { GEOSGeom_destroy_r(context, p); });
}

GEOSCoordSequence* Geos::sequence(const Points& points, bool closed) const {
  const unsigned size = static_cast<unsigned>(points.size() + (closed ? 1 : 0));
  GEOSCoordSequence* s = GEOSCoordSeq_create_r(context_, size, 2);
  for (unsigned i = 0; i < size; ++i) {
    const sgVector<2>& p = points[i % points.size()];
    GEOSCoordSeq_setXY_r(context_, s, i, p.x(), p.y());
  }
  return s;
}

Geos::Geometry Geos::polygon(const Points& points, const std::vector<Points>& holes) const {
  const auto ring = [&](const Points& p) {
    GEOSGeometry* r = GEOSGeom_createLinearRing_r(context_, sequence(p, true));
    if (!r) throw std::runtime_error("GEOS refused a ring");
    return r;
  };
  GEOSGeometry* shell = ring(points);
  std::vector<GEOSGeometry*> inner;
  for (const Points& h : holes) inner.push_back(ring(h));
  return own(GEOSGeom_createPolygon_r(context_, shell, inner.data(), static_cast<unsigned>(inner.size())));
}

sgVector<2> Geos::centroid(const GEOSGeometry* g) const {
  const Geometry c = own(GEOSGetCentroid_r(context_, g));
  double x = 0.0, y = 0.0;
  if (!GEOSGeomGetX_r(context_, c.get(), &x) || !GEOSGeomGetY_r(context_, c.get(), &y))
    throw std::runtime_error("GEOS centroid failed");
  return sgVector<2>(x, y);
}

Geos::Geometry Geos::line(const Points& points, bool closed) const {
  return own(GEOSGeom_createLineString_r(context_, sequence(points, closed)));
}

bool Geos::isSimple(const GEOSGeometry* g) const {
  const char answer = GEOSisSimple_r(context_, g);
  if (answer == 2) throw std::runtime_error("GEOS isSimple failed");
  return answer == 1;
}

double Geos::area(const GEOSGeometry* g) const {
  double a = 0.0;
  if (!GEOSArea_r(context_, g, &a)) throw std::runtime_error("GEOS area failed");
  return a;
}

int Geos::parts(const GEOSGeometry* g) const { return GEOSGetNumGeometries_r(context_, g); }

Geos::Geometry Geos::unionOf(const GEOSGeometry* a, const GEOSGeometry* b) const {
  return own(GEOSUnion_r(context_, a, b));
}
Geos::Geometry Geos::intersection(const GEOSGeometry* a, const GEOSGeometry* b) const {
  return own(GEOSIntersection_r(context_, a, b));
}
Geos::Geometry Geos::difference(const GEOSGeometry* a, const GEOSGeometry* b) const {
  return own(GEOSDifference_r(context_, a, b));
}
Geos::Geometry Geos::symDifference(const GEOSGeometry* a, const GEOSGeometry* b) const {
  return own(GEOSSymDifference_r(context_, a, b));
}
Geos::Geometry Geos::boundary(const GEOSGeometry* g) const { return own(GEOSBoundary_r(context_, g)); }

}  // namespace geostest
