#include "support/casetable.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace casetable {
namespace {

std::string trimmed(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string> splitAt(const std::string& line, const std::string& sep) {
  std::vector<std::string> out;
  std::size_t from = 0;
  for (std::size_t at; (at = line.find(sep, from)) != std::string::npos; from = at + sep.size())
    out.push_back(trimmed(line.substr(from, at - from)));
  out.push_back(trimmed(line.substr(from)));
  return out;
}

// A small recursive reader of WKT's nested parentheses: a list of coordinate pairs at the
// innermost level, lists of those above it.
struct WktReader {
  const std::string& text;
  std::size_t at = 0;

  void skipSpace() {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  }
  bool take(char c) {
    skipSpace();
    if (at < text.size() && text[at] == c) return ++at, true;
    return false;
  }
  void expect(char c) {
    if (!take(c)) throw std::runtime_error("bad WKT, expected '" + std::string(1, c) + "': " + text);
  }
  double number() {
    skipSpace();
    const char* begin = text.c_str() + at;
    char* end = nullptr;
    const double v = std::strtod(begin, &end);
    if (end == begin) throw std::runtime_error("bad WKT number: " + text);
    at += static_cast<std::size_t>(end - begin);
    return v;
  }
  Points ring() {
    Points pts;
    expect('(');
    do {
      const bool nested = take('(');  // MULTIPOINT((1 2), (3 4))
      const double x = number();
      pts.emplace_back(x, number());
      if (nested) expect(')');
    } while (take(','));
    expect(')');
    return pts;
  }
  std::vector<Points> polygon() {
    std::vector<Points> rings;
    expect('(');
    do rings.push_back(ring());
    while (take(','));
    expect(')');
    return rings;
  }
};

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
    const std::string t = trimmed(line);
    if (t.empty() || t[0] == '#') continue;
    std::vector<std::string> fields = splitAt(t, " | ");
    if (fields.size() < 2) throw std::runtime_error(path + ":" + std::to_string(no) + ": no 'catches' field");
    Case c{family + ".cases:" + std::to_string(no), fields.front(), {}, fields.back()};
    c.args.assign(fields.begin() + 1, fields.end() - 1);
    cases.push_back(std::move(c));
  }
  return cases;
}

std::string caseName(const testing::TestParamInfo<Case>& info) {
  std::string name = "line" + info.param.where.substr(info.param.where.rfind(':') + 1) + "_";
  for (char c : info.param.op) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

std::vector<std::vector<Points>> parseWkt(const std::string& wkt) {
  WktReader r{wkt};
  std::string kind;
  r.skipSpace();
  while (r.at < wkt.size() && std::isalpha(static_cast<unsigned char>(wkt[r.at]))) kind += wkt[r.at++];
  r.skipSpace();
  if (wkt.compare(r.at, 5, "EMPTY") == 0) return {};
  if (kind == "MULTIPOLYGON") {
    std::vector<std::vector<Points>> polygons;
    r.expect('(');
    do polygons.push_back(r.polygon());
    while (r.take(','));
    r.expect(')');
    return polygons;
  }
  if (kind == "POLYGON") return {r.polygon()};
  if (kind == "LINESTRING" || kind == "MULTIPOINT" || kind == "POINT") return {{r.ring()}};
  throw std::runtime_error("unknown WKT kind: " + wkt);
}

Points pointsOf(const std::string& wkt) {
  const auto polygons = parseWkt(wkt);
  return polygons.empty() ? Points() : polygons.front().front();
}

sgContour contourOf(const std::string& wkt) {
  return sgContour(pointsOf(wkt), wkt.rfind("LINESTRING", 0) != 0);
}

namespace {
sgPtrHandle<sgRegion> regionOfRings(const std::vector<Points>& rings) {
  sgPtrHandle<sgRegion> region(new sgRegion(rings.front()));
  std::vector<sgPtrHandle<sgRegion>> holes;
  for (std::size_t i = 1; i < rings.size(); ++i) holes.emplace_back(new sgRegion(rings[i]));
  if (!holes.empty()) region->holes(holes);
  return region;
}
}  // namespace

sgPtrHandle<sgRegion> regionOf(const std::string& wkt) {
  const auto polygons = parseWkt(wkt);
  return polygons.empty() ? sgPtrHandle<sgRegion>(new sgRegion()) : regionOfRings(polygons.front());
}

sgRegionSet regionSetOf(const std::string& wkt) {
  std::vector<sgPtrHandle<sgRegion>> regions;
  for (const auto& rings : parseWkt(wkt)) regions.push_back(regionOfRings(rings));
  return sgRegionSet(regions, sgContourDefs::eIgnore);
}

std::vector<double> numbersOf(const std::string& text) {
  std::vector<double> out;
  std::string token;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == ' ' || text[i] == ',') {
      if (!token.empty()) out.push_back(numberOf(token));
      token.clear();
    } else {
      token += text[i];
    }
  }
  return out;
}

double numberOf(const std::string& text) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0') throw std::runtime_error("not a number: '" + text + "'");
  return v;
}

void expectPointsNear(const Points& actual, const Points& expected, double tol) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < actual.size(); ++i) {
    EXPECT_NEAR(actual[i].x(), expected[i].x(), tol) << "point " << i;
    EXPECT_NEAR(actual[i].y(), expected[i].y(), tol) << "point " << i;
  }
}

}  // namespace casetable
