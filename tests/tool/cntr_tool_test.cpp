// End-to-end tests of the cntr tool: each runs the built binary on files written for it and
// checks exit codes, standard output, standard error and the files it writes.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using namespace std::string_literals;

struct ToolRun {
  int code = -1;
  std::string out;
  std::string err;
};

std::string readFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

void writeFile(const fs::path& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
}

std::string quote(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::size_t countOccurrences(const std::string& text, const std::string& what) {
  std::size_t count = 0;
  for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + what.size()))
    ++count;
  return count;
}

// A tiny XML well-formedness check: a prolog, then one root element whose start and end tags
// nest properly, every attribute quoted and not repeated, only the five predefined entities.
class XmlChecker {
 public:
  explicit XmlChecker(const std::string& text) : text_(text) {}

  bool check(std::string& problem) {
    skipSpace();
    if (text_.compare(pos_, 5, "<?xml") == 0) {
      const auto end = text_.find("?>", pos_);
      if (end == std::string::npos) return fail(problem, "unterminated prolog");
      pos_ = end + 2;
    }
    skipSpace();
    if (!element(problem)) return false;
    skipSpace();
    return pos_ == text_.size() || fail(problem, "content after the root element");
  }

 private:
  bool element(std::string& problem) {
    if (pos_ >= text_.size() || text_[pos_] != '<') return fail(problem, "expected '<'");
    ++pos_;
    const std::string tag = name();
    if (tag.empty()) return fail(problem, "element without a name");
    std::vector<std::string> seen;
    for (;;) {
      skipSpace();
      if (text_.compare(pos_, 2, "/>") == 0) {
        pos_ += 2;
        return true;
      }
      if (pos_ < text_.size() && text_[pos_] == '>') break;
      const std::string attribute = name();
      if (attribute.empty()) return fail(problem, "bad attribute in <" + tag + ">");
      for (const std::string& s : seen)
        if (s == attribute) return fail(problem, "repeated attribute " + attribute);
      seen.push_back(attribute);
      skipSpace();
      if (pos_ >= text_.size() || text_[pos_] != '=') return fail(problem, "attribute without '='");
      ++pos_;
      skipSpace();
      if (pos_ >= text_.size() || (text_[pos_] != '"' && text_[pos_] != '\''))
        return fail(problem, "unquoted value");
      const char q = text_[pos_++];
      const auto end = text_.find(q, pos_);
      if (end == std::string::npos) return fail(problem, "unterminated attribute value");
      if (!checkText(text_.substr(pos_, end - pos_), problem)) return false;
      pos_ = end + 1;
    }
    ++pos_;
    for (;;) {
      const auto next = text_.find('<', pos_);
      if (next == std::string::npos) return fail(problem, "<" + tag + "> is never closed");
      if (!checkText(text_.substr(pos_, next - pos_), problem)) return false;
      pos_ = next;
      if (text_.compare(pos_, 2, "</") == 0) {
        pos_ += 2;
        if (name() != tag) return fail(problem, "end tag does not match <" + tag + ">");
        skipSpace();
        if (pos_ >= text_.size() || text_[pos_] != '>') return fail(problem, "bad end tag");
        ++pos_;
        return true;
      }
      if (!element(problem)) return false;
    }
  }

  bool checkText(const std::string& text, std::string& problem) {
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '<') return fail(problem, "'<' in text");
      if (text[i] != '&') continue;
      const auto end = text.find(';', i);
      const std::string entity = end == std::string::npos ? "" : text.substr(i, end - i + 1);
      if (entity != "&amp;" && entity != "&lt;" && entity != "&gt;" && entity != "&quot;" &&
          entity != "&apos;")
        return fail(problem, "bad entity");
    }
    return true;
  }

  std::string name() {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) ||
                                   text_[pos_] == '-' || text_[pos_] == ':' || text_[pos_] == '_'))
      ++pos_;
    return text_.substr(start, pos_ - start);
  }
  void skipSpace() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }
  bool fail(std::string& problem, const std::string& what) {
    problem = what + " at byte " + std::to_string(pos_);
    return false;
  }

  const std::string& text_;
  std::size_t pos_ = 0;
};

constexpr const char* kRectangle =
    R"({"name": "rect", "type": "region", "points": [[0,0],[4,0],[4,2],[0,2]]})";
constexpr const char* kBowTie = "POLYGON ((0 0, 40 30, 40 0, 0 30, 0 0))\n";

class CntrTool : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("cntr_tool_test_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path file(const std::string& name, const std::string& text) {
    const fs::path path = dir_ / name;
    writeFile(path, text);
    return path;
  }
  fs::path path(const std::string& name) const { return dir_ / name; }

  // Runs cntr with the arguments (and `input` on standard input), with at most `memoryKb` of
  // address space when given.
  ToolRun run(const std::vector<std::string>& args, const std::string& input = "", long memoryKb = 0) {
    const fs::path in = file("stdin.txt", input), out = dir_ / "stdout.txt", err = dir_ / "stderr.txt";
    std::string command = memoryKb ? "ulimit -v " + std::to_string(memoryKb) + "; exec " : "";
    command += quote(CNTR_BINARY);
    for (const std::string& a : args) command += " " + quote(a);
    command += " <" + quote(in) + " >" + quote(out) + " 2>" + quote(err);
    const int status = std::system(command.c_str());
    ToolRun r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = readFile(out);
    r.err = readFile(err);
    return r;
  }

  json measureJson(const fs::path& input) {
    const ToolRun r = run({"measure", "--json", input.string()});
    EXPECT_EQ(r.code, 0) << r.err;
    return json::parse(r.out);
  }

  fs::path dir_;
};

