#include "batch.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "errors.h"

namespace cntr {

namespace {

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

ProgressBar::ProgressBar(std::size_t total)
    : total_(total), enabled_(total >= kMinimumShapes && ::isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar() { clear(); }

void ProgressBar::advance() {
  ++done_;
  if (!enabled_) return;
  const int percent = static_cast<int>(100 * done_ / total_);
  if (percent != shownPercent_ || !visible_) {
    shownPercent_ = percent;
    draw();
  }
}

void ProgressBar::clear() {
  if (!visible_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  visible_ = false;
}

void ProgressBar::draw() {
  constexpr int kWidth = 40;
  const int filled = shownPercent_ * kWidth / 100;
  const std::string bar = std::string(static_cast<std::size_t>(filled), '#') +
                          std::string(static_cast<std::size_t>(kWidth - filled), '.');
  std::fprintf(stderr, "\r[%s] %3d%% %zu/%zu shapes", bar.c_str(), shownPercent_, done_, total_);
  std::fflush(stderr);
  visible_ = true;
}

}  // namespace

BatchResult runBatch(const std::vector<Shape>& shapes, const std::function<void(const Shape&)>& work,
                     const std::function<void(const Shape&, const std::string&)>& onFailure) {
  BatchResult result;
  ProgressBar progress(shapes.size());
  for (const Shape& shape : shapes) {
    try {
      requireBuilt(shape);
      work(shape);
      ++result.ok;
    } catch (...) {
      const std::string error = describeCurrentException();
      progress.clear();
      std::cerr << "cntr: error: shape " << shape.title() << ": " << error << '\n';
      if (onFailure) onFailure(shape, error);
      ++result.failed;
    }
    progress.advance();
  }
  progress.clear();
  std::cerr << result.ok << " ok, " << result.failed << " failed\n";
  return result;
}

}  // namespace cntr
