#pragma once
// Shapes and checks shared by the region tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cntr/region.h"

namespace regiontest {

using V = sgVector<2>;
using Points = std::vector<V>;
using Holes = std::vector<sgPtrHandle_const<sgRegion>>;

/// Counter-clockwise axis-aligned rectangle.
inline Points rectangle(double x0, double y0, double x1, double y1) {
  return {V(x0, y0), V(x1, y0), V(x1, y1), V(x0, y1)};
}

inline sgPtrHandle<sgRegion> shared(const Points& points) {
  return sgPtrHandle<sgRegion>(new sgRegion(points));
}

/// The 10 x 10 square at the origin.
inline Points square10() { return rectangle(0, 0, 10, 10); }

/// Runs `call`, which must throw `E` carrying exactly `message`.
template <class E, class Call>
void expectThrowWithMessage(Call call, const std::wstring& message) {
  try {
    call();
    ADD_FAILURE() << "nothing was thrown";
  } catch (const E& e) {
    EXPECT_EQ(e.string(), message);
  }
}

/// Same number of points, each coordinate within `tol`.
inline void expectPointsNear(const Points& actual, const Points& expected, double tol = 1e-9) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < actual.size(); ++i) {
    EXPECT_NEAR(actual[i].x(), expected[i].x(), tol) << "point " << i;
    EXPECT_NEAR(actual[i].y(), expected[i].y(), tol) << "point " << i;
  }
}

/// Counts the change notifications of an object (each cache clear sends one).
class NotificationCounter {
 public:
  explicit NotificationCounter(sgPersistent& object) {
    object.notifyOnChange(true);
    object.changeObserver([this](const sgPersistent&) { ++count_; });
  }
  int count() const { return count_; }

 private:
  int count_ = 0;
};

}  // namespace regiontest