TEST_F(CntrTool, HelpListsSubcommandsAndBadUsageExitsWithTwo) {
  const ToolRun help = run({"--help"});
  EXPECT_EQ(help.code, 0);
  for (const char* sub : {"measure", "regularize", "outer-hull", "inside", "distance", "draw", "convert"})
    EXPECT_NE(help.out.find(sub), std::string::npos) << sub;
  const ToolRun measureHelp = run({"measure", "--help"});
  EXPECT_EQ(measureHelp.code, 0);
  EXPECT_NE(measureHelp.out.find("--json"), std::string::npos);
  EXPECT_EQ(run({}).code, 2);
  EXPECT_EQ(run({"measure"}).code, 2);
  EXPECT_EQ(run({"measure", "--no-such-option", "x.json"}).code, 2);
  const ToolRun missing = run({"measure", path("absent.json").string()});
  EXPECT_EQ(missing.code, 2);
  EXPECT_NE(missing.err.find("absent.json"), std::string::npos);
}

TEST_F(CntrTool, MeasureGivesTheRectanglesHandValues) {
  const json doc = measureJson(file("rect.json", std::string("{\"shapes\": [") + kRectangle + "]}"));
  ASSERT_EQ(doc["shapes"].size(), 1u);
  const json& m = doc["shapes"][0];
  EXPECT_EQ(m["name"], "rect");
  EXPECT_DOUBLE_EQ(m["area"].get<double>(), 8.0);
  EXPECT_DOUBLE_EQ(m["outer_area"].get<double>(), 8.0);
  EXPECT_DOUBLE_EQ(m["center_of_mass"][0].get<double>(), 2.0);
  EXPECT_DOUBLE_EQ(m["center_of_mass"][1].get<double>(), 1.0);
  EXPECT_DOUBLE_EQ(m["length"].get<double>(), 12.0);
  // Central second moments of a 4 x 2 rectangle: w^3 h / 12 and w h^3 / 12.
  EXPECT_NEAR(m["inertia"][0][0].get<double>(), 32.0 / 3.0, 1e-9);
  EXPECT_NEAR(m["inertia"][1][1].get<double>(), 8.0 / 3.0, 1e-9);
  EXPECT_NEAR(m["inertia"][0][1].get<double>(), 0.0, 1e-9);
  EXPECT_DOUBLE_EQ(m["bounding_rect"]["width"].get<double>(), 4.0);
  EXPECT_DOUBLE_EQ(m["bounding_rect"]["height"].get<double>(), 2.0);
  EXPECT_NEAR(m["diameter"].get<double>(), 2.0 * std::sqrt(5.0), 1e-12);
  // A rectangle's smallest circle is the circle on its diagonal.
  EXPECT_NEAR(m["diameter_circle"]["radius"].get<double>(), std::sqrt(5.0), 1e-12);
  EXPECT_NEAR(m["min_enclosing_circle"]["radius"].get<double>(), std::sqrt(5.0), 1e-12);
  EXPECT_NEAR(m["min_enclosing_circle"]["center"][0].get<double>(), 2.0, 1e-12);
  EXPECT_DOUBLE_EQ(m["convex_hull_area"].get<double>(), 8.0);
  EXPECT_FALSE(m["self_intersecting"].get<bool>());
  EXPECT_EQ(doc["ok"], 1);
  EXPECT_EQ(doc["failed"], 0);
}

TEST_F(CntrTool, MeasureCountsHolesOnlyInTheAreaWithHoles) {
  const json doc =
      measureJson(file("holed.wkt", "POLYGON ((0 0, 10 0, 10 10, 0 10, 0 0), (4 4, 6 4, 6 6, 4 6, 4 4))"));
  const json& m = doc["shapes"][0];
  EXPECT_EQ(m["type"], "region");
  EXPECT_EQ(m["holes"], 1);
  EXPECT_DOUBLE_EQ(m["area"].get<double>(), 96.0);
  EXPECT_DOUBLE_EQ(m["outer_area"].get<double>(), 100.0);
  EXPECT_NEAR(m["center_of_mass"][0].get<double>(), 5.0, 1e-12);
}

