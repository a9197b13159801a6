// End-to-end tests of the cntr tool: each runs the built binary on files written for it and
// checks exit codes, standard output, standard error and the files it writes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

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

  // Runs cntr with the arguments (and `input` on standard input).
  ToolRun run(const std::vector<std::string>& args, const std::string& input = "") {
    const fs::path in = file("stdin.txt", input), out = dir_ / "stdout.txt", err = dir_ / "stderr.txt";
    std::string command = quote(CNTR_BINARY);
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
  EXPECT_EQ(run({"frobnicate"}).code, 2);
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
  EXPECT_NE(huge.err.find("malformed JSON: number overflow"), std::string::npos) << huge.err;
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
  EXPECT_NE(r.err.find("junk.arc: unreadable archive"), std::string::npos) << r.err;
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

TEST_F(CntrTool, DrawWritesWellFormedSvgWithOneLinePerEdgeAndTick) {
  const fs::path input = file("mixed.json", kMixedShapes);
  const ToolRun r = run({"draw", input.string(), "-o", path("mixed.svg").string()});
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string svg = readFile(path("mixed.svg"));
  std::string problem;
  EXPECT_TRUE(XmlChecker(svg).check(problem)) << problem;
  // part 4 + holes 4 + 3, open wire 2, closed loop 3, set 3 + 4 + its hole 3, edgelet
  // outline 3 and ticks 3.
  EXPECT_EQ(countOccurrences(svg, "<line "), 32u);
  EXPECT_EQ(countOccurrences(svg, "rgb(20,150,60)"), 3u);
  EXPECT_EQ(countOccurrences(svg, "rgb(230,120,0)"), 10u);
}

TEST_F(CntrTool, DrawWithRepairAddsTheRegularizedOutlineInRed) {
  const fs::path input = file("bowtie.wkt", kBowTie);
  const ToolRun repaired = run({"regularize", input.string(), "--to", "json"});
  ASSERT_EQ(repaired.code, 0) << repaired.err;
  const std::size_t repairedEdges = json::parse(repaired.out)["shapes"][0]["points"].size();
  ASSERT_GE(repairedEdges, 3u);

  const ToolRun r = run({"draw", "--repair", input.string(), "-o", path("bowtie.svg").string()});
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string svg = readFile(path("bowtie.svg"));
  std::string problem;
  EXPECT_TRUE(XmlChecker(svg).check(problem)) << problem;
  EXPECT_EQ(countOccurrences(svg, "<line "), 4 + repairedEdges);
  EXPECT_EQ(countOccurrences(svg, "rgb(220,20,60)"), repairedEdges);
  EXPECT_NE(svg.find("<g id=\"overlay\""), std::string::npos);
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
  EXPECT_EQ(inside.out, "rect\t2\t1\tinside\nrect\t5\t1\toutside\n");

  const fs::path points = file("points.txt", "# query points\n6 1\n\n2, 1\n");
  const ToolRun distance = run({"distance", input.string(), "--points", points.string(), "--json"});
  ASSERT_EQ(distance.code, 0) << distance.err;
  const json doc = json::parse(distance.out);
  EXPECT_DOUBLE_EQ(doc["shapes"][0]["results"][0]["distance"].get<double>(), 2.0);
  EXPECT_DOUBLE_EQ(doc["shapes"][0]["results"][1]["distance"].get<double>(), 1.0);

  const ToolRun filled = run({"distance", input.string(), "-p", "2,1", "--filled"});
  EXPECT_EQ(filled.out, "rect\t2\t1\t0\n");
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
  EXPECT_NE(r.err.find("<stdin>:1:40: magnitude"), std::string::npos) << r.err;
  const ToolRun code = run({"measure", "-"}, R"({"type": "edgelets", "points": [[1, 2, 7, 256]]})");
  EXPECT_EQ(code.code, 2);
  EXPECT_NE(code.err.find("angleCode"), std::string::npos) << code.err;
}

TEST_F(CntrTool, InsideHonoursHolesUnlessTheyAreIgnored) {
  const fs::path input = file("holed.wkt",
                              "POLYGON ((0 0, 10 0, 10 10, 0 10, 0 0), (4 4, 6 4, 6 6, 4 6, 4 4))\n"
                              "MULTIPOLYGON (((20 0, 24 0, 24 4, 20 4)), ((30 0, 34 0, 34 4, 30 4)))\n");
  const ToolRun r = run({"inside", input.string(), "-p", "5,5", "-p", "2,2", "-p", "32,2"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "#1\t5\t5\toutside\n#1\t2\t2\tinside\n#1\t32\t2\toutside\n"
            "#2\t5\t5\toutside\n#2\t2\t2\toutside\n#2\t32\t2\tinside\n");
  const ToolRun ignoring = run({"inside", input.string(), "-p", "5,5", "--ignore-holes"});
  EXPECT_EQ(ignoring.out, "#1\t5\t5\tinside\n#2\t5\t5\toutside\n");
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
