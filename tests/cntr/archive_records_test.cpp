// The shared vector and handle records of the library's archive code.
#include <gtest/gtest.h>

#include "../../cntr/archiverecords.h"
#include "cntr/contour.h"
#include "lynstd/xformbase.h"

namespace {

using Points = std::vector<sgVector<2>>;

// Counts its destructions, to see a handle's present object released on loading.
class TrackedContour : public sgContour {
 public:
  explicit TrackedContour(int& destroyed) : destroyed_(destroyed) {}
  ~TrackedContour() override { ++destroyed_; }

 private:
  int& destroyed_;
};

std::vector<unsigned char> storedHandle(sgPtrHandle_const<sgContour> handle) {
  sgArchive out;
  sgcntr::serializeHandle(out, handle);
  return out.bytes();
}

TEST(HandleRecord, LoadingReleasesThePresentObjectAndHoldsTheLoadedOne) {
  const std::vector<unsigned char> bytes =
      storedHandle(sgPtrHandle_const<sgContour>(new sgContour(Points{{1, 2}, {3, 4}}, false, 8)));
  int destroyed = 0;
  sgPtrHandle_const<sgContour> handle(new TrackedContour(destroyed));
  {
    sgArchive in(bytes);
    sgcntr::serializeHandle(in, handle);
    EXPECT_EQ(destroyed, 1);
  }
  ASSERT_TRUE(handle);
  EXPECT_EQ(handle->points(), (Points{{1, 2}, {3, 4}}));
  EXPECT_EQ(handle->label(), 8u);
  EXPECT_EQ(handle->refCount(), 1);
}

TEST(HandleRecord, NullAndWrongTypeLoadAsEmptyHandles) {
  sgArchive nullIn(storedHandle(sgPtrHandle_const<sgContour>()));
  sgPtrHandle_const<sgContour> fromNull(new sgContour());
  sgcntr::serializeHandle(nullIn, fromNull);
  EXPECT_FALSE(fromNull);

  sgArchive in(storedHandle(sgPtrHandle_const<sgContour>(new sgContour(Points{{0, 0}, {1, 1}}))));
  sgPtrHandle<sg2XformBase> wrongType(new sg2XformLinear());
  sgcntr::serializeHandle(in, wrongType);
  EXPECT_FALSE(wrongType);
}

TEST(HandleVectorRecord, SharedObjectIsStoredOnceAndLoadedAsOne) {
  sgPtrHandle_const<sgContour> shared(new sgContour(Points{{0, 0}, {2, 2}}));
  std::vector<sgPtrHandle_const<sgContour>> handles{shared, shared, sgPtrHandle_const<sgContour>()};
  sgArchive out;
  sgcntr::serializeHandleVector(out, handles);

  std::vector<sgPtrHandle_const<sgContour>> loaded;
  sgArchive in(out.bytes());
  sgcntr::serializeHandleVector(in, loaded);
  ASSERT_EQ(loaded.size(), 3u);
  ASSERT_TRUE(loaded[0]);
  EXPECT_EQ(loaded[0].get(), loaded[1].get());
  EXPECT_NE(loaded[0].get(), shared.get());
  EXPECT_FALSE(loaded[2]);
  EXPECT_EQ(loaded[0]->points(), shared->points());
}

}  // namespace