TEST_F(CntrTool, MeasureTableIsReadable) {
  const ToolRun r = run({"measure", file("rect.json", kRectangle).string()});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("rect  (region"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("center of mass       (2, 1)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("area                 8\n"), std::string::npos) << r.out;
}

TEST_F(CntrTool, FailingShapeInABatchIsReportedAndTheOthersProcessed) {
  const fs::path input =
      file("batch.json", std::string("[") + kRectangle +
                             ",\n {\"name\": \"stub\", \"type\": \"region\", \"points\": [[0,0],[1,1]]},\n" +
                             R"( {"name": "tri", "type": "region", "points": [[0,0],[3,0],[0,3]]}])");
  const ToolRun r = run({"measure", "--json", input.string()});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("2 ok, 1 failed"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("'stub'"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("sgContourDefs::EmptyContour"), std::string::npos) << r.err;
  const json doc = json::parse(r.out);
  ASSERT_EQ(doc["shapes"].size(), 3u);
  EXPECT_DOUBLE_EQ(doc["shapes"][0]["area"].get<double>(), 8.0);
  EXPECT_TRUE(doc["shapes"][1].contains("error"));
  EXPECT_DOUBLE_EQ(doc["shapes"][2]["area"].get<double>(), 4.5);
  EXPECT_EQ(doc["failed"], 1);
}

TEST_F(CntrTool, ShapeTheLibraryRefusesToBuildFailsAlone) {
  // The hole crosses the outline, which the library refuses when the holes are set.
  const fs::path input = file("cross.json", R"([{"name": "bad-hole", "type": "region",
      "points": [[0,0],[10,0],[10,10],[0,10]], "holes": [[[5,5],[15,5],[15,6]]]}, )" +
                                                std::string(kRectangle) + "]");
  const ToolRun r = run({"convert", input.string(), "--to", "wkt"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("holes cannot intersect region"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "POLYGON ((0 0, 4 0, 4 2, 0 2, 0 0))\n");
}

TEST_F(CntrTool, MalformedJsonIsReportedWithLineAndColumn) {
  const fs::path syntax =
      file("syntax.json", "{\"shapes\": [\n  {\"type\": \"region\",, \"points\": []}\n]}");
  const ToolRun r = run({"measure", syntax.string()});
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find(syntax.string() + ":2:21:"), std::string::npos) << r.err;

  const fs::path value =
      file("value.json", "{\"shapes\": [\n  {\"type\": \"region\",\n   \"points\": [[0, 0], [1, \"x\"]]}]}");
  const ToolRun v = run({"measure", value.string()});
  EXPECT_EQ(v.code, 2);
  EXPECT_NE(v.err.find(value.string() + ":3:27: expected a number"), std::string::npos) << v.err;

  const ToolRun kind = run({"measure", file("kind.json", R"({"type": "circle", "points": []})").string()});
  EXPECT_EQ(kind.code, 2);
  EXPECT_NE(kind.err.find(":1:10:"), std::string::npos) << kind.err;

  const ToolRun typo = run({"measure", file("typo.json", R"({"type": "region", "pionts": []})").string()});
  EXPECT_EQ(typo.code, 2);
  EXPECT_NE(typo.err.find("unknown key \"pionts\""), std::string::npos) << typo.err;

  // Found by fuzzing: a number beyond the range of a double escaped as the parser's own error.
  const ToolRun huge =
      run({"measure", file("huge.json", R"({"type": "region", "points": [[0, 1e600]]})").string()});
  EXPECT_EQ(huge.code, 2);
  EXPECT_NE(huge.err.find("huge.json:1:35: number out of range: 1e600"), std::string::npos) << huge.err;
}

TEST_F(CntrTool, MalformedWktIsReportedWithLineAndColumn) {
  const fs::path extra = file("extra.wkt", "POLYGON ((0 0, 1 0, 1 1, 0 0))\nPOLYGON ((0 0, 1 0 1, 1 1))\n");
  const ToolRun r = run({"measure", extra.string()});
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find(extra.string() + ":2:20: only 2-D"), std::string::npos) << r.err;

  const ToolRun open = run({"measure", file("open.wkt", "POLYGON ((0 0, 1 0, 1 1)").string()});
  EXPECT_EQ(open.code, 2);
  EXPECT_NE(open.err.find(":1:25: expected ',' or ')'"), std::string::npos) << open.err;

  const ToolRun point = run({"measure", "-"}, "\n  POINT (1 2)");
  EXPECT_EQ(point.code, 2);
  EXPECT_NE(point.err.find("<stdin>:2:3: unsupported geometry POINT"), std::string::npos) << point.err;

  const ToolRun huge = run({"measure", "--from", "wkt", "-"}, "LINESTRING (0 0, 1e999 1)");
  EXPECT_EQ(huge.code, 2);
  EXPECT_NE(huge.err.find(":1:18: number out of range"), std::string::npos) << huge.err;
}

TEST_F(CntrTool, CorruptArchiveIsMalformedInput) {
  const ToolRun r = run({"measure", file("junk.arc", "not an archive at all").string()});
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("junk.arc: not an archive"), std::string::npos) << r.err;
}

TEST_F(CntrTool, FailedRunLeavesTheOutputFileAsItWas) {
  const fs::path target = file("out.wkt", "previous content\n");
  const ToolRun bad = run({"convert", file("bad.json", "[{").string(), "-o", target.string()});
  EXPECT_EQ(bad.code, 2);
  EXPECT_EQ(readFile(target), "previous content\n");

  const ToolRun unwritable =
      run({"convert", file("ok.json", kRectangle).string(), "-o", path("no/such/dir/x.wkt").string()});
  EXPECT_EQ(unwritable.code, 1);
  EXPECT_NE(unwritable.err.find("cannot write"), std::string::npos) << unwritable.err;

  const ToolRun good = run({"convert", path("ok.json").string(), "-o", target.string()});
  EXPECT_EQ(good.code, 0) << good.err;
  EXPECT_EQ(readFile(target), "POLYGON ((0 0, 4 0, 4 2, 0 2, 0 0))\n");
  // Nothing but the files written on purpose: no temporary left behind.
  std::size_t files = 0;
  for (const auto& entry : fs::directory_iterator(dir_))
    files += entry.path().filename().string().find(".wkt.") != std::string::npos;
  EXPECT_EQ(files, 0u);
}

constexpr const char* kMixedShapes = R"({"shapes": [
  {"name": "part", "type": "region", "label": 7, "points": [[0,0],[10,0],[10,10],[0,10]],
   "holes": [[[2,2],[2,4],[4,4],[4,2]], [[6,6],[6,8],[8,8]]]},
  {"name": "wire", "type": "contour", "closed": false, "points": [[0,20],[5,22.5],[10,20.125]]},
  {"name": "loop", "type": "contour", "points": [[20,0],[30,0],[25,5]]},
  {"name": "pair", "type": "regionset", "regions": [{"points": [[0,0],[2,0],[2,2]]},
   {"points": [[1,1],[3,1],[3,3],[1,3]], "holes": [[[1.5,1.5],[2.5,1.5],[2,2.5]]]}]},
  {"name": "edge", "type": "edgelets", "label": 3, "points": [[0,0,100,0],[4,0,120,64],[2,3,90,200]]}
]})";

// The shapes as the JSON writer gives them, names left out (not every form keeps them).
json withoutNames(json doc) {
  for (json& shape : doc["shapes"]) shape.erase("name");
  return doc;
}

TEST_F(CntrTool, ConvertRoundTripsThroughWkt) {
  const fs::path input = file("mixed.json", kMixedShapes);
  ASSERT_EQ(run({"convert", input.string(), "-o", path("mixed.wkt").string()}).code, 0);
  const std::string wkt = readFile(path("mixed.wkt"));
  EXPECT_EQ(countOccurrences(wkt, "\n"), 5u) << wkt;
  EXPECT_NE(wkt.find("LINESTRING (20 0, 30 0, 25 5, 20 0)"), std::string::npos) << wkt;
  EXPECT_NE(wkt.find("LINESTRING (0 20, 5 22.5, 10 20.125)\n"), std::string::npos) << wkt;
  const ToolRun back = run({"convert", path("mixed.wkt").string(), "--to", "json"});
  ASSERT_EQ(back.code, 0) << back.err;
  const ToolRun direct = run({"convert", input.string()});
  json expected = withoutNames(json::parse(direct.out));
  // WKT keeps neither labels nor the edgelets' magnitudes and directions.
  for (json& shape : expected["shapes"]) shape.erase("label");
  expected["shapes"][4] = json::parse(R"({"type": "region", "points": [[0,0],[4,0],[2,3]]})");
  EXPECT_EQ(withoutNames(json::parse(back.out)), expected);
}

