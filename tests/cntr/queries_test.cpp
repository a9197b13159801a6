// Known answers of the contour, region and region-set queries, read from data/queries.cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <string>

#include "cntr/contourprobe.h"
#include "cntr/regionst.h"
#include "support/casetable.h"

namespace {

using casetable::Case;
using casetable::numberOf;
using casetable::numbersOf;
using casetable::Points;

sgVector<2> pointOf(const std::string& text) {
  const std::vector<double> v = numbersOf(text);
  return {v.at(0), v.at(1)};
}

sgLineSeg segmentOf(const std::string& text) {
  const std::vector<double> v = numbersOf(text);
  return sgLineSeg({v.at(0), v.at(1)}, {v.at(2), v.at(3)});
}

sgXform<2> xformOf(const std::string& text) {
  const std::vector<double> v = numbersOf(text);
  return sgXform<2>(sgMatrix<2>(v.at(0), v.at(1), v.at(2), v.at(3)), {v.at(4), v.at(5)});
}

// The protected forms, on the contour the WKT describes.
ContourProbe probeOf(const std::string& wkt) {
  ContourProbe probe;
  probe = casetable::contourOf(wkt);
  return probe;
}

bool flagOf(const std::string& text) { return numberOf(text) != 0.0; }

std::vector<int> indicesOf(const std::string& text) {
  std::vector<int> out;
  if (text != "none")
    for (double v : numbersOf(text)) out.push_back(static_cast<int>(v));
  return out;
}

Points crossingsOf(const std::string& text) { return text == "none" ? Points() : casetable::pointsOf(text); }

std::vector<std::string> splitAtSemicolons(const std::string& text) {
  std::vector<std::string> out;
  std::size_t from = 0;
  for (std::size_t at; (at = text.find(';', from)) != std::string::npos; from = at + 1)
    out.push_back(text.substr(from, at - from));
  out.push_back(text.substr(from));
  return out;
}

// NaN expected means NaN; otherwise a tight tolerance, so that changed constants show.
void expectNumber(double actual, double expected) {
  if (std::isnan(expected))
    EXPECT_TRUE(std::isnan(actual)) << actual;
  else
    EXPECT_NEAR(actual, expected, 1e-12 * std::max(1.0, std::fabs(expected)));
}

void expectVector(const sgVector<2>& actual, const std::string& expected) {
  const sgVector<2> e = pointOf(expected);
  expectNumber(actual.x(), e.x());
  expectNumber(actual.y(), e.y());
}

// When `expected` names an error ("!Type message"), checks that `query` throws it, twice, since a
// failure must not leave a cached answer behind, and returns true; else returns false.
bool expectErrorIfNamed(const std::string& expected, const std::function<void()>& query) {
  if (expected.empty() || expected[0] != '!') return false;
  const std::size_t space = expected.find(' ');
  const std::string type = expected.substr(1, space == std::string::npos ? std::string::npos : space - 1);
  const std::string message = space == std::string::npos ? "" : expected.substr(space + 1);
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
  return true;
}

// Each op checks one query; the table's last-but-one field is the expected value or error.
const std::map<std::string, std::function<void(const Case&)>> kChecks = {
    {"length",
     [](const Case& c) { expectNumber(casetable::contourOf(c.arg(0)).length(), numberOf(c.arg(1))); }},
    {"meanPosition",
     [](const Case& c) {
       const sgContour contour = casetable::contourOf(c.arg(0));
       if (expectErrorIfNamed(c.arg(1), [&] { contour.meanPosition(); })) return;
       expectVector(contour.meanPosition(), c.arg(1));
     }},
    {"median",
     [](const Case& c) {
       const ContourProbe contour = probeOf(c.arg(0));
       if (expectErrorIfNamed(c.arg(1), [&] { contour.medianFeatureSize(); })) return;
       expectNumber(contour.medianFeatureSize(), numberOf(c.arg(1)));
     }},
    {"closestVertex",
     [](const Case& c) {
       const sgContour contour = casetable::contourOf(c.arg(0));
       const sgVector<2> p = pointOf(c.arg(1));
       if (expectErrorIfNamed(c.arg(2), [&] { contour.closestVertexIndex(p); })) return;
       EXPECT_EQ(contour.closestVertexIndex(p), numberOf(c.arg(2)));
     }},
    {"regionClosestVertex",
     [](const Case& c) {
       EXPECT_EQ(casetable::regionOf(c.arg(0))->closestVertexIndex(pointOf(c.arg(1))), numberOf(c.arg(2)));
     }},
    {"closestPoint",
     [](const Case& c) {
       const sgContour contour = casetable::contourOf(c.arg(0));
       const sgVector<2> p = pointOf(c.arg(1));
       const bool vertexOnly = flagOf(c.arg(2));
       if (expectErrorIfNamed(c.arg(3), [&] { contour.closestPoint(p, vertexOnly); })) {
         expectErrorIfNamed(c.arg(3), [&] { contour.distToPoint(p, vertexOnly); });
         return;
       }
       expectVector(contour.closestPoint(p, vertexOnly), c.arg(3));
       expectNumber(contour.distToPoint(p, vertexOnly), numberOf(c.arg(4)));
     }},
    {"vertexIndex",
     [](const Case& c) {
       const sgContour contour = casetable::contourOf(c.arg(0));
       const sgVector<2> p = pointOf(c.arg(1));
       const double tolerance = numberOf(c.arg(2));
       if (expectErrorIfNamed(c.arg(3), [&] { contour.vertexIndex(p, tolerance); })) return;
       EXPECT_EQ(contour.vertexIndex(p, tolerance), indicesOf(c.arg(3)));
     }},
    {"segment",
     [](const Case& c) {
       const ContourProbe contour = probeOf(c.arg(0));
       const sgLineSeg seg = segmentOf(c.arg(1));
       const bool endPoints = flagOf(c.arg(2));
       std::vector<int> edges = {7, 8, 9};  // replaced, not appended to
       if (expectErrorIfNamed(c.arg(3), [&] { contour.intersections(seg, endPoints); })) return;
       casetable::expectPointsNear(contour.intersections(seg, edges, endPoints), crossingsOf(c.arg(3)),
                                   1e-12);
       EXPECT_EQ(edges, indicesOf(c.arg(4)));
       EXPECT_EQ(contour.intersections(seg, endPoints), contour.intersections(seg, edges, endPoints))
           << "the public form gives the same positions";
     }},
    {"candidates",
     [](const Case& c) {
       std::vector<int> edges = {99};
       probeOf(c.arg(0)).candidateEdges(segmentOf(c.arg(1)), edges);
       std::vector<int> expected = indicesOf(c.arg(2));
       expected.insert(expected.begin(), 99);
       EXPECT_EQ(edges, expected);
     }},
    {"contours",
     [](const Case& c) {
       const sgContour contour = casetable::contourOf(c.arg(0));
       const sgContour other = casetable::contourOf(c.arg(1));
       if (expectErrorIfNamed(c.arg(2), [&] { contour.intersections(other); })) return;
       casetable::expectPointsNear(contour.intersections(other), crossingsOf(c.arg(2)), 1e-12);
     }},
    {"selfIntersecting",
     [](const Case& c) { EXPECT_EQ(casetable::contourOf(c.arg(0)).isSelfIntersecting(), flagOf(c.arg(1))); }},
    {"holes",
     [](const Case& c) {
       const auto rings = casetable::parseWkt(c.arg(0)).at(0);
       sgRegion region(rings[0]);
       std::vector<sgPtrHandle<sgRegion>> holes;
       for (std::size_t i = 1; i < rings.size(); ++i) holes.emplace_back(new sgRegion(rings[i]));
       const bool refused = expectErrorIfNamed(c.arg(1), [&] { region.holes(holes); });
       if (!refused) region.holes(holes);
       EXPECT_EQ(region.holes().size(), refused ? 0u : holes.size()) << "a refused list adds no hole";
     }},
    {"map",
     [](const Case& c) {
       sgPtrHandle<sgRegion> region = casetable::regionOf(c.arg(0));
       region->label(42);
       // A result with holes and filled caches, all of which the mapping must replace.
       const sgPtrHandle<sgRegion> result =
           casetable::regionOf("POLYGON((1 1,2 1,2 2),(1.5 1.25,1.75 1.25,1.75 1.5))");
       ASSERT_NEAR(result->area(true), 0.5 - 1.0 / 32, 1e-12);
       region->map(xformOf(c.arg(1)), *result);
       const sgPtrHandle<sgRegion> expected = casetable::regionOf(c.arg(2));
       EXPECT_EQ(result->points(), expected->points());
       EXPECT_EQ(result->label(), 42u);
       EXPECT_TRUE(result->holes().empty());
       EXPECT_EQ(result->isSelfIntersecting(), expected->isSelfIntersecting());
       if (expected->points().size() >= 3) {
         EXPECT_DOUBLE_EQ(result->area(true), expected->area(false)) << "the result's old caches are gone";
       }
     }},
    {"setArea",
     [](const Case& c) {
       const sgRegionSet set = casetable::regionSetOf(c.arg(0));
       const bool holes = flagOf(c.arg(1));
       if (expectErrorIfNamed(c.arg(2), [&] { set.area(holes); })) return;
       expectNumber(set.area(holes), numberOf(c.arg(2)));
     }},
    {"setCentre",
     [](const Case& c) {
       const sgRegionSet set = casetable::regionSetOf(c.arg(0));
       const bool holes = flagOf(c.arg(1));
       if (expectErrorIfNamed(c.arg(2), [&] { set.centerOfMass(holes); })) return;
       expectVector(set.centerOfMass(holes), c.arg(2));
     }},
    {"setInertia",
     [](const Case& c) {
       const sgRegionSet set = casetable::regionSetOf(c.arg(0));
       const bool holes = flagOf(c.arg(1));
       if (expectErrorIfNamed(c.arg(2), [&] { set.inertiaMatrix(holes); })) return;
       const sgMatrix<2> m = set.inertiaMatrix(holes);
       const std::vector<double> e = numbersOf(c.arg(2));
       for (int k = 0; k < 4; ++k) expectNumber(m(k / 2, k % 2), e.at(static_cast<std::size_t>(k)));
     }},
    {"setInside",
     [](const Case& c) {
       EXPECT_EQ(casetable::regionSetOf(c.arg(0)).inside(pointOf(c.arg(1)), flagOf(c.arg(2))),
                 flagOf(c.arg(3)));
     }},
    {"setDistance",
     [](const Case& c) {
       const sgRegionSet set = casetable::regionSetOf(c.arg(0));
       const sgVector<2> p = pointOf(c.arg(1));
       const std::vector<double> f = numbersOf(c.arg(2));
       const auto query = [&] { return set.distToPoint(p, f.at(0) != 0, f.at(1) != 0, f.at(2) != 0); };
       if (expectErrorIfNamed(c.arg(3), query)) return;
       expectNumber(query(), numberOf(c.arg(3)));
     }},
    {"setEncloseRect",
     [](const Case& c) {
       const sgRegionSet set = casetable::regionSetOf(c.arg(0));
       const std::vector<std::string> xforms = splitAtSemicolons(c.arg(1));
       if (expectErrorIfNamed(c.arg(2), [&] { set.encloseRect(xformOf(xforms.at(0))); })) return;
       const std::vector<std::string> rects = splitAtSemicolons(c.arg(2));
       ASSERT_EQ(xforms.size(), rects.size());
       for (std::size_t i = 0; i < xforms.size(); ++i) {
         const std::vector<double> r = numbersOf(rects[i]);
         EXPECT_EQ(set.encloseRect(xformOf(xforms[i])), sgRect({r.at(0), r.at(1)}, {r.at(2), r.at(3)})) << i;
       }
     }},
    {"setSelfIntersecting",
     [](const Case& c) {
       EXPECT_EQ(casetable::regionSetOf(c.arg(0)).isSelfIntersecting(), flagOf(c.arg(1)));
     }},
    {"setEqual",
     [](const Case& c) {
       EXPECT_EQ(casetable::regionSetOf(c.arg(0)) == casetable::regionSetOf(c.arg(1)), flagOf(c.arg(2)));
     }},
};

class QueryRows : public testing::TestWithParam<Case> {};

TEST_P(QueryRows, GiveTheKnownAnswer) {
  const Case& c = GetParam();
  SCOPED_TRACE(c.where + ": " + c.catches);
  const auto check = kChecks.find(c.op);
  ASSERT_NE(check, kChecks.end()) << "unknown op " << c.op;
  check->second(c);
}

INSTANTIATE_TEST_SUITE_P(Rows, QueryRows, testing::ValuesIn(casetable::readCases("queries")),
                         casetable::caseName);

}  // namespace
