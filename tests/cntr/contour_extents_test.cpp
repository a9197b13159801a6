// Extremal vertex, enclosing rectangle and enclosing circle, with their keyed caches.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <thread>

#include "cntr/contour.h"
#include "cntr/contourprobe.h"

namespace {

using Points = std::vector<sgVector<2>>;
constexpr double kPi = 3.14159265358979323846;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(ContourExtremalVertex, SquareKnownAnswersWithTiesToTheLowerIndex) {
  const sgContour c(square2());
  EXPECT_EQ(c.extremalVertexIndex(sgRadian(0.0)), 1);  // vertices 1 and 2 tie at x = 2
  EXPECT_EQ(c.extremalVertexIndex(sgRadian(kPi / 2)), 2);
  EXPECT_EQ(c.extremalVertexIndex(sgRadian(kPi)), 0);
  EXPECT_EQ(c.extremalVertexIndex(sgRadian(3 * kPi / 2)), 0);
  EXPECT_EQ(c.extremalVertexIndex(sgRadian(kPi / 4)), 2);
  EXPECT_EQ(c.extremalVertexPosition(sgRadian(kPi / 4)), sgVector<2>(2, 2));
}

TEST(ContourExtremalVertex, AxisDirectionsProjectExactly) {
  // cos(pi/2) is about 6e-17, enough to favour x = 1e17 in the general formula; along the axis
  // both vertices have y = 5 and the lower index wins.
  const sgContour c(Points{{0, 5}, {1e17, 5}});
  EXPECT_EQ(c.extremalVertexIndex(sgRadian(kPi / 2)), 0);
  EXPECT_EQ(sgContour(Points{{5, 0}, {5, 1e17}}).extremalVertexIndex(sgRadian(kPi)), 0);
  // Off the axis the general projection applies.
  EXPECT_EQ(c.extremalVertexIndex(sgRadian(kPi / 2 - 1e-6)), 1);
}

TEST(ContourExtremalVertex, SameAngleIsAnsweredFromTheCacheButAWholeTurnLaterIsNot) {
  ContourProbe c(square2());
  ASSERT_EQ(c.extremalVertexIndex(sgRadian(0.0)), 1);
  c.moveVertexUnnoticed(3, {10, 0});
  EXPECT_EQ(c.extremalVertexIndex(sgRadian(0.0)), 1);
  EXPECT_EQ(c.extremalVertexIndex(sgRadian(2 * kPi)), 3);
}

TEST(ContourExtremalVertex, NoFiniteProjectionGivesMinusOneAndPositionRefusesItAsItRefusesEmptyContours) {
  const sgContour allNaN(Points{{kNaN, 0}, {0, kNaN}});
  EXPECT_EQ(allNaN.extremalVertexIndex(sgRadian(1.0)), -1);
  EXPECT_THROW(allNaN.extremalVertexPosition(sgRadian(1.0)), sgContourDefs::BadParams);
  const sgContour lowest(Points{{-kInf, 0}, {-kInf, 1}});
  EXPECT_EQ(lowest.extremalVertexIndex(sgRadian(0.0)), -1);

  // A NaN angle has no direction; it is answered without touching the cache.
  ContourProbe c(square2());
  EXPECT_EQ(c.extremalVertexIndex(sgRadian(kNaN)), -1);
  try {
    c.extremalVertexPosition(sgRadian(kNaN));
    FAIL() << "expected BadParams";
  } catch (const sgContourDefs::BadParams& e) {
    EXPECT_FALSE(e.string().empty());
  }
  EXPECT_EQ(c.extremalVertexIndex(sgRadian(0.0)), 1);
  EXPECT_THROW(sgContour(Points{{1, 1}}).extremalVertexIndex(sgRadian(0.0)), sgContourDefs::EmptyContour);
  EXPECT_THROW(sgContour().extremalVertexPosition(sgRadian(0.0)), sgContourDefs::EmptyContour);
}

// Five distinct angles on a contour whose answers are known; afterwards the vertices move
// unnoticed, so a cached angle still gives its old answer and any other the new one.
struct FilledAngleCache {
  ContourProbe contour{Points{{1, 0}, {0, 1}, {-1, 0}, {0, -1}}};
  // Ascending, so that their key order is their position here.
  std::vector<double> angles{-kPi / 2, 0.0, 0.3, kPi / 2, kPi};
  std::vector<long> before{3, 0, 0, 1, 2};

