// Contour construction, copying, comparison, mutators, the edge caches and cache invalidation.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <typeinfo>

#include "cntr/contour.h"
#include "cntr/contourprobe.h"

namespace {

using Points = std::vector<sgVector<2>>;

TEST(ContourConstruction, DefaultAndFactoryMadeContoursAreEmptyClosedWithLabelZeroAndCacheSizeThree) {
  const sg_Instantiator::Factory factory = sg_Instantiator::find(typeid(sgContour).name());
  ASSERT_NE(factory, nullptr);
  const sgPtrHandle<sgContour> made(dynamic_cast<sgContour*>(factory()));
  ASSERT_TRUE(made);
  const sgContour plain;
  for (const sgContour* c : {&plain, static_cast<const sgContour*>(made.get())}) {
    EXPECT_TRUE(c->points().empty());
    EXPECT_TRUE(c->isClosed());
    EXPECT_EQ(c->label(), 0u);
    EXPECT_EQ(c->cachedVectorSize(), 3);
  }
}

TEST(ContourConstruction, PolygonReturningToItsStartIsClosedAndKeepsBothEnds) {
  const ContourProbe c(sgPolygon({{0, 0}, {3, 0}, {3, 4}, {0, 0}}, sgPolygon::eEvenOdd), 9);
  EXPECT_TRUE(c.isClosed());
  EXPECT_EQ(c.points().size(), 4u);
  EXPECT_EQ(c.label(), 9u);
  // Edge 0 is the closing edge from the last vertex to the first: zero length here.
  ASSERT_EQ(c.validLine().size(), 4u);
  EXPECT_FALSE(c.validLine()[0]);
  EXPECT_TRUE(c.validLine()[1] && c.validLine()[2] && c.validLine()[3]);
  EXPECT_DOUBLE_EQ(c.length(), 12.0);
}

TEST(ContourConstruction, PolygonEndsWithin1e15CountAsCoincidingAndAnEmptyPolygonIsOpen) {
  EXPECT_TRUE(sgContour(sgPolygon({{0, 0}, {1, 0}, {5e-16, 0}}, sgPolygon::eEvenOdd), 0).isClosed());
  EXPECT_FALSE(sgContour(sgPolygon({{0, 0}, {1, 0}, {1e-14, 0}}, sgPolygon::eEvenOdd), 0).isClosed());
  const sgContour empty{sgPolygon(), 0};
  EXPECT_TRUE(empty.points().empty());
  EXPECT_FALSE(empty.isClosed());
}

TEST(ContourPolygon, OpenContourGivesItsVerticesAndClosedOneRepeatsTheFirst) {
  const Points pts = {{0, 0}, {3, 0}, {3, 4}};
  const sgContour open(sgPolygon(pts, sgPolygon::eNonZeroWinding), 0);
  ASSERT_FALSE(open.isClosed());
  EXPECT_EQ(open.polygon().points(), pts);
  EXPECT_EQ(open.polygon().fillMode(), sgPolygon::eEvenOdd);

  const sgContour closed(pts, true);
  const sgPolygon poly = closed.polygon();
  ASSERT_EQ(poly.size(), 4);
  EXPECT_EQ(poly[3], pts[0]);
  EXPECT_TRUE(sgContour().polygon().points().empty());
}

TEST(ContourEquality, ComparesClosedFlagVerticesAndCacheSizeButNotLabel) {
  const Points pts = {{0, 0}, {1, 0}, {1, 1}};
  sgContour a(pts, true, 1), b(pts, true, 2);
  EXPECT_TRUE(a == b);
  b.cachedVectorSize(4);
  EXPECT_FALSE(a == b);
  EXPECT_FALSE(a == sgContour(pts, false, 1));
  EXPECT_FALSE(a == sgContour(Points{{0, 0}, {1, 0}}, true, 1));
  EXPECT_FALSE(a == sgContour(Points{{0, 0}, {1, 0}, {1, 1.5}}, true, 1));
  const sgContour withNaN(Points{{0, 0}, {std::numeric_limits<double>::quiet_NaN(), 1}});
  EXPECT_FALSE(withNaN == withNaN) << "a NaN vertex is never equal, even to itself";
}

TEST(ContourEdges, OpenContourEdgesRunForwardAndClosedOnesStartWithTheClosingEdge) {
  const Points pts = {{0, 0}, {4, 0}, {4, 3}};
  const ContourProbe open(pts, false);
  ASSERT_EQ(open.lineSegs().size(), 2u);
  EXPECT_EQ(open.lineSegs()[0].p1(), pts[0]);
  EXPECT_EQ(open.lineSegs()[0].p2(), pts[1]);
  EXPECT_EQ(open.lineSegs()[1].p2(), pts[2]);

  const ContourProbe closed(pts, true);
  ASSERT_EQ(closed.lineSegs().size(), 3u);
  EXPECT_EQ(closed.lineSegs()[0].p1(), pts[2]);
  EXPECT_EQ(closed.lineSegs()[0].p2(), pts[0]);
  EXPECT_EQ(closed.lineSegs()[1].p1(), pts[0]);
  EXPECT_EQ(closed.lineSegs()[2].p2(), pts[2]);
}

TEST(ContourEdges, ZeroLengthEdgeGetsDefaultPlaceholders) {
  const ContourProbe c(Points{{1, 1}, {1, 1}, {3, 2}}, false);
  ASSERT_EQ(c.validLine(), (std::vector<bool>{false, true}));
  EXPECT_EQ(c.lineSegs()[0].p1(), sgVector<2>(0, 0));
  EXPECT_EQ(c.lineSegs()[0].p2(), sgVector<2>(0, 0));
  EXPECT_EQ(c.lineSegs()[1].p1(), sgVector<2>(1, 1));
}

TEST(ContourEmptyCheck, FewerThanTwoVerticesThrowEmptyContourWithEmptyMessage) {
  EXPECT_THROW(ContourProbe().checkEmptyContour(), sgContourDefs::EmptyContour);
  try {
    ContourProbe(Points{{1, 1}}).checkEmptyContour();
    FAIL() << "a single vertex counts as empty";
  } catch (const sgContourDefs::EmptyContour& e) {
    EXPECT_TRUE(e.string().empty());
  }
  EXPECT_NO_THROW(ContourProbe(Points{{1, 1}, {1, 1}}).checkEmptyContour());
}

TEST(ContourCacheSize, NegativeSizeIsRefusedAndChangesNothing) {
  sgContour c(square2());
  c.cachedVectorSize(5);
  EXPECT_THROW(c.cachedVectorSize(-1), sgContourDefs::BadParams);
  EXPECT_EQ(c.cachedVectorSize(), 5);
  c.cachedVectorSize(0);
  EXPECT_EQ(c.cachedVectorSize(), 0);
}

TEST(ContourCaches, LabelAndCacheSizeSettersKeepComputedValues) {
  ContourProbe c(square2(), true);
  ASSERT_DOUBLE_EQ(c.length(), 8.0);
  c.moveVertexUnnoticed(2, {2, 5});
  c.label(7);
  c.cachedVectorSize(1);
  EXPECT_DOUBLE_EQ(c.length(), 8.0);
  EXPECT_EQ(c.label(), 7u);
}

TEST(ContourCaches, EveryVertexSetterClearsTheCachesAndOnlyPointsCallsTheHook) {
  ContourProbe c(square2(), true);
  ASSERT_DOUBLE_EQ(c.length(), 8.0);
  c.points(Points{{0, 0}, {1, 0}});
  EXPECT_DOUBLE_EQ(c.length(), 2.0);
  EXPECT_EQ(c.hookCalls, 1);
  c.setPoints(Points{{0, 0}, {0, 3}});
  EXPECT_DOUBLE_EQ(c.length(), 6.0);
  EXPECT_EQ(c.hookCalls, 1);
}

TEST(ContourNotification, MutatorsNotifyOnlyWhileTheFlagIsSet) {
  sgContour c(square2());
  int changes = 0;
  c.changeObserver([&changes](const sgPersistent&) { ++changes; });
  c.label(3);
  EXPECT_EQ(changes, 0);
  c.notifyOnChange(true);
  c.label(4);
  EXPECT_EQ(changes, 1);
  c.cachedVectorSize(2);
  EXPECT_EQ(changes, 2);
  EXPECT_THROW(c.cachedVectorSize(-3), sgContourDefs::BadParams);
  EXPECT_EQ(changes, 2);
  c.isClosed(false);
  EXPECT_EQ(changes, 3);
}

TEST(ContourCopy, AssignmentCopiesTheSourcesValidCaches) {
  ContourProbe source(square2(), true, 5);
  source.cachedVectorSize(6);
  ASSERT_DOUBLE_EQ(source.length(), 8.0);
  ASSERT_EQ(source.extremalVertexIndex(sgRadian(0.0)), 1);
  ASSERT_EQ(source.encloseRect(sgXform<2>::I), sgRect({0, 0}, {2, 2}));

  ContourProbe copy;
  copy = static_cast<const sgContour&>(source);
  EXPECT_EQ(copy.label(), 5u);
  EXPECT_EQ(copy.cachedVectorSize(), 6);
  EXPECT_TRUE(copy == source);
  // The copy answers from the copied caches, not from its (secretly moved) vertices.
  copy.moveVertexUnnoticed(3, {9, 9});
  EXPECT_DOUBLE_EQ(copy.length(), 8.0);
  EXPECT_EQ(copy.extremalVertexIndex(sgRadian(0.0)), 1);
  EXPECT_EQ(copy.encloseRect(sgXform<2>::I), sgRect({0, 0}, {2, 2}));
  // Not shared: a key the source learns later is recomputed by the copy.
  ASSERT_EQ(source.extremalVertexIndex(sgRadian(1.0)), 2);
  EXPECT_EQ(copy.extremalVertexIndex(sgRadian(1.0)), 3);
}

TEST(ContourCopy, MutatingTheSourceLeavesTheCopysCachesAlone) {
  sgContour source(square2());
  ASSERT_EQ(source.encloseRect(sgXform<2>::I), sgRect({0, 0}, {2, 2}));
  const sgContour copy(source);
  source.points(Points{{5, 5}, {6, 7}});
  EXPECT_EQ(source.encloseRect(sgXform<2>::I), sgRect({5, 5}, {1, 2}));
  EXPECT_EQ(copy.encloseRect(sgXform<2>::I), sgRect({0, 0}, {2, 2}));
}

TEST(ContourCopy, AssigningAContourWithoutCachesDropsTheTargets) {
  ContourProbe target(square2());
  ASSERT_EQ(target.encloseRect(sgXform<2>::I), sgRect({0, 0}, {2, 2}));
  ASSERT_EQ(target.extremalVertexIndex(sgRadian(0.0)), 1);
  target = ContourProbe(square2());
  target.moveVertexUnnoticed(2, {5, 2});
  EXPECT_EQ(target.encloseRect(sgXform<2>::I), sgRect({0, 0}, {5, 2}));
  EXPECT_EQ(target.extremalVertexIndex(sgRadian(0.0)), 2);
}

}  // namespace
