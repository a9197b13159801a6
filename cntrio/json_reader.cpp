// The JSON form and GeoJSON, read as a stream: each shape is handed on as soon as its object
// closes, so a file of a million shapes never sits in memory.
#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <optional>

#include "errors.h"
#include "json_io.h"
#include "json_lexer.h"

namespace cntr {

namespace {

// A JSON array of numbers (a point) or of such arrays, with where each starts.
struct Coordinates {
  Position at;
  std::vector<double> numbers;
  std::vector<Coordinates> items;
};

// What one JSON object said, gathered before its type is known: keys come in any order.
struct Fields {
  Position at;
  std::vector<std::pair<std::string, Position>> keys;
  std::optional<std::string> type;
  Position typeAt;
  std::optional<std::string> name;
  std::optional<unsigned long> label;
  std::optional<bool> closed;
  std::optional<Coordinates> points, holes, coordinates;
  std::optional<std::vector<Fields>> regions;
  std::unique_ptr<Fields> geometry;
  bool hasGeometry = false;
  std::string list;  // "shapes" or "features" when the object held a streamed list

  const Position* find(const std::string& key) const {
    for (const auto& [name, at] : keys)
      if (name == key) return &at;
    return nullptr;
  }
};

class JsonShapeReader {
 public:
  JsonShapeReader(CharSource& in, const ShapeDataSink& sink) : lexer_(in), sink_(sink) {}

  void readDocument() {
    const JsonToken first = lexer_.take();
    if (first.kind == JsonToken::BeginArray) {
      readShapeList(first.at, "an array of shapes");
    } else if (first.kind == JsonToken::BeginObject) {
      Fields top;
      readObject(top, first.at, true);
      if (top.list.empty())
        sink_(interpret(top));
      else
        checkListWrapper(top);
    } else if (first.kind == JsonToken::End) {
      lexer_.fail(first.at, "empty input (no shapes)");
    } else {
      lexer_.fail(first.at, "expected an object or an array of shapes");
    }
    lexer_.expectEnd();
  }

 private:
  [[noreturn]] void fail(Position at, const std::string& message) const { lexer_.fail(at, message); }

  // The elements of a list of shapes, each handed on when read (the '[' is taken).
  void readShapeList(Position at, const char* what) {
    lexer_.enter(at);
    if (lexer_.peek().kind == JsonToken::EndArray) {
      lexer_.take();
    } else {
      for (;;) {
        const JsonToken open = lexer_.take();
        if (open.kind != JsonToken::BeginObject) fail(open.at, "expected a shape object");
        Fields shape;
        readObject(shape, open.at, false);
        sink_(interpret(shape));
        const JsonToken separator = lexer_.take();
        if (separator.kind == JsonToken::EndArray) break;
        if (separator.kind != JsonToken::Comma) fail(separator.at, concat({"expected ',' or ']' in ", what}));
      }
    }
    lexer_.leave();
  }

  void checkListWrapper(const Fields& top) {
    if (top.list == "shapes") {
      for (const auto& [key, at] : top.keys)
        if (key != "shapes") fail(at, concat({"unknown key \"", key, "\""}));
    } else if (top.type && *top.type != "FeatureCollection") {
      fail(top.typeAt, "an object with \"features\" must be a FeatureCollection");
    }
  }

  std::string readString(const char* key) {
    const JsonToken token = lexer_.take();
    if (token.kind != JsonToken::String) fail(token.at, concat({"\"", key, "\" must be a string"}));
    return token.text;
  }

  unsigned long readLabel() {
    const JsonToken token = lexer_.take();
    unsigned long value = 0;
    if (token.kind != JsonToken::Number || !isWholeNumber(token.text, ULONG_MAX, value))
      fail(token.at, "\"label\" must be a whole number not below 0");
    return value;
  }

