// libFuzzer target over the shape readers and writers. The first byte chooses the reader
// (0: JSON and GeoJSON, 1: WKT, 2: archive); the rest is the input. Every input must end in
// shapes or the readers' InputError. What was read must survive the writers: the JSON form
// reads back as written, GeoJSON and WKT read back as many shapes, an archive record loads
// again, and each name makes a CSV field that parses back to itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cntrio/archive_io.h"
#include "cntrio/csv.h"
#include "cntrio/errors.h"
#include "cntrio/json_io.h"
#include "cntrio/wkt_io.h"

namespace {

std::vector<cntr::Shape> readAll(int form, const std::string& text) {
  cntr::CharSource in("fuzz", text);
  std::vector<cntr::Shape> shapes;
  std::size_t index = 0;
  const cntr::ShapeDataSink build = [&](cntr::ShapeData&& data) {
    shapes.push_back(cntr::buildShape(data, "fuzz", ++index));
  };
  if (form == 0) cntr::readJsonShapes(in, build);
  if (form == 1) cntr::readWktShapes(in, build);
  if (form == 2)
    cntr::readArchiveShapes(in, [&](cntr::Shape&& shape) { shapes.push_back(std::move(shape)); });
  return shapes;
}

// The fields of one CSV row as a spreadsheet would read them.
std::vector<std::string> parseCsvRow(const std::string& row) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i + 1 < row.size(); ++i) {
    const char c = row[i];
    if (quoted && c == '"' && row[i + 1] == '"') {
      fields.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

void check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0 || data[0] > 2) return 0;
  std::vector<cntr::Shape> shapes;
  try {
    shapes = readAll(data[0], std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  } catch (const cntr::InputError&) {
    return 0;
  }
  std::string json = "[", geojson = "{\"type\": \"FeatureCollection\", \"features\": [", wkt, archive;
  std::size_t built = 0;
  for (const cntr::Shape& shape : shapes) {
    check(parseCsvRow(cntr::formatCsvRow({shape.name, "x"})) ==
          std::vector<std::string>{shape.name, "x"});
    if (!shape.buildError.empty()) continue;
    const cntr::ShapeData described = cntr::describeShape(shape);
    json += (built ? "," : "") + cntr::formatJsonShape(described);
    geojson += (built ? "," : "") + cntr::formatGeoJsonFeature(described, built % 2 == 1);
    wkt += cntr::formatWktShape(described) + "\n";
    archive += cntr::formatArchiveRecord(shape);
    ++built;
  }
  if (built == 0) return 0;
  const std::vector<cntr::Shape> fromJson = readAll(0, json + "]");
  check(fromJson.size() == built);
  std::string again = "[";
  for (std::size_t i = 0; i < fromJson.size(); ++i)
    if (fromJson[i].buildError.empty())
      again += (i ? "," : "") + cntr::formatJsonShape(cntr::describeShape(fromJson[i]));
  check(again == json);
  check(readAll(0, geojson + "]}").size() == built);
  check(readAll(1, wkt).size() == built);
  check(readAll(2, cntr::formatArchiveHeader(built) + archive).size() == built);
  return 0;
}
