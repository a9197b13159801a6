// Point-in-region on a simple polygon, timed per query while cycling through one fixed set of
// 10^4 points. Ours is warm: a first query has built the region's caches before timing starts,
// as in a caller that tests many points against one region.
#include <opencv2/imgproc.hpp>

#include "boost_peer.h"
#include "cntr/region.h"
#include "opencv_peer.h"
#include "rows.h"

namespace {

constexpr int kQueries = 10000;

void oursInside(benchmark::State& state) {
  const sgRegion region(bench::starPolygon(bench::size(state)));
  const bench::Points queries = bench::queryPoints(kQueries);
  benchmark::DoNotOptimize(region.inside(queries.front(), false));
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(region.inside(queries[next], false));
    next = (next + 1) % queries.size();
  }
  state.SetLabel("warm: per query, after a first query built the caches");
}

void openCvInside(benchmark::State& state) {
  const std::vector<cv::Point2f> contour = bench::toOpenCv(bench::starPolygon(bench::size(state)));
  const std::vector<cv::Point2f> queries = bench::toOpenCv(bench::queryPoints(kQueries));
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(cv::pointPolygonTest(contour, queries[next], false));
    next = (next + 1) % queries.size();
  }
}

void boostInside(benchmark::State& state) {
  const bench::BoostPolygon polygon = bench::toBoostPolygon(bench::starPolygon(bench::size(state)));
  std::vector<bench::BoostPoint> queries;
  for (const sgVector<2>& p : bench::queryPoints(kQueries)) queries.push_back(bench::toBoost(p));
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(bench::bg::within(queries[next], polygon));
    next = (next + 1) % queries.size();
  }
}

}  // namespace

BENCHMARK(oursInside)->Name("point-in-region/ours")->Apply(bench::atEverySize);
BENCHMARK(openCvInside)->Name("point-in-region/cv::pointPolygonTest")->Apply(bench::atEverySize);
BENCHMARK(boostInside)->Name("point-in-region/bg::within")->Apply(bench::atEverySize);
