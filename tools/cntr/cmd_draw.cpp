// draw: the shapes as an SVG picture through the library's own drawing, optionally with their
// repair drawn over them in another colour.
#include <sstream>

#include "batch.h"
#include "command.h"
#include "input.h"
#include "output.h"
#include "shape.h"

namespace cntr {

namespace {

constexpr sgColor kOutlineColor(30, 90, 200);
constexpr sgColor kHoleColor(230, 120, 0);
constexpr sgColor kTickColor(20, 150, 60);
constexpr sgColor kRepairColor(220, 20, 60);

struct DrawOptions {
  InputOptions input;
  std::string output = "-";
  bool repair = false;
  bool outerHull = false;
  double stroke = 1.0;
};

// The outline in `color`, holes in the hole colour, and islands inside holes again in `color`.
void drawRegion(sgSvgTablet& tablet, const sgRegion& region, const sgColor& color, const sgColor& holeColor,
                sgUITablet::Layers layer) {
  region.draw(tablet, sgContourDefs::eDrawOutline, color, layer);
  for (const sgPtrHandle_const<sgRegion>& hole : region.holes())
    drawRegion(tablet, *hole, holeColor, color, layer);
}

void drawShape(sgSvgTablet& tablet, const Shape& shape, const sgColor& color, const sgColor& holeColor,
               sgUITablet::Layers layer) {
  switch (shape.kind()) {
    case ShapeKind::Contour:
      std::get<sgPtrHandle<sgContour>>(shape.object)->draw(tablet, sgContourDefs::eDrawOutline, color, layer);
      break;
    case ShapeKind::Region:
      drawRegion(tablet, *std::get<sgPtrHandle<sgRegion>>(shape.object), color, holeColor, layer);
      break;
    case ShapeKind::RegionSet:
      for (const sgPtrHandle_const<sgRegion>& region :
           std::get<sgPtrHandle<sgRegionSet>>(shape.object)->regions())
        drawRegion(tablet, *region, color, holeColor, layer);
      break;
    case ShapeKind::Edgelets: {
      const EdgeletRegion& chain = *std::get<sgPtrHandle<EdgeletRegion>>(shape.object);
      drawRegion(tablet, chain, color, holeColor, layer);
      // The edgelet region's own drawing: one tick across each edge point.
      chain.draw(tablet, kTickColor, layer);
      break;
    }
  }
}

bool isOpenContour(const Shape& shape) {
  return shape.kind() == ShapeKind::Contour && !std::get<sgPtrHandle<sgContour>>(shape.object)->isClosed();
}

int runDraw(const DrawOptions& options) {
  const std::vector<Shape> shapes = readShapes(options.input.paths, options.input.from);
  sgSvgTablet tablet(options.stroke);
  const RepairMode mode = options.outerHull ? RepairMode::OuterHull : RepairMode::Regularize;
  const BatchResult result = runBatch(shapes, [&](const Shape& shape) {
    drawShape(tablet, shape, kOutlineColor, kHoleColor, sgUITablet::eGraphics);
    // An open contour encloses nothing to repair; it is drawn as it is.
    if (options.repair && !isOpenContour(shape))
      drawShape(tablet, repairShape(shape, mode), kRepairColor, kRepairColor, sgUITablet::eOverlay);
  });
  std::ostringstream svg;
  tablet.write(svg);
  writeWhole(options.output, svg.str());
  return result.exitCode();
}

}  // namespace

CommandRunner defineDraw(CLI::App& sub) {
  auto options = std::make_shared<DrawOptions>();
  addInputOptions(sub, options->input);
  addOutputOption(sub, options->output, "The SVG file");
  sub.add_flag("--repair", options->repair, "Also draw each shape's regularization, in red, over the input");
  sub.add_flag("--outer-hull", options->outerHull, "With --repair, draw the outer hull instead");
  sub.add_option("--stroke", options->stroke, "Line width in drawing units")
      ->check(CLI::PositiveNumber)
      ->capture_default_str();
  sub.footer(
      "Colours: outlines blue, holes orange, edgelet ticks green, repairs red. The picture uses "
      "image coordinates (y grows downward).");
  return [options] { return runDraw(*options); };
}

}  // namespace cntr
