// libFuzzer driver over the geometry: contours, regions and region sets built from fuzzed
// coordinates (NaN, infinities, huge and tiny values, repeated points, zero-length edges), then
// every query, repair and splice asked of them. Each call must end in a result or an exception
// of the family's own (sgException); anything else escapes and is reported, as is any sanitizer
// finding or a call that does not return within the run's timeout.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "cntr/moments.h"
#include "cntr/regionst.h"
#include "lyndispc/tablet.h"
#include "lynstd/exceptions.h"

/// The splice of two regions is private; the library grants this name access for tests.
class sgRegionTestAccess {
 public:
  static void splice(const sgRegion& region, const sgRegion& other, sgRegion& result) {
    region.splice(other, result);
  }
};

namespace {

using V = sgVector<2>;
using Points = std::vector<V>;
using Handles = std::vector<sgPtrHandle_const<sgRegion>>;

// Enough vertices for every crossing pattern, few enough that the quadratic repairs stay quick.
constexpr std::size_t kMaxPoints = 48;

double coordinate(FuzzedDataProvider& in, const Points& sofar) {
  constexpr double kSpecial[] = {
      0.0,
      -0.0,
      1.0,
      -1.0,
      1e-6,
      1e-300,
      std::numeric_limits<double>::denorm_min(),
      1e300,
      -1e300,
      std::numeric_limits<double>::max(),
      std::numeric_limits<double>::lowest(),
      std::numeric_limits<double>::infinity(),
      -std::numeric_limits<double>::infinity(),
      std::numeric_limits<double>::quiet_NaN(),
  };
  switch (in.ConsumeIntegralInRange<int>(0, 4)) {
    case 0:  // a small grid: collinear points, repeats and zero-length edges
      return in.ConsumeIntegralInRange<int>(-8, 8);
    case 1:
      return in.PickValueInArray(kSpecial);
    case 2:  // a coordinate of an earlier point
      return sofar.empty() ? 0.0 : sofar[in.ConsumeIntegralInRange<std::size_t>(0, sofar.size() - 1)].x();
    case 3:
      return in.ConsumeFloatingPointInRange<double>(-100.0, 100.0);
    default:
      return in.ConsumeFloatingPoint<double>();
  }
}

Points points(FuzzedDataProvider& in) {
  Points out(in.ConsumeIntegralInRange<std::size_t>(0, kMaxPoints));
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double x = coordinate(in, out);
    out[i] = V(x, coordinate(in, out));
  }
  return out;
}

sgContourDefs::IntersectionMode mode(FuzzedDataProvider& in) {
  return static_cast<sgContourDefs::IntersectionMode>(in.ConsumeIntegralInRange<int>(0, 3));
}

// Runs one call; the family's exceptions are answers too.
template <class Call>
void attempt(Call call) {
  try {
    call();
  } catch (const sgException&) {
  }
}

void queryContour(const sgContour& c, FuzzedDataProvider& in, const V& p) {
  attempt([&] { (void)c.length(); });
  attempt([&] { (void)c.meanPosition(); });
  attempt([&] { (void)c.closestVertexIndex(p); });
  attempt([&] { (void)c.closestPoint(p, in.ConsumeBool()); });
  attempt([&] { (void)c.distToPoint(p, in.ConsumeBool()); });
  attempt([&] { (void)c.vertexIndex(p, in.ConsumeFloatingPoint<double>()); });
  attempt([&] { (void)c.vertexIndex(p, 1e-6); });
  for (int k = 0; k < 5; ++k)
    attempt([&] { (void)c.extremalVertexPosition(sgRadian(in.ConsumeFloatingPoint<double>())); });
  attempt([&] { (void)c.encloseRect(sgXform<2>()); });
  attempt([&] { (void)c.encloseRect(sgXform<2>(sgMatrix<2>(0.0, -2.0, 0.5, 0.0), V(p.x(), 1.0))); });
  attempt([&] {
    (void)c.encloseCircle(static_cast<sgContourDefs::DiameterMode>(in.ConsumeIntegralInRange<int>(0, 2)));
  });
  attempt([&] { (void)c.diameter(sgContourDefs::eExact); });
  attempt([&] { (void)c.minEnclosingCircle(); });
  attempt([&] { (void)c.intersections(sgLineSeg(p, V(-p.y(), p.x() + 1.0)), in.ConsumeBool()); });
  attempt([&] { (void)c.isSelfIntersecting(); });
  attempt([&] {
    sgRegion hull;
    c.convexHull(hull);
  });
  attempt([&] {
    sgEllipse e;
    double error = 0.0;
    c.fitEllipse(e, error);
  });
  attempt([&] {
    sgContour mapped;
    c.map(sgXform<2>(sgMatrix<2>(1.0, 0.0, 0.0, -1.0), p), mapped);
  });
  sgRecordingTablet tablet;
  attempt([&] { c.draw(tablet, sgContourDefs::DrawMode(), sgColor(), sgUITablet::Layers()); });
}

