// Repairs of crossing boundaries on the rows of data/repairs.cases: the repaired outlines, what
// they carry, and the caches that keep them.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "support/casetable.h"
#include "support/rowchecks.h"

/// Reaches the private splice and the cached repaired regions (0 regularized, 1 outer hull).
class sgRegionTestAccess {
 public:
  static void splice(const sgRegion& region, const sgRegion& other, sgRegion& result) {
    region.splice(other, result);
  }
  static const sgRegion* cache(const sgRegion& region, std::size_t k) {
    return (k == 0 ? region.regularizedCache_ : region.outerHullCache_).get();
  }
};

namespace {

using namespace casetable;
using rowchecks::expectError;
using Access = sgRegionTestAccess;

// The two repairs of a region or a set (0 regularize, 1 outer hull), with the construction mode
// that repairs the same way.
template <class T>
struct Repair {
  void (T::*call)(T&) const;
  sgContourDefs::IntersectionMode mode;
};
template <class T>
const Repair<T> kRepairs[] = {{&T::regularize, sgContourDefs::eRegularize},
                              {&T::outerHull, sgContourDefs::eOuterHull}};

void checkRepair(const Case& c) {
  const auto region = regionOf(c.arg(0));
  region->label(7);
  ASSERT_TRUE(region->isSelfIntersecting());
  const double area = numberOf(c.arg(1));
  const sgRegion* cached[2];
  for (std::size_t k = 0; k < 2; ++k) {
    const Repair<sgRegion>& repair = kRepairs<sgRegion>[k];
    SCOPED_TRACE(k);
    sgRegion result;
    (region.get()->*repair.call)(result);
    if (c.arg(2 + k) != "-") {
      EXPECT_EQ(result.points(), pointsOf(c.arg(2 + k)));
    }
    EXPECT_FALSE(result.isSelfIntersecting());
    EXPECT_NEAR(result.area(false), area, 1e-12 * area);
    EXPECT_EQ(result.label(), 0u);
    EXPECT_TRUE(result.holes().empty());
    EXPECT_EQ(sgRegion(region->points(), repair.mode).points(), result.points());
    sgRegion self(region->points());
    (self.*repair.call)(self);
    EXPECT_EQ(self.points(), result.points());
    ASSERT_NE(cached[k] = Access::cache(*region, k), nullptr);
  }
  EXPECT_NE(cached[0], cached[1]) << "each repair has its own cache";
  const sgRegion copy(*region);  // shares the caches, and keeps them alive
  region->points(region->points());
  for (std::size_t k = 0; k < 2; ++k) {
    sgRegion result;
    (copy.*kRepairs<sgRegion>[k].call)(result);
    (region.get()->*kRepairs<sgRegion>[k].call)(result);
    EXPECT_EQ(Access::cache(copy, k), cached[k]) << "a copy did not answer from the shared cache";
    EXPECT_NE(Access::cache(*region, k), cached[k]) << "a changed boundary kept its repair";
  }
}

void checkTouching(const Case& c) {
  const auto region = regionOf(c.arg(0));
  region->label(7);
  EXPECT_FALSE(region->isSelfIntersecting());
  for (std::size_t k = 0; k < 2; ++k) {
    sgRegion result;
    (region.get()->*kRepairs<sgRegion>[k].call)(result);
    EXPECT_EQ(result.points(), region->points());
    EXPECT_EQ(result.label(), 7u);
    EXPECT_EQ(result.holes(), region->holes());
    EXPECT_EQ(Access::cache(*region, k), nullptr);
  }
}

void checkRefused(const Case& c) {
  const auto region = regionOf(c.arg(0));
  const auto before = pointsOf("POLYGON((0 0, 1 0, 1 1, 0 1))");
  sgRegion result(before);
  for (const auto& repair : kRepairs<sgRegion>)
    expectError([&] { (region.get()->*repair.call)(result); }, c.arg(1));
  EXPECT_EQ(result.points(), before);
}

void checkSplice(const Case& c) {
  const auto region = regionOf(c.arg(0));
  region->label(7);
  const auto other = regionOf(c.arg(1));
  sgRegion result(*other);
  const auto splice = [&] { Access::splice(*region, *other, result); };
  if (c.arg(2)[0] == '!') {
    expectError(splice, c.arg(2));
    EXPECT_EQ(result.points(), other->points());
    return;
  }
  splice();
  EXPECT_EQ(result.points(), pointsOf(c.arg(2)));
  EXPECT_EQ(result.label(), 0u);
  Access::splice(*region, *other, *region);
  EXPECT_EQ(region->points(), result.points());
}

void checkSetRepair(const Case& c) {
  const auto list = regionSetOf(c.arg(0)).regions();
  const std::vector<double> boxes = numbersOf(c.arg(1));
  const double area = numberOf(c.arg(2));
  sgRegionSet set(list, sgContourDefs::eIgnore);
  set.cachedVectorSize(7);
  sgRegionSet results[2];
  for (std::size_t k = 0; k < 2; ++k) {
    const Repair<sgRegionSet>& repair = kRepairs<sgRegionSet>[k];
    SCOPED_TRACE(k);
    sgRegionSet& result = results[k];
    (set.*repair.call)(result);
    ASSERT_EQ(result.regions().size() * 4, boxes.size());
    for (std::size_t r = 0; r < result.regions().size(); ++r) {
      const sgRect box = result.regions()[r]->encloseRect(sgXform<2>());
      const sgVector<2> corners[] = {box.origin(), box.origin() + box.size()};
      for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR(corners[i / 2][i % 2], boxes[4 * r + i], 1e-12);
    }
    EXPECT_FALSE(result.isSelfIntersecting());
    EXPECT_NEAR(result.area(false), area, 1e-12 * area);
    for (const auto& p : pointsOf(c.arg(3))) EXPECT_TRUE(result.inside(p, false)) << p.x() << " " << p.y();
    for (const auto& p : pointsOf(c.arg(4))) EXPECT_FALSE(result.inside(p, false)) << p.x() << " " << p.y();
    EXPECT_EQ(result.cachedVectorSize(), 3) << "a repaired set is a fresh one";

    sgRegionSet again;
    (sgRegionSet(set).*repair.call)(again);
    EXPECT_EQ(again.regions(), result.regions()) << "copies answer from the shared cache";
    EXPECT_TRUE(sgRegionSet(list, repair.mode) == result);
    sgRegionSet self(list, sgContourDefs::eIgnore);
    self.area(false);  // fills the area cache the repair must drop
    (self.*repair.call)(self);
    EXPECT_TRUE(self == result);
    EXPECT_NEAR(self.area(false), area, 1e-12 * area);
  }
  EXPECT_NE(results[0].regions()[0], results[1].regions()[0]) << "each repair has its own cache";
  set.regions(list, sgContourDefs::eIgnore);
  sgRegionSet after;
  set.regularize(after);
  EXPECT_NE(after.regions()[0], results[0].regions()[0]) << "a changed set kept its repair";
}

void checkSetClean(const Case& c) {
  sgRegionSet set = regionSetOf(c.arg(0));
  set.cachedVectorSize(7);
  for (const auto& repair : kRepairs<sgRegionSet>) {
    sgRegionSet result;
    (set.*repair.call)(result);
    EXPECT_EQ(result.regions(), set.regions());
    EXPECT_EQ(result.cachedVectorSize(), 7) << "a clean set gives a plain copy";
  }
}

const std::map<std::string, std::function<void(const Case&)>> kChecks = {
    {"repair", checkRepair},
    {"touching", checkTouching},
    {"crossing", [](const Case& c) { EXPECT_TRUE(contourOf(c.arg(0)).isSelfIntersecting()); }},
    {"refused", checkRefused},
    {"splice", checkSplice},
    {"setRepair", checkSetRepair},
    {"setClean", checkSetClean},
};

class Repairs : public testing::TestWithParam<Case> {};

TEST_P(Repairs, Row) {
  const Case& c = GetParam();
  SCOPED_TRACE(c.where + ": " + c.catches);
  const auto check = kChecks.find(c.op);
  ASSERT_NE(check, kChecks.end()) << "unknown op " << c.op;
  check->second(c);
}

INSTANTIATE_TEST_SUITE_P(Rows, Repairs, testing::ValuesIn(readCases("repairs")), caseName);

}  // namespace