TEST_F(CntrTool, ConvertRoundTripsThroughTheArchive) {
  const fs::path input = file("mixed.json", kMixedShapes);
  const ToolRun stored = run({"convert", input.string(), "-o", path("mixed.arc").string()});
  ASSERT_EQ(stored.code, 0) << stored.err;
  const ToolRun back = run({"convert", path("mixed.arc").string(), "--to", "json"});
  ASSERT_EQ(back.code, 0) << back.err;
  const json loaded = json::parse(back.out);
  EXPECT_EQ(loaded["shapes"][0]["name"], "#1");
  const ToolRun direct = run({"convert", input.string()});
  EXPECT_EQ(withoutNames(loaded), withoutNames(json::parse(direct.out)));
  // The same archive read from standard input, found by its content.
  const ToolRun piped = run({"convert", "-", "--to", "json"}, readFile(path("mixed.arc")));
  EXPECT_EQ(piped.out, back.out);
}

TEST_F(CntrTool, RegularizedBowTieNoLongerCrossesItself) {
  const fs::path input = file("bowtie.wkt", kBowTie);
  EXPECT_TRUE(measureJson(input)["shapes"][0]["self_intersecting"].get<bool>());
  const ToolRun r = run({"regularize", input.string(), "-o", path("fixed.json").string()});
  ASSERT_EQ(r.code, 0) << r.err;
  const json fixed = measureJson(path("fixed.json"));
  EXPECT_FALSE(fixed["shapes"][0]["self_intersecting"].get<bool>());
  // Two triangles of base 30 and height 20 meeting at the crossing.
  EXPECT_NEAR(fixed["shapes"][0]["area"].get<double>(), 600.0, 1e-9);
}

TEST_F(CntrTool, RepairOfAnOpenContourFailsButTheSetIsRepaired) {
  const fs::path input = file("mixed.wkt",
                              "LINESTRING (0 0, 5 5, 10 0)\n"
                              "MULTIPOLYGON (((0 0, 4 0, 4 4, 0 4)), ((2 2, 6 2, 6 6, 2 6)))\n");
  const ToolRun r = run({"outer-hull", input.string(), "--to", "wkt"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("open contour"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("1 ok, 1 failed"), std::string::npos) << r.err;
  ASSERT_EQ(countOccurrences(r.out, "MULTIPOLYGON"), 1u) << r.out;
  const fs::path hull = file("hull.wkt", r.out);
  const json m = measureJson(hull)["shapes"][0];
  EXPECT_EQ(m["regions"], 1);
  EXPECT_FALSE(m["self_intersecting"].get<bool>());
}

TEST_F(CntrTool, InsideAndDistanceAnswerPerShapeAndPoint) {
  const fs::path input = file("rect.json", kRectangle);
  const ToolRun inside = run({"inside", input.string(), "-p", "2,1", "--point", "5,1"});
  ASSERT_EQ(inside.code, 0) << inside.err;
  const std::string in = input.string();
  EXPECT_EQ(inside.out, in + "\trect\t2\t1\tinside\n" + in + "\trect\t5\t1\toutside\n");

  const fs::path points = file("points.txt", "# query points\n6 1\n\n2, 1\n");
  const ToolRun distance = run({"distance", input.string(), "--points", points.string(), "--json"});
  ASSERT_EQ(distance.code, 0) << distance.err;
  const json doc = json::parse(distance.out);
  EXPECT_DOUBLE_EQ(doc["shapes"][0]["results"][0]["distance"].get<double>(), 2.0);
  EXPECT_DOUBLE_EQ(doc["shapes"][0]["results"][1]["distance"].get<double>(), 1.0);

  const ToolRun filled = run({"distance", input.string(), "-p", "2,1", "--filled"});
  EXPECT_EQ(filled.out, in + "\trect\t2\t1\t0\n");
}

TEST_F(CntrTool, BadQueryPointsAreUsageErrors) {
  const fs::path input = file("rect.json", kRectangle);
  EXPECT_EQ(run({"inside", input.string()}).code, 2);
  EXPECT_EQ(run({"inside", input.string(), "-p", "2;1"}).code, 2);
  const ToolRun r = run({"inside", input.string(), "--points", file("p.txt", "1 2\n3 abc\n").string()});
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("p.txt:2:3:"), std::string::npos) << r.err;
}

TEST_F(CntrTool, InputFormsAreFoundByExtensionFlagOrContent) {
  // One shape object on standard input, a bare array with --from on an unknown extension, WKT
  // on standard input; EMPTY geometries are read and then fail as the library refuses them.
  const ToolRun single = run({"measure", "--json", "-"}, kRectangle);
  ASSERT_EQ(single.code, 0) << single.err;
  EXPECT_EQ(json::parse(single.out)["shapes"][0]["name"], "rect");
  const ToolRun forced = run({"measure", "--json", "--from", "json",
                              file("shapes.txt", std::string("[") + kRectangle + "]").string()});
  ASSERT_EQ(forced.code, 0) << forced.err;
  const ToolRun empty =
      run({"measure", "--json", "-"}, "POLYGON EMPTY\nLINESTRING (0 0, 3 4)\nMULTIPOLYGON EMPTY");
  EXPECT_EQ(empty.code, 1);
  const json doc = json::parse(empty.out);
  ASSERT_EQ(doc["shapes"].size(), 3u);
  EXPECT_NE(doc["shapes"][0]["error"].get<std::string>().find("EmptyContour"), std::string::npos);
  EXPECT_DOUBLE_EQ(doc["shapes"][1]["length"].get<double>(), 5.0);
  EXPECT_NE(doc["shapes"][2]["error"].get<std::string>().find("EmptyRegionSet"), std::string::npos);
}

TEST_F(CntrTool, EdgeletValuesOutOfRangeAreMalformedInput) {
  const ToolRun r = run({"measure", "-"}, R"({"type": "edgelets", "points": [[1, 2, 70000, 3]]})");
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("<stdin>:1:33: magnitude"), std::string::npos) << r.err;
  const ToolRun code = run({"measure", "-"}, R"({"type": "edgelets", "points": [[1, 2, 7, 256]]})");
  EXPECT_EQ(code.code, 2);
  EXPECT_NE(code.err.find("angleCode"), std::string::npos) << code.err;
}