  // The object's members up to its '}' (the '{' is taken). At the top level, a "shapes" or
  // "features" array is streamed rather than gathered.
  void readObject(Fields& fields, Position at, bool top) {
    fields.at = at;
    lexer_.enter(at);
    if (lexer_.peek().kind == JsonToken::EndObject) {
      lexer_.take();
      lexer_.leave();
      return;
    }
    for (;;) {
      const JsonToken key = lexer_.expect(JsonToken::String, "a key string");
      if (fields.find(key.text)) fail(key.at, concat({"duplicate key \"", key.text, "\""}));
      fields.keys.emplace_back(key.text, key.at);
      lexer_.expect(JsonToken::Colon, "':'");
      readMember(fields, key.text, top);
      const JsonToken separator = lexer_.take();
      if (separator.kind == JsonToken::EndObject) break;
      if (separator.kind != JsonToken::Comma) fail(separator.at, "expected ',' or '}'");
    }
    lexer_.leave();
  }

  void readMember(Fields& fields, const std::string& key, bool top) {
    const Position at = lexer_.peek().at;
    if (key == "type") {
      fields.typeAt = at;
      fields.type = readString("type");
    } else if (key == "name") {
      fields.name = readString("name");
    } else if (key == "label") {
      fields.label = readLabel();
    } else if (key == "closed") {
      const JsonToken token = lexer_.take();
      if (token.kind != JsonToken::True && token.kind != JsonToken::False)
        fail(token.at, "\"closed\" must be true or false");
      fields.closed = token.kind == JsonToken::True;
    } else if (key == "points" || key == "holes" || key == "coordinates") {
      (key == "points"  ? fields.points
       : key == "holes" ? fields.holes
                        : fields.coordinates) = readCoordinates(key);
    } else if (key == "regions") {
      fields.regions = readRegions();
    } else if (key == "geometry") {
      fields.hasGeometry = readOptionalObject(key, [&](Position open) {
        fields.geometry = std::make_unique<Fields>();
        readObject(*fields.geometry, open, false);
      });
    } else if (key == "properties") {
      readOptionalObject(key, [&](Position open) { readProperties(fields, open); });
    } else if (top && (key == "shapes" || key == "features") && fields.list.empty()) {
      const JsonToken open = lexer_.take();
      if (open.kind != JsonToken::BeginArray)
        fail(open.at, concat({"\"", key, "\" must be an array of shapes"}));
      fields.list = key;
      readShapeList(open.at, "an array of shapes");
    } else {
      lexer_.skipValue();
    }
  }

  // Reads an object through `read` (given its position, the '{' taken); false for null.
  template <class Read>
  bool readOptionalObject(const std::string& key, Read read) {
    const JsonToken open = lexer_.take();
    if (open.kind == JsonToken::Null) return false;
    if (open.kind != JsonToken::BeginObject) fail(open.at, concat({"\"", key, "\" must be an object"}));
    read(open.at);
    return true;
  }

  // A feature's properties: "name" and "label" are the shape's; the others are not ours.
  void readProperties(Fields& fields, Position at) {
    Fields properties;
    properties.at = at;
    lexer_.enter(at);
    if (lexer_.peek().kind == JsonToken::EndObject) {
      lexer_.take();
    } else {
      for (;;) {
        const JsonToken key = lexer_.expect(JsonToken::String, "a key string");
        if (properties.find(key.text)) fail(key.at, concat({"duplicate key \"", key.text, "\""}));
        properties.keys.emplace_back(key.text, key.at);
        lexer_.expect(JsonToken::Colon, "':'");
        if (key.text == "name")
          fields.name = readString("name");
        else if (key.text == "label")
          fields.label = readLabel();
        else
          lexer_.skipValue();
        const JsonToken separator = lexer_.take();
        if (separator.kind == JsonToken::EndObject) break;
        if (separator.kind != JsonToken::Comma) fail(separator.at, "expected ',' or '}'");
      }
    }
    lexer_.leave();
  }

  std::vector<Fields> readRegions() {
    const JsonToken open = lexer_.take();
    if (open.kind != JsonToken::BeginArray)
      fail(open.at, "\"regions\" must be an array of {\"points\", \"holes\"} objects");
    std::vector<Fields> regions;
    lexer_.enter(open.at);
    if (lexer_.peek().kind == JsonToken::EndArray) {
      lexer_.take();
    } else {
      for (;;) {
        const JsonToken item = lexer_.take();
        if (item.kind != JsonToken::BeginObject)
          fail(item.at, "expected a region {\"points\": ..., \"holes\": ...}");
        readObject(regions.emplace_back(), item.at, false);
        const JsonToken separator = lexer_.take();
        if (separator.kind == JsonToken::EndArray) break;
        if (separator.kind != JsonToken::Comma) fail(separator.at, "expected ',' or ']'");
      }
    }
    lexer_.leave();
    return regions;
  }

