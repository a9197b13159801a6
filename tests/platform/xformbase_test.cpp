// Tests of the polymorphic transforms sg2XformLinear and sg2Rigid: mapping, inverse, clone,
// matrix form and their archive records.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "lynstd/lynstd.h"

namespace {

using V = sgVector<2>;
using Handle = sgPtrHandle<sg2XformBase>;

constexpr double kPi = std::numbers::pi;

const std::vector<V> kProbes = {V(0.0, 0.0), V(1.0, 0.0), V(0.0, 1.0), V(-3.5, 2.25), V(1e3, -7e2)};

/// Checks that `inv` undoes `x` on the probe points, in both orders.
void expectInverse(const sg2XformBase& x, const sg2XformBase& inv, double tol) {
  for (const V& p : kProbes) {
    EXPECT_TRUE(sfRealEq(inv.mapPoint(x.mapPoint(p)), p, tol)) << p.x() << ", " << p.y();
    EXPECT_TRUE(sfRealEq(x.mapPoint(inv.mapPoint(p)), p, tol)) << p.x() << ", " << p.y();
  }
}

// ---- sg2XformLinear ----------------------------------------------------------------------------

TEST(XformLinear, DefaultIsIdentityAndMapPointAppliesTheAffineMap) {
  for (const V& p : kProbes) EXPECT_EQ(sg2XformLinear().mapPoint(p), p);
  const sg2XformLinear x(sgXform<2>(sgMatrix<2>(2.0, 1.0, 0.0, 3.0), V(1.0, -1.0)));
  EXPECT_EQ(x.mapPoint(V(1.0, 2.0)), V(5.0, 5.0));
}

TEST(XformLinear, InverseBaseComposesToIdentity) {
  const sg2XformLinear x(sgXform<2>(sgMatrix<2>(sgRadian(0.7), sgRadian(0.9), 1.5, 0.25), V(4.0, -2.0)));
  const Handle inv(x.inverseBase());
  ASSERT_NE(dynamic_cast<const sg2XformLinear*>(inv.get()), nullptr);
  EXPECT_EQ(inv->refCount(), 1);
  expectInverse(x, *inv, 1e-11);
  const sgXform<2> both = inv->xform() * x.xform();
  EXPECT_TRUE(sfRealEq(both.matrix(), sgMatrix<2>(), 1e-15));
  EXPECT_TRUE(sfRealEq(both.trans(), V(0.0, 0.0), 1e-14));
}

TEST(XformLinear, SingularTransformHasNoInverse) {
  const sg2XformLinear x(sgXform<2>(sgMatrix<2>(1.0, 2.0, 0.5, 1.0), V(0.0, 0.0)));
  EXPECT_THROW(std::unique_ptr<sg2XformBase>(x.inverseBase()), sgMathError::Singular);
}

TEST(Xforms, ClonesAreIndependentUncountedObjectsOfTheSameClass) {
  Handle original(new sg2XformLinear(sgXform<2>(sgMatrix<2>(0.0, -1.0, 1.0, 0.0), V(2.0, 3.0))));
  const Handle copy(original->clone());
  EXPECT_NE(copy.get(), original.get());
  EXPECT_EQ(copy->refCount(), 1);  // the count is not copied
  original.reset();                // deletes the original; the clone lives on
  EXPECT_EQ(copy->mapPoint(V(1.0, 0.0)), V(2.0, 4.0));

  Handle rigid(new sg2Rigid(sgDegree(10.0), V(1.0, 1.0)));
  const Handle rigidCopy(rigid->clone());
  rigid.reset();
  const auto* r = dynamic_cast<const sg2Rigid*>(rigidCopy.get());
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->rotation(), sgDegree(10.0));
  EXPECT_EQ(r->translation(), V(1.0, 1.0));
}

// ---- sg2Rigid ----------------------------------------------------------------------------------

TEST(Rigid, QuarterTurnIsExact) {
  const sg2Rigid r(sgDegree(90.0), V(10.0, 20.0));
  EXPECT_EQ(r.mapPoint(V(1.0, 0.0)), V(10.0, 21.0));
  EXPECT_EQ(r.mapPoint(V(0.0, 1.0)), V(9.0, 20.0));
  EXPECT_EQ(r.xform().matrix(), sgMatrix<2>(0.0, -1.0, 1.0, 0.0));
  EXPECT_EQ(sg2Rigid(sgDegree(180.0), V()).mapPoint(V(1.0, 2.0)), V(-1.0, -2.0));
  EXPECT_EQ(sg2Rigid(sgDegree(-90.0), V()).mapPoint(V(1.0, 0.0)), V(0.0, -1.0));
  EXPECT_EQ(sg2Rigid(sgDegree(450.0), V()).mapPoint(V(1.0, 0.0)), V(0.0, 1.0));
  for (const V& p : kProbes) EXPECT_EQ(sg2Rigid().mapPoint(p), p);
}

