// Known answers of the contour, region and region-set queries, read from data/queries.cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <map>
#include <string>

#include "cntr/contourprobe.h"
#include "cntr/regionst.h"
#include "support/casetable.h"

namespace {

using casetable::Case;
using casetable::contourOf;
using casetable::numberOf;
using casetable::numbersOf;
using casetable::regionOf;
using casetable::regionSetOf;
using Numbers = std::vector<double>;

sgVector<2> pointOf(const std::string& text) {
  const Numbers v = numbersOf(text);
  return {v.at(0), v.at(1)};
}

sgLineSeg segmentOf(const std::string& text) {
  const Numbers v = numbersOf(text);
  return sgLineSeg({v.at(0), v.at(1)}, {v.at(2), v.at(3)});
}

sgXform<2> xformOf(const std::string& text) {
  const Numbers v = numbersOf(text);
  return sgXform<2>(sgMatrix<2>(v.at(0), v.at(1), v.at(2), v.at(3)), {v.at(4), v.at(5)});
}

bool flagOf(const std::string& text) { return numberOf(text) != 0.0; }

// The protected forms, on the contour the WKT describes.
ContourProbe probeOf(const std::string& wkt) {
  ContourProbe probe;
  probe = contourOf(wkt);
  return probe;
}

Numbers& append(Numbers& out, const std::vector<sgVector<2>>& points) {
  for (const sgVector<2>& p : points) out.insert(out.end(), {p.x(), p.y()});
  return out;
}

Numbers numbersOfIndices(const std::vector<int>& indices) { return Numbers(indices.begin(), indices.end()); }

// What an expected field stands for: the coordinates of a WKT shape, nothing for "none", else
// numbers split at spaces, commas or semicolons.
Numbers expectedIn(std::string text) {
  Numbers out;
  if (text == "none") return out;
  if (std::isupper(static_cast<unsigned char>(text[0]))) return append(out, casetable::pointsOf(text));
  std::replace(text.begin(), text.end(), ';', ' ');
  return numbersOf(text);
}

// Checks that `query` throws the error written "!Type message" (no message: an empty one); twice,
// since a failure must not leave a cached answer behind.
void expectError(const std::string& expected, const std::function<void()>& query) {
  const std::size_t space = std::min(expected.find(' '), expected.size());
  const std::string type = expected.substr(1, space - 1);
  const std::string message = expected.substr(std::min(space + 1, expected.size()));
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (type == "EmptyContour")
      casetable::expectThrowWithMessage<sgContourDefs::EmptyContour>(query, message);
    else if (type == "EmptyRegionSet")
      casetable::expectThrowWithMessage<sgContourDefs::EmptyRegionSet>(query, message);
    else if (type == "BadParams")
      casetable::expectThrowWithMessage<sgContourDefs::BadParams>(query, message);
    else
      ADD_FAILURE() << "unknown error type " << type;
  }
}

// An op names its number of input fields; the fields after them hold the expected answer.
struct Op {
  std::size_t inputs;
  std::function<Numbers(const Case&)> answer;
};

