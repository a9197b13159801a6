// The measures of a region set of disjoint squares, as `cntr measure` asks them: areas, centre of
// mass, inertia, bounding rectangle and whether regions cross. Results are cached in the set, so
// ours is cold: each iteration builds the regions and the set from the points. The peer is GEOS's
// union of the same squares, the usual way to learn what such a set covers.
#include "cntr/regionst.h"
#include "geos_peer.h"
#include "rows.h"

namespace {

void atSquareCounts(benchmark::internal::Benchmark* b) {
  b->RangeMultiplier(10)->Range(100, 10000)->Unit(benchmark::kMicrosecond);
}

void oursMeasureSet(benchmark::State& state) {
  const std::vector<bench::Points> squares = bench::disjointSquares(bench::size(state));
  for (auto _ : state) {
    std::vector<sgPtrHandle_const<sgRegion>> regions;
    regions.reserve(squares.size());
    for (const bench::Points& square : squares) regions.emplace_back(new sgRegion(square));
    const sgRegionSet set(regions);
    benchmark::DoNotOptimize(set.area(true));
    benchmark::DoNotOptimize(set.area(false));
    benchmark::DoNotOptimize(set.centerOfMass(true));
    benchmark::DoNotOptimize(set.inertiaMatrix(false));
    benchmark::DoNotOptimize(set.encloseRect(sgXform<2>()));
    benchmark::DoNotOptimize(set.isSelfIntersecting());
  }
  state.SetLabel("cold: regions and set built from the points in each iteration");
}

void geosUnion(benchmark::State& state) {
  const bench::GeosGeometry squares = bench::toGeosCollection(bench::disjointSquares(bench::size(state)));
  for (auto _ : state) {
    const bench::GeosGeometry merged(GEOSUnaryUnion_r(bench::geosContext(), squares.get()));
    benchmark::DoNotOptimize(merged.get());
  }
}

}  // namespace

BENCHMARK(oursMeasureSet)->Name("measure disjoint squares/ours")->Apply(atSquareCounts);
BENCHMARK(geosUnion)->Name("measure disjoint squares/GEOSUnaryUnion")->Apply(atSquareCounts);