TEST(Rigid, RotatesCounterClockwiseLikeTheRotationMatrix) {
  for (double deg : {0.0, 12.5, 44.9, 45.0, 135.0, 200.0, -33.0, 359.99, 1000.0}) {
    const sg2Rigid r(sgDegree(deg), V(0.5, -0.25));
    const sgRadian t = sgDegree(deg);
    EXPECT_TRUE(sfRealEq(r.xform().matrix(), sgMatrix<2>(t, t, 1.0, 1.0), 1e-15)) << deg;
    for (const V& p : kProbes) EXPECT_TRUE(sfRealEq(r.mapPoint(p), r.xform() * p, 1e-12)) << deg;
  }
}

TEST(Rigid, InverseIsRigidAndComposesToIdentity) {
  const sg2Rigid r(sgDegree(37.0), V(5.0, -8.0));
  const Handle inv(r.inverseBase());
  const auto* rigid = dynamic_cast<const sg2Rigid*>(inv.get());
  ASSERT_NE(rigid, nullptr);
  EXPECT_EQ(rigid->rotation().toDouble(), -37.0);
  expectInverse(r, *inv, 1e-12);
  const sg2Rigid quarter(sgDegree(90.0), V(3.0, 4.0));  // exact
  const Handle back(quarter.inverseBase());
  for (const V& p : {V(1.0, 0.0), V(-2.0, 7.0), V(0.5, 0.25)})
    EXPECT_EQ(back->mapPoint(quarter.mapPoint(p)), p);
}

TEST(Rigid, NaNAngleGivesNaNPoints) {
  const sg2Rigid r(sgDegree(std::nan("")), V());
  EXPECT_TRUE(std::isnan(r.mapPoint(V(1.0, 0.0)).x()));
}

// ---- Archive records ---------------------------------------------------------------------------

/// Stores `x` through a pointer record and loads it back.
Handle roundTrip(sg2XformBase* x) {
  sgArchive out;
  sgPersistent* none = nullptr;
  sgPersistent::serializePointer(out, x, none);
  sgArchive in(out.bytes());
  sgPersistent* loaded = nullptr;
  sgPersistent::serializePointer(in, nullptr, loaded);
  auto* xf = dynamic_cast<sg2XformBase*>(loaded);
  EXPECT_NE(xf, nullptr);
  return Handle(xf);  // keeps it alive after the archive releases its reference
}

TEST(XformArchive, BothClassesRoundTripThroughTheirFactories) {
  const Handle x(new sg2XformLinear(sgXform<2>(sgMatrix<2>(1.5, -0.25, 0.125, 3.0), V(-7.0, 0.1))));
  const Handle back = roundTrip(x.get());
  ASSERT_NE(dynamic_cast<const sg2XformLinear*>(back.get()), nullptr);
  EXPECT_EQ(back->xform(), x->xform());
  EXPECT_EQ(back->xform().matrix().determinant(), x->xform().matrix().determinant());
  const Handle rigid = roundTrip(Handle(new sg2Rigid(sgDegree(-123.456), V(0.3, 1e10))).get());
  const auto* r = dynamic_cast<const sg2Rigid*>(rigid.get());
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->rotation(), sgDegree(-123.456));
  EXPECT_EQ(r->translation(), V(0.3, 1e10));
}

TEST(XformArchive, UnknownVersionIsRefused) {
  // The record ends with the three version bytes (sg2XformLinear, sg2XformBase, sgPersistent)
  // followed by the transform: six doubles.
  const Handle x(new sg2XformLinear);
  sgArchive out;
  sgPersistent* none = nullptr;
  sgPersistent::serializePointer(out, x.get(), none);
  for (std::size_t level = 0; level < 3; ++level) {
    std::vector<unsigned char> bytes = out.bytes();
    const std::size_t at = bytes.size() - 6 * 8 - 3 + level;
    ASSERT_EQ(bytes[at], 0);
    bytes[at] = 1;
    sgArchive in(bytes);
    sgPersistent* loaded = nullptr;
    try {
      sgPersistent::serializePointer(in, nullptr, loaded);
      ADD_FAILURE() << "no refusal at level " << level;
    } catch (const sgArchive::UnknownVersion& e) {
      const char* expected[] = {"sg2XformLinear", "sg2XformBase", "sgPersistent"};
      EXPECT_EQ(e.source(), expected[level]);
      EXPECT_EQ(e.number(), 1);
    }
  }
}

}  // namespace
