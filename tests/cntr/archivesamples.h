#pragma once
// The objects whose archives are committed under tests/data/archives and an assembler of archive
// bytes from readable tokens, shared by the archive tests and tests/tools/make_golden.cpp.
#include <bit>
#include <cstdint>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "lynstd/archive.h"
#include "persistentclasses.h"  // the library's persistent classes, with their headers

/// Sets holes unchecked: an archive may list one hole object twice, which holes(...) refuses.
class sgRegionTestAccess {
 public:
  static void listHolesUnchecked(sgRegion& r, const std::vector<sgPtrHandle_const<sgRegion>>& h) {
    r.holes_ = h;
  }
};

namespace archivesamples {

using V = sgVector<2>;
using Points = std::vector<V>;
using Bytes = std::vector<unsigned char>;

/// The persistent class named `name`, found in the type's name as archives hold it (a name is
/// mangled as its length and its letters).
inline const std::type_info& classNamed(const std::string& name) {
  for (const std::type_info* type : kPersistentClasses)
    if (std::string(type->name()).find(std::to_string(name.size()) + name) != std::string::npos) return *type;
  throw std::invalid_argument("no persistent class named " + name);
}

/// Archive bytes from tokens split at spaces: bN one byte, qN eight (signed or 0x...), dX a
/// double, P:x,y,... a point vector record, new:Class the head of a new object's pointer record,
/// ref:N a back-reference to object N, x:hex raw bytes, @file the bytes `file(name)` gives.
inline Bytes assemble(const std::string& text, Bytes (*file)(const std::string&) = nullptr) {
  Bytes b;
  const auto put = [&b](std::uint64_t v) {
    for (int i = 0; i < 8; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
  };
  std::istringstream tokens(text);
  for (std::string t; tokens >> t;) {
    const std::size_t colon = t.find(':'), before = b.size();
    const std::string kind = t.substr(0, colon == std::string::npos ? 1 : colon);
    const std::string rest = t.substr(colon == std::string::npos ? 1 : colon + 1);
    const std::string name = kind == "new" ? classNamed(rest).name() : "";
    if (kind == "b") b.push_back(static_cast<unsigned char>(std::stoul(rest)));
    if (kind == "q") put(rest[0] == '-' ? std::uint64_t(std::stoll(rest)) : std::stoull(rest, nullptr, 0));
    if (kind == "d") put(std::bit_cast<std::uint64_t>(std::stod(rest)));
    const Bytes included = kind == "@" && file ? file(rest) : Bytes();
    b.insert(b.end(), included.begin(), included.end());
    if (kind == "ref") b.push_back(1), put(std::stoull(rest));
    if (kind == "new") b.push_back(2), put(name.size()), b.insert(b.end(), name.begin(), name.end());
    for (std::size_t i = 0; kind == "x" && i + 1 < rest.size(); i += 2)
      b.push_back(static_cast<unsigned char>(std::stoul(rest.substr(i, 2), nullptr, 16)));
    std::vector<double> xy;
    for (std::istringstream in(kind == "P" ? rest : ""); std::getline(in, t, ',');)
      xy.push_back(std::stod(t));
    if (kind == "P") b.push_back(0), put(xy.size() / 2);
    for (double v : xy) put(std::bit_cast<std::uint64_t>(v));
    if (b.size() == before) throw std::invalid_argument("unknown archive token " + kind + ":" + rest);
  }
  return b;
}

inline Points rectangle(double x0, double y0, double x1, double y1) {
  return {V(x0, y0), V(x1, y0), V(x1, y1), V(x0, y1)};
}

inline std::vector<sgEdgelet> sampleEdgelets(double x0, double y0, double x1, double y1) {
  return {sgEdgelet(V(x0, y0), 11, sgAngle8(1)), sgEdgelet(V(x1, y0), 12, sgAngle8(64)),
          sgEdgelet(V(x1, y1), 13, sgAngle8(128)), sgEdgelet(V(x0, y1), 14, sgAngle8(250))};
}

inline Bytes storeThroughPointer(const sgPersistent& object) {
  sgArchive out;
  sgPersistent* unused = nullptr;
  sgPersistent::serializePointer(out, const_cast<sgPersistent*>(&object), unused);  // storing changes nothing
  return out.bytes();
}

/// Each golden file's name and bytes. Every field is away from its default and objects are shared,
/// so that a field dropped or a sharing lost shows; the version 0 files are legacy records.
inline std::map<std::string, Bytes> makeGoldenArchives() {
  using H = sgPtrHandle_const<sgRegion>;
  sgContour contour({V(-1.5, 2.0), V(3.25, -4.0), V(0.1, 7.0)}, false, 42);
  contour.cachedVectorSize(5);
  // The first two holes are one object; the third has an island of its own.
  const H shared(new sgRegion(rectangle(1, 1, 2, 2)));
  sgRegion withIsland(rectangle(4, 4, 8, 8)), region(rectangle(0, 0, 10, 10));
  withIsland.holes(std::vector<H>{H(new sgRegion(rectangle(5, 5, 6, 6)))});
  region.label(7);
  region.cachedVectorSize(4);
  sgRegionTestAccess::listHolesUnchecked(region, {shared, shared, H(new sgRegion(withIsland))});
  const H first(new sgRegion(rectangle(0, 0, 2, 1)));
  sgRegionSet set({first, H(new sgRegion({V(3, 0), V(5, 0), V(4, 2)})), H(), first});
  set.cachedVectorSize(2);
  sgContourT<sgEdgelet> contourT(sampleEdgelets(0, 0, 3, 2),
                                 sgPtrHandle_const<sg2XformBase>(new sg2Rigid(sgDegree(30.0), V(1, -2))));
  contourT.label(9);
  sgRegionT<sgEdgelet> regionT(sampleEdgelets(0, 0, 6, 6), 21);
  regionT.sgRegion::holes(std::vector<H>{H(new sgRegion(rectangle(2, 2, 3, 3)))});
  using HT = sgPtrHandle_const<sgRegionT<sgEdgelet>>;
  const HT firstT(new sgRegionT<sgEdgelet>(sampleEdgelets(0, 0, 1, 1), 1));
  sgRegionSetT<sgEdgelet> setT(
      std::vector<HT>{firstT, HT(new sgRegionT<sgEdgelet>(sampleEdgelets(2, 0, 4, 1), 2)), firstT});
  // Legacy records: a base level (version 0, sgPersistent level), the points, a byte no longer
  // used, cachedVectorSize, then the contour's closed flag; a set's regions are legacy records.
  const std::string legacyRegion = "new:sgRegion b0 b0 b0 P:";
  return {
      {"contour.bin", storeThroughPointer(contour)},
      {"region.bin", storeThroughPointer(region)},
      {"regionset.bin", storeThroughPointer(set)},
      {"contourt.bin", storeThroughPointer(contourT)},
      {"regiont.bin", storeThroughPointer(regionT)},
      {"regionsett.bin", storeThroughPointer(setT)},
      {"emptycontour.bin", storeThroughPointer(sgContourDefs::EmptyContour())},
      {"emptyregionset.bin", storeThroughPointer(sgContourDefs::EmptyRegionSet(L"no region \u00e9"))},
      {"badparams.bin", storeThroughPointer(sgContourDefs::BadParams(L"holes cannot intersect region"))},
      {"regioncannotbesetopen.bin", storeThroughPointer(sgContourDefs::RegionCannotBeSetOpen())},
      {"contour_v0.bin", assemble("new:sgContour b0 b0 b0 P:0,0,2.5,0,2.5,-1 b90 q6 b0")},
      {"region_v0.bin", assemble(legacyRegion + "0,0,4,0,0,3 b165 q8")},
      {"regionset_v0.bin",
       assemble("new:sgRegionSet b0 b0 b0 q3 " + legacyRegion + "0,0,3,0,3,3,0,3 b165 q3 " + legacyRegion +
                "5,0,7,0,6,1.5 b165 q3 ref:1")},
  };
}

}  // namespace archivesamples
