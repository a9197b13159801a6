#include "cntr/geosoracle.h"

#include <cstdio>
#include <stdexcept>

namespace geostest {

Geos::Geos() : context_(GEOS_init_r()) {
  if (!context_) throw std::runtime_error("GEOS did not start");
  GEOSContext_setErrorMessageHandler_r(
      context_, [](const char* message, void*) { std::fprintf(stderr, "GEOS: %s\n", message); }, nullptr);
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

bool Geos::intersects(const GEOSGeometry* a, const GEOSGeometry* b) const {
  const char answer = GEOSIntersects_r(context_, a, b);
  if (answer == 2) throw std::runtime_error("GEOS intersects failed");
  return answer == 1;
}

Geos::Geometry Geos::unionOf(const std::vector<Points>& polygons) const {
  std::vector<GEOSGeometry*> parts;
  for (const Points& points : polygons) parts.push_back(polygon(points).release());
  const Geometry all = own(GEOSGeom_createCollection_r(context_, GEOS_GEOMETRYCOLLECTION, parts.data(),
                                                       static_cast<unsigned>(parts.size())));
  return own(GEOSUnaryUnion_r(context_, all.get()));
}

Geos::Geometry Geos::facesOf(const Points& outline) const {
  const Geometry noded = own(GEOSNode_r(context_, line(outline, true).get()));
  const GEOSGeometry* lines[] = {noded.get()};
  return own(GEOSPolygonize_r(context_, lines, 1));
}

Geos::Geometry Geos::enclosedBy(const Points& outline) const {
  return own(GEOSUnaryUnion_r(context_, facesOf(outline).get()));
}

namespace {

// Winding number of the closed outline around p (Sunday's crossing rule with signs).
int windingNumber(const Points& outline, double x, double y) {
  int winding = 0;
  for (std::size_t i = 0; i < outline.size(); ++i) {
    const sgVector<2>& a = outline[i];
    const sgVector<2>& b = outline[(i + 1) % outline.size()];
    const double side = (b.x() - a.x()) * (y - a.y()) - (x - a.x()) * (b.y() - a.y());
    if (a.y() <= y && b.y() > y && side > 0) ++winding;
    if (a.y() > y && b.y() <= y && side < 0) --winding;
  }
  return winding;
}

}  // namespace

double Geos::nonzeroWindingArea(const Points& outline) const {
  const Geometry faces = facesOf(outline);
  double sum = 0.0;
  for (int k = 0; k < GEOSGetNumGeometries_r(context_, faces.get()); ++k) {
    const GEOSGeometry* face = GEOSGetGeometryN_r(context_, faces.get(), k);
    const Geometry inside = own(GEOSPointOnSurface_r(context_, face));
    double x = 0.0, y = 0.0;
    GEOSGeomGetX_r(context_, inside.get(), &x);
    GEOSGeomGetY_r(context_, inside.get(), &y);
    if (windingNumber(outline, x, y) != 0) sum += area(face);
  }
  return sum;
}

double Geos::exteriorArea(const GEOSGeometry* g) const {
  double sum = 0.0;
  for (int k = 0; k < GEOSGetNumGeometries_r(context_, g); ++k) {
    const GEOSGeometry* part = GEOSGetGeometryN_r(context_, g, k);
    if (GEOSGeomTypeId_r(context_, part) != GEOS_POLYGON || GEOSisEmpty_r(context_, part) == 1) continue;
    GEOSGeometry* ring = GEOSGeom_clone_r(context_, GEOSGetExteriorRing_r(context_, part));
    sum += area(own(GEOSGeom_createPolygon_r(context_, ring, nullptr, 0)).get());
  }
  return sum;
}

}  // namespace geostest
