#pragma once
// Shapes and small helpers shared by the region-set tests.
#include <vector>

#include "cntr/regionst.h"

namespace regionsettest {

using RegionHandles = std::vector<sgPtrHandle_const<sgRegion>>;

/// Counter-clockwise axis-aligned rectangle from (x0, y0) to (x1, y1).
inline std::vector<sgVector<2>> rectanglePoints(double x0, double y0, double x1, double y1) {
  return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

inline sgPtrHandle_const<sgRegion> makeRegion(const std::vector<sgVector<2>>& points) {
  return sgPtrHandle_const<sgRegion>(new sgRegion(points));
}

inline sgPtrHandle_const<sgRegion> rectangle(double x0, double y0, double x1, double y1) {
  return makeRegion(rectanglePoints(x0, y0, x1, y1));
}

/// Counter-clockwise square of the given side centred at (cx, cy).
inline sgPtrHandle_const<sgRegion> square(double cx, double cy, double side = 1.0) {
  const double h = side / 2.0;
  return rectangle(cx - h, cy - h, cx + h, cy + h);
}

/// Counts change notifications of a persistent object; must outlive the object's observer use.
class NotificationCounter {
 public:
  explicit NotificationCounter(sgPersistent& object) {
    object.notifyOnChange(true);
    object.changeObserver([this](const sgPersistent&) { ++count_; });
  }
  NotificationCounter(const NotificationCounter&) = delete;
  NotificationCounter& operator=(const NotificationCounter&) = delete;
  /// Notifications since the last call.
  int take() {
    const int n = count_;
    count_ = 0;
    return n;
  }

 private:
  int count_ = 0;
};

}  // namespace regionsettest
