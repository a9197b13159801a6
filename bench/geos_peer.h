#pragma once
// GEOS through its reentrant C interface (the Debian package ships no C++ headers).
#include <geos_c.h>

#include <memory>
#include <vector>

#include "inputs.h"

namespace bench {

/// The process's one GEOS context; GEOS reports its errors and notices on stderr.
GEOSContextHandle_t geosContext();

struct GeosDeleter {
  void operator()(GEOSGeometry* geometry) const { GEOSGeom_destroy_r(geosContext(), geometry); }
};
using GeosGeometry = std::unique_ptr<GEOSGeometry, GeosDeleter>;

/// The outline as a closed ring.
GeosGeometry toGeosRing(const Points& points);
/// A polygon whose shell is the outline, without holes.
GeosGeometry toGeosPolygon(const Points& points);
/// The outlines as one collection of polygons (which may overlap).
GeosGeometry toGeosCollection(const std::vector<Points>& outlines);

}  // namespace bench
