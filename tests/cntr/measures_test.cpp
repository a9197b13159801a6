// Known answers of data/measures.cases (an op computes numbers from a row's input, which must match
// the row's expected numbers or throw its error), then the caches of the measures: answers kept
// while the object is unchanged (a vertex moved behind its back shows them), copied, and dropped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <random>
#include <thread>

#include "cntr/contourprobe.h"
#include "cntr/moments.h"
#include "cntr/region.h"
#include "support/casetable.h"
#include "support/rowchecks.h"

namespace {

using namespace casetable;
using namespace rowchecks;
using C = const Case&;
using V = sgVector<2>;
using Holes = std::vector<sgPtrHandle<sgRegion>>;
using D = sgContourDefs;
constexpr double kPi = 3.141592653589793;

Numbers numbersOrNone(const std::string& t) { return t.rfind("none", 0) == 0 ? Numbers() : numbersOf(t); }

Numbers numbersOfRecord(const sg_InertiaData& d) {
  const sgMatrix<2>& m = d.inertiaMatrix();
  return {d.area(), d.centerOfMass().x(), d.centerOfMass().y(), m(0, 0), m(0, 1), m(1, 1)};
}

Numbers numbersOfEllipse(const sgEllipse& e, Numbers more = {}) {
  return num(e.center()) + Numbers{e.r1(), e.r2(), e.rotation().toDouble()} + more;
}

// `area cx cy m00 m01 m11`, or the moments of a POLYGON.
sg_InertiaData recordOf(const std::string& text) {
  if (text.rfind("POLYGON", 0) == 0) return sf_InertiaDataPolygon(pointsOf(text));
  const Numbers n = numbersOf(text);
  return sg_InertiaData(n.at(0), V(n.at(1), n.at(2)), sgMatrix<2>(n.at(3), n.at(4), n.at(4), n.at(5)));
}

sgRadian angleOf(const std::string& text) { return sgRadian(numberOf(text)); }
auto modeOf(const std::string& text) { return static_cast<sgContourDefs::DiameterMode>(std::stol(text)); }
// The k-th number of the row's i-th argument as a flag, and the point its first two numbers make.
bool flagAt(const Case& c, std::size_t i, std::size_t k = 0) { return numbersOf(c.arg(i)).at(k) != 0.0; }
V pointAt(const Case& c) { return V(numbersOf(c.arg(1)).at(0), numbersOf(c.arg(1)).at(1)); }

std::vector<sgEdgelet> edgeletsAt(const Points& points) {
  std::vector<sgEdgelet> out;
  for (const V& p : points) out.emplace_back(p, 7, sgAngle8(3));
  return out;
}

// A POLYGON as casetable reads it; in a MULTIPOLYGON the first polygon is the region and each
// further one a hole with its own holes (islands), a nesting WKT has no words for.
sgPtrHandle<sgRegion> regionOf(const std::string& wkt) {
  if (wkt.rfind("MULTIPOLYGON", 0) != 0) return casetable::regionOf(wkt);
  std::vector<sgPtrHandle<sgRegion>> holes;
  for (const std::vector<Points>& rings : parseWkt(wkt)) {
    holes.emplace_back(new sgRegion(rings.front()));
    std::vector<sgPtrHandle<sgRegion>> islands;
    for (std::size_t i = 1; i < rings.size(); ++i) islands.emplace_back(new sgRegion(rings[i]));
    if (!islands.empty()) holes.back()->holes(islands);
  }
  holes.front()->holes(std::vector<sgPtrHandle<sgRegion>>(holes.begin() + 1, holes.end()));
  return holes.front();
}

// `numbers [~tolerances]`: one absolute tolerance for all, or one per number (1e-12 when none is
// given).
void expectNumbers(const Numbers& actual, const std::string& expected) {
  const std::size_t tilde = expected.find('~');
  const Numbers tols = tilde == std::string::npos ? Numbers{1e-12} : numbersOf(expected.substr(tilde + 1));
  rowchecks::expectNumbers(actual, numbersOrNone(expected.substr(0, tilde)), tols);
}

const std::map<std::string, std::function<Numbers(C)>>& ops() {
  static const std::map<std::string, std::function<Numbers(C)>> table = {
      {"polygonMoments", [](C c) { return numbersOfRecord(sf_InertiaDataPolygon(pointsOf(c.arg(0)))); }},
      {"sumRecords", [](C c) { return numbersOfRecord(recordOf(c.arg(0)) + recordOf(c.arg(1))); }},
      {"polygonArea",
       [](C c) {
         const Points points = pointsOf(c.arg(0));
         EXPECT_EQ(sf_Area(edgeletsAt(points)), sf_Area(points));
         return Numbers{sf_Area(points)};
       }},
      {"centroid",
       [](C c) {
         const Points points = pointsOf(c.arg(0));
         const V center = snContour::centerOfMass(points);
         EXPECT_TRUE(sf_CenterOfMass(points) == center && sf_CenterOfMass(edgeletsAt(points)) == center &&
                     snContour::centerOfMass(edgeletsAt(points)) == center);
         return num(center);
       }},
      {"ellipseOfRecord",
       [](C c) { return numbersOfEllipse(sf_EllipseFromInertiaData(recordOf(c.arg(0)))); }},
      {"fitEllipse",
       [](C c) {
         const Points points = pointsOf(c.arg(0));
         sgEllipse e(sgCircle(V(7, 7), 3)), other;
         double error = 12.0, otherError = 0.0;
         sf_FitEllipse(points, e, error);
         sf_FitEllipse(edgeletsAt(points), other, otherError);
         EXPECT_TRUE(other == e && otherError == error) << "edgelet form";
         contourOf(c.arg(0)).fitEllipse(other, otherError);
         EXPECT_TRUE(other == e && otherError == error) << "contour form";
         return numbersOfEllipse(e, {error});
       }},
      {"stdDev", [](C c) { return Numbers{sf_StdDev(numbersOrNone(c.arg(0)))}; }},
      {"length", [](C c) { return Numbers{contourOf(c.arg(0)).length()}; }},
      {"meanPosition", [](C c) { return num(contourOf(c.arg(0)).meanPosition()); }},
      {"extremalIndex",
       [](C c) { return Numbers{double(contourOf(c.arg(0)).extremalVertexIndex(angleOf(c.arg(1))))}; }},
      {"extremalPosition",
       [](C c) { return num(contourOf(c.arg(0)).extremalVertexPosition(angleOf(c.arg(1)))); }},
      {"encloseRect", [](C c) { return num(contourOf(c.arg(0)).encloseRect(xformOf(c.arg(1)))); }},
      {"encloseCircle",
       [](C c) {
         const sgContour contour = contourOf(c.arg(0));
         const sgCircle circle = contour.encloseCircle(modeOf(c.arg(1)));
         EXPECT_EQ(contour.diameter(modeOf(c.arg(1))), circle.radius() + circle.radius());
         return num(circle.center()) + num(circle.radius());
       }},
      {"diameter", [](C c) { return Numbers{contourOf(c.arg(0)).diameter(modeOf(c.arg(1)))}; }},
      {"minCircle",
       [](C c) {
         const sgContour contour = contourOf(c.arg(0));
         const sgCircle circle = contour.minEnclosingCircle();
         for (const V& p : contour.points()) EXPECT_LE(p.distance(circle.center()), circle.radius());
         return num(circle.center()) + num(circle.radius());
       }},
      {"convexHull",
       [](C c) {
         sgRegion hull(*casetable::regionOf("POLYGON((-9 -9,9 -9,9 9,-9 9),(-1 -1,1 -1,1 1,-1 1))"));
         contourOf(c.arg(0)).convexHull(hull);
         EXPECT_TRUE(hull.holes().empty()) << "the target's holes are replaced too";
         Points corners = hull.points();
         std::sort(corners.begin(), corners.end(),
                   [](const V& a, const V& b) { return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y()); });
         return num(corners);
       }},
      {"draw",
       [](C c) {
         sgRecordingTablet outline;
         contourOf(c.arg(0)).draw(outline, sgContourDefs::eDrawOutline, sgColor(), sgUITablet::eOverlay);
         Numbers n;
         for (const auto& s : outline.segments())
           n.insert(n.end(), {s.from.x(), s.from.y(), s.to.x(), s.to.y()});
         return n;
       }},
      {"regionArea", [](C c) { return Numbers{regionOf(c.arg(0))->area(flagAt(c, 1))}; }},
      {"regionCentroid", [](C c) { return num(regionOf(c.arg(0))->centerOfMass(flagAt(c, 1))); }},
      {"regionInertia", [](C c) { return num(regionOf(c.arg(0))->inertiaMatrix(flagAt(c, 1))); }},
      {"inside",
       [](C c) { return Numbers{double(regionOf(c.arg(0))->inside(pointAt(c), flagAt(c, 1, 2)))}; }},
      {"closestVertex",
       [](C c) {
         long hole = 7;
         const long index = regionOf(c.arg(0))->closestVertexIndex(pointAt(c), flagAt(c, 1, 2), hole);
         return Numbers{double(index), double(hole)};
       }},
      {"closestPoint",
       [](C c) {
         return num(regionOf(c.arg(0))->closestPoint(pointAt(c), flagAt(c, 1, 2), flagAt(c, 1, 3)));
       }},
      {"regionDist",
       [](C c) {
         return Numbers{
             regionOf(c.arg(0))->distToPoint(pointAt(c), flagAt(c, 1, 2), flagAt(c, 1, 3), flagAt(c, 1, 4))};
       }},
      {"regionCrossings",
       [](C c) {
         const sgLineSeg segment(pointsOf(c.arg(1)).at(0), pointsOf(c.arg(1)).at(1));
         return num(regionOf(c.arg(0))->intersections(segment, flagAt(c, 2, 0), flagAt(c, 2, 1)));
       }},
      {"regionContourCrossings",
       [](C c) { return num(regionOf(c.arg(0))->intersections(contourOf(c.arg(1)), flagAt(c, 2))); }},
      {"setArea", [](C c) { return Numbers{regionSetOf(c.arg(0)).area(flagAt(c, 1))}; }},
      {"setCentroid", [](C c) { return num(regionSetOf(c.arg(0)).centerOfMass(flagAt(c, 1))); }},
      {"setInertia", [](C c) { return num(regionSetOf(c.arg(0)).inertiaMatrix(flagAt(c, 1))); }},
  };
  return table;
}

