// Self-intersection of a simple outline (every edge pair must be ruled out) and of a crossing one
// (a search may stop at its first crossing). Sizes whose one run would take too long are skipped. Ours is
// cold: the answer is cached in the contour, so each iteration builds a fresh contour from the points (the
// copy of the points is timed).
#include "boost_peer.h"
#include "cntr/contour.h"
#include "geos_peer.h"
#include "rows.h"

namespace {

using Generator = bench::Points (*)(int);

void oursSelfIntersecting(benchmark::State& state, Generator outline, const char* operation) {
  const bench::QuadraticBudget budget(state, operation);
  if (budget.skipped()) return;
  const bench::Points points = outline(bench::size(state));
  for (auto _ : state) {
    const sgContour contour(points);
    benchmark::DoNotOptimize(contour.isSelfIntersecting());
  }
  state.SetLabel("cold: contour built from the points in each iteration");
}

void geosIsSimple(benchmark::State& state, Generator outline) {
  const bench::GeosGeometry ring = bench::toGeosRing(outline(bench::size(state)));
  for (auto _ : state) benchmark::DoNotOptimize(GEOSisSimple_r(bench::geosContext(), ring.get()));
}

// Boost.Geometry's is_simple on a polygon looks only for repeated vertices; its one-argument
// intersects is the test for self-crossings.
void boostSelfIntersects(benchmark::State& state, Generator outline) {
  const bench::BoostPolygon polygon = bench::toBoostPolygon(outline(bench::size(state)));
  for (auto _ : state) benchmark::DoNotOptimize(bench::bg::intersects(polygon));
}

}  // namespace

BENCHMARK_CAPTURE(oursSelfIntersecting, simple, bench::starPolygon, "self-intersection/ours")
    ->Name("self-intersection/ours")
    ->Apply(bench::atEverySize);
BENCHMARK_CAPTURE(geosIsSimple, simple, bench::starPolygon)
    ->Name("self-intersection/GEOSisSimple")
    ->Apply(bench::atEverySize);
BENCHMARK_CAPTURE(boostSelfIntersects, simple, bench::starPolygon)
    ->Name("self-intersection/bg::intersects")
    ->Apply(bench::atEverySize);
BENCHMARK_CAPTURE(oursSelfIntersecting, crossing, bench::crossingPolygon, "self-intersection crossing/ours")
    ->Name("self-intersection crossing/ours")
    ->Apply(bench::atEverySize);
BENCHMARK_CAPTURE(geosIsSimple, crossing, bench::crossingPolygon)
    ->Name("self-intersection crossing/GEOSisSimple")
    ->Apply(bench::atEverySize);
