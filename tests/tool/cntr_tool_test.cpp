// End-to-end tests of the cntr tool: the built binary run on the rows of data/tool.cases, and the
// behaviours that take several runs (round trips, memory bounds).
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/casetable.h"

namespace {

namespace fs = std::filesystem;
using casetable::split;
using nlohmann::json;

struct ToolRun {
  int code;
  std::string out, err;
};

std::string readFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

fs::path writeFile(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

void replaceAll(std::string& text, const std::string& key, const std::string& value) {
  for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
    text.replace(at, key.size(), value);
}

std::string quote(std::string arg) {
  replaceAll(arg, "'", "'\\''");
  return "'" + arg + "'";
}

const std::string kDataDir = LYNCNTR_TEST_DATA_DIR;
const std::string kRectangle = readFile(kDataDir + "/tool/rect.json");

// A row's input text: {rect}, {xN:TEXT} repeated N times, then the escapes \n, \t and \0.
std::string expandInput(std::string text) {
  replaceAll(text, "{rect}", kRectangle);
  for (auto at = text.find("{x"); at != std::string::npos; at = text.find("{x", at)) {
    const auto colon = text.find(':', at), end = text.find('}', colon);
    std::string copies;
    for (int n = std::stoi(text.substr(at + 2, colon - at - 2)); n > 0; --n)
      copies += text.substr(colon + 1, end - colon - 1);
    text.replace(at, end + 1 - at, copies);
    at += copies.size();
  }
  for (const auto& [escape, c] : {std::pair{"\\n", '\n'}, {"\\t", '\t'}, {"\\0", '\0'}})
    replaceAll(text, escape, std::string(1, c));
  return text;
}

// `/pointer VALUE; ...`: VALUE is JSON (numbers to 1e-12 relative), #N a size, ~TEXT a substring.
void expectJson(const json& doc, const std::string& checks) {
  for (const std::string& check : split(checks, "; ")) {
    const auto space = check.find(' ');
    const json& value = doc.at(json::json_pointer(check.substr(0, space)));
    const std::string want = check.substr(space + 1);
    if (want[0] == '#') {
      EXPECT_EQ(value.size(), std::stoul(want.substr(1))) << check;
    } else if (want[0] == '~') {
      EXPECT_NE(value.get<std::string>().find(want.substr(1)), std::string::npos) << check << ": " << value;
    } else if (const json expected = json::parse(want); expected.is_number()) {
      EXPECT_NEAR(value.get<double>(), expected, 1e-12 * std::max(1.0, std::abs(expected.get<double>())))
          << check;
    } else {
      EXPECT_EQ(value, expected) << check;
    }
  }
}

class ToolTest : public testing::Test {
 protected:
  void SetUp() override {
    static int count = 0;
    dir_ = fs::temp_directory_path() /
           ("cntr_tool_test_" + std::to_string(::getpid()) + "_" + std::to_string(++count));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    // Whether the run failed or not, no temporary output is left beside the target.
    for (const auto& entry : fs::directory_iterator(dir_))
      EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
    fs::remove_all(dir_);
  }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  // Runs cntr with `input` on standard input, within `memoryKb` of address space when given.
  ToolRun run(const std::vector<std::string>& args, const std::string& input = "", long memoryKb = 0) {
    const fs::path in = writeFile(dir_ / "stdin", input), out = dir_ / "stdout", err = dir_ / "stderr";
    std::string command = memoryKb ? "ulimit -v " + std::to_string(memoryKb) + "; exec " : "";
    command += quote(CNTR_BINARY);
    for (const std::string& a : args) command += " " + quote(a);
    const int status =
        std::system((command + " <" + quote(in) + " >" + quote(out) + " 2>" + quote(err)).c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(out), readFile(err)};
  }

  std::string expand(std::string text) const {
    using Key = std::pair<std::string, std::string>;
    for (const auto& [key, value] :
         {Key{"{in}", in_}, Key{"{dir}", dir_}, Key{"{data}", kDataDir}, Key{"{ex}", CNTR_EXAMPLES}})
      replaceAll(text, key, value);
    return text;
  }

  // Writes a row's input (`none`, `stdin TEXT` or `NAME TEXT`) and runs its arguments.
  ToolRun runRow(const std::string& input, const std::string& args) {
    const auto space = input.find(' ');
    const std::string name = input.substr(0, space),
                      text = space == std::string::npos ? "" : input.substr(space + 1);
    if (name != "none" && name != "stdin") in_ = writeFile(dir_ / name, expandInput(text)).string();
    std::vector<std::string> argv;
    for (const std::string& a : split(args, " "))
      if (!a.empty()) argv.push_back(expand(a));
    const ToolRun r = run(argv, name == "stdin" ? expandInput(text) : "");
    EXPECT_LT(r.err.size(), 400u) << "messages quote excerpts, never whole values";
    return r;
  }

  // `*` takes anything, `~A && B` asks for each piece, `@FILE CHECK` checks a written file,
  // `%CHECKS` checks JSON.
  void expectText(const std::string& actual, const std::string& check) const {
    if (check == "*") return;
    if (check[0] == '%') return expectJson(json::parse(actual), check.substr(1));
    if (check[0] == '@') {
      const auto space = check.find(' ');
      return expectText(readFile(dir_ / check.substr(1, space - 1)), check.substr(space + 1));
    }
    if (check[0] != '~') {
      EXPECT_EQ(actual, expand(expandInput(check)));
      return;
    }
    for (const std::string& piece : split(check.substr(1), " && "))
      EXPECT_NE(actual.find(expand(expandInput(piece))), std::string::npos) << piece << " in:\n" << actual;
  }

  fs::path dir_;
  std::string in_;
};

// The SVG rendered as RGB rows, and their width; rsvg-convert refuses SVG that is not well-formed.
std::pair<unsigned, std::vector<unsigned char>> renderSvg(const std::string& svg) {
  const std::string png = svg + ".png";
  EXPECT_EQ(std::system(("rsvg-convert -o " + quote(png) + " " + quote(svg)).c_str()), 0) << "rsvg-convert";
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  std::vector<unsigned char> rgb;
  if (!png_image_begin_read_from_file(&image, png.c_str())) return {0, rgb};
  image.format = PNG_FORMAT_RGB;
  rgb.resize(PNG_IMAGE_SIZE(image));
  const bool read = png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr);
  return {read ? image.width : 0, rgb};
}

class ToolCases : public ToolTest, public testing::WithParamInterface<casetable::Case> {
 protected:
  void runCase(const casetable::Case& c) {
    const ToolRun r = runRow(c.arg(0), c.arg(1));
    EXPECT_EQ(r.code, std::stoi(c.arg(2))) << r.err;
    expectText(r.out, c.arg(3));
    expectText(r.err, c.arg(4));
  }
  // The row's input written as an archive, then edited: keep N bytes, append TEXT, swap one
  // double for another.
  void archiveCase(const casetable::Case& c) {
    ASSERT_EQ(runRow(c.arg(0), "convert {in} -o {dir}/a.arc").code, 0);
    std::string bytes = readFile(path("a.arc"));
    const std::vector<std::string> edit = split(c.arg(1), " ");
    if (edit[0] == "keep") bytes.resize(std::stoul(edit[1]));
    if (edit[0] == "append") bytes += edit[1];
    if (edit[0] == "swap") {
      const double from = std::stod(edit[1]), to = std::stod(edit[2]);
      const auto at = bytes.find(std::string(reinterpret_cast<const char*>(&from), 8));
      ASSERT_NE(at, std::string::npos);
      bytes.replace(at, 8, std::string(reinterpret_cast<const char*>(&to), 8));
    }
    in_ = writeFile(dir_ / "e.arc", bytes).string();
    runCase({c.where, c.op, {"none", c.arg(2), c.arg(3), c.arg(4), c.arg(5)}, c.catches});
  }
  // Every command refuses the shape with the row's message and goes on with the rectangle.
  void refusedCase(const casetable::Case& c) {
    in_ = writeFile(dir_ / "bad.json", expandInput("[" + c.arg(0) + ", {rect}]")).string();
    for (const std::string command :
         {"measure", "regularize", "outer-hull", "convert", "inside -p 0,0", "distance -p 0,0", "draw"}) {
      const ToolRun r = runRow("none", command + " {in}");
      EXPECT_EQ(r.code, 1) << command;
      expectText(r.err, c.arg(1) + "\\n1 ok, 1 failed\\n");
    }
  }
  void drawCase(const casetable::Case& c) {
    const ToolRun r = runRow(c.arg(0), c.arg(1));
    ASSERT_EQ(r.code, 0) << r.err;
    const auto [width, rgb] = renderSvg(path("p.svg"));
    ASSERT_EQ(width, 800u);
    for (const std::string& probe : split(c.arg(2), "; ")) {
      const std::vector<double> v = casetable::numbersOf(probe);
      const std::size_t at = 3 * (static_cast<std::size_t>(v[1]) * width + static_cast<std::size_t>(v[0]));
      for (int k = 0; k < 3; ++k) EXPECT_NEAR(rgb[at + k], v[2 + k], 6) << probe << " channel " << k;
    }
  }
};

TEST_P(ToolCases, Row) {
  const std::map<std::string, std::function<void(const casetable::Case&)>> ops = {
      {"run", [this](const auto& c) { runCase(c); }},
      {"arc", [this](const auto& c) { archiveCase(c); }},
      {"refused", [this](const auto& c) { refusedCase(c); }},
      {"draw", [this](const auto& c) { drawCase(c); }},
  };
  const casetable::Case& c = GetParam();
  SCOPED_TRACE(c.where + ": " + c.catches);
  const auto op = ops.find(c.op);
  ASSERT_NE(op, ops.end()) << "unknown op " << c.op;
  op->second(c);
}

INSTANTIATE_TEST_SUITE_P(Rows, ToolCases, testing::ValuesIn(casetable::readCases("tool")),
                         casetable::caseName);

TEST_F(ToolTest, ShapesKeepTheirValuesThroughEveryForm) {
  const std::string mixed = kDataDir + "/tool/mixed.json";
  // The shapes as the JSON writer gives them, names left out (not every form keeps them).
  const auto withoutNames = [](json doc) {
    for (json& shape : doc["shapes"]) shape.erase("name");
    return doc;
  };
  const json direct = json::parse(run({"convert", mixed}).out);
  // JSON -> GeoJSON -> WKT -> archive -> JSON, through files.
  std::string current = mixed;
  for (const char* step : {"a.geojson", "b.wkt", "c.arc", "d.json"}) {
    ASSERT_EQ(run({"convert", current, "-o", path(step)}).code, 0) << step;
    current = path(step);
  }
  json expected = withoutNames(direct);
  // WKT keeps neither labels nor the edgelets' magnitudes and directions.
  for (json& shape : expected["shapes"]) shape.erase("label");
  expected["shapes"][4] = json::parse(R"({"type": "region", "points": [[0,0],[4,0],[2,3]]})");
  EXPECT_EQ(withoutNames(json::parse(readFile(path("d.json")))), expected);
  // GeoJSON keeps names and labels.
  const json back = json::parse(run({"convert", path("a.geojson"), "--to", "json"}).out);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(back["shapes"][i], direct["shapes"][i]) << i;
  // An archive keeps all but the names, numbered instead, also through standard output and input.
  const json piped =
      json::parse(run({"convert", "-", "--to", "json"}, run({"convert", mixed, "--to", "archive"}).out).out);
  EXPECT_EQ(piped["shapes"][0]["name"], "#1");
  EXPECT_EQ(withoutNames(piped), withoutNames(direct));
  // Output through a symbolic link lands in its target and the link stays.
  fs::create_symlink("target.wkt", dir_ / "link.wkt");
  ASSERT_EQ(run({"convert", kDataDir + "/tool/rect.json", "-o", path("link.wkt")}).code, 0);
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.wkt"));
  EXPECT_EQ(readFile(dir_ / "target.wkt"), "POLYGON ((0 0, 4 0, 4 2, 0 2, 0 0))\n");
  // CSV has a field for every number, flag and text of each JSON record: none is lost.
  const std::vector<std::string> rows = split(run({"measure", "--csv", mixed}).out, "\n");
  EXPECT_EQ(rows[0].rfind("source,index,name,type,error,", 0), 0u) << rows[0];
  const json records = json::parse(run({"measure", "--json", mixed}).out)["shapes"];
  ASSERT_EQ(rows.size(), records.size() + 2);  // the header, a row a shape, the final newline
  for (std::size_t i = 0; i < records.size(); ++i) {
    std::size_t filled = 0;
    for (const std::string& field : split(rows[i + 1], ",")) filled += !field.empty();
    EXPECT_EQ(filled, records[i].flatten().size()) << rows[i + 1];
  }
}

// 10^6 small contours, 10^4 shapes x 10^3 query points within 100 MB of address space; a 1 GB
// sparse file refused at its first bytes; a shape too large for the limit ends in a message.
TEST_F(ToolTest, BatchesRunInBoundedMemory) {
#ifdef CNTR_TOOL_SANITIZED
  GTEST_SKIP() << "a sanitized tool cannot run under an address-space limit; the plain build checks it";
#endif
  constexpr long kLimitKb = 100 * 1024;
  {
    std::ofstream many(dir_ / "many.wkt"), shapes(dir_ / "shapes.wkt"), points(dir_ / "points.txt"),
        huge(dir_ / "huge.json");
    for (int i = 0; i < 1000000; ++i)
      many << "LINESTRING (" << i << " 0, " << i + 1 << " 1, " << i + 2 << " 0)\n";
    for (int i = 0; i < 10000; ++i) {
      shapes << "POLYGON ((";
      for (int k = 0; k < 64; ++k)
        shapes << (k ? ", " : "") << i % 100 * 10 + 5 + 4 * std::cos(k * M_PI / 32) << " "
               << i / 100 * 10 + 5 + 4 * std::sin(k * M_PI / 32);
      shapes << "))\n";
    }
    for (int k = 0; k < 1000; ++k) points << k % 40 * 25 << " " << k / 40 * 40 << "\n";
    huge << R"({"type": "contour", "points": [[0,0])";
    for (int i = 1; i < 2000000; ++i) huge << ",[" << i << ",1]";
    huge << "]}";
  }
  const ToolRun converted = run({"convert", path("many.wkt"), "-o", path("many.arc")}, "", kLimitKb);
  EXPECT_EQ(converted.err, "1000000 ok, 0 failed\n");
  const ToolRun inside =
      run({"inside", path("shapes.wkt"), "--points", path("points.txt"), "-o", "/dev/null"}, "", kLimitKb);
  EXPECT_EQ(inside.code, 0) << inside.err;
  for (const char* name : {"sparse.arc", "sparse"}) {
    fs::resize_file(writeFile(dir_ / name, ""), std::uintmax_t{1} << 30);
    const ToolRun sparse = run({"measure", path(name)}, "", kLimitKb);
    EXPECT_EQ(sparse.code, 2);
    EXPECT_EQ(sparse.err, "cntr: error: " + path(name) +
                              ": not an archive: neither the tool's header nor a shape's record\n");
  }
  const ToolRun starved = run({"measure", path("huge.json")}, "", 50 * 1024);
  EXPECT_EQ(starved.code, 1);
  EXPECT_EQ(starved.err, "cntr: error: out of memory\n");
}

}  // namespace
