#include "input.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "archive_io.h"
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
  if (extension == "wkt") return Format::Wkt;
  if (extension == "arc") return Format::Archive;
  return Format::Auto;
}

namespace {

std::string nameSource(const std::string& path) { return path == "-" ? "<stdin>" : path; }

std::string readWholeFile(const std::string& path) {
  if (path == "-") {
    std::ostringstream text;
    text << std::cin.rdbuf();
    return text.str();
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) throw InputError(path, 0, 0, std::string("cannot open: ") + std::strerror(errno));
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) throw InputError(path, 0, 0, "read error");
  return text;
}

// Text forms start (after white space) with a bracket or a keyword; anything else is taken
// for an archive, whose reader refuses what it does not recognise.
Format sniffFormat(const std::string& bytes) {
  for (const char c : bytes) {
    if (std::isspace(static_cast<unsigned char>(c))) continue;
    if (c == '{' || c == '[') return Format::Json;
    if (std::isalpha(static_cast<unsigned char>(c))) return Format::Wkt;
    break;
  }
  return Format::Archive;
}

std::vector<Shape> buildShapes(const std::vector<ShapeData>& shapeDataList, const std::string& source) {
  std::vector<Shape> shapes;
  shapes.reserve(shapeDataList.size());
  for (std::size_t i = 0; i < shapeDataList.size(); ++i)
    shapes.push_back(buildShape(shapeDataList[i], source, i + 1));
  return shapes;
}

std::vector<Shape> readShapeFile(const std::string& path, Format format) {
  const std::string source = nameSource(path);
  std::string bytes = readWholeFile(path);
  if (format == Format::Auto) format = guessFormatFromPath(path);
  if (format == Format::Auto) format = sniffFormat(bytes);
  switch (format) {
    case Format::Json:
      return buildShapes(parseJsonShapes(bytes, source), source);
    case Format::Wkt:
      return buildShapes(parseWktShapes(bytes, source), source);
    case Format::Archive:
    case Format::Auto:
      break;
  }
  return parseArchiveShapes(std::vector<unsigned char>(bytes.begin(), bytes.end()), source);
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

std::vector<Shape> readShapes(const std::vector<std::string>& paths, Format format) {
  std::vector<Shape> shapes;
  for (const std::string& path : paths) {
    std::vector<Shape> more = readShapeFile(path, format);
    shapes.insert(shapes.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
  }
  return shapes;
}

std::vector<sgVector<2>> readPointFile(const std::string& path) {
  std::istringstream lines(readWholeFile(path));
  std::vector<sgVector<2>> points;
  std::string line;
  for (std::size_t number = 1; std::getline(lines, line); ++number) {
    const auto first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line[first] == '#') continue;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::size_t pos = 0;
    sgVector<2> point;
    if (!parsePair(line, pos, point))
      throw InputError(nameSource(path), number, pos + 1, "expected a point \"x y\" or \"x, y\"");
    points.push_back(point);
  }
  return points;
}

sgVector<2> parsePointArgument(const std::string& text) {
  std::size_t pos = 0;
  sgVector<2> point;
  if (!parsePair(text, pos, point)) throw UsageError("not a point \"x,y\": '" + text + "'");
  return point;
}

}  // namespace cntr
