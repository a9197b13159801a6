#pragma once
#include <cstddef>

namespace cntr {

/// A one-line progress bar on standard error, shown only when standard error is a terminal
/// and the batch is long enough to be worth watching.
class ProgressBar {
 public:
  static constexpr std::size_t kMinimumShapes = 50;

  explicit ProgressBar(std::size_t total);
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  /// One more shape done; redraws when the shown percentage changes.
  void advance();
  /// Clears the bar so that a message can be printed; the next advance() redraws it.
  void clear();

 private:
  void draw();

  std::size_t total_;
  std::size_t done_ = 0;
  int shownPercent_ = -1;
  bool enabled_;
  bool visible_ = false;
};

}  // namespace cntr