TEST_F(CntrTool, InsideHonoursHolesUnlessTheyAreIgnored) {
  const fs::path input = file("holed.wkt",
                              "POLYGON ((0 0, 10 0, 10 10, 0 10, 0 0), (4 4, 6 4, 6 6, 4 6, 4 4))\n"
                              "MULTIPOLYGON (((20 0, 24 0, 24 4, 20 4)), ((30 0, 34 0, 34 4, 30 4)))\n");
  const ToolRun r = run({"inside", "--csv", input.string(), "-p", "5,5", "-p", "2,2", "-p", "32,2"});
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string in = input.string();
  EXPECT_EQ(r.out, "source,index,name,x,y,inside\n" + in + ",1,#1,5,5,false\n" + in + ",1,#1,2,2,true\n" +
                       in + ",1,#1,32,2,false\n" + in + ",2,#2,5,5,false\n" + in + ",2,#2,2,2,false\n" + in +
                       ",2,#2,32,2,true\n");
  const ToolRun ignoring = run({"inside", input.string(), "-p", "5,5", "--ignore-holes"});
  EXPECT_EQ(ignoring.out, in + "\t#1\t5\t5\tinside\n" + in + "\t#2\t5\t5\toutside\n");
}

TEST_F(CntrTool, LongBatchShowsNoProgressBarWhenStderrIsNotATerminal) {
  std::string wkt;
  for (int i = 0; i < 60; ++i) wkt += "POLYGON ((0 0, 1 0, 1 " + std::to_string(i + 1) + ", 0 0))\n";
  const ToolRun r = run({"measure", "--json", file("many.wkt", wkt).string()});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(json::parse(r.out)["shapes"].size(), 60u);
  EXPECT_EQ(r.err, "60 ok, 0 failed\n");
}

TEST_F(CntrTool, ExamplesMeasureAndDraw) {
  const ToolRun r = run(
      {"measure", std::string(CNTR_EXAMPLES) + "/shapes.json", std::string(CNTR_EXAMPLES) + "/overlap.wkt"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("bracket"), std::string::npos);
  const ToolRun d =
      run({"draw", "--repair", std::string(CNTR_EXAMPLES) + "/shapes.json", "-o", path("e.svg").string()});
  EXPECT_EQ(d.code, 0) << d.err;
  std::string problem;
  EXPECT_TRUE(XmlChecker(readFile(path("e.svg"))).check(problem)) << problem;
}

}  // namespace

namespace {

// Hostile and odd input, one case a row: the file given to the tool ({in} in the arguments;
// {dir} is the test's directory), the exit code, and what standard error must say.
struct Finding {
  const char* file;
  std::string content;
  std::vector<std::string> args;
  int code;
  const char* error;
};

const std::vector<Finding> kFindings = {
    {"t.json",
     R"({"type":"region","points":[[0,0],[1,0],[0,1]]})"
     "\0garbage"s,
     {"measure", "{in}"},
     2,
     "t.json:1:47: unexpected content after the JSON document"},
    {"big.json",
     R"({"type":"region","points":[[0,1e309],[1,0],[0,1]]})",
     {"measure", "{in}"},
     2,
     "big.json:1:31: number out of range: 1e309"},
    {"long.json",
     "[" + std::string(20000, '1') + "]",
     {"measure", "{in}"},
     2,
     "long.json:1:2: number too long: 111111111111111111111111...\n"},
    {"long.wkt",
     "POLYGON ((1" + std::string(20000, '0') + " 0, 1 1, 0 1))",
     {"measure", "{in}"},
     2,
     "long.wkt:1:11: number too long: 100000000000000000000000...\n"},
    {"dup.json",
     R"({"type":"region","type":"region","points":[]})",
     {"measure", "{in}"},
     2,
     "dup.json:1:18: duplicate key \"type\""},
    {"dupgeo.json",
     R"({"type":"Feature","properties":{"name":"a","name":"b"},"geometry":null})",
     {"measure", "{in}"},
     2,
     "dupgeo.json:1:44: duplicate key \"name\""},
    {"point.geojson",
     R"({"type":"Point","coordinates":[1,2]})",
     {"measure", "{in}"},
     2,
     "point.geojson:1:9: unsupported type \"Point\""},
    {"e.json", "", {"measure", "{in}"}, 2, "e.json: empty input (no shapes)"},
    {"e.wkt", "", {"measure", "{in}"}, 2, "e.wkt: empty input (no shapes)"},
    {"e.arc", "", {"measure", "{in}"}, 2, "e.arc: empty input (no shapes)"},
    {"e.geojson", " \n\t", {"measure", "{in}"}, 2, "e.geojson: empty input (no shapes)"},
    {"blank", "\n\n", {"inside", "-p", "1,1", "{in}"}, 2, "blank: empty input (no shapes)"},
    {"zeros.arc", std::string(4096, '\0'), {"measure", "{in}"}, 2, "zeros.arc: not an archive"},
    {"ok.wkt",
     "POLYGON ((0 0, 1 0, 0 1))",
     {"measure", "{dir}"},
     2,
     "_Findings: cannot read: it is a directory"},
    {"ok.wkt", "POLYGON ((0 0, 1 0, 0 1))", {"frobnicate", "{in}"}, 2, "unknown subcommand 'frobnicate'"},
    {"ok.wkt",
     "POLYGON ((0 0, 1 0, 0 1))",
     {"draw", "--stroke", "nan", "{in}"},
     2,
     "must be a finite number above 0"},
    {"ok.wkt",
     "POLYGON ((0 0, 1 0, 0 1))",
     {"draw", "--stroke", "0", "{in}"},
     2,
     "must be a finite number above 0"},
    {"ok.wkt",
     "POLYGON ((0 0, 1 0, 0 1))",
     {"draw", "--width=-5", "{in}"},
     2,
     "must be a finite number above 0"},
    {"ok.wkt",
     "POLYGON ((0 0, 1 0, 0 1))",
     {"draw", "--width", "inf", "{in}"},
     2,
     "must be a finite number above 0"},
    {"ok.wkt", "POLYGON ((0 0, 1 0, 0 1))", {"measure", "--json", "--csv", "{in}"}, 2, "excludes"},
    {"ok.wkt",
     "POLYGON ((0 0, 1 0, 0 1))",
     {"convert", "{in}", "-o", "/dev/full"},
     1,
     "cannot write /dev/full: write: No space left on device\n0 ok, 0 failed (the output was not written)"},
    {"ok.wkt",
     "POLYGON ((0 0, 1 0, 0 1))",
     {"convert", "{in}", "--to", "archive", "-o", "/dev/full"},
     1,
     "cannot write /dev/full: write: No space left on device\n0 ok, 1 failed (the output was not written)"},
    {"far.wkt",
     "POLYGON ((0 0, 1e300 0, 0 1))",
     {"draw", "{in}", "-o", "{dir}/far.svg"},
     1,
     "coordinates beyond 1e+12 cannot be drawn"},
};

}  // namespace

