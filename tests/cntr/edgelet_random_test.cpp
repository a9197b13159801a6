// Random edgelet contours under random rigid transforms: after every kind of mutation, each
// point's image under the transform lies on its edgelet's position (to rounding), and the
// edgelets are the ones the mutation promises (kept, or rebuilt without magnitude and direction).
#include <gtest/gtest.h>

#include <random>

#include "edgeletshapes.h"
#include "lynstd/archive.h"

namespace {

using namespace edgelettest;

class RandomEdgelets {
 public:
  explicit RandomEdgelets(unsigned seed) : engine_(seed) {}

  Xform rigidTransform() {
    std::uniform_real_distribution<double> angle(-180.0, 180.0);
    return rigid(angle(engine_), coordinate(), coordinate());
  }
  Edgelets edgelets() {
    std::uniform_int_distribution<int> count(0, 12), magnitude(0, 65535), code(0, 255);
    Edgelets result(static_cast<std::size_t>(count(engine_)));
    for (sgEdgelet& e : result)
      e = sgEdgelet(V(coordinate(), coordinate()), static_cast<unsigned short>(magnitude(engine_)),
                    sgAngle8(static_cast<unsigned char>(code(engine_))));
    return result;
  }
  Points points() { return positions(edgelets()); }

 private:
  double coordinate() { return std::uniform_real_distribution<double>(-1000.0, 1000.0)(engine_); }
  std::mt19937 engine_;
};

using RegionHandles = std::vector<sgPtrHandle_const<sgRegion>>;

constexpr int kRounds = 150;

TEST(EdgeletRandom, ContourKeepsPointsAndEdgeletsInAgreement) {
  RandomEdgelets random(20240611u);
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE(round);
    const Edgelets data = random.edgelets();
    ContourT contour(data, random.rigidTransform());
    expectPointsMatchData(contour);
    EXPECT_EQ(contour.data(), data);

    const Edgelets replaced = random.edgelets();
    contour.data(replaced);
    expectPointsMatchData(contour);
    EXPECT_EQ(contour.data(), replaced);

    contour.points(random.points());
    expectPointsMatchData(contour);
    expectDataFromPoints(contour.data());

    const Edgelets before = contour.data();
    contour.isClosed(round % 2 == 0);
    contour.label(static_cast<unsigned long>(round));
    contour.cachedVectorSize(round % 5);
    EXPECT_EQ(contour.data(), before);

    ContourT copy(contour);
    copy.data(random.edgelets());
    expectPointsMatchData(copy);
    ContourT assigned;
    assigned = copy;
    assigned.points(random.points());
    expectPointsMatchData(assigned);
    EXPECT_EQ(assigned.dataFromPointsXform().get(), contour.dataFromPointsXform().get());

    sgArchive out;
    contour.serialize(out);
    ContourT loaded(random.edgelets(), random.rigidTransform());
    sgArchive in(out.bytes());
    loaded.serialize(in);
    EXPECT_EQ(loaded.points(), contour.points());
    loaded.data(random.edgelets());
    expectPointsMatchData(loaded);
  }
}

TEST(EdgeletRandom, RegionKeepsPointsAndEdgeletsInAgreementThroughEveryView) {
  RandomEdgelets random(977u);
  // Far outside every random outline, so it is always refused.
  const RegionHandles farHole{
      sgPtrHandle_const<sgRegion>(new sgRegion({V(5000, 5000), V(5001, 5000), V(5000, 5001)}))};
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE(round);
    Xform xform = random.rigidTransform();
    const Edgelets data = random.edgelets();
    RegionT region(data, xform, 7);
    expectPointsMatchData(region);
    EXPECT_EQ(region.data(), data);

    static_cast<sgRegion&>(region).points(random.points());
    expectPointsMatchData(region);
    expectDataFromPoints(region.data());

    const Edgelets replaced = random.edgelets();
    static_cast<ContourT&>(region).data(replaced);
    expectPointsMatchData(region);

    region.holes(TypedHandles{sgPtrHandle_const<RegionT>(new RegionT(random.edgelets(), 0))});
    EXPECT_EQ(region.data(), replaced);

    // A refused hole list rebuilds the data all the same; the check needs an outline of two
    // points or more, and an empty list needs none.
    if (region.points().size() >= 2)
      EXPECT_THROW(static_cast<sgRegion&>(region).holes(farHole), sgContourDefs::BadParams);
    else
      static_cast<sgRegion&>(region).holes(RegionHandles());
    expectPointsMatchData(region);
    expectDataFromPoints(region.data());

    ContourT contour(random.edgelets(), random.rigidTransform());
    const RegionT fromContour(contour, 1);
    expectPointsMatchData(fromContour);
    EXPECT_EQ(fromContour.data(), contour.data());

    RegionT copy(region);
    copy = fromContour;
    expectPointsMatchData(copy);
    EXPECT_TRUE(copy == fromContour);
  }
}

TEST(EdgeletRandom, RegionSetTypedRegionsFollowTheRegions) {
  RandomEdgelets random(31337u);
  for (int round = 0; round < kRounds / 5; ++round) {
    SCOPED_TRACE(round);
    RegionSetT set(TypedHandles{sgPtrHandle_const<RegionT>(new RegionT(random.edgelets(), 0))});
    set.add(sgPtrHandle_const<sgRegion>(new sgRegion(random.points())), sgContourDefs::eIgnore);
    const TypedHandles typed = set.regionsT();
    ASSERT_EQ(typed.size(), set.regions().size());
    for (std::size_t i = 0; i < typed.size(); ++i) {
      EXPECT_EQ(typed[i]->points(), set.regions()[i]->points());
      expectPointsMatchData(*typed[i]);
      expectDataFromPoints(typed[i]->data());
    }
  }
}

}  // namespace
