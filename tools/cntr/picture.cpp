#include "picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "cntrio/errors.h"
#include "cntrio/text.h"

namespace cntr {

namespace {

constexpr const char* kOutline = "#1e5ac8";
constexpr const char* kFill = "#b4cdf0";
constexpr const char* kHole = "#e67800";
constexpr const char* kTick = "#14963c";
constexpr const char* kInputUnderRepair = "#8c8c8c";
constexpr const char* kRepair = "#dc143c";
constexpr const char* kRefused = "#a00000";
constexpr double kMargin = 24.0;
constexpr double kLegendLine = 16.0;
constexpr double kTickLength = 9.0;

// Every point a shape is drawn through.
std::vector<sgVector<2>> collectPoints(const ShapeData& shape) {
  std::vector<sgVector<2>> points =
      shape.kind == ShapeKind::Edgelets ? collectPositions(shape.edgelets) : shape.points;
  for (const Ring& hole : shape.holes) points.insert(points.end(), hole.begin(), hole.end());
  for (const RegionRings& region : shape.regions) {
    points.insert(points.end(), region.outer.begin(), region.outer.end());
    for (const Ring& hole : region.holes) points.insert(points.end(), hole.begin(), hole.end());
  }
  return points;
}

std::string escapeXml(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        // Control characters have no place in XML 1.0.
        out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    }
  }
  return out;
}

std::string formatPixel(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", v);
  return text;
}

// Maps shape coordinates onto the picture (image coordinates: y grows downward).
struct Frame {
  double minX = 0, minY = 0, scale = 1;
  std::string map(const sgVector<2>& p) const {
    return concat(
        {formatPixel(kMargin + (p.x() - minX) * scale), ",", formatPixel(kMargin + (p.y() - minY) * scale)});
  }
};

// "M x,y L x,y ... Z" for a ring (closed) or a polyline.
void appendRing(std::string& path, const Ring& ring, const Frame& frame, bool close) {
  for (std::size_t i = 0; i < ring.size(); ++i) path += concat({i ? " L" : " M", frame.map(ring[i])});
  if (close && !ring.empty()) path += " Z";
}

struct Style {
  const char* stroke;
  double strokeWidth;
  const char* fill;
  double fillOpacity;
};

std::string drawPath(const std::string& path, const Style& style) {
  return concat({"<path d=\"", path, "\" fill=\"", style.fill, "\" fill-opacity=\"",
                 formatPixel(style.fillOpacity), "\" fill-rule=\"evenodd\" stroke=\"", style.stroke,
                 "\" stroke-width=\"", formatPixel(style.strokeWidth), "\" stroke-linejoin=\"round\"/>\n"});
}

void drawRegion(std::string& out, const Ring& outer, const std::vector<Ring>& holes, const Frame& frame,
                const Style& style, bool markHoles) {
  std::string path;
  appendRing(path, outer, frame, true);
  for (const Ring& hole : holes) appendRing(path, hole, frame, true);
  out += drawPath(path, style);
  if (!markHoles) return;
  for (const Ring& hole : holes) {
    std::string holePath;
    appendRing(holePath, hole, frame, true);
    out += drawPath(holePath, {kHole, style.strokeWidth, "none", 0});
  }
}

// Short strokes across the edge at each edgelet, along its gradient direction.
void drawTicks(std::string& out, const std::vector<sgEdgelet>& edgelets, const Frame& frame) {
  std::string path;
  for (const sgEdgelet& e : edgelets) {
    const double angle = e.angle().code() * (2 * M_PI / 256);
    const sgVector<2> reach(std::cos(angle) * kTickLength / 2 / frame.scale,
                            std::sin(angle) * kTickLength / 2 / frame.scale);
    path += concat({" M", frame.map(e.position() - reach), " L", frame.map(e.position() + reach)});
  }
  if (!path.empty()) out += drawPath(path, {kTick, 2.0, "none", 0});
}

}  // namespace

void Picture::addInput(const ShapeData& shape, bool underRepair) {
  for (const sgVector<2>& p : collectPoints(shape))
    if (!(std::fabs(p.x()) <= kMaxCoordinate && std::fabs(p.y()) <= kMaxCoordinate))
      throw ShapeError(concat({"coordinates beyond ", formatNumber(kMaxCoordinate), " cannot be drawn"}));
  items_.push_back({shape, underRepair ? Role::InputUnderRepair : Role::Input});
}

void Picture::addRepair(const ShapeData& shape, const std::string& what) {
  items_.push_back({shape, Role::Repair});
  repairName_ = what;
}

void Picture::addRefused(const std::string& title, const std::string& error) {
  refused_.push_back(concat({"not drawn: ", title, ": ", error}));
}

