#include "input.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <sstream>

#include "char_source.h"
#include "errors.h"
#include "json_io.h"
#include "wkt_io.h"

namespace cntr {

Format guessFormatFromPath(const std::string& path) {
  const auto dot = path.rfind('.');
  if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return Format::Auto;
  std::string extension = path.substr(dot + 1);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (extension == "json") return Format::Json;
  if (extension == "geojson") return Format::GeoJson;
  if (extension == "wkt") return Format::Wkt;
  if (extension == "arc") return Format::Archive;
  return Format::Auto;
}

namespace {

// Text forms start (after white space) with a bracket or a keyword; anything else is taken
// for an archive, whose reader refuses what it does not recognise.
Format sniffFormat(CharSource& in) {
  const int first = in.peek();
  if (first < 0 || !std::isspace(first)) {
    if (first == '{' || first == '[') return Format::Json;
    return first >= 0 && std::isalpha(first) ? Format::Wkt : Format::Archive;
  }
  const int c = in.skipSpace();
  if (c == '{' || c == '[') return Format::Json;
  return Format::Wkt;
}

void readShapeFile(const std::string& path, Format format, const ShapeSink& sink) {
  CharSource in(path);
  if (format == Format::Auto) format = guessFormatFromPath(path);
  if (format == Format::Auto) format = sniffFormat(in);
  if (format != Format::Archive && in.skipSpace() < 0)
    throw InputError(in.source(), 0, 0, "empty input (no shapes)");
  if (format == Format::Archive) return readArchiveShapes(in, sink);
  std::size_t index = 0;
  const ShapeDataSink build = [&](ShapeData&& data) { sink(buildShape(data, in.source(), ++index)); };
  if (format == Format::Wkt)
    readWktShapes(in, build);
  else
    readJsonShapes(in, build);
}

std::string readSmallFile(const std::string& path) {
  CharSource in(path);
  std::string text;
  for (int c = in.get(); c >= 0; c = in.get()) text += static_cast<char>(c);
  return text;
}

// Reads one number from `text` at `pos` (after skipping blanks and one comma); false when none.
bool readNumberAt(const std::string& text, std::size_t& pos, double& value, bool allowComma) {
  while (pos < text.size() &&
         (std::isspace(static_cast<unsigned char>(text[pos])) || (allowComma && text[pos] == ','))) {
    if (text[pos] == ',') allowComma = false;
    ++pos;
  }
  const std::size_t start = pos;
  while (pos < text.size() && !std::isspace(static_cast<unsigned char>(text[pos])) && text[pos] != ',') ++pos;
  if (start == pos) return false;
  const char* first = text.data() + start + (text[start] == '+' ? 1 : 0);
  const auto [end, error] = std::from_chars(first, text.data() + pos, value);
  if (error != std::errc() || end != text.data() + pos || !std::isfinite(value)) {
    pos = start;
    return false;
  }
  return true;
}

bool parsePair(const std::string& text, std::size_t& pos, sgVector<2>& point) {
  double x = 0.0, y = 0.0;
  if (!readNumberAt(text, pos, x, false) || !readNumberAt(text, pos, y, true)) return false;
  while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
  point = {x, y};
  return pos == text.size();
}

}  // namespace

void readShapes(const std::vector<std::string>& paths, Format format, const ShapeSink& sink) {
  for (const std::string& path : paths) readShapeFile(path, format, sink);
}

std::vector<sgVector<2>> readPointFile(const std::string& path) {
  std::istringstream lines(readSmallFile(path));
  std::vector<sgVector<2>> points;
  std::string line;
  for (std::size_t number = 1; std::getline(lines, line); ++number) {
    const auto first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line[first] == '#') continue;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::size_t pos = 0;
    sgVector<2> point;
    if (!parsePair(line, pos, point))
      throw InputError(path == "-" ? "<stdin>" : path, number, pos + 1,
                       "expected a point \"x y\" or \"x, y\"");
    points.push_back(point);
  }
  return points;
}

sgVector<2> parsePointArgument(const std::string& text) {
  std::size_t pos = 0;
  sgVector<2> point;
  if (!parsePair(text, pos, point)) throw UsageError(concat({"not a point \"x,y\": '", excerpt(text), "'"}));
  return point;
}

}  // namespace cntr
