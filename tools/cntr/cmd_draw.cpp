// draw: the shapes as an SVG picture a person can read, optionally under their repair.
#include "batch.h"
#include "cntrio/output_file.h"
#include "command.h"
#include "picture.h"

namespace cntr {

namespace {

struct DrawOptions {
  InputOptions input;
  std::string output = "-";
  bool repair = false;
  bool outerHull = false;
  double width = 800.0;
  double stroke = 1.5;
};

bool isOpenContour(const Shape& shape) {
  return shape.kind() == ShapeKind::Contour && !std::get<sgPtrHandle<sgContour>>(shape.object)->isClosed();
}

// The picture needs the extent of every shape before it draws the first, so draw holds its
// shapes (as plain data) until the end, unlike the other subcommands.
int runDraw(const DrawOptions& options) {
  Picture picture(options.width, options.stroke);
  const RepairMode mode = options.outerHull ? RepairMode::OuterHull : RepairMode::Regularize;
  OutputFile out(options.output, false);
  return runBatch(
      options.input,
      {{},
       [&](const Shape& shape) {
         // An open contour encloses nothing to repair; it is drawn as it is.
         const bool repair = options.repair && !isOpenContour(shape);
         const ShapeData repaired = repair ? describeShape(repairShape(shape, mode)) : ShapeData{};
         picture.addInput(describeShape(shape), repair);
         if (repair) picture.addRepair(repaired, options.outerHull ? "outer hull" : "regularized");
       },
       [&](const Shape& shape, const std::string& error) { picture.addRefused(shape.title(), error); },
       [&](const BatchCounts&) {
         out.write(picture.render());
         out.commit();
       }});
}

}  // namespace

CommandRunner defineDraw(CLI::App& sub) {
  auto options = std::make_shared<DrawOptions>();
  addInputOptions(sub, options->input);
  addOutputOption(sub, options->output, "The SVG file");
  sub.add_flag("--repair", options->repair,
               "Draw each shape thin and grey under its regularization, filled in translucent red");
  sub.add_flag("--outer-hull", options->outerHull, "With --repair, draw the outer hull instead");
  sub.add_option("--width", options->width, "Pixels on the picture's long side")
      ->check(finitePositive())
      ->capture_default_str();
  sub.add_option("--stroke", options->stroke, "Pixels across an outline")
      ->check(finitePositive())
      ->capture_default_str();
  sub.footer(
      "Regions are filled blue (holes left empty, outlined orange), edgelet ticks green, repairs "
      "translucent red; shapes that could not be drawn are listed in the legend. The picture uses "
      "image coordinates (y grows downward).");
  return [options] { return runDraw(*options); };
}

}  // namespace cntr
