#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "lyndispc/tablet.h"

namespace {

using Segment = sgRecordingTablet::Segment;

// Shortest text that reads back as the same double, whatever the stream's locale.
std::string formatNumber(double v) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, v);
  return std::string(text, result.ptr);
}

bool isDrawable(const Segment& s) {
  return std::isfinite(s.from.first) && std::isfinite(s.from.second) && std::isfinite(s.to.first) &&
         std::isfinite(s.to.second);
}

std::string nameLayer(int layer) {
  switch (layer) {
    case sgUITablet::eBackground:
      return "background";
    case sgUITablet::eImage:
      return "image";
    case sgUITablet::eGraphics:
      return "graphics";
    case sgUITablet::eOverlay:
      return "overlay";
  }
  return "layer" + std::to_string(layer);
}

struct ViewBox {
  double x = 0.0, y = 0.0, width = 1.0, height = 1.0;
};

// The smallest box holding every drawable segment end, widened on each side by a margin of a
// stroke width or 2% of the larger extent, whichever is more (never zero, so that a single
// point still gives a box with an area). An empty drawing gets the unit box.
ViewBox encloseSegments(const std::vector<Segment>& segments, double strokeWidth) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  double minX = inf, minY = inf, maxX = -inf, maxY = -inf;
  for (const Segment& s : segments) {
    if (!isDrawable(s)) continue;
    minX = std::min({minX, s.from.first, s.to.first});
    maxX = std::max({maxX, s.from.first, s.to.first});
    minY = std::min({minY, s.from.second, s.to.second});
    maxY = std::max({maxY, s.from.second, s.to.second});
  }
  if (minX > maxX) return {};
  constexpr double largest = std::numeric_limits<double>::max();
  const double extent = std::min(std::max(maxX - minX, maxY - minY), largest);
  double margin = std::max(strokeWidth, 0.02 * extent);
  if (margin == 0.0) margin = 1.0;
  return {minX - margin, minY - margin, std::min(maxX - minX + 2 * margin, largest),
          std::min(maxY - minY + 2 * margin, largest)};
}

std::string describeLine(const Segment& s) {
  return "    <line x1=\"" + formatNumber(s.from.first) + "\" y1=\"" + formatNumber(s.from.second) +
         "\" x2=\"" + formatNumber(s.to.first) + "\" y2=\"" + formatNumber(s.to.second) + "\" stroke=\"rgb(" +
         std::to_string(s.color.r) + "," + std::to_string(s.color.g) + "," + std::to_string(s.color.b) +
         ")\" stroke-opacity=\"" + formatNumber(s.color.a / 255.0) + "\"/>\n";
}

}  // namespace

void sgSvgTablet::write(std::ostream& os) const {
  if (!(std::isfinite(stroke_) && stroke_ >= 0.0))
    throw std::invalid_argument("sgSvgTablet: stroke width must be finite and not negative");
  const ViewBox box = encloseSegments(segments(), stroke_);
  // Layers bottom to top; within a layer, the order of drawing.
  std::map<int, std::vector<const Segment*>> layers;
  for (const Segment& s : segments())
    if (isDrawable(s)) layers[static_cast<int>(s.layer)].push_back(&s);

  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + formatNumber(box.width) +
         "\" height=\"" + formatNumber(box.height) + "\" viewBox=\"" + formatNumber(box.x) + " " +
         formatNumber(box.y) + " " + formatNumber(box.width) + " " + formatNumber(box.height) + "\">\n";
  for (const auto& [layer, lines] : layers) {
    svg += "  <g id=\"" + nameLayer(layer) + "\" fill=\"none\" stroke-width=\"" + formatNumber(stroke_) +
           "\" stroke-linecap=\"round\">\n";
    for (const Segment* s : lines) svg += describeLine(*s);
    svg += "  </g>\n";
  }
  svg += "</svg>\n";
  os << svg;
}
