// Nearest point of an outline (long edges: star; short ones: noisy circle) and its distance,
// timed per query while cycling through 10^4 fixed points. Warm: queries before timing starts
// have built the contour's edge index. The peer is GEOS's distance from a point to the polygon's boundary
// ring.
#include "cntr/contour.h"
#include "geos_peer.h"
#include "rows.h"

namespace {

constexpr int kQueries = 10000;

void oursDistanceWarm(benchmark::State& state, int kind) {
  const sgContour contour(bench::outline(kind, bench::size(state)));
  const bench::Points queries = bench::queryPoints(kQueries);
  benchmark::DoNotOptimize(contour.distToPoint(queries[0], false));
  benchmark::DoNotOptimize(contour.distToPoint(queries[1], false));
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(contour.distToPoint(queries[next], false));
    next = (next + 1) % queries.size();
  }
  state.SetLabel("warm: per query, after a first query built the edge index");
}

void geosDistance(benchmark::State& state, int kind) {
  const bench::GeosGeometry ring = bench::toGeosRing(bench::outline(kind, bench::size(state)));
  std::vector<bench::GeosGeometry> queries;
  for (const sgVector<2>& p : bench::queryPoints(kQueries))
    queries.emplace_back(GEOSGeom_createPointFromXY_r(bench::geosContext(), p.x(), p.y()));
  std::size_t next = 0;
  for (auto _ : state) {
    double distance = 0.0;
    GEOSDistance_r(bench::geosContext(), ring.get(), queries[next].get(), &distance);
    benchmark::DoNotOptimize(distance);
    next = (next + 1) % queries.size();
  }
}

const bool registered = [] {
  bench::registerPerOutline("nearest point warm", "ours", oursDistanceWarm, bench::atIndexSizes);
  bench::registerPerOutline("nearest point warm", "GEOSDistance", geosDistance, bench::atIndexSizes);
  return true;
}();

}  // namespace
