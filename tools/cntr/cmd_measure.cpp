// measure: every answer the library gives about a shape, as a readable table or as JSON.
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>

#include "batch.h"
#include "cntrio/csv.h"
#include "cntrio/output_file.h"
#include "cntrio/text.h"
#include "command.h"

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
  std::string out = concat({record["name"].get<std::string>(), "  (", record["type"].get<std::string>(), ", ",
                            record["source"].get<std::string>(), " #",
                            std::to_string(record["index"].get<std::size_t>()), ")\n"});
  for (const auto& item : record.items()) {
    if (item.key() == "name" || item.key() == "type" || item.key() == "source" || item.key() == "index")
      continue;
    std::string key = item.key();
    for (char& c : key)
      if (c == '_') c = ' ';
    key.resize(std::max<std::size_t>(key.size(), 20), ' ');
    out += concat({"  ", key, " ", formatValue(item.value()), "\n"});
  }
  return out + "\n";
}

// The CSV columns: every measure of every kind, flattened (see flattenRecord); a kind leaves
// the columns it has no value for empty.
const std::vector<std::string>& listCsvColumns() {
  static const std::vector<std::string> columns{"source",
                                                "index",
                                                "name",
                                                "type",
                                                "error",
                                                "closed",
                                                "holes",
                                                "regions",
                                                "vertices",
                                                "length",
                                                "area",
                                                "outer_area",
                                                "center_of_mass_x",
                                                "center_of_mass_y",
                                                "mean_position_x",
                                                "mean_position_y",
                                                "inertia_xx",
                                                "inertia_xy",
                                                "inertia_yx",
                                                "inertia_yy",
                                                "bounding_rect_x",
                                                "bounding_rect_y",
                                                "bounding_rect_width",
                                                "bounding_rect_height",
                                                "min_enclosing_circle_center_x",
                                                "min_enclosing_circle_center_y",
                                                "min_enclosing_circle_radius",
                                                "diameter_circle_center_x",
                                                "diameter_circle_center_y",
                                                "diameter_circle_radius",
                                                "diameter",
                                                "ellipse_center_x",
                                                "ellipse_center_y",
                                                "ellipse_r1",
                                                "ellipse_r2",
                                                "ellipse_rotation_deg",
                                                "ellipse_error",
                                                "convex_hull_area",
                                                "self_intersecting"};
  return columns;
}

// Full precision, so that a spreadsheet reads back the numbers measured.
std::string formatCsvScalar(const Json& value) {
  if (value.is_boolean()) return value.get<bool>() ? "true" : "false";
  if (value.is_number_float()) return formatNumber(value.get<double>());
  return value.is_string() ? value.get<std::string>() : value.dump();
}

// Nested values under joined names: objects by key, points by _x/_y, matrices by _xx.._yy.
void flattenRecord(const Json& value, const std::string& name, std::map<std::string, std::string>& out) {
  static const char* const kAxes[] = {"x", "y"};
  if (value.is_object()) {
    for (const auto& item : value.items())
      flattenRecord(item.value(), name.empty() ? item.key() : concat({name, "_", item.key()}), out);
  } else if (value.is_array()) {
    for (std::size_t i = 0; i < value.size() && i < 2; ++i) {
      const std::string axis = concat({name, "_", kAxes[i]});
      if (value[i].is_array())
        for (std::size_t j = 0; j < value[i].size() && j < 2; ++j)
          out[concat({axis, kAxes[j]})] = formatCsvScalar(value[i][j]);
      else
        out[axis] = formatCsvScalar(value[i]);
    }
  } else {
    out[name] = formatCsvScalar(value);
  }
}

std::string formatCsvRecord(const Json& record) {
  std::map<std::string, std::string> fields;
  flattenRecord(record, "", fields);
  std::vector<std::string> row;
  for (const std::string& column : listCsvColumns())
    row.push_back(fields.count(column) ? fields[column] : "");
  return formatCsvRow(row);
}

struct MeasureOptions {
  InputOptions input;
  std::string output = "-";
  AnswerForm form = AnswerForm::Table;
};

// Writes each record as it comes, in the form asked for.
class RecordWriter {
 public:
  RecordWriter(OutputFile& out, AnswerForm form) : out_(out), form_(form) {}
  void start() {
    if (form_ == AnswerForm::Json) out_.write("{\"shapes\": [");
    if (form_ == AnswerForm::Csv) out_.write(formatCsvRow(listCsvColumns()));
  }
  void write(const Json& record) {
    switch (form_) {
      case AnswerForm::Table:
        out_.write(formatTableEntry(record));
        break;
      case AnswerForm::Csv:
        out_.write(formatCsvRecord(record));
        break;
      case AnswerForm::Json:
        out_.write(concat({first_ ? "\n  " : ",\n  ", record.dump()}));
        break;
    }
    first_ = false;
  }
  void finish(const BatchCounts& counts) {
    if (form_ == AnswerForm::Json)
      out_.write(concat({first_ ? "" : "\n", "], \"ok\": ", std::to_string(counts.ok),
                         ", \"failed\": ", std::to_string(counts.failed), "}\n"}));
    out_.commit();
  }

 private:
  OutputFile& out_;
  AnswerForm form_;
  bool first_ = true;
};

int runMeasure(const MeasureOptions& options) {
  OutputFile out(options.output, false);
  RecordWriter writer(out, options.form);
  return runBatch(options.input,
                  {[&] { writer.start(); }, [&](const Shape& shape) { writer.write(measureShape(shape)); },
                   [&](const Shape& shape, const std::string& error) {
                     Json failed = startRecord(shape);
                     failed["error"] = error;
                     writer.write(failed);
                   },
                   [&](const BatchCounts& counts) { writer.finish(counts); }});
}

}  // namespace

CommandRunner defineMeasure(CLI::App& sub) {
  auto options = std::make_shared<MeasureOptions>();
  addInputOptions(sub, options->input);
  addOutputOption(sub, options->output, "Where the measures go");
  addAnswerFormOptions(sub, options->form);
  return [options] { return runMeasure(*options); };
}

}  // namespace cntr