const std::map<std::string, Op> kOps = {
    {"length", {1, [](const Case& c) { return Numbers{contourOf(c.arg(0)).length()}; }}},
    {"meanPosition",
     {1,
      [](const Case& c) {
        const sgVector<2> m = contourOf(c.arg(0)).meanPosition();
        return Numbers{m.x(), m.y()};
      }}},
    {"median", {1, [](const Case& c) { return Numbers{probeOf(c.arg(0)).medianFeatureSize()}; }}},
    {"closestVertex",
     {2,
      [](const Case& c) {
        return Numbers{double(contourOf(c.arg(0)).closestVertexIndex(pointOf(c.arg(1))))};
      }}},
    {"regionClosestVertex",
     {2,
      [](const Case& c) {
        return Numbers{double(regionOf(c.arg(0))->closestVertexIndex(pointOf(c.arg(1))))};
      }}},
    {"closestPoint",
     {3,
      [](const Case& c) {
        const sgContour contour = contourOf(c.arg(0));
        const sgVector<2> p = pointOf(c.arg(1));
        const double distance = contour.distToPoint(p, flagOf(c.arg(2)));
        const sgVector<2> closest = contour.closestPoint(p, flagOf(c.arg(2)));
        return Numbers{closest.x(), closest.y(), distance};
      }}},
    {"vertexIndex",
     {3,
      [](const Case& c) {
        return numbersOfIndices(contourOf(c.arg(0)).vertexIndex(pointOf(c.arg(1)), numberOf(c.arg(2))));
      }}},
    {"segment",
     {3,
      [](const Case& c) {
        const ContourProbe contour = probeOf(c.arg(0));
        const sgLineSeg seg = segmentOf(c.arg(1));
        const bool endPoints = flagOf(c.arg(2));
        std::vector<int> edges = {7, 8, 9};  // replaced, not appended to
        const std::vector<sgVector<2>> found = contour.intersections(seg, edges, endPoints);
        EXPECT_EQ(contour.intersections(seg, endPoints), found) << "the public form gives the same positions";
        Numbers out;
        append(out, found);
        out.insert(out.end(), edges.begin(), edges.end());
        return out;
      }}},
    {"candidates",
     {2,
      [](const Case& c) {
        std::vector<int> edges = {99};
        probeOf(c.arg(0)).candidateEdges(segmentOf(c.arg(1)), edges);
        return numbersOfIndices(edges);
      }}},
    {"contours",
     {2,
      [](const Case& c) {
        Numbers out;
        return append(out, contourOf(c.arg(0)).intersections(contourOf(c.arg(1))));
      }}},
    {"selfIntersecting",
     {1, [](const Case& c) { return Numbers{double(contourOf(c.arg(0)).isSelfIntersecting())}; }}},
    {"holes",
     {1,
      [](const Case& c) {
        const auto rings = casetable::parseWkt(c.arg(0)).at(0);
        sgRegion region(rings[0]);
        std::vector<sgPtrHandle<sgRegion>> holes;
        for (std::size_t i = 1; i < rings.size(); ++i) holes.emplace_back(new sgRegion(rings[i]));
        region.holes(holes);
        return Numbers{double(region.holes().size())};
      }}},
    {"map",
     {2,
      [](const Case& c) {
        const sgPtrHandle<sgRegion> region = regionOf(c.arg(0));
        region->label(42);
        // A result with holes and filled caches, all of which the mapping must replace.
        const sgPtrHandle<sgRegion> result = regionOf("POLYGON((1 1,2 1,2 2),(1.5 1.25,1.75 1.25,1.75 1.5))");
        EXPECT_NEAR(result->area(true), 0.5 - 1.0 / 32, 1e-12);
        region->map(xformOf(c.arg(1)), *result);
        const sgPtrHandle<sgRegion> expected = regionOf(c.arg(2));
        EXPECT_EQ(result->label(), 42u);
        EXPECT_TRUE(result->holes().empty());
        EXPECT_EQ(result->isSelfIntersecting(), expected->isSelfIntersecting());
        if (expected->points().size() >= 3) {
          EXPECT_DOUBLE_EQ(result->area(true), expected->area(false)) << "the result's old caches are gone";
        }
        Numbers out;
        return append(out, result->points());
      }}},
    {"setArea", {2, [](const Case& c) { return Numbers{regionSetOf(c.arg(0)).area(flagOf(c.arg(1)))}; }}},
    {"setCentre",
     {2,
      [](const Case& c) {
        const sgVector<2> m = regionSetOf(c.arg(0)).centerOfMass(flagOf(c.arg(1)));
        return Numbers{m.x(), m.y()};
      }}},
    {"setInertia",
     {2,
      [](const Case& c) {
        const sgMatrix<2> m = regionSetOf(c.arg(0)).inertiaMatrix(flagOf(c.arg(1)));
        return Numbers{m(0, 0), m(0, 1), m(1, 0), m(1, 1)};
      }}},
    {"setInside",
     {3,
      [](const Case& c) {
        return Numbers{double(regionSetOf(c.arg(0)).inside(pointOf(c.arg(1)), flagOf(c.arg(2))))};
      }}},
    {"setDistance",
     {3,
      [](const Case& c) {
        const Numbers f = numbersOf(c.arg(2));
        return Numbers{
            regionSetOf(c.arg(0)).distToPoint(pointOf(c.arg(1)), f.at(0) != 0, f.at(1) != 0, f.at(2) != 0)};
      }}},
    {"setEncloseRect",  // the transforms asked in turn of one set, so that cache keys are tried
     {2,
      [](const Case& c) {
        const sgRegionSet set = regionSetOf(c.arg(0));
        Numbers out;
        std::string xforms = c.arg(1) + ";";
        for (std::size_t at; (at = xforms.find(';')) != std::string::npos; xforms.erase(0, at + 1)) {
          const sgRect r = set.encloseRect(xformOf(xforms.substr(0, at)));
          out.insert(out.end(), {r.origin().x(), r.origin().y(), r.size().x(), r.size().y()});
        }
        return out;
      }}},
    {"setSelfIntersecting",
     {1, [](const Case& c) { return Numbers{double(regionSetOf(c.arg(0)).isSelfIntersecting())}; }}},
    {"setEqual",
     {2, [](const Case& c) { return Numbers{double(regionSetOf(c.arg(0)) == regionSetOf(c.arg(1)))}; }}},
};

class QueryRows : public testing::TestWithParam<Case> {};

TEST_P(QueryRows, GiveTheKnownAnswer) {
  const Case& c = GetParam();
  SCOPED_TRACE(c.where + ": " + c.catches);
  const auto op = kOps.find(c.op);
  ASSERT_NE(op, kOps.end()) << "unknown op " << c.op;
  const auto answer = [&] { return op->second.answer(c); };
  if (c.arg(op->second.inputs)[0] == '!') return expectError(c.arg(op->second.inputs), answer);
  Numbers expected;
  for (std::size_t i = op->second.inputs; i < c.args.size(); ++i) {
    const Numbers part = expectedIn(c.args[i]);
    expected.insert(expected.end(), part.begin(), part.end());
  }
  const Numbers actual = answer();
  ASSERT_EQ(actual.size(), expected.size());
  // Tight, so that a changed constant shows; NaN expected means NaN.
  for (std::size_t i = 0; i < actual.size(); ++i) {
    if (std::isnan(expected[i]))
      EXPECT_TRUE(std::isnan(actual[i])) << "value " << i << ": " << actual[i];
    else
      EXPECT_NEAR(actual[i], expected[i], 1e-12 * std::max(1.0, std::fabs(expected[i]))) << "value " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, QueryRows, testing::ValuesIn(casetable::readCases("queries")),
                         casetable::caseName);

}  // namespace
