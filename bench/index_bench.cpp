// Building the edge index alone, on outlines with long edges (star) and short ones (noisy
// circle). The index is internal to the library, so its source is compiled into the benchmark.
// There is no peer: the report gives the time per edge against its target.
#include "cntr/contour.h"
#include "edgetree.h"
#include "rows.h"

namespace {

void oursIndexBuild(benchmark::State& state, int kind) {
  const bench::Points points = bench::outline(kind, bench::size(state));
  for (auto _ : state) benchmark::DoNotOptimize(sgcntr::EdgeTree::build(points, true));
  state.SetLabel("the edge tree alone, from the vertex list");
}

const bool registered = [] {
  bench::registerPerOutline("edge index build", "ours", oursIndexBuild, bench::atIndexSizes);
  return true;
}();

}  // namespace