void queryRegion(const sgRegion& r, FuzzedDataProvider& in, const V& p) {
  queryContour(r, in, p);
  const bool holes = in.ConsumeBool();
  attempt([&] { (void)r.area(holes); });
  attempt([&] { (void)r.centerOfMass(holes); });
  attempt([&] { (void)r.inertiaMatrix(holes); });
  attempt([&] { (void)r.inside(p, holes); });
  attempt([&] {
    long holeIndex = 0;
    (void)r.closestVertexIndex(p, holes, holeIndex);
  });
  attempt([&] { (void)r.closestPoint(p, in.ConsumeBool(), holes); });
  attempt([&] { (void)r.distToPoint(p, in.ConsumeBool(), holes, in.ConsumeBool()); });
  attempt([&] { (void)r.intersections(sgLineSeg(p, V(p.y(), -p.x())), in.ConsumeBool(), holes); });
  attempt([&] {
    sgRegion repaired;
    r.regularize(repaired);
    (void)repaired.area(false);
  });
  attempt([&] {
    sgRegion hull;
    r.outerHull(hull);
    (void)hull.area(false);
  });
}

void querySet(const sgRegionSet& s, FuzzedDataProvider& in, const V& p) {
  const bool holes = in.ConsumeBool();
  attempt([&] { (void)s.area(holes); });
  attempt([&] { (void)s.centerOfMass(holes); });
  attempt([&] { (void)s.inertiaMatrix(holes); });
  attempt([&] { (void)s.inside(p, holes); });
  attempt([&] { (void)s.isSelfIntersecting(); });
  attempt([&] { (void)s.distToPoint(p, in.ConsumeBool(), holes, in.ConsumeBool()); });
  attempt([&] { (void)s.encloseRect(sgXform<2>()); });
  sgRecordingTablet tablet;
  attempt([&] { s.draw(tablet, sgColor(), sgUITablet::Layers()); });
  attempt([&] {
    sgRegionSet repaired;
    s.regularize(repaired);
    (void)repaired.area(false);
  });
  attempt([&] {
    sgRegionSet hull;
    s.outerHull(hull);
    (void)hull.area(false);
  });
}

void queryMoments(const Points& pts) {
  attempt([&] {
    const sg_InertiaData d = sf_InertiaDataPolygon(pts);
    (void)sf_EllipseFromInertiaData(d + d);
  });
  attempt([&] { (void)sf_Area(pts); });
  attempt([&] { (void)sf_CenterOfMass(pts); });
  attempt([&] {
    sgEllipse e;
    double error = 0.0;
    sf_FitEllipse(pts, e, error);
  });
  std::vector<double> xs;
  for (const V& v : pts) xs.push_back(v.x());
  attempt([&] { (void)sf_StdDev(xs); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const Points first = points(in);
  const Points second = points(in);
  const V probe(coordinate(in, first), coordinate(in, second));

  const sgContour contour(first, in.ConsumeBool(), 7);
  queryContour(contour, in, probe);
  queryMoments(first);

  Handles regions;
  for (const Points* pts : {&first, &second}) {
    attempt([&] { regions.push_back(sgPtrHandle_const<sgRegion>(new sgRegion(*pts, mode(in)))); });
  }
  for (const auto& r : regions) queryRegion(*r, in, probe);
  if (regions.size() == 2) {
    attempt([&] {
      sgRegion spliced;
      sgRegionTestAccess::splice(*regions[0], *regions[1], spliced);
      queryRegion(spliced, in, probe);
    });
    // The second region as a hole of the first: accepted only when it lies in the first.
    attempt([&] {
      sgRegion withHole(*regions[0]);
      withHole.holes(Handles{regions[1]});
      queryRegion(withHole, in, probe);
    });
  }
  attempt([&] {
    const sgRegionSet set(regions, mode(in));
    querySet(set, in, probe);
  });
  return 0;
}
