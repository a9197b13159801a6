#include "json_io.h"

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>

#include "errors.h"

namespace cntr {

namespace {

using nlohmann::json;

// Walks the parsed document with the path of the value at hand, so that every complaint can
// point at the place in the text.
class JsonShapeReader {
 public:
  JsonShapeReader(const std::string& text, const std::string& source) : text_(text), source_(source) {}

  std::vector<ShapeData> readDocument(const json& doc) {
    if (doc.is_object() && !doc.contains("type")) {
      expectKeys(doc, {"shapes"});
      if (!doc.contains("shapes")) fail("expected an object with a \"shapes\" array");
      Step step(*this, "shapes");
      return readShapeList(doc.at("shapes"));
    }
    if (doc.is_object()) return {readShape(doc)};
    return readShapeList(doc);
  }

 private:
  // Enters one key or index for the lifetime of the object.
  class Step {
   public:
    Step(JsonShapeReader& reader, std::string step) : reader_(reader) {
      reader_.path_.push_back(std::move(step));
    }
    ~Step() { reader_.path_.pop_back(); }
    Step(const Step&) = delete;
    Step& operator=(const Step&) = delete;

   private:
    JsonShapeReader& reader_;
  };

  [[noreturn]] void fail(const std::string& message) const {
    std::string where = "/";
    for (std::size_t i = 0; i < path_.size(); ++i) where += (i ? "/" : "") + path_[i];
    std::size_t offset = 0, line = 0, column = 0;
    if (locateJsonValue(text_, path_, offset)) locateOffset(text_, offset, line, column);
    throw InputError(source_, line, column, message + " (at " + where + ")");
  }

  void expectKeys(const json& object, const std::set<std::string>& allowed) {
    for (const auto& item : object.items())
      if (!allowed.contains(item.key())) {
        Step step(*this, item.key());
        fail("unknown key \"" + item.key() + "\"");
      }
  }

  std::vector<ShapeData> readShapeList(const json& list) {
    if (!list.is_array()) fail("expected an array of shapes");
    std::vector<ShapeData> shapeDataList;
    for (std::size_t i = 0; i < list.size(); ++i) {
      Step step(*this, std::to_string(i));
      shapeDataList.push_back(readShape(list[i]));
    }
    return shapeDataList;
  }

  ShapeData readShape(const json& object) {
    if (!object.is_object()) fail("expected a shape object");
    ShapeData shapeData;
    shapeData.kind = readKind(object);
    shapeData.name = readOptionalName(object);
    switch (shapeData.kind) {
      case ShapeKind::Contour:
        expectKeys(object, {"type", "name", "label", "closed", "points"});
        shapeData.closed = readOptionalBool(object, "closed", true);
        shapeData.points = readRing(object, "points");
        break;
      case ShapeKind::Region:
        expectKeys(object, {"type", "name", "label", "points", "holes"});
        shapeData.points = readRing(object, "points");
        shapeData.holes = readHoles(object);
        break;
      case ShapeKind::RegionSet:
        expectKeys(object, {"type", "name", "regions"});
        shapeData.regions = readRegions(object);
        break;
      case ShapeKind::Edgelets:
        expectKeys(object, {"type", "name", "label", "points"});
        shapeData.edgelets = readEdgelets(object);
        break;
    }
    if (object.contains("label")) shapeData.label = readLabel(object);
    return shapeData;
  }

  ShapeKind readKind(const json& object) {
    if (!object.contains("type")) fail("a shape needs a \"type\"");
    Step step(*this, "type");
    const json& type = object.at("type");
    for (ShapeKind kind : {ShapeKind::Contour, ShapeKind::Region, ShapeKind::RegionSet, ShapeKind::Edgelets})
      if (type.is_string() && type.get<std::string>() == nameKind(kind)) return kind;
    fail("\"type\" must be one of \"contour\", \"region\", \"regionset\", \"edgelets\"");
  }

