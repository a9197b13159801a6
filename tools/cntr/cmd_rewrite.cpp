// The subcommands that write shapes back in any of the file forms: regularize and outer-hull
// (the library's repair of self-crossing outlines) and convert (the same shapes in another form).
#include "batch.h"
#include "cntrio/shape_writer.h"
#include "command.h"

namespace cntr {

namespace {

// Writes what `transform` makes of each shape (shapes that fail are reported and left out).
int rewriteShapes(const InputOptions& input, const ShapeOutputOptions& output,
                  const std::function<Shape(const Shape&)>& transform) {
  const Format format = chooseOutputFormat(output.to, output.path);
  OutputFile out(output.path, needsRewrite(format));
  std::unique_ptr<ShapeWriter> writer;
  return runBatch(input, {[&] { writer = openShapeWriter(out, format, output.rightHand); },
                          [&](const Shape& shape) { writer->write(transform(shape)); },
                          {},
                          [&](const BatchCounts&) {
                            writer->finish();
                            out.commit();
                          }});
}

struct RewriteOptions {
  InputOptions input;
  ShapeOutputOptions output;
};

CommandRunner defineRepair(CLI::App& sub, RepairMode mode) {
  auto options = std::make_shared<RewriteOptions>();
  addInputOptions(sub, options->input);
  addShapeOutputOptions(sub, options->output, "Where the repaired shapes go");
  sub.footer(
      "A self-crossing outline becomes its outer boundary (loops inside it filled, "
      "counter-clockwise); overlapping regions of a set become the outline of their union. Regions, "
      "edgelet chains and closed contours give regions; region sets give region sets; an open "
      "contour fails. The repaired outline has no holes.");
  return [options, mode] {
    return rewriteShapes(options->input, options->output,
                         [mode](const Shape& shape) { return repairShape(shape, mode); });
  };
}

}  // namespace

CommandRunner defineRegularize(CLI::App& sub) { return defineRepair(sub, RepairMode::Regularize); }
CommandRunner defineOuterHull(CLI::App& sub) { return defineRepair(sub, RepairMode::OuterHull); }

CommandRunner defineConvert(CLI::App& sub) {
  auto options = std::make_shared<RewriteOptions>();
  addInputOptions(sub, options->input);
  addShapeOutputOptions(sub, options->output, "The converted file");
  sub.footer(
      "Names are kept in JSON and GeoJSON; WKT has no place for names or labels, only JSON and archives "
      "keep edgelet data, and archive shapes are named by position when read back.");
  return [options] {
    return rewriteShapes(options->input, options->output, [](const Shape& shape) { return shape; });
  };
}

}  // namespace cntr
