// Ellipse fit to a polygon's vertices. The fit is cached in our contour, so ours is cold: each
// iteration builds a fresh contour from the points (the copy is timed).
#include <opencv2/imgproc.hpp>

#include "cntr/contour.h"
#include "opencv_peer.h"
#include "rows.h"

namespace {

void oursFitEllipse(benchmark::State& state) {
  const bench::Points points = bench::starPolygon(bench::size(state));
  for (auto _ : state) {
    const sgContour contour(points);
    sgEllipse ellipse;
    double error = 0.0;
    contour.fitEllipse(ellipse, error);
    benchmark::DoNotOptimize(error);
  }
  state.SetLabel("cold: contour built from the points in each iteration");
}

void openCvFitEllipse(benchmark::State& state) {
  const std::vector<cv::Point2f> points = bench::toOpenCv(bench::starPolygon(bench::size(state)));
  for (auto _ : state) benchmark::DoNotOptimize(cv::fitEllipse(points));
}

}  // namespace

BENCHMARK(oursFitEllipse)->Name("ellipse fit/ours")->Apply(bench::atEverySize);
BENCHMARK(openCvFitEllipse)->Name("ellipse fit/cv::fitEllipse")->Apply(bench::atEverySize);