  Coordinates readCoordinates(const std::string& key) {
    const JsonToken open = lexer_.take();
    if (open.kind != JsonToken::BeginArray) fail(open.at, concat({"\"", key, "\" must be an array"}));
    return readCoordinatesBody(open.at);
  }

  Coordinates readCoordinatesBody(Position at) {
    Coordinates list;
    list.at = at;
    lexer_.enter(at);
    if (lexer_.peek().kind == JsonToken::EndArray) {
      lexer_.take();
      lexer_.leave();
      return list;
    }
    for (;;) {
      const JsonToken item = lexer_.take();
      if (item.kind == JsonToken::Number && list.items.empty())
        list.numbers.push_back(item.number);
      else if (item.kind == JsonToken::BeginArray && list.numbers.empty())
        list.items.push_back(readCoordinatesBody(item.at));
      else
        fail(item.at, list.numbers.empty() && item.kind != JsonToken::Number ? "expected a number or an array"
                                                                             : "expected a number");
      const JsonToken separator = lexer_.take();
      if (separator.kind == JsonToken::EndArray) break;
      if (separator.kind != JsonToken::Comma) fail(separator.at, "expected ',' or ']'");
    }
    lexer_.leave();
    return list;
  }

  // --- from gathered fields to a shape ---

  void requireKeys(const Fields& fields, std::initializer_list<const char*> allowed) const {
    for (const auto& entry : fields.keys) {
      const auto known = [&](const char* a) { return entry.first == a; };
      if (std::find_if(allowed.begin(), allowed.end(), known) == allowed.end())
        fail(entry.second, concat({"unknown key \"", entry.first, "\""}));
    }
  }

  template <class T>
  const T& require(const std::optional<T>& value, const Fields& fields, const char* key) const {
    if (!value) fail(fields.at, concat({"a shape of this type needs \"", key, "\""}));
    return *value;
  }

  const std::vector<Coordinates>& requireList(const Coordinates& list, const char* what) const {
    if (!list.numbers.empty()) fail(list.at, concat({"expected ", what}));
    return list.items;
  }

  sgVector<2> toPoint(const Coordinates& point, bool geo) const {
    if (!point.items.empty() || point.numbers.size() < 2 || (!geo && point.numbers.size() != 2))
      fail(point.at, "expected a point [x, y]");
    if (point.numbers.size() > 2) fail(point.at, "only 2-D coordinates (x y) are supported");
    return {point.numbers[0], point.numbers[1]};
  }

  Ring toRing(const Coordinates& list, bool geo) const {
    Ring ring;
    const auto& items = requireList(list, "an array of points [[x, y], ...]");
    ring.reserve(items.size());
    for (const Coordinates& point : items) ring.push_back(toPoint(point, geo));
    return ring;
  }

  // A GeoJSON ring repeats its first position at the end; the shapes do not.
  Ring toClosedRing(const Coordinates& list) const {
    Ring ring = toRing(list, true);
    if (ring.size() > 1 && ring.front() == ring.back()) ring.pop_back();
    return ring;
  }

  std::vector<Ring> toRings(const Coordinates& list, bool geo) const {
    std::vector<Ring> rings;
    for (const Coordinates& ring : requireList(list, "an array of rings [[[x, y], ...], ...]"))
      rings.push_back(geo ? toClosedRing(ring) : toRing(ring, false));
    return rings;
  }

  RegionRings toPolygon(const Coordinates& list) const {
    std::vector<Ring> rings = toRings(list, true);
    if (rings.empty()) return {};
    RegionRings region{std::move(rings.front()), {}};
    region.holes.assign(std::make_move_iterator(rings.begin() + 1), std::make_move_iterator(rings.end()));
    return region;
  }