std::string Picture::render() const {
  double minX = std::numeric_limits<double>::infinity(), minY = minX, maxX = -minX, maxY = -minX;
  for (const Item& item : items_)
    for (const sgVector<2>& p : collectPoints(item.shape)) {
      minX = std::min(minX, p.x());
      minY = std::min(minY, p.y());
      maxX = std::max(maxX, p.x());
      maxY = std::max(maxY, p.y());
    }
  if (items_.empty()) minX = minY = maxX = maxY = 0;
  const double extent = std::max({maxX - minX, maxY - minY, 1e-300});
  const double inner = width_ - 2 * kMargin;
  Frame frame{minX, minY, inner / extent};
  const double drawnWidth = (maxX - minX) * frame.scale + 2 * kMargin;
  const double drawnHeight = (maxY - minY) * frame.scale + 2 * kMargin;

  std::vector<std::pair<const char*, std::string>> legend;
  bool holes = false, ticks = false, repaired = false;
  std::string body;
  for (const Item& item : items_) {
    const ShapeData& s = item.shape;
    const bool thin = item.role == Role::InputUnderRepair;
    const Style style = item.role == Role::Repair ? Style{kRepair, stroke_ * 4 / 3, kRepair, 0.35}
                        : thin                    ? Style{kInputUnderRepair, stroke_ * 2 / 3, "none", 0}
                                                  : Style{kOutline, stroke_, kFill, 0.6};
    repaired |= item.role == Role::Repair;
    switch (s.kind) {
      case ShapeKind::Contour: {
        std::string path;
        appendRing(path, s.points, frame, s.closed);
        body += drawPath(path, {style.stroke, style.strokeWidth, "none", 0});
        break;
      }
      case ShapeKind::Region:
        drawRegion(body, s.points, s.holes, frame, style, item.role == Role::Input);
        holes |= !s.holes.empty() && item.role == Role::Input;
        break;
      case ShapeKind::RegionSet:
        for (const RegionRings& region : s.regions) {
          drawRegion(body, region.outer, region.holes, frame, style, item.role == Role::Input);
          holes |= !region.holes.empty() && item.role == Role::Input;
        }
        break;
      case ShapeKind::Edgelets:
        drawRegion(body, collectPositions(s.edgelets), {}, frame, style, false);
        if (item.role != Role::Repair) drawTicks(body, s.edgelets, frame);
        ticks |= item.role != Role::Repair;
        break;
    }
  }
  // Names last, over every outline, with a white halo so that they stay readable: above the
  // shape's top left corner, or its top right one near the right side of the picture.
  for (const Item& item : items_) {
    const std::vector<sgVector<2>> points = collectPoints(item.shape);
    if (item.role == Role::Repair || points.empty()) continue;
    double left = points[0].x(), right = left, top = points[0].y();
    for (const sgVector<2>& p : points) {
      left = std::min(left, p.x());
      right = std::max(right, p.x());
      top = std::min(top, p.y());
    }
    const bool alignRight = (left - minX) * frame.scale > inner * 0.75;
    body += concat({"<text x=\"", formatPixel(kMargin + ((alignRight ? right : left) - minX) * frame.scale),
                    "\" y=\"", formatPixel(kMargin + (top - minY) * frame.scale - 5), "\" text-anchor=\"",
                    alignRight ? "end" : "start",
                    "\" font-family=\"sans-serif\" font-size=\"12\" fill=\"#000000\" stroke=\"#ffffff\" "
                    "stroke-width=\"3\" paint-order=\"stroke\">",
                    escapeXml(item.shape.name), "</text>\n"});
  }

  legend.emplace_back(repaired ? kInputUnderRepair : kOutline,
                      repaired ? "input outline" : "outline, filled area");
  if (holes) legend.emplace_back(kHole, "holes");
  if (ticks) legend.emplace_back(kTick, "edgelet ticks (gradient direction)");
  if (repaired) legend.emplace_back(kRepair, repairName_);
  for (const std::string& line : refused_) legend.emplace_back(kRefused, line);
  const double legendTop = drawnHeight;
  const double height = legendTop + kLegendLine * static_cast<double>(legend.size()) + 8;
  const double width = std::max(drawnWidth, 320.0);

  std::string svg = concat(
      {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"",
       formatPixel(width), "\" height=\"", formatPixel(height), "\" viewBox=\"0 0 ", formatPixel(width), " ",
       formatPixel(height), "\">\n<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n"});
  svg += body;
  for (std::size_t i = 0; i < legend.size(); ++i) {
    const double y = legendTop + kLegendLine * static_cast<double>(i);
    svg += concat({"<rect x=\"", formatPixel(kMargin), "\" y=\"", formatPixel(y + 3),
                   "\" width=\"18\" height=\"10\" fill=\"", legend[i].first, "\"/>\n<text x=\"",
                   formatPixel(kMargin + 24), "\" y=\"", formatPixel(y + 12),
                   "\" font-family=\"sans-serif\" font-size=\"12\" fill=\"#000000\">",
                   escapeXml(legend[i].second), "</text>\n"});
  }
  return svg + "</svg>\n";
}

}  // namespace cntr
