#pragma once
// The sample objects whose archives are committed under tests/data/archives, the builders of the
// legacy (version 0) records, and the list of golden files. Shared by the golden tests and the
// program that wrote the files once (tests/tools/make_golden.cpp).
#include <cstdint>
#include <cstring>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

#include "cntr/cntrtmpl.h"
#include "cntr/contour.h"
#include "cntr/contourdefs.h"
#include "cntr/region.h"
#include "cntr/regionst.h"
#include "lynstd/archive.h"

namespace archivesamples {

using V = sgVector<2>;
using Points = std::vector<V>;
using Bytes = std::vector<unsigned char>;

// ---- Sample objects: every persistent field away from its default, so that a field dropped
// or reordered changes the bytes.

inline Points rectangle(double x0, double y0, double x1, double y1) {
  return {V(x0, y0), V(x1, y0), V(x1, y1), V(x0, y1)};
}

/// An open contour with a label and a non-default cache bound.
inline sgContour makeSampleContour() {
  sgContour contour({V(-1.5, 2.0), V(3.25, -4.0), V(0.1, 7.0)}, false, 42);
  contour.cachedVectorSize(5);
  return contour;
}

}  // namespace archivesamples

/// Lists holes without the check of holes(...): an archive may hold one hole object twice in a
/// region (written before holes were checked against each other), which the check refuses.
class sgRegionTestAccess {
 public:
  static void listHolesUnchecked(sgRegion& region, const std::vector<sgPtrHandle_const<sgRegion>>& holes) {
    region.holes_ = holes;
  }
};

