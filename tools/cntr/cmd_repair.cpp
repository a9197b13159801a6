// regularize and outer-hull: the library's repair of self-crossing outlines, written back as
// shapes in any of the file forms.
#include "batch.h"
#include "command.h"
#include "input.h"
#include "output.h"
#include "repair.h"

namespace cntr {

namespace {

struct RepairOptions {
  InputOptions input;
  std::string output = "-";
  Format to = Format::Auto;
  RepairMode mode = RepairMode::Regularize;
};

int runRepair(const RepairOptions& options) {
  const std::vector<Shape> shapes = readShapes(options.input.paths, options.input.from);
  std::vector<Shape> repaired;
  const BatchResult result =
      runBatch(shapes, [&](const Shape& shape) { repaired.push_back(repairShape(shape, options.mode)); });
  writeWhole(options.output, encodeShapes(repaired, chooseOutputFormat(options.to, options.output)));
  return result.exitCode();
}

CommandRunner defineRepair(CLI::App& sub, RepairMode mode) {
  auto options = std::make_shared<RepairOptions>();
  options->mode = mode;
  addInputOptions(sub, options->input);
  addOutputOption(sub, options->output, "Where the repaired shapes go");
  addShapeFormatOption(sub, options->to);
  sub.footer(
      "Regions, edgelet chains and closed contours give regions; region sets give region sets; an "
      "open contour fails. As the library defines it, the repaired outline has no holes.");
  return [options] { return runRepair(*options); };
}

}  // namespace

CommandRunner defineRegularize(CLI::App& sub) { return defineRepair(sub, RepairMode::Regularize); }
CommandRunner defineOuterHull(CLI::App& sub) { return defineRepair(sub, RepairMode::OuterHull); }

}  // namespace cntr