TEST_F(CntrTool, Findings) {
  for (const Finding& f : kFindings) {
    const fs::path input = file(f.file, f.content);
    std::vector<std::string> args;
    for (std::string arg : f.args) {
      for (const auto& [key, value] :
           {std::pair{"{in}"s, input.string()}, std::pair{"{dir}"s, dir_.string()}})
        if (const auto at = arg.find(key); at != std::string::npos) arg.replace(at, key.size(), value);
      args.push_back(arg);
    }
    const ToolRun r = run(args);
    EXPECT_EQ(r.code, f.code) << f.file << " " << f.args[0] << ": " << r.err;
    EXPECT_NE(r.err.find(f.error), std::string::npos) << f.file << " " << f.args[0] << ": " << r.err;
    // Messages quote excerpts, never whole values.
    EXPECT_LT(r.err.size(), 400u) << f.file;
  }
}

// Bad shapes, each refused by every subcommand with measure's message, while the good one goes on.
TEST_F(CntrTool, EveryCommandRefusesWhatMeasureRefusesWithTheSameMessage) {
  const std::vector<std::string> badShapes = {
      R"({"name": "two", "type": "region", "points": [[0,0],[1,1]]})",
      R"({"name": "dot", "type": "contour", "points": [[0,0]]})",
      R"({"name": "none", "type": "regionset", "regions": []})",
      R"({"name": "stub", "type": "regionset", "regions": [{"points": [[0,0],[1,1]]}]})",
      R"({"name": "pair", "type": "edgelets", "points": [[0,0,1,1],[1,1,1,1]]})",
  };
  const std::vector<std::vector<std::string>> commands = {
      {"regularize"}, {"outer-hull"}, {"convert"}, {"inside", "-p", "0,0"}, {"distance", "-p", "0,0"},
      {"draw"}};
  for (const std::string& bad : badShapes) {
    const fs::path input = file("bad.json", "[" + bad + ", " + kRectangle + "]");
    const ToolRun measured = run({"measure", input.string()});
    ASSERT_EQ(measured.code, 1) << bad;
    const std::string message = measured.err.substr(0, measured.err.find('\n') + 1);
    EXPECT_NE(message.find("sgContourDefs::Empty"), std::string::npos) << message;
    for (std::vector<std::string> args : commands) {
      args.push_back(input.string());
      const ToolRun r = run(args);
      EXPECT_EQ(r.code, 1) << args[0] << " " << bad;
      EXPECT_EQ(r.err, message + "1 ok, 1 failed\n") << args[0];
    }
  }
}

// The 8 bytes of `value` in an archive replaced by those of `replacement`.
std::string replaceDouble(std::string bytes, double value, double replacement) {
  const std::string from(reinterpret_cast<const char*>(&value), 8),
      to(reinterpret_cast<const char*>(&replacement), 8);
  const auto at = bytes.find(from);
  EXPECT_NE(at, std::string::npos);
  if (at != std::string::npos) bytes.replace(at, 8, to);
  return bytes;
}

TEST_F(CntrTool, ArchivesCarryTheirCountAndAreCheckedLikeText) {
  const fs::path one = file("one.json", kRectangle),
                 two = file("two.json", std::string("[") + kRectangle + "," + kRectangle + "]");
  ASSERT_EQ(run({"convert", one.string(), "-o", path("one.arc").string()}).code, 0);
  ASSERT_EQ(run({"convert", two.string(), "-o", path("two.arc").string()}).code, 0);
  const std::string oneArc = readFile(path("one.arc")), twoArc = readFile(path("two.arc"));
  // Cut at the boundary between the records: once read as one shape and exit 0.
  const ToolRun cut = run({"measure", file("cut.arc", twoArc.substr(0, oneArc.size())).string()});
  EXPECT_EQ(cut.code, 2);
  EXPECT_NE(cut.err.find("cut.arc: archive cut short: it ends after 1 of 2 shapes"), std::string::npos)
      << cut.err;
  const ToolRun longer = run({"measure", file("long.arc", oneArc + "x").string()});
  EXPECT_EQ(longer.code, 2);
  EXPECT_NE(longer.err.find("unexpected bytes after the last of 1 shapes"), std::string::npos) << longer.err;
  // Plain records, as the library writes them, still read.
  const ToolRun plain =
      run({"measure", "--json", std::string(LYNCNTR_TEST_DATA_DIR) + "/archives/contour.bin", "--from",
           "archive"});
  EXPECT_EQ(plain.code, 0) << plain.err;
  // A vertex that is not a number is refused at input, the shape named; nothing of it is written.
  const fs::path nan = file("nan.arc", replaceDouble(oneArc, 4.0, std::nan("")));
  for (const char* to : {"json", "wkt"}) {
    const ToolRun r = run({"convert", nan.string(), "--to", to});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("shape '#1' (" + nan.string() +
                         " #1): coordinate not finite: vertex 2 of the outline is (nan, 0)"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.out, std::string(to) == "json" ? "{\"shapes\": []}\n" : "") << to;
  }
  EXPECT_EQ(run({"measure", nan.string()}).code, 1);
  // Found by fuzzing: a record may hold a hole across the outline, which the library refuses to
  // build from any text form; it is refused from an archive alike.
  const fs::path holed = file("holed.json", R"({"type": "region", "points": [[0,0],[10,0],[10,10],[0,10]],
      "holes": [[[2,2],[3,2],[3,3.5]]]})");
  ASSERT_EQ(run({"convert", holed.string(), "-o", path("holed.arc").string()}).code, 0);
  const fs::path crossing = file("crossing.arc", replaceDouble(readFile(path("holed.arc")), 3.5, 30.5));
  const ToolRun refused = run({"measure", crossing.string()});
  EXPECT_EQ(refused.code, 1);
  EXPECT_NE(refused.err.find("holes cannot intersect region"), std::string::npos) << refused.err;
}