  FilledAngleCache() {
    for (std::size_t i : {0u, 1u, 3u, 4u, 2u}) contour.extremalVertexIndex(sgRadian(angles[i]));
    for (std::size_t i = 0; i < 4; ++i) contour.moveVertexUnnoticed(i, {0, 0});
    contour.moveVertexUnnoticed(0, {-5, 0});  // every direction now answers 0 or 2
    contour.cachedVectorSize(100);            // no more replacements while probing
  }
  bool cached(std::size_t i) { return contour.extremalVertexIndex(sgRadian(angles[i])) == before[i]; }
};

TEST(ContourKeyedCache, FullCacheReplacesExactlyOneEntryAndKeepsTheNewest) {
  FilledAngleCache f;
  EXPECT_TRUE(f.cached(2)) << "the fifth query was stored";
  int kept = 0;
  for (std::size_t i : {0u, 1u, 3u, 4u}) kept += f.cached(i) ? 1 : 0;
  EXPECT_EQ(kept, 3);
}

TEST(ContourKeyedCache, ReplacedPositionIsTheFirstDrawOfAFreshThread) {
  // The foundation's generator: mt19937_64 seeded with 1, top 53 bits scaled to [0, 4).
  std::mt19937_64 reference(1);
  const std::size_t replaced = static_cast<std::size_t>(std::floor((reference() >> 11) * 0x1.0p-53 * 4.0));
  // Key order of the four angles held when the fifth (0.3) came: -pi/2, 0, pi/2, pi.
  const std::size_t heldAngles[4] = {0, 1, 3, 4};
  std::vector<bool> cached(5);
  std::thread([&] {
    FilledAngleCache f;
    for (std::size_t i = 0; i < 5; ++i) cached[i] = f.cached(i);
  }).join();
  for (std::size_t k = 0; k < 4; ++k)
    EXPECT_EQ(cached[heldAngles[k]], k != replaced) << "angle position " << k << ", replaced " << replaced;
  EXPECT_TRUE(cached[2]);
}

TEST(ContourKeyedCache, SizeZeroKeepsOnlyTheLatestResult) {
  ContourProbe c(square2());
  c.cachedVectorSize(0);
  ASSERT_EQ(c.extremalVertexIndex(sgRadian(0.0)), 1);
  ASSERT_EQ(c.extremalVertexIndex(sgRadian(kPi / 2)), 2);
  c.moveVertexUnnoticed(3, {10, 10});
  c.cachedVectorSize(100);
  EXPECT_EQ(c.extremalVertexIndex(sgRadian(kPi / 2)), 2);
  EXPECT_EQ(c.extremalVertexIndex(sgRadian(0.0)), 3);
}

TEST(ContourKeyedCache, LoweringTheSizeDoesNotShrinkTheCache) {
  ContourProbe c(square2());
  for (double a : {0.0, 1.0, 2.0}) c.extremalVertexIndex(sgRadian(a));
  c.cachedVectorSize(0);
  c.moveVertexUnnoticed(2, {1, 1});
  EXPECT_EQ(c.extremalVertexIndex(sgRadian(0.0)), 1);
  EXPECT_EQ(c.extremalVertexIndex(sgRadian(1.0)), 2);
  EXPECT_EQ(c.extremalVertexIndex(sgRadian(2.0)), 3);
}

TEST(ContourEncloseRect, IdentityAndTranslationKnownAnswers) {
  const sgContour c(Points{{1, 1}, {3, 0}, {2, 5}});
  EXPECT_EQ(c.encloseRect(sgXform<2>::I), sgRect({1, 0}, {2, 5}));
  EXPECT_EQ(c.encloseRect(sgXform<2>(sgMatrix<2>(), {10, 0})), sgRect({11, 0}, {2, 5}));
  const sgRect turned =
      c.encloseRect(sgXform<2>(sgMatrix<2>(sgRadian(kPi), sgRadian(kPi), 1.0, 1.0), {0, 0}));
  EXPECT_NEAR(turned.x(), -3, 1e-12);
  EXPECT_NEAR(turned.y(), -5, 1e-12);
  EXPECT_NEAR(turned.width(), 2, 1e-12);
  EXPECT_NEAR(turned.height(), 5, 1e-12);
  EXPECT_THROW(sgContour(Points{{1, 1}}).encloseRect(sgXform<2>::I), sgContourDefs::EmptyContour);
}

TEST(ContourEncloseRect, TransformsDifferingInOneElementAreDifferentKeys) {
  ContourProbe c(Points{{1, 1}, {3, 0}, {2, 5}});
  const sgXform<2> stretched(sgMatrix<2>(1, 0, 0, 2), {0, 0});
  ASSERT_EQ(c.encloseRect(sgXform<2>::I), sgRect({1, 0}, {2, 5}));
  EXPECT_EQ(c.encloseRect(stretched), sgRect({1, 0}, {2, 10}));
  c.moveVertexUnnoticed(1, {3, -1});
  EXPECT_EQ(c.encloseRect(sgXform<2>::I), sgRect({1, 0}, {2, 5})) << "cached";
  EXPECT_EQ(c.encloseRect(stretched), sgRect({1, 0}, {2, 10})) << "cached";
  EXPECT_EQ(c.encloseRect(sgXform<2>(sgMatrix<2>(1, 0, 0, 1.5), {0, 0})), sgRect({1, -1.5}, {2, 9}));
}

TEST(ContourEncloseRect, NonFiniteTransformsAndCoordinatesAreCachedSafely) {
  const sgContour c(Points{{1, 1}, {3, 0}, {1e308, -1e308}});
  const sgXform<2> nanShift(sgMatrix<2>(), {kNaN, 0});
  const sgXform<2> nanScale(sgMatrix<2>(kNaN, 0, 0, 1), {0, 0});
  for (int round = 0; round < 3; ++round) {
    EXPECT_TRUE(std::isnan(c.encloseRect(nanShift).x()));
    EXPECT_TRUE(std::isnan(c.encloseRect(nanScale).x()));
    EXPECT_EQ(c.encloseRect(sgXform<2>::I).origin(), sgVector<2>(1, -1e308));
    EXPECT_EQ(c.encloseRect(sgXform<2>(sgMatrix<2>(), {0, double(round)})).x(), 1.0);
  }
}

TEST(ContourEncloseCircle, ExactAndApproximateKnownAnswersAndTheFirstFarthestPairWins) {
  const sgContour c(Points{{0, 0}, {4, 0}, {0, 3}});
  EXPECT_EQ(c.encloseCircle(sgContourDefs::eExact), sgCircle({2, 1.5}, 2.5));
  EXPECT_DOUBLE_EQ(c.diameter(sgContourDefs::eExact), 5.0);
  EXPECT_EQ(c.encloseCircle(sgContourDefs::eApproximate), sgCircle({0, 0}, 4));
  EXPECT_DOUBLE_EQ(c.diameter(sgContourDefs::eApproximate), 8.0);
  // An isosceles trapezoid: both diagonals are the longest, with different midpoints; the first wins.
  const sgCircle circle =
      sgContour(Points{{0, 0}, {4, 0}, {6, 10}, {-2, 10}}).encloseCircle(sgContourDefs::eExact);
  EXPECT_EQ(circle.center(), sgVector<2>(3, 5));
  EXPECT_DOUBLE_EQ(circle.radius(), std::sqrt(136.0) / 2);
}

TEST(ContourEncloseCircle, CoincidingOrSingleVerticesGiveRadiusZero) {
  const sgContour same(Points{{1, 1}, {1, 1}, {1, 1}});
  EXPECT_EQ(same.encloseCircle(sgContourDefs::eExact), sgCircle({1, 1}, 0));
  EXPECT_EQ(same.encloseCircle(sgContourDefs::eApproximate), sgCircle({1, 1}, 0));
  EXPECT_EQ(sgContour(Points{{2, 3}}).encloseCircle(sgContourDefs::eExact), sgCircle({2, 3}, 0));
  EXPECT_THROW(sgContour().encloseCircle(sgContourDefs::eApproximate), sgContourDefs::EmptyContour);
  EXPECT_THROW(sgContour().diameter(sgContourDefs::eExact), sgContourDefs::EmptyContour);
}

TEST(ContourEncloseCircle, InvalidModeIsRefusedBeforeAnythingElse) {
  const auto mode = static_cast<sgContourDefs::DiameterMode>(2);
  for (const sgContour& c : {sgContour(square2()), sgContour()}) {
    try {
      c.diameter(mode);
      FAIL() << "expected BadParams";
    } catch (const sgContourDefs::BadParams& e) {
      EXPECT_EQ(e.string(), L"diameterMode is not one of the valid enums");
    }
    EXPECT_THROW(c.encloseCircle(static_cast<sgContourDefs::DiameterMode>(-1)), sgContourDefs::BadParams);
  }
}

TEST(ContourEncloseCircle, CachedPerModeUntilTheVerticesChange) {
  ContourProbe c(Points{{0, 0}, {4, 0}, {0, 3}});
  ASSERT_DOUBLE_EQ(c.diameter(sgContourDefs::eExact), 5.0);
  c.moveVertexUnnoticed(1, {8, 0});
  EXPECT_DOUBLE_EQ(c.diameter(sgContourDefs::eExact), 5.0);
  EXPECT_DOUBLE_EQ(c.diameter(sgContourDefs::eApproximate), 16.0);
  c.points(Points{{0, 0}, {6, 8}});
  EXPECT_DOUBLE_EQ(c.diameter(sgContourDefs::eExact), 10.0);
}

TEST(ContourEncloseCircle, HugeAndNonFiniteCoordinatesDoNotCrash) {
  const sgContour huge(Points{{-1e308, 0}, {1e308, 0}});
  EXPECT_TRUE(std::isinf(huge.diameter(sgContourDefs::eExact)));
  EXPECT_TRUE(std::isinf(huge.diameter(sgContourDefs::eApproximate)));
  const sgContour withNaN(Points{{0, 0}, {kNaN, 0}, {3, 4}});
  EXPECT_EQ(withNaN.encloseCircle(sgContourDefs::eExact), sgCircle({1.5, 2}, 2.5));
  EXPECT_EQ(withNaN.encloseCircle(sgContourDefs::eApproximate), sgCircle({0, 0}, 5));
}

// Smallest enclosing circles: points, the expected circle, and what the case catches.
struct MinCircleCase {
  const char* what;
  Points points;
  sgCircle expected;
};

const MinCircleCase kMinCircleCases[] = {
    {"equilateral triangle: the circumcircle, not the diameter circle",
     {{0, 0}, {10, 0}, {5, 5 * std::sqrt(3.0)}},
     sgCircle({5, 5 / std::sqrt(3.0)}, 10 / std::sqrt(3.0))},
    {"obtuse triangle: the circle on the longest side", {{0, 0}, {10, 0}, {5, 1}}, sgCircle({5, 0}, 5)},
    {"square with an inner point",
     {{0, 0}, {2, 0}, {1, 1}, {2, 2}, {0, 2}},
     sgCircle({1, 1}, std::sqrt(2.0))},
    {"collinear points", {{0, 0}, {3, 0}, {1, 0}, {7, 0}}, sgCircle({3.5, 0}, 3.5)},
    {"one point", {{2, 3}}, sgCircle({2, 3}, 0)},
    {"coinciding points", {{1, 1}, {1, 1}, {1, 1}}, sgCircle({1, 1}, 0)},
    {"a tiny triangle far out",
     {{1e6, 1e6}, {1e6 + 1e-6, 1e6}, {1e6, 1e6 + 1e-6}},
     sgCircle({1e6 + 5e-7, 1e6 + 5e-7}, std::sqrt(0.5) * 1e-6)},
};

TEST(ContourMinEnclosingCircle, KnownCircles) {
  for (const MinCircleCase& c : kMinCircleCases) {
    const sgCircle got = sgContour(c.points).minEnclosingCircle();
    const double tol = 1e-12 * std::max(1.0, c.expected.radius()) + 1e-15 * c.points[0].len();
    EXPECT_NEAR(got.center().x(), c.expected.center().x(), tol) << c.what;
    EXPECT_NEAR(got.center().y(), c.expected.center().y(), tol) << c.what;
    EXPECT_NEAR(got.radius(), c.expected.radius(), tol) << c.what;
    for (const sgVector<2>& p : c.points) EXPECT_LE(p.distance(got.center()), got.radius()) << c.what;
  }
  EXPECT_THROW(sgContour().minEnclosingCircle(), sgContourDefs::EmptyContour);
}

TEST(ContourMinEnclosingCircle, CachedUntilTheVerticesChangeAndCopied) {
  ContourProbe c(Points{{0, 0}, {4, 0}, {0, 3}});
  ASSERT_DOUBLE_EQ(c.minEnclosingCircle().radius(), 2.5);
  c.moveVertexUnnoticed(1, {8, 0});
  EXPECT_DOUBLE_EQ(c.minEnclosingCircle().radius(), 2.5);
  const sgContour copy(c);
  EXPECT_DOUBLE_EQ(copy.minEnclosingCircle().radius(), 2.5);
  c.isClosed(false);
  EXPECT_DOUBLE_EQ(c.minEnclosingCircle().radius(), std::sqrt(73.0) / 2);
}

}  // namespace
