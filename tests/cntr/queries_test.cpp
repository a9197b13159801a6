// Known answers of the contour, region and region-set queries, read from data/queries.cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <map>
#include <sstream>
#include <string>

#include "cntr/contourprobe.h"
#include "support/casetable.h"
#include "support/rowchecks.h"

namespace {

using namespace casetable;
using namespace rowchecks;
using rowchecks::num;  // beside the polygon form below
using C = const Case&;

sgVector<2> pairAt(const Numbers& v, std::size_t i) { return {v.at(i), v.at(i + 1)}; }
sgVector<2> pointOf(const std::string& text) { return pairAt(numbersOf(text), 0); }
sgLineSeg segmentOf(const std::string& text) { return sgLineSeg(pointOf(text), pairAt(numbersOf(text), 2)); }
bool flagOf(const std::string& text) { return numberOf(text) != 0.0; }

// The protected forms, on the contour the WKT describes.
ContourProbe probeOf(const std::string& wkt) { return contourOf(wkt); }

// A polygon as its points and its fill mode.
Numbers num(const sgPolygon& polygon) { return num(polygon.points()) + num(polygon.fillMode()); }

// What an expected field stands for: the coordinates of a WKT shape, nothing for "none", else
// numbers split at spaces, commas or semicolons.
Numbers expectedIn(std::string text) {
  if (text == "none") return {};
  if (std::isupper(static_cast<unsigned char>(text[0]))) return num(pointsOf(text));
  std::replace(text.begin(), text.end(), ';', ' ');
  return numbersOf(text);
}

// An op names its number of input fields; the fields after them hold the expected answer.
using Op = std::pair<std::size_t, std::function<Numbers(C)>>;

Numbers segmentCrossings(C c) {
  const ContourProbe contour = probeOf(c.arg(0));
  const sgLineSeg seg = segmentOf(c.arg(1));
  std::vector<int> edges = {7, 8, 9};  // replaced, not appended to
  const auto found = contour.intersections(seg, edges, flagOf(c.arg(2)));
  EXPECT_EQ(contour.intersections(seg, flagOf(c.arg(2))), found) << "the public form gives the same";
  return num(found) + num(edges);
}

Numbers mappedRegion(C c) {
  const sgPtrHandle<sgRegion> region = regionOf(c.arg(0)), expected = regionOf(c.arg(2));
  region->label(42);
  // A result with holes and filled caches, all of which the mapping must replace.
  const sgPtrHandle<sgRegion> result = regionOf("POLYGON((1 1,2 1,2 2),(1.5 1.25,1.75 1.25,1.75 1.5))");
  EXPECT_NEAR(result->area(true), 0.5 - 1.0 / 32, 1e-12);
  region->map(xformOf(c.arg(1)), *result);
  region->map(xformOf(c.arg(1)), *region);
  EXPECT_TRUE(*region == *result && region->label() == 42 && region->holes().empty()) << "mapped into itself";
  EXPECT_TRUE(result->label() == 42 && result->holes().empty());
  EXPECT_EQ(result->isSelfIntersecting(), expected->isSelfIntersecting());
  if (expected->points().size() >= 3) {
    EXPECT_DOUBLE_EQ(result->area(true), expected->area(false)) << "the result's old caches are gone";
  }
  return num(result->points());
}

// The transforms are asked in turn of one set, so that wrongly shared cache keys show.
Numbers enclosingRects(C c) {
  const sgRegionSet set = regionSetOf(c.arg(0));
  Numbers out;
  std::istringstream xforms(c.arg(1));
  for (std::string xform; std::getline(xforms, xform, ';');) out = out + num(set.encloseRect(xformOf(xform)));
  return out;
}

const std::map<std::string, Op> kOps = {
    {"polygon", {1, [](C c) { return num(contourOf(c.arg(0)).polygon()); }}},
    {"fromPolygon",
     {1,
      [](C c) {
        const sgContour contour(sgPolygon(pointsOf(c.arg(0)), sgPolygon::eNonZeroWinding), 0);
        return num(contour.isClosed()) + num(contour.length());
      }}},
    {"contourEqual", {2, [](C c) { return num(contourOf(c.arg(0)) == contourOf(c.arg(1))); }}},
    {"median", {1, [](C c) { return num(probeOf(c.arg(0)).medianFeatureSize()); }}},
    {"closestVertex",
     {2, [](C c) { return num(contourOf(c.arg(0)).closestVertexIndex(pointOf(c.arg(1)))); }}},
    {"regionClosestVertex",
     {2, [](C c) { return num(regionOf(c.arg(0))->closestVertexIndex(pointOf(c.arg(1)))); }}},
    {"closestPoint",
     {3,
      [](C c) {
        const sgContour contour = contourOf(c.arg(0));
        const sgVector<2> p = pointOf(c.arg(1));
        return num(contour.closestPoint(p, flagOf(c.arg(2)))) + num(contour.distToPoint(p, flagOf(c.arg(2))));
      }}},
    {"vertexIndex",
     {3, [](C c) { return num(contourOf(c.arg(0)).vertexIndex(pointOf(c.arg(1)), numberOf(c.arg(2)))); }}},
    {"segment", {3, segmentCrossings}},
    {"candidates",
     {2,
      [](C c) {
        std::vector<int> edges = {99};
        probeOf(c.arg(0)).candidateEdges(segmentOf(c.arg(1)), edges);
        return num(edges);
      }}},
    {"contours", {2, [](C c) { return num(contourOf(c.arg(0)).intersections(contourOf(c.arg(1)))); }}},
    {"selfIntersecting", {1, [](C c) { return num(contourOf(c.arg(0)).isSelfIntersecting()); }}},
    {"holes", {1, [](C c) { return num(double(regionOf(c.arg(0))->holes().size())); }}},
    {"map", {2, mappedRegion}},
    {"setInside",
     {3, [](C c) { return num(regionSetOf(c.arg(0)).inside(pointOf(c.arg(1)), flagOf(c.arg(2)))); }}},
    {"setDistance",
     {3,
      [](C c) {
        const Numbers f = numbersOf(c.arg(2));
        return num(
            regionSetOf(c.arg(0)).distToPoint(pointOf(c.arg(1)), f.at(0) != 0, f.at(1) != 0, f.at(2) != 0));
      }}},
    {"setEncloseRect", {2, enclosingRects}},
    {"setSelfIntersecting", {1, [](C c) { return num(regionSetOf(c.arg(0)).isSelfIntersecting()); }}},
    {"setEqual", {2, [](C c) { return num(regionSetOf(c.arg(0)) == regionSetOf(c.arg(1))); }}},
};

class QueryRows : public testing::TestWithParam<Case> {};

TEST_P(QueryRows, GiveTheKnownAnswer) {
  C c = GetParam();
  SCOPED_TRACE(c.where + ": " + c.catches);
  const auto op = kOps.find(c.op);
  ASSERT_NE(op, kOps.end()) << "unknown op " << c.op;
  const auto answer = [&] { return op->second.second(c); };
  if (c.arg(op->second.first)[0] == '!') return expectError(answer, c.arg(op->second.first));
  Numbers expected;
  for (std::size_t i = op->second.first; i < c.args.size(); ++i) expected = expected + expectedIn(c.args[i]);
  // Tight, so that a changed constant shows.
  Numbers tolerances;
  for (double e : expected) tolerances.push_back(1e-12 * std::max(1.0, std::fabs(e)));
  expectNumbers(answer(), expected, tolerances);
}

INSTANTIATE_TEST_SUITE_P(Rows, QueryRows, testing::ValuesIn(readCases("queries")), caseName);

}  // namespace