TEST_F(CntrTool, OutputGoesThroughLinksAndStandardOutput) {
  const fs::path input = file("ok.wkt", "POLYGON ((0 0, 1 0, 0 1))\n");
  fs::create_directory(path("sub"));
  fs::create_symlink("sub/target.wkt", path("link.wkt"));
  ASSERT_EQ(run({"convert", input.string(), "-o", path("link.wkt").string()}).code, 0);
  EXPECT_TRUE(fs::is_symlink(path("link.wkt")));
  EXPECT_EQ(readFile(path("sub/target.wkt")), "POLYGON ((0 0, 1 0, 0 1, 0 0))\n");
  // An archive on standard output still gets its count.
  const ToolRun piped = run({"convert", input.string(), "--to", "archive"});
  ASSERT_EQ(piped.code, 0);
  EXPECT_EQ(run({"convert", "-", "--to", "wkt"}, piped.out).out, "POLYGON ((0 0, 1 0, 0 1, 0 0))\n");
}

// Twice the signed area of a GeoJSON ring (closing position included), y up.
double measureTurn(const json& ring) {
  double sum = 0;
  for (std::size_t i = 0; i + 1 < ring.size(); ++i)
    sum += ring[i][0].get<double>() * ring[i + 1][1].get<double>() -
           ring[i + 1][0].get<double>() * ring[i][1].get<double>();
  return sum;
}

TEST_F(CntrTool, ShapesRoundTripThroughEveryForm) {
  const fs::path input = file("mixed.json", kMixedShapes);
  const json direct = json::parse(run({"convert", input.string()}).out);
  // JSON -> GeoJSON -> WKT -> archive -> JSON.
  std::string current = input.string();
  for (const char* step : {"a.geojson", "b.wkt", "c.arc", "d.json"}) {
    const ToolRun r = run({"convert", current, "-o", path(step).string()});
    ASSERT_EQ(r.code, 0) << step << ": " << r.err;
    current = path(step).string();
  }
  json expected = withoutNames(direct);
  // WKT keeps neither labels nor the edgelets' magnitudes and directions.
  for (json& shape : expected["shapes"]) shape.erase("label");
  expected["shapes"][4] = json::parse(R"({"type": "region", "points": [[0,0],[4,0],[2,3]]})");
  EXPECT_EQ(withoutNames(json::parse(readFile(path("d.json")))), expected);
  // GeoJSON keeps names and labels.
  const json back = json::parse(run({"convert", path("a.geojson").string(), "--to", "json"}).out);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(back["shapes"][i], direct["shapes"][i]) << i;
  // RFC 7946 turns outer rings counter-clockwise and holes clockwise; both read back.
  const json turned = json::parse(run({"convert", input.string(), "--to", "geojson", "--rfc7946"}).out);
  const json& rings = turned["features"][0]["geometry"]["coordinates"];
  EXPECT_GT(measureTurn(rings[0]), 0);
  EXPECT_LT(measureTurn(rings[1]), 0);
  EXPECT_LT(measureTurn(rings[2]), 0);
  const ToolRun reread = run({"measure", "--json", "--from", "geojson", "-"}, turned.dump());
  ASSERT_EQ(reread.code, 0) << reread.err;
  EXPECT_DOUBLE_EQ(json::parse(reread.out)["shapes"][0]["area"].get<double>(), 100.0 - 4.0 - 2.0);
}

TEST_F(CntrTool, CsvHoldsEveryMeasureAndQuotesNames) {
  const fs::path input = file("mixed.json", kMixedShapes);
  const json records = json::parse(run({"measure", "--json", input.string()}).out)["shapes"];
  const ToolRun csv = run({"measure", "--csv", input.string()});
  ASSERT_EQ(csv.code, 0) << csv.err;
  std::istringstream lines(csv.out);
  std::string header, row;
  std::getline(lines, header);
  EXPECT_EQ(header.rfind("source,index,name,type,error,", 0), 0u) << header;
  // Each row has a field for every number, flag and text of the JSON record: none is lost.
  for (const json& record : records) {
    ASSERT_TRUE(std::getline(lines, row));
    std::size_t leaves = 0;
    const std::function<void(const json&)> count = [&](const json& v) {
      if (v.is_structured())
        for (const json& item : v) count(item);
      else
        ++leaves;
    };
    count(record);
    std::size_t filled = 0;
    std::istringstream fields(row);
    for (std::string field; std::getline(fields, field, ',');) filled += !field.empty();
    EXPECT_EQ(filled, leaves) << row;
  }
  const ToolRun quoted = run({"inside", "--csv", "-p", "1,1", "-"},
                             R"({"name": "a, \"b\"", "type": "region", "points": [[0,0],[4,0],[0,4]]})");
  EXPECT_EQ(quoted.out, "source,index,name,x,y,inside\n<stdin>,1,\"a, \"\"b\"\"\",1,1,true\n");
}

