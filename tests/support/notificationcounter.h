#pragma once
// Counts the change notifications of a persistent object: each cache clear sends one, so a count
// shows which mutators reached the object's cache reset.
#include "cntr/contour.h"

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
