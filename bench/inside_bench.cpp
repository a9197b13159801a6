// Point-in-region on simple polygons with long edges (star) and short ones (noisy circle), timed
// per query while cycling through one fixed set of 10^4 points. Warm: queries before timing
// starts have built the region's caches and its edge index, as in a caller that tests many points
// against one region. Cold: each iteration builds the region and asks its first query, which
// builds the index.
#include <opencv2/imgproc.hpp>

#include "boost_peer.h"
#include "cntr/region.h"
#include "opencv_peer.h"
#include "rows.h"

namespace {

constexpr int kQueries = 10000;

void oursInsideWarm(benchmark::State& state, int kind) {
  const sgRegion region(bench::outline(kind, bench::size(state)));
  const bench::Points queries = bench::queryPoints(kQueries);
  benchmark::DoNotOptimize(region.inside(queries[0], false));
  benchmark::DoNotOptimize(region.inside(queries[1], false));
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(region.inside(queries[next], false));
    next = (next + 1) % queries.size();
  }
  state.SetLabel("warm: per query, after a first query built the caches and the edge index");
}

void oursInsideCold(benchmark::State& state, int kind) {
  const bench::Points points = bench::outline(kind, bench::size(state));
  const bench::Points queries = bench::queryPoints(kQueries);
  std::size_t next = 0;
  for (auto _ : state) {
    const sgRegion region(points);
    benchmark::DoNotOptimize(region.inside(queries[next], false));
    next = (next + 1) % queries.size();
  }
  state.SetLabel("cold: region built from the points, then its first query, which builds the edge index");
}

void openCvInside(benchmark::State& state, int kind) {
  const std::vector<cv::Point2f> contour = bench::toOpenCv(bench::outline(kind, bench::size(state)));
  const std::vector<cv::Point2f> queries = bench::toOpenCv(bench::queryPoints(kQueries));
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(cv::pointPolygonTest(contour, queries[next], false));
    next = (next + 1) % queries.size();
  }
}

void boostInside(benchmark::State& state, int kind) {
  const bench::BoostPolygon polygon = bench::toBoostPolygon(bench::outline(kind, bench::size(state)));
  std::vector<bench::BoostPoint> queries;
  for (const sgVector<2>& p : bench::queryPoints(kQueries)) queries.push_back(bench::toBoost(p));
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(bench::bg::within(queries[next], polygon));
    next = (next + 1) % queries.size();
  }
}

const bool registered = [] {
  bench::registerPerOutline("point-in-region warm", "ours", oursInsideWarm, bench::atIndexSizes);
  bench::registerPerOutline("point-in-region warm", "cv::pointPolygonTest", openCvInside,
                            bench::atIndexSizes);
  bench::registerPerOutline("point-in-region warm", "bg::within", boostInside, bench::atIndexSizes);
  bench::registerPerOutline("point-in-region cold", "ours", oursInsideCold, bench::atColdIndexSizes);
  bench::registerPerOutline("point-in-region cold", "cv::pointPolygonTest", openCvInside,
                            bench::atIndexSizes);
  return true;
}();

}  // namespace
