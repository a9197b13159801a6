// Area, centre of mass and central second moments of a simple polygon. Our free functions keep
// no cache, so every iteration is a cold computation.
#include <opencv2/imgproc.hpp>

#include "boost_peer.h"
#include "cntr/moments.h"
#include "opencv_peer.h"
#include "rows.h"

namespace {

void oursMoments(benchmark::State& state) {
  const bench::Points points = bench::starPolygon(bench::size(state));
  for (auto _ : state) benchmark::DoNotOptimize(sf_InertiaDataPolygon(points));
  state.SetLabel("cold: sf_InertiaDataPolygon, which caches nothing");
}

void openCvMoments(benchmark::State& state) {
  const std::vector<cv::Point2f> points = bench::toOpenCv(bench::starPolygon(bench::size(state)));
  for (auto _ : state) benchmark::DoNotOptimize(cv::moments(points));
}

// Boost.Geometry has no second moments; this pair compares area and centroid alone.
void oursAreaCentroid(benchmark::State& state) {
  const bench::Points points = bench::starPolygon(bench::size(state));
  for (auto _ : state) {
    benchmark::DoNotOptimize(sf_Area(points));
    benchmark::DoNotOptimize(sf_CenterOfMass(points));
  }
  state.SetLabel("cold: sf_Area and sf_CenterOfMass, which cache nothing");
}

void boostAreaCentroid(benchmark::State& state) {
  const bench::BoostPolygon polygon = bench::toBoostPolygon(bench::starPolygon(bench::size(state)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(bench::bg::area(polygon));
    bench::BoostPoint centroid;
    bench::bg::centroid(polygon, centroid);
    benchmark::DoNotOptimize(centroid);
  }
}

}  // namespace

BENCHMARK(oursMoments)->Name("moments/ours")->Apply(bench::atEverySize);
BENCHMARK(openCvMoments)->Name("moments/cv::moments")->Apply(bench::atEverySize);
BENCHMARK(oursAreaCentroid)->Name("area+centroid/ours")->Apply(bench::atEverySize);
BENCHMARK(boostAreaCentroid)->Name("area+centroid/bg::area+bg::centroid")->Apply(bench::atEverySize);
