// The exact diameter circle of an outline (long edges: star; short ones: noisy circle). The
// circle is cached in our contour, so ours is cold: each iteration builds a fresh contour from the
// points (the copy is timed). The peer is OpenCV's smallest enclosing circle.
#include <opencv2/imgproc.hpp>
#include <string>

#include "cntr/contour.h"
#include "opencv_peer.h"
#include "rows.h"

namespace {

void oursDiameter(benchmark::State& state, int kind) {
  const bench::Points points = bench::outline(kind, bench::size(state));
  for (auto _ : state) {
    const sgContour contour(points);
    benchmark::DoNotOptimize(contour.encloseCircle(sgContourDefs::eExact));
  }
  state.SetLabel("cold: contour built from the points in each iteration");
}

void openCvEnclosingCircle(benchmark::State& state, int kind) {
  // Quadratic on (nearly) cocircular points such as the noisy circle.
  const bench::QuadraticBudget budget(state, std::string("exact diameter/cv ") + bench::outlineName(kind));
  if (budget.skipped()) return;
  const std::vector<cv::Point2f> points = bench::toOpenCv(bench::outline(kind, bench::size(state)));
  for (auto _ : state) {
    cv::Point2f centre;
    float radius = 0.0f;
    cv::minEnclosingCircle(points, centre, radius);
    benchmark::DoNotOptimize(radius);
  }
}

const bool registered = [] {
  bench::registerPerOutline("exact diameter", "ours", oursDiameter, bench::atIndexSizes);
  bench::registerPerOutline("exact diameter", "cv::minEnclosingCircle", openCvEnclosingCircle,
                            bench::atIndexSizes);
  return true;
}();

}  // namespace
