// Behaviours of contours, regions and sets, plain and edgelet-carrying, that are not one answer:
// sharing, caches, refusals, drawing, and the error classes. The agreement of points and edgelets
// after every mutation is the randomized edgelet test's.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <tuple>
#include <utility>

#include "cntr/archivesamples.h"
#include "cntr/contourprobe.h"
#include "support/casetable.h"
#include "support/rowchecks.h"

namespace {

using namespace casetable;
using archivesamples::rectangle, archivesamples::sampleEdgelets, archivesamples::V;
using Handles = std::vector<sgPtrHandle_const<sgRegion>>;
using Edgelets = std::vector<sgEdgelet>;
using Xform = sgPtrHandle_const<sg2XformBase>;
using ContourT = sgContourT<sgEdgelet>;
using RegionT = sgRegionT<sgEdgelet>;
using RegionSetT = sgRegionSetT<sgEdgelet>;
using TypedHandles = std::vector<sgPtrHandle_const<RegionT>>;
const sgXform<2> kI = sgXform<2>::I;

// Counts change notifications: each cache clear sends one, so the count shows which mutators
// reached the object's cache reset.
class NotificationCounter {
 public:
  explicit NotificationCounter(sgPersistent& object) {
    object.notifyOnChange(true);
    object.changeObserver([this](const sgPersistent&) { ++count_; });
  }
  NotificationCounter(const NotificationCounter&) = delete;  // the observer holds `this`
  /// Notifications since the last call.
  int take() { return std::exchange(count_, 0); }

