#pragma once
#include <cstddef>
#include <functional>
#include <string>

#include "cntrio/shape.h"
#include "command.h"

namespace cntr {

struct BatchCounts {
  std::size_t ok = 0;
  std::size_t failed = 0;
};

/// What a subcommand does with the shapes of its inputs, as they are read.
struct BatchSteps {
  /// Runs before the first shape: opens the output (optional).
  std::function<void()> start;
  /// Runs on each shape the library built; throwing fails the shape (not the batch).
  std::function<void(const Shape&)> work;
  /// Runs on each failed shape with the error (optional).
  std::function<void(const Shape&, const std::string&)> onFailure;
  /// Runs after the last shape: closes and commits the output.
  std::function<void(const BatchCounts&)> finish;
};

/// Reads the inputs and runs the steps, one shape at a time. A failed shape is reported on
/// standard error ("shape 'name' (file #i): <error>") and counted, and the others go on; the
/// run ends with "N ok, M failed" and returns 0, or 1 when some failed. When the output cannot
/// be written, the error is reported, nothing counts as done, and the run returns 1. Malformed
/// input throws InputError.
int runBatch(const InputOptions& input, const BatchSteps& steps);

}  // namespace cntr
