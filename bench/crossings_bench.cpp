// Crossings of a segment with a simple polygon's outline (long edges: star; short ones: noisy
// circle), timed per segment while cycling through 100 fixed chords through the centre. Warm:
// queries before timing starts have built the contour's edge caches and its index, as in a caller
// that intersects many segments with one contour. Cold: each iteration builds the contour and asks
// its first query, which builds the index.
#include "boost_peer.h"
#include "cntr/contour.h"
#include "rows.h"

namespace {

constexpr int kSegments = 100;

void oursCrossingsWarm(benchmark::State& state, int kind) {
  const sgContour contour(bench::outline(kind, bench::size(state)));
  const std::vector<sgLineSeg> segments = bench::chords(kSegments);
  benchmark::DoNotOptimize(contour.intersections(segments[0], true));
  benchmark::DoNotOptimize(contour.intersections(segments[1], true));
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(contour.intersections(segments[next], true));
    next = (next + 1) % segments.size();
  }
  state.SetLabel("warm: per segment, after a first query built the caches and the edge index");
}

void oursCrossingsCold(benchmark::State& state, int kind) {
  const bench::Points points = bench::outline(kind, bench::size(state));
  const std::vector<sgLineSeg> segments = bench::chords(kSegments);
  std::size_t next = 0;
  for (auto _ : state) {
    const sgContour contour(points);
    benchmark::DoNotOptimize(contour.intersections(segments[next], true));
    next = (next + 1) % segments.size();
  }
  state.SetLabel("cold: contour built from the points, then its first query, which builds the edge index");
}

void boostCrossings(benchmark::State& state, int kind) {
  const bench::BoostLine outline = bench::toBoostOutline(bench::outline(kind, bench::size(state)));
  std::vector<bench::BoostLine> segments;
  for (const sgLineSeg& seg : bench::chords(kSegments)) segments.push_back(bench::toBoostLine(seg));
  std::size_t next = 0;
  for (auto _ : state) {
    bench::BoostPoints crossings;
    bench::bg::intersection(segments[next], outline, crossings);
    benchmark::DoNotOptimize(crossings);
    next = (next + 1) % segments.size();
  }
}

const bool registered = [] {
  bench::registerPerOutline("segment crossings warm", "ours", oursCrossingsWarm, bench::atIndexSizes);
  bench::registerPerOutline("segment crossings warm", "bg::intersection", boostCrossings,
                            bench::atIndexSizes);
  bench::registerPerOutline("segment crossings cold", "ours", oursCrossingsCold, bench::atColdIndexSizes);
  bench::registerPerOutline("segment crossings cold", "bg::intersection", boostCrossings,
                            bench::atIndexSizes);
  return true;
}();

}  // namespace
