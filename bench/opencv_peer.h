#pragma once
// OpenCV's contour functions take float points; the inputs lie on a grid floats hold exactly.
#include <opencv2/core/types.hpp>
#include <vector>

#include "inputs.h"

namespace bench {

inline cv::Point2f toOpenCv(const sgVector<2>& p) {
  return {static_cast<float>(p.x()), static_cast<float>(p.y())};
}

inline std::vector<cv::Point2f> toOpenCv(const Points& points) {
  std::vector<cv::Point2f> result;
  result.reserve(points.size());
  for (const sgVector<2>& p : points) result.push_back(toOpenCv(p));
  return result;
}

}  // namespace bench
