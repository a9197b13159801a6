#include "batch.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "cntrio/errors.h"
#include "cntrio/input.h"

namespace cntr {

namespace {

/// A one-line count of the shapes done on standard error, shown only when standard error is a
/// terminal and the batch is long enough to be worth watching.
class ProgressLine {
 public:
  ProgressLine() : enabled_(::isatty(STDERR_FILENO) == 1) {}
  ~ProgressLine() { clear(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void advance() {
    ++done_;
    if (!enabled_ || done_ < kFirstShown || done_ % kEvery != 0) return;
    std::fprintf(stderr, "\r%zu shapes", done_);
    std::fflush(stderr);
    visible_ = true;
  }
  /// Clears the line so that a message can be printed; the next update draws it again.
  void clear() {
    if (!visible_) return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    visible_ = false;
  }

 private:
  static constexpr std::size_t kFirstShown = 50;
  static constexpr std::size_t kEvery = 50;
  bool enabled_;
  bool visible_ = false;
  std::size_t done_ = 0;
};

}  // namespace

int runBatch(const InputOptions& input, const BatchSteps& steps) {
  BatchCounts counts;
  ProgressLine progress;
  try {
    if (steps.start) steps.start();
    readShapes(input.paths, input.from, [&](Shape&& shape) {
      try {
        requireBuilt(shape);
        steps.work(shape);
        ++counts.ok;
      } catch (const OutputError&) {
        throw;
      } catch (...) {
        const std::string error = describeCurrentException();
        progress.clear();
        std::cerr << "cntr: error: shape " << shape.title() << ": " << error << '\n';
        if (steps.onFailure) steps.onFailure(shape, error);
        ++counts.failed;
      }
      progress.advance();
    });
    steps.finish(counts);
  } catch (const OutputError& e) {
    progress.clear();
    std::cerr << "cntr: error: " << e.what() << '\n'
              << "0 ok, " << counts.ok + counts.failed << " failed (the output was not written)\n";
    return 1;
  }
  progress.clear();
  std::cerr << counts.ok << " ok, " << counts.failed << " failed\n";
  return counts.failed == 0 ? 0 : 1;
}

}  // namespace cntr
