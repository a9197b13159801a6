// The subcommands that write shapes back in any of the file forms: regularize and outer-hull
// (the library's repair of self-crossing outlines) and convert (the same shapes in another form).
#include "batch.h"
#include "command.h"
#include "input.h"
#include "output.h"
#include "shape.h"

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
      "A self-crossing outline becomes its outer boundary (loops inside it filled, "
      "counter-clockwise); overlapping regions of a set become the outline of their union. Regions, "
      "edgelet chains and closed contours give regions; region sets give region sets; an open "
      "contour fails. The repaired outline has no holes.");
  return [options] { return runRepair(*options); };
}

struct ConvertOptions {
  InputOptions input;
  std::string output = "-";
  Format to = Format::Auto;
};

int runConvert(const ConvertOptions& options) {
  const std::vector<Shape> shapes = readShapes(options.input.paths, options.input.from);
  std::vector<Shape> written;
  // Only shapes the library could build are written; the others are reported and counted.
  const BatchResult result = runBatch(shapes, [&](const Shape& shape) { written.push_back(shape); });
  writeWhole(options.output, encodeShapes(written, chooseOutputFormat(options.to, options.output)));
  return result.exitCode();
}

}  // namespace

CommandRunner defineRegularize(CLI::App& sub) { return defineRepair(sub, RepairMode::Regularize); }
CommandRunner defineOuterHull(CLI::App& sub) { return defineRepair(sub, RepairMode::OuterHull); }

CommandRunner defineConvert(CLI::App& sub) {
  auto options = std::make_shared<ConvertOptions>();
  addInputOptions(sub, options->input);
  addOutputOption(sub, options->output, "The converted file");
  addShapeFormatOption(sub, options->to);
  sub.footer(
      "Names are kept in JSON only; WKT has no place for names, labels or edgelet data, and archive "
      "shapes are named by position when read back.");
  return [options] { return runConvert(*options); };
}

}  // namespace cntr
