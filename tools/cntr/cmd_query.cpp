// inside and distance: point queries against every shape, with points from the command line
// or from a file.
#include <cstdio>
#include <nlohmann/json.hpp>

#include "batch.h"
#include "cntrio/csv.h"
#include "cntrio/errors.h"
#include "cntrio/input.h"
#include "cntrio/output_file.h"
#include "cntrio/text.h"
#include "command.h"

namespace cntr {

namespace {

using Json = nlohmann::ordered_json;

struct QueryOptions {
  InputOptions input;
  std::vector<std::string> points;
  std::string pointFile;
  std::string output = "-";
  AnswerForm form = AnswerForm::Table;
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

// Each shape's answers, written as soon as they are known: table rows (file, name, point,
// answer), CSV rows under a header, or one JSON record per shape.
int runQuery(const QueryOptions& options, bool askInside) {
  const std::vector<sgVector<2>> points = collectQueryPoints(options);
  const char* key = askInside ? "inside" : "distance";
  OutputFile out(options.output, false);
  bool first = true;
  const auto start = [&] {
    if (options.form == AnswerForm::Json) out.write("{\"shapes\": [");
    if (options.form == AnswerForm::Csv) out.write(formatCsvRow({"source", "index", "name", "x", "y", key}));
  };
  const auto answer = [&](const Shape& shape) {
    Json answers = Json::array();
    std::string text;
    for (const sgVector<2>& p : points) {
      const Json value =
          askInside ? Json(testInside(shape, p, options)) : Json(measureDistance(shape, p, options));
      const std::string x = formatNumber(p.x()), y = formatNumber(p.y());
      if (options.form == AnswerForm::Table)
        text +=
            concat({shape.source, "\t", shape.name, "\t", x, "\t", y, "\t", formatTableValue(value), "\n"});
      else if (options.form == AnswerForm::Csv)
        text += formatCsvRow(
            {shape.source, std::to_string(shape.index), shape.name, x, y,
             askInside ? (value.get<bool>() ? "true" : "false") : formatNumber(value.get<double>())});
      else
        answers.push_back(Json{{"point", Json::array({p.x(), p.y()})}, {key, value}});
    }
    if (options.form == AnswerForm::Json) {
      const Json record{{"name", shape.name},
                        {"type", nameKind(shape.kind())},
                        {"source", shape.source},
                        {"index", shape.index},
                        {"results", answers}};
      text = concat({first ? "\n  " : ",\n  ", record.dump()});
      first = false;
    }
    out.write(text);
  };
  return runBatch(options.input,
                  {start, answer, {}, [&](const BatchCounts& counts) {
                     if (options.form == AnswerForm::Json)
                       out.write(concat({first ? "" : "\n", "], \"ok\": ", std::to_string(counts.ok),
                                         ", \"failed\": ", std::to_string(counts.failed), "}\n"}));
                     out.commit();
                   }});
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
  addAnswerFormOptions(sub, options->form);
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
