// The factory table registered at library load: every persistent class can be made by its
// run-time type, as loading an object behind a pointer does, and is made in its initial state.
// (Contours, the edgelet classes and the errors have their own factory tests beside their
// records; this file holds the table as a whole and the region and region-set entries.)
#include <gtest/gtest.h>

#include <memory>
#include <typeinfo>

#include "cntr/cntrtmpl.h"
#include "cntr/contourdefs.h"
#include "persistentclasses.h"

namespace {

std::unique_ptr<sgPersistent> makeRegistered(const std::type_info& type) {
  const sg_Instantiator::Factory factory = sg_Instantiator::find(type.name());
  if (!factory) {
    ADD_FAILURE() << type.name() << " has no factory";
    return nullptr;
  }
  return std::unique_ptr<sgPersistent>(factory());
}

TEST(FactoryTable, EachOfTheTenClassesIsMadeAsItself) {
  for (const std::type_info* type : kPersistentClasses) {
    const auto made = makeRegistered(*type);
    ASSERT_TRUE(made) << type->name();
    EXPECT_EQ(typeid(*made), *type);
  }
}

// Only concrete classes are made for loading: the abstract error base never appears in an
// archive under its own name.
TEST(FactoryTable, AbstractErrorBaseHasNoFactory) {
  EXPECT_EQ(sg_Instantiator::find(typeid(sgContourDefs::Errors).name()), nullptr);
}

TEST(FactoryTable, RegionIsMadeEmptyWithoutHoles) {
  const auto made = makeRegistered(typeid(sgRegion));
  const auto* region = dynamic_cast<const sgRegion*>(made.get());
  ASSERT_NE(region, nullptr);
  EXPECT_TRUE(region->points().empty());
  EXPECT_TRUE(region->holes().empty());
  EXPECT_EQ(region->label(), 0u);
  EXPECT_EQ(region->cachedVectorSize(), 3);
  EXPECT_TRUE(region->isClosed());
}

TEST(FactoryTable, RegionSetIsMadeWithoutRegions) {
  const auto made = makeRegistered(typeid(sgRegionSet));
  const auto* set = dynamic_cast<const sgRegionSet*>(made.get());
  ASSERT_NE(set, nullptr);
  EXPECT_TRUE(set->regions().empty());
  EXPECT_EQ(set->cachedVectorSize(), 3);
  EXPECT_DOUBLE_EQ(set->area(false), 0.0);
}

}  // namespace
