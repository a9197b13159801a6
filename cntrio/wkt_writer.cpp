#include "text.h"
#include "wkt_io.h"

namespace cntr {

namespace {

void appendPoint(std::string& out, const sgVector<2>& p) {
  out.append(formatNumber(p.x())).append(" ").append(formatNumber(p.y()));
}

// "(x y, x y, ...)", repeating the first point at the end when `close` is set.
void appendPointList(std::string& out, const Ring& points, bool close) {
  out += '(';
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (i) out += ", ";
    appendPoint(out, points[i]);
  }
  if (close && !points.empty()) {
    out += ", ";
    appendPoint(out, points[0]);
  }
  out += ')';
}

void appendPolygonText(std::string& out, const Ring& outer, const std::vector<Ring>& holes) {
  if (outer.empty()) {
    out += "EMPTY";
    return;
  }
  out += '(';
  appendPointList(out, outer, true);
  for (const Ring& hole : holes) {
    out += ", ";
    appendPointList(out, hole, true);
  }
  out += ')';
}

}  // namespace

std::string formatWktShape(const ShapeData& shape) {
  std::string out;
  switch (shape.kind) {
    case ShapeKind::Contour:
      out = "LINESTRING ";
      if (shape.points.empty())
        out += "EMPTY";
      else
        appendPointList(out, shape.points, shape.closed);
      break;
    case ShapeKind::Region:
      out = "POLYGON ";
      appendPolygonText(out, shape.points, shape.holes);
      break;
    case ShapeKind::Edgelets:
      out = "POLYGON ";
      appendPolygonText(out, collectPositions(shape.edgelets), {});
      break;
    case ShapeKind::RegionSet:
      out = "MULTIPOLYGON ";
      if (shape.regions.empty()) {
        out += "EMPTY";
        break;
      }
      out += '(';
      for (std::size_t i = 0; i < shape.regions.size(); ++i) {
        if (i) out += ", ";
        appendPolygonText(out, shape.regions[i].outer, shape.regions[i].holes);
      }
      out += ')';
      break;
  }
  return out;
}

}  // namespace cntr
