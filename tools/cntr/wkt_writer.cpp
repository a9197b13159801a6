#include <charconv>

#include "wkt_io.h"

namespace cntr {

std::string formatNumber(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

namespace {

// "(x y, x y, ...)", repeating the first point at the end when `close` is set.
std::string formatPointList(const Ring& points, bool close) {
  std::string out = "(";
  for (std::size_t i = 0; i < points.size(); ++i)
    out += (i ? ", " : "") + formatNumber(points[i].x()) + " " + formatNumber(points[i].y());
  if (close && !points.empty()) out += ", " + formatNumber(points[0].x()) + " " + formatNumber(points[0].y());
  return out + ")";
}

std::string formatPolygonText(const Ring& outer, const std::vector<Ring>& holes) {
  if (outer.empty()) return "EMPTY";
  std::string out = "(" + formatPointList(outer, true);
  for (const Ring& hole : holes) out += ", " + formatPointList(hole, true);
  return out + ")";
}

Ring collectPositions(const std::vector<sgEdgelet>& edgelets) {
  Ring points;
  for (const sgEdgelet& e : edgelets) points.push_back(e.position());
  return points;
}

std::string formatGeometry(const ShapeData& shapeData) {
  switch (shapeData.kind) {
    case ShapeKind::Contour:
      return "LINESTRING " + (shapeData.points.empty() ? std::string("EMPTY")
                                                       : formatPointList(shapeData.points, shapeData.closed));
    case ShapeKind::Region:
      return "POLYGON " + formatPolygonText(shapeData.points, shapeData.holes);
    case ShapeKind::Edgelets:
      return "POLYGON " + formatPolygonText(collectPositions(shapeData.edgelets), {});
    case ShapeKind::RegionSet: {
      if (shapeData.regions.empty()) return "MULTIPOLYGON EMPTY";
      std::string out = "MULTIPOLYGON (";
      for (std::size_t i = 0; i < shapeData.regions.size(); ++i)
        out += (i ? ", " : "") + formatPolygonText(shapeData.regions[i].outer, shapeData.regions[i].holes);
      return out + ")";
    }
  }
  return {};
}

}  // namespace

std::string formatWktShapes(const std::vector<ShapeData>& shapeDataList) {
  std::string out;
  for (const ShapeData& shapeData : shapeDataList) out += formatGeometry(shapeData) + "\n";
  return out;
}

}  // namespace cntr
