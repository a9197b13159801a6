#include "batch.h"

#include <iostream>

#include "errors.h"
#include "progress.h"

namespace cntr {

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
