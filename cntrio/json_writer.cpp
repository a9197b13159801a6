#include <algorithm>
#include <nlohmann/json.hpp>

#include "json_io.h"

namespace cntr {

namespace {

using Json = nlohmann::ordered_json;

Json formatRing(const Ring& ring) {
  Json points = Json::array();
  for (const sgVector<2>& p : ring) points.push_back({p.x(), p.y()});
  return points;
}

Json formatRings(const std::vector<Ring>& rings) {
  Json list = Json::array();
  for (const Ring& ring : rings) list.push_back(formatRing(ring));
  return list;
}

// Twice the signed area: positive when the ring runs counter-clockwise (y up).
double measureTurn(const Ring& ring) {
  double sum = 0.0;
  for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++)
    sum += ring[j].x() * ring[i].y() - ring[i].x() * ring[j].y();
  return sum;
}

// A GeoJSON linear ring: closed by repeating its first position, turned as asked.
Json formatLinearRing(Ring ring, bool rightHand, bool outer) {
  if (rightHand && !ring.empty() && (measureTurn(ring) > 0) != outer) std::reverse(ring.begin(), ring.end());
  if (!ring.empty()) ring.push_back(ring.front());
  return formatRing(ring);
}

Json formatPolygon(const Ring& outer, const std::vector<Ring>& holes, bool rightHand) {
  Json rings = Json::array({formatLinearRing(outer, rightHand, true)});
  for (const Ring& hole : holes) rings.push_back(formatLinearRing(hole, rightHand, false));
  return rings;
}

}  // namespace

std::string formatJsonShape(const ShapeData& shape) {
  Json out;
  out["name"] = shape.name;
  out["type"] = nameKind(shape.kind);
  if (shape.kind != ShapeKind::RegionSet && shape.label != 0) out["label"] = shape.label;
  switch (shape.kind) {
    case ShapeKind::Contour:
      out["closed"] = shape.closed;
      out["points"] = formatRing(shape.points);
      break;
    case ShapeKind::Region:
      out["points"] = formatRing(shape.points);
      if (!shape.holes.empty()) out["holes"] = formatRings(shape.holes);
      break;
    case ShapeKind::RegionSet:
      out["regions"] = Json::array();
      for (const RegionRings& region : shape.regions) {
        Json entry;
        entry["points"] = formatRing(region.outer);
        if (!region.holes.empty()) entry["holes"] = formatRings(region.holes);
        out["regions"].push_back(entry);
      }
      break;
    case ShapeKind::Edgelets:
      out["points"] = Json::array();
      for (const sgEdgelet& e : shape.edgelets)
        out["points"].push_back({e.position().x(), e.position().y(), e.magnitude(), e.angle().code()});
      break;
  }
  return out.dump();
}

std::string formatGeoJsonFeature(const ShapeData& shape, bool rightHand) {
  Json geometry;
  switch (shape.kind) {
    case ShapeKind::Contour: {
      Ring points = shape.points;
      if (shape.closed && !points.empty()) points.push_back(points.front());
      geometry = {{"type", "LineString"}, {"coordinates", formatRing(points)}};
      break;
    }
    case ShapeKind::Region:
      geometry = {{"type", "Polygon"}, {"coordinates", formatPolygon(shape.points, shape.holes, rightHand)}};
      break;
    case ShapeKind::Edgelets:
      geometry = {{"type", "Polygon"},
                  {"coordinates", formatPolygon(collectPositions(shape.edgelets), {}, rightHand)}};
      break;
    case ShapeKind::RegionSet: {
      Json polygons = Json::array();
      for (const RegionRings& region : shape.regions)
        polygons.push_back(formatPolygon(region.outer, region.holes, rightHand));
      geometry = {{"type", "MultiPolygon"}, {"coordinates", polygons}};
      break;
    }
  }
  Json properties{{"name", shape.name}};
  if (shape.label != 0) properties["label"] = shape.label;
  return Json{{"type", "Feature"}, {"properties", properties}, {"geometry", geometry}}.dump();
}

}  // namespace cntr