  std::vector<sgEdgelet> toEdgelets(const Coordinates& list) const {
    std::vector<sgEdgelet> edgelets;
    for (const Coordinates& e :
         requireList(list, "an array of edgelets [[x, y, magnitude, angleCode], ...]")) {
      if (!e.items.empty() || e.numbers.size() != 4)
        fail(e.at, "expected an edgelet [x, y, magnitude, angleCode]");
      const auto whole = [&](double v, double limit, const char* what) {
        if (!(v >= 0 && v <= limit && v == std::floor(v)))
          fail(e.at, concat({what, " must be a whole number from 0 to ", formatNumber(limit)}));
        return v;
      };
      const double magnitude = whole(e.numbers[2], 65535, "magnitude");
      const double code = whole(e.numbers[3], 255, "angleCode");
      edgelets.emplace_back(sgVector<2>(e.numbers[0], e.numbers[1]), static_cast<unsigned short>(magnitude),
                            sgAngle8(static_cast<unsigned char>(code)));
    }
    return edgelets;
  }

  ShapeData interpret(const Fields& fields) const {
    if (!fields.type) fail(fields.at, "a shape needs a \"type\"");
    ShapeData data;
    data.name = fields.name.value_or("");
    data.label = fields.label.value_or(0);
    const std::string& type = *fields.type;
    if (type == "contour") {
      requireKeys(fields, {"type", "name", "label", "closed", "points"});
      data.kind = ShapeKind::Contour;
      data.closed = fields.closed.value_or(true);
      data.points = toRing(require(fields.points, fields, "points"), false);
    } else if (type == "region") {
      requireKeys(fields, {"type", "name", "label", "points", "holes"});
      data.kind = ShapeKind::Region;
      data.points = toRing(require(fields.points, fields, "points"), false);
      if (fields.holes) data.holes = toRings(*fields.holes, false);
    } else if (type == "regionset") {
      requireKeys(fields, {"type", "name", "regions"});
      data.kind = ShapeKind::RegionSet;
      for (const Fields& region : require(fields.regions, fields, "regions")) {
        requireKeys(region, {"points", "holes"});
        data.regions.push_back({toRing(require(region.points, region, "points"), false),
                                region.holes ? toRings(*region.holes, false) : std::vector<Ring>{}});
      }
    } else if (type == "edgelets") {
      requireKeys(fields, {"type", "name", "label", "points"});
      data.kind = ShapeKind::Edgelets;
      data.edgelets = toEdgelets(require(fields.points, fields, "points"));
    } else if (type == "Feature") {
      if (!fields.hasGeometry) fail(fields.at, "a feature needs a \"geometry\" object");
      ShapeData geometry = interpretGeometry(*fields.geometry);
      geometry.name = std::move(data.name);
      geometry.label = data.label;
      return geometry;
    } else {
      return interpretGeometry(fields);
    }
    return data;
  }

  ShapeData interpretGeometry(const Fields& fields) const {
    if (!fields.type) fail(fields.at, "a geometry needs a \"type\"");
    const std::string& type = *fields.type;
    ShapeData data;
    data.name = fields.name.value_or("");
    data.label = fields.label.value_or(0);
    if (type == "Polygon") {
      data.kind = ShapeKind::Region;
      RegionRings rings = toPolygon(require(fields.coordinates, fields, "coordinates"));
      data.points = std::move(rings.outer);
      data.holes = std::move(rings.holes);
    } else if (type == "MultiPolygon") {
      data.kind = ShapeKind::RegionSet;
      for (const Coordinates& polygon :
           requireList(require(fields.coordinates, fields, "coordinates"), "an array of polygons"))
        data.regions.push_back(toPolygon(polygon));
    } else if (type == "LineString") {
      data.kind = ShapeKind::Contour;
      data.points = toRing(require(fields.coordinates, fields, "coordinates"), true);
      data.closed = data.points.size() >= 3 && data.points.front() == data.points.back();
      if (data.closed) data.points.pop_back();
    } else {
      fail(fields.typeAt,
           concat({"unsupported type \"", excerpt(type),
                   "\" (expected contour, region, regionset, edgelets, or the GeoJSON Feature, "
                   "FeatureCollection, Polygon, MultiPolygon, LineString)"}));
    }
    return data;
  }

  mutable JsonLexer lexer_;
  const ShapeDataSink& sink_;
};

}  // namespace

void readJsonShapes(CharSource& in, const ShapeDataSink& sink) { JsonShapeReader(in, sink).readDocument(); }

}  // namespace cntr
