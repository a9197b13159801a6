#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "shape.h"

namespace cntr {

struct BatchResult {
  std::size_t ok = 0;
  std::size_t failed = 0;
  /// 0 when every shape went through, 1 when some failed.
  int exitCode() const { return failed == 0 ? 0 : 1; }
};

/// Runs `work` on every shape in order. A shape that failed to build, or whose work throws,
/// is reported on standard error ("shape 'name' (file #i): <error>"), handed to `onFailure`
/// when given, and counted; the others go on. Shows a progress bar for long batches and ends
/// with the summary "N ok, M failed" on standard error.
BatchResult runBatch(const std::vector<Shape>& shapes, const std::function<void(const Shape&)>& work,
                     const std::function<void(const Shape&, const std::string&)>& onFailure = {});

}  // namespace cntr