  std::string readOptionalName(const json& object) {
    if (!object.contains("name")) return {};
    Step step(*this, "name");
    if (!object.at("name").is_string()) fail("\"name\" must be a string");
    return object.at("name").get<std::string>();
  }

  bool readOptionalBool(const json& object, const char* key, bool fallback) {
    if (!object.contains(key)) return fallback;
    Step step(*this, key);
    if (!object.at(key).is_boolean()) fail(std::string("\"") + key + "\" must be true or false");
    return object.at(key).get<bool>();
  }

  unsigned long readLabel(const json& object) {
    Step step(*this, "label");
    if (!object.at("label").is_number_unsigned()) fail("\"label\" must be a whole number not below 0");
    return object.at("label").get<unsigned long>();
  }

  double readCoordinate(const json& value, std::size_t i) {
    Step step(*this, std::to_string(i));
    if (!value.is_number()) fail("expected a number");
    const double v = value.get<double>();
    if (!std::isfinite(v)) fail("number out of range");
    return v;
  }

  // An integer in [0, limit] stored in a JSON number.
  unsigned long readBoundedInteger(const json& value, std::size_t i, unsigned long limit, const char* what) {
    Step step(*this, std::to_string(i));
    if (!value.is_number_unsigned() || value.get<unsigned long>() > limit)
      fail(std::string(what) + " must be a whole number from 0 to " + std::to_string(limit));
    return value.get<unsigned long>();
  }

  sgVector<2> readPoint(const json& pair) {
    if (!pair.is_array() || pair.size() != 2) fail("expected a point [x, y]");
    return {readCoordinate(pair[0], 0), readCoordinate(pair[1], 1)};
  }

  Ring readRingValue(const json& list) {
    if (!list.is_array()) fail("expected an array of points [[x, y], ...]");
    Ring ring;
    ring.reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
      Step step(*this, std::to_string(i));
      ring.push_back(readPoint(list[i]));
    }
    return ring;
  }

  Ring readRing(const json& object, const char* key) {
    if (!object.contains(key)) fail(std::string("a shape of this type needs \"") + key + "\"");
    Step step(*this, key);
    return readRingValue(object.at(key));
  }

  std::vector<Ring> readHoles(const json& object) {
    if (!object.contains("holes")) return {};
    Step step(*this, "holes");
    const json& list = object.at("holes");
    if (!list.is_array()) fail("\"holes\" must be an array of point arrays");
    std::vector<Ring> holes;
    for (std::size_t i = 0; i < list.size(); ++i) {
      Step inner(*this, std::to_string(i));
      holes.push_back(readRingValue(list[i]));
    }
    return holes;
  }

  std::vector<RegionRings> readRegions(const json& object) {
    if (!object.contains("regions")) fail("a region set needs \"regions\"");
    Step step(*this, "regions");
    const json& list = object.at("regions");
    if (!list.is_array()) fail("\"regions\" must be an array of {\"points\", \"holes\"} objects");
    std::vector<RegionRings> regions;
    for (std::size_t i = 0; i < list.size(); ++i) {
      Step inner(*this, std::to_string(i));
      if (!list[i].is_object()) fail("expected a region {\"points\": ..., \"holes\": ...}");
      expectKeys(list[i], {"points", "holes"});
      regions.push_back({readRing(list[i], "points"), readHoles(list[i])});
    }
    return regions;
  }