 private:
  int count_ = 0;
};

// Answers from caches outside the measures; moving vertex 2 of the square to (-2, 1) changes each.
std::vector<double> answersOf(const ContourProbe& c) {
  const sgLineSeg across({-3, 1}, {3, 1});
  return {c.length(), c.meanPosition().x(), c.medianFeatureSize(), double(c.isSelfIntersecting()),
          double(c.vertexIndex({-2, 1}, 0.5).size() + 2 * c.intersections(across, true).size())};
}

TEST(ContourCore, EveryVertexMutatorClearsEveryCacheAndTheOtherSettersKeepThem) {
  const Points moved = {{0, 0}, {2, 0}, {-2, 1}, {0, 2}};
  const std::vector<double> before = answersOf(ContourProbe(square2())),
                            after = answersOf(ContourProbe(moved));
  for (std::size_t i = 0; i < before.size(); ++i) ASSERT_NE(before[i], after[i]) << i;
  // What each does, whether it clears the caches, and how often it calls the hook.
  const std::tuple<std::function<void(ContourProbe&)>, bool, int> mutators[] = {
      {[&](ContourProbe& c) { c.points(moved); }, true, 1},
      {[&](ContourProbe& c) { c.setPoints(moved); }, true, 0},
      {[](ContourProbe& c) { c.isClosed(true); }, true, 0},
      {[](ContourProbe& c) { c.label(7); }, false, 0},
      {[](ContourProbe& c) { c.cachedVectorSize(1); }, false, 0}};
  for (const auto& [apply, clears, hookCalls] : mutators) {
    ContourProbe c(square2());
    ASSERT_EQ(answersOf(c), before);
    c.moveVertexUnnoticed(2, {-2, 1});
    NotificationCounter changes(c);
    apply(c);
    EXPECT_GE(changes.take(), 1) << "every mutator notifies";
    EXPECT_EQ(answersOf(c), clears ? after : before);
    EXPECT_EQ(c.vertexIndex({-2, 1}, 0.6), std::vector<int>{2}) << "a new tolerance gets a new grid";
    EXPECT_EQ(c.hookCalls, hookCalls) << "only points(...) calls the hook";
    const int bound = c.cachedVectorSize();
    rowchecks::expectError([&] { c.cachedVectorSize(-3); }, "!BadParams");
    EXPECT_EQ(c.cachedVectorSize(), bound);
    c.notifyOnChange(false);
    c.label(5);
    EXPECT_EQ(changes.take(), 0) << "neither a refused value nor a change while the flag is off notifies";
  }
}

TEST(ContourCore, CopiesCarryTheSourcesCachesWithoutSharingThem) {
  ContourProbe source(square2(), true, 5), copy;
  ASSERT_TRUE(source.extremalVertexIndex(sgRadian(0.0)) == 1 && source.length() == 8.0 &&
              source.encloseRect(kI) == sgRect({0, 0}, {2, 2}));
  copy = static_cast<const sgContour&>(source);
  EXPECT_TRUE(copy == source && copy.label() == 5);
  copy.label(6);
  EXPECT_TRUE(copy == source) << "equality does not look at the label";
  copy.cachedVectorSize(4);
  EXPECT_FALSE(copy == source) << "but at the cache bound";
  copy.moveVertexUnnoticed(3, {9, 9});
  ASSERT_EQ(source.extremalVertexIndex(sgRadian(1.0)), 2);
  EXPECT_EQ(copy.extremalVertexIndex(sgRadian(1.0)), 3) << "a key the source learns later is not shared";
  source.points(Points{{5, 5}, {6, 7}});
  EXPECT_EQ(source.encloseRect(kI), sgRect({5, 5}, {1, 2}));
  EXPECT_EQ(copy.encloseRect(kI), sgRect({0, 0}, {2, 2})) << "the source's change leaves the copy alone";
  copy = ContourProbe(square2());
  copy.moveVertexUnnoticed(2, {5, 2});
  EXPECT_EQ(copy.encloseRect(kI), sgRect({0, 0}, {5, 2})) << "assigning a contour without caches drops them";
  // Mapped into: a new contour with the source's closed flag and label and the default bound.
  sgContour open({{0, 0}, {2, 0}, {2, 1}}, false, 4), empty(Points{}, true, 6);
  for (sgContour* c : {&open, &empty, static_cast<sgContour*>(&copy)}) c->cachedVectorSize(8);
  open.map(sgXform<2>(sgMatrix<2>(2.0, 0.0, 0.0, 3.0), V(1, 0)), copy);
  empty.map(kI, empty);
  EXPECT_TRUE(copy.points() == (Points{{1, 0}, {5, 0}, {5, 3}}) && !copy.isClosed() && copy.label() == 4u);
  EXPECT_TRUE(empty.points().empty() && empty.isClosed() && empty.label() == 6u);
  EXPECT_TRUE(copy.cachedVectorSize() == 3 && empty.cachedVectorSize() == 3 &&
              copy.encloseRect(kI) == sgRect({1, 0}, {4, 3}));
}

TEST(RegionCore, ConstructionClosednessAndDrawing) {
  // From an open contour: closed, the closing edge counted in length and area and drawn.
  sgRegion fromOpen(sgContour({{0, 0}, {4, 0}, {4, 3}}, false, 5), sgContourDefs::eIgnore);
  EXPECT_TRUE(fromOpen.isClosed() && fromOpen.sgContour::isClosed() == false && fromOpen.label() == 5);
  NotificationCounter changes(fromOpen);
  fromOpen.isClosed(true);
  rowchecks::expectError([&] { fromOpen.isClosed(false); }, "!RegionCannotBeSetOpen");
  EXPECT_EQ(changes.take(), 0) << "neither changes anything";
  fromOpen.holes(Handles{regionOf("POLYGON((3 0.5,3.5 0.5,3.5 1))")});
  sgRecordingTablet tablet;
  fromOpen.draw(tablet, sgColor(), sgUITablet::eOverlay);
  EXPECT_TRUE(tablet.segments().empty()) << "the region's own drawing slot draws nothing";
  fromOpen.draw(tablet, sgContourDefs::eDrawOutline, sgColor(), sgUITablet::eGraphics);
  ASSERT_EQ(tablet.segments().size(), 3u) << "the outer outline only";
  EXPECT_TRUE(tablet.segments()[0].from == sgPair<double>(4, 3)) << "the closing edge first";
  const sgPolygon polygon({{0, 0}, {4, 0}, {4, 4}, {0, 0}}, sgPolygon::eEvenOdd);
  EXPECT_EQ(sgRegion(polygon, sgContourDefs::eIgnore).points(), polygon.points()) << "both ends kept";
  const Points bowTie = {{0, 0}, {2, 2}, {2, 0}, {0, 2}};
  EXPECT_EQ(sgRegion(bowTie, static_cast<sgContourDefs::IntersectionMode>(7)).points(), bowTie) << "no mode";
}

TEST(RegionCore, HolesAreSharedKeptInOrderAndLeftAloneWhenRefused) {
  sgRegion region(Points{{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  const sgPtrHandle<sgRegion> first = regionOf("POLYGON((6 6,8 6,8 8,6 8))"),
                              second = regionOf("POLYGON((2 2,4 2,4 4,2 4))");
  region.holes(std::vector<sgPtrHandle<sgRegion>>{first, second});
  const sgRegion copy(region);
  sgRegion assigned;
  assigned = region;
  EXPECT_TRUE(copy.holes()[1].get() == second.get() && assigned.holes()[0].get() == first.get());
  EXPECT_EQ(second->refCount(), 4) << "the caller, region, copy and assigned share it";
  const sgRegion& alias = region;
  region = alias;
  EXPECT_DOUBLE_EQ(region.area(true), 92.0) << "self-assignment keeps everything";
  NotificationCounter changes(region);
  const sgPtrHandle<sgRegion> outside = regionOf("POLYGON((-1 5,1 5,1 6,-1 6))");
  EXPECT_THROW(region.holes(std::vector<sgPtrHandle<sgRegion>>{second, outside}), sgContourDefs::BadParams);
  EXPECT_GT(changes.take(), 0) << "a refused list clears the caches all the same";
  EXPECT_TRUE(region.holes().size() == 2 && region.holes()[0].get() == first.get()) << "old holes kept";
  region.holes(Handles{});
  EXPECT_TRUE(region.holes().empty());
}

const char* const kTwoSquares =
    "MULTIPOLYGON(((-0.5 -0.5,0.5 -0.5,0.5 0.5,-0.5 0.5)),((3.5 -0.5,4.5 -0.5,4.5 0.5,3.5 0.5)))";

sgXform<2> scaled(double s) { return sgXform<2>(sgMatrix<2>(s, 0.0, 0.0, s), sgVector<2>()); }

// Whether a copy of the set answers the transform from its rectangle cache (a miss notifies).
bool cachedIn(const sgRegionSet& set, const sgXform<2>& xform) {
  sgRegionSet copy(set);
  NotificationCounter changes(copy);
  copy.encloseRect(xform);
  return changes.take() == 0;
}

TEST(RegionSetCore, RegionsAreSharedAndEmptyHandlesFailOnlyWhenReached) {
  const sgPtrHandle<sgRegion> a = regionOf("POLYGON((0 0,1 0,1 1,0 1))"),
                              b = regionOf("POLYGON((5 0,6 0,6 1,5 1))");
  const sgRegionSet clean(std::vector{a, b}, sgContourDefs::eOuterHull);
  EXPECT_EQ(sgRegionSet(clean).regions(), (Handles{a, b})) << "a clean list survives a repair, shared";
  const auto crossing = regionSetOf("MULTIPOLYGON(((0 0,2 0,2 2,0 2)),((1 1,3 1,3 3,1 3)))").regions();
  EXPECT_EQ(sgRegionSet(crossing, static_cast<sgContourDefs::IntersectionMode>(7)).regions()[0], crossing[0]);
  sgRegionSet set = regionSetOf("MULTIPOLYGON(((-1 -1,1 -1,1 1,-1 1)))");
  set.add(sgPtrHandle_const<sgRegion>(), sgContourDefs::eIgnore);
  EXPECT_TRUE(set.inside({0, 0}, false)) << "found in the first region, before the empty handle";
  EXPECT_THROW(set.inside({9, 9}, false), sgBadPointer);
}

TEST(RegionSetCore, ListChangesClearTheCachesAndCopiesCarryThem) {
  sgRegionSet set = regionSetOf(kTwoSquares);
  NotificationCounter changes(set);
  for (int misses : {1, 0}) EXPECT_TRUE(set.area(false) == 2.0 && changes.take() == misses) << "then cached";
  EXPECT_FALSE(set.isSelfIntersecting());
  set.add(regionOf("POLYGON((4 0,5 0,5 1,4 1))"), sgContourDefs::eIgnore);
  EXPECT_TRUE(set.area(false) == 3.0 && set.isSelfIntersecting()) << "no cached answer survives add";
  set.regions(std::vector{regionOf("POLYGON((1 1,2 1,2 2,1 2))")}, sgContourDefs::eIgnore);
  EXPECT_TRUE(set.area(false) == 1.0 && sfRealEq(set.centerOfMass(false), sgVector<2>(1.5, 1.5), 1e-12));
  sgRegionSet source = regionSetOf(kTwoSquares), target;
  source.cachedVectorSize(9);
  rowchecks::expectError([&] { source.cachedVectorSize(-1); }, "!BadParams");  // 9 kept
  source.area(false);
  source.encloseRect(scaled(2.0));
  target = source;
  NotificationCounter targetChanges(target);
  const sgRegionSet& alias = target;
  target = alias;
  EXPECT_TRUE(target.cachedVectorSize() == 9 && target.area(false) == 2.0);
  EXPECT_TRUE(target == regionSetOf(kTwoSquares)) << "equality does not look at the bound";
  EXPECT_EQ(targetChanges.take(), 0) << "the area cache is copied with its flag and kept by self-assignment";
  source.add(regionOf("POLYGON((10 0,11 0,11 1,10 1))"), sgContourDefs::eIgnore);
  EXPECT_TRUE(cachedIn(target, scaled(2.0))) << "the rectangle cache is copied deeply";
  const sgRegionSet earlier(target);
  target.encloseRect(scaled(3.0));
  EXPECT_FALSE(cachedIn(earlier, scaled(3.0))) << "nor shared with earlier copies";
  target = regionSetOf(kTwoSquares);
  EXPECT_FALSE(cachedIn(target, scaled(2.0))) << "assigning a set without the cache drops it";
  // It holds cachedVectorSize + 1 entries, the newest always among them.
  for (int k = 1; k <= 5; ++k) target.encloseRect(scaled(k));
  int held = 0;
  for (int k = 1; k <= 5; ++k) held += cachedIn(target, scaled(k)) ? 1 : 0;
  EXPECT_TRUE(held == 4 && cachedIn(target, scaled(5)));
}

sgEdgelet edgelet(double x, double y, unsigned short magnitude = 100, unsigned char code = 32) {
  return sgEdgelet(V(x, y), magnitude, sgAngle8(code));
}
Xform rigid(double degrees, double tx, double ty) {
  return Xform(new sg2Rigid(sgDegree(degrees), V(tx, ty)));
}
sgPtrHandle_const<RegionT> typedRegion(double x0, double y0, double x1, double y1) {
  return sgPtrHandle_const<RegionT>(new RegionT(sampleEdgelets(x0, y0, x1, y1), 0));
}

// An affine transform that counts how often an inverse is made of it or of any clone.
std::atomic<int> gInversesMade{0};
class CountingXform : public sg2XformLinear {
 public:
  explicit CountingXform(const sgXform<2>& x) : sg2XformLinear(x) {}
  sg2XformBase* inverseBase() const override {
    ++gInversesMade;
    return sg2XformLinear::inverseBase();
  }
  sg2XformBase* clone() const override { return new CountingXform(xform()); }
};

TEST(ContourT, PointsAreTheEdgeletsMappedBackThroughItsOwnTransform) {
  const Edgelets data = sampleEdgelets(10, 20, 14, 23);
  for (const ContourT& plain : {ContourT(data), ContourT(data, Xform())})
    EXPECT_TRUE(plain.points() == rectangle(10, 20, 14, 23) && plain.isClosed() &&
                plain.dataFromPointsXform()->xform() == sgXform<2>::I);
  const Xform xform = rigid(30.0, 5.0, -2.0);
  const ContourT contour(data, xform);
  EXPECT_TRUE(contour.dataFromPointsXform().get() != xform.get() &&
              contour.dataFromPointsXform()->xform() == xform->xform())
      << "a clone is kept";
  const sgEdgelet back = contour.datum(contour.points()[2]);
  EXPECT_TRUE(sfRealEq(back.position(), data[2].position(), 1e-12)) << "the point maps back onto its edgelet";
  EXPECT_TRUE(back.magnitude() == 0 && back.angle().code() == 0) << "a datum made from a point";
}

// Copies share the transform and its one inverse and compare by it and the points; loading replaces both.
TEST(ContourT, EachListRebuildsTheOtherAndCopiesShareTheTransformUntilLoaded) {
  gInversesMade = 0;
  const sgXform<2> scaleAndShift(sgMatrix<2>(2.0, 0.0, 0.0, 4.0), V(1.0, -3.0));
  ContourT contour(sampleEdgelets(0, 0, 1, 1), Xform(new CountingXform(scaleAndShift)));
  contour.points({V(1, 1), V(2, 0), V(0, 5)});
  EXPECT_EQ(contour.data()[2].position(), V(1.0, 17.0));
  const Edgelets data{edgelet(3, 5, 7, 9), edgelet(5, 1, 8, 10)};
  contour.data(data);
  EXPECT_TRUE(contour.points() == (Points{V(1, 2), V(2, 1)}) && contour.length() == 2 * std::sqrt(2.0));
  contour.data(sampleEdgelets(1, -3, 5, 5));
  EXPECT_DOUBLE_EQ(contour.length(), 8.0);
  ContourT copy(contour);
  copy.data({edgelet(1, -3), edgelet(5, -3), edgelet(5, 5), edgelet(1, 5)});
  copy.label(5);
  EXPECT_TRUE(copy == contour) << "edgelet data and label are not compared";
  EXPECT_FALSE(ContourT(data) == ContourT(data)) << "each holds its own identity transform";
  EXPECT_EQ(copy.point(edgelet(3, 5)), V(1, 2));
  copy.data(data);
  EXPECT_FALSE(copy == contour);
  EXPECT_EQ(gInversesMade, 1) << "the inverse is shared with copies";
  // Loaded with a transform, a contour maps through it, not through the inverse of the old one.
  ContourT target(sampleEdgelets(0, 0, 1, 1), rigid(-70.0, 2.0, 2.0));  // inverse cached
  sgArchive out;
  ContourT(sampleEdgelets(10, 20, 13, 24), rigid(30.0, 4.0, -1.0)).serialize(out);
  sgArchive in(out.bytes());
  target.serialize(in);
  target.data(sampleEdgelets(5, 5, 8, 9));
  EXPECT_TRUE(sfRealEq(target.datum(target.points()[2]).position(), V(8, 9), 1e-12));
}

TEST(Templates, TypedMapHullAndRegularizeAreRefused) {
  ContourT contour(sampleEdgelets(5, 5, 6, 6));
  RegionT region(contour.data(), 2);
  RegionSetT set(TypedHandles{typedRegion(5, 5, 6, 6)});
  EXPECT_THROW(contour.mapT(sgXform<2>::I, contour), sgPel::BadWindow);
  EXPECT_THROW(contour.convexHullT(region), sgPel::BadWindow);
  EXPECT_THROW(region.mapT(sgXform<2>::I, region), sgPel::BadWindow);
  EXPECT_THROW(region.regularizeT(region), sgPel::BadWindow);
  EXPECT_THROW(set.mapT(sgXform<2>::I, set), sgPel::BadWindow);
  EXPECT_THROW(set.regularizeT(set), sgPel::BadWindow);
}

TEST(RegionT, OneOutlineSeenAlikeThroughTheContourEdgeletAndRegionViews) {
  ContourT contour(sampleEdgelets(1, 1, 3, 4), rigid(30.0, 2.0, 0.0));
  contour.cachedVectorSize(6);
  const RegionT fromContour(contour, 8);
  EXPECT_TRUE(fromContour.data() == contour.data() && static_cast<const ContourT&>(fromContour) == contour);
  EXPECT_TRUE(fromContour.cachedVectorSize() == 6 && fromContour.label() == 8u);
  RegionT region(sampleEdgelets(0, 0, 2, 2), 17);
  sgContour& viaEdgelets = static_cast<ContourT&>(region);
  sgContour& viaRegion = static_cast<sgRegion&>(region);
  EXPECT_DOUBLE_EQ(region.area(false), 4.0);
  viaRegion.points({V(0, 0), V(6, 0), V(6, 1)});
  EXPECT_DOUBLE_EQ(region.area(false), 3.0);
  static_cast<ContourT&>(region).data(sampleEdgelets(0, 0, 5, 5));
  EXPECT_TRUE(viaRegion.points() == rectangle(0, 0, 5, 5) && region.area(false) == 25.0) << "one contour";
  EXPECT_THROW(region.isClosed(false), sgContourDefs::RegionCannotBeSetOpen);
  EXPECT_THROW(viaEdgelets.isClosed(false), sgContourDefs::RegionCannotBeSetOpen);
}

TEST(RegionT, DrawsOneUnitTickAcrossEachEdgeletNotTheOutlineNorTheHoles) {
  sgRecordingTablet tablet;
  const sgColor red(255, 0, 0);
  RegionT({edgelet(10, 20, 5, 64), edgelet(10, 20, 5, 0)}, 0).draw(tablet, red, sgUITablet::eOverlay);
  ASSERT_EQ(tablet.segments().size(), 2u);
  const auto& t = tablet.segments();
  const auto at = [](const sgPair<double>& p) { return V(p.x(), p.y()); };
  const Points ends = pointsOf("MULTIPOINT(10.5 20,9.5 20,10 19.5,10 20.5)");  // directions 64, then 0
  for (std::size_t i = 0; i < ends.size(); ++i)
    EXPECT_TRUE(sfRealEq(at(i % 2 ? t[i / 2].to : t[i / 2].from), ends[i], 1e-12)) << i;
  EXPECT_TRUE(t[0].color == red && t[1].layer == sgUITablet::eOverlay);
  RegionT region(sampleEdgelets(0, 0, 10, 10), 0);
  static_cast<sgRegion&>(region).holes(Handles{regionOf("POLYGON((4 4,6 4,6 6))")});
  tablet.clear();
  region.draw(tablet, sgColor(), sgUITablet::eGraphics);
  RegionT().draw(tablet, sgColor(), sgUITablet::eGraphics);
  EXPECT_EQ(tablet.segments().size(), 4u) << "one tick per edgelet of the outline, none for holes";
  tablet.clear();
  const sgPtrHandle_const<sgRegion> r(new RegionT({edgelet(1, 1)}, 0)), q(new RegionT({edgelet(2, 2)}, 0));
  sgRegionSet({r, q, r}).draw(tablet, sgColor(), sgUITablet::eOverlay);
  ASSERT_EQ(tablet.segments().size(), 3u) << "a set draws each region through its own slot, in order";
  EXPECT_TRUE(tablet.segments()[0].from.x() < 2 && tablet.segments()[1].from.x() > 1.5 &&
              tablet.segments()[2].from.x() < 2);
}

TEST(RegionT, TypedHolesAreTheirOwnListAndCopiesShareHolesAndTransform) {
  RegionT region(sampleEdgelets(0, 0, 10, 10), 6);
  const sgPtrHandle_const<RegionT> typedHole = typedRegion(5, 5, 6, 6);
  region.holes(TypedHandles{typedHole});
  EXPECT_TRUE(region.sgRegion::holes().empty() && region.area(true) == 100.0) << "typed holes take no area";
  static_cast<sgRegion&>(region).holes(Handles{regionOf("POLYGON((2 2,4 2,4 4,2 4))")});
  EXPECT_DOUBLE_EQ(region.area(true), 96.0);
  region.data(sampleEdgelets(0, 0, 10, 10));
  RegionT assigned(sampleEdgelets(50, 50, 51, 51), 0);
  assigned = region;
  EXPECT_TRUE(assigned == region && assigned.data() == sampleEdgelets(0, 0, 10, 10)) << "shared transform";
  EXPECT_TRUE(assigned.holes() == TypedHandles{typedHole} &&
              assigned.sgRegion::holes() == region.sgRegion::holes());
  region.data(sampleEdgelets(0, 0, 1, 1));
  EXPECT_TRUE(assigned.data() == sampleEdgelets(0, 0, 10, 10) && assigned.area(false) == 100.0);
  RegionT bare(assigned);
  bare.holes(TypedHandles{});
  static_cast<sgRegion&>(bare).holes(Handles{});
  EXPECT_TRUE(bare == assigned) << "holes are not compared";
  EXPECT_FALSE(assigned == RegionT(sampleEdgelets(0, 0, 10, 10), 6));
}

TEST(RegionSetT, TypedRegionsFollowTheRegionListAndAreSharedByCopies) {
  const TypedHandles typed{typedRegion(0, 0, 1, 1), typedRegion(2, 0, 4, 2)};
  RegionSetT set(typed);
  EXPECT_TRUE(set.regionsT() == typed && set.regions()[0].get() == typed[0].get() &&
              set.regions()[1].get() == typed[1].get());
  const sgPtrHandle<RegionT> one(new RegionT(sampleEdgelets(0, 0, 3, 3), 0));
  const RegionSetT fromMutable(std::vector<sgPtrHandle<RegionT>>{one});
  EXPECT_TRUE(fromMutable.regionsT()[0].get() == one.get() && fromMutable.regions()[0].get() == one.get());
  RegionSetT assigned(TypedHandles{typedRegion(9, 9, 10, 10)});
  assigned = set;
  EXPECT_TRUE(RegionSetT(set).regionsT()[1] == typed[1] && assigned.regionsT()[1] == typed[1]);
  EXPECT_TRUE(assigned == RegionSetT(TypedHandles{typedRegion(0, 0, 1, 1), typedRegion(2, 0, 4, 2)}));
  set.add(regionOf("POLYGON((5 5,7 5,7 8))"), sgContourDefs::eIgnore);
  ASSERT_EQ(set.regionsT().size(), 3u);
  EXPECT_NE(set.regionsT()[0].get(), typed[0].get()) << "every typed region is rebuilt from its outline";
  EXPECT_TRUE(set.regions()[0].get() == typed[0].get() && set.area(false) == 8.0);
  EXPECT_THROW(set.add(sgPtrHandle_const<sgRegion>(), sgContourDefs::eIgnore), sgBadPointer);
  ASSERT_EQ(set.regionsT().size(), 4u) << "the entries before the empty one are rebuilt";
  EXPECT_EQ(set.regionsT()[0]->points(), rectangle(0, 0, 1, 1));
  set.regions(Handles{regionOf("POLYGON((5 0,6 0,5 1))")}, sgContourDefs::eIgnore);
  ASSERT_EQ(set.regionsT().size(), 1u);
  EXPECT_EQ(set.regionsT()[0]->points(), (Points{V(5, 0), V(6, 0), V(5, 1)}));
}

// Each error class copies its message on assignment and rethrows as its true type.
template <class E>
void checkErrorClass() {
  E target(L"old");
  target = E(L"invalid contour");
  sgContourDefs::Errors* onHeap = new E(target);
  try {
    onHeap->suicideAndRethrow();  // frees onHeap, which the leak checker of the sanitizer build sees
    ADD_FAILURE() << "suicideAndRethrow returned";
  } catch (const E& e) {
    EXPECT_EQ(e.string(), L"invalid contour");
  }
}

TEST(Errors, EachClassCopiesItsMessageAndRethrowsAsItself) {
  checkErrorClass<sgContourDefs::EmptyContour>();
  checkErrorClass<sgContourDefs::EmptyRegionSet>();
  checkErrorClass<sgContourDefs::BadParams>();
  checkErrorClass<sgContourDefs::RegionCannotBeSetOpen>();
}

}  // namespace
