// Convex hull of a polygon's vertices. The hull is cached in our contour, so ours is cold: each
// iteration builds a fresh contour from the points (the copy is timed).
#include <opencv2/imgproc.hpp>

#include "cntr/contour.h"
#include "cntr/region.h"
#include "opencv_peer.h"
#include "rows.h"

namespace {

void oursConvexHull(benchmark::State& state) {
  const bench::Points points = bench::starPolygon(bench::size(state));
  for (auto _ : state) {
    const sgContour contour(points);
    sgRegion hull;
    contour.convexHull(hull);
    benchmark::DoNotOptimize(hull);
  }
  state.SetLabel("cold: contour built from the points in each iteration");
}

void openCvConvexHull(benchmark::State& state) {
  const std::vector<cv::Point2f> points = bench::toOpenCv(bench::starPolygon(bench::size(state)));
  for (auto _ : state) {
    std::vector<cv::Point2f> hull;
    cv::convexHull(points, hull);
    benchmark::DoNotOptimize(hull);
  }
}

}  // namespace

BENCHMARK(oursConvexHull)->Name("convex hull/ours")->Apply(bench::atEverySize);
BENCHMARK(openCvConvexHull)->Name("convex hull/cv::convexHull")->Apply(bench::atEverySize);
