// measure: every answer the library gives about a shape, as a readable table or as JSON.
#include <cstdio>
#include <nlohmann/json.hpp>

#include "batch.h"
#include "command.h"
#include "input.h"
#include "output.h"

namespace cntr {

namespace {

using Json = nlohmann::ordered_json;

Json describePoint(const sgVector<2>& p) { return Json::array({p.x(), p.y()}); }

Json describeMatrix(const sgMatrix<2>& m) {
  return Json::array({Json::array({m(0, 0), m(0, 1)}), Json::array({m(1, 0), m(1, 1)})});
}

Json describeRect(const sgRect& r) {
  return Json{{"x", r.x()}, {"y", r.y()}, {"width", r.width()}, {"height", r.height()}};
}

// The measures every contour has: its outer boundary's, for a region.
void measureOutline(const sgContour& contour, Json& out) {
  out["vertices"] = contour.points().size();
  out["length"] = contour.length();
  out["mean_position"] = describePoint(contour.meanPosition());
  out["bounding_rect"] = describeRect(contour.encloseRect(sgXform<2>()));
  const sgCircle smallest = contour.minEnclosingCircle();
  out["min_enclosing_circle"] =
      Json{{"center", describePoint(smallest.center())}, {"radius", smallest.radius()}};
  // The circle on the farthest vertex pair: its diameter is the contour's, but it need not hold
  // every vertex.
  const sgCircle onDiameter = contour.encloseCircle(sgContourDefs::eExact);
  out["diameter_circle"] =
      Json{{"center", describePoint(onDiameter.center())}, {"radius", onDiameter.radius()}};
  out["diameter"] = contour.diameter(sgContourDefs::eExact);
  sgEllipse ellipse;
  double error = 0.0;
  contour.fitEllipse(ellipse, error);
  out["ellipse"] = Json{{"center", describePoint(ellipse.center())},
                        {"r1", ellipse.r1()},
                        {"r2", ellipse.r2()},
                        {"rotation_deg", sgDegree(ellipse.rotation()).toDouble()},
                        {"error", error}};
  sgRegion hull;
  contour.convexHull(hull);
  // A hull of collinear points has fewer than 3 vertices: it encloses nothing, and the region
  // would refuse to measure it.
  out["convex_hull_area"] = hull.points().size() < 3 ? 0.0 : hull.area(false);
  out["self_intersecting"] = contour.isSelfIntersecting();
}

// Area figures of a region, all with the holes taken out but outer_area.
void measureArea(const sgRegion& region, Json& out) {
  out["holes"] = region.holes().size();
  out["area"] = region.area(true);
  out["outer_area"] = region.area(false);
  out["center_of_mass"] = describePoint(region.centerOfMass(true));
  out["inertia"] = describeMatrix(region.inertiaMatrix(true));
}

void measureRegionSet(const sgRegionSet& set, Json& out) {
  out["regions"] = set.regions().size();
  out["area"] = set.area(true);
  out["outer_area"] = set.area(false);
  out["center_of_mass"] = describePoint(set.centerOfMass(true));
  out["inertia"] = describeMatrix(set.inertiaMatrix(true));
  out["bounding_rect"] = describeRect(set.encloseRect(sgXform<2>()));
  out["self_intersecting"] = set.isSelfIntersecting();
}

Json startRecord(const Shape& shape) {
  return Json{{"name", shape.name},
              {"type", nameKind(shape.kind())},
              {"source", shape.source},
              {"index", shape.index}};
}

Json measureShape(const Shape& shape) {
  Json out = startRecord(shape);
  switch (shape.kind()) {
    case ShapeKind::Contour: {
      const sgContour& contour = *std::get<sgPtrHandle<sgContour>>(shape.object);
      out["closed"] = contour.isClosed();
      measureOutline(contour, out);
      break;
    }
    case ShapeKind::Region:
    case ShapeKind::Edgelets: {
      const sgPtrHandle<sgRegion> region = viewAsRegion(shape);
      measureArea(*region, out);
      measureOutline(*region, out);
      break;
    }
    case ShapeKind::RegionSet:
      measureRegionSet(*std::get<sgPtrHandle<sgRegionSet>>(shape.object), out);
      break;
  }
  return out;
}

std::string formatScalar(const Json& value) {
  if (value.is_boolean()) return value.get<bool>() ? "yes" : "no";
  if (value.is_number_integer()) return value.dump();
  if (value.is_number()) {
    char text[40];
    std::snprintf(text, sizeof text, "%.6g", value.get<double>());
    return text;
  }
  return value.is_string() ? value.get<std::string>() : value.dump();
}

std::string formatValue(const Json& value) {
  if (value.is_array()) {
    std::string out = "(";
    for (std::size_t i = 0; i < value.size(); ++i) out += (i ? ", " : "") + formatValue(value[i]);
    return out + ")";
  }
  if (value.is_object()) {
    std::string out;
    for (const auto& item : value.items())
      out += (out.empty() ? "" : ", ") + item.key() + " " + formatValue(item.value());
    return out;
  }
  return formatScalar(value);
}

std::string formatTableEntry(const Json& record) {
  std::string out = record["name"].get<std::string>() + "  (" + record["type"].get<std::string>() + ", " +
                    record["source"].get<std::string>() + " #" +
                    std::to_string(record["index"].get<std::size_t>()) + ")\n";
  for (const auto& item : record.items()) {
    if (item.key() == "name" || item.key() == "type" || item.key() == "source" || item.key() == "index")
      continue;
    std::string key = item.key();
    for (char& c : key)
      if (c == '_') c = ' ';
    key.resize(std::max<std::size_t>(key.size(), 20), ' ');
    out += "  " + key + " " + formatValue(item.value()) + "\n";
  }
  return out + "\n";
}

struct MeasureOptions {
  InputOptions input;
  std::string output = "-";
  bool json = false;
};

int runMeasure(const MeasureOptions& options) {
  const std::vector<Shape> shapes = readShapes(options.input.paths, options.input.from);
  Json records = Json::array();
  const BatchResult result = runBatch(
      shapes, [&](const Shape& shape) { records.push_back(measureShape(shape)); },
      [&](const Shape& shape, const std::string& error) {
        Json failed = startRecord(shape);
        failed["error"] = error;
        records.push_back(failed);
      });
  std::string text;
  if (options.json) {
    text = Json{{"shapes", records}, {"ok", result.ok}, {"failed", result.failed}}.dump(2) + "\n";
  } else {
    for (const Json& record : records) text += formatTableEntry(record);
  }
  writeWhole(options.output, text);
  return result.exitCode();
}

}  // namespace

CommandRunner defineMeasure(CLI::App& sub) {
  auto options = std::make_shared<MeasureOptions>();
  addInputOptions(sub, options->input);
  addOutputOption(sub, options->output, "Where the measures go");
  sub.add_flag("--json", options->json, "Write JSON instead of a table");
  return [options] { return runMeasure(*options); };
}

}  // namespace cntr
