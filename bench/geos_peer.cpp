#include "geos_peer.h"

#include <cstdarg>
#include <cstdio>

namespace bench {
namespace {

void printMessage(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  std::fputc('\n', stderr);
  va_end(args);
}

/// Ring geometry owning a fresh coordinate sequence of the outline, closed as GEOS requires.
GEOSGeometry* makeRing(const Points& points) {
  GEOSContextHandle_t context = geosContext();
  const auto n = static_cast<unsigned>(points.size());
  GEOSCoordSequence* sequence = GEOSCoordSeq_create_r(context, n + 1, 2);
  for (unsigned i = 0; i <= n; ++i) {
    const sgVector<2>& p = points[i % n];
    GEOSCoordSeq_setXY_r(context, sequence, i, p.x(), p.y());
  }
  return GEOSGeom_createLinearRing_r(context, sequence);
}

GEOSGeometry* makePolygon(const Points& points) {
  return GEOSGeom_createPolygon_r(geosContext(), makeRing(points), nullptr, 0);
}

}  // namespace

GEOSContextHandle_t geosContext() {
  static const GEOSContextHandle_t context = [] {
    GEOSContextHandle_t c = GEOS_init_r();
    GEOSContext_setNoticeHandler_r(c, printMessage);
    GEOSContext_setErrorHandler_r(c, printMessage);
    return c;
  }();
  return context;
}

GeosGeometry toGeosRing(const Points& points) { return GeosGeometry(makeRing(points)); }

GeosGeometry toGeosPolygon(const Points& points) { return GeosGeometry(makePolygon(points)); }

GeosGeometry toGeosCollection(const std::vector<Points>& outlines) {
  std::vector<GEOSGeometry*> parts;
  parts.reserve(outlines.size());
  for (const Points& outline : outlines) parts.push_back(makePolygon(outline));
  return GeosGeometry(GEOSGeom_createCollection_r(geosContext(), GEOS_GEOMETRYCOLLECTION, parts.data(),
                                                  static_cast<unsigned>(parts.size())));
}

}  // namespace bench
