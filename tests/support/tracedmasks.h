#pragma once
// Regions as a vision pipeline brings them: blobs drawn into a mask and traced with OpenCV.
#include <opencv2/imgproc.hpp>

#include "support/randomshapes.h"

namespace tracedmasks {

using shapes::Rng;

/// A blob on a 160 x 160 mask (an ellipse, a star polygon or a union of discs) with discs and
/// ellipses cut out of it; where `salted`, single pixels flipped, which leaves one-pixel holes on the
/// outline, next to each other and next to larger holes.
inline cv::Mat drawMask(Rng& rng, int kind, bool salted) {
  cv::Mat mask = cv::Mat::zeros(160, 160, CV_8U);
  const auto at = [&] { return cv::Point(shapes::integer(rng, 40, 120), shapes::integer(rng, 40, 120)); };
  const auto size = [&](int lo, int hi) {
    return cv::Size(shapes::integer(rng, lo, hi), shapes::integer(rng, lo, hi));
  };
  if (kind == 0) cv::ellipse(mask, at(), size(15, 70), shapes::real(rng, 0, 180), 0, 360, 255, -1);
  const cv::Point centre = at();
  std::vector<cv::Point> polygon;
  for (const shapes::V& v : shapes::star(rng, kind == 1 ? shapes::integer(rng, 5, 30) : 0, 10, 70))
    polygon.emplace_back(centre.x + static_cast<int>(v.x()), centre.y + static_cast<int>(v.y()));
  if (kind == 1) cv::fillPoly(mask, std::vector<std::vector<cv::Point>>{polygon}, 255);
  for (int k = kind == 2 ? shapes::integer(rng, 2, 6) : 0; k > 0; --k)
    cv::circle(mask, at(), shapes::integer(rng, 8, 35), 255, -1);
  for (int k = shapes::integer(rng, 1, 8); k > 0; --k)
    cv::ellipse(mask, at(), size(1, 12), shapes::real(rng, 0, 180), 0, 360, 0, -1);
  for (int k = salted ? shapes::integer(rng, 20, 400) : 0; k > 0; --k) {
    uchar& pixel = mask.at<uchar>(shapes::integer(rng, 0, 159), shapes::integer(rng, 0, 159));
    pixel = 255 - pixel;
  }
  return mask;
}

/// The outer outlines (clockwise in a y-up frame) and the holes of each (the other way round).
struct Traced {
  std::vector<std::vector<cv::Point>> contours;
  std::vector<cv::Vec4i> tree;  // next, previous, first child, parent
};
inline Traced trace(const cv::Mat& mask, bool everyPixel) {
  Traced t;
  cv::findContours(mask, t.contours, t.tree, cv::RETR_CCOMP,
                   everyPixel ? cv::CHAIN_APPROX_NONE : cv::CHAIN_APPROX_SIMPLE);
  return t;
}

}  // namespace tracedmasks