namespace archivesamples {

/// A region whose first two holes are one object, plus a third hole with an island of its own.
inline sgRegion makeSampleRegion() {
  const sgPtrHandle_const<sgRegion> shared(new sgRegion(rectangle(1, 1, 2, 2)));
  sgRegion withIsland(rectangle(4, 4, 8, 8));
  withIsland.holes(std::vector<sgPtrHandle_const<sgRegion>>{
      sgPtrHandle_const<sgRegion>(new sgRegion(rectangle(5, 5, 6, 6)))});
  sgRegion region(rectangle(0, 0, 10, 10));
  region.label(7);
  region.cachedVectorSize(4);
  sgRegionTestAccess::listHolesUnchecked(
      region, {shared, shared, sgPtrHandle_const<sgRegion>(new sgRegion(withIsland))});
  return region;
}

/// A set holding one region twice, another once and an empty handle.
inline sgRegionSet makeSampleRegionSet() {
  const sgPtrHandle_const<sgRegion> first(new sgRegion(rectangle(0, 0, 2, 1)));
  const sgPtrHandle_const<sgRegion> second(new sgRegion({V(3, 0), V(5, 0), V(4, 2)}));
  sgRegionSet set({first, second, sgPtrHandle_const<sgRegion>(), first});
  set.cachedVectorSize(2);
  return set;
}

/// Edgelets with distinct magnitudes and direction codes, so that a lost datum shows.
inline std::vector<sgEdgelet> makeSampleEdgelets(double x0, double y0, double x1, double y1) {
  return {sgEdgelet(V(x0, y0), 11, sgAngle8(1)), sgEdgelet(V(x1, y0), 12, sgAngle8(64)),
          sgEdgelet(V(x1, y1), 13, sgAngle8(128)), sgEdgelet(V(x0, y1), 14, sgAngle8(250))};
}

/// An edgelet contour under a rigid transform, with a label.
inline sgContourT<sgEdgelet> makeSampleContourT() {
  sgContourT<sgEdgelet> contour(makeSampleEdgelets(0, 0, 3, 2),
                                sgPtrHandle_const<sg2XformBase>(new sg2Rigid(sgDegree(30.0), V(1, -2))));
  contour.label(9);
  return contour;
}

/// An edgelet region with a label and one hole at the region level (the record's only holes).
inline sgRegionT<sgEdgelet> makeSampleRegionT() {
  sgRegionT<sgEdgelet> region(makeSampleEdgelets(0, 0, 6, 6), 21);
  region.sgRegion::holes(std::vector<sgPtrHandle_const<sgRegion>>{
      sgPtrHandle_const<sgRegion>(new sgRegion(rectangle(2, 2, 3, 3)))});
  return region;
}

/// An edgelet region set of two regions, the first listed twice.
inline sgRegionSetT<sgEdgelet> makeSampleRegionSetT() {
  const sgPtrHandle_const<sgRegionT<sgEdgelet>> first(
      new sgRegionT<sgEdgelet>(makeSampleEdgelets(0, 0, 1, 1), 1));
  const sgPtrHandle_const<sgRegionT<sgEdgelet>> second(
      new sgRegionT<sgEdgelet>(makeSampleEdgelets(2, 0, 4, 1), 2));
  return sgRegionSetT<sgEdgelet>(std::vector<sgPtrHandle_const<sgRegionT<sgEdgelet>>>{first, second, first});
}

// ---- Byte writers in the archive's fixed little-endian encoding.

inline void putByte(Bytes& b, unsigned char v) { b.push_back(v); }

inline void putUInt64(Bytes& b, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

inline void putDouble(Bytes& b, double v) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  putUInt64(b, bits);
}

inline void putPoints(Bytes& b, const Points& points) {
  putByte(b, 0);  // vector record version
  putUInt64(b, points.size());
  for (const V& p : points) {
    putDouble(b, p.x());
    putDouble(b, p.y());
  }
}

/// The head of a pointer record that introduces a new object of class `type`.
inline void putNewObjectHeader(Bytes& b, const std::type_info& type) {
  const std::string name = type.name();
  putByte(b, 2);
  putUInt64(b, name.size());
  b.insert(b.end(), name.begin(), name.end());
}

/// A pointer record that refers back to the object numbered `id` in this archive.
inline void putBackReference(Bytes& b, std::uint64_t id) {
  putByte(b, 1);
  putUInt64(b, id);
}

// ---- Legacy (version 0) records, as older versions of the library wrote them.

/// Contour level 0: the legacy base level (its version 0 and the sgPersistent level 0), the
/// points, one byte no longer used, cachedVectorSize, the closed flag.
inline Bytes makeLegacyContourRecord(const Points& points, long cacheSize, bool closed,
                                     unsigned char baseVersion = 0) {
  Bytes b;
  putByte(b, 0);
  putByte(b, baseVersion);
  putByte(b, 0);
  putPoints(b, points);
  putByte(b, 0x5A);
  putUInt64(b, static_cast<std::uint64_t>(cacheSize));
  putByte(b, closed ? 1 : 0);
  return b;
}

/// Region level 0: the legacy base level, the outer points, one unused byte, cachedVectorSize.
inline Bytes makeLegacyRegionRecord(const Points& points, long cacheSize, unsigned char baseVersion = 0) {
  Bytes b;
  putByte(b, 0);
  putByte(b, baseVersion);
  putByte(b, 0);
  putPoints(b, points);
  putByte(b, 0xA5);
  putUInt64(b, static_cast<std::uint64_t>(cacheSize));
  return b;
}

/// The points of the two regions of the legacy region-set sample.
inline Points legacySetFirstRegion() { return rectangle(0, 0, 3, 3); }
inline Points legacySetSecondRegion() { return {V(5, 0), V(7, 0), V(6, 1.5)}; }

/// Region-set level 0: the sgPersistent level and the regions, with no cache bound. Its regions
/// are legacy records too, and the third refers back to the first, which is object 1 (the set
/// itself is object 0 when loaded through a pointer).
inline Bytes makeLegacyRegionSetRecord() {
  Bytes b;
  putByte(b, 0);
  putByte(b, 0);
  putByte(b, 0);  // handle-vector record version
  putUInt64(b, 3);
  for (const Points& points : {legacySetFirstRegion(), legacySetSecondRegion()}) {
    putNewObjectHeader(b, typeid(sgRegion));
    const Bytes region = makeLegacyRegionRecord(points, 3);
    b.insert(b.end(), region.begin(), region.end());
  }
  putBackReference(b, 1);
  return b;
}

/// A pointer record holding `record` as a new object of class `type`.
inline Bytes wrapAsNewObject(const std::type_info& type, const Bytes& record) {
  Bytes b;
  putNewObjectHeader(b, type);
  b.insert(b.end(), record.begin(), record.end());
  return b;
}

inline Points legacyContourPoints() { return {V(0, 0), V(2.5, 0), V(2.5, -1)}; }
inline Points legacyRegionPoints() { return {V(0, 0), V(4, 0), V(0, 3)}; }

// ---- The golden files.

/// The pointer record of `object` as the library writes it today.
inline Bytes storeThroughPointer(sgPersistent& object) {
  sgArchive out;
  sgPersistent* unused = nullptr;
  sgPersistent::serializePointer(out, &object, unused);
  return out.bytes();
}

/// Each golden file's name and the bytes it must hold.
inline std::vector<std::pair<std::string, Bytes>> makeGoldenArchives() {
  sgContour contour = makeSampleContour();
  sgRegion region = makeSampleRegion();
  sgRegionSet set = makeSampleRegionSet();
  sgContourT<sgEdgelet> contourT = makeSampleContourT();
  sgRegionT<sgEdgelet> regionT = makeSampleRegionT();
  sgRegionSetT<sgEdgelet> setT = makeSampleRegionSetT();
  sgContourDefs::EmptyContour emptyContour;
  sgContourDefs::EmptyRegionSet emptyRegionSet(L"no region \u00e9");
  sgContourDefs::BadParams badParams(L"holes cannot intersect region");
  sgContourDefs::RegionCannotBeSetOpen cannotOpen;
  return {
      {"contour.bin", storeThroughPointer(contour)},
      {"region.bin", storeThroughPointer(region)},
      {"regionset.bin", storeThroughPointer(set)},
      {"contourt.bin", storeThroughPointer(contourT)},
      {"regiont.bin", storeThroughPointer(regionT)},
      {"regionsett.bin", storeThroughPointer(setT)},
      {"emptycontour.bin", storeThroughPointer(emptyContour)},
      {"emptyregionset.bin", storeThroughPointer(emptyRegionSet)},
      {"badparams.bin", storeThroughPointer(badParams)},
      {"regioncannotbesetopen.bin", storeThroughPointer(cannotOpen)},
      {"contour_v0.bin",
       wrapAsNewObject(typeid(sgContour), makeLegacyContourRecord(legacyContourPoints(), 6, false))},
      {"region_v0.bin", wrapAsNewObject(typeid(sgRegion), makeLegacyRegionRecord(legacyRegionPoints(), 8))},
      {"regionset_v0.bin", wrapAsNewObject(typeid(sgRegionSet), makeLegacyRegionSetRecord())},
  };
}

}  // namespace archivesamples
