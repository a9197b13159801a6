// Drawing surfaces: the recording tablet and the SVG writer.
#include "lyndispc/tablet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Layers = sgUITablet::Layers;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(RecordingTablet, KeepsEveryCallInOrder) {
  sgRecordingTablet t;
  sgUITablet& surface = t;
  surface.drawLineSeg({0, 1}, {2, 3}, sgColor(255, 0, 0), sgUITablet::eOverlay);
  surface.drawLineSeg({4, 5}, {6, 7}, sgColor(0, 0, 255, 10), sgUITablet::eBackground);
  ASSERT_EQ(t.segments().size(), 2u);
  EXPECT_EQ(t.segments()[0],
            (sgRecordingTablet::Segment{{0, 1}, {2, 3}, sgColor(255, 0, 0), sgUITablet::eOverlay}));
  EXPECT_EQ(t.segments()[1].color.a, 10);
  EXPECT_EQ(t.segments()[1].layer, sgUITablet::eBackground);
  t.clear();
  EXPECT_TRUE(t.segments().empty());
}

std::string writeSvg(const sgSvgTablet& t) {
  std::ostringstream os;
  t.write(os);
  return os.str();
}

std::size_t countOf(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) ++n;
  return n;
}

// Checks that every element is closed in order (enough structure to catch a broken writer).
bool tagsBalance(const std::string& xml) {
  std::vector<std::string> open;
  for (auto pos = xml.find('<'); pos != std::string::npos; pos = xml.find('<', pos + 1)) {
    const auto end = xml.find('>', pos);
    if (end == std::string::npos) return false;
    const std::string tag = xml.substr(pos + 1, end - pos - 1);
    if (tag.empty() || tag[0] == '?') continue;
    if (tag[0] == '/') {
      if (open.empty() || open.back() != tag.substr(1)) return false;
      open.pop_back();
    } else if (tag.back() != '/') {
      open.push_back(tag.substr(0, tag.find(' ')));
    }
  }
  return open.empty();
}

std::vector<double> parseViewBox(const std::string& svg) {
  const auto start = svg.find("viewBox=\"");
  if (start == std::string::npos) return {};
  std::istringstream is(svg.substr(start + 9, svg.find('"', start + 9) - start - 9));
  std::vector<double> box(4);
  for (double& v : box) is >> v;
  return box;
}

TEST(SvgTablet, WritesAWellFormedDocumentEnclosingEveryEnd) {
  sgSvgTablet t(2.0);
  t.drawLineSeg({1.5, -2.0}, {10.0, 3.25}, sgColor(255, 128, 0), sgUITablet::eOverlay);
  t.drawLineSeg({-4.0, 0.0}, {0.0, 20.0}, sgColor(0, 0, 0, 0), sgUITablet::eBackground);
  const std::string svg = writeSvg(t);
  EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
  EXPECT_TRUE(tagsBalance(svg)) << svg;
  EXPECT_EQ(countOf(svg, "<svg "), 1u);
  EXPECT_EQ(countOf(svg, "<line "), 2u);
  EXPECT_NE(svg.find("x1=\"1.5\" y1=\"-2\" x2=\"10\" y2=\"3.25\""), std::string::npos) << svg;
  EXPECT_NE(svg.find("stroke=\"rgb(255,128,0)\" stroke-opacity=\"1\""), std::string::npos);
  EXPECT_NE(svg.find("stroke-opacity=\"0\""), std::string::npos);
  // Layers stack bottom to top whatever the drawing order.
  EXPECT_LT(svg.find("x1=\"-4\""), svg.find("x1=\"1.5\""));

  const std::vector<double> box = parseViewBox(svg);
  ASSERT_EQ(box.size(), 4u);
  EXPECT_LT(box[0], -4.0);
  EXPECT_LT(box[1], -2.0);
  EXPECT_GT(box[0] + box[2], 10.0);
  EXPECT_GT(box[1] + box[3], 20.0);
}

TEST(SvgTablet, LeavesOutNonFiniteSegments) {
  sgSvgTablet t;
  t.drawLineSeg({0, 0}, {1, 1}, sgColor(), sgUITablet::eGraphics);
  t.drawLineSeg({kNaN, 0}, {1, 1}, sgColor(), sgUITablet::eGraphics);
  t.drawLineSeg({0, 0}, {1, std::numeric_limits<double>::infinity()}, sgColor(), sgUITablet::eImage);
  t.drawLineSeg({1e6, 1e6}, {1e6, kNaN}, sgColor(), sgUITablet::eGraphics);
  const std::string svg = writeSvg(t);
  EXPECT_EQ(countOf(svg, "<line "), 1u);
  EXPECT_EQ(svg.find("nan"), std::string::npos);
  EXPECT_EQ(svg.find("inf"), std::string::npos);
  EXPECT_LT(parseViewBox(svg)[2], 100.0);  // the dropped segment does not widen the box
  EXPECT_TRUE(tagsBalance(svg));
}

TEST(SvgTablet, EmptyAndDegenerateDrawingsGiveValidDocuments) {
  const std::string empty = writeSvg(sgSvgTablet());
  EXPECT_TRUE(tagsBalance(empty));
  EXPECT_EQ(countOf(empty, "<line "), 0u);
  const std::vector<double> box = parseViewBox(empty);
  ASSERT_EQ(box.size(), 4u);
  EXPECT_GT(box[2], 0.0);
  EXPECT_GT(box[3], 0.0);

  sgSvgTablet point(0.0);
  point.drawLineSeg({3, 3}, {3, 3}, sgColor(), sgUITablet::eGraphics);
  const std::vector<double> pointBox = parseViewBox(writeSvg(point));
  EXPECT_GT(pointBox[2], 0.0);
  EXPECT_LT(pointBox[0], 3.0);
}

TEST(SvgTablet, NumbersReadBackExactly) {
  sgSvgTablet t;
  const double x = 0.1 + 0.2;
  t.drawLineSeg({x, 1e-300}, {-1e300, 2.0 / 3.0}, sgColor(), sgUITablet::eGraphics);
  const std::string svg = writeSvg(t);
  const auto at = svg.find("x1=\"") + 4;
  EXPECT_EQ(std::stod(svg.substr(at)), x);
  EXPECT_NE(svg.find("y1=\"1e-300\""), std::string::npos);
}

TEST(SvgTablet, RefusesAnUnusableStrokeWidth) {
  std::ostringstream os;
  EXPECT_THROW(sgSvgTablet(-1.0).write(os), std::invalid_argument);
  EXPECT_THROW(sgSvgTablet(kNaN).write(os), std::invalid_argument);
}

}  // namespace
