// Regularization: a self-crossing outline traced into a simple one, and a set of overlapping
// squares merged. Results are cached in our region and region set, so ours is cold: each
// iteration builds the region (or the regions and the set) from the points, which is timed.
// Sizes whose one run would take too long are skipped (GEOSMakeValid grows quadratically on
// these outlines). Each side also reports the area inside the outer boundaries of its result
// (counter "area", computed once after timing), so the report shows whether the answers agree.
#include "cntr/region.h"
#include "cntr/regionst.h"
#include "geos_peer.h"
#include "rows.h"

namespace {

sgRegion regularizedOutline(const bench::Points& points) {
  const sgRegion region(points);
  sgRegion result;
  region.regularize(result);
  return result;
}

sgRegionSet regularizedSquares(const std::vector<bench::Points>& squares) {
  std::vector<sgPtrHandle_const<sgRegion>> regions;
  regions.reserve(squares.size());
  for (const bench::Points& square : squares) regions.emplace_back(new sgRegion(square));
  const sgRegionSet set(regions);
  sgRegionSet result;
  set.regularize(result);
  return result;
}

// The area inside the exterior rings: the repairs give outer boundaries, which fill any hole
// the overlapping squares leave between them.
double geosArea(const bench::GeosGeometry& geometry) {
  GEOSContextHandle_t context = bench::geosContext();
  double sum = 0.0;
  for (int k = 0; k < GEOSGetNumGeometries_r(context, geometry.get()); ++k) {
    const GEOSGeometry* ring = GEOSGetExteriorRing_r(context, GEOSGetGeometryN_r(context, geometry.get(), k));
    const bench::GeosGeometry shell(
        GEOSGeom_createPolygon_r(context, GEOSGeom_clone_r(context, ring), nullptr, 0));
    double area = 0.0;
    GEOSArea_r(context, shell.get(), &area);
    sum += area;
  }
  return sum;
}

void oursRegularizeOutline(benchmark::State& state) {
  const bench::QuadraticBudget budget(state, "regularize outline/ours");
  if (budget.skipped()) return;
  const bench::Points points = bench::crossingPolygon(bench::size(state));
  for (auto _ : state) benchmark::DoNotOptimize(regularizedOutline(points));
  state.SetLabel("cold: region built from the points in each iteration");
  state.counters["area"] = regularizedOutline(points).area(false);
}

void geosMakeValid(benchmark::State& state) {
  const bench::QuadraticBudget budget(state, "regularize outline/GEOSMakeValid");
  if (budget.skipped()) return;
  const bench::GeosGeometry polygon = bench::toGeosPolygon(bench::crossingPolygon(bench::size(state)));
  const auto makeValid = [&] {
    return bench::GeosGeometry(GEOSMakeValid_r(bench::geosContext(), polygon.get()));
  };
  for (auto _ : state) benchmark::DoNotOptimize(makeValid());
  state.counters["area"] = geosArea(makeValid());
}

void oursRegularizeSquares(benchmark::State& state) {
  const bench::QuadraticBudget budget(state, "regularize squares/ours");
  if (budget.skipped()) return;
  const std::vector<bench::Points> squares = bench::overlappingSquares(bench::size(state));
  for (auto _ : state) benchmark::DoNotOptimize(regularizedSquares(squares));
  state.SetLabel("cold: regions and set built from the points in each iteration");
  state.counters["area"] = regularizedSquares(squares).area(false);
}

void geosUnaryUnion(benchmark::State& state) {
  const bench::GeosGeometry squares = bench::toGeosCollection(bench::overlappingSquares(bench::size(state)));
  const auto unite = [&] {
    return bench::GeosGeometry(GEOSUnaryUnion_r(bench::geosContext(), squares.get()));
  };
  for (auto _ : state) benchmark::DoNotOptimize(unite());
  state.counters["area"] = geosArea(unite());
}

}  // namespace

BENCHMARK(oursRegularizeOutline)->Name("regularize outline/ours")->Apply(bench::atEverySize);
BENCHMARK(geosMakeValid)->Name("regularize outline/GEOSMakeValid")->Apply(bench::atEverySize);
BENCHMARK(oursRegularizeSquares)->Name("regularize squares/ours")->Apply(bench::atSetSizes);
BENCHMARK(geosUnaryUnion)->Name("regularize squares/GEOSUnaryUnion")->Apply(bench::atSetSizes);
