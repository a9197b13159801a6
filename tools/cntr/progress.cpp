#include "progress.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace cntr {

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

}  // namespace cntr
