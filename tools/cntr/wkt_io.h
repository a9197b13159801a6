#pragma once
#include <string>
#include <vector>

#include "shape.h"

namespace cntr {

/// Reads a sequence of WKT geometries separated by white space (or ';'): POLYGON becomes a
/// region (the first ring its outline, the others its holes), MULTIPOLYGON a region set and
/// LINESTRING a contour, closed when its last point repeats the first. The repeated closing
/// point of a ring is dropped. Shapes are named by position. Throws InputError with the line
/// and column of the first token that does not fit.
std::vector<ShapeData> parseWktShapes(const std::string& text, const std::string& source);

/// One geometry per line: a contour as LINESTRING (closed ones end on their first point), a
/// region or an edgelet chain as POLYGON, a region set as MULTIPOLYGON. Names, labels and the
/// edgelets' magnitudes and directions have no place in WKT and are left out.
std::string formatWktShapes(const std::vector<ShapeData>& shapeDataList);

/// Shortest decimal text that reads back as the same double.
std::string formatNumber(double value);

}  // namespace cntr