class Measures : public testing::TestWithParam<Case> {};

TEST_P(Measures, Row) {
  const Case& c = GetParam();
  const auto op = ops().find(c.op);
  ASSERT_NE(op, ops().end()) << c.where << ": unknown op " << c.op;
  ASSERT_FALSE(c.args.empty()) << c.where << ": no expected value";
  const std::string& expected = c.args.back();
  if (expected.front() == '!')
    expectError([&] { op->second(c); }, expected);
  else
    expectNumbers(op->second(c), expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, Measures, testing::ValuesIn(casetable::readCases("measures")),
                         casetable::caseName);

Numbers measuresOf(const sgContour& c) {
  sgRegion hull;
  c.convexHull(hull);
  sgEllipse ellipse;
  double error = 0.0;
  c.fitEllipse(ellipse, error);
  const Numbers sizes = {c.length(), c.diameter(D::eExact), c.diameter(D::eApproximate), hull.area(false)};
  const Numbers fits = {c.minEnclosingCircle().radius(), ellipse.r1(), error};
  return sizes + fits + num(c.meanPosition()) + num(c.encloseRect(sgXform<2>::I)) +
         num(double(c.extremalVertexIndex(sgRadian(0.0))));
}

Numbers measuresOf(const sgRegion& r) {
  const sgMatrix<2> outer = r.inertiaMatrix(false), inner = r.inertiaMatrix(true);
  return {r.area(false), r.area(true), r.centerOfMass(false).x(), r.centerOfMass(true).x(), outer(0, 0),
          inner(0, 0),   inner(0, 1)};
}

void expectNear(const Numbers& a, const Numbers& b, const std::string& what) {
  SCOPED_TRACE(what);
  rowchecks::expectNumbers(a, b, {1e-9});
}

TEST(MeasureCaches, ContourAnswersAreKeptAndCopiedUntilAMutatorClearsThem) {
  const Points before = {V(0, 0), V(4, 0), V(5, 3), V(1, 4), V(-1, 2), V(0, 1)};
  const Points after = {V(0, 0), V(9, 0), V(8, 5), V(2, 7), V(-3, 3), V(-1, 1)};
  const Numbers fresh = measuresOf(sgContour(after)), old = measuresOf(sgContour(before));
  const std::vector<std::pair<std::string, std::function<void(ContourProbe&)>>> mutators = {
      {"points", [&](ContourProbe& c) { c.points(after); }},
      {"setPoints", [&](ContourProbe& c) { c.setPoints(after); }},
      {"isClosed", [](ContourProbe& c) { c.isClosed(true); }},
      {"assignment", [&](ContourProbe& c) { c = sgContour(after); }},
      {"map onto itself", [](ContourProbe& c) { c.map(sgXform<2>::I, c); }}};
  for (const auto& [name, mutate] : mutators) {
    ContourProbe c(before);
    measuresOf(c);
    for (std::size_t i = 0; i < after.size(); ++i) c.moveVertexUnnoticed(i, after[i]);
    expectNear(measuresOf(c), old, name + ": answered from the caches");
    expectNear(measuresOf(sgContour(c)), old, name + ": a copy takes the caches along");
    mutate(c);
    expectNear(measuresOf(c), fresh, name);
  }
}

TEST(MeasureCaches, KeysAreExactArgumentsALoweredBoundTrimsNothingAndCirclesAreKeptPerMode) {
  ContourProbe c(Points{V(1, 1), V(3, 0), V(2, 5)});
  const sgXform<2> stretched(sgMatrix<2>(1, 0, 0, 2), V(0, 0)), nanShift(sgMatrix<2>(), V(NAN, 0));
  c.encloseRect(sgXform<2>::I);
  c.encloseRect(stretched);
  c.encloseRect(nanShift);
  c.extremalVertexIndex(sgRadian(0.0));
  c.diameter(D::eExact);
  c.cachedVectorSize(0);
  c.moveVertexUnnoticed(2, V(30, 6));
  EXPECT_EQ(c.encloseRect(stretched), sgRect(V(1, 0), V(2, 10)));
  EXPECT_EQ(c.encloseRect(nanShift).height(), 5.0) << "a NaN key is found again";
  EXPECT_EQ(c.encloseRect(sgXform<2>::I), sgRect(V(1, 0), V(2, 5)));
  EXPECT_EQ(c.extremalVertexIndex(sgRadian(0.0)), 1);
  EXPECT_EQ(c.extremalVertexIndex(sgRadian(2 * kPi)), 2) << "angles are not reduced to one turn";
  EXPECT_DOUBLE_EQ(c.diameter(D::eExact), std::sqrt(26.0));
  EXPECT_DOUBLE_EQ(c.diameter(D::eApproximate), 2 * std::hypot(29.0, 5.0));
}

TEST(MeasureCaches, FullKeyedCacheReplacesTheEntryAtTheThreadsFirstRandomPosition) {
  // The source's generator is mt19937_64 seeded with 1, its top 53 bits scaled to [0, 4).
  std::mt19937_64 reference(1);
  const auto replaced = static_cast<std::size_t>(std::floor((reference() >> 11) * 0x1.0p-53 * 4.0));
  std::thread([replaced] {
    // In key order, with their answers on the diamond; once it collapses every one differs.
    const double angles[5] = {-kPi / 2, 0.0, 0.3, kPi / 2, kPi};
    const long answers[5] = {3, 0, 0, 1, 2};
    ContourProbe c(Points{V(1, 0), V(0, 1), V(-1, 0), V(0, -1)});
    for (std::size_t i : {0, 1, 3, 4, 2}) c.extremalVertexIndex(sgRadian(angles[i]));
    for (std::size_t i = 0; i < 4; ++i) c.moveVertexUnnoticed(i, i == 0 ? V(-5, 0) : V(0, 0));
    c.cachedVectorSize(100);                   // no replacement while looking
    const std::size_t held[4] = {0, 1, 3, 4};  // the four entries when the fifth came
    for (std::size_t k = 0; k < 4; ++k)
      EXPECT_EQ(c.extremalVertexIndex(sgRadian(angles[held[k]])) == answers[held[k]], k != replaced) << k;
    EXPECT_EQ(c.extremalVertexIndex(sgRadian(0.3)), 0) << "the newest entry is kept";
  }).join();
}

TEST(MeasureCaches, RegionAnswersAreKeptUntilTheHolesAreSetAgainAndFailuresStoreNothing) {
  // A region whose outline can move without the region noticing.
  struct RegionProbe : sgRegion {
    void moveVertexUnnoticed(std::size_t i, const V& to) { const_cast<Points&>(points())[i] = to; }
  };
  const Points square = {V(0, 0), V(10, 0), V(10, 10), V(0, 10)};
  const sgPtrHandle<sgRegion> hole(new sgRegion(Points{V(2, 2), V(4, 2), V(4, 4), V(2, 4)}));
  RegionProbe r;  // set afterwards: the virtual contour base would take no points from a constructor
  r.points(square);
  r.holes(Holes{hole});
  const Numbers old = measuresOf(r);
  hole->points(Points{V(6, 5), V(9, 5), V(9, 8), V(6, 8)});  // a shared hole changes unseen
  r.moveVertexUnnoticed(1, V(12, 0));
  expectNear(measuresOf(r), old, "answered from the caches");
  expectNear(measuresOf(sgRegion(r)), old, "a copy takes the caches along");
  r.holes(Holes{hole});
  sgRegion fresh(r.points());
  fresh.holes(Holes{hole});
  expectNear(measuresOf(r), measuresOf(fresh), "after the holes are set again");
  hole->points(Points{V(6, 6), V(8, 8)});  // without area: every hole measure fails, storing nothing
  r.holes(Holes{hole});
  EXPECT_THROW(r.area(true), D::EmptyContour);
  EXPECT_THROW(r.centerOfMass(true), D::EmptyContour);
  EXPECT_THROW(r.inertiaMatrix(true), D::EmptyContour);
  hole->points(Points{V(6, 6), V(7, 6), V(7, 7), V(6, 7)});
  fresh.holes(Holes{hole});
  expectNear(measuresOf(r), measuresOf(fresh), "after the failures");
}

}  // namespace
