#include <gtest/gtest.h>
#include "cntr/region.h"
TEST(LeakProbe, LosesARegion) {
  auto* r = new sgRegion(std::vector<sgVector<2>>{{0, 0}, {1, 0}, {0, 1}});
  r->addRef();
  EXPECT_GT(r->area(false), 0.0);
}