  std::vector<sgEdgelet> readEdgelets(const json& object) {
    if (!object.contains("points")) fail("an edgelet chain needs \"points\"");
    Step step(*this, "points");
    const json& list = object.at("points");
    if (!list.is_array()) fail("expected an array of edgelets [[x, y, magnitude, angleCode], ...]");
    std::vector<sgEdgelet> edgelets;
    for (std::size_t i = 0; i < list.size(); ++i) {
      Step inner(*this, std::to_string(i));
      const json& e = list[i];
      if (!e.is_array() || e.size() != 4) fail("expected an edgelet [x, y, magnitude, angleCode]");
      const sgVector<2> position(readCoordinate(e[0], 0), readCoordinate(e[1], 1));
      const auto magnitude =
          readBoundedInteger(e[2], 2, std::numeric_limits<unsigned short>::max(), "magnitude");
      const auto code = readBoundedInteger(e[3], 3, 255, "angleCode");
      edgelets.emplace_back(position, static_cast<unsigned short>(magnitude),
                            sgAngle8(static_cast<unsigned char>(code)));
    }
    return edgelets;
  }

  const std::string& text_;
  const std::string& source_;
  std::vector<std::string> path_;
};

json formatRing(const Ring& ring) {
  json points = json::array();
  for (const sgVector<2>& p : ring) points.push_back({p.x(), p.y()});
  return points;
}

json formatHoles(const std::vector<Ring>& holes) {
  json list = json::array();
  for (const Ring& hole : holes) list.push_back(formatRing(hole));
  return list;
}

nlohmann::ordered_json formatShape(const ShapeData& shapeData) {
  nlohmann::ordered_json shape;
  shape["name"] = shapeData.name;
  shape["type"] = nameKind(shapeData.kind);
  if (shapeData.kind != ShapeKind::RegionSet && shapeData.label != 0) shape["label"] = shapeData.label;
  switch (shapeData.kind) {
    case ShapeKind::Contour:
      shape["closed"] = shapeData.closed;
      shape["points"] = formatRing(shapeData.points);
      break;
    case ShapeKind::Region:
      shape["points"] = formatRing(shapeData.points);
      if (!shapeData.holes.empty()) shape["holes"] = formatHoles(shapeData.holes);
      break;
    case ShapeKind::RegionSet:
      shape["regions"] = nlohmann::ordered_json::array();
      for (const RegionRings& region : shapeData.regions) {
        nlohmann::ordered_json entry;
        entry["points"] = formatRing(region.outer);
        if (!region.holes.empty()) entry["holes"] = formatHoles(region.holes);
        shape["regions"].push_back(entry);
      }
      break;
    case ShapeKind::Edgelets:
      shape["points"] = json::array();
      for (const sgEdgelet& e : shapeData.edgelets)
        shape["points"].push_back({e.position().x(), e.position().y(), e.magnitude(), e.angle().code()});
      break;
  }
  return shape;
}

}  // namespace

std::vector<ShapeData> parseJsonShapes(const std::string& text, const std::string& source) {
  json doc;
  try {
    doc = json::parse(text);
  } catch (const json::parse_error& e) {
    // `byte` is 1-based and points at the last character read.
    std::size_t line = 0, column = 0;
    locateOffset(text, e.byte > 0 ? e.byte - 1 : 0, line, column);
    std::string message = e.what();
    const std::size_t detail = message.find(": ");
    throw InputError(
        source, line, column,
        "malformed JSON: " + (detail == std::string::npos ? message : message.substr(detail + 2)));
  } catch (const json::out_of_range& e) {
    // A number beyond the range of a double (1e600); the parser gives no position for it.
    const std::string message = e.what();
    const std::size_t detail = message.find("] ");
    throw InputError(
        source, 0, 0,
        "malformed JSON: " + (detail == std::string::npos ? message : message.substr(detail + 2)));
  }
  return JsonShapeReader(text, source).readDocument(doc);
}

std::string formatJsonShapes(const std::vector<ShapeData>& shapeDataList) {
  std::string out = "{\"shapes\": [";
  for (std::size_t i = 0; i < shapeDataList.size(); ++i)
    out += (i ? ",\n  " : "\n  ") + formatShape(shapeDataList[i]).dump();
  out += shapeDataList.empty() ? "]}\n" : "\n]}\n";
  return out;
}

}  // namespace cntr