// The memory bounds: 10^6 small contours and 10^4 shapes x 10^3 query points, within 100 MB of
// address space; a single shape too large for the limit ends in a message, not an abort.
TEST_F(CntrTool, BatchesRunInBoundedMemory) {
#ifdef CNTR_TOOL_SANITIZED
  GTEST_SKIP() << "a sanitized tool cannot run under an address-space limit; the plain build checks it";
#endif
  constexpr long kLimitKb = 100 * 1024;
  {
    std::ofstream many(path("many.wkt"));
    for (int i = 0; i < 1000000; ++i)
      many << "LINESTRING (" << i << " 0, " << i + 1 << " 1, " << i + 2 << " 0)\n";
  }
  const ToolRun converted =
      run({"convert", path("many.wkt").string(), "-o", path("many.arc").string()}, "", kLimitKb);
  EXPECT_EQ(converted.code, 0) << converted.err;
  EXPECT_EQ(converted.err, "1000000 ok, 0 failed\n");
  {
    std::ofstream shapes(path("shapes.wkt")), points(path("points.txt"));
    for (int i = 0; i < 10000; ++i) {
      shapes << "POLYGON ((";
      for (int k = 0; k < 64; ++k)
        shapes << (k ? ", " : "") << i % 100 * 10 + 5 + 4 * std::cos(k * M_PI / 32) << " "
               << i / 100 * 10 + 5 + 4 * std::sin(k * M_PI / 32);
      shapes << "))\n";
    }
    for (int k = 0; k < 1000; ++k) points << k % 40 * 25 << " " << k / 40 * 40 << "\n";
  }
  const ToolRun inside =
      run({"inside", path("shapes.wkt").string(), "--points", path("points.txt").string(), "-o", "/dev/null"},
          "", kLimitKb);
  EXPECT_EQ(inside.code, 0) << inside.err;
  {
    std::ofstream huge(path("huge.json"));
    huge << R"({"type": "contour", "points": [[0,0])";
    for (int i = 1; i < 2000000; ++i) huge << ",[" << i << ",1]";
    huge << "]}";
  }
  // A 1 GB file of zero bytes (sparse) is refused at its first bytes, not read whole.
  for (const char* name : {"sparse.arc", "sparse"}) {
    writeFile(path(name), "");
    fs::resize_file(path(name), std::uintmax_t{1} << 30);
    const ToolRun sparse = run({"measure", path(name).string()}, "", kLimitKb);
    EXPECT_EQ(sparse.code, 2);
    EXPECT_NE(sparse.err.find("not an archive"), std::string::npos) << sparse.err;
  }
  const ToolRun starved = run({"measure", path("huge.json").string()}, "", 50 * 1024);
  EXPECT_EQ(starved.code, 1);
  EXPECT_EQ(starved.err, "cntr: error: out of memory\n");
}

// A PNG rendered from SVG, as RGB rows.
struct Raster {
  std::size_t width = 0, height = 0;
  std::vector<unsigned char> rgb;
  std::array<int, 3> at(double x, double y) const {
    const std::size_t i = 3 * (static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x));
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
  }
};

Raster renderSvg(const fs::path& svg) {
  const fs::path png = svg.string() + ".png";
  EXPECT_EQ(std::system(("rsvg-convert -o " + quote(png) + " " + quote(svg)).c_str()), 0)
      << "rsvg-convert (librsvg2-bin)";
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  Raster raster;
  if (!png_image_begin_read_from_file(&image, png.c_str())) return raster;
  image.format = PNG_FORMAT_RGB;
  raster.rgb.resize(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, raster.rgb.data(), 0, nullptr)) {
    raster.width = image.width;
    raster.height = image.height;
  }
  return raster;
}

// Pixels of the rendered pictures at known places: a shape unit is (800 - 2 * 24) / extent pixels,
// after a margin of 24.
TEST_F(CntrTool, PicturesShowFillsHolesTicksAndRepairs) {
  struct Probe {
    double x, y;
    std::array<int, 3> rgb;
    const char* what;
  };
  const std::array<int, 3> white{255, 255, 255}, fill{210, 225, 246}, repair{243, 173, 187},
      tick{20, 150, 60};
  const struct {
    std::string shapes;
    std::vector<std::string> options;
    std::vector<Probe> probes;
  } pictures[] = {
      {R"({"name": "plate", "type": "region", "points": [[0,0],[100,0],[100,100],[0,100]],
          "holes": [[[30,30],[70,30],[70,70],[30,70]]]})",
       {},
       {{400, 400, white, "hole left empty"},
        {137, 137, fill, "filled area"},
        {10, 10, white, "background"}}},
      {R"({"name": "bow", "type": "region", "points": [[0,0],[40,30],[40,0],[0,30]]})",
       {"--repair"},
       {{110, 300, repair, "repair over the left lobe"}, {400, 120, white, "outside both lobes"}}},
      {R"({"name": "edges", "type": "edgelets", "points": [[0,0,9,224],[10,0,9,32],[10,5,9,0],[10,10,9,96],[0,10,9,160]]})",
       {},
       {{779, 400, tick, "tick outside the right edge"}}},
  };
  for (const auto& picture : pictures) {
    std::vector<std::string> args = {"draw", file("p.json", picture.shapes).string(), "-o",
                                     path("p.svg").string()};
    args.insert(args.end(), picture.options.begin(), picture.options.end());
    const ToolRun r = run(args);
    ASSERT_EQ(r.code, 0) << r.err;
    std::string problem;
    EXPECT_TRUE(XmlChecker(readFile(path("p.svg"))).check(problem)) << problem;
    const Raster raster = renderSvg(path("p.svg"));
    ASSERT_EQ(raster.width, 800u);
    for (const Probe& probe : picture.probes) {
      const auto rgb = raster.at(probe.x, probe.y);
      for (int c = 0; c < 3; ++c) EXPECT_NEAR(rgb[c], probe.rgb[c], 6) << probe.what << " channel " << c;
    }
  }
  // Shapes that cannot be drawn are named in the legend; the others are drawn.
  const ToolRun refused =
      run({"draw",
           file("r.json", std::string("[") + kRectangle +
                              R"(, {"name": "stub", "type": "region", "points": [[0,0],[1,1]]}])")
               .string(),
           "-o", path("r.svg").string()});
  EXPECT_EQ(refused.code, 1);
  const std::string svg = readFile(path("r.svg"));
  EXPECT_NE(svg.find("not drawn: 'stub'"), std::string::npos) << svg;
  EXPECT_NE(svg.find(">rect</text>"), std::string::npos);
}
