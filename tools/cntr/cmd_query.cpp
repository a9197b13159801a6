// inside and distance: point queries against every shape, with points from the command line
// or from a file.
#include <cstdio>
#include <nlohmann/json.hpp>

#include "batch.h"
#include "command.h"
#include "errors.h"
#include "input.h"
#include "output.h"
#include "wkt_io.h"

namespace cntr {

namespace {

using Json = nlohmann::ordered_json;

struct QueryOptions {
  InputOptions input;
  std::vector<std::string> points;
  std::string pointFile;
  std::string output = "-";
  bool json = false;
  bool ignoreHoles = false;
  bool vertexOnly = false;
  bool filled = false;
};

std::vector<sgVector<2>> collectQueryPoints(const QueryOptions& options) {
  std::vector<sgVector<2>> points;
  for (const std::string& text : options.points) points.push_back(parsePointArgument(text));
  if (!options.pointFile.empty()) {
    const std::vector<sgVector<2>> more = readPointFile(options.pointFile);
    points.insert(points.end(), more.begin(), more.end());
  }
  if (points.empty()) throw UsageError("no query points: give --point x,y or --points FILE");
  return points;
}

bool testInside(const Shape& shape, const sgVector<2>& p, const QueryOptions& options) {
  if (shape.kind() == ShapeKind::RegionSet)
    return std::get<sgPtrHandle<sgRegionSet>>(shape.object)->inside(p, !options.ignoreHoles);
  return viewAsRegion(shape)->inside(p, !options.ignoreHoles);
}

// A contour (open or closed) is measured to its line; regions and sets to their area, which
// counts as distance 0 from inside with --filled.
double measureDistance(const Shape& shape, const sgVector<2>& p, const QueryOptions& options) {
  const bool holes = !options.ignoreHoles;
  switch (shape.kind()) {
    case ShapeKind::Contour:
      return std::get<sgPtrHandle<sgContour>>(shape.object)->distToPoint(p, options.vertexOnly);
    case ShapeKind::RegionSet:
      return std::get<sgPtrHandle<sgRegionSet>>(shape.object)
          ->distToPoint(p, options.vertexOnly, holes, options.filled);
    case ShapeKind::Region:
    case ShapeKind::Edgelets:
      break;
  }
  return viewAsRegion(shape)->distToPoint(p, options.vertexOnly, holes, options.filled);
}

std::string formatTableValue(const Json& value) {
  if (value.is_boolean()) return value.get<bool>() ? "inside" : "outside";
  char text[40];
  std::snprintf(text, sizeof text, "%.9g", value.get<double>());
  return text;
}

int runQuery(const QueryOptions& options, bool askInside) {
  const std::vector<sgVector<2>> points = collectQueryPoints(options);
  const std::vector<Shape> shapes = readShapes(options.input.paths, options.input.from);
  const char* key = askInside ? "inside" : "distance";
  Json records = Json::array();
  std::string table;
  const BatchResult result = runBatch(shapes, [&](const Shape& shape) {
    Json answers = Json::array();
    std::string lines;
    for (const sgVector<2>& p : points) {
      Json value = askInside ? Json(testInside(shape, p, options)) : Json(measureDistance(shape, p, options));
      lines += shape.name + "\t" + formatNumber(p.x()) + "\t" + formatNumber(p.y()) + "\t" +
               formatTableValue(value) + "\n";
      answers.push_back(Json{{"point", Json::array({p.x(), p.y()})}, {key, value}});
    }
    records.push_back(Json{{"name", shape.name}, {"type", nameKind(shape.kind())}, {"results", answers}});
    table += lines;
  });
  const std::string text =
      options.json ? Json{{"shapes", records}, {"ok", result.ok}, {"failed", result.failed}}.dump(2) + "\n"
                   : table;
  writeWhole(options.output, text);
  return result.exitCode();
}

CommandRunner defineQuery(CLI::App& sub, bool askInside) {
  auto options = std::make_shared<QueryOptions>();
  addInputOptions(sub, options->input);
  sub.add_option("-p,--point", options->points,
                 "A query point x,y (repeatable; write --point=-1,2 for a leading minus)")
      ->type_name("X,Y")
      ->allow_extra_args(false);
  sub.add_option("--points", options->pointFile, "A file of query points, one \"x y\" per line")
      ->type_name("FILE");
  addOutputOption(sub, options->output, "Where the answers go");
  sub.add_flag("--json", options->json, "Write JSON instead of tab-separated lines");
  sub.add_flag("--ignore-holes", options->ignoreHoles, "Treat regions as if they had no holes");
  if (!askInside) {
    sub.add_flag("--vertex-only", options->vertexOnly,
                 "Measure to the nearest vertex, not the nearest edge point");
    sub.add_flag("--filled", options->filled, "Points inside a region are at distance 0");
  }
  return [options, askInside] { return runQuery(*options, askInside); };
}

}  // namespace

CommandRunner defineInside(CLI::App& sub) { return defineQuery(sub, true); }
CommandRunner defineDistance(CLI::App& sub) { return defineQuery(sub, false); }

}  // namespace cntr
