// Crossings of a segment with a simple polygon's outline, timed per segment while cycling through
// 100 fixed chords. Ours is warm: a first query has built the contour's edge caches, as in a
// caller that intersects many segments with one contour.
#include "boost_peer.h"
#include "cntr/contour.h"
#include "rows.h"

namespace {

constexpr int kSegments = 100;

void oursCrossings(benchmark::State& state) {
  const sgContour contour(bench::starPolygon(bench::size(state)));
  const std::vector<sgLineSeg> segments = bench::chords(kSegments);
  benchmark::DoNotOptimize(contour.intersections(segments.front(), true));
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(contour.intersections(segments[next], true));
    next = (next + 1) % segments.size();
  }
  state.SetLabel("warm: per segment, after a first query built the caches");
}

void boostCrossings(benchmark::State& state) {
  const bench::BoostLine outline = bench::toBoostOutline(bench::starPolygon(bench::size(state)));
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

}  // namespace

BENCHMARK(oursCrossings)->Name("segment crossings/ours")->Apply(bench::atEverySize);
BENCHMARK(boostCrossings)->Name("segment crossings/bg::intersection")->Apply(bench::atEverySize);
