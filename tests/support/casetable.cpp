#include "support/casetable.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace casetable {
namespace {

std::string trimmed(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r");
  return first == std::string::npos ? "" : s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

sgPtrHandle<sgRegion> regionOfRings(const std::vector<Points>& rings) {
  sgPtrHandle<sgRegion> region(new sgRegion(rings.front()));
  std::vector<sgPtrHandle<sgRegion>> holes;
  for (std::size_t i = 1; i < rings.size(); ++i) holes.emplace_back(new sgRegion(rings[i]));
  if (!holes.empty()) region->holes(holes);
  return region;
}

}  // namespace

const std::string& Case::arg(std::size_t i) const {
  if (i >= args.size()) throw std::runtime_error(where + ": missing field " + std::to_string(i + 2));
  return args[i];
}

std::vector<Case> readCases(const std::string& family) {
  const std::string path = std::string(LYNCNTR_TEST_DATA_DIR) + "/" + family + ".cases";
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot open " + path);
  std::vector<Case> cases;
  std::string line;
  for (int no = 1; std::getline(in, line); ++no) {
    line = trimmed(line);
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields = split(line, " | ");
    if (fields.size() < 2) throw std::runtime_error(path + ":" + std::to_string(no) + ": no 'catches' field");
    for (std::string& field : fields) field = trimmed(field);
    cases.push_back({family + ".cases:" + std::to_string(no), fields.front(),
                     std::vector<std::string>(fields.begin() + 1, fields.end() - 1), fields.back()});
  }
  return cases;
}

std::string caseName(const testing::TestParamInfo<Case>& info) {
  std::string name = "line" + info.param.where.substr(info.param.where.rfind(':') + 1) + "_";
  for (char c : info.param.op) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

// The depth of a '(' says what it opens: in a MULTIPOLYGON 1 is the set, 2 a polygon, 3 a ring;
// in a POLYGON 1 is the polygon, 2 a ring; in a point list 1 is the list (2 a MULTIPOINT's point).
std::vector<std::vector<Points>> parseWkt(const std::string& wkt) {
  const std::size_t open = wkt.find('(');
  if (open == std::string::npos) {
    if (wkt.find("EMPTY") == std::string::npos) throw std::runtime_error("bad WKT: " + wkt);
    return {};
  }
  const std::string kind = trimmed(wkt.substr(0, open));
  const int ringDepth = kind == "MULTIPOLYGON" ? 3 : kind == "POLYGON" ? 2 : 1;
  if (ringDepth == 1 && kind != "LINESTRING" && kind != "MULTIPOINT" && kind != "POINT")
    throw std::runtime_error("unknown WKT kind: " + wkt);
  std::vector<std::vector<Points>> polygons;
  int depth = 0;
  for (const char* at = wkt.c_str() + open; *at;) {
    if (*at == '(' && ++depth <= ringDepth) {
      if (depth == std::max(ringDepth - 1, 1)) polygons.emplace_back();
      if (depth == ringDepth) polygons.back().emplace_back();
    }
    if (*at == ')') --depth;
    if (*at == '(' || *at == ')' || *at == ',' || std::isspace(static_cast<unsigned char>(*at))) {
      ++at;
      continue;
    }
    char *xEnd = nullptr, *yEnd = nullptr;
    const double x = std::strtod(at, &xEnd);
    const double y = std::strtod(xEnd, &yEnd);
    if (depth < ringDepth || xEnd == at || yEnd == xEnd) throw std::runtime_error("bad WKT: " + wkt);
    polygons.back().back().emplace_back(x, y);
    at = yEnd;
  }
  if (depth != 0) throw std::runtime_error("unbalanced WKT: " + wkt);
  return polygons;
}

Points pointsOf(const std::string& wkt) {
  const auto polygons = parseWkt(wkt);
  return polygons.empty() ? Points() : polygons.front().front();
}

sgContour contourOf(const std::string& wkt) {
  return sgContour(pointsOf(wkt), wkt.rfind("LINESTRING", 0) != 0);
}

sgPtrHandle<sgRegion> regionOf(const std::string& wkt) {
  const auto polygons = parseWkt(wkt);
  return polygons.empty() ? sgPtrHandle<sgRegion>(new sgRegion()) : regionOfRings(polygons.front());
}

sgRegionSet regionSetOf(const std::string& wkt) {
  std::vector<sgPtrHandle<sgRegion>> regions;
  for (const auto& rings : parseWkt(wkt)) regions.push_back(regionOfRings(rings));
  return sgRegionSet(regions, sgContourDefs::eIgnore);
}

std::vector<std::string> split(const std::string& text, const std::string& sep) {
  std::vector<std::string> parts;
  std::size_t from = 0;
  for (std::size_t at; (at = text.find(sep, from)) != std::string::npos; from = at + sep.size())
    parts.push_back(text.substr(from, at - from));
  parts.push_back(text.substr(from));
  return parts;
}

std::vector<double> numbersOf(const std::string& text) {
  std::vector<double> out;
  std::size_t from = 0;
  while ((from = text.find_first_not_of(" ,", from)) != std::string::npos) {
    const std::size_t to = text.find_first_of(" ,", from);
    out.push_back(numberOf(text.substr(from, to - from)));
    from = to;
  }
  return out;
}

double numberOf(const std::string& text) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0') throw std::runtime_error("not a number: '" + text + "'");
  return v;
}

}  // namespace casetable
