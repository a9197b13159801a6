// The edgelet contour: the transform between points and edgelets, its cached inverse, the two
// consistency hooks, equality by shared transform, and the refused typed operations.
#include <gtest/gtest.h>

#include <atomic>

#include "edgeletshapes.h"

namespace {

using namespace edgelettest;

// An affine transform that counts how often an inverse is made of it or of any clone.
std::atomic<int> gInversesMade{0};

class CountingXform : public sg2XformLinear {
 public:
  explicit CountingXform(const sgXform<2>& x) : sg2XformLinear(x) {}
  sg2XformBase* inverseBase() const override {
    ++gInversesMade;
    return sg2XformLinear::inverseBase();
  }
  sg2XformBase* clone() const override { return new CountingXform(xform()); }
};

sgXform<2> scaleAndShift() { return sgXform<2>(sgMatrix<2>(2.0, 0.0, 0.0, 4.0), V(1.0, -3.0)); }

TEST(ContourTConstruction, WithoutTransformOrWithAnEmptyOnePointsAreThePositions) {
  const Edgelets data = rectangleEdgelets(0, 0, 4, 3);
  for (const ContourT& contour : {ContourT(data), ContourT(data, Xform())}) {
    EXPECT_EQ(contour.points(), positions(data));
    EXPECT_EQ(contour.data(), data);
    EXPECT_TRUE(contour.isClosed());
    EXPECT_EQ(contour.dataFromPointsXform()->xform(), sgXform<2>::I);
  }
}

TEST(ContourTConstruction, WithTransformPointsAreTheInverseImages) {
  const Edgelets data = rectangleEdgelets(10, 20, 14, 23);
  const Xform xform = rigid(30.0, 5.0, -2.0);
  ContourT contour(data, xform);
  const sgPtrHandle<sg2XformBase> inverse(xform->inverseBase());
  ASSERT_EQ(contour.points().size(), data.size());
  for (std::size_t i = 0; i < data.size(); ++i) {
    expectNear(contour.points()[i], inverse->mapPoint(data[i].position()), 1e-12);
    const sgEdgelet back = contour.datum(contour.points()[i]);
    expectNear(back.position(), data[i].position(), 1e-12);
    EXPECT_EQ(back.magnitude(), 0u);
    EXPECT_EQ(back.angle().code(), 0u);
  }
  EXPECT_EQ(contour.data(), data);
}

TEST(ContourTConstruction, KeepsItsOwnCloneOfTheTransform) {
  const Xform xform = rigid(90.0, 1.0, 2.0);
  ContourT contour(rectangleEdgelets(0, 0, 1, 1), xform);
  EXPECT_NE(contour.dataFromPointsXform().get(), xform.get());
  EXPECT_EQ(contour.dataFromPointsXform()->xform(), xform->xform());
}

TEST(ContourTConsistency, SettingPointsReplacesEdgeletsByMappedPlainOnes) {
  ContourT contour(rectangleEdgelets(0, 0, 1, 1), Xform(new sg2XformLinear(scaleAndShift())));
  const Points points{V(1, 1), V(2, 0), V(0, 5)};
  contour.points(points);
  EXPECT_EQ(contour.points(), points);
  ASSERT_EQ(contour.data().size(), 3u);
  expectDataFromPoints(contour.data());
  EXPECT_EQ(contour.data()[2].position(), V(1.0, 17.0));
  expectPointsMatchData(contour);
}

TEST(ContourTConsistency, SettingEdgeletsMovesThePointsAndKeepsTheEdgelets) {
  ContourT contour(rectangleEdgelets(0, 0, 1, 1), Xform(new sg2XformLinear(scaleAndShift())));
  const Edgelets data{edgelet(3, 5, 7, 9), edgelet(5, 1, 8, 10)};
  contour.data(data);
  EXPECT_EQ(contour.data(), data);
  EXPECT_EQ(contour.points(), (Points{V(1, 2), V(2, 1)}));
  contour.data(Edgelets());
  EXPECT_TRUE(contour.points().empty());
}

TEST(ContourTConsistency, CachesFollowEitherListAndOtherSettersLeaveTheEdgeletsAlone) {
  ContourT contour(rectangleEdgelets(0, 0, 2, 2));
  EXPECT_DOUBLE_EQ(contour.length(), 8.0);
  contour.data(rectangleEdgelets(0, 0, 3, 3));
  EXPECT_DOUBLE_EQ(contour.length(), 12.0);
  contour.isClosed(false);
  contour.label(9);
  contour.cachedVectorSize(7);
  EXPECT_EQ(contour.data(), rectangleEdgelets(0, 0, 3, 3));
  EXPECT_EQ(contour.points(), positions(rectangleEdgelets(0, 0, 3, 3)));
  contour.points({V(0, 0), V(0, 1)});
  EXPECT_DOUBLE_EQ(contour.length(), 1.0);
}

TEST(ContourTConsistency, InverseIsMadeOnceAndSharedWithCopies) {
  const Xform counting(new CountingXform(scaleAndShift()));
  gInversesMade = 0;
  ContourT contour(rectangleEdgelets(0, 0, 1, 1), counting);
  EXPECT_EQ(gInversesMade, 1);
  contour.data(rectangleEdgelets(2, 2, 5, 5));
  ContourT copy(contour);
  copy.data(rectangleEdgelets(1, 1, 3, 3));
  EXPECT_EQ(gInversesMade, 1);
  EXPECT_EQ(copy.point(edgelet(3, 5)), V(1, 2));
}

TEST(ContourTEquality, SameTransformObjectAndSamePointsOnly) {
  const Edgelets data = rectangleEdgelets(0, 0, 2, 2);
  ContourT a(data);
  ContourT b(data);
  EXPECT_FALSE(a == b);  // each holds its own identity transform

  ContourT copy(a);
  EXPECT_TRUE(copy == a);
  EXPECT_EQ(copy.dataFromPointsXform().get(), a.dataFromPointsXform().get());
  Edgelets louder = data;
  for (sgEdgelet& e : louder) e = sgEdgelet(e.position(), 999, sgAngle8(200));
  copy.data(louder);
  copy.label(5);
  EXPECT_TRUE(copy == a);
  copy.points({V(0, 0), V(2, 0), V(2, 2)});
  EXPECT_FALSE(copy == a);
}

TEST(ContourTEquality, AssignmentSharesTheTransformAndCopiesTheEdgelets) {
  ContourT source(rectangleEdgelets(0, 0, 2, 2), rigid(45.0, 1.0, 1.0));
  ContourT target(rectangleEdgelets(5, 5, 6, 6));
  target = source;
  EXPECT_TRUE(target == source);
  EXPECT_EQ(target.data(), source.data());
  source.data(rectangleEdgelets(7, 7, 8, 8));
  EXPECT_EQ(target.data(), rectangleEdgelets(0, 0, 2, 2));
  expectPointsMatchData(target);
}

TEST(ContourTRefusals, TypedMapAndHullThrowBadWindowAndLeaveTheOutputAlone) {
  const ContourT contour(rectangleEdgelets(0, 0, 2, 2));
  ContourT mapped(rectangleEdgelets(5, 5, 6, 6));
  RegionT hull;
  EXPECT_THROW(contour.mapT(sgXform<2>::I, mapped), sgPel::BadWindow);
  EXPECT_THROW(contour.convexHullT(hull), sgPel::BadWindow);
  EXPECT_EQ(mapped.data(), rectangleEdgelets(5, 5, 6, 6));
  EXPECT_TRUE(hull.points().empty());
}

TEST(ContourTRefusals, SingularTransformFailsWhenAPointIsNeeded) {
  const Xform singular(new sg2XformLinear(sgXform<2>(sgMatrix<2>(1.0, 2.0, 2.0, 4.0), V(0, 0))));
  EXPECT_THROW(ContourT(rectangleEdgelets(0, 0, 1, 1), singular), sgMathError::Singular);
  ContourT empty(Edgelets(), singular);
  empty.points({V(1, 1)});
  EXPECT_EQ(empty.data()[0].position(), V(3, 6));
}

}  // namespace
