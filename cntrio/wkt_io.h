#pragma once
#include <string>

#include "char_source.h"
#include "shape.h"

namespace cntr {

/// Reads a sequence of WKT geometries separated by white space (or ';'), handing each to
/// `sink` as it is read: POLYGON becomes a region (the first ring its outline, the others its
/// holes), MULTIPOLYGON a region set and LINESTRING a contour, closed when its last point
/// repeats the first. The repeated closing point of a ring is dropped. Throws InputError with
/// the line and column of the first token that does not fit.
void readWktShapes(CharSource& in, const ShapeDataSink& sink);

/// One geometry, without a line end: a contour as LINESTRING (closed ones end on their first
/// point), a region or an edgelet chain as POLYGON, a region set as MULTIPOLYGON. Names, labels
/// and the edgelets' magnitudes and directions have no place in WKT and are left out.
std::string formatWktShape(const ShapeData& shape);

}  // namespace cntr
