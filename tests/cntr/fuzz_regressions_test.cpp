// Inputs the fuzzers (fuzz/) found to fail, kept as tests of the library.
#include <gtest/gtest.h>

#include <limits>
#include <type_traits>
#include <vector>

#include "cntr/regionst.h"

namespace {

// geometry_fuzz, under clang's UBSan: a DiameterMode of 2 was a load of a value outside the
// enumeration (its values were only 0 and 1), though the mode is documented to be checked. The
// modes now have int as their fixed type, so every int is a value the library may test.
static_assert(std::is_same_v<std::underlying_type_t<sgContourDefs::DiameterMode>, int>);
static_assert(std::is_same_v<std::underlying_type_t<sgContourDefs::IntersectionMode>, int>);
static_assert(std::is_same_v<std::underlying_type_t<sgContourDefs::DrawMode>, int>);

TEST(FuzzRegressions, ModesAtTheEndsOfTheIntRangeAreRefusedOrIgnored) {
  const std::vector<sgVector<2>> bowTie = {{0, 0}, {4, 4}, {4, 0}, {0, 4}};
  for (const int value : {std::numeric_limits<int>::min(), std::numeric_limits<int>::max()}) {
    const sgContour contour(bowTie);
    EXPECT_THROW(contour.encloseCircle(static_cast<sgContourDefs::DiameterMode>(value)),
                 sgContourDefs::BadParams);
    // Unknown intersection modes keep the crossing outline as it is.
    const auto mode = static_cast<sgContourDefs::IntersectionMode>(value);
    EXPECT_EQ(sgRegion(bowTie, mode).points(), bowTie);
    const auto region = sgPtrHandle_const<sgRegion>(new sgRegion(bowTie));
    EXPECT_EQ(sgRegionSet({region, region}, mode).regions().size(), 2u);
  }
}

}  // namespace
