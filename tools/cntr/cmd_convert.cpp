// convert: the same shapes in another file form.
#include "batch.h"
#include "command.h"
#include "input.h"
#include "output.h"

namespace cntr {

namespace {

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
